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

// Writes one decoded photon into the store's form or the stream's record.
inline void Assign(Photon& a_Out, short a_Pixel, quint16 a_Energy, quint8 a_PositiveEnergy, quint16 a_TimeDetect,
                   quint8 a_PositiveTimeDetect)
{
    a_Out.m_Pixel = a_Pixel;
    a_Out.m_Energy = a_Energy;
    a_Out.m_PositiveEnergy = a_PositiveEnergy;
    a_Out.m_TimeDetect = a_TimeDetect;
    a_Out.m_PositiveTimeDetect = a_PositiveTimeDetect;
}

inline void Assign(PhotonRecord& a_Out, short a_Pixel, quint16 a_Energy, quint8 a_PositiveEnergy,
                   quint16 a_TimeDetect, quint8 a_PositiveTimeDetect)
{
    a_Out.pixel = static_cast<uint16_t>(a_Pixel);
    a_Out.energy = a_Energy;
    a_Out.positiveEnergy = a_PositiveEnergy;
    a_Out.timeDetect = a_TimeDetect;
    a_Out.positiveTimeDetect = a_PositiveTimeDetect;
}

// Decodes a_Count records into a_pOut (room for a_Count photons), each
// starting as a copy of a_Template; photons of channels without a pixel are
// written over by the next one. Returns the number of photons kept.
template <int RecordSize, typename Out>
int DecodeRecords(const uchar* a_pRecords, int a_Count, bool a_NegativeEnable,
                  const PixelMap::ChannelTable& a_Pixels, const Out& a_Template, Out* a_pOut)
{
    int kept = 0;
    const uchar* record = a_pRecords;
    for (int index = 0; index < a_Count; ++index, record += RecordSize) {
        Out& out = a_pOut[kept];
        out = a_Template;
        const short pixel = a_Pixels[record[0]];

        // Without negative enable, bit 0x20 belongs to the energy value.
        const uchar energyHigh = record[1];
        const bool negativeEnergy = a_NegativeEnable && (energyHigh & photonNegEnergyBit);
        const uchar energyFlag = negativeEnergy ? photonNegEnergyBit : photonPosEnergyBit;
        const auto energy = static_cast<quint16>(((energyHigh & ~energyFlag) & 0xFF) << 8 | record[2]);

        quint16 time = 0;
        bool positiveTime = false;
        if (RecordSize == 5) {
            const uchar timeHigh = record[3];
            const bool negativeTime = a_NegativeEnable && (timeHigh & photonNegTimeDetectBit);
            const uchar timeFlag = negativeTime ? photonNegTimeDetectBit : photonPosTimeDetectBit;
            time = static_cast<quint16>(((timeHigh & ~timeFlag) & 0xFF) << 8 | record[4]);
            positiveTime = !negativeTime;
        }
        Assign(out, pixel, energy, negativeEnergy ? 0 : 1, time, positiveTime ? 1 : 0);
        kept += pixel != PixelMap::NO_PIXEL ? 1 : 0;
    }
    return kept;
}

template <typename Out>
int DecodeFrameRecords(const uchar* a_pRecords, const PacketFramer::Frame& a_Frame, bool a_NegativeEnable,
                       const PixelMap::ChannelTable& a_Pixels, const Out& a_Template, Out* a_pOut)
{
    return a_Frame.m_RecordSize == 5
        ? DecodeRecords<5>(a_pRecords, a_Frame.m_NoOfRecords, a_NegativeEnable, a_Pixels, a_Template, a_pOut)
        : DecodeRecords<3>(a_pRecords, a_Frame.m_NoOfRecords, a_NegativeEnable, a_Pixels, a_Template, a_pOut);
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

bool QuorvelPacketDecoder::DecodeFrame(const uchar* a_pData, const PacketFramer::Frame& a_Frame,
                                       CollectedPackets* a_pStore, bool a_Streaming)
{
    const uchar* packet = a_pData + a_Frame.m_Start;
    const uchar* records = packet + PacketFramer::HEADER_BYTES;
    const quint8 gmID = packet[2];
    const auto headerWord = static_cast<quint16>(packet[3] << 8 | packet[4]);
    const GMView& view = m_GMViews[gmID];
    if (!a_pStore) {
        // Straight into the stream's records; outside a collection, and with
        // the store off, a packet has nowhere to go.
        if (!a_Streaming)
            return false;
        const size_t first = m_RecordCount;
        if (m_Records.size() < first + static_cast<size_t>(a_Frame.m_NoOfRecords))
            m_Records.resize(first + static_cast<size_t>(a_Frame.m_NoOfRecords));
        const PhotonRecord record = PacketRecordTemplate(m_PacketNo + 1, packet);
        m_RecordCount += static_cast<size_t>(
            DecodeFrameRecords(records, a_Frame, view.m_NegativeEnable, *view.m_pPixels, record, &m_Records[first]));
        ++m_PacketsInRecords;
        ++m_PacketNo;
        return true;
    }
    Photon* room = a_pStore->AddPacket(gmID, headerWord, packet[5], a_Frame.m_NoOfRecords);
    if (!room) {
        ++m_NoOfPacketsLost;
        return false;
    }
    const int kept = DecodeFrameRecords(records, a_Frame, view.m_NegativeEnable, *view.m_pPixels, Photon{}, room);
    a_pStore->CommitPhotons(kept);
    ++m_PacketNo;
    if (a_Streaming)
        QueueRecords(packet, room, kept);
    return true;
}

PhotonRecord QuorvelPacketDecoder::PacketRecordTemplate(quint32 a_PacketNo, const uchar* a_pPacket)
{
    PhotonRecord record{};
    record.packetNo = a_PacketNo;
    record.headerWord = static_cast<uint16_t>(a_pPacket[3] << 8 | a_pPacket[4]);
    record.gmID = a_pPacket[2];
    record.headerByte = a_pPacket[5];
    return record;
}

void QuorvelPacketDecoder::QueueRecords(const uchar* a_pPacket, const Photon* a_pPhotons, int a_Count)
{
    const PhotonRecord record = PacketRecordTemplate(m_PacketNo, a_pPacket);
    const size_t first = m_RecordCount;
    if (m_Records.size() < first + static_cast<size_t>(a_Count))
        m_Records.resize(first + static_cast<size_t>(a_Count));
    PhotonRecord* out = m_Records.data() + first;
    for (int index = 0; index < a_Count; ++index) {
        out[index] = record;
        a_pPhotons[index].FillRecord(out[index]);
    }
    m_RecordCount += static_cast<size_t>(a_Count);
    ++m_PacketsInRecords;
}

void QuorvelPacketDecoder::FlushRecords(PhotonStream& a_Stream)
{
    if (m_PacketsInRecords == 0)
        return;
    a_Stream.Push(m_Records.data(), static_cast<qint64>(m_RecordCount), m_PacketsInRecords);
    m_RecordCount = 0;
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
        if (DecodeFrame(data, frame, store, streaming))
            ++stored;
        if (store && frame.m_End >= sliceEnd)
            storeLock.unlock();
        if (streaming && !storeLock.owns_lock() && m_RecordCount >= STREAM_BLOCK_RECORDS)
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
