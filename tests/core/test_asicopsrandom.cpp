// Seeded random settings applied through the exported setters; the GM register
// bytes and the ASIC images the virtual camera received are compared with an
// encoding written here from the register bit tables, independent of the model.
#include "tests/core/test_gmopsrig.h"

#include <algorithm>
#include <array>
#include <random>

using namespace CathodeChannel;

namespace {

struct AnodeSettings {
    bool masked = false;
    bool capacitor = false;
    int positiveTrim = 0;
    int negativeTrim = 0;
    int signal = 1;
};

struct CathodeSettings {
    bool masked = false;
    bool capacitor = false;
    int positiveTrim = 0;
    int shapedSignal = 1;
    int timingMode = 1;
    int firstTrim = 0;
    int secondTrim = 0;
    int thirdTrim = 0;
    int unipolarTrim = 0;
    int leakage = 1;
};

// What the test chose for one GM.
struct GMSettings {
    int options = 8;
    int adc1 = 0;
    int adc2 = 0;
    int defaultGM = 0;
    int readoutOptions = 0;
    int readoutMode = 1;
    int cathodeMode = 1;
    int pulserFrequency = 1;
    int pulserOptions = 0;
    int pulses = 0;
    int delay = 0;
    int timestamp = 0;

    int globalOptions = 0;
    int asicReadoutMode = 1;
    int unipolarGain = 1;
    int bipolarGain = 1;
    int channelGain = 1;
    int leakage = 1;
    int suppressTime = 1;
    int testClock = 2;
    int analogOutput = 1;
    int anodeMonitored = 1;
    int dacMonitored = 0;
    int energyTimingMonitored = 0;
    int testPulseEdge = 1;
    int testModeInput = 1;
    int shaperPeakingTime = 1;
    int displacement = 0;
    std::array<int, 2> peakDetectIndex {{0, 0}}; // anode, cathode
    std::array<int, 2> rampIndex {{0, 0}};
    std::array<int, 2> peakingIndex {{0, 0}};
    std::array<int, 2> testPulseStep {{0, 0}};
    std::array<int, 5> thresholdStep {{0, 0, 0, 0, 0}}; // by ChannelThresholdType
    std::array<AnodeSettings, 128> anodes;
    std::array<CathodeSettings, 2> cathodes;
};

// ---- Independent encoding ----

int bit(int a_Value, int a_Bit)
{
    return (a_Value >> a_Bit) & 1;
}

QByteArray gmRegisterBytes(const GMSettings& s)
{
    const int control = (bit(s.options, 0) ? 0x02 : 0) | (bit(s.options, 1) ? 0x04 : 0)
        | (bit(s.options, 2) ? 0x08 : 0) | (s.adc1 == 2 ? 0x10 : 0) | (s.adc2 == 2 ? 0x20 : 0);
    const int cathodeBits[] = {0, 0x00, 0x40, 0x80};
    const int asicMode = (s.readoutMode == 2 ? 0x01 : 0) | (bit(s.readoutOptions, 0) ? 0x08 : 0)
        | (bit(s.readoutOptions, 1) ? 0x10 : 0) | cathodeBits[s.cathodeMode];
    const int pulser = (s.pulserFrequency - 1) | (bit(s.pulserOptions, 0) ? 0x04 : 0)
        | (bit(s.pulserOptions, 1) ? 0x08 : 0) | (s.pulses << 4);
    QByteArray bytes;
    for (int value : {control, s.defaultGM & 0xFF, asicMode, pulser, s.delay / 20, s.timestamp / 100})
        bytes.append(static_cast<char>(value));
    return bytes;
}

int monitorSelect(const GMSettings& s)
{
    switch (s.analogOutput) {
    case 2: return 64;
    case 3: return 32;
    case 4: return s.dacMonitored >= 1 && s.dacMonitored <= 9 ? 16 + s.dacMonitored - 1 : 0;
    case 5: {
        const int e = s.energyTimingMonitored;
        return e >= 1 && e <= 4 ? 8 + 2 * (e - 1) : 0;
    }
    case 6: return s.anodeMonitored - 1;
    default: return 0;
    }
}

QByteArray globalImage(const GMSettings& s)
{
    QByteArray image(16, '\0');
    // Bytes 0 to 8: one 72-bit field, most significant bit first.
    int position = 0;
    const auto put = [&](int a_Value, int a_Width) {
        for (int i = a_Width - 1; i >= 0; --i, ++position) {
            if (bit(a_Value, i))
                image[position / 8] = static_cast<char>(image[position / 8] | (0x80 >> (position % 8)));
        }
    };
    put(s.testPulseEdge == 2, 1);
    for (int type : {4, 3, 2, 1, 0})
        put(s.thresholdStep[static_cast<size_t>(type)], 10);
    put(s.testPulseStep[0], 10);
    put(s.testPulseStep[1], 10);
    put(bit(s.globalOptions, 11), 1);

    const int o = s.globalOptions;
    const int m = monitorSelect(s);
    const auto reversed = [](int a_Index) { return ((a_Index & 1) << 1) | (a_Index >> 1); };
    const int bytes9to15[] = {
        bit(o, 10) << 7 | (s.leakage == 2) << 6 | (s.suppressTime - 1) << 4 | s.displacement,
        (s.testModeInput == 2) << 7 | bit(o, 12) << 6 | bit(o, 9) << 5 | bit(o, 8) << 4 | m >> 3,
        (m & 7) << 5 | (s.cathodes[1].leakage == 2) << 4 | (s.cathodes[0].leakage == 2) << 3
            | (s.shaperPeakingTime - 1) << 1 | s.rampIndex[1] >> 1,
        (s.rampIndex[1] & 1) << 7 | s.peakDetectIndex[1] << 5 | s.peakingIndex[1] << 3 | bit(o, 7) << 2
            | (s.channelGain == 2) << 1 | bit(o, 6),
        bit(o, 5) << 7 | s.peakingIndex[0] << 5 | bit(o, 4) << 4 | (s.asicReadoutMode == 2) << 3
            | (s.bipolarGain == 2 || s.bipolarGain == 4) << 2 | (s.unipolarGain == 2) << 1 | (s.analogOutput == 6),
        bit(o, 3) << 7 | reversed(s.rampIndex[0]) << 5 | reversed(s.peakDetectIndex[0]) << 3 | bit(o, 2) << 2
            | bit(o, 1) << 1 | bit(o, 0),
        (s.testClock == 1) << 7,
    };
    for (int i = 0; i < 7; ++i)
        image[9 + i] = static_cast<char>(bytes9to15[i]);
    return image;
}

QByteArray channelImage(const GMSettings& s)
{
    std::vector<int> bits(1720, 0);
    const auto put = [&](unsigned int a_Word, int a_Start, int a_Width) {
        for (int i = 0; i < a_Width; ++i)
            bits[static_cast<size_t>(a_Start + i)] = (a_Word >> i) & 1;
    };
    for (int n = 1; n <= 128; ++n) {
        const AnodeSettings& a = s.anodes[static_cast<size_t>(n - 1)];
        const unsigned int word = a.masked | a.capacitor << 1 | a.positiveTrim << 2 | a.negativeTrim << 7
            | (a.signal == 2) << 12;
        put(word, n <= 64 ? 4 + 13 * (n - 1) : 888 + 13 * (n - 65), 13);
    }
    for (int n = 1; n <= 2; ++n) {
        const CathodeSettings& c = s.cathodes[static_cast<size_t>(n - 1)];
        const unsigned int word = c.masked | c.capacitor << 1 | c.positiveTrim << 2 | (c.shapedSignal == 2) << 7
            | c.secondTrim << 8 | c.thirdTrim << 12 | c.firstTrim << 16 | (c.timingMode == 2) << 20
            | (c.timingMode == 3) << 21 | static_cast<unsigned int>(c.unipolarTrim) << 22;
        put(word, n == 1 ? 836 : 862, 26);
    }
    // Most significant byte first: array bit k is bit k % 8 of image byte 214 - k / 8.
    QByteArray image(215, '\0');
    for (int k = 0; k < 1720; ++k) {
        if (bits[static_cast<size_t>(k)])
            image[214 - k / 8] = static_cast<char>(image[214 - k / 8] | (1 << (k % 8)));
    }
    return image;
}

// ---- Random settings through the exported setters ----

class RandomSettings
{
public:
    explicit RandomSettings(unsigned a_Seed) : m_Random(a_Seed) {}

    int Pick(int a_Low, int a_High) { return std::uniform_int_distribution<int>(a_Low, a_High)(m_Random); }
    bool Coin() { return Pick(0, 1) == 1; }

    void ApplyGM(GMSettings& s, int a_GMCount)
    {
        s.options = Pick(0, 0xFF);
        s.adc1 = Pick(1, 2);
        s.adc2 = Pick(1, 2);
        s.defaultGM = Pick(1, a_GMCount);
        s.readoutOptions = Pick(0, 3);
        s.readoutMode = Pick(1, 2);
        s.cathodeMode = Pick(1, 3);
        s.pulserFrequency = Pick(1, 4);
        s.pulserOptions = Pick(0, 3);
        s.pulses = Pick(0, 15);
        s.delay = 20 * Pick(0, 255);
        s.timestamp = 100 * Pick(0, 255);
        Check(QuorvelDll::SetGMOptions(s.options));
        Check(QuorvelDll::SetGMADC1Channel(s.adc1));
        Check(QuorvelDll::SetGMADC2Channel(s.adc2));
        Check(QuorvelDll::SetDefaultGM(s.defaultGM));
        Check(QuorvelDll::SetGMReadoutOptions(s.readoutOptions));
        Check(QuorvelDll::SetGMReadoutMode(static_cast<GMReadoutMode>(s.readoutMode)));
        Check(QuorvelDll::SetGMCathodeMode(static_cast<GMCathodeMode>(s.cathodeMode)));
        Check(QuorvelDll::SetGMPulserFrequency(static_cast<GMPulserFrequency>(s.pulserFrequency)));
        Check(QuorvelDll::SetGMPulserOptions(s.pulserOptions));
        Check(QuorvelDll::SetNoOfPulses(s.pulses));
        Check(QuorvelDll::SetDelayTime(s.delay));
        Check(QuorvelDll::SetTimestampResolution(s.timestamp));
    }

    void ApplyGlobal(GMSettings& s)
    {
        // Options first: high gain scales the timing values chosen afterwards.
        s.globalOptions = Pick(0, 0x3FFF);
        Check(QuorvelDll::SetASICGlobalOptions(s.globalOptions));
        const bool highGain = bit(s.globalOptions, 12);
        s.asicReadoutMode = Pick(1, 2);
        Check(QuorvelDll::SetASICReadoutMode(static_cast<GMASICReadoutMode>(s.asicReadoutMode)));
        s.unipolarGain = Pick(1, 2);
        Check(QuorvelDll::SetTimingChannelUnipolarGain(static_cast<TimingChannelUnipolarGain>(s.unipolarGain)));
        s.bipolarGain = s.unipolarGain == 1 ? Pick(1, 2) : Pick(3, 4);
        Check(QuorvelDll::SetTimingChannelBiPolarGain(static_cast<TimingChannelBipolarGain>(s.bipolarGain)));
        s.channelGain = Pick(1, 2);
        Check(QuorvelDll::SetChannelGain(static_cast<ChannelGain>(s.channelGain)));
        s.leakage = Pick(1, 2);
        Check(QuorvelDll::SetInternalLeakageCurrentGenerator(
            static_cast<::InternalLeakageCurrentGenerator>(s.leakage)));
        s.suppressTime = Pick(1, 4);
        Check(QuorvelDll::SetMultipleFiringSuppressTime(static_cast<MultipleFiringSuppressionTime>(s.suppressTime)));
        s.testClock = Pick(1, 2);
        Check(QuorvelDll::SetCathodeTestClockType(static_cast<CathodeTestClockType>(s.testClock)));
        s.testPulseEdge = Pick(1, 2);
        Check(QuorvelDll::SetAnodeTestPulseEdge(static_cast<TestPulseEdge>(s.testPulseEdge)));
        s.testModeInput = Pick(1, 2);
        Check(QuorvelDll::SetCathodeTestModeInput(static_cast<TestModeInput>(s.testModeInput)));
        s.shaperPeakingTime = Pick(1, 4);
        Check(QuorvelDll::SetCathodeTimingChannelsShaperPeakingTime(
            static_cast<TimingChannelsShaperPeakingTime>(s.shaperPeakingTime)));
        s.displacement = Pick(0, 15);
        Check(QuorvelDll::SetCathodeTimingChannelsSecondaryMultiThresholdsDisplacementStep(s.displacement));

        const int peakDetect[] = {1, 2, 4, 8};
        const int ramp[] = {1, 2, 3, 4};
        const float peaking[] = {0.25f, 0.5f, 1.0f, 2.0f};
        for (int type = 0; type < 2; ++type) {
            const ChannelType channelType = static_cast<ChannelType>(type);
            const size_t t = static_cast<size_t>(type);
            s.peakDetectIndex[t] = Pick(0, 3);
            Check(QuorvelDll::SetPeakDetectTimeout(channelType, peakDetect[s.peakDetectIndex[t]] * (highGain ? 4 : 1)));
            s.rampIndex[t] = Pick(0, 3);
            Check(QuorvelDll::SetTimeDetectRampLength(channelType, ramp[s.rampIndex[t]] * (highGain ? 4 : 1)));
            s.peakingIndex[t] = Pick(0, 3);
            Check(QuorvelDll::SetPeakingTime(channelType, peaking[s.peakingIndex[t]] * (highGain ? 6.0f : 1.0f)));
            s.testPulseStep[t] = Pick(0, 1023);
            Check(QuorvelDll::SetTestPulseStep(channelType, s.testPulseStep[t]));
        }
        for (int type = 0; type < 5; ++type) {
            s.thresholdStep[static_cast<size_t>(type)] = Pick(0, 1023);
            Check(QuorvelDll::SetChannelThresholdStep(static_cast<ChannelThresholdType>(type),
                                                      s.thresholdStep[static_cast<size_t>(type)]));
        }
        for (int channel = 1; channel <= 2; ++channel) {
            s.cathodes[static_cast<size_t>(channel - 1)].leakage = Pick(1, 2);
            Check(QuorvelDll::SetCathodeChannelInternalLeakageCurrentGenerator(
                channel, static_cast<CathodeChannel::InternalLeakageCurrentGenerator>(
                             s.cathodes[static_cast<size_t>(channel - 1)].leakage)));
        }

        // The monitor settings in random order; the last one decides the analog output.
        s.dacMonitored = Pick(1, 9);
        s.energyTimingMonitored = Pick(1, 4);
        s.anodeMonitored = Pick(1, 128);
        std::vector<int> order {4, 5, 6, Pick(1, 3)};
        std::shuffle(order.begin(), order.end(), m_Random);
        for (int output : order) {
            if (output == 4)
                Check(QuorvelDll::SetDACToMonitor(static_cast<DACS>(s.dacMonitored)));
            else if (output == 5)
                Check(QuorvelDll::SetCathodeEnergyTimingToMonitor(
                    static_cast<CathodeEnergyTiming>(s.energyTimingMonitored)));
            else if (output == 6)
                Check(QuorvelDll::SetAnodeChannelToMonitor(s.anodeMonitored));
            else
                Check(QuorvelDll::SetAnalogOutputToMonitor(static_cast<AnalogOutput>(output)));
            s.analogOutput = output;
        }
    }

    void ApplyChannels(GMSettings& s)
    {
        QuorvelDll::SetChannelUpdateType(CHANNEL_UPDATE_TYPE_SINGLE);
        QuorvelDll::SetActiveChannelType(CHANNEL_TYPE_ANODE);
        for (int n = 1; n <= 128; ++n) {
            AnodeSettings& a = s.anodes[static_cast<size_t>(n - 1)];
            Check(QuorvelDll::SetActiveChannel(n));
            a.masked = Coin();
            a.capacitor = Coin();
            a.positiveTrim = Pick(0, 31);
            a.negativeTrim = Pick(0, 31);
            a.signal = Pick(1, 2);
            Check(QuorvelDll::MaskChannel(a.masked));
            Check(QuorvelDll::EnableChannelTestCapacitor(a.capacitor));
            Check(QuorvelDll::SetChannelPositivePulseThresholdTrimStep(a.positiveTrim));
            Check(QuorvelDll::SetAnodeChannelNegativePulseThresholdTrimStep(a.negativeTrim));
            Check(QuorvelDll::MonitorAnodeSignal(static_cast<Signal>(a.signal)));
        }
        QuorvelDll::SetActiveChannelType(CHANNEL_TYPE_CATHODE);
        for (int n = 1; n <= 2; ++n) {
            CathodeSettings& c = s.cathodes[static_cast<size_t>(n - 1)];
            Check(QuorvelDll::SetActiveChannel(n));
            c.masked = Coin();
            c.capacitor = Coin();
            c.positiveTrim = Pick(0, 31);
            c.shapedSignal = Pick(1, 2);
            c.timingMode = Pick(1, 3);
            c.firstTrim = Pick(0, 15);
            c.secondTrim = Pick(0, 15);
            c.thirdTrim = Pick(0, 15);
            c.unipolarTrim = Pick(0, 15);
            Check(QuorvelDll::MaskChannel(c.masked));
            Check(QuorvelDll::EnableChannelTestCapacitor(c.capacitor));
            Check(QuorvelDll::SetChannelPositivePulseThresholdTrimStep(c.positiveTrim));
            Check(QuorvelDll::SetCathodeChannelShapedTimingSignal(static_cast<ShapedTimingSignal>(c.shapedSignal)));
            Check(QuorvelDll::SetCathodeChannelTimingMode(static_cast<TimingMode>(c.timingMode)));
            const std::pair<CathodeTimingChannelType, int> trims[] = {
                {CATHODE_TIMING_CHANNEL_TYPE_FIRST_MULTI_THRESHOLD, c.firstTrim},
                {CATHODE_TIMING_CHANNEL_TYPE_SECOND_MULTI_THRESHOLD, c.secondTrim},
                {CATHODE_TIMING_CHANNEL_TYPE_THIRD_MULTI_THRESHOLD, c.thirdTrim},
                {CATHODE_TIMING_CHANNEL_TYPE_UNIPOLAR, c.unipolarTrim},
            };
            for (const auto& trim : trims)
                Check(QuorvelDll::SetCathodeTimingChannelTrimStep(trim.first, trim.second));
        }
    }

    std::mt19937& Engine() { return m_Random; }

private:
    static void Check(bool a_Result) { ASSERT_TRUE(a_Result) << QuorvelDll::GetLastError(); }

    std::mt19937 m_Random;
};

class ASICOpsRandomTest : public GMOpsRig
{
protected:
    QByteArray CameraGMBytes(int a_GMID)
    {
        QByteArray bytes;
        for (int reg : {18, 20, 21, 22, 23, 24})
            bytes.append(static_cast<char>(m_Camera->gmRegister(a_GMID, reg)));
        return bytes;
    }
};

TEST_F(ASICOpsRandomTest, RandomSettingsReachTheCameraAsTheBitTablesSay)
{
    const QVector<int> gmIDs {2, 4, 1, 3};
    StartCamera(gmIDs);
    for (unsigned seed : {11u, 2024u, 77777u}) {
        SCOPED_TRACE(::testing::Message() << "seed " << seed);
        RandomSettings random(seed);
        std::vector<GMSettings> settings(static_cast<size_t>(gmIDs.size()));

        // Deferred: the model takes every change, nothing reaches the camera yet.
        ASSERT_TRUE(QuorvelDll::SetCameraUpdateMode(CAMERA_UPDATE_MODE_DEFERRED));
        GMOpsRig::Mark();
        for (int i = 0; i < gmIDs.size(); ++i) {
            ASSERT_TRUE(QuorvelDll::SetActiveGM(gmIDs[i]));
            GMSettings& s = settings[static_cast<size_t>(i)];
            ASSERT_NO_FATAL_FAILURE(random.ApplyGM(s, gmIDs.size()));
            ASSERT_NO_FATAL_FAILURE(random.ApplyGlobal(s));
            ASSERT_NO_FATAL_FAILURE(random.ApplyChannels(s));
        }
        EXPECT_TRUE(Sent().isEmpty());

        // One Send of each kind over all GMs.
        ASSERT_TRUE(QuorvelDll::SetGMUpdateType(GM_UPDATE_TYPE_ALL_GMS));
        ASSERT_TRUE(QuorvelDll::SendGMData()) << QuorvelDll::GetLastError();
        ASSERT_TRUE(QuorvelDll::SendASICGlobalData()) << QuorvelDll::GetLastError();
        ASSERT_TRUE(QuorvelDll::SendASICChannelData()) << QuorvelDll::GetLastError();
        EXPECT_EQ(Sent().size(), gmIDs.size() * 8);
        for (int i = 0; i < gmIDs.size(); ++i) {
            const GMSettings& s = settings[static_cast<size_t>(i)];
            const int id = gmIDs[i];
            EXPECT_EQ(CameraGMBytes(id).toHex().toStdString(), gmRegisterBytes(s).toHex().toStdString()) << "GM " << id;
            EXPECT_EQ(m_Camera->asicImage(id, 29).toHex().toStdString(), globalImage(s).toHex().toStdString())
                << "GM " << id;
            EXPECT_EQ(m_Camera->asicImage(id, 30).toHex().toStdString(), channelImage(s).toHex().toStdString())
                << "GM " << id;
        }

        // Immediate: one more random change on a random GM reaches the camera at once.
        ASSERT_TRUE(QuorvelDll::SetCameraUpdateMode(CAMERA_UPDATE_MODE_IMMEDIATE));
        const int i = random.Pick(0, gmIDs.size() - 1);
        GMSettings& s = settings[static_cast<size_t>(i)];
        ASSERT_TRUE(QuorvelDll::SetActiveGM(gmIDs[i]));
        QuorvelDll::SetActiveChannelType(CHANNEL_TYPE_ANODE);
        const int channel = random.Pick(1, 128);
        ASSERT_TRUE(QuorvelDll::SetActiveChannel(channel));
        AnodeSettings& anode = s.anodes[static_cast<size_t>(channel - 1)];
        anode.negativeTrim = (anode.negativeTrim + random.Pick(1, 31)) % 32;
        ASSERT_TRUE(QuorvelDll::SetAnodeChannelNegativePulseThresholdTrimStep(anode.negativeTrim));
        s.displacement = (s.displacement + random.Pick(1, 15)) % 16;
        ASSERT_TRUE(QuorvelDll::SetCathodeTimingChannelsSecondaryMultiThresholdsDisplacementStep(s.displacement));
        s.pulses = (s.pulses + random.Pick(1, 15)) % 16;
        ASSERT_TRUE(QuorvelDll::SetNoOfPulses(s.pulses));
        Sent();
        EXPECT_EQ(CameraGMBytes(gmIDs[i]), gmRegisterBytes(s));
        EXPECT_EQ(m_Camera->asicImage(gmIDs[i], 29), globalImage(s));
        EXPECT_EQ(m_Camera->asicImage(gmIDs[i], 30), channelImage(s));

        // The getters give back what was chosen.
        int value = -1;
        ASSERT_TRUE(QuorvelDll::GetAnodeChannelNegativePulseThresholdTrimStep(channel, &value));
        EXPECT_EQ(value, anode.negativeTrim);
        ASSERT_TRUE(QuorvelDll::GetDelayTime(&value));
        EXPECT_EQ(value, s.delay);
        ASSERT_TRUE(QuorvelDll::GetChannelThresholdStep(CHANNEL_THRESHOLD_TYPE_CATHODE_ENERGY, &value));
        EXPECT_EQ(value, s.thresholdStep[2]);
        AnalogOutput output = ANALOG_OUTPUT_UNDEFINED;
        ASSERT_TRUE(QuorvelDll::GetAnalogOutputMonitored(&output));
        EXPECT_EQ(output, s.analogOutput);
    }
}

} // namespace
