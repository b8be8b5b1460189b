// Which photons the spectrum shows: all of them, one GM's, or one camera pixel's.
#ifndef GUI_SPECTRUMSELECTION_H
#define GUI_SPECTRUMSELECTION_H

#include <QString>

namespace gui {

struct SpectrumSelection {
    enum Kind { Total, GM, Pixel };
    Kind kind = Total;
    int number = 0; // GM ID 1..4 or camera pixel 1..484

    static SpectrumSelection total() { return {}; }
    static SpectrumSelection gm(int a_GMID) { return {GM, a_GMID}; }
    static SpectrumSelection pixel(int a_CameraPixel) { return {Pixel, a_CameraPixel}; }

    QString describe() const
    {
        switch (kind) {
        case GM:
            return QStringLiteral("GM %1").arg(number);
        case Pixel:
            return QStringLiteral("camera pixel %1").arg(number);
        case Total:
            break;
        }
        return QStringLiteral("all pixels");
    }
    bool operator==(const SpectrumSelection& a_Other) const
    {
        return kind == a_Other.kind && number == a_Other.number;
    }
};

} // namespace gui

#endif
