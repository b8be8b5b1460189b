// The data stream: destination, framing, rate, determinism and the physics in the records.
#include "camsimclient.h"

#include "camsim/pixelmap.h"
#include "support/testsupport.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

using camsim::Channel;
using namespace camsimtest;

namespace {
QVector<Packet> packetsOf(const QList<QByteArray>& datagrams, int recordBytes)
{
    QVector<Packet> packets;
    for (const QByteArray& datagram : datagrams)
        EXPECT_TRUE(splitPackets(datagram, recordBytes, &packets));
    return packets;
}

// Collects about count packets at the given rate and stops collecting.
QVector<Packet> collect(camsim::VirtualCamera& camera, RawClient& host, int count, int recordBytes)
{
    camera.setRateOverride(20000);
    host.openDataPort();
    host.startCollecting();
    EXPECT_TRUE(camera.waitForPacketsSent(count, 5000));
    host.stopCollecting();
    EXPECT_TRUE(camera.waitForStreamStopped(3000));
    const qint64 sent = camera.datagramsSent();
    EXPECT_TRUE(host.waitForDatagrams(static_cast<int>(sent), 3000));
    return packetsOf(host.takeDatagrams(), recordBytes);
}

qint64 packetsIn(camsim::VirtualCamera& camera, int ms)
{
    EXPECT_TRUE(camera.waitForPacketsSent(camera.packetsSent() + 1, 3000));
    const qint64 before = camera.packetsSent();
    QElapsedTimer timer;
    timer.start();
    testsupport::waitUntil([&] { return timer.elapsed() >= ms; }, ms + 1000);
    return (camera.packetsSent() - before) * 1000 / qMax<qint64>(1, timer.elapsed());
}
} // namespace

TEST(CamsimStream, StreamGoesToTheControlHostOnTheRegister14PortOnlyWhileCollecting)
{
    auto camera = startCamera();
    RawClient host(testsupport::testLoopbackAddress());
    ASSERT_TRUE(host.connectTo(Channel::Control));
    host.openDataPort();
    host.writeControl(0x00, 0x01); // powered, not collecting
    EXPECT_FALSE(host.waitForDatagrams(1, 100));
    EXPECT_EQ(camera->packetsSent(), 0);

    host.startCollecting(); // 1000 packets/s from the GBE image
    ASSERT_TRUE(host.waitForDatagrams(5, 3000));
    host.stopCollecting();
    ASSERT_TRUE(camera->waitForStreamStopped(3000));
    const qint64 sent = camera->datagramsSent();
    ASSERT_TRUE(host.waitForDatagrams(static_cast<int>(sent), 3000));
    EXPECT_FALSE(host.waitForDatagrams(static_cast<int>(sent) + 1, 100));
    EXPECT_EQ(camera->datagramsSent(), sent);

    const QVector<Packet> packets = packetsOf(host.takeDatagrams(), 3);
    const QVector<camsim::SentPacket> truth = camera->sentPackets();
    ASSERT_EQ(packets.size(), truth.size());
    QMap<int, int> nextWord;
    for (int i = 0; i < packets.size(); ++i) {
        const Packet& packet = packets.at(i);
        EXPECT_TRUE(packet.checksumOk);
        EXPECT_EQ(packet.gmId, truth.at(i).gmId);
        EXPECT_EQ(packet.headerWord, truth.at(i).headerWord);
        EXPECT_EQ(packet.headerWord, nextWord.value(packet.gmId, 0)) << "running counter per GM";
        nextWord[packet.gmId] = packet.headerWord + 1;
        EXPECT_EQ(packet.headerByte, 0);
        EXPECT_EQ(packet.records.size(), 216 * 3); // packets of about 660 bytes
        EXPECT_TRUE(QVector<int>({1, 2, 3, 4}).contains(packet.gmId));
    }
    EXPECT_EQ(camera->photonsSent(), qint64(packets.size()) * 216);
    EXPECT_EQ(camera->intactPacketsSent(), packets.size());
}

TEST(CamsimStream, RateFollowsTheGbeImageAndTheOverride)
{
    camsim::CameraConfig config;
    config.packetsPerDatagram = 4;
    auto camera = startCamera(config);
    RawClient host(testsupport::testLoopbackAddress());
    ASSERT_TRUE(host.connectTo(Channel::Control));
    host.openDataPort();
    host.startCollecting(9 << 2); // 10000 packets/s
    const qint64 imageRate = packetsIn(*camera, 400);
    EXPECT_GT(imageRate, 7000);
    EXPECT_LT(imageRate, 12500);

    camera->setRateOverride(3000);
    const qint64 overrideRate = packetsIn(*camera, 400);
    EXPECT_GT(overrideRate, 2000);
    EXPECT_LT(overrideRate, 3800);

    camera->setRateOverride(-1);
    EXPECT_GT(packetsIn(*camera, 200), 15000); // flat out: well above the paced rates, even under sanitizers
    host.stopCollecting();
    ASSERT_TRUE(camera->waitForStreamStopped(3000));

    // Data rate is about rate x 660 bytes: whole packets of 658 bytes, four per datagram.
    const QList<QByteArray> datagrams = host.takeDatagrams();
    ASSERT_FALSE(datagrams.isEmpty());
    EXPECT_EQ(datagrams.first().size(), 4 * 658);
}

TEST(CamsimStream, SameSeedSendsTheSameBytesAndAnotherSeedDoesNot)
{
    const auto streamOf = [](const QString& address, quint32 seed) {
        camsim::CameraConfig config;
        config.address = address;
        config.seed = seed;
        config.rateOverride = 20000;
        camsim::VirtualCamera camera(config);
        EXPECT_TRUE(camera.start());
        RawClient host(address);
        EXPECT_TRUE(host.connectTo(Channel::Control));
        host.openDataPort();
        host.startCollecting();
        EXPECT_TRUE(host.waitForDatagrams(60, 3000));
        host.stopCollecting();
        return host.takeDatagrams().mid(0, 60);
    };
    const QString name = testsupport::testLoopbackAddress();
    const QList<QByteArray> first = streamOf(name, 7);
    const QList<QByteArray> again = streamOf(testsupport::loopbackAddressFor(name + QLatin1String("/again")), 7);
    const QList<QByteArray> other = streamOf(testsupport::loopbackAddressFor(name + QLatin1String("/other")), 8);
    ASSERT_EQ(first.size(), 60);
    EXPECT_EQ(first, again);
    EXPECT_NE(first, other);
}

TEST(CamsimStream, Register21SelectsTimeDetectRecordsAndSignFlags)
{
    camsim::CameraConfig config;
    config.gmIds = {1};
    auto camera = startCamera(config);
    RawClient host(testsupport::testLoopbackAddress());
    ASSERT_TRUE(host.connectTo(Channel::Control));
    host.send(QByteArray("\x95\x01\x18", 3)); // TD_EN | NEGATIVE_EN

    const QVector<Packet> packets = collect(*camera, host, 20, 5);
    ASSERT_GE(packets.size(), 20);
    int negativeEnergies = 0;
    for (const Packet& packet : packets) {
        ASSERT_TRUE(packet.checksumOk);
        ASSERT_EQ(packet.records.size(), 130 * 5); // 660-byte packets
        for (int i = 0; i < packet.records.size(); i += 5) {
            const quint8 energyHigh = static_cast<quint8>(packet.records.at(i + 1));
            const quint8 timeHigh = static_cast<quint8>(packet.records.at(i + 3));
            EXPECT_TRUE((energyHigh & 0xA0) == 0x80 || (energyHigh & 0xA0) == 0x20) << int(energyHigh);
            EXPECT_TRUE((timeHigh & 0x50) == 0x40 || (timeHigh & 0x50) == 0x10) << int(timeHigh);
            negativeEnergies += (energyHigh & 0x20) ? 1 : 0;
        }
    }
    EXPECT_GT(negativeEnergies, 0); // noise around zero

    // Back to 3-byte records without flags.
    host.send(QByteArray("\x95\x01\x00", 3));
    camera->clearRecords();
    for (const Packet& packet : collect(*camera, host, 10, 3)) {
        ASSERT_EQ(packet.records.size(), 216 * 3);
        for (int i = 0; i < packet.records.size(); i += 3)
            EXPECT_EQ(static_cast<quint8>(packet.records.at(i + 1)) & 0xE0, 0);
    }
}

TEST(CamsimStream, PhotonsShowTheSourceThroughTheWiringAndMaskedChannelsStaySilent)
{
    camsim::CameraConfig config;
    config.gmIds = {1, 2};
    config.source.kind = camsim::SourceKind::Points;
    config.source.points = {{5.5, 5.5, 0.3, 1.0}}; // centre of GM 1's pixel 61
    config.source.background = 0.0;
    auto camera = startCamera(config);
    RawClient host(testsupport::testLoopbackAddress());
    ASSERT_TRUE(host.connectTo(Channel::Control));

    // Mask channel byte 0 (anode 1) of GM 1 and every channel of GM 2.
    QByteArray image(215, '\0');
    image[214] = 0x10;
    host.send(QByteArray("\x9E\x01", 2) + image);
    host.send(QByteArray("\x9E\x02", 2) + QByteArray(215, '\xFF'));

    QMap<int, int> hits;
    QVector<int> energies;
    for (const Packet& packet : collect(*camera, host, 40, 3)) {
        ASSERT_EQ(packet.gmId, 1);
        for (int i = 0; i < packet.records.size(); i += 3) {
            const int channel = static_cast<quint8>(packet.records.at(i));
            ++hits[channel];
            energies.append((static_cast<quint8>(packet.records.at(i + 1)) << 8) | static_cast<quint8>(packet.records.at(i + 2)));
        }
    }
    EXPECT_EQ(camera->packetsSent(2), 0);
    int total = 0;
    for (auto it = hits.cbegin(); it != hits.cend(); ++it) {
        EXPECT_NE(camsim::PixelMap::pixelOfChannel(it.key()), 0) << "unconnected channel " << it.key();
        EXPECT_NE(it.key(), 0) << "masked channel";
        total += it.value();
    }
    const int centre = camsim::PixelMap::channelOfPixel(61);
    EXPECT_GT(hits.value(centre), total * 0.8);

    // Spectrum: the photopeak (2000, FWHM 120, a channel gain within a few %) holds its 60 % share.
    const int inPeak = static_cast<int>(std::count_if(energies.begin(), energies.end(),
                                                      [](int e) { return e > 1800 && e < 2200; }));
    EXPECT_NEAR(double(inPeak) / energies.size(), 0.6, 0.05);
    const int compton = static_cast<int>(std::count_if(energies.begin(), energies.end(),
                                                       [](int e) { return e > 200 && e < 800; }));
    EXPECT_GT(compton, energies.size() / 10);
}
