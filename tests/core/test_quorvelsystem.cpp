// System settings reaching the camera: GBE control and HV registers over real
// sockets, with the virtual camera as the peer.
#include "core/quorvel.h"
#include "tests/core/quorveltestaccess.h"

#include "camsim/virtualcamera.h"
#include "gammamodule/gammamodules.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

namespace {

QByteArray bytes(std::initializer_list<int> a_Values)
{
    QByteArray result;
    for (int v : a_Values)
        result.append(static_cast<char>(v));
    return result;
}

class QuorvelSystemTest : public ::testing::Test
{
protected:
    void SetUp() override { Quorvel::DeleteInstance(); }
    void TearDown() override
    {
        Quorvel::DeleteInstance();
        GammaModules::DeleteInstance();
    }

    void ConnectCamera()
    {
        camsim::CameraConfig config;
        config.address = testsupport::testLoopbackAddress();
        m_Camera.reset(new camsim::VirtualCamera(config));
        QString error;
        ASSERT_TRUE(m_Camera->start(&error)) << error.toStdString();
        ASSERT_TRUE(QuorvelTestAccess::ConnectTo(config.address)) << Quorvel::GetInstance()->GetLastError();
    }

    // Every control request the camera has seen, once the expected number arrived.
    QList<QByteArray> Requests(int a_Count)
    {
        EXPECT_TRUE(m_Camera->waitForRequests(a_Count, 2000));
        return m_Camera->requests();
    }

    std::unique_ptr<camsim::VirtualCamera> m_Camera;
};

TEST_F(QuorvelSystemTest, DeferredSettersWaitForSendGBEControlData)
{
    ConnectCamera();
    Quorvel* controller = Quorvel::GetInstance();
    EXPECT_TRUE(controller->SetDebugMode(true));
    EXPECT_TRUE(controller->SetSysTokenType(SYS_TOKEN_TYPE_2));
    EXPECT_TRUE(controller->SetBiasVoltage(100));
    EXPECT_TRUE(controller->SendGBEControlData());
    EXPECT_EQ(Requests(2), QList<QByteArray>({bytes({0x8F, 0x90, 0x51}), bytes({0x90, 0x00, 0x0C})}));
    EXPECT_EQ(m_Camera->hvCommands(), QList<quint16>({0x9051}));
}

TEST_F(QuorvelSystemTest, ImmediateSettersWriteTheWholeImage)
{
    ConnectCamera();
    Quorvel* controller = Quorvel::GetInstance();
    QuorvelTestAccess::SetCameraUpdateMode(CAMERA_UPDATE_MODE_IMMEDIATE);
    EXPECT_TRUE(controller->SetMBMultiplexerAddressType(MB_MULTIPLEXER_ADDR_TYPE_3));
    EXPECT_TRUE(controller->SetSysClockSpeed(SYS_CLOCK_SPEED_4));
    EXPECT_TRUE(controller->SetBiasVoltage(76));
    EXPECT_EQ(Requests(3), QList<QByteArray>({bytes({0x90, 0x00, 0x40}), bytes({0x90, 0x00, 0x70}),
                                              bytes({0x8F, 0x90, 0x00})}));

    // Refusals send nothing and leave their message with the controller.
    EXPECT_FALSE(controller->SetSysTokenType(SYS_TOKEN_TYPE_UNDEFINED));
    EXPECT_EQ(controller->GetLastError(), "Undefined sys token type detected");
    EXPECT_FALSE(controller->SetBiasVoltage(1201));
    EXPECT_EQ(controller->GetLastError(), "Bias Voltage value must be between 0 and 1200");
    EXPECT_FALSE(controller->SetMBMultiplexerAddressType(MB_MULTIPLEXER_ADDR_TYPE_UNDEFINED));
    EXPECT_EQ(controller->GetLastError(), "Undefined MB multiplexer addresss type detected");
    EXPECT_EQ(controller->GetMBMultiplexerAddressType(), MB_MULTIPLEXER_ADDR_TYPE_3);
    EXPECT_EQ(controller->GetBiasVoltage(), 76);
    EXPECT_TRUE(controller->SetDebugMode(false));
    EXPECT_EQ(Requests(4).size(), 4);
}

TEST_F(QuorvelSystemTest, UndefinedMultiplexerTypesNeverReachTheRateBits)
{
    ConnectCamera();
    Quorvel* controller = Quorvel::GetInstance();
    ASSERT_TRUE(controller->SetMBMultiplexerAddressType(static_cast<MBMultiplexerAddrType>(-2)));
    ASSERT_TRUE(controller->StartSys());
    ASSERT_TRUE(controller->SetMBMultiplexerAddressType(static_cast<MBMultiplexerAddrType>(100)));
    ASSERT_TRUE(controller->SendGBEControlData());
    const QList<QByteArray> requests = Requests(3);
    EXPECT_EQ(requests.at(0), bytes({0x90, 0x03, 0x81}));
    EXPECT_EQ(requests.at(2), bytes({0x90, 0x01, 0x01}));
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

    ConnectCamera();
    {
        GammaModules* gms = GammaModules::GetInstance();
        const auto lock = gms->AccessLock();
        gms->AddGammaModule(GAMMA_MODULES_TYPE_DEVICE, new GammaModule(1));
    }
    EXPECT_TRUE(controller->SendGBEControlData());
    EXPECT_TRUE(controller->StartSys());
    EXPECT_TRUE(controller->StopSys());
    EXPECT_EQ(Requests(4), QList<QByteArray>({bytes({0x8F, 0x90, 0x00}), bytes({0x90, 0x00, 0x00}),
                                              bytes({0x90, 0x00, 0x01}), bytes({0x90, 0x00, 0x00})}));
    GammaModules* gms = GammaModules::GetInstance();
    const auto lock = gms->AccessLock();
    EXPECT_EQ(gms->GetNoOfGMs(GAMMA_MODULES_TYPE_DEVICE), 0);
}

TEST_F(QuorvelSystemTest, InitHVSendsBothCommandsInOrder)
{
    Quorvel::GetInstance()->InitHV(); // unconnected: nothing to do, nothing breaks
    ConnectCamera();
    Quorvel::GetInstance()->InitHV();
    EXPECT_EQ(Requests(2), QList<QByteArray>({bytes({0x8F, 0xF0, 0x00}), bytes({0x8F, 0xC8, 0x00})}));
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

} // namespace
