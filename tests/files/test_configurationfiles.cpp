// The hand-made configuration files of every format version, read and applied:
// old-style conversions, the layout differences between versions, a version 6
// file written back byte for byte; and loads into the virtual camera: files with
// fewer GMs than the camera, save and load of a whole configuration with its
// packets, and loads that must fail cleanly.
#include <QBuffer>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "acquisition/collectedpackets.h"
#include "core/quorvelsysconfig.h"
#include "files/configurationapplier.h"
#include "files/configurationwriter.h"
#include "files/gmapplier.h"
#include "files/oldformatconversions.h"
#include "gammamodule/gammamodule.h"
#include "tests/files/filetestsupport.h"
#include "tests/support/camerarig.h"

using namespace filetest;

namespace {

ParsedConfiguration parseTestData(const char* a_Name)
{
    ParsedConfiguration config;
    QString error;
    EXPECT_TRUE(parse(testData(a_Name), &config, &error)) << a_Name << ": " << error.toStdString();
    return config;
}

// What every version stores the same way, and what the version changes.
struct VersionExpectation
{
    const char* m_File;
    int m_StreamVersion;
    int m_Rate;
    int m_Token;
    bool m_OldSteps;
    // The monitor block of GM 1; DACS_UNDEFINED and CATHODE_ENERGY_TIMING_UNDEFINED: the ASIC's default stays.
    AnalogOutput m_Output;
    DACS m_DAC;
    CathodeEnergyTiming m_Timing;
    int m_Channel;
};

const VersionExpectation versions[] = {
    // Monitor code 8 selects DAC 3 after the anode channel.
    {"configuration_v1.dat", 11, 10000, 2, true, ANALOG_OUTPUT_DAC, DACS_3, CATHODE_ENERGY_TIMING_UNDEFINED, 17},
    {"configuration_v2.dat", 15, 63000, 1, true, ANALOG_OUTPUT_CATHODE_ENERGY_TIMING, DACS_2, CATHODE_ENERGY_TIMING_3, 40},
    {"configuration_v3.dat", 15, 5000, 2, false, ANALOG_OUTPUT_1, DACS_4, CATHODE_ENERGY_TIMING_2, 5},
    {"configuration_v4.dat", 12, 10000, 1, false, ANALOG_OUTPUT_ANODE_CHANNEL, DACS_UNDEFINED,
     CATHODE_ENERGY_TIMING_UNDEFINED, 100},
    {"configuration_v5.dat", 15, 7000, 2, false, ANALOG_OUTPUT_DAC, DACS_9, CATHODE_ENERGY_TIMING_1, 128},
    {"configuration_v6.dat", 15, 12000, 2, false, ANALOG_OUTPUT_3, DACS_5, CATHODE_ENERGY_TIMING_4, 64},
};

} // namespace

TEST(OldFormatConversions, MatchTheWorkedExamples)
{
    EXPECT_EQ(OldFormatConversions::GetPulseThresholdTrimAsStep(10), 26);
    EXPECT_EQ(OldFormatConversions::GetPulseThresholdTrimAsStep(-10), 26);
    EXPECT_EQ(OldFormatConversions::GetPulseThresholdTrimAsStep(11), 26);
    EXPECT_EQ(OldFormatConversions::GetThresholdTrimAsStep(7.0), 13);
    EXPECT_EQ(OldFormatConversions::GetThresholdTrimAsStep(-7.0), 13);
    EXPECT_EQ(OldFormatConversions::GetMultiThreshDisplacementStep(12.5f), 14);
    // Zero gives a displacement the setter refuses; that stays as it was.
    EXPECT_EQ(OldFormatConversions::GetMultiThreshDisplacementStep(0.0f), 16);
    EXPECT_EQ(OldFormatConversions::GetThresholdAsStep(100.0f), 55);
    // The float nearest to 18.08406647116325 is slightly smaller than it.
    EXPECT_EQ(OldFormatConversions::GetThresholdAsStep(18.08406647116325f), 9);
}

TEST(OldFormatConversions, CorruptValuesGiveARefusedStepNotUndefinedBehaviour)
{
    EXPECT_EQ(OldFormatConversions::GetPulseThresholdTrimAsStep(INT_MIN), 31 - 1073741824);
    EXPECT_EQ(OldFormatConversions::GetThresholdTrimAsStep(1e300), INT_MIN);
    EXPECT_EQ(OldFormatConversions::GetThresholdTrimAsStep(NAN), INT_MIN);
    EXPECT_EQ(OldFormatConversions::GetThresholdAsStep(INFINITY), INT_MIN);
    EXPECT_EQ(OldFormatConversions::GetMultiThreshDisplacementStep(-INFINITY), INT_MIN);
    EXPECT_EQ(OldFormatConversions::GetMultiThreshDisplacementStep(1e30f), INT_MIN);
}

// Each version's layout, and its monitor block applied to a GM.
TEST(ConfigurationFiles, EveryFormatVersionReadsItsOwnLayout)
{
    const GammaModule fresh(1);
    for (const VersionExpectation& expected : versions) {
        SCOPED_TRACE(expected.m_File);
        const ParsedConfiguration config = parseTestData(expected.m_File);
        const int version = static_cast<int>(&expected - versions) + 1;
        EXPECT_EQ(config.m_FormatVersion, version);
        EXPECT_EQ(config.m_StreamVersion, expected.m_StreamVersion);
        EXPECT_EQ(config.m_CameraIPAddress, QByteArray("127.0.0.") + QByteArray::number(version));
        // Up to version 4 a spare int comes before it.
        EXPECT_EQ(config.m_GMUpdateType, 2);

        EXPECT_TRUE(config.m_SysConfig.m_DebugMode);
        EXPECT_EQ(config.m_SysConfig.m_MBMultiplexerAddressType, 2);
        EXPECT_EQ(config.m_SysConfig.m_PacketTransferRate, expected.m_Rate);
        EXPECT_EQ(config.m_SysConfig.m_TokenType, expected.m_Token);
        EXPECT_EQ(config.m_SysConfig.m_HasPixelMappingMode, version == 6);

        ASSERT_EQ(config.m_GMs.size(), 4u);
        for (int k = 1; k <= 4; ++k) {
            const ParsedGM& gm = config.m_GMs[static_cast<size_t>(k - 1)];
            EXPECT_EQ(gm.m_ID, k);
            EXPECT_EQ(gm.m_Options, 8 + k);
            EXPECT_EQ(gm.m_DelayTime, 100 * k);
            EXPECT_EQ(gm.m_ADC2Channel, 2);
            EXPECT_EQ(gm.m_ASIC.m_GlobalOptions, 5);
            EXPECT_EQ(gm.m_ASIC.m_MultipleFiringSuppressTime, 3);
        }

        const ParsedAnodeData& anode = config.m_GMs[3].m_ASIC.m_Anode;
        const ParsedCathodeData& cathode = config.m_GMs[3].m_ASIC.m_Cathode;
        ASSERT_EQ(anode.m_Channels.size(), 128u);
        ASSERT_EQ(cathode.m_Channels.size(), 2u);
        EXPECT_EQ(anode.m_Group.m_PeakDetectTimeout, 4);
        EXPECT_EQ(anode.m_Group.m_PeakingTime, 1.0);
        EXPECT_EQ(anode.m_TestPulseEdge, 2);
        EXPECT_EQ(anode.m_Channels[10].m_SignalMonitored, 2);
        EXPECT_EQ(cathode.m_Group.m_PeakingTime, 0.5);
        EXPECT_EQ(cathode.m_TimingShaperPeakingTime, 3);
        EXPECT_EQ(cathode.m_Channels[1].m_TimingMode, 3);
        EXPECT_EQ(cathode.m_Channels[1].m_InternalLeakageCurrentGenerator, 2);
        if (expected.m_OldSteps) {
            EXPECT_EQ(anode.m_Group.m_TestPulseStep, 55);
            EXPECT_EQ(anode.m_PositiveEnergyThresholdStep, 110);
            EXPECT_EQ(anode.m_NegativeEnergyThresholdStep, 165);
            EXPECT_EQ(anode.m_Channels[0].m_PositivePulseThresholdTrimStep, 31);
            EXPECT_EQ(anode.m_Channels[10].m_PositivePulseThresholdTrimStep, 26);
            EXPECT_EQ(anode.m_Channels[10].m_NegativePulseThresholdTrimStep, 26);
            EXPECT_EQ(anode.m_Channels[127].m_NegativePulseThresholdTrimStep, 28);
            EXPECT_EQ(cathode.m_Group.m_TestPulseStep, 9);
            EXPECT_EQ(cathode.m_EnergyThresholdStep, 221);
            EXPECT_EQ(cathode.m_TimingUnipolarThresholdStep, 276);
            EXPECT_EQ(cathode.m_TimingPrimaryBiPolarMultiThresholdStep, 331);
            EXPECT_EQ(cathode.m_TimingSecondaryMultiThresholdDisplacementStep, 14);
            EXPECT_EQ(cathode.m_Channels[0].m_PositivePulseThresholdTrimStep, 26);
            EXPECT_EQ(cathode.m_Channels[1].m_PositivePulseThresholdTrimStep, 26);
            EXPECT_EQ(cathode.m_Channels[0].m_TimingUnipolarThresholdTrimStep, 13);
            EXPECT_EQ(cathode.m_Channels[0].m_TimingFirstMultiThresholdTrimStep, 15);
            EXPECT_EQ(cathode.m_Channels[0].m_TimingSecondMultiThresholdTrimStep, 12);
            EXPECT_EQ(cathode.m_Channels[0].m_TimingThirdMultiThresholdTrimStep, 5);
        } else {
            EXPECT_EQ(anode.m_Group.m_TestPulseStep, 100);
            EXPECT_EQ(anode.m_PositiveEnergyThresholdStep, 200);
            EXPECT_EQ(anode.m_NegativeEnergyThresholdStep, 300);
            EXPECT_EQ(anode.m_Channels[10].m_PositivePulseThresholdTrimStep, 11);
            EXPECT_EQ(anode.m_Channels[10].m_NegativePulseThresholdTrimStep, 1);
            EXPECT_EQ(cathode.m_Group.m_TestPulseStep, 150);
            EXPECT_EQ(cathode.m_EnergyThresholdStep, 400);
            EXPECT_EQ(cathode.m_TimingSecondaryMultiThresholdDisplacementStep, 7);
            EXPECT_EQ(cathode.m_Channels[1].m_PositivePulseThresholdTrimStep, 22);
            EXPECT_EQ(cathode.m_Channels[1].m_TimingThirdMultiThresholdTrimStep, 5);
        }
        EXPECT_FALSE(config.m_Packets.m_Present);

        GammaModule gm(1);
        GMApplier::ApplyGM(config.m_GMs[0], &gm);
        const ASIC& asic = gm.GetASIC();
        EXPECT_EQ(asic.GetAnalogOutputMonitored(), expected.m_Output);
        EXPECT_EQ(asic.GetDACMonitored(),
                  expected.m_DAC == DACS_UNDEFINED ? fresh.GetASIC().GetDACMonitored() : expected.m_DAC);
        EXPECT_EQ(asic.GetCathodeEnergyTimingMonitored(), expected.m_Timing == CATHODE_ENERGY_TIMING_UNDEFINED
                                                              ? fresh.GetASIC().GetCathodeEnergyTimingMonitored()
                                                              : expected.m_Timing);
        EXPECT_EQ(asic.GetAnodeChannelMonitored(), expected.m_Channel);
    }
}

TEST(ConfigurationFiles, MonitorCodesOfVersionOne)
{
    auto applyCode = [](int a_Code) {
        ParsedASIC record;
        record.m_AnalogOutput.m_IsMonitorCode = true;
        record.m_AnalogOutput.m_MonitorCode = a_Code;
        record.m_AnalogOutput.m_AnodeChannel = 9;
        GammaModule gm(1);
        GMApplier::ApplyASIC(record, gm.AccessASIC());
        return std::make_tuple(gm.GetASIC().GetAnalogOutputMonitored(), gm.GetASIC().GetDACMonitored(),
                               gm.GetASIC().GetCathodeEnergyTimingMonitored());
    };
    EXPECT_EQ(std::get<0>(applyCode(0)), ANALOG_OUTPUT_1);
    EXPECT_EQ(std::get<0>(applyCode(1)), ANALOG_OUTPUT_ANODE_CHANNEL);
    EXPECT_EQ(applyCode(2), std::make_tuple(ANALOG_OUTPUT_CATHODE_ENERGY_TIMING, std::get<1>(applyCode(1)),
                                            CATHODE_ENERGY_TIMING_1));
    EXPECT_EQ(std::get<2>(applyCode(5)), CATHODE_ENERGY_TIMING_4);
    EXPECT_EQ(std::get<0>(applyCode(6)), ANALOG_OUTPUT_DAC);
    EXPECT_EQ(std::get<1>(applyCode(6)), DACS_1);
    EXPECT_EQ(std::get<1>(applyCode(14)), DACS_9);
    EXPECT_EQ(std::get<0>(applyCode(15)), ANALOG_OUTPUT_ANODE_CHANNEL);
}

TEST(ConfigurationFiles, RefusedValuesKeepTheSettingAndShortChannelListsTheRest)
{
    GammaModule gm(1);
    ASIC* asic = gm.AccessASIC();
    ASSERT_TRUE(asic->SetCathodeTimingChannelsSecondaryMultiThresholdDisplacementStep(9));
    ASSERT_TRUE(asic->SetAnodeChannelNegativePulseThresholdTrimStep(6, 17));
    ASSERT_TRUE(gm.SetDelayTime(40));

    ParsedConfiguration config = parseTestData("configuration_v6.dat");
    ParsedGM record = config.m_GMs[0];
    record.m_DelayTime = 30;                                              // not a multiple of 20
    record.m_ASIC.m_Cathode.m_TimingSecondaryMultiThresholdDisplacementStep = 16;   // above 15
    record.m_ASIC.m_Anode.m_Channels.resize(5);
    GMApplier::ApplyGM(record, &gm);

    EXPECT_EQ(gm.GetDelayTime(), 40);
    EXPECT_EQ(gm.GetASIC().GetCathodeTimingChannelsSecondaryMultiThresholdDisplacementStep(), 9);
    int step = 0;
    ASSERT_TRUE(asic->GetAnodeChannelNegativePulseThresholdTrimStep(5, &step));
    EXPECT_EQ(step, 15);
    ASSERT_TRUE(asic->GetAnodeChannelNegativePulseThresholdTrimStep(6, &step));
    EXPECT_EQ(step, 17);
}

TEST(ConfigurationFiles, RecordsGoToTheGMWithTheirIDWhenTheIDsMatch)
{
    std::vector<ParsedGM> records(4);
    for (int k = 0; k < 4; ++k)
        records[static_cast<size_t>(k)].m_ID = k + 1;
    GammaModule gm1(1), gm2(2), gm3(3), gm4(4);

    // The camera reported its GMs out of ID order.
    const std::vector<GammaModule*> outOfOrder{&gm3, &gm1, &gm4, &gm2};
    EXPECT_EQ(GMApplier::PairRecords(records, outOfOrder), (std::vector<GammaModule*>{&gm1, &gm2, &gm3, &gm4}));

    // Other IDs, or an ID twice: by position.
    GammaModule gm5(5);
    const std::vector<GammaModule*> otherIDs{&gm3, &gm1, &gm5, &gm2};
    EXPECT_EQ(GMApplier::PairRecords(records, otherIDs), otherIDs);
    records[3].m_ID = 1;
    EXPECT_EQ(GMApplier::PairRecords(records, outOfOrder), outOfOrder);
}

TEST(ConfigurationFiles, VersionSixFileIsWrittenBackByteForByte)
{
    const QByteArray file = testData("configuration_v6.dat");
    ParsedConfiguration config;
    ASSERT_TRUE(parse(file, &config));

    QuorvelSysConfig sysConfig;
    ConfigurationApplier::ApplySysConfig(config.m_SysConfig, &sysConfig);
    std::vector<GammaModule*> gms;
    for (int id = 1; id <= 4; ++id) {
        gms.push_back(new GammaModule(id));
        GMApplier::ApplyGM(config.m_GMs[static_cast<size_t>(id - 1)], gms.back());
    }

    QByteArray written;
    QBuffer buffer(&written);
    buffer.open(QIODevice::WriteOnly);
    ConfigurationWriter writer(&buffer);
    writer.SaveHeader(config.m_CameraIPAddress, config.m_GMUpdateType);
    writer.SaveSysConfig(sysConfig);
    writer.SaveGammaModules(gms);
    CollectedPackets* store = CollectedPackets::GetInstance();
    {
        const auto lock = store->AccessLock();
        store->Clear();
        writer.SavePackets(*store);
    }
    EXPECT_TRUE(writer.Ok());
    EXPECT_EQ(written.size(), file.size());
    EXPECT_TRUE(written == file);
    for (GammaModule* gm : gms)
        delete gm;
}

TEST(ConfigurationFiles, PacketSectionReplacesTheStoreAndExtraChannelsAreDropped)
{
    const ParsedConfiguration config = parseTestData("configuration_v6_packets.dat");
    // GM 1 carries 130 anode and 3 cathode records; GM 2 is read from the right place.
    ASSERT_EQ(config.m_GMs.size(), 4u);
    EXPECT_EQ(config.m_GMs[0].m_ASIC.m_Anode.m_Channels.size(), 128u);
    EXPECT_EQ(config.m_GMs[0].m_ASIC.m_Anode.m_Channels[127].m_PositivePulseThresholdTrimStep, 0);
    EXPECT_EQ(config.m_GMs[0].m_ASIC.m_Cathode.m_Channels.size(), 2u);
    EXPECT_EQ(config.m_GMs[1].m_ID, 2);
    EXPECT_EQ(config.m_GMs[1].m_DelayTime, 200);
    EXPECT_EQ(config.m_SysConfig.m_PixelMappingMode, 2);

    ASSERT_TRUE(config.m_Packets.m_Present);
    fillStore(3, 2);
    CollectedPackets* store = CollectedPackets::GetInstance();
    const auto lock = store->AccessLock();
    ASSERT_TRUE(ConfigurationApplier::ApplyPackets(config.m_Packets, store));
    ASSERT_EQ(store->GetSize(), 2);
    const Packet* first = store->GetPacket(0);
    EXPECT_EQ(first->m_GMID, 2);
    EXPECT_EQ(first->m_HeaderWord, 513);
    EXPECT_EQ(first->m_HeaderByte, 7);
    ASSERT_EQ(first->GetNoOfPhotons(), 2);
    EXPECT_EQ(first->GetPhoton(0).m_Pixel, 17);
    EXPECT_EQ(first->GetPhoton(0).m_Energy, 300);
    EXPECT_EQ(first->GetPhoton(0).m_PositiveEnergy, 1);
    EXPECT_EQ(first->GetPhoton(0).m_PositiveTimeDetect, 0);
    EXPECT_EQ(static_cast<quint16>(first->GetPhoton(1).m_Pixel), 65535);
    EXPECT_EQ(first->GetPhoton(1).m_TimeDetect, 1234);
    EXPECT_EQ(first->GetPhoton(1).m_PositiveTimeDetect, 1);
    const Packet* second = store->GetPacket(1);
    EXPECT_EQ(second->m_GMID, 4);
    EXPECT_EQ(second->m_HeaderWord, 65535);
    EXPECT_EQ(second->m_HeaderByte, 255);
    EXPECT_EQ(second->GetNoOfPhotons(), 0);
    store->Clear();
}

// Loading them into the virtual camera through the exported functions.
namespace {

// The library's own wait for the camera in these tests.
constexpr int loadWaitMs = 3000;

class LoadConfigurationTest : public CameraRig
{
protected:
    void PrepareClient()
    {
        CameraRig::PrepareClient();
        Quorvel::GetInstance()->SetWaitTimeout(loadWaitMs);
    }

    // Drops the control connection right before the GM registers are written
    // (the GM count text comes just before them).
    void DropTheCameraBeforeTheGMWrites()
    {
        camsim::VirtualCamera* camera = m_Camera.get();
        OnSysText() = [camera](const std::string& a_Text) {
            if (a_Text.rfind("No of GM's loaded", 0) == 0)
                camera->closeConnection(camsim::Channel::Control);
        };
    }

    // A copy of a hand-made file that names this test's camera.
    QString FileForCamera(const char* a_Name)
    {
        const QString path = tempPath(m_Address + QLatin1Char('_') + QLatin1String(a_Name));
        writeFile(path, withCameraAddress(testData(a_Name), m_Address));
        return path;
    }

    bool Load(const QString& a_Path) { return QuorvelDll::LoadConfiguration(a_Path.toUtf8().constData()); }

    int DelayTimeOf(int a_GMID)
    {
        EXPECT_TRUE(QuorvelDll::SetActiveGM(a_GMID)) << QuorvelDll::GetLastError();
        int delay = -1;
        EXPECT_TRUE(QuorvelDll::GetDelayTime(&delay));
        return delay;
    }

    // The images the camera holds are the model's images.
    void ExpectCameraHoldsTheModel()
    {
        // A read round trip: every earlier write has reached the camera.
        QuorvelDll::IsSystemCollectingPhotons();
        GammaModules* gms = GammaModules::GetInstance();
        const auto lock = gms->AccessLock();
        for (GammaModule* gm : gms->GetGMs(GAMMA_MODULES_TYPE_DEVICE)) {
            const int id = gm->GetID();
            EXPECT_EQ(m_Camera->gmRegister(id, 23), gm->GetDelayTimeData()) << id;
            EXPECT_EQ(m_Camera->gmRegister(id, 21), gm->GetGMASICModeData()) << id;
            EXPECT_TRUE(m_Camera->asicImage(id, 29) == gm->GetASIC().GetGlobalDataArray()) << id;
            EXPECT_TRUE(m_Camera->asicImage(id, 30) == gm->GetASIC().GetChannelDataArray()) << id;
        }
    }

};

} // namespace

TEST_F(LoadConfigurationTest, EveryFormatVersionLoadsIntoTheCamera)
{
    ASSERT_NO_FATAL_FAILURE(StartCamera());
    PrepareClient();
    for (int version = 1; version <= 6; ++version) {
        SCOPED_TRACE(version);
        ToolbarTexts().clear();
        const QString path = FileForCamera(versions[version - 1].m_File);
        ASSERT_TRUE(Load(path)) << QuorvelDll::GetLastError();
        EXPECT_EQ(ToolbarTexts().front(), "Loading configuration ...");
        EXPECT_EQ(ToolbarTexts().back(), "Configuration loaded");
        EXPECT_EQ(QuorvelDll::GetCameraUpdateMode(), CAMERA_UPDATE_MODE_DEFERRED);
        EXPECT_EQ(QuorvelDll::GetPacketTransferRate(), versions[version - 1].m_Rate);
        EXPECT_EQ(QuorvelDll::GetSysTokenType(), versions[version - 1].m_Token);
        EXPECT_TRUE(QuorvelDll::IsDebugModeActive());
        EXPECT_EQ(QuorvelDll::GetMBMultiplexerAddressType(), MB_MULTIPLEXER_ADDR_TYPE_2);
        EXPECT_EQ(QuorvelDll::GetPixelMappingMode(), version == 6 ? PIXEL_MAPPING_MODE_GLOBAL : PIXEL_MAPPING_MODE_LOCAL);
        EXPECT_EQ(QuorvelDll::GetGMUpdateType(), GM_UPDATE_TYPE_ALL_GMS);
        ASSERT_EQ(QuorvelDll::GetNoOfGMs(), 4);
        EXPECT_EQ(QuorvelDll::GetNoOfLoadedGMs(), 0);
        for (int id = 1; id <= 4; ++id)
            EXPECT_EQ(DelayTimeOf(id), 100 * id);

        int value = 0;
        ASSERT_TRUE(QuorvelDll::GetChannelPositivePulseThresholdTrimStep(CHANNEL_TYPE_ANODE, 11, &value));
        EXPECT_EQ(value, version < 3 ? 26 : 11);
        ASSERT_TRUE(QuorvelDll::GetChannelThresholdStep(CHANNEL_THRESHOLD_TYPE_CATHODE_ENERGY, &value));
        EXPECT_EQ(value, version < 3 ? 221 : 400);
        ASSERT_TRUE(QuorvelDll::GetCathodeTimingChannelsSecondaryMultiThresholdsDisplacementStep(&value));
        EXPECT_EQ(value, version < 3 ? 14 : 7);
        ASSERT_TRUE(QuorvelDll::GetCathodeTimingChannelTrimStep(1, CATHODE_TIMING_CHANNEL_TYPE_UNIPOLAR, &value));
        EXPECT_EQ(value, version < 3 ? 13 : 1);
        ExpectCameraHoldsTheModel();

        // The link stays up after a load; the next one needs a disconnect first.
        EXPECT_FALSE(Load(path));
        EXPECT_EQ(QuorvelDll::GetLastError(), "System must be disconnected prior to load");
        QuorvelDll::Disconnect();
    }
}

TEST_F(LoadConfigurationTest, FewerGMsThanTheCameraGoToTheLoadedGMs)
{
    ASSERT_NO_FATAL_FAILURE(StartCamera());
    PrepareClient();
    ASSERT_TRUE(Load(FileForCamera("configuration_v6_three_gms.dat"))) << QuorvelDll::GetLastError();
    EXPECT_NE(std::find(SysTexts().begin(), SysTexts().end(),
                        "No of GM's loaded: 3, No of GM's in device: 4, use CopyLoadedGMToGM() to set up GMs"),
              SysTexts().end());
    EXPECT_EQ(QuorvelDll::GetNoOfLoadedGMs(), 3);
    for (int id = 1; id <= 4; ++id)
        EXPECT_EQ(DelayTimeOf(id), 0);

    ASSERT_TRUE(QuorvelDll::SetActiveGM(1));
    EXPECT_TRUE(QuorvelDll::CopyLoadedGMToGM(2, 4)) << QuorvelDll::GetLastError();
    EXPECT_EQ(QuorvelDll::GetActiveGM(), 1);
    EXPECT_EQ(DelayTimeOf(4), 200);
    EXPECT_EQ(DelayTimeOf(1), 0);
    // Deferred mode: only the model changed.
    EXPECT_EQ(m_Camera->gmRegister(4, 23), 0);

    EXPECT_FALSE(QuorvelDll::CopyLoadedGMToGM(4, 1));
    EXPECT_EQ(QuorvelDll::GetLastError(), "GM ID out of range, valid range 1 to 3");
    EXPECT_FALSE(QuorvelDll::CopyLoadedGMToGM(1, 5));
    EXPECT_EQ(QuorvelDll::GetLastError(), "GM ID out of range, valid range 1 to 4");

    ASSERT_TRUE(QuorvelDll::SetCameraUpdateMode(CAMERA_UPDATE_MODE_IMMEDIATE));
    EXPECT_TRUE(QuorvelDll::CopyLoadedGMToGM(3, 2)) << QuorvelDll::GetLastError();
    EXPECT_TRUE(testsupport::waitUntil([this] { return m_Camera->gmRegister(2, 23) == 15; }, loadWaitMs));

    // The next load starts with no loaded GMs.
    QuorvelDll::Disconnect();
    ASSERT_TRUE(Load(FileForCamera("configuration_v6.dat"))) << QuorvelDll::GetLastError();
    EXPECT_EQ(QuorvelDll::GetNoOfLoadedGMs(), 0);
    EXPECT_FALSE(QuorvelDll::CopyLoadedGMToGM(1, 1));
    EXPECT_EQ(QuorvelDll::GetLastError(), "No loaded GMs to copy from");
}

// The camera reports its GMs out of ID order: the file holds them in ID order,
// each GM gets its own settings back, and the whole configuration with its
// packets survives byte for byte.
TEST_F(LoadConfigurationTest, SavedConfigurationAndPacketsLoadBackOntoTheirOwnGMs)
{
    ASSERT_NO_FATAL_FAILURE(StartCameraWithGMs({3, 1, 4, 2}));
    PrepareClient();
    ASSERT_TRUE(QuorvelDll::Initialize()) << QuorvelDll::GetLastError();
    ASSERT_TRUE(QuorvelDll::StartSys()) << QuorvelDll::GetLastError();
    ASSERT_TRUE(testsupport::waitUntil([] { return QuorvelDll::GetNoOfGMs() == 4; }, loadWaitMs));
    for (int id = 1; id <= 4; ++id) {
        ASSERT_TRUE(QuorvelDll::SetActiveGM(id));
        ASSERT_TRUE(QuorvelDll::SetDelayTime(20 * id));
        ASSERT_TRUE(QuorvelDll::SetGMPulserFrequency(static_cast<GMPulserFrequency>(id)));
        QuorvelDll::SetActiveChannelType(CHANNEL_TYPE_ANODE);
        ASSERT_TRUE(QuorvelDll::SetActiveChannel(id * 30));
        ASSERT_TRUE(QuorvelDll::SetChannelPositivePulseThresholdTrimStep(id));
    }
    ASSERT_TRUE(QuorvelDll::SetPacketTransferRate(20000));
    ASSERT_TRUE(QuorvelDll::SetSysTokenType(SYS_TOKEN_TYPE_2));
    fillStore(25, 6);
    {
        CollectedPackets* store = CollectedPackets::GetInstance();
        const auto lock = store->AccessLock();
        ASSERT_TRUE(store->AddPacket(9, 0xFFFF, 0xFF, nullptr, 0));
    }
    const QString saved = tempPath(m_Address + "_saved.dat");
    ASSERT_TRUE(QuorvelDll::SaveConfiguration(saved.toUtf8().constData())) << QuorvelDll::GetLastError();
    QuorvelDll::Close();
    // The file holds each GM once, in ID order.
    ParsedConfiguration parsed;
    ASSERT_TRUE(parse(readFile(saved), &parsed));
    ASSERT_EQ(parsed.m_GMs.size(), 4u);
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(parsed.m_GMs[static_cast<size_t>(k - 1)].m_ID, k);
        EXPECT_EQ(parsed.m_GMs[static_cast<size_t>(k - 1)].m_DelayTime, 20 * k);
    }

    PrepareClient();
    ASSERT_TRUE(Load(saved)) << QuorvelDll::GetLastError();
    for (int id = 1; id <= 4; ++id) {
        EXPECT_EQ(DelayTimeOf(id), 20 * id);
        int trim = 0;
        ASSERT_TRUE(QuorvelDll::GetChannelPositivePulseThresholdTrimStep(CHANNEL_TYPE_ANODE, id * 30, &trim));
        EXPECT_EQ(trim, id);
    }
    EXPECT_EQ(QuorvelDll::GetPacketTransferRate(), 20000);
    EXPECT_EQ(QuorvelDll::GetNoOfCollectedPackets(), 26);
    ExpectCameraHoldsTheModel();

    const QString again = tempPath(m_Address + "_again.dat");
    ASSERT_TRUE(QuorvelDll::SaveConfiguration(again.toUtf8().constData()));
    const QByteArray first = readFile(saved);
    EXPECT_GT(first.size(), 46 + 4 * V6_GM_RECORD_SIZE);
    EXPECT_TRUE(readFile(again) == first);
}

TEST_F(LoadConfigurationTest, PixelMappingModeOfTheFileReachesTheDecoder)
{
    ASSERT_NO_FATAL_FAILURE(StartCamera());
    PrepareClient();
    // Version 6 with global pixel numbers: GMs 3 and 4 cover pixels 243 to 484.
    ASSERT_TRUE(Load(FileForCamera("configuration_v6.dat"))) << QuorvelDll::GetLastError();
    ASSERT_EQ(QuorvelDll::GetPixelMappingMode(), PIXEL_MAPPING_MODE_GLOBAL);
    ASSERT_TRUE(QuorvelDll::StartPhotonCollection()) << QuorvelDll::GetLastError();
    ASSERT_TRUE(testsupport::waitUntil([] { return QuorvelDll::GetNoOfCollectedPackets() >= 40; }, loadWaitMs));
    ASSERT_TRUE(QuorvelDll::StopPhotonCollection()) << QuorvelDll::GetLastError();

    int lowerHalfPhotons = 0;
    int globalPixels = 0;
    const int packets = QuorvelDll::GetNoOfCollectedPackets();
    for (int packet = 1; packet <= packets; ++packet) {
        int gm = 0;
        int photons = 0;
        ASSERT_TRUE(QuorvelDll::GetPacketData(packet, PACKET_DATA_GM_ID, &gm));
        ASSERT_TRUE(QuorvelDll::GetPacketData(packet, PACKET_DATA_NO_OF_PHOTONS, &photons));
        if (gm < 3)
            continue;
        for (int photon = 1; photon <= photons; ++photon) {
            int pixel = 0;
            ASSERT_TRUE(QuorvelDll::GetPhotonData(packet, photon, PHOTON_DATA_PIXEL, &pixel));
            ++lowerHalfPhotons;
            globalPixels += pixel >= 243 && pixel <= 484;
        }
    }
    ASSERT_GT(lowerHalfPhotons, 0);
    EXPECT_EQ(globalPixels, lowerHalfPhotons);
}

TEST_F(LoadConfigurationTest, CorruptFileFailsBeforeTheCameraIsTouched)
{
    ASSERT_NO_FATAL_FAILURE(StartCamera());
    PrepareClient();
    fillStore(5, 2);
    ASSERT_TRUE(QuorvelDll::SetCameraUpdateMode(CAMERA_UPDATE_MODE_IMMEDIATE));
    const QByteArray whole = withCameraAddress(testData("configuration_v6_packets.dat"), m_Address);
    const QString path = tempPath(m_Address + "_cut.dat");
    writeFile(path, whole.left(whole.size() - 3));

    EXPECT_FALSE(Load(path));
    EXPECT_EQ(QuorvelDll::GetLastError(),
              "Configuration file is truncated or corrupt: it ends inside packet record 2");
    EXPECT_EQ(ToolbarTexts(), (std::vector<std::string>{"Loading configuration ...", "Configuration load failed"}));
    EXPECT_EQ(QuorvelDll::GetCameraUpdateMode(), CAMERA_UPDATE_MODE_IMMEDIATE);
    EXPECT_EQ(QuorvelDll::GetNoOfCollectedPackets(), 5);
    EXPECT_FALSE(QuorvelDll::IsSystemInitialized());
    EXPECT_EQ(m_Camera->connectionCount(camsim::Channel::Control), 0);
    EXPECT_TRUE(m_Camera->requests().isEmpty());
}

TEST_F(LoadConfigurationTest, FailedRegisterWritesFailTheLoad)
{
    ASSERT_NO_FATAL_FAILURE(StartCamera());
    PrepareClient();
    DropTheCameraBeforeTheGMWrites();
    EXPECT_FALSE(Load(FileForCamera("configuration_v6.dat")));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Failed to write to register 18");
    EXPECT_EQ(ToolbarTexts().back(), "Configuration load failed");
    // The settings themselves were taken.
    OnSysText() = nullptr;
    EXPECT_EQ(DelayTimeOf(3), 300);
}
