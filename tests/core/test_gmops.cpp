// Gamma module operations through the exported functions, against the virtual
// camera: selection, deferred and immediate writes, the all-GMs pass, readings
// and raw register access.
#include "tests/support/camerarig.h"

#include "asic/detectorcalcs.h"
#include "core/quorvelsysconfig.h"

namespace {

const char* const noGMsText = "Number of gamma modules in device yet to be determined";

class GMOpsTest : public CameraRig
{
};

TEST_F(GMOpsTest, SetActiveGMAcceptsOnlyDeviceGMs)
{
    EXPECT_FALSE(QuorvelDll::SetActiveGM(1));
    EXPECT_EQ(QuorvelDll::GetLastError(), noGMsText);
    EXPECT_FALSE(QuorvelDll::IsActiveGMSet());
    EXPECT_EQ(QuorvelDll::GetLastError(), "Active GM hasn't been set");
    EXPECT_EQ(QuorvelDll::GetActiveGM(), -1);

    StartSystemWithGMs();
    for (int id : {0, 5, -1}) {
        EXPECT_FALSE(QuorvelDll::SetActiveGM(id)) << id;
        EXPECT_EQ(QuorvelDll::GetLastError(), "Invalid GM ID, valid range is 1 to 4");
    }
    ASSERT_TRUE(QuorvelDll::SetGMUpdateType(GM_UPDATE_TYPE_ALL_GMS));
    ASSERT_TRUE(QuorvelDll::SetActiveGM(3));
    EXPECT_EQ(QuorvelDll::GetActiveGM(), 3);
    EXPECT_TRUE(QuorvelDll::IsActiveGMSet());
    // A successful selection puts the update type back to the active GM.
    EXPECT_EQ(QuorvelDll::GetGMUpdateType(), GM_UPDATE_TYPE_ACTIVE_GM);

    EXPECT_FALSE(QuorvelDll::SetGMUpdateType(GM_UPDATE_TYPE_UNDEFINED));
    EXPECT_EQ(QuorvelDll::GetLastError(), "GM update type is undefined");
    EXPECT_EQ(QuorvelDll::GetGMUpdateType(), GM_UPDATE_TYPE_ACTIVE_GM);
    EXPECT_TRUE(Sent().isEmpty());
}

TEST_F(GMOpsTest, CameraWithoutGMOneIsAddressedByItsOwnIDs)
{
    StartSystemWithGMs({2, 3, 4});
    EXPECT_FALSE(QuorvelDll::SetActiveGM(1));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Invalid GM ID, valid range is 1 to 3");
    ASSERT_TRUE(QuorvelDll::SetActiveGM(4));
    ASSERT_TRUE(QuorvelDll::SetCameraUpdateMode(CAMERA_UPDATE_MODE_IMMEDIATE));

    EXPECT_TRUE(QuorvelDll::SetDelayTime(200));
    EXPECT_TRUE(QuorvelDll::SetDefaultGM(4));
    EXPECT_FALSE(QuorvelDll::SetDefaultGM(1));
    EXPECT_EQ(QuorvelDll::GetLastError(), "GM ID out of range, valid range 1 to 3");
    EXPECT_EQ(Sent(), QList<QByteArray>({GMWrite(23, 4, 10), GMWrite(20, 4, 4)}));

    Quorvel* controller = Quorvel::GetInstance();
    EXPECT_TRUE(controller->IsValidGMID(2, GM_CONTAINER_TYPE_DEVICE));
    EXPECT_FALSE(controller->IsValidGMID(5, GM_CONTAINER_TYPE_DEVICE));
    EXPECT_EQ(QuorvelDll::GetLastError(), "GM ID out of range, valid range 1 to 3");
    // No GMs loaded from a file: refused without a message of its own.
    EXPECT_FALSE(controller->IsValidGMID(1, GM_CONTAINER_TYPE_LOADED));
    EXPECT_EQ(QuorvelDll::GetLastError(), "GM ID out of range, valid range 1 to 3");

    // GM 3, last in the list but one, is untouched.
    Mark();
    ASSERT_TRUE(QuorvelDll::SetActiveGM(3));
    int delay = -1;
    ASSERT_TRUE(QuorvelDll::GetDelayTime(&delay));
    EXPECT_EQ(delay, 0);
}

TEST_F(GMOpsTest, OperationsOnAVanishedGMFailAndTouchNothing)
{
    StartSystemWithGMs();
    ASSERT_TRUE(QuorvelDll::SetActiveGM(2));
    ASSERT_TRUE(QuorvelDll::SetCameraUpdateMode(CAMERA_UPDATE_MODE_IMMEDIATE));
    // Stopping the system empties the device list until the camera reports its GMs again.
    ASSERT_TRUE(QuorvelDll::StopSys()) << QuorvelDll::GetLastError();
    ASSERT_EQ(QuorvelDll::GetNoOfGMs(), 0);
    EXPECT_EQ(QuorvelDll::GetActiveGM(), 2);
    Mark();
    int value = 7;
    int volts = 7;
    ChannelGain gain = CHANNEL_GAIN_UNDEFINED;
    const std::vector<std::pair<const char*, std::function<bool()>>> operations = {
        {"SetDefaultGM", [] { return QuorvelDll::SetDefaultGM(1); }},
        {"SetDelayTime", [] { return QuorvelDll::SetDelayTime(100); }},
        {"GetGMOptions", [&] { return QuorvelDll::GetGMOptions(&value); }},
        {"SendGMData", [] { return QuorvelDll::SendGMData(); }},
        {"GetGMStatus", [&] { return QuorvelDll::GetGMStatus(&value); }},
        {"GetGMFirmwareVersion", [&] { return QuorvelDll::GetGMFirmwareVersion(&value); }},
        {"ReadGMADC1", [&] { return QuorvelDll::ReadGMADC1(&value, &volts); }},
        {"SetChannelGain", [] { return QuorvelDll::SetChannelGain(CHANNEL_GAIN_2); }},
        {"GetChannelGain", [&] { return QuorvelDll::GetChannelGain(&gain); }},
        {"MaskChannel", [] { return QuorvelDll::MaskChannel(true); }},
        {"SendASICGlobalData", [] { return QuorvelDll::SendASICGlobalData(); }},
        {"SendASICChannelData", [] { return QuorvelDll::SendASICChannelData(); }},
        {"ReloadASIC", [] { return Quorvel::GetInstance()->ReloadASIC(); }},
    };
    for (const auto& operation : operations) {
        QuorvelDll::SetGMUpdateType(GM_UPDATE_TYPE_ACTIVE_GM);
        EXPECT_FALSE(operation.second()) << operation.first;
        EXPECT_EQ(QuorvelDll::GetLastError(), noGMsText) << operation.first;
    }
    EXPECT_EQ(value, 7);
    EXPECT_EQ(gain, CHANNEL_GAIN_UNDEFINED);
    EXPECT_TRUE(Sent().isEmpty());

    // A pass over no GMs fails as well.
    ASSERT_TRUE(QuorvelDll::SetGMUpdateType(GM_UPDATE_TYPE_ALL_GMS));
    EXPECT_FALSE(QuorvelDll::SetDelayTime(100));
    EXPECT_FALSE(QuorvelDll::SetActiveGM(2));
    EXPECT_EQ(QuorvelDll::GetLastError(), noGMsText);

    // Once the camera has reported its GMs again, the active GM is found again.
    ASSERT_TRUE(QuorvelDll::StartSys()) << QuorvelDll::GetLastError();
    ASSERT_TRUE(testsupport::waitUntil([] { return QuorvelDll::GetNoOfGMs() == 4; }, 5000));
    ASSERT_TRUE(QuorvelDll::SetGMUpdateType(GM_UPDATE_TYPE_ACTIVE_GM));
    Mark();
    EXPECT_TRUE(QuorvelDll::SetDelayTime(100)) << QuorvelDll::GetLastError();
    EXPECT_EQ(Sent(), QList<QByteArray>({GMWrite(23, 2, 5)}));
}

TEST_F(GMOpsTest, RefusedValuesKeepTheSettingAndSendNothing)
{
    StartSystemWithGMs();
    ASSERT_TRUE(QuorvelDll::SetActiveGM(1));
    ASSERT_TRUE(QuorvelDll::SetCameraUpdateMode(CAMERA_UPDATE_MODE_IMMEDIATE));
    ASSERT_TRUE(QuorvelDll::SetDelayTime(40));
    Mark();

    EXPECT_FALSE(QuorvelDll::SetDelayTime(30));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Delay Time value must be a multiple of 20");
    EXPECT_FALSE(QuorvelDll::SetDelayTime(5120));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Delay Time value must be between 0 and 5100");
    EXPECT_FALSE(QuorvelDll::SetNoOfPulses(16));
    EXPECT_EQ(QuorvelDll::GetLastError(), "No of pulses must be between 0 and 15");
    EXPECT_FALSE(QuorvelDll::SetGMADC1Channel(3));
    EXPECT_EQ(QuorvelDll::GetLastError(), "ADC channel must be 1 or 2");
    EXPECT_FALSE(QuorvelDll::SetGMReadoutMode(GM_READOUT_MODE_UNDEFINED));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Undefined readout mode detected");
    EXPECT_FALSE(QuorvelDll::SetDefaultGM(9));
    EXPECT_EQ(QuorvelDll::GetLastError(), "GM ID out of range, valid range 1 to 4");
    EXPECT_TRUE(Sent().isEmpty());

    int delay = 0;
    ASSERT_TRUE(QuorvelDll::GetDelayTime(&delay));
    EXPECT_EQ(delay, 40);
    // A success does not clear the last error.
    EXPECT_EQ(QuorvelDll::GetLastError(), "GM ID out of range, valid range 1 to 4");
}

TEST_F(GMOpsTest, AllGMsPassFollowsTheDeviceListAndRestoresTheActiveGM)
{
    StartSystemWithGMs({3, 1, 2});
    ASSERT_TRUE(QuorvelDll::SetActiveGM(1));
    ASSERT_TRUE(QuorvelDll::SetCameraUpdateMode(CAMERA_UPDATE_MODE_IMMEDIATE));
    ASSERT_TRUE(QuorvelDll::SetGMUpdateType(GM_UPDATE_TYPE_ALL_GMS));

    EXPECT_TRUE(QuorvelDll::SetNoOfPulses(4));
    EXPECT_EQ(Sent(), QList<QByteArray>({GMWrite(22, 3, 0x40), GMWrite(22, 1, 0x40), GMWrite(22, 2, 0x40)}));
    EXPECT_EQ(QuorvelDll::GetActiveGM(), 1);
    EXPECT_EQ(QuorvelDll::GetGMUpdateType(), GM_UPDATE_TYPE_ALL_GMS);

    // Every update type other than the active GM means all GMs; a refusal at
    // the first GM ends the pass there.
    ASSERT_TRUE(QuorvelDll::SetGMUpdateType(static_cast<GMUpdateType>(7)));
    Mark();
    EXPECT_FALSE(QuorvelDll::SetTimestampResolution(150));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Timestamp Resolution must be a multiple of 100");
    EXPECT_TRUE(Sent().isEmpty());

    // SendGMData in the pass: six registers per GM, the GMs in list order, deferred after.
    ASSERT_TRUE(QuorvelDll::SetCameraUpdateMode(CAMERA_UPDATE_MODE_DEFERRED));
    ASSERT_TRUE(QuorvelDll::SetDelayTime(60));
    ASSERT_TRUE(QuorvelDll::SetDefaultGM(2));
    Mark();
    ASSERT_TRUE(QuorvelDll::SendGMData());
    QList<QByteArray> expected;
    for (int id : {3, 1, 2}) {
        expected << GMWrite(18, id, 0) << GMWrite(20, id, 2) << GMWrite(21, id, 0) << GMWrite(22, id, 0x40)
                 << GMWrite(23, id, 3) << GMWrite(24, id, 0);
    }
    EXPECT_EQ(Sent(), expected);
    EXPECT_EQ(QuorvelDll::GetActiveGM(), 1);
    EXPECT_EQ(QuorvelDll::GetCameraUpdateMode(), CAMERA_UPDATE_MODE_DEFERRED);

    // Getters read the active GM only, whatever the update type.
    int pulses = -1;
    ASSERT_TRUE(QuorvelDll::GetNoOfPulses(&pulses));
    EXPECT_EQ(pulses, 4);
}

TEST_F(GMOpsTest, GettersCheckTheActiveGMThenThePointer)
{
    StartSystemWithGMs();
    int value = 0;
    EXPECT_FALSE(QuorvelDll::GetGMOptions(&value));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Active GM hasn't been set");
    EXPECT_FALSE(QuorvelDll::GetGMADC1Channel(nullptr));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Active GM hasn't been set");
    EXPECT_FALSE(QuorvelDll::ReadGMADC2(nullptr, nullptr));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Active GM hasn't been set");

    ASSERT_TRUE(QuorvelDll::SetActiveGM(1));
    const char* const emptyText = "Pointer passed to function doesn't point to anything";
    const char* const nullText = "Null pointer passed to function";
    const std::vector<std::pair<std::function<bool()>, const char*>> getters = {
        {[] { return QuorvelDll::GetGMOptions(nullptr); }, emptyText},
        {[] { return QuorvelDll::GetGMADC1Channel(nullptr); }, nullText},
        {[] { return QuorvelDll::GetGMADC2Channel(nullptr); }, nullText},
        {[] { return QuorvelDll::GetDefaultGM(nullptr); }, nullText},
        {[] { return QuorvelDll::GetGMReadoutOptions(nullptr); }, emptyText},
        {[] { return QuorvelDll::GetGMReadoutMode(nullptr); }, emptyText},
        {[] { return QuorvelDll::GetGMCathodeMode(nullptr); }, emptyText},
        {[] { return QuorvelDll::GetGMPulserFrequency(nullptr); }, emptyText},
        {[] { return QuorvelDll::GetGMPulserOptions(nullptr); }, emptyText},
        {[] { return QuorvelDll::GetNoOfPulses(nullptr); }, emptyText},
        {[] { return QuorvelDll::GetDelayTime(nullptr); }, emptyText},
        {[] { return QuorvelDll::GetTimestampResolution(nullptr); }, emptyText},
        {[] { return QuorvelDll::GetGMStatus(nullptr); }, nullText},
        {[] { return QuorvelDll::GetGMFirmwareVersion(nullptr); }, nullText},
        {[&] { return QuorvelDll::ReadGMADC1(&value, nullptr); }, "Null pointer(s) passed to function"},
        {[] { return QuorvelDll::GMRegRead(20, nullptr); }, "Pointer passed to funtion doesn't point to anything"},
    };
    for (size_t i = 0; i < getters.size(); ++i) {
        EXPECT_FALSE(getters[i].first()) << i;
        EXPECT_EQ(QuorvelDll::GetLastError(), getters[i].second) << i;
    }
    EXPECT_TRUE(Sent().isEmpty());
}

TEST_F(GMOpsTest, ADCReadingsAndVolts)
{
    StartSystemWithGMs();
    ASSERT_TRUE(QuorvelDll::SetActiveGM(2));
    m_Camera->setAdcReading(2, 1, 0x0FFF);
    m_Camera->setAdcReading(2, 2, 0x0180);
    int reading = -1;
    int volts = -1;
    ASSERT_TRUE(QuorvelDll::ReadGMADC1(&reading, &volts)) << QuorvelDll::GetLastError();
    EXPECT_EQ(reading, 4095);
    EXPECT_EQ(volts, 1);
    ASSERT_TRUE(QuorvelDll::ReadGMADC2(&reading, &volts)) << QuorvelDll::GetLastError();
    EXPECT_EQ(reading, 384);
    EXPECT_EQ(volts, 0);
    m_Camera->setAdcReading(2, 1, 0x1000);
    ASSERT_TRUE(QuorvelDll::ReadGMADC1(&reading, &volts));
    EXPECT_EQ(volts, 2);
    EXPECT_EQ(Sent(), QList<QByteArray>({Bytes({26, 2, 0}), Bytes({27, 2, 0}), Bytes({26, 2, 0})}));

    EXPECT_DOUBLE_EQ(DetectorCalcs::DACToVolts(2048), 1.0);
    EXPECT_DOUBLE_EQ(DetectorCalcs::DACToVolts(4095), 4095.0 / 2048.0);
    EXPECT_DOUBLE_EQ(DetectorCalcs::DACToVolts(-2048), -1.0);
}

TEST_F(GMOpsTest, StatusAndFirmwareBytesAreSigned)
{
    StartSystemWithGMs();
    ASSERT_TRUE(QuorvelDll::SetActiveGM(4));
    m_Camera->setGmRegister(4, 127, 0x85);
    m_Camera->setGmRegister(4, 19, 0x10);
    int version = 0;
    int status = 0;
    ASSERT_TRUE(QuorvelDll::GetGMFirmwareVersion(&version)) << QuorvelDll::GetLastError();
    EXPECT_EQ(version, -123);
    ASSERT_TRUE(QuorvelDll::GetGMStatus(&status)) << QuorvelDll::GetLastError();
    EXPECT_EQ(status, 16);
    m_Camera->setGmRegister(4, 19, 0xF0);
    ASSERT_TRUE(QuorvelDll::GetGMStatus(&status));
    EXPECT_EQ(status, -16);
    EXPECT_EQ(Sent(), QList<QByteArray>({Bytes({127, 4, 0}), Bytes({19, 4, 0}), Bytes({19, 4, 0})}));
}

TEST_F(GMOpsTest, DirectRegisterAccessGuardsStatusAndRange)
{
    StartSystemWithGMs();
    // No active GM: the GM byte is 0xFF.
    EXPECT_TRUE(QuorvelDll::GMRegWrite(20, 0x05));
    EXPECT_EQ(Sent(), QList<QByteArray>({GMWrite(20, 0xFF, 0x05)}));

    ASSERT_TRUE(QuorvelDll::SetActiveGM(2));
    Mark();
    EXPECT_TRUE(QuorvelDll::GMRegWrite(22, 0xAB));
    unsigned char value = 0;
    EXPECT_TRUE(QuorvelDll::GMRegRead(22, &value));
    EXPECT_EQ(value, 0xAB);
    EXPECT_EQ(m_Camera->gmRegister(2, 22), 0xAB);

    for (int reg : {19, 1}) {
        EXPECT_FALSE(QuorvelDll::GMRegWrite(reg, 0x01)) << reg;
        EXPECT_EQ(QuorvelDll::GetLastError(), "GM status register is read only");
    }
    for (int reg : {128, 144, -1}) {
        EXPECT_FALSE(QuorvelDll::GMRegWrite(reg, 0x01)) << reg;
        EXPECT_EQ(QuorvelDll::GetLastError(), "Register number must be between 0 and 127");
        EXPECT_FALSE(QuorvelDll::GMRegRead(reg, &value)) << reg;
        EXPECT_EQ(QuorvelDll::GetLastError(), "Register number must be between 0 and 127");
    }
    EXPECT_EQ(Sent(), QList<QByteArray>({GMWrite(22, 2, 0xAB), Bytes({22, 2, 0})}));
    EXPECT_EQ(m_Camera->gmRegister(2, 19), 0x10);
}

TEST_F(GMOpsTest, ReadModifyWriteOfAGMRegister)
{
    StartSystemWithGMs({1, 2});
    Quorvel* controller = Quorvel::GetInstance();
    EXPECT_FALSE(controller->ReloadASIC());
    EXPECT_EQ(QuorvelDll::GetLastError(), "Active GM hasn't been set");

    ASSERT_TRUE(QuorvelDll::SetActiveGM(2));
    m_Camera->setGmRegister(2, 18, 0x0C);
    Mark();
    ASSERT_TRUE(controller->ReloadASIC());
    EXPECT_EQ(Sent(), QList<QByteArray>({Bytes({18, 2, 0}), GMWrite(18, 2, 0x0D)}));

    m_Camera->setGmRegister(2, 18, 0xFC);
    Mark();
    ASSERT_TRUE(controller->UpdateGMRegister(18, 0x0F, 0x32));
    EXPECT_EQ(Sent(), QList<QByteArray>({Bytes({18, 2, 0}), GMWrite(18, 2, 0xF2)}));
    // Bits of the value outside the mask are ORed in as well.
    EXPECT_EQ(m_Camera->gmRegister(2, 18), 0xF2);

    // ReloadASIC over all GMs; the camera update mode plays no part.
    m_Camera->setGmRegister(1, 18, 0x20);
    ASSERT_TRUE(QuorvelDll::SetGMUpdateType(GM_UPDATE_TYPE_ALL_GMS));
    Mark();
    ASSERT_TRUE(controller->ReloadASIC());
    EXPECT_EQ(Sent(), QList<QByteArray>({Bytes({18, 1, 0}), GMWrite(18, 1, 0x21), Bytes({18, 2, 0}),
                                         GMWrite(18, 2, 0xF3)}));
    EXPECT_EQ(QuorvelDll::GetActiveGM(), 2);
}

// The camera update mode is the one gate of every setter: deferred, a setter
// only changes the model and its Send writes the whole group; immediate, the
// setter writes its own register at once. Expected bytes come from a
// reference model given the same settings.
TEST_F(GMOpsTest, UpdateModeDecidesBetweenWritingAtOnceAndWaitingForTheSend)
{
    StartSystemWithGMs();
    ASSERT_TRUE(QuorvelDll::SetActiveGM(3));
    EXPECT_EQ(QuorvelDll::GetCameraUpdateMode(), CAMERA_UPDATE_MODE_DEFERRED);
    Quorvel* controller = Quorvel::GetInstance();
    // The reference starts as the device GM (its default GM came with the power-up).
    GammaModule gm(3);
    {
        GammaModules* gms = GammaModules::GetInstance();
        const auto lock = gms->AccessLock();
        gm = *gms->GetGM(GAMMA_MODULES_TYPE_DEVICE, 3);
    }
    ASIC& asic = *gm.AccessASIC();
    QuorvelSysConfig system;

    const auto gmImage = [&](int a_Register) {
        switch (a_Register) {
        case 18: return GMWrite(18, 3, gm.GetControlData());
        case 20: return GMWrite(20, 3, gm.GetDefaultGM());
        case 21: return GMWrite(21, 3, gm.GetGMASICModeData());
        case 22: return GMWrite(22, 3, gm.GetGMPulserModeData());
        case 23: return GMWrite(23, 3, gm.GetDelayTimeData());
        case 29: return ImageWrite(29, 3, asic.GetGlobalDataArray());
        case 30: return ImageWrite(30, 3, asic.GetChannelDataArray());
        default: return GMWrite(24, 3, gm.GetTimeStampResolutionData());
        }
    };
    const auto gmGroup = [&] {
        QList<QByteArray> writes;
        for (int reg : {18, 20, 21, 22, 23, 24})
            writes << gmImage(reg);
        return writes;
    };
    // The system runs: its power bit stays set in every image written.
    const auto systemImage = [&] {
        QByteArray image = Bytes({0x90}) + system.GetDataArray();
        image[2] = static_cast<char>(image[2] | 0x01);
        return QList<QByteArray>({image});
    };
    const auto sendGM = [] { return QuorvelDll::SendGMData(); };

    struct Row {
        const char* name;
        std::function<bool()> set;          // through the library
        std::function<void()> setReference; // the same on the reference
        std::function<QList<QByteArray>()> immediate;
        std::function<bool()> send;
        std::function<QList<QByteArray>()> sent;
    };
    const std::vector<Row> rows = {
        {"options", [] { return QuorvelDll::SetGMOptions(7); }, [&] { gm.SetOptions(7); },
         [&] { return QList<QByteArray>({gmImage(18)}); }, sendGM, gmGroup},
        {"ADC1", [] { return QuorvelDll::SetGMADC1Channel(2); }, [&] { gm.SetADC1Channel(2); },
         [&] { return QList<QByteArray>({gmImage(18)}); }, sendGM, gmGroup},
        {"ADC2", [] { return QuorvelDll::SetGMADC2Channel(2); }, [&] { gm.SetADC2Channel(2); },
         [&] { return QList<QByteArray>({gmImage(18)}); }, sendGM, gmGroup},
        {"default GM", [] { return QuorvelDll::SetDefaultGM(4); }, [&] { gm.SetDefaultGM(4); },
         [&] { return QList<QByteArray>({gmImage(20)}); }, sendGM, gmGroup},
        {"readout mode", [] { return QuorvelDll::SetGMReadoutMode(GM_READOUT_MODE_SPARSIFIED); },
         [&] { gm.SetReadoutMode(GM_READOUT_MODE_SPARSIFIED); }, [&] { return QList<QByteArray>({gmImage(21)}); },
         sendGM, gmGroup},
        {"readout options", [] { return QuorvelDll::SetGMReadoutOptions(3); }, [&] { gm.SetReadoutOptions(3); },
         [&] { return QList<QByteArray>({gmImage(21)}); }, sendGM, gmGroup},
        {"cathode mode", [] { return QuorvelDll::SetGMCathodeMode(GM_CATHODE_MODE_BIPOLAR); },
         [&] { gm.SetCathodeMode(GM_CATHODE_MODE_BIPOLAR); }, [&] { return QList<QByteArray>({gmImage(21)}); },
         sendGM, gmGroup},
        {"pulser frequency", [] { return QuorvelDll::SetGMPulserFrequency(GM_PULSER_FREQUENCY_1KHZ); },
         [&] { gm.SetPulserFrequency(GM_PULSER_FREQUENCY_1KHZ); }, [&] { return QList<QByteArray>({gmImage(22)}); },
         sendGM, gmGroup},
        {"pulser options", [] { return QuorvelDll::SetGMPulserOptions(3); }, [&] { gm.SetPulserOptions(3); },
         [&] { return QList<QByteArray>({gmImage(22)}); }, sendGM, gmGroup},
        {"pulses", [] { return QuorvelDll::SetNoOfPulses(15); }, [&] { gm.SetNoOfPulses(15); },
         [&] { return QList<QByteArray>({gmImage(22)}); }, sendGM, gmGroup},
        {"delay", [] { return QuorvelDll::SetDelayTime(5100); }, [&] { gm.SetDelayTime(5100); },
         [&] { return QList<QByteArray>({gmImage(23)}); }, sendGM, gmGroup},
        {"timestamp", [] { return QuorvelDll::SetTimestampResolution(25500); }, [&] { gm.SetTimestampResolution(25500); },
         [&] { return QList<QByteArray>({gmImage(24)}); }, sendGM, gmGroup},
        {"channel gain", [] { return QuorvelDll::SetChannelGain(CHANNEL_GAIN_2); },
         [&] { asic.SetChannelGain(CHANNEL_GAIN_2); }, [&] { return QList<QByteArray>({gmImage(29)}); },
         [] { return QuorvelDll::SendASICGlobalData(); }, [&] { return QList<QByteArray>({gmImage(29)}); }},
        {"mask", [] { return QuorvelDll::MaskChannel(true); }, [&] { asic.MaskChannel(CHANNEL_TYPE_ANODE, 1, true); },
         [&] { return QList<QByteArray>({gmImage(30)}); }, [] { return QuorvelDll::SendASICChannelData(); },
         [&] { return QList<QByteArray>({gmImage(30)}); }},
        {"debug mode", [] { return QuorvelDll::SetDebugMode(true); }, [&] { system.SetDebugMode(true); },
         systemImage, [] { return QuorvelDll::SendGBEControlData(); },
         [&] { return QList<QByteArray>({Bytes({0x8F, 0x90, 0x00})}) + systemImage(); }},
        {"token", [] { return QuorvelDll::SetSysTokenType(SYS_TOKEN_TYPE_2); },
         [&] { system.SetTokenType(SYS_TOKEN_TYPE_2); }, systemImage, [] { return QuorvelDll::SendGBEControlData(); },
         [&] { return QList<QByteArray>({Bytes({0x8F, 0x90, 0x00})}) + systemImage(); }},
        {"multiplexer", [] { return QuorvelDll::SetMBMultiplexerAddressType(MB_MULTIPLEXER_ADDR_TYPE_3); },
         [&] { system.SetMBMultiplexerAddressType(MB_MULTIPLEXER_ADDR_TYPE_3); }, systemImage,
         [] { return QuorvelDll::SendGBEControlData(); },
         [&] { return QList<QByteArray>({Bytes({0x8F, 0x90, 0x00})}) + systemImage(); }},
        {"clock", [=] { return controller->SetSysClockSpeed(SYS_CLOCK_SPEED_4); },
         [&] { system.SetSysClockSpeed(SYS_CLOCK_SPEED_4); }, systemImage,
         [] { return QuorvelDll::SendGBEControlData(); },
         [&] { return QList<QByteArray>({Bytes({0x8F, 0x90, 0x00})}) + systemImage(); }},
        {"bias", [=] { return controller->SetBiasVoltage(100); }, [&] { system.SetBiasVoltage(100); },
         [&] { return QList<QByteArray>({Bytes({0x8F, 0x90, 0x51})}); }, [] { return QuorvelDll::SendGBEControlData(); },
         [&] { return QList<QByteArray>({Bytes({0x8F, 0x90, 0x51})}) + systemImage(); }},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(QuorvelDll::SetCameraUpdateMode(CAMERA_UPDATE_MODE_DEFERRED));
        Mark();
        ASSERT_TRUE(row.set()) << row.name << ": " << QuorvelDll::GetLastError();
        row.setReference();
        EXPECT_TRUE(Sent().isEmpty()) << row.name;
        ASSERT_TRUE(row.send()) << row.name << ": " << QuorvelDll::GetLastError();
        EXPECT_EQ(Sent(), row.sent()) << row.name;
        EXPECT_EQ(QuorvelDll::GetCameraUpdateMode(), CAMERA_UPDATE_MODE_DEFERRED) << row.name;

        ASSERT_TRUE(QuorvelDll::SetCameraUpdateMode(CAMERA_UPDATE_MODE_IMMEDIATE));
        Mark();
        ASSERT_TRUE(row.set()) << row.name << ": " << QuorvelDll::GetLastError();
        EXPECT_EQ(Sent(), row.immediate()) << row.name;
    }
    // The camera holds the reference's images; the other GMs were not touched.
    for (int reg : {18, 20, 21, 22, 23, 24})
        EXPECT_EQ(m_Camera->gmRegister(3, reg), static_cast<unsigned char>(gmImage(reg).at(2))) << reg;
    EXPECT_EQ(m_Camera->asicImage(3, 29), asic.GetGlobalDataArray());
    EXPECT_EQ(m_Camera->asicImage(3, 30), asic.GetChannelDataArray());
    EXPECT_EQ(m_Camera->gmRegister(2, 22), 0x00);
    EXPECT_EQ(m_Camera->hvCommands().last(), 0x9051);
}

} // namespace
