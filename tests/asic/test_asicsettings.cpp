// ASIC global, group and channel-addressed settings, and ASIC assignment.
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "asic/asic.h"
#include "asic/asicregisterimage.h"
#include "asictestvalues.h"

using namespace CathodeChannel;

TEST(ASICSettings, BipolarGainMustSuitTheUnipolarGain)
{
    ASIC asic;
    EXPECT_FALSE(asic.SetTimingChannelBiPolarGain(TIMING_CHANNEL_BIPOLAR_GAIN_63MV));
    EXPECT_EQ(asic.GetLastError(), "Bipolar gain must be 21mv or 55mV when Unipolar gain is 27mV");
    EXPECT_EQ(asic.GetTimingChannelBiPolarGain(), TIMING_CHANNEL_BIPOLAR_GAIN_21MV);
    EXPECT_TRUE(asic.SetTimingChannelBiPolarGain(TIMING_CHANNEL_BIPOLAR_GAIN_55MV));

    // Changing the unipolar gain leaves the now inconsistent bipolar gain as it is.
    ASSERT_TRUE(asic.SetTimingChannelUnipolarGain(TIMING_CHANNEL_UNIPOLAR_GAIN_81MV));
    EXPECT_EQ(asic.GetTimingChannelBiPolarGain(), TIMING_CHANNEL_BIPOLAR_GAIN_55MV);
    EXPECT_FALSE(asic.SetTimingChannelBiPolarGain(TIMING_CHANNEL_BIPOLAR_GAIN_21MV));
    EXPECT_EQ(asic.GetLastError(), "Bipolar gain must be 63mV or 164mV when Unipolar gain is 81mV");
    EXPECT_TRUE(asic.SetTimingChannelBiPolarGain(TIMING_CHANNEL_BIPOLAR_GAIN_63MV));

    EXPECT_FALSE(asic.SetTimingChannelBiPolarGain(TIMING_CHANNEL_BIPOLAR_GAIN_UNDEFINED));
    EXPECT_EQ(asic.GetLastError(), "Undefined Bipolar gain detected");

    // Another unipolar value: refused without a message.
    asic.SetTimingChannelUnipolarGain(static_cast<TimingChannelUnipolarGain>(3));
    EXPECT_FALSE(asic.SetTimingChannelBiPolarGain(TIMING_CHANNEL_BIPOLAR_GAIN_63MV));
    EXPECT_EQ(asic.GetLastError(), "Undefined Bipolar gain detected");
}

TEST(ASICSettings, MonitorSettersLinkTheAnalogOutput)
{
    ASIC asic;
    EXPECT_EQ(asic.GetDACMonitored(), DACS_UNDEFINED);
    EXPECT_EQ(asic.GetCathodeEnergyTimingMonitored(), CATHODE_ENERGY_TIMING_UNDEFINED);

    EXPECT_FALSE(asic.SetAnalogOutputToMonitor(ANALOG_OUTPUT_DAC));
    EXPECT_EQ(asic.GetLastError(), "Use dedicated function to set this analog output to monitor");
    EXPECT_TRUE(asic.SetDACToMonitor(DACS_3));
    EXPECT_EQ(asic.GetAnalogOutputMonitored(), ANALOG_OUTPUT_DAC);

    EXPECT_TRUE(asic.SetCathodeEnergyTimingToMonitor(CATHODE_ENERGY_TIMING_2));
    EXPECT_EQ(asic.GetAnalogOutputMonitored(), ANALOG_OUTPUT_CATHODE_ENERGY_TIMING);
    EXPECT_EQ(asic.GetDACMonitored(), DACS_3);

    EXPECT_FALSE(asic.SetAnodeChannelToMonitor(129));
    EXPECT_EQ(asic.GetLastError(), "Anode channel must be in range 1 to 128");
    EXPECT_FALSE(asic.SetAnodeChannelToMonitor(0));
    EXPECT_EQ(asic.GetAnalogOutputMonitored(), ANALOG_OUTPUT_CATHODE_ENERGY_TIMING);
    EXPECT_TRUE(asic.SetAnodeChannelToMonitor(128));
    EXPECT_EQ(asic.GetAnalogOutputMonitored(), ANALOG_OUTPUT_ANODE_CHANNEL);
    EXPECT_EQ(asic.GetCathodeEnergyTimingMonitored(), CATHODE_ENERGY_TIMING_2);

    EXPECT_TRUE(asic.SetAnalogOutputToMonitor(ANALOG_OUTPUT_3));
    EXPECT_EQ(asic.GetAnalogOutputMonitored(), ANALOG_OUTPUT_3);
    EXPECT_FALSE(asic.SetAnalogOutputToMonitor(ANALOG_OUTPUT_UNDEFINED));
    EXPECT_EQ(asic.GetLastError(), "Undefined analog output detected");
    // Out of range: refused, the previous text stays.
    EXPECT_FALSE(asic.SetAnalogOutputToMonitor(static_cast<AnalogOutput>(7)));
    EXPECT_FALSE(asic.SetAnalogOutputToMonitor(static_cast<AnalogOutput>(-1)));
    EXPECT_EQ(asic.GetLastError(), "Undefined analog output detected");
    EXPECT_EQ(asic.GetAnalogOutputMonitored(), ANALOG_OUTPUT_3);

    EXPECT_FALSE(asic.SetDACToMonitor(DACS_UNDEFINED));
    EXPECT_EQ(asic.GetLastError(), "Undefined DACS detected");
    EXPECT_FALSE(asic.SetCathodeEnergyTimingToMonitor(CATHODE_ENERGY_TIMING_UNDEFINED));
    EXPECT_EQ(asic.GetLastError(), "Undefined CathodeEnergyTiming detected");
}

TEST(ASICSettings, UndefinedGlobalEnumerationsAreRefusedWithTheirText)
{
    ASIC asic;
    EXPECT_FALSE(asic.SetCathodeTestClockType(CATHODE_TEST_CLOCK_TYPE_UNDEFINED));
    EXPECT_EQ(asic.GetLastError(), "Undefined cathode test clock type detected");
    EXPECT_FALSE(asic.SetReadoutMode(GMASIC_READOUT_MODE_UNDEFINED));
    EXPECT_EQ(asic.GetLastError(), "Undefined readout mode detected");
    EXPECT_FALSE(asic.SetTimingChannelUnipolarGain(TIMING_CHANNEL_UNIPOLAR_GAIN_UNDEFINED));
    EXPECT_EQ(asic.GetLastError(), "Undefined unipolar gain detected");
    EXPECT_FALSE(asic.SetChannelGain(CHANNEL_GAIN_UNDEFINED));
    EXPECT_EQ(asic.GetLastError(), "Undefined channel gain detected");
    EXPECT_FALSE(asic.SetInternalLeakageCurrentGenerator(INTERNAL_LEAKAGE_CURRENT_GENERATOR_UNDEFINED));
    EXPECT_EQ(asic.GetLastError(), "Undefined internal leakage current generator detected");
    EXPECT_FALSE(asic.SetMultipleFiringSuppressTime(MULTIPLE_FIRING_SUPPRESSION_TIME_UNDEFINED));
    EXPECT_EQ(asic.GetLastError(), "Undefined multiple firing suppress time detected");
    EXPECT_FALSE(asic.SetAnodeTestPulseEdge(TEST_PULSE_EDGE_UNDEFINED));
    EXPECT_EQ(asic.GetLastError(), "Undefined anode test pulse edge detected");
    EXPECT_FALSE(asic.SetCathodeTestModeInput(TEST_MODE_INPUT_UNDEFINED));
    EXPECT_EQ(asic.GetLastError(), "Undefined cathode test mode input detected");
    EXPECT_FALSE(asic.SetCathodeTimingChannelsShaperPeakingTime(TIMING_CHANNELS_SHAPER_PEAKING_TIME_UNDEFINED));
    EXPECT_EQ(asic.GetLastError(), "Undefined timing channels shaper peaking time detected");
    EXPECT_EQ(asic.GetCathodeTestClockType(), CATHODE_TEST_CLOCK_TYPE_2);
}

TEST(ASICTiming, ValuesOutsideTheTableAreRefusedWithTheAdmissibleList)
{
    ASIC asic;
    EXPECT_FALSE(asic.SetPeakDetectTimeout(CHANNEL_TYPE_ANODE, 3));
    EXPECT_EQ(asic.GetLastError(), "Peak detect timeout must be one of 1, 2, 4, 8");
    EXPECT_FALSE(asic.SetTimeDetectRampLength(CHANNEL_TYPE_ANODE, 5));
    EXPECT_EQ(asic.GetLastError(), "Time detect ramp length must be one of 1, 2, 3, 4");
    EXPECT_FALSE(asic.SetPeakingTime(CHANNEL_TYPE_CATHODE, 0.3));
    EXPECT_EQ(asic.GetLastError(), "Peaking time must be one of 0.25, 0.5, 1, 2");

    asic.SetGlobalOptions(GLOBAL_OPTION_HIGH_GAIN);
    EXPECT_EQ(asic.GetPeakDetectTimeout(CHANNEL_TYPE_ANODE), 4);
    EXPECT_FALSE(asic.SetPeakDetectTimeout(CHANNEL_TYPE_ANODE, 2));
    EXPECT_EQ(asic.GetLastError(), "Peak detect timeout must be one of 4, 8, 16, 32");
    EXPECT_FALSE(asic.SetTimeDetectRampLength(CHANNEL_TYPE_ANODE, 1));
    EXPECT_EQ(asic.GetLastError(), "Time detect ramp length must be one of 4, 8, 12, 16");
    EXPECT_FALSE(asic.SetPeakingTime(CHANNEL_TYPE_ANODE, 2.0));
    EXPECT_EQ(asic.GetLastError(), "Peaking time must be one of 1.5, 3, 6, 12");
    EXPECT_TRUE(asic.SetPeakingTime(CHANNEL_TYPE_ANODE, 6.0));
    EXPECT_TRUE(asic.SetTimeDetectRampLength(CHANNEL_TYPE_CATHODE, 12));
    EXPECT_EQ(asic.GetCathodeTimeDetectRampLength(), 12);
}

TEST(ASICTiming, PeakingTimeMatchesFuzzilyAndStoresTheGivenValue)
{
    ASIC asic;
    const double nearlyHalf = 0.5 + 1e-14;
    EXPECT_TRUE(asic.SetPeakingTime(CHANNEL_TYPE_ANODE, nearlyHalf));
    EXPECT_EQ(asic.GetPeakingTime(CHANNEL_TYPE_ANODE), nearlyHalf);
    EXPECT_FALSE(asic.SetPeakingTime(CHANNEL_TYPE_ANODE, 0.5001));
}

TEST(ASICTiming, OtherChannelTypesAreValidatedButChangeNothing)
{
    ASIC asic;
    const ChannelType other = static_cast<ChannelType>(2);
    EXPECT_TRUE(asic.SetPeakDetectTimeout(other, 8));
    EXPECT_TRUE(asic.SetTimeDetectRampLength(other, 4));
    EXPECT_TRUE(asic.SetPeakingTime(other, 2.0));
    EXPECT_FALSE(asic.SetPeakDetectTimeout(other, 3));
    EXPECT_EQ(asic.GetPeakDetectTimeout(other), 0);
    EXPECT_EQ(asic.GetTimeDetectRampLength(other), 0);
    EXPECT_EQ(asic.GetPeakingTime(other), 0.0);
    EXPECT_EQ(asic.GetPeakDetectTimeout(CHANNEL_TYPE_ANODE), 1);
    EXPECT_EQ(asic.GetPeakDetectTimeout(CHANNEL_TYPE_CATHODE), 1);
    EXPECT_EQ(asic.AccessChannelData(other), nullptr);
    EXPECT_FALSE(asic.SetChannelTestPulseStep(other, 5));
    EXPECT_EQ(asic.GetChannelTestPulseStep(other), 0);
}

TEST(ASICTiming, HighGainOnAndOffRestoresEveryTimingValue)
{
    ASIC asic;
    ASSERT_TRUE(asic.SetPeakDetectTimeout(CHANNEL_TYPE_ANODE, 8));
    ASSERT_TRUE(asic.SetTimeDetectRampLength(CHANNEL_TYPE_ANODE, 3));
    ASSERT_TRUE(asic.SetPeakingTime(CHANNEL_TYPE_ANODE, 0.5));
    ASSERT_TRUE(asic.SetPeakDetectTimeout(CHANNEL_TYPE_CATHODE, 2));
    ASSERT_TRUE(asic.SetTimeDetectRampLength(CHANNEL_TYPE_CATHODE, 4));
    ASSERT_TRUE(asic.SetPeakingTime(CHANNEL_TYPE_CATHODE, 2.0));
    asic.SetGlobalOptions(0x3);
    const QByteArray before = asic.GetGlobalDataArray();

    asic.SetGlobalOptions(0x3 | GLOBAL_OPTION_HIGH_GAIN);
    EXPECT_EQ(asic.GetPeakDetectTimeout(CHANNEL_TYPE_ANODE), 32);
    EXPECT_EQ(asic.GetTimeDetectRampLength(CHANNEL_TYPE_ANODE), 12);
    EXPECT_DOUBLE_EQ(asic.GetPeakingTime(CHANNEL_TYPE_ANODE), 3.0);
    EXPECT_EQ(asic.GetPeakDetectTimeout(CHANNEL_TYPE_CATHODE), 8);
    EXPECT_EQ(asic.GetTimeDetectRampLength(CHANNEL_TYPE_CATHODE), 16);
    EXPECT_DOUBLE_EQ(asic.GetPeakingTime(CHANNEL_TYPE_CATHODE), 12.0);
    // Same table indices: only the high gain bit differs.
    QByteArray expected = before;
    expected[10] = static_cast<char>(expected[10] | 0x40);
    EXPECT_EQ(asic.GetGlobalDataArray(), expected);

    // Setting the same bit again must not rescale a second time.
    asic.SetGlobalOptions(0x7 | GLOBAL_OPTION_HIGH_GAIN);
    EXPECT_EQ(asic.GetPeakDetectTimeout(CHANNEL_TYPE_ANODE), 32);

    asic.SetGlobalOptions(0x3);
    EXPECT_EQ(asic.GetPeakDetectTimeout(CHANNEL_TYPE_ANODE), 8);
    EXPECT_EQ(asic.GetTimeDetectRampLength(CHANNEL_TYPE_ANODE), 3);
    EXPECT_DOUBLE_EQ(asic.GetPeakingTime(CHANNEL_TYPE_ANODE), 0.5);
    EXPECT_EQ(asic.GetPeakDetectTimeout(CHANNEL_TYPE_CATHODE), 2);
    EXPECT_EQ(asic.GetTimeDetectRampLength(CHANNEL_TYPE_CATHODE), 4);
    EXPECT_DOUBLE_EQ(asic.GetPeakingTime(CHANNEL_TYPE_CATHODE), 2.0);
    EXPECT_EQ(asic.GetGlobalDataArray(), before);
}

// Values a group or a channel refuses: the ASIC copies the text of the group or
// channel, and neither image changes.
TEST(ASICValidation, RefusedGroupAndChannelValuesGiveTheirTextAndChangeNothing)
{
    using Set = std::function<bool(ASIC&)>;
    const QString step = "Threshold Step must be between 0 and 1023";
    const QString trim = "Threshold Trim Step must be between 0 and 15";
    const std::vector<std::pair<Set, QString>> refusals = {
        {[](ASIC& a) { return a.SetChannelThresholdStep(CHANNEL_THRESHOLD_TYPE_ANODE_POSITIVE_ENERGY, 1024); },
         "Positive Energy " + step},
        {[](ASIC& a) { return a.SetChannelThresholdStep(CHANNEL_THRESHOLD_TYPE_ANODE_NEGATIVE_ENERGY, -1); },
         "Negative Energy " + step},
        {[](ASIC& a) { return a.SetChannelThresholdStep(CHANNEL_THRESHOLD_TYPE_CATHODE_ENERGY, 1024); }, "Energy " + step},
        {[](ASIC& a) { return a.SetChannelThresholdStep(CHANNEL_THRESHOLD_TYPE_CATHODE_TIMING_UNIPOLAR, 1024); },
         "Timing Unipolar " + step},
        {[](ASIC& a) { return a.SetChannelThresholdStep(CHANNEL_THRESHOLD_TYPE_CATHODE_TIMING_PRIMARY_BIPOLAR, -1); },
         "Timing Primary BiPolar " + step},
        {[](ASIC& a) { return a.SetChannelTestPulseStep(CHANNEL_TYPE_ANODE, 1024); },
         "Test Pulse step must be between 0 and 1023"},
        {[](ASIC& a) { return a.SetChannelTestPulseStep(CHANNEL_TYPE_CATHODE, 1024); },
         "Test Pulse step must be between 0 and 1023"},
        {[](ASIC& a) { return a.SetAnodeTestPulseEdge(TEST_PULSE_EDGE_UNDEFINED); },
         "Undefined anode test pulse edge detected"},
        {[](ASIC& a) { return a.SetCathodeTimingChannelsSecondaryMultiThresholdDisplacementStep(16); },
         "Cathode Timing Channels Secondary Multi-Thresholds Displacement must be between 0 and 15"},
        {[](ASIC& a) { return a.SetCathodeTestModeInput(TEST_MODE_INPUT_UNDEFINED); },
         "Undefined cathode test mode input detected"},
        {[](ASIC& a) { return a.SetCathodeTimingChannelsShaperPeakingTime(TIMING_CHANNELS_SHAPER_PEAKING_TIME_UNDEFINED); },
         "Undefined timing channels shaper peaking time detected"},
        {[](ASIC& a) { return a.SetChannelPositivePulseThresholdTrimStep(CHANNEL_TYPE_ANODE, 1, 32); },
         "Positive Pulse Threshold Trim must be between 0 and 31"},
        {[](ASIC& a) { return a.SetChannelPositivePulseThresholdTrimStep(CHANNEL_TYPE_CATHODE, 1, -1); },
         "Positive Pulse Threshold Trim must be between 0 and 31"},
        {[](ASIC& a) { return a.SetAnodeChannelNegativePulseThresholdTrimStep(5, 40); },
         "Negative Pulse Threshold Trim must be between 0 and 31"},
        {[](ASIC& a) { return a.SetAnodeChannelSignal(1, SIGNAL_UNDEFINED); }, "Undefined anode signal to monitor detected"},
        {[](ASIC& a) { return a.SetCathodeTimingChannelTrimStep(CATHODE_TIMING_CHANNEL_TYPE_UNIPOLAR, 1, 16); },
         "Timing Channel Unipolar " + trim},
        {[](ASIC& a) { return a.SetCathodeTimingChannelTrimStep(CATHODE_TIMING_CHANNEL_TYPE_FIRST_MULTI_THRESHOLD, 1, -1); },
         "Timing Channel First Multi-" + trim},
        {[](ASIC& a) { return a.SetCathodeTimingChannelTrimStep(CATHODE_TIMING_CHANNEL_TYPE_SECOND_MULTI_THRESHOLD, 1, 16); },
         "Timing Channel Second Multi-" + trim},
        {[](ASIC& a) { return a.SetCathodeTimingChannelTrimStep(CATHODE_TIMING_CHANNEL_TYPE_THIRD_MULTI_THRESHOLD, 2, 100); },
         "Timing Channel Third Multi-" + trim},
        {[](ASIC& a) { return a.SetCathodeChannelShapedTimingSignal(1, SHAPED_TIMING_SIGNAL_UNDEFINED); },
         "Undefined shaped timing signal detected"},
        {[](ASIC& a) { return a.SetCathodeChannelTimingMode(2, TIMING_MODE_UNDEFINED); }, "Undefined timing mode detected"},
        {[](ASIC& a) {
             return a.SetCathodeChannelInternalLeakageCurrentGenerator(
                 1, CATHODE_CHANNEL_INTERNAL_LEAKAGE_CURRENT_GENERATOR_UNDEFINED);
         },
         "Undefined internal leakage current generator detected"},
    };
    const ASIC fresh;
    ASIC asic;
    for (size_t k = 0; k < refusals.size(); ++k) {
        EXPECT_FALSE(refusals[k].first(asic)) << k;
        EXPECT_EQ(asic.GetLastError(), refusals[k].second) << k;
    }
    EXPECT_EQ(asic.GetGlobalDataArray(), fresh.GetGlobalDataArray());
    EXPECT_EQ(asic.GetChannelDataArray(), fresh.GetChannelDataArray());
    EXPECT_EQ(asic.GetCathodeChannelData().GetChannel(2).GetTimingMode(), TIMING_MODE_1);
}

TEST(ASICGroupSettings, ThresholdStepsReachTheirGroup)
{
    ASIC asic;
    const ChannelThresholdType types[] = {
        CHANNEL_THRESHOLD_TYPE_CATHODE_TIMING_PRIMARY_BIPOLAR,
        CHANNEL_THRESHOLD_TYPE_CATHODE_TIMING_UNIPOLAR,
        CHANNEL_THRESHOLD_TYPE_CATHODE_ENERGY,
        CHANNEL_THRESHOLD_TYPE_ANODE_NEGATIVE_ENERGY,
        CHANNEL_THRESHOLD_TYPE_ANODE_POSITIVE_ENERGY,
    };
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(asic.SetChannelThresholdStep(types[i], 100 + i));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(asic.GetChannelThresholdStep(types[i]), 100 + i);
    EXPECT_EQ(asic.GetCathodeChannelData().GetTimingPrimaryBiPolarMultiThresholdStep(), 100);
    EXPECT_EQ(asic.GetAnodeChannelData().GetPositiveEnergyThresholdStep(), 104);

    const ChannelThresholdType other = static_cast<ChannelThresholdType>(5);
    EXPECT_TRUE(asic.SetChannelThresholdStep(other, 5000));
    EXPECT_EQ(asic.GetChannelThresholdStep(other), 0);
}

TEST(ASICChannelOps, InvalidChannelNumbersAreRefusedWithTheLimit)
{
    ASIC asic;
    EXPECT_FALSE(asic.MaskChannel(CHANNEL_TYPE_ANODE, 0, true));
    EXPECT_EQ(asic.GetLastError(), "Invalid Anode Channel, value must be between 1 and 128");
    EXPECT_FALSE(asic.MaskChannel(CHANNEL_TYPE_CATHODE, 3, true));
    EXPECT_EQ(asic.GetLastError(), "Invalid Cathode Channel, value must be between 1 and 2");
    EXPECT_FALSE(asic.SetAnodeChannelSignal(129, SIGNAL_2));
    EXPECT_EQ(asic.GetLastError(), "Invalid Anode Channel, value must be between 1 and 128");
    EXPECT_FALSE(asic.SetCathodeChannelTimingMode(-1, TIMING_MODE_2));
    EXPECT_EQ(asic.GetLastError(), "Invalid Cathode Channel, value must be between 1 and 2");
    int value = 42;
    EXPECT_FALSE(asic.GetCathodeTimingChannelTrimStep(CATHODE_TIMING_CHANNEL_TYPE_UNIPOLAR, 0, &value));
    EXPECT_EQ(value, 42);

    // Other channel types are checked against the cathode limit.
    const ChannelType other = static_cast<ChannelType>(7);
    EXPECT_FALSE(asic.MaskChannel(other, 3, true));
    EXPECT_EQ(asic.GetLastError(), "Invalid Cathode Channel, value must be between 1 and 2");
    asic.SetChannelThresholdStep(CHANNEL_THRESHOLD_TYPE_CATHODE_ENERGY, 2000);
    const QString previous = asic.GetLastError();
    EXPECT_FALSE(asic.MaskChannel(other, 1, true));
    EXPECT_EQ(asic.GetLastError(), previous);
    EXPECT_TRUE(asic.SetChannelPositivePulseThresholdTrimStep(other, 1, 99));
    EXPECT_TRUE(asic.GetChannelPositivePulseThresholdTrimStep(other, 1, &value));
    EXPECT_EQ(value, 42);
}

TEST(ASICChannelOps, ChannelSettersReachTheAddressedChannel)
{
    ASIC asic;
    ASSERT_TRUE(asic.MaskChannel(CHANNEL_TYPE_ANODE, 77, true));
    ASSERT_TRUE(asic.EnableChannelTestCapacitor(CHANNEL_TYPE_CATHODE, 2, true));
    bool flag = false;
    ASSERT_TRUE(asic.IsChannelMasked(CHANNEL_TYPE_ANODE, 77, &flag));
    EXPECT_TRUE(flag);
    ASSERT_TRUE(asic.IsChannelMasked(CHANNEL_TYPE_ANODE, 76, &flag));
    EXPECT_FALSE(flag);
    ASSERT_TRUE(asic.IsChannelTestCapacitorEnabled(CHANNEL_TYPE_CATHODE, 2, &flag));
    EXPECT_TRUE(flag);

    const CathodeTimingChannelType types[] = {
        CATHODE_TIMING_CHANNEL_TYPE_FIRST_MULTI_THRESHOLD,
        CATHODE_TIMING_CHANNEL_TYPE_SECOND_MULTI_THRESHOLD,
        CATHODE_TIMING_CHANNEL_TYPE_THIRD_MULTI_THRESHOLD,
        CATHODE_TIMING_CHANNEL_TYPE_UNIPOLAR,
    };
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(asic.SetCathodeTimingChannelTrimStep(types[i], 2, 10 + i));
    const ASICCathodeChannel& channel = asic.GetCathodeChannelData().GetChannel(2);
    EXPECT_EQ(channel.GetTimingFirstMultiThresholdTrimStep(), 10);
    EXPECT_EQ(channel.GetTimingSecondMultiThresholdTrimStep(), 11);
    EXPECT_EQ(channel.GetTimingThirdMultiThresholdTrimStep(), 12);
    EXPECT_EQ(channel.GetTimingUnipolarThresholdTrimStep(), 13);
    int step = 0;
    ASSERT_TRUE(asic.GetCathodeTimingChannelTrimStep(CATHODE_TIMING_CHANNEL_TYPE_THIRD_MULTI_THRESHOLD, 2, &step));
    EXPECT_EQ(step, 12);
    EXPECT_TRUE(asic.SetCathodeTimingChannelTrimStep(static_cast<CathodeTimingChannelType>(4), 2, 99));
}

TEST(ASICChannelOps, GettersRefuseANullPointer)
{
    ASIC asic;
    EXPECT_FALSE(asic.IsChannelMasked(CHANNEL_TYPE_ANODE, 1, nullptr));
    EXPECT_EQ(asic.GetLastError(), "Null pointer passed to function");
    EXPECT_FALSE(asic.GetAnodeChannelSignal(1, nullptr));
    EXPECT_FALSE(asic.GetCathodeChannelInternalLeakageCurrentGenerator(1, nullptr));
    EXPECT_FALSE(asic.GetChannelPositivePulseThresholdTrimStep(CHANNEL_TYPE_ANODE, 1, nullptr));
}

// The groups and channels are copied whole (option words included), but
// neither the ASIC's nor a group's nor a channel's last error.
TEST(ASICAssignment, CopiesEverySettingButNotTheLastError)
{
    ASIC source;
    asictest::FillWithNonDefaults(source);
    ASSERT_EQ(source.GetAnalogOutputMonitored(), ANALOG_OUTPUT_ANODE_CHANNEL);
    source.SetReadoutMode(GMASIC_READOUT_MODE_UNDEFINED);
    source.AccessAnodeChannelData()->AccessChannel(7).SetOptions(0x40 | 0x3);
    source.AccessAnodeChannelData()->SetTestPulseStep(5000);
    source.AccessCathodeChannelData()->AccessChannel(2).SetTimingMode(TIMING_MODE_UNDEFINED);

    ASIC target;
    target.SetChannelGain(CHANNEL_GAIN_UNDEFINED);
    const QString targetError = target.GetLastError();
    target.AccessAnodeChannelData()->SetPositiveEnergyThresholdStep(-5);
    const QString groupError = target.GetAnodeChannelData().GetLastError();
    target.AccessAnodeChannelData()->AccessChannel(3).SetPositivePulseThresholdTrimStep(99);
    const QString channelError = target.GetAnodeChannelData().GetChannel(3).GetLastError();
    target = source;

    EXPECT_EQ(target.GetLastError(), targetError);
    EXPECT_EQ(target.GetAnodeChannelData().GetLastError(), groupError);
    EXPECT_EQ(target.GetAnodeChannelData().GetChannel(3).GetLastError(), channelError);
    EXPECT_TRUE(target.GetCathodeChannelData().GetChannel(2).GetLastError().isEmpty());
    EXPECT_EQ(target.GetAnodeChannelData().GetChannel(7).GetOptions(), 0x43);
    EXPECT_EQ(target.GetGlobalDataArray(), source.GetGlobalDataArray());
    EXPECT_EQ(target.GetChannelDataArray(), source.GetChannelDataArray());
    EXPECT_EQ(target.GetCathodeTestClockType(), CATHODE_TEST_CLOCK_TYPE_1);
    EXPECT_EQ(target.GetGlobalOptions(), 0x0ABC);
    EXPECT_EQ(target.GetDACMonitored(), DACS_7);
    EXPECT_EQ(target.GetCathodeEnergyTimingMonitored(), CATHODE_ENERGY_TIMING_3);
    EXPECT_EQ(target.GetAnodeChannelMonitored(), 100);
    EXPECT_EQ(target.GetTimingChannelUnipolarGain(), TIMING_CHANNEL_UNIPOLAR_GAIN_81MV);
    EXPECT_EQ(target.GetTimingChannelBiPolarGain(), TIMING_CHANNEL_BIPOLAR_GAIN_164MV);
    EXPECT_EQ(target.GetMultipleFiringSuppressTime(), MULTIPLE_FIRING_SUPPRESSION_TIME_3);
    EXPECT_EQ(target.GetPeakDetectTimeout(CHANNEL_TYPE_CATHODE), 4);
    EXPECT_DOUBLE_EQ(target.GetPeakingTime(CHANNEL_TYPE_ANODE), 1.0);
    EXPECT_EQ(target.GetCathodeChannelData().GetChannel(1).GetInternalLeakageCurrentGenerator(),
        CATHODE_CHANNEL_INTERNAL_LEAKAGE_CURRENT_GENERATOR_2);
    EXPECT_DOUBLE_EQ(target.GetPeakingTime(CHANNEL_TYPE_CATHODE), 0.5);
    EXPECT_EQ(target.GetCathodeTimeDetectRampLength(), 2);
    for (int no = 1; no <= ASIC_ANODE_CHANNEL_COUNT; ++no)
        EXPECT_EQ(target.GetAnodeChannelData().GetChannel(no).GetChannelNo(), no);
    EXPECT_EQ(target.GetCathodeChannelData().GetChannel(2).GetChannelNo(), 2);
}
