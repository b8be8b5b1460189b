// System settings reaching the camera: GBE control and HV registers over real
// sockets, with the virtual camera as the peer.
#include "core/quorvel.h"
#include "tests/support/camerarig.h"

#include <gtest/gtest.h>

namespace {

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

} // namespace
