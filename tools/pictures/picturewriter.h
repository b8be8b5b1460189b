// Draws flood.png and spectrum.png of a collection into a folder, and returns what
// the pictures show for the summary.
#ifndef TOOLS_PICTUREWRITER_H
#define TOOLS_PICTUREWRITER_H

#include "tools/pictures/photopeak.h"
#include "tools/pictures/photontally.h"

#include <QString>

namespace tool {

struct PictureFacts {
    PixelNumbers numbers = PixelNumbers::Camera;
    int brightestPixel = 0; // camera pixel 1..484, 0 without photons
    qint64 brightestCount = 0;
    qint64 unplaced = 0; // photons whose pixel has no place on the camera
    Photopeak peak;
    QString floodPath;
    QString spectrumPath;

    // "centre 1998.5, FWHM 154.4 ADC units (7.7 %)" or "not found"
    QString peakText() const;
    // "358 (row 17, column 6), 581,890 photons"
    QString brightestText() const;
};

class PictureWriter {
public:
    static constexpr const char* floodName = "flood.png";
    static constexpr const char* spectrumName = "spectrum.png";

    // a_Numbers: how the collection numbered its pixels. False with a one-line
    // reason if a picture cannot be written.
    static bool write(const PhotonTally& a_Tally, PixelNumbers a_Numbers, const QString& a_Folder,
                      const QString& a_Caption, PictureFacts* a_Facts, QString* a_Error);
};

} // namespace tool

#endif
