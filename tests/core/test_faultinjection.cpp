// Faults of the camera and the network, injected with the virtual camera's
// knobs while the library collects: dropped connections, spoiled datagrams
// and odd status records. What the client sees, that nothing hangs, and that
// every packet the camera delivered intact is stored exactly once.
#include "tests/core/test_collectionrig.h"

#include "acquisition/readbuffer.h"

#include <QElapsedTimer>
#include <QMap>
#include <tuple>

namespace {

class FaultInjectionTest : public CollectionRig
{
protected:
    // Stops the stream at the camera first, so the host's final batch holds
    // everything that was sent.
    void StopCollecting()
    {
        m_Camera->setSystemRegister(16, m_Camera->systemRegister(16) & ~0x0002);
        ASSERT_TRUE(m_Camera->waitForStreamStopped(waitMs));
        ASSERT_TRUE(QuorvelDll::StopPhotonCollection()) << QuorvelDll::GetLastError();
        const qint64 intact = m_Camera->intactPacketsSent();
        testsupport::waitUntil([intact] { return QuorvelDll::GetNoOfCollectedPackets() >= intact; }, 20000);
    }

    static int PacketField(int a_PacketNo, PacketData a_Type)
    {
        int value = -1;
        EXPECT_TRUE(QuorvelDll::GetPacketData(a_PacketNo, a_Type, &value)) << QuorvelDll::GetLastError();
        return value;
    }

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

// Disabled until the data worker drops what it received before a collection
// started: datagrams the camera sends after a stop's final batch (it finishes
// the batch it was building) are held by the data worker and handed over into
// the next collection, after StartPhotonCollection cleared the store.
TEST_F(FaultInjectionTest, DISABLED_DatagramsArrivingBetweenCollectionsStayOutOfTheNextOne)
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

    m_Camera->clearRecords();
    ASSERT_TRUE(QuorvelDll::StartPhotonCollection()) << QuorvelDll::GetLastError();
    ASSERT_TRUE(m_Camera->waitForPacketsSent(100, waitMs));
    ASSERT_NO_FATAL_FAILURE(StopCollecting());
    EXPECT_EQ(QuorvelDll::GetNoOfCollectedPackets(), m_Camera->packetsSent());
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
