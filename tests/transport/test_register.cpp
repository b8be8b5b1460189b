#include "support/testsupport.h"
#include "transport/register.h"

#include <gtest/gtest.h>

using testsupport::bytes;

TEST(Register, CommandByteCarriesNumberAndWriteBit)
{
    EXPECT_EQ(Register(0, REGISTER_OP_WRITE).GetByteArray(), bytes({0x80}));
    EXPECT_EQ(Register(127, REGISTER_OP_WRITE).GetByteArray(), bytes({0xFF}));
    EXPECT_EQ(Register(17, REGISTER_OP_READ).GetByteArray(), bytes({0x11}));
    EXPECT_EQ(Register(17, REGISTER_OP_READ).GetRegNo(), 17);
}

TEST(Register, WriteAndReadRequestsHaveTheirBytesInOrder)
{
    Register write(16, REGISTER_OP_WRITE);
    write.AddByte(0x1C);
    write.AddByte(0x05);
    EXPECT_EQ(write.GetByteArray(), bytes({0x90, 0x1C, 0x05}));

    Register hv(15, REGISTER_OP_WRITE);
    hv.AddBytes(bytes({0x90, 0x51}));
    EXPECT_EQ(hv.GetByteArray(), bytes({0x8F, 0x90, 0x51}));

    Register read(127, REGISTER_OP_READ);
    read.AddReadBytes(2);
    EXPECT_EQ(read.GetByteArray(), bytes({0x7F, 0x00, 0x00}));

    Register none(5, REGISTER_OP_READ);
    none.AddReadBytes(0);
    none.AddReadBytes(-3);
    EXPECT_EQ(none.GetByteArray(), bytes({0x05}));
}

TEST(Register, OrMergesOnlyOverlappingDataBytes)
{
    Register commandOnly(3, REGISTER_OP_WRITE);
    Register other(4, REGISTER_OP_WRITE);
    other.AddBytes(bytes({0xFF, 0xFF}));
    commandOnly |= other;
    EXPECT_EQ(commandOnly.GetByteArray(), bytes({0x83}));

    Register target(3, REGISTER_OP_WRITE);
    target.AddBytes(bytes({0x01, 0x10, 0x00}));
    Register shorter(9, REGISTER_OP_READ);
    shorter.AddBytes(bytes({0x02}));
    target |= shorter;
    EXPECT_EQ(target.GetByteArray(), bytes({0x83, 0x03, 0x10, 0x00}));

    Register longer(9, REGISTER_OP_WRITE);
    longer.AddBytes(bytes({0x40, 0x01, 0x80, 0x7F, 0x7F}));
    target |= longer;
    EXPECT_EQ(target.GetByteArray(), bytes({0x83, 0x43, 0x11, 0x80}));
}
