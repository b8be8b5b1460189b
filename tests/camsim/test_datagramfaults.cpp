// Datagram faults and the ground truth that lets a test prove what a host must decode.
#include "camsimclient.h"

#include "support/testsupport.h"

#include <gtest/gtest.h>

using camsim::Channel;
using camsim::DatagramFaults;
using camsim::PacketFate;
using namespace camsimtest;

namespace {
struct Received {
    QList<QByteArray> datagrams;
    QVector<camsim::SentPacket> truth;
};

Received runWithFaults(camsim::VirtualCamera& camera, const DatagramFaults& faults, int packets)
{
    RawClient host(camera.config().address);
    EXPECT_TRUE(host.connectTo(Channel::Control));
    camera.setDatagramFaults(faults);
    camera.setRateOverride(20000);
    host.openDataPort();
    host.startCollecting();
    EXPECT_TRUE(camera.waitForPacketsSent(packets, 5000));
    host.stopCollecting();
    // A datagram held back for reordering goes out when collection stops.
    EXPECT_TRUE(camera.waitForStreamStopped(3000));
    EXPECT_TRUE(host.waitForDatagrams(static_cast<int>(camera.datagramsSent()), 3000));
    return {host.takeDatagrams(), camera.sentPackets()};
}

int intactPackets(const QList<QByteArray>& datagrams)
{
    int intact = 0;
    for (const QByteArray& datagram : datagrams) {
        QVector<Packet> packets;
        splitPackets(datagram, 3, &packets);
        for (const Packet& packet : packets)
            intact += packet.checksumOk ? 1 : 0;
    }
    return intact;
}

int fates(const QVector<camsim::SentPacket>& truth, PacketFate fate)
{
    return static_cast<int>(std::count_if(truth.begin(), truth.end(), [&](const camsim::SentPacket& p) { return p.fate == fate; }));
}
} // namespace

TEST(CamsimDatagramFaults, DroppedDatagramsNeverLeave)
{
    auto camera = startCamera();
    const Received run = runWithFaults(*camera, {1.0, 0, 0, 0, 0}, 50);
    EXPECT_TRUE(run.datagrams.isEmpty());
    EXPECT_EQ(camera->datagramsSent(), 0);
    EXPECT_EQ(fates(run.truth, PacketFate::Dropped), run.truth.size());
    EXPECT_EQ(camera->intactPacketsSent(), 0);
    EXPECT_GE(camera->packetsSent(), 50);
}

TEST(CamsimDatagramFaults, DuplicatedDatagramsArriveTwiceInARow)
{
    auto camera = startCamera();
    const Received run = runWithFaults(*camera, {0, 1.0, 0, 0, 0}, 50);
    ASSERT_EQ(run.datagrams.size(), 2 * run.truth.size());
    for (int i = 0; i < run.datagrams.size(); i += 2)
        EXPECT_EQ(run.datagrams.at(i), run.datagrams.at(i + 1));
    EXPECT_EQ(camera->intactPacketsSent(), 2 * run.truth.size());
    EXPECT_EQ(intactPackets(run.datagrams), camera->intactPacketsSent());
}

TEST(CamsimDatagramFaults, CorruptedPacketsFailTheirChecksumAndTruncatedOnesAreCut)
{
    auto camera = startCamera(camsim::CameraConfig {});
    const Received corrupt = runWithFaults(*camera, {0, 0, 0, 1.0, 0}, 40);
    EXPECT_EQ(corrupt.datagrams.size(), corrupt.truth.size());
    EXPECT_EQ(intactPackets(corrupt.datagrams), 0);
    EXPECT_EQ(fates(corrupt.truth, PacketFate::Corrupted), corrupt.truth.size());
    for (const QByteArray& datagram : corrupt.datagrams)
        EXPECT_EQ(datagram.size(), 658); // same length, framing intact

    camera->clearRecords();
    const Received truncated = runWithFaults(*camera, {0, 0, 0, 0, 1.0}, 40);
    EXPECT_EQ(truncated.datagrams.size(), truncated.truth.size());
    for (const QByteArray& datagram : truncated.datagrams)
        EXPECT_LT(datagram.size(), 658);
    EXPECT_EQ(fates(truncated.truth, PacketFate::Truncated), truncated.truth.size());
    EXPECT_EQ(camera->intactPacketsSent(), 0);
}

TEST(CamsimDatagramFaults, ReorderedDatagramComesAfterItsSuccessor)
{
    auto camera = startCamera();
    const Received run = runWithFaults(*camera, {0, 0, 0.3, 0, 0}, 100);
    ASSERT_EQ(run.datagrams.size(), run.truth.size()); // nothing lost
    const int reordered = fates(run.truth, PacketFate::Reordered);
    EXPECT_GT(reordered, 5);
    // Packets leave in the order they were made except the reordered ones.
    int outOfOrder = 0;
    QMap<int, int> lastWord;
    for (const QByteArray& datagram : run.datagrams) {
        QVector<Packet> packets;
        ASSERT_TRUE(splitPackets(datagram, 3, &packets));
        const Packet& packet = packets.first();
        if (lastWord.contains(packet.gmId) && packet.headerWord < lastWord.value(packet.gmId))
            ++outOfOrder;
        lastWord[packet.gmId] = qMax<int>(packet.headerWord, lastWord.value(packet.gmId, -1));
    }
    EXPECT_GT(outOfOrder, 0);
    EXPECT_LE(outOfOrder, reordered);
    EXPECT_EQ(intactPackets(run.datagrams), camera->intactPacketsSent());
}

TEST(CamsimDatagramFaults, MixedFaultsAreDeterministicAndTheGroundTruthMatchesTheWire)
{
    const DatagramFaults faults {0.1, 0.1, 0.1, 0.1, 0.1};
    camsim::CameraConfig config;
    config.packetsPerDatagram = 3;
    config.recordSentPackets = true;
    auto camera = startCamera(config);
    const Received first = runWithFaults(*camera, faults, 300);
    EXPECT_EQ(intactPackets(first.datagrams), camera->intactPacketsSent());
    for (PacketFate fate : {PacketFate::Dropped, PacketFate::Duplicated, PacketFate::Reordered, PacketFate::Corrupted,
                            PacketFate::Truncated, PacketFate::Delivered})
        EXPECT_GT(fates(first.truth, fate), 0) << int(fate);

    // Another camera with the same seed hits the same packets.
    camera.reset();
    auto same = startCamera(config);
    const Received second = runWithFaults(*same, faults, 300);
    const int common = qMin(first.truth.size(), second.truth.size());
    for (int i = 0; i < common; ++i) {
        EXPECT_EQ(first.truth.at(i).fate, second.truth.at(i).fate) << i;
        EXPECT_EQ(first.truth.at(i).headerWord, second.truth.at(i).headerWord) << i;
    }
}
