#include "tools/pictures/colourmap.h"

#include <QtGlobal>
#include <array>

namespace tool {

namespace {
constexpr std::array<QRgb, 9> viridis = {0x440154, 0x472d7b, 0x3b528b, 0x2c728e, 0x21918c,
                                         0x28ae80, 0x5ec962, 0xaddc30, 0xfde725};
} // namespace

QColor ColourMap::at(double a_Fraction)
{
    const double f = qBound(0.0, a_Fraction, 1.0) * (viridis.size() - 1);
    const int i = qMin(int(f), int(viridis.size()) - 2);
    const double t = f - i;
    const QColor a(viridis[size_t(i)]);
    const QColor b(viridis[size_t(i + 1)]);
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t);
}

QColor ColourMap::textOn(const QColor& a_Background)
{
    const double luminance = 0.299 * a_Background.redF() + 0.587 * a_Background.greenF() + 0.114 * a_Background.blueF();
    return luminance > 0.5 ? Qt::black : Qt::white;
}

} // namespace tool
