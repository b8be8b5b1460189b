// The controller frame: life cycle, last error, callbacks, the register
// operations, and the system settings reaching the GBE control and HV
// registers, over real sockets with the virtual camera as the peer; and the
// system settings model on its own: refusals and the GBE control image.
#include "asic/detectorcalcs.h"
#include "core/quorvel.h"
#include "core/quorvelsysconfig.h"
#include "tests/support/camerarig.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

QStringList g_Texts;
QList<int> g_Progress;
int g_Completions = 0;
void recordA(const char* a_Text) { g_Texts.append(QStringLiteral("A:") + QString::fromUtf8(a_Text)); }
void recordB(const char* a_Text) { g_Texts.append(QStringLiteral("B:") + QString::fromUtf8(a_Text)); }
void recordProgress(int a_Value) { g_Progress.append(a_Value); }
void recordCompletion() { ++g_Completions; }

class QuorvelTest : public CameraRig
{
protected:
    void SetUp() override
    {
        CameraRig::SetUp();
        g_Texts.clear();
        g_Progress.clear();
        g_Completions = 0;
    }
};

TEST_F(QuorvelTest, DeleteInstanceIsSafeTwiceAndTheNextControllerStartsFresh)
{
    Quorvel::DeleteInstance();
    EXPECT_FALSE(QuorvelTestAccess::HasInstance());
    Quorvel* controller = Quorvel::GetInstance();
    EXPECT_EQ(Quorvel::GetInstance(), controller);
    controller->SetCameraIPAddr("127.0.0.9");
    controller->SetSysStatusFunc(recordA);
    controller->RegDirectRead(3, nullptr, nullptr);
    Quorvel::DeleteInstance();
    Quorvel::DeleteInstance();
    EXPECT_FALSE(QuorvelTestAccess::HasInstance());

    controller = Quorvel::GetInstance();
    EXPECT_EQ(controller->GetCameraIPAddr(), "");
    EXPECT_EQ(controller->GetLastError(), "");
    controller->ReportStatus(QStringLiteral("nobody listens"));
    EXPECT_TRUE(g_Texts.isEmpty());
}

TEST_F(QuorvelTest, CallbacksAreReplacedAndSwitchedOff)
{
    Quorvel* controller = Quorvel::GetInstance();
    controller->ReportStatus(QStringLiteral("before"));
    controller->SetSysStatusFunc(recordA);
    controller->SetToolbarStatusFunc(recordB);
    controller->SetOperationErrorFunc(recordA);
    controller->ReportStatus(QStringLiteral("status \u00b5"));
    controller->ReportToolbarStatus(QStringLiteral("Collecting ..."));
    QuorvelTestAccess::StatusUpdate(QStringLiteral("from a worker"));
    QuorvelTestAccess::OperationError(QStringLiteral("save failed"));
    controller->SetSysStatusFunc(recordB);
    controller->ReportStatus(QStringLiteral("replaced"));
    controller->SetSysStatusFunc(nullptr);
    controller->SetToolbarStatusFunc(nullptr);
    controller->SetOperationErrorFunc(nullptr);
    controller->ReportStatus(QStringLiteral("off"));
    controller->ReportToolbarStatus(QStringLiteral("off"));
    QuorvelTestAccess::OperationError(QStringLiteral("off"));
    EXPECT_EQ(g_Texts, QStringList({QStringLiteral("A:status \u00b5"), QStringLiteral("B:Collecting ..."),
                                    QStringLiteral("A:from a worker"), QStringLiteral("A:save failed"),
                                    QStringLiteral("B:replaced")}));

    QuorvelTestAccess::OperationProgress(1);
    QuorvelTestAccess::OperationComplete();
    controller->SetOperationProgressFunc(recordProgress);
    controller->SetOperationCompleteFunc(recordCompletion);
    QuorvelTestAccess::OperationProgress(42);
    QuorvelTestAccess::OperationComplete();
    controller->SetOperationProgressFunc(nullptr);
    controller->SetOperationCompleteFunc(nullptr);
    QuorvelTestAccess::OperationProgress(43);
    QuorvelTestAccess::OperationComplete();
    EXPECT_EQ(g_Progress, QList<int>({42}));
    EXPECT_EQ(g_Completions, 1);
}

TEST_F(QuorvelTest, LastErrorSurvivesALaterSuccess)
{
    ConnectController();
    Quorvel* controller = Quorvel::GetInstance();
    EXPECT_EQ(controller->GetLastError(), "");
    unsigned char msb = 0;
    unsigned char lsb = 0;
    EXPECT_FALSE(controller->RegDirectRead(14, &msb, nullptr));
    EXPECT_EQ(controller->GetLastError(), "MSB and LSB pointer arguments must point to objects");
    EXPECT_TRUE(controller->RegDirectWrite(14, 0x12, 0x34));
    EXPECT_TRUE(controller->RegDirectRead(14, &msb, &lsb));
    EXPECT_EQ(msb, 0x12);
    EXPECT_EQ(lsb, 0x34);
    EXPECT_EQ(controller->GetLastError(), "MSB and LSB pointer arguments must point to objects");
    ASSERT_TRUE(m_Camera->waitForRequests(2, 2000));
    EXPECT_EQ(m_Camera->requests(), QList<QByteArray>({Bytes({0x8E, 0x12, 0x34}), Bytes({0x0E, 0x00, 0x00})}));
}

TEST_F(QuorvelTest, RegisterNumbersOutsideSevenBitsAreRefusedAndNothingIsSent)
{
    ConnectController();
    Quorvel* controller = Quorvel::GetInstance();
    unsigned char msb = 7;
    unsigned char lsb = 7;
    for (int reg : {-1, 128, 144, 255, 1000}) {
        EXPECT_FALSE(controller->RegDirectRead(reg, &msb, &lsb)) << reg;
        EXPECT_EQ(controller->GetLastError(), "Register number must be between 0 and 127");
        EXPECT_FALSE(controller->RegDirectWrite(reg, 0, 0)) << reg;
        EXPECT_EQ(controller->GetLastError(), "Register number must be between 0 and 127");
    }
    EXPECT_EQ(msb, 7);
    EXPECT_EQ(lsb, 7);
    // The edges are accepted; only their requests reach the camera.
    EXPECT_TRUE(controller->RegDirectWrite(0, 0xAB, 0xCD));
    EXPECT_TRUE(controller->RegDirectRead(127, &msb, &lsb));
    ASSERT_TRUE(m_Camera->waitForRequests(2, 2000));
    EXPECT_EQ(m_Camera->requests(), QList<QByteArray>({Bytes({0x80, 0xAB, 0xCD}), Bytes({0x7F, 0x00, 0x00})}));
    EXPECT_EQ(m_Camera->systemRegister(16), 0);
}

TEST_F(QuorvelTest, DirectReadStoresZeroForMissingReplyBytes)
{
    ConnectController();
    Quorvel* controller = Quorvel::GetInstance();
    m_Camera->setSystemRegister(14, 0x1234);
    m_Camera->setReplyFault(camsim::ReplyFault::EchoOnly, 0, 1);
    unsigned char msb = 9;
    unsigned char lsb = 9;
    EXPECT_TRUE(controller->RegDirectRead(14, &msb, &lsb));
    EXPECT_EQ(msb, 0);
    EXPECT_EQ(lsb, 0);

    m_Camera->setReplyFault(camsim::ReplyFault::WrongEcho, 0, 1);
    EXPECT_FALSE(controller->RegDirectRead(14, &msb, &lsb));
    EXPECT_EQ(controller->GetLastError(), "Invalid read command for register 14");
}

TEST_F(QuorvelTest, GBEFirmwareVersionIsASignedByte)
{
    Quorvel* controller = Quorvel::GetInstance();
    int version = 77;
    EXPECT_FALSE(controller->GetGBEFirmwareVersion(&version));
    EXPECT_EQ(controller->GetLastError(), "System has not been initialized yet");

    ConnectController();
    controller->RegDirectRead(300, nullptr, nullptr);
    EXPECT_FALSE(controller->GetGBEFirmwareVersion(nullptr));
    EXPECT_EQ(controller->GetLastError(), "MSB and LSB pointer arguments must point to objects");

    EXPECT_TRUE(controller->GetGBEFirmwareVersion(&version));
    EXPECT_EQ(version, 0x15);
    m_Camera->setSystemRegister(127, 0x00FF);
    EXPECT_TRUE(controller->GetGBEFirmwareVersion(&version));
    EXPECT_EQ(version, -1);
    m_Camera->setSystemRegister(127, 0x7F80);
    EXPECT_TRUE(controller->GetGBEFirmwareVersion(&version));
    EXPECT_EQ(version, -128);

    m_Camera->setReplyFault(camsim::ReplyFault::Short, 0, 1);
    EXPECT_TRUE(controller->GetGBEFirmwareVersion(&version));
    EXPECT_EQ(version, 0);
}

class QuorvelSystemTest : public CameraRig
{
protected:
    void TearDown() override
    {
        CameraRig::TearDown();
        GammaModules::DeleteInstance();
    }
};

TEST_F(QuorvelSystemTest, RefusedSettingsSendNothingAndLeaveTheirMessage)
{
    ConnectController();
    Quorvel* controller = Quorvel::GetInstance();
    QuorvelTestAccess::SetCameraUpdateMode(CAMERA_UPDATE_MODE_IMMEDIATE);
    ASSERT_TRUE(controller->SetMBMultiplexerAddressType(MB_MULTIPLEXER_ADDR_TYPE_3));
    ASSERT_TRUE(controller->SetBiasVoltage(76));
    EXPECT_FALSE(controller->SetSysTokenType(SYS_TOKEN_TYPE_UNDEFINED));
    EXPECT_EQ(controller->GetLastError(), "Undefined sys token type detected");
    EXPECT_FALSE(controller->SetBiasVoltage(1201));
    EXPECT_EQ(controller->GetLastError(), "Bias Voltage value must be between 0 and 1200");
    EXPECT_FALSE(controller->SetMBMultiplexerAddressType(MB_MULTIPLEXER_ADDR_TYPE_UNDEFINED));
    EXPECT_EQ(controller->GetLastError(), "Undefined MB multiplexer addresss type detected");
    EXPECT_EQ(controller->GetMBMultiplexerAddressType(), MB_MULTIPLEXER_ADDR_TYPE_3);
    EXPECT_EQ(controller->GetBiasVoltage(), 76);
    EXPECT_TRUE(controller->SetDebugMode(false));
    EXPECT_EQ(Requests(3).size(), 3);
}

TEST_F(QuorvelSystemTest, UndefinedMultiplexerTypesNeverReachTheRateBits)
{
    ConnectController();
    Quorvel* controller = Quorvel::GetInstance();
    ASSERT_TRUE(controller->SetMBMultiplexerAddressType(static_cast<MBMultiplexerAddrType>(-2)));
    ASSERT_TRUE(controller->StartSys());
    ASSERT_TRUE(controller->SetMBMultiplexerAddressType(static_cast<MBMultiplexerAddrType>(100)));
    ASSERT_TRUE(controller->SendGBEControlData());
    const QList<QByteArray> requests = Requests(3);
    EXPECT_EQ(requests.at(0), Bytes({0x90, 0x03, 0x81}));
    EXPECT_EQ(requests.at(2), Bytes({0x90, 0x01, 0x01}));
    // The camera still runs at the rate that was set.
    EXPECT_EQ(m_Camera->systemRegister(16) >> 10, 0);
}

TEST_F(QuorvelSystemTest, StartAndStopSysDriveThePowerBitOnlyWhenWritten)
{
    Quorvel* controller = Quorvel::GetInstance();
    EXPECT_FALSE(controller->StartSys());
    EXPECT_EQ(controller->GetLastError(), "Failed to write to register 16");
    EXPECT_FALSE(controller->SendGBEControlData());
    EXPECT_EQ(controller->GetLastError(), "Failed to write to register 15");

    ConnectController();
    {
        GammaModules* gms = GammaModules::GetInstance();
        const auto lock = gms->AccessLock();
        gms->AddGammaModule(GAMMA_MODULES_TYPE_DEVICE, new GammaModule(1));
    }
    EXPECT_TRUE(controller->SendGBEControlData());
    EXPECT_TRUE(controller->StartSys());
    EXPECT_TRUE(controller->StopSys());
    EXPECT_EQ(Requests(4), QList<QByteArray>({Bytes({0x8F, 0x90, 0x00}), Bytes({0x90, 0x00, 0x00}),
                                              Bytes({0x90, 0x00, 0x01}), Bytes({0x90, 0x00, 0x00})}));
    GammaModules* gms = GammaModules::GetInstance();
    const auto lock = gms->AccessLock();
    EXPECT_EQ(gms->GetNoOfGMs(GAMMA_MODULES_TYPE_DEVICE), 0);
}

TEST_F(QuorvelSystemTest, InitHVSendsBothCommandsInOrder)
{
    Quorvel::GetInstance()->InitHV(); // unconnected: nothing to do, nothing breaks
    ConnectController();
    Quorvel::GetInstance()->InitHV();
    EXPECT_EQ(Requests(2), QList<QByteArray>({Bytes({0x8F, 0xF0, 0x00}), Bytes({0x8F, 0xC8, 0x00})}));
}

TEST_F(QuorvelSystemTest, PixelMappingModeIsAnnouncedNotSent)
{
    Quorvel* controller = Quorvel::GetInstance();
    QList<int> announced;
    QObject::connect(controller, &Quorvel::pixelMappingModeChanged, [&](PixelMappingMode a_Mode) { announced.append(a_Mode); });
    EXPECT_TRUE(controller->SetPixelMappingMode(PIXEL_MAPPING_MODE_GLOBAL));
    EXPECT_FALSE(controller->SetPixelMappingMode(static_cast<PixelMappingMode>(0)));
    EXPECT_EQ(controller->GetLastError(), "Undefined pixel mapping mode detected");
    EXPECT_EQ(controller->GetPixelMappingMode(), PIXEL_MAPPING_MODE_GLOBAL);
    EXPECT_EQ(announced, QList<int>({PIXEL_MAPPING_MODE_GLOBAL}));
}

using testsupport::bytes;

TEST(QuorvelSysConfig, PacketTransferRateMustBeAWholeThousandInRange)
{
    QuorvelSysConfig config;
    ASSERT_TRUE(config.SetPacketTransferRate(5000));
    EXPECT_FALSE(config.SetPacketTransferRate(1500));
    EXPECT_EQ(config.GetLastError(), QStringLiteral("Packet Transfer value must be a multiple of 1000"));
    for (int rate : {64000, 0, -1000}) {
        EXPECT_FALSE(config.SetPacketTransferRate(rate)) << rate;
        EXPECT_EQ(config.GetLastError(), QStringLiteral("Packet Transfer must be between 1000 and 63000"));
    }
    EXPECT_EQ(config.GetPacketTransferRate(), 5000);
    EXPECT_TRUE(config.SetPacketTransferRate(63000));
    EXPECT_EQ(config.GetDataArray(), bytes({62 * 4, 0x00}));
}

TEST(QuorvelSysConfig, UndefinedValuesAreRefusedAndOthersKept)
{
    QuorvelSysConfig config;
    EXPECT_FALSE(config.SetTokenType(SYS_TOKEN_TYPE_UNDEFINED));
    EXPECT_EQ(config.GetLastError(), QStringLiteral("Undefined sys token type detected"));
    EXPECT_FALSE(config.SetMBMultiplexerAddressType(MB_MULTIPLEXER_ADDR_TYPE_UNDEFINED));
    EXPECT_EQ(config.GetLastError(), QStringLiteral("Undefined MB multiplexer addresss type detected"));
    EXPECT_FALSE(config.SetSysClockSpeed(SYS_CLOCK_SPEED_UNDEFINED));
    EXPECT_EQ(config.GetLastError(), QStringLiteral("Undefined clock speed detected"));
    EXPECT_FALSE(config.SetPixelMappingMode(static_cast<PixelMappingMode>(0)));
    EXPECT_EQ(config.GetLastError(), QStringLiteral("Undefined pixel mapping mode detected"));
    for (int volts : {1201, -1}) {
        EXPECT_FALSE(config.SetBiasVoltage(volts));
        EXPECT_EQ(config.GetLastError(), QStringLiteral("Bias Voltage value must be between 0 and 1200"));
    }
    EXPECT_EQ(config.GetTokenType(), SYS_TOKEN_TYPE_1);
    EXPECT_EQ(config.GetMBMultiplexerAddress(), MB_MULTIPLEXER_ADDR_TYPE_0);
    EXPECT_EQ(config.GetBiasVoltage(), 0);

    // A success leaves the message; a token type of 3 is stored but sends no bit.
    EXPECT_TRUE(config.SetTokenType(static_cast<SysTokenType>(3)));
    EXPECT_TRUE(config.SetPixelMappingMode(static_cast<PixelMappingMode>(7)));
    EXPECT_TRUE(config.SetBiasVoltage(1200));
    EXPECT_EQ(config.GetTokenType(), 3);
    EXPECT_EQ(config.GetDataArray(), bytes({0x00, 0x00}));
    EXPECT_EQ(config.GetLastError(), QStringLiteral("Bias Voltage value must be between 0 and 1200"));
}

TEST(QuorvelSysConfig, ImageCarriesRateMultiplexerClockTokenAndDebug)
{
    QuorvelSysConfig config;
    ASSERT_TRUE(config.SetPacketTransferRate(10000));
    ASSERT_TRUE(config.SetMBMultiplexerAddressType(MB_MULTIPLEXER_ADDR_TYPE_1));
    ASSERT_TRUE(config.SetSysClockSpeed(SYS_CLOCK_SPEED_2));
    ASSERT_TRUE(config.SetTokenType(SYS_TOKEN_TYPE_2));
    config.SetDebugMode(true);
    EXPECT_EQ(config.GetDataArray(), bytes({0x24, 0x9C}));

    const struct {
        MBMultiplexerAddrType type;
        int code;
    } codes[] = {{MB_MULTIPLEXER_ADDR_TYPE_0, 0}, {MB_MULTIPLEXER_ADDR_TYPE_1, 2},
                 {MB_MULTIPLEXER_ADDR_TYPE_2, 3}, {MB_MULTIPLEXER_ADDR_TYPE_3, 1},
                 {static_cast<MBMultiplexerAddrType>(5), 5}};
    for (const auto& entry : codes) {
        ASSERT_TRUE(config.SetMBMultiplexerAddressType(entry.type));
        EXPECT_EQ(config.GetMBMultiplexerAddrTypeBits(), entry.code);
    }
    // A stored value beyond two bits fills the code's upper bits in byte 0,
    // masked to the four-bit code field so the rate bits are never touched.
    EXPECT_EQ(config.GetDataArray(), bytes({0x24 | 0x01, 0x40 | 0x1C}));
    ASSERT_TRUE(config.SetMBMultiplexerAddressType(static_cast<MBMultiplexerAddrType>(-2)));
    EXPECT_EQ(config.GetDataArray(), bytes({0x24 | 0x03, 0x80 | 0x1C}));
    ASSERT_TRUE(config.SetMBMultiplexerAddressType(static_cast<MBMultiplexerAddrType>(100)));
    EXPECT_EQ(config.GetDataArray(), bytes({0x24 | 0x01, 0x00 | 0x1C}));
    ASSERT_TRUE(config.SetMBMultiplexerAddressType(static_cast<MBMultiplexerAddrType>(0x7FFFFFFF)));
    EXPECT_EQ(config.GetDataArray(), bytes({0x24 | 0x03, 0xC0 | 0x1C}));

    const struct {
        SysClockSpeed speed;
        int bits;
    } clocks[] = {{SYS_CLOCK_SPEED_1, 0x00}, {SYS_CLOCK_SPEED_2, 0x10}, {SYS_CLOCK_SPEED_3, 0x20},
                  {SYS_CLOCK_SPEED_4, 0x30}, {static_cast<SysClockSpeed>(9), 0x00}};
    ASSERT_TRUE(config.SetMBMultiplexerAddressType(MB_MULTIPLEXER_ADDR_TYPE_0));
    config.SetDebugMode(false);
    ASSERT_TRUE(config.SetTokenType(SYS_TOKEN_TYPE_1));
    for (const auto& entry : clocks) {
        ASSERT_TRUE(config.SetSysClockSpeed(entry.speed));
        EXPECT_EQ(static_cast<unsigned char>(config.GetDataArray().at(1)), entry.bits) << entry.speed;
    }
}

TEST(DetectorCalcs, VoltsToDACTruncatesInItsOrder)
{
    const struct {
        int volts;
        int code;
    } cases[] = {{0, 0}, {50, 168}, {75, 253}, {76, 256}, {100, 337}, {1200, 4053}};
    for (const auto& entry : cases)
        EXPECT_EQ(DetectorCalcs::VoltsToDAC(entry.volts, 500, 2.425), entry.code) << entry.volts;
    EXPECT_EQ(DetectorCalcs::VoltsToDAC(100, 0, 2.425), 0);
    EXPECT_EQ(DetectorCalcs::VoltsToDAC(100, 500, 0.0), 0);
    EXPECT_EQ(DetectorCalcs::VoltsToDAC(std::numeric_limits<int>::max(), 1, 1e-9), std::numeric_limits<int>::max());
}

} // namespace
