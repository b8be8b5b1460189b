// The flood picture: counts of the 22 x 22 camera pixels as coloured cells, camera
// pixel 1 top left and 484 bottom right, row by row, with the four GM quadrants
// outlined and named, each row's first pixel number at its left, and a colour
// scale with its numbers.
#ifndef TOOLS_FLOODIMAGE_H
#define TOOLS_FLOODIMAGE_H

#include "tools/pictures/photontally.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <array>

namespace tool {

class FloodImage {
public:
    using Counts = std::array<qint64, PhotonTally::cameraPixels>;

    // a_Caption is a second title line (source, time).
    static QImage render(const Counts& a_Counts, const QString& a_Caption);
    static QSize size();
    // The cell of camera pixel a_Pixel (1..484) in the picture.
    static QRect cellRect(int a_Pixel);
    // The camera pixel with the most counts (the lowest number on a tie); 0 if none.
    static int brightestPixel(const Counts& a_Counts);
};

} // namespace tool

#endif
