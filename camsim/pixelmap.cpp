#include "camsim/pixelmap.h"

#include <array>
#include <cstddef>

namespace camsim {

namespace {
// Row by row: the channel wired to each GM pixel.
constexpr std::array<int, PixelMap::gmPixels> channelTable {
    126, 124, 128, 127, 129, 2,   4,   6,   0,  1,  3,
    120, 122, 119, 121, 123, 125, 8,   10,  12, 5,  7,
    118, 116, 112, 117, 115, 16,  14,  18,  11, 9,  13,
    110, 114, 108, 113, 111, 109, 22,  20,  17, 15, 19,
    104, 106, 103, 105, 107, 24,  26,  28,  21, 23, 25,
    100, 98,  96,  97,  95,  93,  38,  36,  34, 33, 31,
    92,  90,  94,  87,  89,  91,  40,  42,  37, 39, 35,
    86,  84,  88,  83,  85,  46,  48,  50,  44, 43, 41,
    82,  78,  80,  77,  79,  81,  52,  54,  49, 47, 45,
    74,  68,  76,  75,  73,  58,  60,  56,  55, 53, 51,
    72,  70,  66,  71,  69,  67,  62,  61,  63, 59, 57,
};

std::array<int, 256> makePixelTable()
{
    std::array<int, 256> pixels {};
    for (int p = 0; p < PixelMap::gmPixels; ++p)
        pixels[static_cast<size_t>(channelTable[static_cast<size_t>(p)])] = p + 1;
    return pixels;
}
} // namespace

int PixelMap::channelOfPixel(int gmPixel)
{
    if (gmPixel < 1 || gmPixel > gmPixels)
        return -1;
    return channelTable[static_cast<size_t>(gmPixel - 1)];
}

int PixelMap::pixelOfChannel(int channel)
{
    static const std::array<int, 256> pixels = makePixelTable();
    if (channel < 0 || channel > 255)
        return 0;
    return pixels[static_cast<size_t>(channel)];
}

int PixelMap::quadrantRow(int gmId)
{
    return (gmId == 3 || gmId == 4) ? gmSide : 0;
}

int PixelMap::quadrantColumn(int gmId)
{
    return (gmId == 2 || gmId == 3) ? gmSide : 0;
}

} // namespace camsim
