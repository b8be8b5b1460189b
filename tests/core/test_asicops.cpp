// ASIC operations through the exported functions, against the virtual camera:
// channel selection and type checks, fan-outs over channels and GMs, deferred
// and immediate image writes, and the images of worked examples on the wire.
#include "tests/asic/asictestvalues.h"
#include "tests/support/camerarig.h"

using namespace CathodeChannel;
using namespace asictest;

namespace {

constexpr int globalRegister = 29;
constexpr int channelRegister = 30;
const char* const anodeOnlyText = "Attempting to set anode channel value with cathode set as active type";
const char* const cathodeOnlyText = "Attempting to set cathode channel value with anode set as active type";

// Channel image with the given bits of the 1720-bit number set.
QByteArray ChannelImage(std::initializer_list<int> a_Bits)
{
    QByteArray image(215, '\0');
    for (int bit : a_Bits)
        SetChannelArrayBit(image, bit);
    return image;
}

class ASICOpsTest : public CameraRig
{
protected:
    // Camera with four GMs, GM a_Active selected, immediate mode.
    void StartImmediate(int a_Active = 1)
    {
        StartSystemWithGMs();
        ASSERT_TRUE(QuorvelDll::SetActiveGM(a_Active));
        ASSERT_TRUE(QuorvelDll::SetCameraUpdateMode(CAMERA_UPDATE_MODE_IMMEDIATE));
    }

    bool Masked(ChannelType a_Type, int a_Channel)
    {
        bool masked = false;
        EXPECT_TRUE(QuorvelDll::IsChannelMasked(a_Type, a_Channel, &masked)) << QuorvelDll::GetLastError();
        return masked;
    }
};

TEST_F(ASICOpsTest, ChannelTypeCheckComesBeforeEverythingElse)
{
    // No camera, no active GM, GM update type all GMs: the type check still answers first.
    ASSERT_TRUE(QuorvelDll::SetGMUpdateType(GM_UPDATE_TYPE_ALL_GMS));
    EXPECT_FALSE(QuorvelDll::SetCathodeChannelTimingMode(TIMING_MODE_2));
    EXPECT_EQ(QuorvelDll::GetLastError(), cathodeOnlyText);
    EXPECT_FALSE(QuorvelDll::SetCathodeChannelShapedTimingSignal(SHAPED_TIMING_SIGNAL_2));
    EXPECT_EQ(QuorvelDll::GetLastError(), cathodeOnlyText);
    EXPECT_FALSE(QuorvelDll::SetCathodeTimingChannelTrimStep(CATHODE_TIMING_CHANNEL_TYPE_UNIPOLAR, 3));
    EXPECT_EQ(QuorvelDll::GetLastError(), cathodeOnlyText);
    QuorvelDll::SetActiveChannelType(CHANNEL_TYPE_CATHODE);
    EXPECT_FALSE(QuorvelDll::MonitorAnodeSignal(SIGNAL_2));
    EXPECT_EQ(QuorvelDll::GetLastError(), anodeOnlyText);
    EXPECT_FALSE(QuorvelDll::SetAnodeChannelNegativePulseThresholdTrimStep(3));
    EXPECT_EQ(QuorvelDll::GetLastError(), anodeOnlyText);

    // Settings for either type get past it and find no active GM.
    ASSERT_TRUE(QuorvelDll::SetGMUpdateType(GM_UPDATE_TYPE_ACTIVE_GM));
    EXPECT_FALSE(QuorvelDll::MaskChannel(true));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Active GM hasn't been set");
}

TEST_F(ASICOpsTest, ActiveChannelIsCheckedAgainstTheActiveType)
{
    StartSystemWithGMs();
    ASSERT_TRUE(QuorvelDll::SetActiveGM(1));
    EXPECT_TRUE(QuorvelDll::SetActiveChannel(128));
    EXPECT_FALSE(QuorvelDll::SetActiveChannel(129));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Channel number must be between 1 and 128");
    EXPECT_TRUE(QuorvelDll::SetActiveChannel(100));

    QuorvelDll::SetActiveChannelType(CHANNEL_TYPE_CATHODE);
    EXPECT_FALSE(QuorvelDll::SetActiveChannel(3));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Channel number must be between 1 and 2");
    // Channel 100 stays active and the cathode group refuses it.
    EXPECT_FALSE(QuorvelDll::MaskChannel(true));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Invalid Cathode Channel, value must be between 1 and 2");
    EXPECT_FALSE(QuorvelDll::SetActiveChannel(0));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Channel number must be between 1 and 2");
}

TEST_F(ASICOpsTest, AnodeFanOutWritesTheWholeImageOncePerChannel)
{
    StartImmediate(4);
    ASSERT_TRUE(QuorvelDll::SetActiveChannel(5));
    QuorvelDll::SetChannelUpdateType(CHANNEL_UPDATE_TYPE_ALL);
    ASSERT_TRUE(QuorvelDll::MaskChannel(true)) << QuorvelDll::GetLastError();

    const QList<QByteArray> sent = Sent();
    ASSERT_EQ(sent.size(), 128);
    QByteArray allMasked(215, '\0');
    for (int channel = 1; channel <= 128; ++channel) {
        const int bit = AnodeStart(channel);
        allMasked[214 - bit / 8] = static_cast<char>(static_cast<unsigned char>(allMasked[214 - bit / 8])
                                                     | (1 << (bit % 8)));
        // Each write carries every channel masked so far.
        EXPECT_EQ(sent[channel - 1], ImageWrite(channelRegister, 4, allMasked)) << channel;
    }
    EXPECT_EQ(m_Camera->asicImage(4, channelRegister), allMasked);
    EXPECT_FALSE(Masked(CHANNEL_TYPE_CATHODE, 1));

    // The active channel is restored and the update type stays all channels.
    QuorvelDll::SetChannelUpdateType(CHANNEL_UPDATE_TYPE_SINGLE);
    ASSERT_TRUE(QuorvelDll::MaskChannel(false));
    EXPECT_FALSE(Masked(CHANNEL_TYPE_ANODE, 5));
    EXPECT_TRUE(Masked(CHANNEL_TYPE_ANODE, 4));
    EXPECT_TRUE(Masked(CHANNEL_TYPE_ANODE, 6));
}

TEST_F(ASICOpsTest, CathodeFanOutChangesBothCathodesAndKeepsTheActiveChannel)
{
    StartImmediate(1);
    QuorvelDll::SetActiveChannelType(CHANNEL_TYPE_CATHODE);
    ASSERT_TRUE(QuorvelDll::SetActiveChannel(2));
    QuorvelDll::SetChannelUpdateType(CHANNEL_UPDATE_TYPE_ALL);
    ASSERT_TRUE(QuorvelDll::SetCathodeChannelTimingMode(TIMING_MODE_3)) << QuorvelDll::GetLastError();
    // Timing mode 3 is bit 21 of each 26-bit cathode word (at bits 836 and 862).
    EXPECT_EQ(Sent(), QList<QByteArray>({ImageWrite(channelRegister, 1, ChannelImage({836 + 21})),
                                         ImageWrite(channelRegister, 1, ChannelImage({836 + 21, 862 + 21}))}));
    for (int channel : {1, 2}) {
        TimingMode mode = TIMING_MODE_UNDEFINED;
        ASSERT_TRUE(QuorvelDll::GetCathodeChannelTimingMode(channel, &mode));
        EXPECT_EQ(mode, TIMING_MODE_3);
    }
    // Still all channels: the next setter fans out again.
    Mark();
    ASSERT_TRUE(QuorvelDll::SetCathodeChannelTimingMode(TIMING_MODE_1));
    EXPECT_EQ(Sent().size(), 2);

    // A fan-out in a GM pass: every channel of every GM, active channel and GM kept.
    ASSERT_TRUE(QuorvelDll::SetGMUpdateType(GM_UPDATE_TYPE_ALL_GMS));
    Mark();
    ASSERT_TRUE(QuorvelDll::EnableChannelTestCapacitor(true));
    const QList<QByteArray> sent = Sent();
    ASSERT_EQ(sent.size(), 8);
    for (int gm = 1; gm <= 4; ++gm)
        EXPECT_EQ(sent[2 * gm - 1], ImageWrite(channelRegister, gm, ChannelImage({837, 863}))) << gm;
    EXPECT_EQ(QuorvelDll::GetActiveGM(), 1);
    QuorvelDll::SetChannelUpdateType(CHANNEL_UPDATE_TYPE_SINGLE);
    ASSERT_TRUE(QuorvelDll::SetGMUpdateType(GM_UPDATE_TYPE_ACTIVE_GM));
    ASSERT_TRUE(QuorvelDll::EnableChannelTestCapacitor(false));
    bool enabled = true;
    ASSERT_TRUE(QuorvelDll::IsChannelTestCapacitorEnabled(CHANNEL_TYPE_CATHODE, 2, &enabled));
    EXPECT_FALSE(enabled);
    ASSERT_TRUE(QuorvelDll::IsChannelTestCapacitorEnabled(CHANNEL_TYPE_CATHODE, 1, &enabled));
    EXPECT_TRUE(enabled);
}

TEST_F(ASICOpsTest, FanOutRefusedAtTheFirstChannelStopsThere)
{
    StartImmediate(1);
    ASSERT_TRUE(QuorvelDll::SetActiveChannel(7));
    QuorvelDll::SetChannelUpdateType(CHANNEL_UPDATE_TYPE_ALL);
    EXPECT_FALSE(QuorvelDll::SetChannelPositivePulseThresholdTrimStep(40));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Positive Pulse Threshold Trim must be between 0 and 31");
    EXPECT_TRUE(Sent().isEmpty());
    QuorvelDll::SetChannelUpdateType(CHANNEL_UPDATE_TYPE_SINGLE);
    ASSERT_TRUE(QuorvelDll::SetChannelPositivePulseThresholdTrimStep(31));
    int trim = 0;
    ASSERT_TRUE(QuorvelDll::GetChannelPositivePulseThresholdTrimStep(CHANNEL_TYPE_ANODE, 7, &trim));
    EXPECT_EQ(trim, 31);
}

TEST_F(ASICOpsTest, GMPassFailsWhenALaterGMFailsButVisitsEveryGM)
{
    StartImmediate(1);
    // GM 2 alone has the 81 mV unipolar gain, which refuses a 21 mV bipolar gain.
    ASSERT_TRUE(QuorvelDll::SetActiveGM(2));
    ASSERT_TRUE(QuorvelDll::SetTimingChannelUnipolarGain(TIMING_CHANNEL_UNIPOLAR_GAIN_81MV));
    ASSERT_TRUE(QuorvelDll::SetTimingChannelBiPolarGain(TIMING_CHANNEL_BIPOLAR_GAIN_164MV));
    ASSERT_TRUE(QuorvelDll::SetActiveGM(3));
    ASSERT_TRUE(QuorvelDll::SetGMUpdateType(GM_UPDATE_TYPE_ALL_GMS));
    Mark();

    EXPECT_FALSE(QuorvelDll::SetTimingChannelBiPolarGain(TIMING_CHANNEL_BIPOLAR_GAIN_55MV));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Bipolar gain must be 63mV or 164mV when Unipolar gain is 81mV");
    const QByteArray image = Image(16, {{13, 0x04}});
    EXPECT_EQ(Sent(), QList<QByteArray>({ImageWrite(globalRegister, 1, image), ImageWrite(globalRegister, 3, image),
                                         ImageWrite(globalRegister, 4, image)}));
    EXPECT_EQ(QuorvelDll::GetActiveGM(), 3);
    EXPECT_EQ(QuorvelDll::GetGMUpdateType(), GM_UPDATE_TYPE_ALL_GMS);

    // When the first GM fails the pass ends there.
    ASSERT_TRUE(QuorvelDll::SetActiveGM(1));
    ASSERT_TRUE(QuorvelDll::SetTimingChannelUnipolarGain(TIMING_CHANNEL_UNIPOLAR_GAIN_81MV));
    ASSERT_TRUE(QuorvelDll::SetGMUpdateType(GM_UPDATE_TYPE_ALL_GMS));
    Mark();
    EXPECT_FALSE(QuorvelDll::SetTimingChannelBiPolarGain(TIMING_CHANNEL_BIPOLAR_GAIN_21MV));
    EXPECT_TRUE(Sent().isEmpty());
    ASSERT_TRUE(QuorvelDll::SetActiveGM(4));
    TimingChannelBipolarGain gain = TIMING_CHANNEL_BIPOLAR_GAIN_UNDEFINED;
    ASSERT_TRUE(QuorvelDll::GetTimingChannelBiPolarGain(&gain));
    EXPECT_EQ(gain, TIMING_CHANNEL_BIPOLAR_GAIN_55MV);
}

TEST_F(ASICOpsTest, CathodeLeakageGeneratorNamesItsChannelAndGoesToTheGlobalImage)
{
    StartImmediate(2);
    ASSERT_TRUE(QuorvelDll::SetActiveChannel(100));
    QuorvelDll::SetChannelUpdateType(CHANNEL_UPDATE_TYPE_ALL);
    ASSERT_TRUE(QuorvelDll::SetCathodeChannelInternalLeakageCurrentGenerator(
        2, CATHODE_CHANNEL_INTERNAL_LEAKAGE_CURRENT_GENERATOR_2));
    EXPECT_EQ(Sent(), QList<QByteArray>({ImageWrite(globalRegister, 2, Image(16, {{11, 0x10}}))}));
    CathodeChannel::InternalLeakageCurrentGenerator generator =
        CATHODE_CHANNEL_INTERNAL_LEAKAGE_CURRENT_GENERATOR_UNDEFINED;
    ASSERT_TRUE(QuorvelDll::GetCathodeChannelInternalLeakageCurrentGenerator(1, &generator));
    EXPECT_EQ(generator, CATHODE_CHANNEL_INTERNAL_LEAKAGE_CURRENT_GENERATOR_1);

    Mark();
    EXPECT_FALSE(QuorvelDll::SetCathodeChannelInternalLeakageCurrentGenerator(
        3, CATHODE_CHANNEL_INTERNAL_LEAKAGE_CURRENT_GENERATOR_2));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Invalid Cathode Channel, value must be between 1 and 2");
    EXPECT_FALSE(QuorvelDll::SetInternalLeakageCurrentGenerator(INTERNAL_LEAKAGE_CURRENT_GENERATOR_UNDEFINED));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Undefined internal leakage current generator detected");
    EXPECT_TRUE(Sent().isEmpty());
}

TEST_F(ASICOpsTest, GettersNameTheirChannelAndRefuseUnknownSelectors)
{
    StartSystemWithGMs();
    int value = 77;
    EXPECT_FALSE(QuorvelDll::GetASICGlobalOptions(&value));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Active GM hasn't been set");
    EXPECT_FALSE(QuorvelDll::GetChannelGain(nullptr));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Active GM hasn't been set");

    ASSERT_TRUE(QuorvelDll::SetActiveGM(1));
    EXPECT_FALSE(QuorvelDll::GetChannelGain(nullptr));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Null pointer passed to function");
    EXPECT_FALSE(QuorvelDll::GetPeakingTime(CHANNEL_TYPE_ANODE, nullptr));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Null pointer passed to function");
    EXPECT_FALSE(QuorvelDll::IsChannelMasked(CHANNEL_TYPE_ANODE, 3, nullptr));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Null pointer passed to function");
    // Every channel getter checks the pointer before its channel number and type.
    const std::vector<std::pair<const char*, std::function<bool()>>> nullGetters = {
        {"IsChannelMasked", [] { return QuorvelDll::IsChannelMasked(CHANNEL_TYPE_ANODE, 0, nullptr); }},
        {"IsChannelTestCapacitorEnabled",
         [] { return QuorvelDll::IsChannelTestCapacitorEnabled(CHANNEL_TYPE_CATHODE, 3, nullptr); }},
        {"GetChannelPositivePulseThresholdTrimStep",
         [] { return QuorvelDll::GetChannelPositivePulseThresholdTrimStep(static_cast<ChannelType>(2), 0, nullptr); }},
        {"GetAnodeSignalMonitored", [] { return QuorvelDll::GetAnodeSignalMonitored(129, nullptr); }},
        {"GetAnodeChannelNegativePulseThresholdTrimStep",
         [] { return QuorvelDll::GetAnodeChannelNegativePulseThresholdTrimStep(0, nullptr); }},
        {"GetCathodeChannelShapedTimingSignal", [] { return QuorvelDll::GetCathodeChannelShapedTimingSignal(3, nullptr); }},
        {"GetCathodeChannelTimingMode", [] { return QuorvelDll::GetCathodeChannelTimingMode(0, nullptr); }},
        {"GetCathodeTimingChannelTrimStep",
         [] { return QuorvelDll::GetCathodeTimingChannelTrimStep(3, static_cast<CathodeTimingChannelType>(4), nullptr); }},
        {"GetCathodeChannelInternalLeakageCurrentGenerator",
         [] { return QuorvelDll::GetCathodeChannelInternalLeakageCurrentGenerator(3, nullptr); }},
    };
    for (const auto& getter : nullGetters) {
        EXPECT_FALSE(getter.second()) << getter.first;
        EXPECT_EQ(QuorvelDll::GetLastError(), "Null pointer passed to function") << getter.first;
    }

    EXPECT_FALSE(QuorvelDll::GetChannelPositivePulseThresholdTrimStep(static_cast<ChannelType>(2), 1, &value));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Undefined channel type detected");
    EXPECT_FALSE(QuorvelDll::GetCathodeTimingChannelTrimStep(1, static_cast<CathodeTimingChannelType>(4), &value));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Undefined cathode timing channel type detected");
    EXPECT_EQ(value, 77);

    TimingMode mode = TIMING_MODE_UNDEFINED;
    EXPECT_FALSE(QuorvelDll::GetCathodeChannelTimingMode(3, &mode));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Invalid Cathode Channel, value must be between 1 and 2");
    Signal signal = SIGNAL_UNDEFINED;
    EXPECT_FALSE(QuorvelDll::GetAnodeSignalMonitored(129, &signal));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Invalid Anode Channel, value must be between 1 and 128");

    // The explicit channel, not the active one.
    QuorvelDll::SetActiveChannelType(CHANNEL_TYPE_CATHODE);
    ASSERT_TRUE(QuorvelDll::SetActiveChannel(2));
    const CathodeTimingChannelType second = CATHODE_TIMING_CHANNEL_TYPE_SECOND_MULTI_THRESHOLD;
    ASSERT_TRUE(QuorvelDll::SetCathodeTimingChannelTrimStep(second, 9));
    ASSERT_TRUE(QuorvelDll::GetCathodeTimingChannelTrimStep(1, second, &value));
    EXPECT_EQ(value, 0);
    ASSERT_TRUE(QuorvelDll::GetCathodeTimingChannelTrimStep(2, second, &value));
    EXPECT_EQ(value, 9);
    float peaking = 0.0f;
    ASSERT_TRUE(QuorvelDll::GetPeakingTime(CHANNEL_TYPE_CATHODE, &peaking));
    EXPECT_FLOAT_EQ(peaking, 0.25f);
    EXPECT_TRUE(Sent().isEmpty());
}

TEST_F(ASICOpsTest, GMAndASICRegistersGoOutInTheirFixedOrder)
{
    StartImmediate(2);
    Mark();
    Quorvel* controller = Quorvel::GetInstance();
    {
        GammaModules* gms = GammaModules::GetInstance();
        auto lock = gms->AccessLock();
        const GammaModule* gm = gms->GetGM(GAMMA_MODULES_TYPE_DEVICE, 4);
        ASSERT_NE(gm, nullptr);
        ASSERT_TRUE(controller->UpdateGMAndASICRegisters(*gm));
    }
    const QList<QByteArray> sent = Sent();
    ASSERT_EQ(sent.size(), 8);
    const int order[] = {0x92, 0x94, 0x95, 0x96, 0x97, 0x98, 0x9D, 0x9E};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(static_cast<unsigned char>(sent[i].at(0)), order[i]) << i;
        EXPECT_EQ(sent[i].at(1), 4) << i;
    }
    EXPECT_EQ(sent[6].size(), 18);
    EXPECT_EQ(sent[7].size(), 217);

    // Deferred, the same call writes nothing.
    ASSERT_TRUE(QuorvelDll::SetCameraUpdateMode(CAMERA_UPDATE_MODE_DEFERRED));
    Mark();
    {
        GammaModules* gms = GammaModules::GetInstance();
        auto lock = gms->AccessLock();
        ASSERT_TRUE(controller->UpdateGMAndASICRegisters(*gms->GetGM(GAMMA_MODULES_TYPE_DEVICE, 4)));
    }
    EXPECT_TRUE(Sent().isEmpty());
}

} // namespace
