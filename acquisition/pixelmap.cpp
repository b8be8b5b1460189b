#include "acquisition/pixelmap.h"

#include "asic/detectorcalcs.h"

PixelMap::ChannelTable PixelMap::GlobalPixelTable(int a_GMID)
{
    ChannelTable table{};
    for (int channel = 0; channel < NO_OF_CHANNEL_BYTES; ++channel) {
        const short pixel = GM_PIXEL_OF_CHANNEL[channel];
        table[channel] = pixel == NO_PIXEL
            ? NO_PIXEL
            : static_cast<short>(DetectorCalcs::GetGlobalPixelNo(pixel, a_GMID));
    }
    return table;
}
