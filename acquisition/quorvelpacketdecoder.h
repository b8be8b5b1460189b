// Turns batches of raw datagram bytes into packets and photons in the packet
// store. Lives on the decoder thread; DecodeReadBuffer runs once per batch.
#ifndef QUORVEL_QUORVELPACKETDECODER_H
#define QUORVEL_QUORVELPACKETDECODER_H

#include <QObject>

#include <array>
#include <vector>

#include "acquisition/packetframer.h"
#include "acquisition/lossreport.h"
#include "acquisition/photon.h"
#include "acquisition/pixelmap.h"
#include "quorveldll.h"

class CollectedPackets;
class PhotonStream;

class QuorvelPacketDecoder : public QObject
{
    Q_OBJECT

public:
    QuorvelPacketDecoder();

    // Decodes a_Bytes bytes, storing every packet found (unless the photon
    // stream keeps them out of the store) and queueing its photons on the
    // stream while it takes a collection; returns how many packets.
    // Takes the GammaModules lock and the CollectedPackets lock itself; the
    // caller holds whatever guards a_pData.
    int Decode(const char* a_pData, qint64 a_Bytes);
    // Numbers the next packet 1; with the ReadBuffer lock held (no pass runs).
    void RestartPacketNumbers();

    PixelMappingMode GetPixelMappingMode() const;
    // Packets that were found but could not be stored for lack of memory.
    qint64 GetNoOfPacketsLost() const;

signals:
    void decodingPackets();
    // A sys status text: photons the stream had to drop.
    void streamLoss(const QString& a_Text);
    void packetsDecoded(int a_NoOfPackets);

public slots:
    // Decodes the batch pending in the ReadBuffer. Its length is the buffer's
    // own hand-over count, never more than the buffer holds; a_ReadBufferSize
    // (the count the data worker announced) is not trusted for it, since a
    // stale signal must neither read past the batch nor cut a later one short.
    void DecodeReadBuffer(qint64 a_ReadBufferSize);
    void OnPixelMappingModeChanged(PixelMappingMode a_PixelMapMode);

private:
    // How the packets of one GM byte are read during a pass.
    struct GMView
    {
        bool m_NegativeEnable = false;
        const PixelMap::ChannelTable* m_pPixels = nullptr;
    };

    void TakeGMSnapshot();
    // Decodes one packet into the store (a_pStore), queueing its records for
    // the stream if a_Streaming, or without a store straight into the
    // stream's records; false if it could not be kept.
    bool DecodeFrame(const uchar* a_pData, const PacketFramer::Frame& a_Frame, CollectedPackets* a_pStore,
                     bool a_Streaming);
    static PhotonRecord PacketRecordTemplate(quint32 a_PacketNo, const uchar* a_pPacket);
    void QueueRecords(const uchar* a_pPacket, const Photon* a_pPhotons, int a_Count);
    void FlushRecords(PhotonStream& a_Stream);

    int m_NoOfPacketsDecoded = 0;
    PixelMappingMode m_PixelMappingMode = PIXEL_MAPPING_MODE_LOCAL;
    qint64 m_NoOfPacketsLost = 0;
    quint32 m_PacketNo = 0;                  // of the last packet in this collection

    std::vector<PhotonRecord> m_Records;     // the first m_RecordCount wait to be queued on the stream
    size_t m_RecordCount = 0;
    qint64 m_PacketsInRecords = 0;
    LossReport m_StreamLossReport{"Stream overflow: %1 photons dropped, the reader did not keep up (total: %2)"};

    PacketFramer m_Framer;
    PacketFramer::RecordSizes m_RecordSizes{};
    std::array<GMView, 256> m_GMViews{};
    PixelMap::ChannelTable m_ChannelPixels{};             // the channel byte itself
    std::array<PixelMap::ChannelTable, 5> m_GlobalPixels{};  // per GM ID 0 to 4
};

#endif // QUORVEL_QUORVELPACKETDECODER_H
