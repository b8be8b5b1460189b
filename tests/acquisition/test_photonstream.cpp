// The photon stream's queue on its own: order across the ring's wrap with a
// producer and a reader on different threads, collections kept apart, the
// stalled reader, and the ways a blocked reader is released.
#include "acquisition/photonstream.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <random>
#include <thread>
#include <vector>

namespace {

PhotonRecord Numbered(quint32 a_Number)
{
    PhotonRecord record{};
    record.packetNo = a_Number;
    record.energy = static_cast<uint16_t>(a_Number * 7);
    return record;
}

class PhotonStreamTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Stream.SetStallTimeout(PhotonStream::DEFAULT_STALL_TIMEOUT_MS);
        ASSERT_TRUE(m_Stream.Enable(PhotonStream::MIN_CAPACITY));
        m_Stream.BeginCollection();
    }
    void TearDown() override
    {
        m_Stream.Disable();
        m_Stream.SetStallTimeout(PhotonStream::DEFAULT_STALL_TIMEOUT_MS);
    }

    PhotonStream& m_Stream = PhotonStream::Instance();
};

TEST_F(PhotonStreamTest, AReaderGetsEveryRecordInOrderAcrossTheRingsWrap)
{
    constexpr quint32 total = 200000;   // about 200 times round a ring of 1024
    std::thread producer([this] {
        std::mt19937 random(7);
        std::vector<PhotonRecord> block;
        for (quint32 next = 1; next <= total;) {
            const quint32 size = std::min<quint32>(random() % 3000 + 1, total - next + 1);
            block.clear();
            for (quint32 i = 0; i < size; ++i)
                block.push_back(Numbered(next + i));
            EXPECT_EQ(m_Stream.Push(block.data(), size, 1), size);
            next += size;
        }
        m_Stream.EndCollection();
    });
    std::mt19937 random(11);
    std::vector<PhotonRecord> buffer(5000);
    quint32 expected = 1;
    bool inOrder = true;
    for (;;) {
        const qint64 read = m_Stream.Read(buffer.data(), random() % 5000 + 1, 5000);
        if (read == PHOTON_STREAM_ENDED)
            break;
        ASSERT_GT(read, 0);
        for (qint64 i = 0; i < read; ++i) {
            inOrder = inOrder && buffer[static_cast<size_t>(i)].packetNo == expected
                      && buffer[static_cast<size_t>(i)].energy == static_cast<uint16_t>(expected * 7);
            ++expected;
        }
    }
    producer.join();
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(expected, total + 1);
    const PhotonStreamCounters counters = m_Stream.GetCounters();
    EXPECT_EQ(counters.photons, total);
    EXPECT_EQ(counters.droppedPhotons, 0u);
    EXPECT_EQ(counters.queued, 0u);
}

TEST_F(PhotonStreamTest, ReadsStopAtTheEndOfEachCollection)
{
    const std::vector<PhotonRecord> first{Numbered(1), Numbered(2), Numbered(3)};
    const std::vector<PhotonRecord> second{Numbered(1), Numbered(2)};
    m_Stream.Push(first.data(), 3, 1);
    m_Stream.EndCollection();
    m_Stream.EndCollection();   // a second stop ends nothing more
    m_Stream.BeginCollection();
    m_Stream.Push(second.data(), 2, 1);
    m_Stream.EndCollection();

    std::vector<PhotonRecord> buffer(10);
    EXPECT_EQ(m_Stream.Read(buffer.data(), 10, 0), 3);
    EXPECT_EQ(m_Stream.Read(buffer.data(), 10, 0), PHOTON_STREAM_ENDED);
    EXPECT_EQ(m_Stream.Read(buffer.data(), 10, 0), 2);
    EXPECT_EQ(m_Stream.Read(buffer.data(), 10, 0), PHOTON_STREAM_ENDED);
    EXPECT_EQ(m_Stream.Read(buffer.data(), 10, 0), 0);   // waiting for the next collection

    // A late end meant for the collection before does not end the next one.
    const quint64 before = m_Stream.Generation();
    m_Stream.BeginCollection();
    m_Stream.EndCollection(before);
    EXPECT_EQ(m_Stream.Push(first.data(), 3, 1), 3);
    EXPECT_EQ(m_Stream.Read(buffer.data(), 10, 0), 3);
    EXPECT_EQ(m_Stream.Read(buffer.data(), 10, 0), 0);
    m_Stream.EndCollection();

    // Nothing is taken outside a collection.
    EXPECT_EQ(m_Stream.Read(buffer.data(), 10, 0), PHOTON_STREAM_ENDED);
    EXPECT_EQ(m_Stream.Push(first.data(), 3, 1), 0);
    EXPECT_EQ(m_Stream.Read(buffer.data(), 0, 0), PHOTON_STREAM_BAD_ARGUMENT);
    EXPECT_EQ(m_Stream.Read(nullptr, 10, 0), PHOTON_STREAM_BAD_ARGUMENT);
}

TEST_F(PhotonStreamTest, AStalledReaderCostsCountedPhotonsNotAStalledProducer)
{
    m_Stream.SetStallTimeout(50);
    const std::vector<PhotonRecord> block(3000, Numbered(5));
    EXPECT_EQ(m_Stream.Push(block.data(), 3000, 1), PhotonStream::MIN_CAPACITY);
    // Once taken as gone, a full queue drops at once, without a wait.
    EXPECT_EQ(m_Stream.Push(block.data(), 3000, 1), 0);
    PhotonStreamCounters counters = m_Stream.GetCounters();
    EXPECT_EQ(counters.droppedPhotons, 6000u - PhotonStream::MIN_CAPACITY);
    EXPECT_EQ(counters.queued, static_cast<quint64>(PhotonStream::MIN_CAPACITY));

    // A reader that comes back is waited for again.
    std::vector<PhotonRecord> buffer(PhotonStream::MIN_CAPACITY);
    EXPECT_EQ(m_Stream.Read(buffer.data(), 100, 0), 100);
    m_Stream.SetStallTimeout(5000);
    std::thread reader([&] {
        qint64 taken = 0;
        while (taken < 3000 + PhotonStream::MIN_CAPACITY - 100)
            taken += std::max<qint64>(m_Stream.Read(buffer.data(), 512, 5000), 0);
    });
    EXPECT_EQ(m_Stream.Push(block.data(), 3000, 1), 3000);
    reader.join();
    EXPECT_EQ(m_Stream.GetCounters().droppedPhotons, 6000u - PhotonStream::MIN_CAPACITY);
}

TEST_F(PhotonStreamTest, CloseAndDisableReleaseABlockedReader)
{
    std::vector<PhotonRecord> buffer(10);
    qint64 result = 0;
    std::thread reader([&] { result = m_Stream.Read(buffer.data(), 10, -1); });
    m_Stream.Disable();
    reader.join();
    EXPECT_EQ(result, PHOTON_STREAM_CLOSED);

    // Close keeps what was queued readable, ends the collection, then closes.
    ASSERT_TRUE(m_Stream.Enable(0));
    m_Stream.SetStorePhotons(false);
    m_Stream.BeginCollection();
    const PhotonRecord record = Numbered(1);
    m_Stream.Push(&record, 1, 1);
    m_Stream.Close();
    EXPECT_TRUE(m_Stream.IsStoringPhotons());
    EXPECT_EQ(m_Stream.Read(buffer.data(), 10, -1), 1);
    EXPECT_EQ(m_Stream.Read(buffer.data(), 10, -1), PHOTON_STREAM_ENDED);
    EXPECT_EQ(m_Stream.Read(buffer.data(), 10, -1), PHOTON_STREAM_CLOSED);
}

} // namespace
