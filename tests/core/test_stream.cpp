// Photons out of the library in bulk, against the virtual camera: the stream
// read on another thread while collecting, with and without the store, a
// reader that never reads, the ends of a collection that release a reader,
// and the store's bulk reads.
#include "tests/support/camerarig.h"

#include "acquisition/photonstream.h"

#include <QElapsedTimer>
#include <atomic>
#include <cstring>
#include <thread>

namespace {

// Reads the stream on its own thread until the collection ends.
class StreamReader
{
public:
    explicit StreamReader(long long a_BufferRecords = 4096)
        : m_Thread([this, a_BufferRecords] {
            std::vector<PhotonRecord> buffer(static_cast<size_t>(a_BufferRecords));
            QElapsedTimer timer;
            timer.start();
            while (timer.elapsed() < 60000) {
                const long long read = QuorvelDll::ReadPhotons(buffer.data(), a_BufferRecords, 200);
                if (read < 0) {
                    m_End = read;
                    return;
                }
                m_Records.insert(m_Records.end(), buffer.begin(), buffer.begin() + read);
            }
        })
    {
    }
    // The records, once the reader has ended.
    const std::vector<PhotonRecord>& Finish()
    {
        m_Thread.join();
        return m_Records;
    }
    long long End() const { return m_End; }

private:
    std::vector<PhotonRecord> m_Records;
    std::atomic<long long> m_End{0};
    std::thread m_Thread;
};

class StreamTest : public CameraRig
{
protected:
    void TearDown() override
    {
        PhotonStream::Instance().SetStallTimeout(PhotonStream::DEFAULT_STALL_TIMEOUT_MS);
        CameraRig::TearDown();
    }

    void StartStreamingSystem(int a_Rate)
    {
        camsim::CameraConfig config;
        config.rateOverride = a_Rate;
        StartCamera(config);
        ASSERT_NO_FATAL_FAILURE(StartSystem());
    }

    // The records hold every packet the camera sent, once, in order and
    // numbered from 1 (packets without photons leave no record).
    void ExpectRecordsMatchCamera(const std::vector<PhotonRecord>& a_Records)
    {
        const QVector<camsim::SentPacket> sent = m_Camera->sentPackets();
        ASSERT_EQ(static_cast<qint64>(a_Records.size()), m_Camera->photonsSent()) << LostTexts();
        size_t next = 0;
        int mismatches = 0;
        for (int i = 0; i < sent.size() && mismatches < 3; ++i) {
            for (int photon = 0; photon < sent[i].photons; ++photon, ++next) {
                const PhotonRecord& record = a_Records[next];
                if (record.packetNo != static_cast<uint32_t>(i + 1) || record.gmID != sent[i].gmId
                    || record.headerWord != sent[i].headerWord) {
                    ADD_FAILURE() << "record " << next << " of packet " << record.packetNo << " GM " << int(record.gmID)
                                  << ", expected packet " << i + 1 << " GM " << sent[i].gmId;
                    ++mismatches;
                    break;
                }
            }
        }
        EXPECT_EQ(mismatches, 0);
    }
};

TEST_F(StreamTest, StreamAndStoreCarryTheSamePhotonsOfEveryCollection)
{
    ASSERT_NO_FATAL_FAILURE(StartStreamingSystem(10000));
    ASSERT_TRUE(QuorvelDll::EnablePhotonStream(0)) << QuorvelDll::GetLastError();
    for (const qint64 packets : {20000, 1500}) {
        StreamReader reader;
        ASSERT_NO_FATAL_FAILURE(Collect(packets));
        const std::vector<PhotonRecord>& records = reader.Finish();
        EXPECT_EQ(reader.End(), PHOTON_STREAM_ENDED);
        ExpectStoreMatchesCamera();
        ASSERT_NO_FATAL_FAILURE(ExpectRecordsMatchCamera(records));

        // The bulk read of the store gives the same bytes, and the same
        // values as the per-field queries.
        const int last = QuorvelDll::GetNoOfCollectedPackets();
        ASSERT_EQ(QuorvelDll::GetNoOfPhotonsInPackets(1, last), static_cast<long long>(records.size()));
        std::vector<PhotonRecord> bulk(records.size());
        ASSERT_EQ(QuorvelDll::ReadCollectedPhotons(1, last, bulk.data(), static_cast<long long>(bulk.size())),
                  static_cast<long long>(records.size()))
            << QuorvelDll::GetLastError();
        EXPECT_EQ(std::memcmp(bulk.data(), records.data(), records.size() * sizeof(PhotonRecord)), 0);
        std::vector<PacketRecord> packets(static_cast<size_t>(last));
        ASSERT_EQ(QuorvelDll::ReadCollectedPackets(1, last, packets.data(), last), last);
        const PhotonRecord& sample = records[records.size() / 2];
        const PacketRecord& packet = packets[sample.packetNo - 1];
        EXPECT_EQ(packet.packetNo, sample.packetNo);
        EXPECT_EQ(packet.gmID, sample.gmID);
        EXPECT_EQ(static_cast<int>(packet.noOfPhotons), PacketField(static_cast<int>(sample.packetNo), PACKET_DATA_NO_OF_PHOTONS));
        int energy = -1;
        ASSERT_TRUE(QuorvelDll::GetPhotonData(static_cast<int>(sample.packetNo), 1, PHOTON_DATA_ENERGY, &energy));
        const auto first = std::find_if(records.begin(), records.end(),
                                        [&](const PhotonRecord& a_Record) { return a_Record.packetNo == sample.packetNo; });
        EXPECT_EQ(first->energy, energy);
    }
    const PhotonStreamCounters counters = QuorvelDll::GetPhotonStreamCounters();
    EXPECT_EQ(counters.droppedPhotons, 0u);
    EXPECT_EQ(counters.queued, 0u);
}

TEST_F(StreamTest, WithoutTheStoreASmallQueueStillDeliversEveryPhoton)
{
    ASSERT_NO_FATAL_FAILURE(StartStreamingSystem(10000));
    ASSERT_TRUE(QuorvelDll::EnablePhotonStream(1024)) << QuorvelDll::GetLastError();
    ASSERT_TRUE(QuorvelDll::SetStorePhotons(false));
    EXPECT_FALSE(QuorvelDll::IsStoringPhotons());
    StreamReader reader(700);   // the decoder waits for this reader again and again
    ASSERT_NO_FATAL_FAILURE(Collect(20000));
    const std::vector<PhotonRecord>& records = reader.Finish();
    ExpectRecordsMatchCamera(records);
    EXPECT_EQ(QuorvelDll::GetNoOfCollectedPackets(), 0);
    EXPECT_EQ(QuorvelDll::GetPhotonStreamCounters().droppedPhotons, 0u);
    EXPECT_EQ(QuorvelDll::GetPhotonStreamCounters().packets, static_cast<quint64>(m_Camera->packetsSent()));
    EXPECT_EQ(LostTexts(), "");
}

TEST_F(StreamTest, AClientThatNeverReadsLosesOnlyCountedStreamPhotons)
{
    ASSERT_NO_FATAL_FAILURE(StartStreamingSystem(10000));
    PhotonStream::Instance().SetStallTimeout(100);
    ASSERT_TRUE(QuorvelDll::EnablePhotonStream(1024));
    ASSERT_NO_FATAL_FAILURE(Collect(5000));
    ExpectStoreMatchesCamera();   // the store keeps everything
    const PhotonStreamCounters counters = QuorvelDll::GetPhotonStreamCounters();
    EXPECT_EQ(counters.queued, 1024u);
    EXPECT_EQ(counters.droppedPhotons + counters.queued, static_cast<quint64>(m_Camera->photonsSent()));
    ASSERT_TRUE(testsupport::waitUntil(
        [] {
            return std::any_of(SysTexts().begin(), SysTexts().end(), [](const std::string& a_Text) {
                return a_Text.rfind("Stream overflow: ", 0) == 0;
            });
        },
        waitMs));

    // What was kept is still read, up to the collection's end.
    std::vector<PhotonRecord> buffer(4096);
    EXPECT_EQ(QuorvelDll::ReadPhotons(buffer.data(), 4096, 0), 1024);
    EXPECT_EQ(buffer[0].packetNo, 1u);
    EXPECT_EQ(QuorvelDll::ReadPhotons(buffer.data(), 4096, 0), PHOTON_STREAM_ENDED);
}

TEST_F(StreamTest, DisconnectAndCloseReleaseABlockedReader)
{
    ASSERT_NO_FATAL_FAILURE(StartStreamingSystem(2000));
    ASSERT_TRUE(QuorvelDll::EnablePhotonStream(0));
    ASSERT_TRUE(QuorvelDll::StartPhotonCollection());
    ASSERT_TRUE(m_Camera->waitForPacketsSent(200, waitMs));
    StreamReader collecting;
    QuorvelDll::Disconnect();
    collecting.Finish();
    EXPECT_EQ(collecting.End(), PHOTON_STREAM_ENDED);

    // A stop refused because the camera dropped the control link ends the
    // stream's collection all the same.
    ASSERT_NO_FATAL_FAILURE(Initialize());
    ASSERT_TRUE(QuorvelDll::StartPhotonCollection());
    StreamReader dropped;
    m_Camera->closeConnection(camsim::Channel::Control);
    EXPECT_TRUE(testsupport::waitUntil([] { return !QuorvelDll::StopPhotonCollection(); }, waitMs));
    dropped.Finish();
    EXPECT_EQ(dropped.End(), PHOTON_STREAM_ENDED);

    std::atomic<long long> result{0};
    std::thread blocked([&] {
        PhotonRecord record{};
        result = QuorvelDll::ReadPhotons(&record, 1, -1);
    });
    QuorvelDll::Close();
    blocked.join();
    EXPECT_EQ(result, PHOTON_STREAM_CLOSED);
    EXPECT_FALSE(QuorvelDll::IsPhotonStreamEnabled());
}

TEST_F(StreamTest, StreamSettingsAndBulkReadsRefuseBadArguments)
{
    PhotonRecord record{};
    EXPECT_EQ(QuorvelDll::ReadPhotons(&record, 1, 0), PHOTON_STREAM_CLOSED);
    for (const long long capacity : {-1LL, 1023LL, (1LL << 28) + 1}) {
        EXPECT_FALSE(QuorvelDll::EnablePhotonStream(capacity));
        EXPECT_EQ(QuorvelDll::GetLastError(),
                  "Photon stream capacity must be 0 (the default, 4194304) or 1024 to 268435456 photons");
    }
    EXPECT_EQ(QuorvelDll::GetNoOfPhotonsInPackets(1, 1), -1);
    EXPECT_EQ(QuorvelDll::GetLastError(), "No collected packets to query");

    ASSERT_NO_FATAL_FAILURE(StartStreamingSystem(2000));
    ASSERT_TRUE(QuorvelDll::StartPhotonCollection());
    EXPECT_FALSE(QuorvelDll::EnablePhotonStream(0));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Cannot change the photon stream while collecting");
    EXPECT_FALSE(QuorvelDll::SetStorePhotons(false));
    EXPECT_FALSE(QuorvelDll::DisablePhotonStream());
    ASSERT_TRUE(QuorvelDll::StopPhotonCollection()) << QuorvelDll::GetLastError();
    ASSERT_NO_FATAL_FAILURE(Collect(10));

    const int last = QuorvelDll::GetNoOfCollectedPackets();
    ASSERT_GT(last, 1);
    EXPECT_EQ(QuorvelDll::ReadCollectedPhotons(0, last, &record, 1), -1);
    EXPECT_EQ(QuorvelDll::GetLastError(),
              "Packet range 0 to " + std::to_string(last) + " is invalid, valid range is 1 to " + std::to_string(last));
    EXPECT_EQ(QuorvelDll::ReadCollectedPhotons(2, 1, &record, 1), -1);
    EXPECT_EQ(QuorvelDll::ReadCollectedPackets(1, last + 1, nullptr, 1), -1);
    EXPECT_EQ(QuorvelDll::ReadCollectedPhotons(1, 1, nullptr, 1000), -1);
    EXPECT_EQ(QuorvelDll::GetLastError(), "Null pointer passed to function");
    const long long needed = QuorvelDll::GetNoOfPhotonsInPackets(1, last);
    EXPECT_EQ(QuorvelDll::ReadCollectedPhotons(1, last, &record, 1), -1);
    EXPECT_EQ(QuorvelDll::GetLastError(),
              "Buffer too small: " + std::to_string(needed) + " records needed, room for 1");
}

} // namespace
