// A client of the shared object: only the public header, only the library.
#include "quorveldll.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_Reports;
void record(const char* a_Text) { g_Reports.emplace_back(a_Text); }
void progress(int) {}
void complete() {}

TEST(Client, CallsTheExportedFunctionsThroughTheSharedObject)
{
    EXPECT_EQ(QuorvelDll::GetVersion(), "42.1.21.49");
    QuorvelDll::SetConnectStatusFunction(record);
    QuorvelDll::SetSysStatusFunction(record);
    QuorvelDll::SetToolbarStatusFunction(record);
    QuorvelDll::SetOperationErrorFunction(record);
    QuorvelDll::SetOperationProgressFunction(progress);
    QuorvelDll::SetOperationCompleteFunction(complete);
    QuorvelDll::SetHostIPAddress("127.0.0.1");
    QuorvelDll::SetCameraIPAddress("camera.invalid");
    EXPECT_EQ(QuorvelDll::GetCameraIPAddress(), "camera.invalid");
    EXPECT_EQ(QuorvelDll::GetLastError(), "");

    int version = 0;
    EXPECT_FALSE(QuorvelDll::GetGBEFirmwareVersion(&version));
    EXPECT_EQ(QuorvelDll::GetLastError(), "System has not been initialized yet");
    EXPECT_FALSE(QuorvelDll::RegWrite(16, 0x1C, 0x05));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Failed to write to register 16");
    unsigned char msb = 0;
    unsigned char lsb = 0;
    EXPECT_FALSE(QuorvelDll::RegRead(127, &msb, &lsb));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Failed to read from register 127");

    // System settings stay in the model until they can be written.
    EXPECT_TRUE(QuorvelDll::SetDebugMode(true));
    EXPECT_TRUE(QuorvelDll::IsDebugModeActive());
    EXPECT_TRUE(QuorvelDll::SetMBMultiplexerAddressType(MB_MULTIPLEXER_ADDR_TYPE_2));
    EXPECT_EQ(QuorvelDll::GetMBMultiplexerAddressType(), MB_MULTIPLEXER_ADDR_TYPE_2);
    EXPECT_FALSE(QuorvelDll::SetSysTokenType(SYS_TOKEN_TYPE_UNDEFINED));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Undefined sys token type detected");
    EXPECT_EQ(QuorvelDll::GetSysTokenType(), SYS_TOKEN_TYPE_1);
    EXPECT_TRUE(QuorvelDll::SetPixelMappingMode(PIXEL_MAPPING_MODE_GLOBAL));
    EXPECT_EQ(QuorvelDll::GetPixelMappingMode(), PIXEL_MAPPING_MODE_GLOBAL);
    EXPECT_FALSE(QuorvelDll::StartSys());
    EXPECT_EQ(QuorvelDll::GetLastError(), "Failed to write to register 16");
    EXPECT_FALSE(QuorvelDll::StopSys());
    EXPECT_FALSE(QuorvelDll::SendGBEControlData());
    EXPECT_EQ(QuorvelDll::GetLastError(), "Failed to write to register 15");

    QuorvelDll::Close();
    EXPECT_EQ(QuorvelDll::GetCameraIPAddress(), "");
    EXPECT_FALSE(QuorvelDll::IsDebugModeActive());
    QuorvelDll::Close();
    EXPECT_TRUE(g_Reports.empty());
}

} // namespace
