// The hand-made configuration files of every format version, read and applied:
// old-style conversions, the layout differences between versions, and a
// version 6 file written back byte for byte.
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
};

const VersionExpectation versions[] = {
    {"configuration_v1.dat", 11, 10000, 2, true},  {"configuration_v2.dat", 15, 63000, 1, true},
    {"configuration_v3.dat", 15, 5000, 2, false},  {"configuration_v4.dat", 12, 10000, 1, false},
    {"configuration_v5.dat", 15, 7000, 2, false},  {"configuration_v6.dat", 15, 12000, 2, false},
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

TEST(ConfigurationFiles, EveryFormatVersionReadsItsOwnLayout)
{
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
    }
}

TEST(ConfigurationFiles, MonitorBlockOfEachVersionSelectsItsOutput)
{
    struct Expectation
    {
        const char* m_File;
        AnalogOutput m_Output;
        DACS m_DAC;              // DACS_UNDEFINED: the ASIC's default stays
        CathodeEnergyTiming m_Timing;
        int m_Channel;
    };
    const Expectation expectations[] = {
        // Monitor code 8 selects DAC 3 after the anode channel.
        {"configuration_v1.dat", ANALOG_OUTPUT_DAC, DACS_3, CATHODE_ENERGY_TIMING_UNDEFINED, 17},
        {"configuration_v2.dat", ANALOG_OUTPUT_CATHODE_ENERGY_TIMING, DACS_2, CATHODE_ENERGY_TIMING_3, 40},
        {"configuration_v3.dat", ANALOG_OUTPUT_1, DACS_4, CATHODE_ENERGY_TIMING_2, 5},
        {"configuration_v4.dat", ANALOG_OUTPUT_ANODE_CHANNEL, DACS_UNDEFINED, CATHODE_ENERGY_TIMING_UNDEFINED, 100},
        {"configuration_v5.dat", ANALOG_OUTPUT_DAC, DACS_9, CATHODE_ENERGY_TIMING_1, 128},
        {"configuration_v6.dat", ANALOG_OUTPUT_3, DACS_5, CATHODE_ENERGY_TIMING_4, 64},
    };
    const GammaModule fresh(1);
    for (const Expectation& expected : expectations) {
        SCOPED_TRACE(expected.m_File);
        const ParsedConfiguration config = parseTestData(expected.m_File);
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
