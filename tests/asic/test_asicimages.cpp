// Bit-exact ASIC register images and the bit packing helper.
#include <functional>
#include <iterator>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "asic/asic.h"
#include "asic/asicregisterimage.h"
#include "asic/detectorcalcs.h"
#include "asictestvalues.h"

using namespace CathodeChannel;
using namespace asictest;

namespace {

struct GlobalField {
    const char* name;
    std::function<bool(ASIC&)> set;
    ByteBits bits;
};

} // namespace

TEST(ASICGlobalImage, EachFieldAtItsExtremeMovesOnlyItsOwnBits)
{
    const std::vector<GlobalField> fields = {
        { "test clock 1", [](ASIC& a) { return a.SetCathodeTestClockType(CATHODE_TEST_CLOCK_TYPE_1); },
            { { 15, 0x80 } } },
        { "anode test pulse edge", [](ASIC& a) { return a.SetAnodeTestPulseEdge(TEST_PULSE_EDGE_2); }, { { 0, 0x80 } } },
        { "threshold low bit (stream order)",
            [](ASIC& a) { return a.SetChannelThresholdStep(CHANNEL_THRESHOLD_TYPE_CATHODE_TIMING_UNIPOLAR, 1); },
            { { 5, 0x80 } } },
        { "leakage generator 2",
            [](ASIC& a) { return a.SetInternalLeakageCurrentGenerator(INTERNAL_LEAKAGE_CURRENT_GENERATOR_2); },
            { { 9, 0x40 } } },
        { "multiple firing suppress 4",
            [](ASIC& a) { return a.SetMultipleFiringSuppressTime(MULTIPLE_FIRING_SUPPRESSION_TIME_4); },
            { { 9, 0x30 } } },
        { "multiple firing suppress 2",
            [](ASIC& a) { return a.SetMultipleFiringSuppressTime(MULTIPLE_FIRING_SUPPRESSION_TIME_2); },
            { { 9, 0x10 } } },
        { "multiple firing suppress above listed",
            [](ASIC& a) { return a.SetMultipleFiringSuppressTime(static_cast<MultipleFiringSuppressionTime>(5)); },
            {} },
        { "displacement step",
            [](ASIC& a) { return a.SetCathodeTimingChannelsSecondaryMultiThresholdDisplacementStep(15); },
            { { 9, 0x0F } } },
        { "test mode input 2", [](ASIC& a) { return a.SetCathodeTestModeInput(TEST_MODE_INPUT_2); }, { { 10, 0x80 } } },
        { "analog output 2", [](ASIC& a) { return a.SetAnalogOutputToMonitor(ANALOG_OUTPUT_2); }, { { 10, 0x08 } } },
        { "analog output 3", [](ASIC& a) { return a.SetAnalogOutputToMonitor(ANALOG_OUTPUT_3); }, { { 10, 0x04 } } },
        { "DAC 1", [](ASIC& a) { return a.SetDACToMonitor(DACS_1); }, { { 10, 0x02 } } },
        { "DAC 9", [](ASIC& a) { return a.SetDACToMonitor(DACS_9); }, { { 10, 0x03 } } },
        { "DAC above listed", [](ASIC& a) { return a.SetDACToMonitor(static_cast<DACS>(10)); }, {} },
        { "cathode energy timing 1",
            [](ASIC& a) { return a.SetCathodeEnergyTimingToMonitor(CATHODE_ENERGY_TIMING_1); }, { { 10, 0x01 } } },
        { "cathode energy timing 4",
            [](ASIC& a) { return a.SetCathodeEnergyTimingToMonitor(CATHODE_ENERGY_TIMING_4); },
            { { 10, 0x01 }, { 11, 0xC0 } } },
        { "anode channel 1 monitored", [](ASIC& a) { return a.SetAnodeChannelToMonitor(1); }, { { 13, 0x01 } } },
        { "anode channel 2 monitored", [](ASIC& a) { return a.SetAnodeChannelToMonitor(2); },
            { { 11, 0x20 }, { 13, 0x01 } } },
        { "anode channel 128 monitored", [](ASIC& a) { return a.SetAnodeChannelToMonitor(128); },
            { { 10, 0x0F }, { 11, 0xE0 }, { 13, 0x01 } } },
        { "cathode channel 2 leakage generator",
            [](ASIC& a) {
                return a.SetCathodeChannelInternalLeakageCurrentGenerator(2,
                    CATHODE_CHANNEL_INTERNAL_LEAKAGE_CURRENT_GENERATOR_2);
            },
            { { 11, 0x10 } } },
        { "cathode channel 1 leakage generator",
            [](ASIC& a) {
                return a.SetCathodeChannelInternalLeakageCurrentGenerator(1,
                    CATHODE_CHANNEL_INTERNAL_LEAKAGE_CURRENT_GENERATOR_2);
            },
            { { 11, 0x08 } } },
        { "shaper peaking time 4",
            [](ASIC& a) { return a.SetCathodeTimingChannelsShaperPeakingTime(TIMING_CHANNELS_SHAPER_PEAKING_TIME_4); },
            { { 11, 0x06 } } },
        { "shaper peaking time 2",
            [](ASIC& a) { return a.SetCathodeTimingChannelsShaperPeakingTime(TIMING_CHANNELS_SHAPER_PEAKING_TIME_2); },
            { { 11, 0x02 } } },
        { "cathode ramp length 4", [](ASIC& a) { return a.SetTimeDetectRampLength(CHANNEL_TYPE_CATHODE, 4); },
            { { 11, 0x01 }, { 12, 0x80 } } },
        { "cathode ramp length 3", [](ASIC& a) { return a.SetTimeDetectRampLength(CHANNEL_TYPE_CATHODE, 3); },
            { { 11, 0x01 } } },
        { "cathode ramp length 2", [](ASIC& a) { return a.SetTimeDetectRampLength(CHANNEL_TYPE_CATHODE, 2); },
            { { 12, 0x80 } } },
        { "cathode peak detect timeout 8", [](ASIC& a) { return a.SetPeakDetectTimeout(CHANNEL_TYPE_CATHODE, 8); },
            { { 12, 0x60 } } },
        { "cathode peak detect timeout 2", [](ASIC& a) { return a.SetPeakDetectTimeout(CHANNEL_TYPE_CATHODE, 2); },
            { { 12, 0x20 } } },
        { "cathode peaking time 2", [](ASIC& a) { return a.SetPeakingTime(CHANNEL_TYPE_CATHODE, 2.0); },
            { { 12, 0x18 } } },
        { "cathode peaking time 0.5", [](ASIC& a) { return a.SetPeakingTime(CHANNEL_TYPE_CATHODE, 0.5); },
            { { 12, 0x08 } } },
        { "channel gain 2", [](ASIC& a) { return a.SetChannelGain(CHANNEL_GAIN_2); }, { { 12, 0x02 } } },
        { "anode peaking time 2", [](ASIC& a) { return a.SetPeakingTime(CHANNEL_TYPE_ANODE, 2.0); },
            { { 13, 0x60 } } },
        { "anode peaking time 0.5", [](ASIC& a) { return a.SetPeakingTime(CHANNEL_TYPE_ANODE, 0.5); },
            { { 13, 0x20 } } },
        { "readout mode 2", [](ASIC& a) { return a.SetReadoutMode(GMASIC_READOUT_MODE_2); }, { { 13, 0x08 } } },
        { "bipolar gain 55mV", [](ASIC& a) { return a.SetTimingChannelBiPolarGain(TIMING_CHANNEL_BIPOLAR_GAIN_55MV); },
            { { 13, 0x04 } } },
        { "unipolar gain 81mV",
            [](ASIC& a) { return a.SetTimingChannelUnipolarGain(TIMING_CHANNEL_UNIPOLAR_GAIN_81MV); },
            { { 13, 0x02 } } },
        { "anode peak detect timeout 8", [](ASIC& a) { return a.SetPeakDetectTimeout(CHANNEL_TYPE_ANODE, 8); },
            { { 14, 0x18 } } },
        { "anode peak detect timeout 4", [](ASIC& a) { return a.SetPeakDetectTimeout(CHANNEL_TYPE_ANODE, 4); },
            { { 14, 0x08 } } },
        { "anode peak detect timeout 2", [](ASIC& a) { return a.SetPeakDetectTimeout(CHANNEL_TYPE_ANODE, 2); },
            { { 14, 0x10 } } },
        { "anode ramp length 4", [](ASIC& a) { return a.SetTimeDetectRampLength(CHANNEL_TYPE_ANODE, 4); },
            { { 14, 0x60 } } },
        { "anode ramp length 2 (index 1, sent low bit first)",
            [](ASIC& a) { return a.SetTimeDetectRampLength(CHANNEL_TYPE_ANODE, 2); }, { { 14, 0x40 } } },
        { "anode ramp length 3 (index 2, sent low bit first)",
            [](ASIC& a) { return a.SetTimeDetectRampLength(CHANNEL_TYPE_ANODE, 3); }, { { 14, 0x20 } } },
        { "options above 12 are not sent",
            [](ASIC& a) { a.SetGlobalOptions(static_cast<int>(0xFFFFE000u)); return true; }, {} },
    };
    for (const GlobalField& field : fields) {
        ASIC asic;
        ASSERT_TRUE(field.set(asic)) << field.name;
        EXPECT_EQ(asic.GetGlobalDataArray().toHex().toStdString(), Image(16, field.bits).toHex().toStdString())
            << field.name;
    }

    // Each global option bit 0 to 12 (12 is high gain) alone: its (byte, bit).
    const std::pair<int, unsigned char> optionBits[] = {
        {14, 0x01}, {14, 0x02}, {14, 0x04}, {14, 0x80}, {13, 0x10}, {13, 0x80}, {12, 0x01},
        {12, 0x04}, {10, 0x10}, {10, 0x20}, {9, 0x80}, {8, 0x01}, {10, 0x40}};
    for (int bit = 0; bit <= 12; ++bit) {
        ASIC asic;
        asic.SetGlobalOptions(1 << bit);
        EXPECT_EQ(asic.GetGlobalDataArray(), Image(16, {optionBits[bit]})) << "option " << bit;
    }
    // Five thresholds and the two test pulse steps at 1023, each ten bits wide.
    const std::pair<std::function<bool(ASIC&, int)>, ByteBits> steps[] = {
        {[](ASIC& a, int s) { return a.SetChannelThresholdStep(CHANNEL_THRESHOLD_TYPE_ANODE_POSITIVE_ENERGY, s); },
         {{0, 0x7F}, {1, 0xE0}}},
        {[](ASIC& a, int s) { return a.SetChannelThresholdStep(CHANNEL_THRESHOLD_TYPE_ANODE_NEGATIVE_ENERGY, s); },
         {{1, 0x1F}, {2, 0xF8}}},
        {[](ASIC& a, int s) { return a.SetChannelThresholdStep(CHANNEL_THRESHOLD_TYPE_CATHODE_ENERGY, s); },
         {{2, 0x07}, {3, 0xFE}}},
        {[](ASIC& a, int s) { return a.SetChannelThresholdStep(CHANNEL_THRESHOLD_TYPE_CATHODE_TIMING_UNIPOLAR, s); },
         {{3, 0x01}, {4, 0xFF}, {5, 0x80}}},
        {[](ASIC& a, int s) { return a.SetChannelThresholdStep(CHANNEL_THRESHOLD_TYPE_CATHODE_TIMING_PRIMARY_BIPOLAR, s); },
         {{5, 0x7F}, {6, 0xE0}}},
        {[](ASIC& a, int s) { return a.SetChannelTestPulseStep(CHANNEL_TYPE_ANODE, s); }, {{6, 0x1F}, {7, 0xF8}}},
        {[](ASIC& a, int s) { return a.SetChannelTestPulseStep(CHANNEL_TYPE_CATHODE, s); }, {{7, 0x07}, {8, 0xFE}}},
    };
    for (size_t k = 0; k < std::size(steps); ++k) {
        ASIC asic;
        ASSERT_TRUE(steps[k].first(asic, 1023)) << "step " << k;
        EXPECT_EQ(asic.GetGlobalDataArray(), Image(16, steps[k].second)) << "step " << k;
    }
    // With high gain the anode peak detect timeouts 32, 16 and 8 take the indices of 8, 4 and 2.
    for (const auto& timeout : {std::make_pair(32, 0x18), std::make_pair(16, 0x08), std::make_pair(8, 0x10)}) {
        ASIC asic;
        asic.SetGlobalOptions(GLOBAL_OPTION_HIGH_GAIN);
        ASSERT_TRUE(asic.SetPeakDetectTimeout(CHANNEL_TYPE_ANODE, timeout.first)) << timeout.first;
        EXPECT_EQ(asic.GetGlobalDataArray(), Image(16, {{10, 0x40}, {14, static_cast<unsigned char>(timeout.second)}}))
            << timeout.first;
    }
}

TEST(ASICGlobalImage, TimingValueMatchingNoEntryIsSentAsIndexZero)
{
    ASIC asic;
    asic.AccessAnodeChannelData()->SetPeakDetectTimeout(3);
    asic.AccessCathodeChannelData()->SetPeakingTime(0.0);
    asic.AccessCathodeChannelData()->SetTimeDetectRampLength(0);
    EXPECT_EQ(asic.GetGlobalDataArray(), QByteArray(16, '\0'));
}

TEST(ASICChannelImage, EveryChannelWordLandsInItsOwnBitsOnly)
{
    // Each channel alone with every bit of its word set.
    for (int no = 1; no <= ASIC_ANODE_CHANNEL_COUNT; ++no) {
        ASIC asic;
        asic.MaskChannel(CHANNEL_TYPE_ANODE, no, true);
        asic.EnableChannelTestCapacitor(CHANNEL_TYPE_ANODE, no, true);
        asic.SetChannelPositivePulseThresholdTrimStep(CHANNEL_TYPE_ANODE, no, 31);
        asic.SetAnodeChannelNegativePulseThresholdTrimStep(no, 31);
        asic.SetAnodeChannelSignal(no, SIGNAL_2);
        QByteArray expected(215, '\0');
        for (int bit = 0; bit < 13; ++bit)
            SetChannelArrayBit(expected, AnodeStart(no) + bit);
        ASSERT_EQ(asic.GetChannelDataArray(), expected) << "anode channel " << no;
    }
    for (int no = 1; no <= ASIC_CATHODE_CHANNEL_COUNT; ++no) {
        ASIC asic;
        asic.MaskChannel(CHANNEL_TYPE_CATHODE, no, true);
        asic.EnableChannelTestCapacitor(CHANNEL_TYPE_CATHODE, no, true);
        asic.SetChannelPositivePulseThresholdTrimStep(CHANNEL_TYPE_CATHODE, no, 31);
        asic.SetCathodeChannelShapedTimingSignal(no, SHAPED_TIMING_SIGNAL_2);
        for (int type = 0; type < 4; ++type)
            asic.SetCathodeTimingChannelTrimStep(static_cast<CathodeTimingChannelType>(type), no, 15);
        asic.SetCathodeChannelTimingMode(no, TIMING_MODE_3);
        QByteArray expected(215, '\0');
        for (int bit = 0; bit < 26; ++bit) {
            if (bit != 20) // timing mode 3 sets bit 21 only
                SetChannelArrayBit(expected, 836 + 26 * (no - 1) + bit);
        }
        ASSERT_EQ(asic.GetChannelDataArray(), expected) << "cathode channel " << no;
    }
}

TEST(ASICChannelImage, WholeOptionWordsOnEveryChannelGiveOnlyTheirTwoBits)
{
    ASIC asic;
    for (int no = 1; no <= ASIC_ANODE_CHANNEL_COUNT; ++no)
        asic.AccessAnodeChannelData()->AccessChannel(no).SetOptions(-1);
    QByteArray expected(215, '\0');
    for (int no = 1; no <= ASIC_ANODE_CHANNEL_COUNT; ++no) {
        SetChannelArrayBit(expected, AnodeStart(no));
        SetChannelArrayBit(expected, AnodeStart(no) + 1);
    }
    EXPECT_EQ(asic.GetChannelDataArray(), expected);
}

TEST(DetectorCalcsPacking, AddValueToByteArrayPlacesBitsLittleEndian)
{
    QByteArray array(4, '\0');
    DetectorCalcs::AddValueToByteArray(0x1FFF, 4, array);
    EXPECT_EQ(array, QByteArray::fromHex("f0ff0100"));

    DetectorCalcs::AddValueToByteArray(0x1, 31, array);
    EXPECT_EQ(array, QByteArray::fromHex("f0ff0180"));

    QByteArray untouched(2, '\0');
    DetectorCalcs::AddValueToByteArray(0, 3, untouched);
    DetectorCalcs::AddValueToByteArray(0xFF, -1, untouched);
    EXPECT_EQ(untouched, QByteArray(2, '\0'));
}

TEST(DetectorCalcsPacking, AddValueToByteArrayOrsAndGrowsInsteadOfWritingPastTheEnd)
{
    QByteArray array = QByteArray::fromHex("01");
    DetectorCalcs::AddValueToByteArray(0x3, 7, array);
    EXPECT_EQ(array, QByteArray::fromHex("8101"));
    DetectorCalcs::AddValueToByteArray(0xFFFFFFFFu, 20, array);
    EXPECT_EQ(array, QByteArray::fromHex("8101f0ffffff0f"));
}
