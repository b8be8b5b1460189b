// Channel words and channel numbering. The texts of refused channel and group
// values are checked through the ASIC that copies them (test_asicsettings.cpp).
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "asic/asicanodedata.h"
#include "asic/asiccathodedata.h"

using namespace CathodeChannel;

namespace {

struct AnodeField {
    const char* name;
    std::function<void(ASICAnodeChannel&)> set;
    int bits;
};

struct CathodeField {
    const char* name;
    std::function<void(ASICCathodeChannel&)> set;
    unsigned int bits;
};

} // namespace

TEST(ASICChannelWord, EachAnodeFieldMovesOnlyItsOwnBits)
{
    const std::vector<AnodeField> fields = {
        { "masked", [](ASICAnodeChannel& c) { c.SetMasked(true); }, 0x0001 },
        { "test capacitor", [](ASICAnodeChannel& c) { c.EnableTestCapacitor(true); }, 0x0002 },
        { "positive trim", [](ASICAnodeChannel& c) { c.SetPositivePulseThresholdTrimStep(31); }, 0x007C },
        { "positive trim low bit", [](ASICAnodeChannel& c) { c.SetPositivePulseThresholdTrimStep(1); }, 0x0004 },
        { "negative trim", [](ASICAnodeChannel& c) { c.SetNegativePulseThresholdTrimStep(31); }, 0x0F80 },
        { "negative trim low bit", [](ASICAnodeChannel& c) { c.SetNegativePulseThresholdTrimStep(1); }, 0x0080 },
        { "signal 2", [](ASICAnodeChannel& c) { c.SetSignalToMonitor(SIGNAL_2); }, 0x1000 },
        { "signal above listed", [](ASICAnodeChannel& c) { c.SetSignalToMonitor(static_cast<Signal>(3)); }, 0 },
    };
    for (const AnodeField& field : fields) {
        ASICAnodeChannel channel(1);
        field.set(channel);
        EXPECT_EQ(channel.GetDataBits(), field.bits) << field.name;
    }
}

TEST(ASICChannelWord, EachCathodeFieldMovesOnlyItsOwnBits)
{
    const std::vector<CathodeField> fields = {
        { "masked", [](ASICCathodeChannel& c) { c.SetMasked(true); }, 0x0000001 },
        { "test capacitor", [](ASICCathodeChannel& c) { c.EnableTestCapacitor(true); }, 0x0000002 },
        { "positive trim", [](ASICCathodeChannel& c) { c.SetPositivePulseThresholdTrimStep(31); }, 0x000007C },
        { "shaped timing 2", [](ASICCathodeChannel& c) { c.SetShapedTimingSignal(SHAPED_TIMING_SIGNAL_2); }, 0x0000080 },
        { "second multi trim", [](ASICCathodeChannel& c) { c.SetTimingSecondMultiThresholdTrimStep(15); }, 0x0000F00 },
        { "third multi trim", [](ASICCathodeChannel& c) { c.SetTimingThirdMultiThresholdTrimStep(15); }, 0x000F000 },
        { "first multi trim", [](ASICCathodeChannel& c) { c.SetTimingFirstMultiThresholdTrimStep(15); }, 0x00F0000 },
        { "timing mode 2", [](ASICCathodeChannel& c) { c.SetTimingMode(TIMING_MODE_2); }, 0x0100000 },
        { "timing mode 3", [](ASICCathodeChannel& c) { c.SetTimingMode(TIMING_MODE_3); }, 0x0200000 },
        { "timing mode above listed", [](ASICCathodeChannel& c) { c.SetTimingMode(static_cast<TimingMode>(4)); }, 0 },
        { "unipolar trim", [](ASICCathodeChannel& c) { c.SetTimingUnipolarThresholdTrimStep(15); }, 0x3C00000 },
        { "leakage generator is not in the word",
            [](ASICCathodeChannel& c) {
                c.SetInternalLeakageCurrentGenerator(CATHODE_CHANNEL_INTERNAL_LEAKAGE_CURRENT_GENERATOR_2);
            },
            0 },
    };
    for (const CathodeField& field : fields) {
        ASICCathodeChannel channel(1);
        field.set(channel);
        EXPECT_EQ(channel.GetDataBits(), field.bits) << field.name;
    }
}

TEST(ASICChannelWord, HighOptionBitsStayOutOfTheTrimFields)
{
    // Option words are stored whole (files load them so); only bits 0 and 1
    // may reach the channel word.
    ASICAnodeChannel anode(1);
    anode.SetOptions(~0x3);
    EXPECT_EQ(anode.GetDataBits(), 0);
    anode.SetOptions(-1);
    EXPECT_EQ(anode.GetDataBits(), 0x3);
    EXPECT_EQ(anode.GetOptions(), -1);

    ASICCathodeChannel cathode(2);
    cathode.SetOptions(0x7FFFFFFC);
    EXPECT_EQ(cathode.GetDataBits(), 0u);
}

TEST(ASICChannelOptions, MaskAndTestCapacitorKeepOtherOptionBits)
{
    ASICAnodeChannel channel(1);
    channel.SetOptions(0x40);
    channel.SetMasked(true);
    channel.EnableTestCapacitor(true);
    EXPECT_EQ(channel.GetOptions(), 0x43);
    channel.SetMasked(false);
    EXPECT_FALSE(channel.IsMasked());
    EXPECT_TRUE(channel.IsTestCapacitorEnabled());
    EXPECT_EQ(channel.GetOptions(), 0x42);
}

TEST(ASICGroup, ChannelsAreNumberedFromOneInOrder)
{
    ASICAnodeData anode(128);
    ASSERT_EQ(anode.GetNoOfChannels(), 128);
    for (int no = 1; no <= 128; ++no)
        EXPECT_EQ(anode.GetChannel(no).GetChannelNo(), no);
    ASICCathodeData cathode(2);
    ASSERT_EQ(cathode.GetNoOfChannels(), 2);
    EXPECT_EQ(cathode.GetChannel(2).GetChannelNo(), 2);
    EXPECT_THROW(anode.GetChannel(129), std::out_of_range);
}
