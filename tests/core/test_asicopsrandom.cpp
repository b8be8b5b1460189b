// Seeded random settings applied through the exported setters and, alike, to a
// reference GM of the model. The GM register bytes and the ASIC images the
// virtual camera received must equal the reference's images: the setters
// reach the right fields and every image goes out whole. What the fields look
// like in the images is fixed by the bit tables of the gammamodule and asic
// tests.
#include "tests/support/camerarig.h"

#include <algorithm>
#include <random>

using namespace CathodeChannel;

namespace {

// One setting through the exported function and on the reference.
#define APPLY(a_Exported, a_Reference)                                                                  \
    do {                                                                                                 \
        ASSERT_TRUE(QuorvelDll::a_Exported) << #a_Exported << ": " << QuorvelDll::GetLastError();        \
        ASSERT_TRUE(a_Reference) << #a_Reference;                                                        \
    } while (false)

class RandomSettings
{
public:
    explicit RandomSettings(unsigned a_Seed) : m_Random(a_Seed) {}

    int Pick(int a_Low, int a_High) { return std::uniform_int_distribution<int>(a_Low, a_High)(m_Random); }
    bool Coin() { return Pick(0, 1) == 1; }

    void ApplyGM(GammaModule& g, int a_GMCount)
    {
        const int options = Pick(0, 0xFF);
        APPLY(SetGMOptions(options), g.SetOptions(options));
        const int adc1 = Pick(1, 2);
        APPLY(SetGMADC1Channel(adc1), g.SetADC1Channel(adc1));
        const int adc2 = Pick(1, 2);
        APPLY(SetGMADC2Channel(adc2), g.SetADC2Channel(adc2));
        const int defaultGM = Pick(1, a_GMCount);
        APPLY(SetDefaultGM(defaultGM), (g.SetDefaultGM(defaultGM), true));
        const int readoutOptions = Pick(0, 3);
        APPLY(SetGMReadoutOptions(readoutOptions), g.SetReadoutOptions(readoutOptions));
        const auto readoutMode = static_cast<GMReadoutMode>(Pick(1, 2));
        APPLY(SetGMReadoutMode(readoutMode), g.SetReadoutMode(readoutMode));
        const auto cathodeMode = static_cast<GMCathodeMode>(Pick(1, 3));
        APPLY(SetGMCathodeMode(cathodeMode), g.SetCathodeMode(cathodeMode));
        const auto frequency = static_cast<GMPulserFrequency>(Pick(1, 4));
        APPLY(SetGMPulserFrequency(frequency), g.SetPulserFrequency(frequency));
        const int pulserOptions = Pick(0, 3);
        APPLY(SetGMPulserOptions(pulserOptions), g.SetPulserOptions(pulserOptions));
        const int pulses = Pick(0, 15);
        APPLY(SetNoOfPulses(pulses), g.SetNoOfPulses(pulses));
        const int delay = 20 * Pick(0, 255);
        APPLY(SetDelayTime(delay), g.SetDelayTime(delay));
        const int timestamp = 100 * Pick(0, 255);
        APPLY(SetTimestampResolution(timestamp), g.SetTimestampResolution(timestamp));
    }

    void ApplyGlobal(ASIC& a)
    {
        // Options first: high gain scales the timing values chosen afterwards.
        const int options = Pick(0, 0x3FFF);
        APPLY(SetASICGlobalOptions(options), (a.SetGlobalOptions(options), true));
        const bool highGain = (options >> 12) & 1;
        const auto readoutMode = static_cast<GMASICReadoutMode>(Pick(1, 2));
        APPLY(SetASICReadoutMode(readoutMode), a.SetReadoutMode(readoutMode));
        const int unipolar = Pick(1, 2);
        const auto unipolarGain = static_cast<TimingChannelUnipolarGain>(unipolar);
        APPLY(SetTimingChannelUnipolarGain(unipolarGain), a.SetTimingChannelUnipolarGain(unipolarGain));
        const auto bipolarGain = static_cast<TimingChannelBipolarGain>(unipolar == 1 ? Pick(1, 2) : Pick(3, 4));
        APPLY(SetTimingChannelBiPolarGain(bipolarGain), a.SetTimingChannelBiPolarGain(bipolarGain));
        const auto gain = static_cast<ChannelGain>(Pick(1, 2));
        APPLY(SetChannelGain(gain), a.SetChannelGain(gain));
        const auto leakage = static_cast<::InternalLeakageCurrentGenerator>(Pick(1, 2));
        APPLY(SetInternalLeakageCurrentGenerator(leakage), a.SetInternalLeakageCurrentGenerator(leakage));
        const auto suppress = static_cast<MultipleFiringSuppressionTime>(Pick(1, 4));
        APPLY(SetMultipleFiringSuppressTime(suppress), a.SetMultipleFiringSuppressTime(suppress));
        const auto clock = static_cast<CathodeTestClockType>(Pick(1, 2));
        APPLY(SetCathodeTestClockType(clock), a.SetCathodeTestClockType(clock));
        const auto edge = static_cast<TestPulseEdge>(Pick(1, 2));
        APPLY(SetAnodeTestPulseEdge(edge), a.SetAnodeTestPulseEdge(edge));
        const auto input = static_cast<TestModeInput>(Pick(1, 2));
        APPLY(SetCathodeTestModeInput(input), a.SetCathodeTestModeInput(input));
        const auto shaper = static_cast<TimingChannelsShaperPeakingTime>(Pick(1, 4));
        APPLY(SetCathodeTimingChannelsShaperPeakingTime(shaper), a.SetCathodeTimingChannelsShaperPeakingTime(shaper));
        const int displacement = Pick(0, 15);
        APPLY(SetCathodeTimingChannelsSecondaryMultiThresholdsDisplacementStep(displacement),
              a.SetCathodeTimingChannelsSecondaryMultiThresholdDisplacementStep(displacement));

        const int peakDetect[] = {1, 2, 4, 8};
        const int ramp[] = {1, 2, 3, 4};
        const float peaking[] = {0.25f, 0.5f, 1.0f, 2.0f};
        for (const ChannelType type : {CHANNEL_TYPE_ANODE, CHANNEL_TYPE_CATHODE}) {
            const int timeout = peakDetect[Pick(0, 3)] * (highGain ? 4 : 1);
            APPLY(SetPeakDetectTimeout(type, timeout), a.SetPeakDetectTimeout(type, timeout));
            const int length = ramp[Pick(0, 3)] * (highGain ? 4 : 1);
            APPLY(SetTimeDetectRampLength(type, length), a.SetTimeDetectRampLength(type, length));
            const float time = peaking[Pick(0, 3)] * (highGain ? 6.0f : 1.0f);
            APPLY(SetPeakingTime(type, time), a.SetPeakingTime(type, time));
            const int step = Pick(0, 1023);
            APPLY(SetTestPulseStep(type, step), a.SetChannelTestPulseStep(type, step));
        }
        for (int type = 0; type < 5; ++type) {
            const auto thresholdType = static_cast<ChannelThresholdType>(type);
            const int step = Pick(0, 1023);
            APPLY(SetChannelThresholdStep(thresholdType, step), a.SetChannelThresholdStep(thresholdType, step));
        }
        for (int channel = 1; channel <= 2; ++channel) {
            const auto generator = static_cast<CathodeChannel::InternalLeakageCurrentGenerator>(Pick(1, 2));
            APPLY(SetCathodeChannelInternalLeakageCurrentGenerator(channel, generator),
                  a.SetCathodeChannelInternalLeakageCurrentGenerator(channel, generator));
        }

        // The monitor settings in random order; the last one decides the analog output.
        const auto dac = static_cast<DACS>(Pick(1, 9));
        const auto energyTiming = static_cast<CathodeEnergyTiming>(Pick(1, 4));
        const int anode = Pick(1, 128);
        std::vector<int> order {4, 5, 6, Pick(1, 3)};
        std::shuffle(order.begin(), order.end(), m_Random);
        for (int output : order) {
            if (output == 4)
                APPLY(SetDACToMonitor(dac), a.SetDACToMonitor(dac));
            else if (output == 5)
                APPLY(SetCathodeEnergyTimingToMonitor(energyTiming), a.SetCathodeEnergyTimingToMonitor(energyTiming));
            else if (output == 6)
                APPLY(SetAnodeChannelToMonitor(anode), a.SetAnodeChannelToMonitor(anode));
            else
                APPLY(SetAnalogOutputToMonitor(static_cast<AnalogOutput>(output)),
                      a.SetAnalogOutputToMonitor(static_cast<AnalogOutput>(output)));
        }
    }

    void ApplyChannels(ASIC& a)
    {
        QuorvelDll::SetChannelUpdateType(CHANNEL_UPDATE_TYPE_SINGLE);
        QuorvelDll::SetActiveChannelType(CHANNEL_TYPE_ANODE);
        for (int n = 1; n <= 128; ++n) {
            ASSERT_TRUE(QuorvelDll::SetActiveChannel(n));
            const bool masked = Coin();
            APPLY(MaskChannel(masked), a.MaskChannel(CHANNEL_TYPE_ANODE, n, masked));
            const bool capacitor = Coin();
            APPLY(EnableChannelTestCapacitor(capacitor), a.EnableChannelTestCapacitor(CHANNEL_TYPE_ANODE, n, capacitor));
            const int positive = Pick(0, 31);
            APPLY(SetChannelPositivePulseThresholdTrimStep(positive),
                  a.SetChannelPositivePulseThresholdTrimStep(CHANNEL_TYPE_ANODE, n, positive));
            const int negative = Pick(0, 31);
            APPLY(SetAnodeChannelNegativePulseThresholdTrimStep(negative),
                  a.SetAnodeChannelNegativePulseThresholdTrimStep(n, negative));
            const auto signal = static_cast<Signal>(Pick(1, 2));
            APPLY(MonitorAnodeSignal(signal), a.SetAnodeChannelSignal(n, signal));
        }
        QuorvelDll::SetActiveChannelType(CHANNEL_TYPE_CATHODE);
        for (int n = 1; n <= 2; ++n) {
            ASSERT_TRUE(QuorvelDll::SetActiveChannel(n));
            const bool masked = Coin();
            APPLY(MaskChannel(masked), a.MaskChannel(CHANNEL_TYPE_CATHODE, n, masked));
            const bool capacitor = Coin();
            APPLY(EnableChannelTestCapacitor(capacitor), a.EnableChannelTestCapacitor(CHANNEL_TYPE_CATHODE, n, capacitor));
            const int positive = Pick(0, 31);
            APPLY(SetChannelPositivePulseThresholdTrimStep(positive),
                  a.SetChannelPositivePulseThresholdTrimStep(CHANNEL_TYPE_CATHODE, n, positive));
            const auto shaped = static_cast<ShapedTimingSignal>(Pick(1, 2));
            APPLY(SetCathodeChannelShapedTimingSignal(shaped), a.SetCathodeChannelShapedTimingSignal(n, shaped));
            const auto mode = static_cast<TimingMode>(Pick(1, 3));
            APPLY(SetCathodeChannelTimingMode(mode), a.SetCathodeChannelTimingMode(n, mode));
            for (int type = 0; type < 4; ++type) {
                const auto trimType = static_cast<CathodeTimingChannelType>(type);
                const int trim = Pick(0, 15);
                APPLY(SetCathodeTimingChannelTrimStep(trimType, trim), a.SetCathodeTimingChannelTrimStep(trimType, n, trim));
            }
        }
    }

private:
    std::mt19937 m_Random;
};

class ASICOpsRandomTest : public CameraRig
{
protected:
    // What the camera holds for a GM and what the reference gives.
    std::string CameraImages(int a_GMID)
    {
        QByteArray bytes;
        for (int reg : {18, 20, 21, 22, 23, 24})
            bytes.append(static_cast<char>(m_Camera->gmRegister(a_GMID, reg)));
        return (bytes.toHex() + " " + m_Camera->asicImage(a_GMID, 29).toHex() + " "
                + m_Camera->asicImage(a_GMID, 30).toHex()).toStdString();
    }
    static std::string ReferenceImages(const GammaModule& a_GM)
    {
        QByteArray bytes;
        for (int value : {a_GM.GetControlData(), a_GM.GetDefaultGM(), a_GM.GetGMASICModeData(),
                          a_GM.GetGMPulserModeData(), a_GM.GetDelayTimeData(), a_GM.GetTimeStampResolutionData()})
            bytes.append(static_cast<char>(value));
        return (bytes.toHex() + " " + a_GM.GetASIC().GetGlobalDataArray().toHex() + " "
                + a_GM.GetASIC().GetChannelDataArray().toHex()).toStdString();
    }
};

TEST_F(ASICOpsRandomTest, RandomSettingsReachTheCameraAsTheModelEncodesThem)
{
    const QVector<int> gmIDs {2, 4, 1, 3};
    StartSystemWithGMs(gmIDs);
    for (unsigned seed : {11u, 2024u, 77777u}) {
        SCOPED_TRACE(::testing::Message() << "seed " << seed);
        RandomSettings random(seed);
        std::vector<std::unique_ptr<GammaModule>> reference;
        for (int id : gmIDs)
            reference.emplace_back(new GammaModule(id));

        // Deferred: the model takes every change, nothing reaches the camera yet.
        ASSERT_TRUE(QuorvelDll::SetCameraUpdateMode(CAMERA_UPDATE_MODE_DEFERRED));
        Mark();
        for (int i = 0; i < gmIDs.size(); ++i) {
            ASSERT_TRUE(QuorvelDll::SetActiveGM(gmIDs[i]));
            GammaModule& gm = *reference[static_cast<size_t>(i)];
            ASSERT_NO_FATAL_FAILURE(random.ApplyGM(gm, gmIDs.size()));
            ASSERT_NO_FATAL_FAILURE(random.ApplyGlobal(*gm.AccessASIC()));
            ASSERT_NO_FATAL_FAILURE(random.ApplyChannels(*gm.AccessASIC()));
        }
        EXPECT_TRUE(Sent().isEmpty());

        // One Send of each kind over all GMs.
        ASSERT_TRUE(QuorvelDll::SetGMUpdateType(GM_UPDATE_TYPE_ALL_GMS));
        ASSERT_TRUE(QuorvelDll::SendGMData()) << QuorvelDll::GetLastError();
        ASSERT_TRUE(QuorvelDll::SendASICGlobalData()) << QuorvelDll::GetLastError();
        ASSERT_TRUE(QuorvelDll::SendASICChannelData()) << QuorvelDll::GetLastError();
        EXPECT_EQ(Sent().size(), gmIDs.size() * 8);
        for (int i = 0; i < gmIDs.size(); ++i)
            EXPECT_EQ(CameraImages(gmIDs[i]), ReferenceImages(*reference[static_cast<size_t>(i)])) << "GM " << gmIDs[i];

        // Immediate: one more random change on a random GM reaches the camera at once.
        ASSERT_TRUE(QuorvelDll::SetCameraUpdateMode(CAMERA_UPDATE_MODE_IMMEDIATE));
        const int i = random.Pick(0, gmIDs.size() - 1);
        GammaModule& gm = *reference[static_cast<size_t>(i)];
        ASIC& asic = *gm.AccessASIC();
        ASSERT_TRUE(QuorvelDll::SetActiveGM(gmIDs[i]));
        QuorvelDll::SetActiveChannelType(CHANNEL_TYPE_ANODE);
        const int channel = random.Pick(1, 128);
        ASSERT_TRUE(QuorvelDll::SetActiveChannel(channel));
        int trim = 0;
        ASSERT_TRUE(asic.GetAnodeChannelNegativePulseThresholdTrimStep(channel, &trim));
        trim = (trim + random.Pick(1, 31)) % 32;
        APPLY(SetAnodeChannelNegativePulseThresholdTrimStep(trim), asic.SetAnodeChannelNegativePulseThresholdTrimStep(channel, trim));
        const int displacement =
            (asic.GetCathodeTimingChannelsSecondaryMultiThresholdDisplacementStep() + random.Pick(1, 15)) % 16;
        APPLY(SetCathodeTimingChannelsSecondaryMultiThresholdsDisplacementStep(displacement),
              asic.SetCathodeTimingChannelsSecondaryMultiThresholdDisplacementStep(displacement));
        const int pulses = (gm.GetNoOfPulses() + random.Pick(1, 15)) % 16;
        APPLY(SetNoOfPulses(pulses), gm.SetNoOfPulses(pulses));
        Sent();
        EXPECT_EQ(CameraImages(gmIDs[i]), ReferenceImages(gm));

        // The getters give back what was chosen.
        int value = -1;
        ASSERT_TRUE(QuorvelDll::GetAnodeChannelNegativePulseThresholdTrimStep(channel, &value));
        EXPECT_EQ(value, trim);
        ASSERT_TRUE(QuorvelDll::GetDelayTime(&value));
        EXPECT_EQ(value, gm.GetDelayTime());
        ASSERT_TRUE(QuorvelDll::GetChannelThresholdStep(CHANNEL_THRESHOLD_TYPE_CATHODE_ENERGY, &value));
        EXPECT_EQ(value, asic.GetChannelThresholdStep(CHANNEL_THRESHOLD_TYPE_CATHODE_ENERGY));
        AnalogOutput output = ANALOG_OUTPUT_UNDEFINED;
        ASSERT_TRUE(QuorvelDll::GetAnalogOutputMonitored(&output));
        EXPECT_EQ(output, asic.GetAnalogOutputMonitored());
    }
}

} // namespace
