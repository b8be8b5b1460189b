// The packet decoder on a whole batch of untrusted bytes, checked against the
// literal reference decoder of the unit tests: the same packets and photons
// must come out, and no read may leave the batch (it is decoded in place, in
// the fuzzer's exactly sized buffer).
//
// Input: one byte of settings (bit 0 loaded GMs, bit 1 global pixel mapping,
// bits 2-4 the number of GMs modulo 5, bit 5 the photon stream with the store
// off, so the records come out of the stream), one byte per GM (bits 0-2 ID, bit 3
// map local pixels, bits 4-5 readout options), then the batch.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "acquisition/collectedpackets.h"
#include "acquisition/photonstream.h"
#include "acquisition/quorvelpacketdecoder.h"
#include "acquisition/test_decoderreference.h"

using decodertest::RefGM;
using decodertest::RefPacket;

namespace {

[[noreturn]] void Mismatch(const char* a_What, size_t a_Packet)
{
    std::fprintf(stderr, "decoder and reference differ: %s (packet %zu)\n", a_What, a_Packet);
    std::abort();
}

void Compare(const std::vector<RefPacket>& a_Expected, int a_Returned)
{
    size_t packet = 0;
    if (const char* difference = decodertest::FirstDifference(decodertest::StoredPackets(), a_Expected, &packet))
        Mismatch(difference, packet);
    CollectedPackets* store = CollectedPackets::GetInstance();
    auto lock = store->AccessLock();
    if (a_Returned != static_cast<int>(store->GetPackets().size()))
        Mismatch("returned packet count", store->GetPackets().size());
    qint64 photons = 0;
    for (const RefPacket& packet : a_Expected)
        photons += static_cast<qint64>(packet.m_Photons.size());
    if (store->GetNoOfPhotons() != photons)
        Mismatch("stored photon total", a_Expected.size());
    store->Clear();
}

// With the store off, the stream's records must be the reference's photons,
// numbered from 1 in packet order.
void CompareStream(const std::vector<RefPacket>& a_Expected, int a_Returned)
{
    PhotonStream& stream = PhotonStream::Instance();
    stream.EndCollection();
    std::vector<PhotonRecord> records(1024);
    std::vector<PhotonRecord> all;
    for (;;) {
        const qint64 read = stream.Read(records.data(), static_cast<qint64>(records.size()), 0);
        if (read <= 0)
            break;
        all.insert(all.end(), records.begin(), records.begin() + read);
    }
    if (a_Returned != static_cast<int>(a_Expected.size()))
        Mismatch("returned packet count", a_Expected.size());
    size_t next = 0;
    for (size_t packet = 0; packet < a_Expected.size(); ++packet) {
        const RefPacket& expected = a_Expected[packet];
        for (const Photon& photon : expected.m_Photons) {
            if (next >= all.size())
                Mismatch("streamed photon count", packet);
            const PhotonRecord& record = all[next++];
            if (record.packetNo != packet + 1 || record.gmID != expected.m_GMID
                || record.headerWord != expected.m_HeaderWord || record.headerByte != expected.m_HeaderByte
                || record.pixel != static_cast<uint16_t>(photon.m_Pixel) || record.energy != photon.m_Energy
                || record.timeDetect != photon.m_TimeDetect || record.positiveEnergy != photon.m_PositiveEnergy
                || record.positiveTimeDetect != photon.m_PositiveTimeDetect)
                Mismatch("streamed record", packet);
        }
    }
    if (next != all.size())
        Mismatch("streamed photon count", a_Expected.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* a_pData, size_t a_Size)
{
    static QuorvelPacketDecoder* decoder = new QuorvelPacketDecoder;
    if (a_Size < 1)
        return 0;
    const bool loaded = a_pData[0] & 1;
    const bool global = a_pData[0] & 2;
    const size_t noOfGMs = ((a_pData[0] >> 2) & 7) % 5;
    if (a_Size < 1 + noOfGMs)
        return 0;
    std::vector<RefGM> gms;
    for (size_t index = 0; index < noOfGMs; ++index) {
        const uint8_t byte = a_pData[1 + index];
        gms.push_back(RefGM{byte & 7, byte & 8, (byte >> 4) & 3});
    }
    if (!decodertest::InstallGMs(gms, loaded))
        std::abort();
    decoder->OnPixelMappingModeChanged(global ? PIXEL_MAPPING_MODE_GLOBAL : PIXEL_MAPPING_MODE_LOCAL);

    const auto* batch = reinterpret_cast<const char*>(a_pData + 1 + noOfGMs);
    const qint64 bytes = static_cast<qint64>(a_Size - 1 - noOfGMs);
    const bool streamed = a_pData[0] & 32;
    if (streamed) {
        PhotonStream& stream = PhotonStream::Instance();
        if (!stream.IsEnabled() && !stream.Enable(PhotonStream::MAX_CAPACITY >> 8))
            std::abort();
        stream.SetStorePhotons(false);
        stream.BeginCollection();
        decoder->RestartPacketNumbers();
    }
    const int returned = decoder->Decode(batch, bytes);
    const QByteArray copy(batch, static_cast<int>(bytes));
    const std::vector<RefPacket> expected = decodertest::ReferenceDecode(copy, gms, loaded, global ? 1 : 2);
    if (streamed) {
        PhotonStream::Instance().SetStorePhotons(true);
        CompareStream(expected, returned);
    } else {
        Compare(expected, returned);
    }
    return 0;
}
