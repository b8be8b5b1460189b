// The packet decoder: framing, checksums, photon records, pixel mapping, and
// the read buffer hand-over, with batches built by hand.
#include <QThread>

#include <random>

#include <gtest/gtest.h>

#include "acquisition/collectedpackets.h"
#include "acquisition/quorvelpacketdecoder.h"
#include "acquisition/readbuffer.h"
#include "gammamodule/gammamodules.h"
#include "support/testsupport.h"
#include "test_decoderreference.h"

using namespace decodertest;

namespace {

using testsupport::bytes;

// The record size the decoder uses for a GM byte.
int RecordSizeFor(const std::vector<RefGM>& a_GMs, int a_ID)
{
    const RefGM* found = FindGM(a_GMs, a_ID);
    return found && (found->m_ReadoutOptions & 2) ? 5 : 3;
}

class DecoderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        GammaModules::DeleteInstance();
        CollectedPackets::DeleteInstance();
        {
            ReadBuffer* buffer = ReadBuffer::GetInstance();
            auto lock = buffer->AccessLock();
            buffer->Reset();
        }
        SetGMs({{1, 8, 0}, {2, 8, 0}, {3, 8, 0}, {4, 8, 0}});
        QObject::connect(&m_Decoder, &QuorvelPacketDecoder::decodingPackets, [this] { ++m_DecodingSignals; });
        QObject::connect(&m_Decoder, &QuorvelPacketDecoder::packetsDecoded,
                         [this](int a_Count) { m_Decoded.push_back(a_Count); });
    }
    void TearDown() override
    {
        GammaModules::DeleteInstance();
        CollectedPackets::DeleteInstance();
    }

    void SetGMs(const std::vector<RefGM>& a_GMs, bool a_Loaded = false)
    {
        m_GMs = a_GMs;
        m_Loaded = a_Loaded;
        InstallGMs(a_GMs, a_Loaded);
    }

    // Hands the batch over as the data worker does and decodes it.
    int Decode(const QByteArray& a_Batch)
    {
        const auto result = ReadBuffer::GetInstance()->StoreBatch(a_Batch.constData(), a_Batch.size());
        EXPECT_TRUE(a_Batch.isEmpty() || result == ReadBuffer::StoreResult::Stored);
        const size_t before = m_Decoded.size();
        m_Decoder.DecodeReadBuffer(a_Batch.size());
        EXPECT_EQ(m_Decoded.size(), before + 1);
        return m_Decoded.empty() ? -1 : m_Decoded.back();
    }

    std::vector<int> StoredHeaderWords()
    {
        std::vector<int> words;
        for (const RefPacket& packet : StoredPackets())
            words.push_back(packet.m_HeaderWord);
        return words;
    }

    static void ExpectSame(const std::vector<RefPacket>& a_Actual, const std::vector<RefPacket>& a_Expected)
    {
        size_t packet = 0;
        const char* difference = FirstDifference(a_Actual, a_Expected, &packet);
        EXPECT_TRUE(difference == nullptr) << difference << " of packet " << packet;
    }

    QuorvelPacketDecoder m_Decoder;
    std::vector<RefGM> m_GMs;
    bool m_Loaded = false;
    int m_DecodingSignals = 0;
    std::vector<int> m_Decoded;
};

} // namespace

TEST_F(DecoderTest, EmptyBatchEmitsBothSignals)
{
    EXPECT_EQ(Decode(QByteArray()), 0);
    EXPECT_EQ(m_DecodingSignals, 1);
    EXPECT_EQ(CollectedPackets::GetInstance()->GetNoOfCollectedPackets(), 0);
}

TEST_F(DecoderTest, SmallestPacketIsStoredOnlyWithItsChecksum)
{
    EXPECT_EQ(Decode(bytes({0xFE, 0x7E, 0x01, 0x00, 0x05, 0x00, 0x01, 0x82, 0xFD, 0x7F})), 1);
    const std::vector<RefPacket> stored = StoredPackets();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].m_GMID, 1);
    EXPECT_EQ(stored[0].m_HeaderWord, 5);
    EXPECT_EQ(stored[0].m_HeaderByte, 0);
    EXPECT_TRUE(stored[0].m_Photons.empty());

    EXPECT_EQ(Decode(bytes({0xFE, 0x7E, 0x01, 0x00, 0x05, 0x00, 0x01, 0x83, 0xFD, 0x7F})), 0);
    EXPECT_EQ(StoredPackets().size(), 1u);
}

TEST_F(DecoderTest, RecordsFollowTheGMsReadoutOptions)
{
    SetGMs({{1, 0, 0}, {2, 0, 1}, {3, 0, 2}, {4, 0, 3}});
    QByteArray batch;
    batch += MakePacket(1, 1, 0, Record3(10, 0xA1, 0x00) + Record3(11, 0x21, 0x34));
    batch += MakePacket(2, 2, 0, Record3(10, 0xA1, 0x00) + Record3(11, 0x81, 0x34));
    batch += MakePacket(3, 3, 0, Record5(10, 0xA1, 0x00, 0x52, 0x07));
    batch += MakePacket(4, 4, 0, Record5(10, 0xA1, 0x00, 0x52, 0x07) + Record5(11, 0x81, 0x00, 0x42, 0x08));
    EXPECT_EQ(Decode(batch), 4);
    const std::vector<RefPacket> stored = StoredPackets();
    ASSERT_EQ(stored.size(), 4u);
    const auto check = [&](size_t a_Packet, size_t a_Photon, int a_Pixel, int a_Energy, int a_PositiveEnergy,
                           int a_Time, int a_PositiveTime) {
        ASSERT_LT(a_Photon, stored[a_Packet].m_Photons.size());
        const Photon& photon = stored[a_Packet].m_Photons[a_Photon];
        EXPECT_EQ(photon.m_Pixel, a_Pixel) << a_Packet << "/" << a_Photon;
        EXPECT_EQ(photon.m_Energy, a_Energy) << a_Packet << "/" << a_Photon;
        EXPECT_EQ(photon.m_PositiveEnergy, a_PositiveEnergy) << a_Packet << "/" << a_Photon;
        EXPECT_EQ(photon.m_TimeDetect, a_Time) << a_Packet << "/" << a_Photon;
        EXPECT_EQ(photon.m_PositiveTimeDetect, a_PositiveTime) << a_Packet << "/" << a_Photon;
    };
    // Negative enable clear: bit 0x20 is part of the energy; 3-byte records carry no time.
    check(0, 0, 10, 0x2100, 1, 0, 0);
    check(0, 1, 11, 0x2134, 1, 0, 0);
    // Negative enable set: bit 0x20 marks a negative energy.
    check(1, 0, 10, 0x8100, 0, 0, 0);
    check(1, 1, 11, 0x0134, 1, 0, 0);
    // Time detect enable: 5-byte records; without negative enable 0x10 is part of the value.
    check(2, 0, 10, 0x2100, 1, 0x1207, 1);
    // Both: 0x10 marks a negative time detect value.
    check(3, 0, 10, 0x8100, 0, 0x4207, 0);
    check(3, 1, 11, 0x0100, 1, 0x0208, 1);
    // The reference decoder reads the records the same way.
    ExpectSame(stored, ReferenceDecode(batch, m_GMs, false, 2));
}

TEST_F(DecoderTest, PixelsFollowTheMappingModeAndGMOptionBit3)
{
    SetGMs({{1, 8, 0}, {2, 0, 0}, {3, 8, 0}, {4, 8, 0}});
    const QByteArray records = Record3(126, 0x80, 0) + Record3(27, 0x80, 0) + Record3(0, 0x80, 0)
        + Record3(200, 0x80, 0);
    const QByteArray batch = MakePacket(1, 1, 0, records) + MakePacket(2, 2, 0, records);
    const auto pixels = [](const RefPacket& a_Packet) {
        std::vector<int> result;
        for (const Photon& photon : a_Packet.m_Photons)
            result.push_back(photon.m_Pixel);
        return result;
    };

    EXPECT_EQ(Decode(batch), 2);
    std::vector<RefPacket> stored = StoredPackets();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(pixels(stored[0]), (std::vector<int>{1, 9}));             // mapped, unmapped channels dropped
    EXPECT_EQ(pixels(stored[1]), (std::vector<int>{126, 27, 0, 200}));   // bit 3 clear: the channel byte
    ExpectSame(stored, ReferenceDecode(batch, m_GMs, false, 2));

    m_Decoder.OnPixelMappingModeChanged(PIXEL_MAPPING_MODE_GLOBAL);
    EXPECT_EQ(Decode(batch), 2);
    stored = StoredPackets();
    ASSERT_EQ(stored.size(), 4u);
    EXPECT_EQ(pixels(stored[0]), (std::vector<int>{1, 9}));             // stored packets keep their pixels
    EXPECT_EQ(pixels(stored[2]), (std::vector<int>{1, 9}));
    EXPECT_EQ(pixels(stored[3]), (std::vector<int>{12, 20}));           // GM 2 sits in columns 12 to 22
    ExpectSame({stored[2], stored[3]}, ReferenceDecode(batch, m_GMs, false, 1));
}

TEST_F(DecoderTest, FooterInsideABodyClosesThePacketOnlyWhenItFits)
{
    SetGMs({{1, 8, 2}, {2, 8, 0}});
    // 5-byte records with FD 7F at a misaligned offset of the body: the packet stays whole.
    const QByteArray misaligned = Record5(126, 0x80, 0x11, 0xFD, 0x7F) + Record5(0, 0x81, 0x22, 0x40, 0x01);
    // 3-byte records with FD 7F where a footer would fit, but with the wrong checksum before it.
    const QByteArray aligned = Record3(126, 0x80, 0x01) + bytes({0x00, 0x00, 0xFD, 0x7F, 0x80, 0x02});
    EXPECT_EQ(Decode(MakePacket(1, 1, 0, misaligned) + MakePacket(2, 2, 0, aligned)), 2);
    const std::vector<RefPacket> stored = StoredPackets();
    ASSERT_EQ(stored.size(), 2u);
    ASSERT_EQ(stored[0].m_Photons.size(), 2u);
    EXPECT_EQ(stored[0].m_Photons[0].m_TimeDetect, 0xBD7F);
    EXPECT_EQ(stored[0].m_Photons[1].m_Energy, 0x0122);
    EXPECT_EQ(stored[1].m_Photons.size(), 3u);
}

TEST_F(DecoderTest, PhotonBytesThatLookLikeAFooterDoNotCutThePacketShort)
{
    // Header FE 7E 01 0001 00 and one record add up to 0x027D: the next record
    // starts with that sum and FD, and the one after with 7F, so a footer with
    // a matching checksum sits inside the body. No header follows it, so the
    // packet runs on to its true footer.
    const QByteArray body = Record3(126, 0x80, 0x01) + bytes({0x02, 0x7D, 0xFD}) + bytes({0x7F, 0x80, 0x05})
                            + Record3(126, 0x80, 0x06);
    const QByteArray batch = MakePacket(1, 1, 0, body) + MakePacket(2, 2, 0, Record3(126, 0x80, 0x07));
    m_Decoder.OnPixelMappingModeChanged(static_cast<PixelMappingMode>(1));
    EXPECT_EQ(Decode(batch), 2);
    EXPECT_EQ(StoredHeaderWords(), (std::vector<int>{1, 2}));
    ExpectSame(StoredPackets(), ReferenceDecode(batch, m_GMs, false, 1));
    EXPECT_EQ(StoredPackets()[0].m_Photons.back().m_Energy, 0x0006);

    // Alone in the batch, the look-alike is followed by the batch's end only
    // when it is the true footer; cut off after it, the packet ends there.
    const QByteArray cut = MakePacket(1, 1, 0, body).left(6 + 3 + 5);
    CollectedPackets::DeleteInstance();
    EXPECT_EQ(Decode(cut), 1);
    EXPECT_EQ(StoredPackets()[0].m_Photons.size(), 1u);
}

TEST_F(DecoderTest, PacketsHoldAtMost256Records)
{
    QByteArray longest;
    for (int k = 0; k < 256; ++k)
        longest += Record3(126, 0x80, k);
    const QByteArray tooLong = longest + Record3(126, 0x80, 0);
    EXPECT_EQ(Decode(MakePacket(1, 1, 0, longest) + MakePacket(1, 2, 0, tooLong) + MakePacket(1, 3, 0, longest)), 2);
    EXPECT_EQ(StoredHeaderWords(), (std::vector<int>{1, 3}));
    EXPECT_EQ(StoredPackets()[0].m_Photons.size(), 256u);
}

TEST_F(DecoderTest, DecodesThePendingBatchWhateverTheAnnouncedCount)
{
    ReadBuffer* buffer = ReadBuffer::GetInstance();
    const QByteArray first = MakePacket(1, 1, 0, Record3(126, 0x80, 1));
    const QByteArray second = MakePacket(1, 2, 0, Record3(126, 0x80, 2)) + MakePacket(1, 3, 0, QByteArray());

    // A count far beyond the buffer reads nothing past the batch.
    ASSERT_EQ(buffer->StoreBatch(first.constData(), first.size()), ReadBuffer::StoreResult::Stored);
    m_Decoder.DecodeReadBuffer(1LL << 40);
    EXPECT_EQ(m_Decoded.back(), 1);

    // A stale announcement of a smaller batch does not cut the pending one short,
    // and the batch is decoded once only.
    ASSERT_EQ(buffer->StoreBatch(first.constData(), first.size()), ReadBuffer::StoreResult::Stored);
    {
        auto lock = buffer->AccessLock();
        buffer->Reset();
    }
    ASSERT_EQ(buffer->StoreBatch(second.constData(), second.size()), ReadBuffer::StoreResult::Stored);
    m_Decoder.DecodeReadBuffer(first.size());
    EXPECT_EQ(m_Decoded.back(), 2);
    m_Decoder.DecodeReadBuffer(second.size());
    EXPECT_EQ(m_Decoded.back(), 0);
    EXPECT_EQ(StoredHeaderWords(), (std::vector<int>{1, 2, 3}));
}

TEST_F(DecoderTest, HostileBatchesEndWithTheValidPacketsFound)
{
    SetGMs({{1, 8, 2}});
    const QByteArray valid = MakePacket(1, 77, 0, Record5(126, 0x80, 1, 0x40, 1));
    const std::vector<QByteArray> patterns = {
        MakePacket(1, 5, 0, QByteArray(), 1),                       // 10-byte packets, bad checksums
        bytes({0xFE, 0x7E, 0x01, 0xFD, 0x7F}),                      // headers and footers packed tight
        bytes({0xFE, 0x7E, 0x01, 0x00, 0x00, 0x00, 0xFD, 0x7F, 0xFD, 0x7F}),
    };
    for (const QByteArray& pattern : patterns) {
        CollectedPackets::DeleteInstance();
        QByteArray batch;
        while (batch.size() + pattern.size() <= 256 * 1024)
            batch += pattern;
        batch += valid;
        Decode(batch);
        const std::vector<RefPacket> stored = StoredPackets();
        ASSERT_FALSE(stored.empty());
        EXPECT_EQ(stored.back().m_HeaderWord, 77);
        ExpectSame(stored, ReferenceDecode(batch, m_GMs, false, 2));
    }
}

// Junk between packets, bad checksums, GM bytes outside the list, loaded lists,
// unknown GM IDs and footer bytes inside bodies all come up here.
TEST_F(DecoderTest, MatchesTheReferenceRulesOnRandomisedBatches)
{
    std::mt19937 random(20240611);
    const auto uniform = [&](int a_Low, int a_High) { return std::uniform_int_distribution<int>(a_Low, a_High)(random); };
    // Bytes that make framing hard are drawn often.
    const auto hardByte = [&]() {
        static const int special[] = {0xFE, 0x7E, 0xFD, 0x7F, 0x01, 0x00};
        return uniform(0, 3) == 0 ? special[uniform(0, 5)] : uniform(0, 255);
    };
    for (int round = 0; round < 300; ++round) {
        std::vector<RefGM> gms;
        const bool loaded = uniform(0, 5) == 0;
        for (int id = loaded ? 0 : 1, count = uniform(0, 4); count > 0; --count, ++id)
            gms.push_back({id, uniform(0, 1) * 8, uniform(0, 3)});
        SetGMs(gms, loaded);
        const int mode = uniform(1, 2);
        m_Decoder.OnPixelMappingModeChanged(static_cast<PixelMappingMode>(mode));
        CollectedPackets::DeleteInstance();

        QByteArray batch;
        for (int part = uniform(0, 40); part > 0; --part) {
            const int kind = uniform(0, 9);
            if (kind < 6) {
                const int gm = uniform(0, 5);
                const int recordSize = RecordSizeFor(gms, gm);
                QByteArray records;
                for (int byte = uniform(0, 40) * recordSize; byte > 0; --byte)
                    records.append(static_cast<char>(hardByte()));
                QByteArray packet = MakePacket(gm, uniform(0, 65535), uniform(0, 255), records,
                                               uniform(0, 7) == 0 ? uniform(-2, 2) : 0);
                if (uniform(0, 9) == 0)
                    packet[uniform(0, packet.size() - 1)] = static_cast<char>(hardByte());
                if (uniform(0, 19) == 0)
                    packet.chop(uniform(1, packet.size()));
                batch += packet;
            } else {
                for (int byte = uniform(1, 30); byte > 0; --byte)
                    batch.append(static_cast<char>(hardByte()));
            }
        }
        const std::vector<RefPacket> expected = ReferenceDecode(batch, gms, loaded, mode);
        EXPECT_EQ(Decode(batch), static_cast<int>(expected.size())) << "round " << round;
        ExpectSame(StoredPackets(), expected);
        if (HasFatalFailure())
            FAIL() << "round " << round;
    }
}

TEST_F(DecoderTest, DecodesOnItsOwnThreadWhileTheStoreIsRead)
{
    QThread thread;
    auto* decoder = new QuorvelPacketDecoder();
    decoder->moveToThread(&thread);
    QObject::connect(&thread, &QThread::finished, decoder, &QObject::deleteLater);
    int passes = 0;
    int packets = 0;
    QObject receiver;   // lives on this thread, so the counts are updated here
    QObject::connect(decoder, &QuorvelPacketDecoder::packetsDecoded, &receiver, [&](int a_Count) {
        ++passes;
        packets += a_Count;
    });
    thread.start();

    QByteArray batch;
    for (int index = 0; index < 200; ++index)
        batch += MakePacket(1 + index % 4, index, 0, Record3(126, 0x80, index & 0xFF) + Record3(0, 0x80, 1));
    ReadBuffer* buffer = ReadBuffer::GetInstance();
    for (int round = 0; round < 20; ++round) {
        ASSERT_EQ(buffer->StoreBatch(batch.constData(), batch.size()), ReadBuffer::StoreResult::Stored);
        QMetaObject::invokeMethod(decoder, "DecodeReadBuffer", Qt::QueuedConnection, Q_ARG(qint64, batch.size()));
        int value = 0;
        QString error;
        const int count = CollectedPackets::GetInstance()->GetNoOfCollectedPackets();
        if (count > 0) {
            EXPECT_TRUE(CollectedPackets::GetInstance()->GetPhotonData(count, 2, PHOTON_DATA_PIXEL, &value, &error));
            EXPECT_EQ(value, 9);
        }
    }
    EXPECT_TRUE(testsupport::waitUntil([&] { return passes == 20; }, 5000));
    EXPECT_EQ(packets, 20 * 200);
    EXPECT_EQ(CollectedPackets::GetInstance()->GetNoOfCollectedPackets(), 20 * 200);
    thread.quit();
    thread.wait();
}
