// Packet framing and checksum of the builder, photon record encoding, the wiring table.
#include "support/testsupport.h"
#include "camsim/packetbuilder.h"
#include "camsim/pixelmap.h"
#include "camsim/registerfile.h"

#include <gtest/gtest.h>

using namespace camsim;

namespace {
using testsupport::bytes;

quint16 checksumOf(const QByteArray& packet)
{
    quint32 sum = 0;
    for (int i = 0; i < packet.size() - 4; ++i)
        sum += static_cast<quint8>(packet.at(i));
    return static_cast<quint16>(sum);
}
} // namespace

TEST(CamsimPackets, BuilderFramesTheSmallestPacketAsTheHostExpects)
{
    EXPECT_EQ(buildPacket(1, 5, 0, {}, false, false), bytes({0xFE, 0x7E, 0x01, 0x00, 0x05, 0x00, 0x01, 0x82, 0xFD, 0x7F}));
}

TEST(CamsimPackets, BuilderEncodesRecordsAndSignFlagsAsRegister21Asks)
{
    const PhotonRecord positive {7, 0x123, 0x045};
    const PhotonRecord negative {9, -0x123, -0x045};
    // Without NEGATIVE_EN: no flags, negative values go out as 0.
    EXPECT_EQ(buildPacket(2, 0xABCD, 0x11, {positive, negative}, false, false).mid(2, 10),
              bytes({0x02, 0xAB, 0xCD, 0x11, 0x07, 0x01, 0x23, 0x09, 0x00, 0x00}));
    // With NEGATIVE_EN: 0x80 / 0x20 on the energy, 0x40 / 0x10 on the time detect.
    const QByteArray signedPacket = buildPacket(2, 1, 0, {positive, negative}, true, true);
    EXPECT_EQ(signedPacket.mid(6, 10), bytes({0x07, 0x81, 0x23, 0x40, 0x45, 0x09, 0x21, 0x23, 0x10, 0x45}));
    EXPECT_EQ(signedPacket.size(), 10 + 2 * 5);
    EXPECT_EQ(signedPacket.right(2), bytes({0xFD, 0x7F}));
}

TEST(CamsimPackets, ChecksumIsTheByteSumModulo65536)
{
    QVector<PhotonRecord> photons;
    for (int i = 0; i < 300; ++i)
        photons.append(PhotonRecord {static_cast<quint8>(200 + i % 50), 0x1FFF, 0x0FFF});
    const QByteArray packet = buildPacket(4, 0xFFFF, 0xFF, photons, true, true);
    ASSERT_EQ(packet.size(), 10 + 300 * 5);
    const quint16 sent = static_cast<quint16>(static_cast<quint8>(packet.at(packet.size() - 4)) << 8
                                              | static_cast<quint8>(packet.at(packet.size() - 3)));
    EXPECT_EQ(sent, checksumOf(packet)); // the sum is far above 65535 here
}

TEST(CamsimPackets, WiringTableIsOneToOneAndMasksComeFromTheChannelImage)
{
    int connected = 0;
    for (int channel = 0; channel < 256; ++channel) {
        const int pixel = PixelMap::pixelOfChannel(channel);
        if (pixel == 0)
            continue;
        ++connected;
        EXPECT_EQ(PixelMap::channelOfPixel(pixel), channel);
    }
    EXPECT_EQ(connected, 121);
    EXPECT_EQ(PixelMap::pixelOfChannel(0), 9);
    EXPECT_EQ(PixelMap::pixelOfChannel(126), 1);
    EXPECT_EQ(PixelMap::pixelOfChannel(57), 121);
    for (int unconnected : {27, 29, 30, 32, 64, 65, 99, 101, 102, 130})
        EXPECT_EQ(PixelMap::pixelOfChannel(unconnected), 0) << unconnected;

    // Anode 1 (channel byte 0) masks bit 4 of the last image byte, anode 128 bit 3 of
    // byte 1, cathode 1 bit 4 of byte 110.
    QByteArray image(215, '\0');
    image[214] = 0x10;
    image[1] = 0x08;
    image[110] = 0x10;
    EXPECT_TRUE(RegisterFile::isChannelMasked(image, 0));
    EXPECT_TRUE(RegisterFile::isChannelMasked(image, 127));
    EXPECT_TRUE(RegisterFile::isChannelMasked(image, 128));
    for (int channel : {1, 63, 64, 126, 129})
        EXPECT_FALSE(RegisterFile::isChannelMasked(image, channel)) << channel;
}
