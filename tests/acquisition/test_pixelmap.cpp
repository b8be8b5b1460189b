// The GM pixel map and the placement of GM pixels in the camera's array.
#include <set>

#include <gtest/gtest.h>

#include "acquisition/pixelmap.h"
#include "asic/detectorcalcs.h"

TEST(PixelMapTest, MapsExactlyTheConnectedChannelsOneToOne)
{
    const std::set<int> unmapped = {27, 29, 30, 32, 64, 65, 99, 101, 102};
    std::set<int> pixels;
    for (int channel = 0; channel < 256; ++channel) {
        const short pixel = PixelMap::GM_PIXEL_OF_CHANNEL[static_cast<size_t>(channel)];
        if (channel > 129 || unmapped.count(channel)) {
            EXPECT_EQ(pixel, PixelMap::NO_PIXEL) << "channel " << channel;
            continue;
        }
        ASSERT_GE(pixel, 1) << "channel " << channel;
        ASSERT_LE(pixel, 121) << "channel " << channel;
        pixels.insert(pixel);
        EXPECT_EQ(PixelMap::CHANNEL_AT_GM_PIXEL[static_cast<size_t>(pixel - 1)], channel);
    }
    EXPECT_EQ(pixels.size(), 121u);
}

TEST(PixelMapTest, MatchesTheLayoutOfTheGMPixelArray)
{
    EXPECT_EQ(PixelMap::GM_PIXEL_OF_CHANNEL[0], 9);
    EXPECT_EQ(PixelMap::GM_PIXEL_OF_CHANNEL[126], 1);
    EXPECT_EQ(PixelMap::GM_PIXEL_OF_CHANNEL[57], 121);
    EXPECT_EQ(PixelMap::GM_PIXEL_OF_CHANNEL[129], 5);
    EXPECT_EQ(PixelMap::GM_PIXEL_OF_CHANNEL[120], 12);   // first cell of row 2
    EXPECT_EQ(PixelMap::GM_PIXEL_OF_CHANNEL[72], 111);   // first cell of row 11
}

TEST(PixelMapTest, GlobalPixelNumbersPlaceEachGMInItsQuadrant)
{
    EXPECT_EQ(DetectorCalcs::GetGlobalPixelNo(1, 1), 1);
    EXPECT_EQ(DetectorCalcs::GetGlobalPixelNo(11, 1), 11);
    EXPECT_EQ(DetectorCalcs::GetGlobalPixelNo(12, 1), 23);
    EXPECT_EQ(DetectorCalcs::GetGlobalPixelNo(121, 1), 231);
    EXPECT_EQ(DetectorCalcs::GetGlobalPixelNo(1, 2), 12);
    EXPECT_EQ(DetectorCalcs::GetGlobalPixelNo(1, 4), 243);
    EXPECT_EQ(DetectorCalcs::GetGlobalPixelNo(1, 3), 254);
    EXPECT_EQ(DetectorCalcs::GetGlobalPixelNo(121, 3), 484);
    EXPECT_EQ(DetectorCalcs::GetGlobalPixelNo(5, 7), 5);   // unknown GM placed as GM 1

    // Over all four GMs every camera pixel is reached exactly once.
    std::set<int> camera;
    for (int gm = 1; gm <= 4; ++gm) {
        for (int pixel = 1; pixel <= 121; ++pixel)
            camera.insert(DetectorCalcs::GetGlobalPixelNo(pixel, gm));
    }
    EXPECT_EQ(camera.size(), 484u);
    EXPECT_EQ(*camera.begin(), 1);
    EXPECT_EQ(*camera.rbegin(), 484);
}

TEST(PixelMapTest, GlobalTableDropsUnmappedChannels)
{
    const PixelMap::ChannelTable gm2 = PixelMap::GlobalPixelTable(2);
    EXPECT_EQ(gm2[0], 20);
    EXPECT_EQ(gm2[27], PixelMap::NO_PIXEL);
    EXPECT_EQ(gm2[200], PixelMap::NO_PIXEL);
}
