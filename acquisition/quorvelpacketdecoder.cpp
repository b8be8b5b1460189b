#include "acquisition/quorvelpacketdecoder.h"

#include <mutex>

#include "acquisition/collectedpackets.h"
#include "acquisition/photon.h"
#include "acquisition/photonstream.h"
#include "acquisition/readbuffer.h"
#include "gammamodule/gammamodules.h"

namespace {

// The store's lock is released after this many bytes of a batch, so queries
// and saves are not held up by a large batch.
constexpr qint64 STORE_LOCK_SLICE_BYTES = 256 * 1024;
// Records are handed to the stream in blocks of about this many.
constexpr size_t STREAM_BLOCK_RECORDS = 32 * 1024;

// Decodes a_Count records into a_pOut (room for a_Count photons); photons of
// channels without a pixel are written over by the next one. Returns the
// number of photons kept.
template <int RecordSize>
int DecodeRecords(const uchar* a_pRecords, int a_Count, bool a_NegativeEnable,
                  const PixelMap::ChannelTable& a_Pixels, Photon* a_pOut)
{
    int kept = 0;
    const uchar* record = a_pRecords;
    for (int index = 0; index < a_Count; ++index, record += RecordSize) {
        Photon& photon = a_pOut[kept];
        const short pixel = a_Pixels[record[0]];
        photon.m_Pixel = pixel;

        // Without negative enable, bit 0x20 belongs to the energy value.
        const uchar energyHigh = record[1];
        const bool negativeEnergy = a_NegativeEnable && (energyHigh & photonNegEnergyBit);
        const uchar energyFlag = negativeEnergy ? photonNegEnergyBit : photonPosEnergyBit;
        photon.m_Energy = static_cast<quint16>(((energyHigh & ~energyFlag) & 0xFF) << 8 | record[2]);
        photon.m_PositiveEnergy = negativeEnergy ? 0 : 1;

        if (RecordSize == 5) {
            const uchar timeHigh = record[3];
            const bool negativeTime = a_NegativeEnable && (timeHigh & photonNegTimeDetectBit);
            const uchar timeFlag = negativeTime ? photonNegTimeDetectBit : photonPosTimeDetectBit;
            photon.m_TimeDetect = static_cast<quint16>(((timeHigh & ~timeFlag) & 0xFF) << 8 | record[4]);
            photon.m_PositiveTimeDetect = negativeTime ? 0 : 1;
        } else {
            photon.m_TimeDetect = 0;
            photon.m_PositiveTimeDetect = 0;
        }
        kept += pixel != PixelMap::NO_PIXEL ? 1 : 0;
    }
    return kept;
}

} // namespace

QuorvelPacketDecoder::QuorvelPacketDecoder()
{
    qRegisterMetaType<PixelMappingMode>("PixelMappingMode");
    for (int channel = 0; channel < PixelMap::NO_OF_CHANNEL_BYTES; ++channel)
        m_ChannelPixels[static_cast<size_t>(channel)] = static_cast<short>(channel);
    for (size_t id = 0; id < m_GlobalPixels.size(); ++id)
        m_GlobalPixels[id] = PixelMap::GlobalPixelTable(static_cast<int>(id));
}

PixelMappingMode QuorvelPacketDecoder::GetPixelMappingMode() const
{
    return m_PixelMappingMode;
}

qint64 QuorvelPacketDecoder::GetNoOfPacketsLost() const
{
    return m_NoOfPacketsLost;
}

void QuorvelPacketDecoder::OnPixelMappingModeChanged(PixelMappingMode a_PixelMapMode)
{
    m_PixelMappingMode = a_PixelMapMode;
}

// The GM settings are read once per pass, under the GammaModules lock, so they
// cannot change while the batch is interpreted.
void QuorvelPacketDecoder::TakeGMSnapshot()
{
    m_RecordSizes.fill(0);
    GammaModules* gms = GammaModules::GetInstance();
    auto lock = gms->AccessLock();
    const GammaModulesType type = gms->GetActiveType();
    const int firstID = type == GAMMA_MODULES_TYPE_LOADED ? 0 : 1;
    for (int id = firstID; id < firstID + 4; ++id) {
        // Unknown IDs fall back to the last GM of the list; an empty list lets none pass.
        const GammaModule* gm = gms->GetGM(type, id);
        if (!gm)
            return;
        m_RecordSizes[static_cast<size_t>(id)] = gm->HasTimeDetect() ? 5 : 3;
        GMView& view = m_GMViews[static_cast<size_t>(id)];
        view.m_NegativeEnable = gm->HasNegativeEnergies();
        if (m_PixelMappingMode == PIXEL_MAPPING_MODE_LOCAL) {
            view.m_pPixels = gm->MapsLocalPixels() ? &PixelMap::GM_PIXEL_OF_CHANNEL : &m_ChannelPixels;
        } else {
            view.m_pPixels = &m_GlobalPixels[static_cast<size_t>(id)];
        }
    }
}

void QuorvelPacketDecoder::RestartPacketNumbers()
{
    m_PacketNo = 0;
}

const Photon* QuorvelPacketDecoder::DecodeFrame(const uchar* a_pData, const PacketFramer::Frame& a_Frame,
                                                CollectedPackets* a_pStore, int* a_pKept)
{
    const uchar* packet = a_pData + a_Frame.m_Start;
    const quint8 gmID = packet[2];
    Photon* room;
    if (a_pStore) {
        const auto headerWord = static_cast<quint16>(packet[3] << 8 | packet[4]);
        room = a_pStore->AddPacket(gmID, headerWord, packet[5], a_Frame.m_NoOfRecords);
        if (!room) {
            ++m_NoOfPacketsLost;
            return nullptr;
        }
    } else {
        if (m_Scratch.size() < static_cast<size_t>(a_Frame.m_NoOfRecords))
            m_Scratch.resize(static_cast<size_t>(a_Frame.m_NoOfRecords));
        room = m_Scratch.data();
    }
    const GMView& view = m_GMViews[gmID];
    const uchar* records = packet + PacketFramer::HEADER_BYTES;
    *a_pKept = a_Frame.m_RecordSize == 5
        ? DecodeRecords<5>(records, a_Frame.m_NoOfRecords, view.m_NegativeEnable, *view.m_pPixels, room)
        : DecodeRecords<3>(records, a_Frame.m_NoOfRecords, view.m_NegativeEnable, *view.m_pPixels, room);
    if (a_pStore)
        a_pStore->CommitPhotons(*a_pKept);
    ++m_PacketNo;
    return room;
}

void QuorvelPacketDecoder::QueueRecords(const uchar* a_pPacket, const Photon* a_pPhotons, int a_Count)
{
    PhotonRecord record{};
    record.packetNo = m_PacketNo;
    record.headerWord = static_cast<uint16_t>(a_pPacket[3] << 8 | a_pPacket[4]);
    record.gmID = a_pPacket[2];
    record.headerByte = a_pPacket[5];
    const size_t first = m_Records.size();
    m_Records.resize(first + static_cast<size_t>(a_Count), record);
    PhotonRecord* out = m_Records.data() + first;
    for (int index = 0; index < a_Count; ++index) {
        const Photon& photon = a_pPhotons[index];
        out[index].pixel = static_cast<uint16_t>(photon.m_Pixel);
        out[index].energy = photon.m_Energy;
        out[index].timeDetect = photon.m_TimeDetect;
        out[index].positiveEnergy = photon.m_PositiveEnergy;
        out[index].positiveTimeDetect = photon.m_PositiveTimeDetect;
    }
    ++m_PacketsInRecords;
}

void QuorvelPacketDecoder::FlushRecords(PhotonStream& a_Stream)
{
    if (m_PacketsInRecords == 0)
        return;
    a_Stream.Push(m_Records.data(), static_cast<qint64>(m_Records.size()), m_PacketsInRecords);
    m_Records.clear();
    m_PacketsInRecords = 0;
    const QString text = m_StreamLossReport.Take(a_Stream.GetDroppedPhotons(), false);
    if (!text.isNull())
        emit streamLoss(text);
}

int QuorvelPacketDecoder::Decode(const char* a_pData, qint64 a_Bytes)
{
    if (!a_pData || a_Bytes <= 0)
        return 0;
    TakeGMSnapshot();
    const auto* data = reinterpret_cast<const uchar*>(a_pData);
    m_Framer.Begin(data, a_Bytes, m_RecordSizes);

    PhotonStream& stream = PhotonStream::Instance();
    const bool streaming = stream.IsCollecting();
    CollectedPackets* store = stream.IsStoringPhotons() ? CollectedPackets::GetInstance() : nullptr;
    // The stream is fed only between slices of the store's lock: a reader
    // that is slow to make room must not hold up the client's queries.
    std::unique_lock<std::mutex> storeLock;
    qint64 sliceEnd = 0;
    int stored = 0;
    PacketFramer::Frame frame;
    while (m_Framer.Next(&frame)) {
        if (store && !storeLock.owns_lock()) {
            storeLock = store->AccessLock();
            sliceEnd = frame.m_Start + STORE_LOCK_SLICE_BYTES;
        }
        int kept = 0;
        const Photon* photons = DecodeFrame(data, frame, store, &kept);
        if (photons) {
            ++stored;
            if (streaming)
                QueueRecords(data + frame.m_Start, photons, kept);
        }
        if (store && frame.m_End >= sliceEnd)
            storeLock.unlock();
        if (streaming && !storeLock.owns_lock() && m_Records.size() >= STREAM_BLOCK_RECORDS)
            FlushRecords(stream);
    }
    if (storeLock.owns_lock())
        storeLock.unlock();
    if (streaming)
        FlushRecords(stream);
    m_NoOfPacketsDecoded += stored;
    return stored;
}

void QuorvelPacketDecoder::DecodeReadBuffer(qint64 a_ReadBufferSize)
{
    Q_UNUSED(a_ReadBufferSize)
    m_NoOfPacketsDecoded = 0;
    ReadBuffer* buffer = ReadBuffer::GetInstance();
    auto lock = buffer->AccessLock();
    emit decodingPackets();
    const qint64 bytes = buffer->TakeBatch();
    if (bytes > 0)
        Decode(buffer->GetBuffer(), bytes);
    emit packetsDecoded(m_NoOfPacketsDecoded);
}
