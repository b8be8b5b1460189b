// The detector wiring seen from the camera: which channel byte reads out which
// GM pixel (11 x 11, numbered 1 to 121 row by row), and where a GM sits in the
// 22 x 22 camera. Written here apart from the library's own layout and pixel
// map on purpose: the virtual camera is an independent check of them.
#ifndef CAMSIM_PIXELMAP_H
#define CAMSIM_PIXELMAP_H

namespace camsim {

class PixelMap {
public:
    static constexpr int gmPixels = 121;
    static constexpr int gmSide = 11;
    static constexpr int cameraSide = 22;

    // Channel byte wired to a GM pixel (1..121).
    static int channelOfPixel(int gmPixel);
    // GM pixel of a channel byte, 0 for an unconnected channel.
    static int pixelOfChannel(int channel);
    // Top-left camera row and column (0-based) of the quadrant of a GM:
    // GM 2 right of GM 1, GM 4 below it, GM 3 diagonal; other IDs sit where GM 1 does.
    static int quadrantRow(int gmId);
    static int quadrantColumn(int gmId);
};

} // namespace camsim

#endif
