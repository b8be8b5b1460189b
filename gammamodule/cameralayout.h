// Where the pixels are: four GMs of 11 x 11 pixels make a camera of 22 x 22,
// GM 1 top left, 2 top right, 3 bottom right, 4 bottom left; pixels are
// numbered from 1, row by row. Plain C++ without Qt, shared by the library,
// the tools and the Python module.
#ifndef QUORVEL_CAMERALAYOUT_H
#define QUORVEL_CAMERALAYOUT_H

namespace CameraLayout {

constexpr int GM_SIDE = 11;
constexpr int GM_PIXELS = GM_SIDE * GM_SIDE;
constexpr int CAMERA_SIDE = 2 * GM_SIDE;
constexpr int CAMERA_PIXELS = CAMERA_SIDE * CAMERA_SIDE;
constexpr int GM_COUNT = 4;

// Rows and columns a GM's quadrant is moved by; any other ID sits as GM 1.
constexpr int RowOffset(int a_GMID)
{
    return (a_GMID == 3 || a_GMID == 4) ? GM_SIDE : 0;
}
constexpr int ColumnOffset(int a_GMID)
{
    return (a_GMID == 2 || a_GMID == 3) ? GM_SIDE : 0;
}

// The camera pixel of GM pixel a_GMPixel (1 to 121) of GM a_GMID.
constexpr int CameraPixelOf(int a_GMPixel, int a_GMID)
{
    const int row = (a_GMPixel - 1) / GM_SIDE + RowOffset(a_GMID);
    const int column = (a_GMPixel - 1) % GM_SIDE + ColumnOffset(a_GMID);
    return row * CAMERA_SIDE + column + 1;
}

// The GM whose quadrant holds camera pixel a_CameraPixel (1 to 484).
constexpr int GMOfCameraPixel(int a_CameraPixel)
{
    const bool bottom = (a_CameraPixel - 1) / CAMERA_SIDE >= GM_SIDE;
    const bool right = (a_CameraPixel - 1) % CAMERA_SIDE >= GM_SIDE;
    if (bottom)
        return right ? 3 : 4;
    return right ? 2 : 1;
}

static_assert(CameraPixelOf(1, 1) == 1 && CameraPixelOf(121, 3) == CAMERA_PIXELS, "corners");
static_assert(CameraPixelOf(11, 2) == CAMERA_SIDE && GMOfCameraPixel(CameraPixelOf(1, 4)) == 4, "quadrants");

} // namespace CameraLayout

#endif // QUORVEL_CAMERALAYOUT_H
