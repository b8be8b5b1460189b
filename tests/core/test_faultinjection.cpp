// Faults of the camera and the network, injected with the virtual camera's
// knobs while the library collects: dropped connections, spoiled datagrams
// and odd status records. What the client sees, that nothing hangs, and that
// every packet the camera delivered intact is stored exactly once.
#include "tests/support/camerarig.h"

#include "acquisition/readbuffer.h"
#include "camsim/packetbuilder.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QMap>
#include <QUdpSocket>
#include <random>
#include <tuple>

namespace {

class FaultInjectionTest : public CameraRig
{
protected:
    using PacketKey = std::tuple<int, int, int>;   // GM ID, header word, photons

    // How often each packet should be in the store: once per intact copy the
    // camera sent (a duplicated datagram twice).
    QMap<PacketKey, int> IntactCopies() const
    {
        QMap<PacketKey, int> copies;
        for (const camsim::SentPacket& packet : m_Camera->sentPackets()) {
            const int count = packet.fate == camsim::PacketFate::Duplicated ? 2
                : (packet.fate == camsim::PacketFate::Delivered || packet.fate == camsim::PacketFate::Reordered) ? 1
                                                                                                           : 0;
            if (count > 0)
                copies[PacketKey(packet.gmId, packet.headerWord, packet.photons)] += count;
        }
        return copies;
    }

    static QMap<PacketKey, int> StoredCopies()
    {
        QMap<PacketKey, int> copies;
        const int stored = QuorvelDll::GetNoOfCollectedPackets();
        for (int packet = 1; packet <= stored; ++packet) {
            ++copies[PacketKey(PacketField(packet, PACKET_DATA_GM_ID), PacketField(packet, PACKET_DATA_HEADER_WORD),
                               PacketField(packet, PACKET_DATA_NO_OF_PHOTONS))];
        }
        return copies;
    }

    static qint64 LostBatches()
    {
        ReadBuffer* readBuffer = ReadBuffer::GetInstance();
        const auto lock = readBuffer->AccessLock();
        return readBuffer->GetLostBatches();
    }

    // Initialize after a Disconnect brings the link back: the camera accepts
    // new control and status connections and a collection stores again.
    void ExpectReinitialiseRestoresTheLink(int a_Connections)
    {
        // The camera's own stream is ended first: datagrams left over from
        // before the new collection are the subject of another test.
        m_Camera->setSystemRegister(16, m_Camera->systemRegister(16) & ~0x0002);
        ASSERT_TRUE(m_Camera->waitForStreamStopped(waitMs));
        QuorvelDll::Disconnect();
        ASSERT_TRUE(QuorvelDll::Initialize()) << QuorvelDll::GetLastError();
        EXPECT_TRUE(m_Camera->waitForConnections(camsim::Channel::Control, a_Connections, waitMs));
        EXPECT_TRUE(m_Camera->waitForConnections(camsim::Channel::Status, a_Connections, waitMs));
        int version = 0;
        EXPECT_TRUE(QuorvelDll::GetGBEFirmwareVersion(&version)) << QuorvelDll::GetLastError();
        ASSERT_TRUE(QuorvelDll::StartSys()) << QuorvelDll::GetLastError();
        m_Camera->clearRecords();
        ASSERT_TRUE(QuorvelDll::StartPhotonCollection()) << QuorvelDll::GetLastError();
        ASSERT_TRUE(m_Camera->waitForPacketsSent(200, waitMs));
        ASSERT_NO_FATAL_FAILURE(StopCollecting());
        EXPECT_EQ(QuorvelDll::GetNoOfCollectedPackets(), m_Camera->packetsSent());
    }

    // Collecting on the host while the camera itself sends nothing more, so
    // the test's own datagrams are all that arrive after the few the camera
    // sent before it took the test's stop (m_CameraPackets).
    void StartQuietCollection()
    {
        ASSERT_NO_FATAL_FAILURE(StartSystem());
        ASSERT_TRUE(QuorvelDll::StartPhotonCollection()) << QuorvelDll::GetLastError();
        // The start reaches the camera over its control connection: only once
        // it has taken it can the test turn the stream off for good.
        ASSERT_TRUE(testsupport::waitUntil([this] { return m_Camera->isCollecting(); }, waitMs));
        m_Camera->setSystemRegister(16, m_Camera->systemRegister(16) & ~0x0002);
        ASSERT_TRUE(m_Camera->waitForStreamStopped(waitMs));
        // What it sent until then was collected like any of its packets.
        m_CameraPackets = static_cast<int>(m_Camera->packetsSent());
    }

    // Sends datagrams to the host's data port from a_From; false if one did not go out whole.
    bool SendDatagrams(const QString& a_From, const QList<QByteArray>& a_Datagrams)
    {
        QUdpSocket socket;
        if (!socket.bind(QHostAddress(a_From), 0))
            return false;
        const QHostAddress host(m_Address);
        const quint16 port = m_Camera->systemRegister(14);
        for (const QByteArray& datagram : a_Datagrams) {
            if (socket.writeDatagram(datagram, host, port) != datagram.size())
                return false;
        }
        return true;
    }

    // Whole packets of a_Photons photons each, for every GM in turn, until the
    // next would pass a_Bytes.
    static QByteArray PacketsUpTo(int a_Bytes, int a_Photons, int* a_pCount)
    {
        QVector<camsim::PhotonRecord> photons;
        for (int k = 0; k < a_Photons; ++k)
            photons.append({static_cast<quint8>(k % 121), static_cast<qint16>(100 + k), 0});
        QByteArray bytes;
        for (int n = 0;; ++n) {
            const QByteArray packet = camsim::buildPacket(1 + n % 4, static_cast<quint16>(n), 0, photons, false, false);
            if (bytes.size() + packet.size() > a_Bytes)
                break;
            bytes += packet;
            ++*a_pCount;
        }
        return bytes;
    }

    int m_CameraPackets = 0;
};

TEST_F(FaultInjectionTest, ControlConnectionLostWhileCollectingFailsCallsPromptlyUntilReinitialised)
{
    camsim::CameraConfig config;
    config.rateOverride = 2000;
    StartCamera(config);
    ASSERT_NO_FATAL_FAILURE(StartSystem());
    ASSERT_TRUE(QuorvelDll::StartPhotonCollection()) << QuorvelDll::GetLastError();
    ASSERT_TRUE(m_Camera->waitForPacketsSent(200, waitMs));

    m_Camera->closeConnection(camsim::Channel::Control);
    m_Camera->closeConnection(camsim::Channel::Simulator);
    // Every call that needs the camera fails with its message, long before
    // its own limit, and the packets already decoded stay queryable.
    QElapsedTimer clock;
    clock.start();
    int version = 0;
    EXPECT_FALSE(QuorvelDll::GetGBEFirmwareVersion(&version));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Failed to read from register 127");
    EXPECT_FALSE(QuorvelDll::StopPhotonCollection());
    EXPECT_EQ(QuorvelDll::GetLastError(), "Failed to write to register 16");
    EXPECT_FALSE(QuorvelDll::StartPhotonCollection());
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_GE(QuorvelDll::GetNoOfCollectedPackets(), 0);

    ASSERT_NO_FATAL_FAILURE(ExpectReinitialiseRestoresTheLink(2));
}

TEST_F(FaultInjectionTest, StatusConnectionLostWhileCollectingKeepsTheDataAndReconnectsOnInitialize)
{
    camsim::CameraConfig config;
    config.rateOverride = 2000;
    StartCamera(config);
    ASSERT_NO_FATAL_FAILURE(StartSystem());
    m_Camera->clearRecords();
    ASSERT_TRUE(QuorvelDll::StartPhotonCollection()) << QuorvelDll::GetLastError();
    ASSERT_TRUE(m_Camera->waitForPacketsSent(200, waitMs));
    m_Camera->closeConnection(camsim::Channel::Status);
    ASSERT_TRUE(m_Camera->waitForPacketsSent(m_Camera->packetsSent() + 200, waitMs));

    // Control and data carry on without the status channel.
    ASSERT_NO_FATAL_FAILURE(StopCollecting());
    EXPECT_EQ(QuorvelDll::GetNoOfCollectedPackets(), m_Camera->packetsSent());
    EXPECT_FALSE(QuorvelDll::IsSystemCollectingPhotons());

    ASSERT_NO_FATAL_FAILURE(ExpectReinitialiseRestoresTheLink(2));
}

TEST_F(FaultInjectionTest, SpoiledDatagramsLoseOnlyThePacketsTheyCarried)
{
    camsim::CameraConfig config;
    config.rateOverride = 4000;
    config.packetsPerDatagram = 2;
    StartCamera(config);
    ASSERT_NO_FATAL_FAILURE(StartSystem());
    camsim::DatagramFaults faults;
    faults.drop = 0.03;
    faults.duplicate = 0.03;
    faults.reorder = 0.03;
    faults.corrupt = 0.03;
    faults.truncate = 0.03;
    m_Camera->setDatagramFaults(faults);
    m_Camera->clearRecords();
    ASSERT_TRUE(QuorvelDll::StartPhotonCollection()) << QuorvelDll::GetLastError();
    ASSERT_TRUE(m_Camera->waitForPacketsSent(3000, 30000));
    ASSERT_NO_FATAL_FAILURE(StopCollecting());

    // Every fault happened, and every intact copy was stored, once.
    QMap<camsim::PacketFate, int> fates;
    for (const camsim::SentPacket& packet : m_Camera->sentPackets())
        ++fates[packet.fate];
    for (camsim::PacketFate fate : {camsim::PacketFate::Dropped, camsim::PacketFate::Duplicated,
                                    camsim::PacketFate::Reordered, camsim::PacketFate::Corrupted,
                                    camsim::PacketFate::Truncated})
        EXPECT_GT(fates.value(fate), 0) << "fate " << static_cast<int>(fate);
    EXPECT_EQ(QuorvelDll::GetNoOfCollectedPackets(), m_Camera->intactPacketsSent());
    EXPECT_TRUE(StoredCopies() == IntactCopies());
    EXPECT_EQ(LostBatches(), 0);
}


TEST_F(FaultInjectionTest, DatagramsOfAnySizeFromTheCameraGiveEveryWholePacketInside)
{
    StartCamera();
    ASSERT_NO_FATAL_FAILURE(StartQuietCollection());
    // The largest datagram UDP carries, packed with packets; one of noise of
    // the same size; a runt; an empty one; then a small valid one.
    int packets = 0;
    const QByteArray largest = PacketsUpTo(65507, 200, &packets);
    QByteArray noise(65507, Qt::Uninitialized);
    std::mt19937 random(7);
    for (char& byte : noise)
        byte = static_cast<char>(random());
    const QByteArray small = PacketsUpTo(700, 50, &packets);
    ASSERT_TRUE(SendDatagrams(m_Address, {largest, noise, QByteArray(1, '\xFE'), QByteArray(), small}));

    ASSERT_TRUE(QuorvelDll::StopPhotonCollection()) << QuorvelDll::GetLastError();
    const int expected = packets + m_CameraPackets;
    EXPECT_TRUE(testsupport::waitUntil([expected] { return QuorvelDll::GetNoOfCollectedPackets() >= expected; }, waitMs));
    // Noise could hold a packet only with a matching checksum; this seed gives none.
    EXPECT_EQ(QuorvelDll::GetNoOfCollectedPackets(), packets + m_CameraPackets);
}

TEST_F(FaultInjectionTest, DatagramsFromAnotherAddressAreCountedAndNotDecoded)
{
    StartCamera();
    ASSERT_NO_FATAL_FAILURE(StartQuietCollection());
    QString other = m_Address;
    other = other.left(other.lastIndexOf('.') + 1) + QString::number((other.section('.', 3).toInt() % 250) + 1);
    int foreign = 0;
    int fromCamera = 0;
    ASSERT_TRUE(SendDatagrams(other, {PacketsUpTo(1400, 50, &foreign)}));
    ASSERT_TRUE(SendDatagrams(m_Address, {PacketsUpTo(700, 50, &fromCamera)}));
    ASSERT_TRUE(QuorvelDll::StopPhotonCollection()) << QuorvelDll::GetLastError();
    const int expected = fromCamera + m_CameraPackets;
    testsupport::waitUntil([expected] { return QuorvelDll::GetNoOfCollectedPackets() >= expected; }, waitMs);
    EXPECT_EQ(QuorvelDll::GetNoOfCollectedPackets(), fromCamera + m_CameraPackets);
    EXPECT_TRUE(testsupport::waitUntil([] {
        return HasText(SysTexts(), "Data ignored: 1 datagrams from addresses other than the camera's (total: 1)");
    }, waitMs));
}

// Datagrams that reach the host while it is not collecting (here: the camera
// streams by itself) are dropped when the next collection starts, and said so.
TEST_F(FaultInjectionTest, DatagramsArrivingBetweenCollectionsStayOutOfTheNextOne)
{
    camsim::CameraConfig config;
    config.rateOverride = 2000;
    StartCamera(config);
    ASSERT_NO_FATAL_FAILURE(StartSystem());
    // The camera streams by itself while the host is not collecting.
    m_Camera->setSystemRegister(16, m_Camera->systemRegister(16) | 0x0002);
    ASSERT_TRUE(m_Camera->waitForPacketsSent(50, waitMs));
    m_Camera->setSystemRegister(16, m_Camera->systemRegister(16) & ~0x0002);
    ASSERT_TRUE(m_Camera->waitForStreamStopped(waitMs));
    const qint64 strays = m_Camera->datagramsSent();

    m_Camera->clearRecords();
    SysTexts().clear();
    ASSERT_TRUE(QuorvelDll::StartPhotonCollection()) << QuorvelDll::GetLastError();
    ASSERT_TRUE(m_Camera->waitForPacketsSent(100, waitMs));
    ASSERT_NO_FATAL_FAILURE(StopCollecting());
    EXPECT_EQ(QuorvelDll::GetNoOfCollectedPackets(), m_Camera->packetsSent());
    EXPECT_TRUE(HasText(SysTexts(), QStringLiteral("Data discarded: %1 datagrams arrived between collections (total: %1)")
                                        .arg(strays).toStdString()));
}

TEST_F(FaultInjectionTest, StatusRecordsSplitUnknownOrRepeatedLeaveOneGMEach)
{
    StartCamera();
    m_Camera->setStatusSplit(true, 2);
    ASSERT_NO_FATAL_FAILURE(StartSystem());
    EXPECT_EQ(QuorvelDll::GetNoOfGMs(), 4);
    ASSERT_TRUE(testsupport::waitUntil([] { return HasText(SysTexts(), "Status:Idle\tError:No Error"); }, waitMs));

    // Unknown codes, a GM that announces itself again, and a record cut in two.
    m_Camera->setStatusSplit(false);
    SysTexts().clear();
    m_Camera->sendStatusBytes(Bytes({0x3A, 0x00, 0x08, 0x02, 0x08}));
    m_Camera->sendStatusBytes(Bytes({0x03}));
    ASSERT_TRUE(testsupport::waitUntil([] { return SysTexts().size() >= 3; }, waitMs));
    EXPECT_EQ(SysTexts()[0], "Status:Unknown Status\tError:Unknown Error");
    EXPECT_EQ(SysTexts()[1], "GM:2\tStatus:Power Up\tError:No Error");
    EXPECT_EQ(SysTexts()[2], "GM:3\tStatus:Power Up\tError:No Error");
    EXPECT_EQ(QuorvelDll::GetNoOfGMs(), 4);
}

} // namespace
