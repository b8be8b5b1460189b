// The packet store: photons kept with their packets, the fields as the client
// reads them, and the status texts.
#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "acquisition/collectedpackets.h"

namespace {

Photon MakePhoton(int a_Seed)
{
    Photon photon;
    photon.m_Pixel = static_cast<qint16>(a_Seed % 485);
    photon.m_Energy = static_cast<quint16>(a_Seed * 7);
    photon.m_TimeDetect = static_cast<quint16>(a_Seed * 13);
    photon.m_PositiveEnergy = static_cast<quint8>(a_Seed & 1);
    photon.m_PositiveTimeDetect = static_cast<quint8>((a_Seed >> 1) & 1);
    return photon;
}

bool SamePhoton(const Photon& a_Left, const Photon& a_Right)
{
    return a_Left.m_Pixel == a_Right.m_Pixel && a_Left.m_Energy == a_Right.m_Energy
        && a_Left.m_TimeDetect == a_Right.m_TimeDetect && a_Left.m_PositiveEnergy == a_Right.m_PositiveEnergy
        && a_Left.m_PositiveTimeDetect == a_Right.m_PositiveTimeDetect;
}

class CollectedPacketsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CollectedPackets::DeleteInstance();
        m_pStore = CollectedPackets::GetInstance();
    }
    void TearDown() override { CollectedPackets::DeleteInstance(); }

    // Three packets: GM 1 with two photons, GM 2 with none, GM 3 with one.
    void AddThreePackets()
    {
        auto lock = m_pStore->AccessLock();
        const Photon first[] = {MakePhoton(1), MakePhoton(2)};
        ASSERT_TRUE(m_pStore->AddPacket(1, 0x1234, 0x56, first, 2));
        ASSERT_TRUE(m_pStore->AddPacket(2, 5, 0, nullptr, 0));
        Photon negativePixel = MakePhoton(3);
        negativePixel.m_Pixel = -1;
        ASSERT_TRUE(m_pStore->AddPacket(3, 0xFFFF, 0xFF, &negativePixel, 1));
    }

    CollectedPackets* m_pStore = nullptr;
    QString m_Error;
    int m_Value = -7;
};

} // namespace

TEST_F(CollectedPacketsTest, FieldsReadBackAsNonNegativeInts)
{
    AddThreePackets();
    const auto packet = [this](int a_No, PacketData a_Type) {
        int value = -1;
        EXPECT_TRUE(m_pStore->GetPacketData(a_No, a_Type, &value, &m_Error)) << m_Error.toStdString();
        return value;
    };
    const auto photon = [this](int a_Packet, int a_Photon, PhotonData a_Type) {
        int value = -1;
        EXPECT_TRUE(m_pStore->GetPhotonData(a_Packet, a_Photon, a_Type, &value, &m_Error)) << m_Error.toStdString();
        return value;
    };
    EXPECT_EQ(packet(1, PACKET_DATA_GM_ID), 1);
    EXPECT_EQ(packet(1, PACKET_DATA_HEADER_WORD), 0x1234);
    EXPECT_EQ(packet(1, PACKET_DATA_HEADER_BYTE), 0x56);
    EXPECT_EQ(packet(1, PACKET_DATA_NO_OF_PHOTONS), 2);
    EXPECT_EQ(packet(2, PACKET_DATA_NO_OF_PHOTONS), 0);
    EXPECT_EQ(packet(3, PACKET_DATA_HEADER_WORD), 0xFFFF);
    EXPECT_EQ(packet(3, PACKET_DATA_HEADER_BYTE), 0xFF);

    const Photon second = MakePhoton(2);
    EXPECT_EQ(photon(1, 2, PHOTON_DATA_PIXEL), second.m_Pixel);
    EXPECT_EQ(photon(1, 2, PHOTON_DATA_ENERGY), second.m_Energy);
    EXPECT_EQ(photon(1, 2, PHOTON_DATA_POSITIVE_ENERGY), second.m_PositiveEnergy);
    EXPECT_EQ(photon(1, 2, PHOTON_DATA_TIME_DETECT), second.m_TimeDetect);
    EXPECT_EQ(photon(1, 2, PHOTON_DATA_POSITIVE_TIME_DETECT), second.m_PositiveTimeDetect);
    EXPECT_EQ(photon(3, 1, PHOTON_DATA_PIXEL), 0xFFFF);   // read as an unsigned 16-bit value

    // The query errors and their order are checked through the facade
    // (CollectionTest.QueriesCheckTheirArgumentsInOrder); a packet without photons:
    EXPECT_FALSE(m_pStore->GetPhotonData(2, 1, PHOTON_DATA_PIXEL, &m_Value, &m_Error));
    EXPECT_EQ(m_Error, "PhotonNo out of range, valid range is 1 to 0");
    EXPECT_EQ(m_Value, -7);
}

TEST_F(CollectedPacketsTest, PhotonsStayWithTheirPacketAcrossArenaChunks)
{
    // Enough photons to fill several arena chunks, added both ways, and one
    // packet larger than a chunk grown photon by photon.
    const std::vector<int> sizes = {0, 1, 255, 256, 70000, 300000, 3, 0, 200000};
    std::vector<int> seeds;
    {
        auto lock = m_pStore->AccessLock();
        int seed = 0;
        for (size_t index = 0; index < sizes.size(); ++index) {
            seeds.push_back(seed);
            if (index % 2 == 0) {
                std::vector<Photon> photons;
                for (int k = 0; k < sizes[index]; ++k)
                    photons.push_back(MakePhoton(seed + k));
                ASSERT_TRUE(m_pStore->AddPacket(static_cast<quint8>(index), 0, 0, photons.data(), sizes[index]));
            } else {
                ASSERT_NE(m_pStore->AddPacket(static_cast<quint8>(index), 0, 0, 0), nullptr);
                for (int k = 0; k < sizes[index]; ++k)
                    ASSERT_TRUE(m_pStore->AddPhoton(MakePhoton(seed + k)));
            }
            seed += sizes[index];
        }
        EXPECT_EQ(m_pStore->GetNoOfPhotons(), seed);
    }

    auto lock = m_pStore->AccessLock();
    ASSERT_EQ(m_pStore->GetSize(), static_cast<int>(sizes.size()));
    for (size_t index = 0; index < sizes.size(); ++index) {
        const Packet* packet = m_pStore->GetPacket(static_cast<int>(index));
        ASSERT_NE(packet, nullptr);
        EXPECT_EQ(packet->m_GMID, index);
        ASSERT_EQ(packet->GetNoOfPhotons(), sizes[index]);
        int k = 0;
        for (const Photon& photon : *packet) {
            ASSERT_TRUE(SamePhoton(photon, MakePhoton(seeds[index] + k))) << "packet " << index << " photon " << k;
            ++k;
        }
    }
    EXPECT_EQ(m_pStore->GetPacket(-1), nullptr);
    EXPECT_EQ(m_pStore->GetPacket(static_cast<int>(sizes.size())), nullptr);
}

TEST_F(CollectedPacketsTest, ClearEmptiesTheStoreWhichThenFillsAgain)
{
    AddThreePackets();
    {
        auto lock = m_pStore->AccessLock();
        m_pStore->Clear();
        EXPECT_EQ(m_pStore->GetSize(), 0);
        EXPECT_EQ(m_pStore->GetNoOfPhotons(), 0);
        EXPECT_FALSE(m_pStore->AddPhoton(MakePhoton(1)));   // no packet to add to
    }
    EXPECT_EQ(m_pStore->GetNoOfCollectedPackets(), 0);
    AddThreePackets();
    EXPECT_EQ(m_pStore->GetNoOfCollectedPackets(), 3);
    EXPECT_TRUE(m_pStore->GetPhotonData(1, 2, PHOTON_DATA_ENERGY, &m_Value, &m_Error));
    EXPECT_EQ(m_Value, MakePhoton(2).m_Energy);
}

TEST_F(CollectedPacketsTest, StatusTextsCarryTheCounts)
{
    EXPECT_EQ(CollectedPackets::ClearingPacketsText(), "Clearing packets ...");
    EXPECT_EQ(CollectedPackets::PacketsClearedText(), "Packets cleared");
    EXPECT_EQ(CollectedPackets::DecodingPacketsText(), "Decoding packets ...");
    AddThreePackets();
    EXPECT_EQ(m_pStore->PacketsDecodedText(2), "Packets decoded : 2 (Total: 3)");
}

TEST_F(CollectedPacketsTest, ReadersSeeWholePacketsWhileAWriterAdds)
{
    constexpr int PACKETS = 2000;
    std::atomic<bool> torn{false};
    std::thread writer([this] {
        for (int index = 0; index < PACKETS; ++index) {
            auto lock = m_pStore->AccessLock();
            Photon* room = m_pStore->AddPacket(1, static_cast<quint16>(index), 0, 40);
            ASSERT_NE(room, nullptr);
            for (int k = 0; k < 40; ++k)
                room[k] = MakePhoton(index);
            m_pStore->CommitPhotons(40);
        }
    });
    int seen = 0;
    while (seen < PACKETS) {
        seen = m_pStore->GetNoOfCollectedPackets();
        if (seen == 0)
            continue;
        int photons = 0;
        int energy = 0;
        int word = 0;
        ASSERT_TRUE(m_pStore->GetPacketData(seen, PACKET_DATA_NO_OF_PHOTONS, &photons, &m_Error));
        ASSERT_TRUE(m_pStore->GetPacketData(seen, PACKET_DATA_HEADER_WORD, &word, &m_Error));
        ASSERT_TRUE(m_pStore->GetPhotonData(seen, 40, PHOTON_DATA_ENERGY, &energy, &m_Error));
        if (photons != 40 || energy != MakePhoton(word).m_Energy)
            torn = true;
    }
    writer.join();
    EXPECT_FALSE(torn);
}
