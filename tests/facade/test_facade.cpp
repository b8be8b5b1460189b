// The exported functions forward to the controller (Close, which deletes it, is
// checked through the shared object in test_client.cpp).
#include "quorveldll.h"
#include "tests/core/quorveltestaccess.h"

#include <gtest/gtest.h>

namespace {

class FacadeTest : public ::testing::Test
{
protected:
    void SetUp() override { Quorvel::DeleteInstance(); }
    void TearDown() override { Quorvel::DeleteInstance(); }
};

TEST_F(FacadeTest, VersionNeverCreatesTheController)
{
    EXPECT_EQ(QuorvelDll::GetVersion(), "42.1.21.49");
    EXPECT_FALSE(QuorvelTestAccess::HasInstance());
}

TEST_F(FacadeTest, NullAddressesCountAsEmpty)
{
    QuorvelDll::SetCameraIPAddress("127.0.0.2");
    QuorvelDll::SetCameraIPAddress(nullptr);
    EXPECT_EQ(QuorvelDll::GetCameraIPAddress(), "");
    QuorvelDll::SetHostIPAddress("127.0.0.2");
    QuorvelDll::SetHostIPAddress(nullptr);
    EXPECT_EQ(QuorvelTestAccess::Communication().GetHostIPAddress(), QString());
    EXPECT_FALSE(QuorvelTestAccess::Communication().Init(20483, 20484));
    EXPECT_EQ(QuorvelTestAccess::Communication().GetLastError(), QStringLiteral("Failed to bind to Host IP address"));
}

TEST_F(FacadeTest, RegisterAccessRefusesBadArgumentsWithTheirMessages)
{
    unsigned char msb = 0;
    EXPECT_FALSE(QuorvelDll::RegRead(144, &msb, nullptr));
    EXPECT_EQ(QuorvelDll::GetLastError(), "MSB and LSB pointer arguments must point to objects");
    EXPECT_FALSE(QuorvelDll::RegRead(144, &msb, &msb));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Register number must be between 0 and 127");
    EXPECT_FALSE(QuorvelDll::RegWrite(-1, 0, 0));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Register number must be between 0 and 127");

    EXPECT_FALSE(QuorvelDll::GetGBEFirmwareVersion(nullptr));
    EXPECT_EQ(QuorvelDll::GetLastError(), "System has not been initialized yet");
}

} // namespace
