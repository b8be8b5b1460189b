// System settings: refusals with their messages, and the GBE control image.
#include "support/testsupport.h"
#include "core/quorvelsysconfig.h"
#include "asic/detectorcalcs.h"

#include <gtest/gtest.h>

namespace {

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
