#include "acquisition/quorvelpacketdecoder.h"

#include <mutex>

#include "acquisition/collectedpackets.h"
#include "acquisition/photon.h"
#include "acquisition/readbuffer.h"
#include "gammamodule/gammamodules.h"

namespace {

// The store's lock is released after this many bytes of a batch, so queries
// and saves are not held up by a large batch.
constexpr qint64 STORE_LOCK_SLICE_BYTES = 256 * 1024;

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

bool QuorvelPacketDecoder::StoreFrame(const uchar* a_pData, const PacketFramer::Frame& a_Frame,
                                      CollectedPackets* a_pStore)
{
    const uchar* packet = a_pData + a_Frame.m_Start;
    const quint8 gmID = packet[2];
    const auto headerWord = static_cast<quint16>(packet[3] << 8 | packet[4]);
    Photon* room = a_pStore->AddPacket(gmID, headerWord, packet[5], a_Frame.m_NoOfRecords);
    if (!room) {
        ++m_NoOfPacketsLost;
        return false;
    }
    const GMView& view = m_GMViews[gmID];
    const uchar* records = packet + PacketFramer::HEADER_BYTES;
    const int kept = a_Frame.m_RecordSize == 5
        ? DecodeRecords<5>(records, a_Frame.m_NoOfRecords, view.m_NegativeEnable, *view.m_pPixels, room)
        : DecodeRecords<3>(records, a_Frame.m_NoOfRecords, view.m_NegativeEnable, *view.m_pPixels, room);
    a_pStore->CommitPhotons(kept);
    return true;
}

int QuorvelPacketDecoder::Decode(const char* a_pData, qint64 a_Bytes)
{
    if (!a_pData || a_Bytes <= 0)
        return 0;
    TakeGMSnapshot();
    const auto* data = reinterpret_cast<const uchar*>(a_pData);
    m_Framer.Begin(data, a_Bytes, m_RecordSizes);

    CollectedPackets* store = CollectedPackets::GetInstance();
    std::unique_lock<std::mutex> storeLock;
    qint64 sliceEnd = 0;
    int stored = 0;
    PacketFramer::Frame frame;
    while (m_Framer.Next(&frame)) {
        if (!storeLock.owns_lock()) {
            storeLock = store->AccessLock();
            sliceEnd = frame.m_Start + STORE_LOCK_SLICE_BYTES;
        }
        if (StoreFrame(data, frame, store))
            ++stored;
        if (frame.m_End >= sliceEnd)
            storeLock.unlock();
    }
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
