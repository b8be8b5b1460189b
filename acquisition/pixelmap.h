// The fixed pixel map of a gamma module: which channel byte of a photon record
// reads out which of the GM's 11 x 11 pixels (numbered 1 to 121 row by row).
#ifndef QUORVEL_PIXELMAP_H
#define QUORVEL_PIXELMAP_H

#include <array>

class PixelMap
{
public:
    static constexpr int GM_PIXEL_ROWS = 11;
    static constexpr int NO_OF_GM_PIXELS = GM_PIXEL_ROWS * GM_PIXEL_ROWS;
    static constexpr int NO_OF_CHANNEL_BYTES = 256;
    static constexpr short NO_PIXEL = -1;

    using ChannelTable = std::array<short, NO_OF_CHANNEL_BYTES>;

    // The channel at each GM pixel, row by row: element p - 1 is the channel of pixel p.
    static constexpr std::array<unsigned char, NO_OF_GM_PIXELS> CHANNEL_AT_GM_PIXEL = {
        126, 124, 128, 127, 129,   2,   4,   6,   0,   1,   3,
        120, 122, 119, 121, 123, 125,   8,  10,  12,   5,   7,
        118, 116, 112, 117, 115,  16,  14,  18,  11,   9,  13,
        110, 114, 108, 113, 111, 109,  22,  20,  17,  15,  19,
        104, 106, 103, 105, 107,  24,  26,  28,  21,  23,  25,
        100,  98,  96,  97,  95,  93,  38,  36,  34,  33,  31,
         92,  90,  94,  87,  89,  91,  40,  42,  37,  39,  35,
         86,  84,  88,  83,  85,  46,  48,  50,  44,  43,  41,
         82,  78,  80,  77,  79,  81,  52,  54,  49,  47,  45,
         74,  68,  76,  75,  73,  58,  60,  56,  55,  53,  51,
         72,  70,  66,  71,  69,  67,  62,  61,  63,  59,  57,
    };

    // The GM pixel of each channel byte; NO_PIXEL for a channel without one.
    static constexpr ChannelTable GM_PIXEL_OF_CHANNEL = []() {
        ChannelTable table{};
        for (short& pixel : table)
            pixel = NO_PIXEL;
        for (int index = 0; index < NO_OF_GM_PIXELS; ++index)
            table[CHANNEL_AT_GM_PIXEL[index]] = static_cast<short>(index + 1);
        return table;
    }();

    // The camera pixel of each channel byte of GM a_GMID (NO_PIXEL where the
    // channel has no GM pixel), placed by DetectorCalcs::GetGlobalPixelNo.
    static ChannelTable GlobalPixelTable(int a_GMID);
};

// A channel listed twice would leave one pixel without a channel.
static_assert([]() {
    int mapped = 0;
    for (short pixel : PixelMap::GM_PIXEL_OF_CHANNEL)
        mapped += pixel != PixelMap::NO_PIXEL;
    return mapped == PixelMap::NO_OF_GM_PIXELS;
}(), "every GM pixel must have exactly one channel");

#endif // QUORVEL_PIXELMAP_H
