// Finds the data packets in one batch of raw bytes.
//
// A packet is FE 7E, GM byte, header word, header byte, k photon records of r
// bytes, a 16-bit big-endian sum of every byte before it, FD 7F. For each
// header (in order, skipping those inside accepted packets) the packet is
// closed by the nearest footer that leaves a whole number of records, at most
// MAX_RECORDS of them, whose checksum matches and after which the batch ends or
// a header starts; failing that, by the nearest footer that only fits. A
// header that no footer closes is passed over and the scan goes on at the
// next byte.
//
// Work stays linear in hostile input: every footer is indexed once, with the
// prefix sum its header must have (key = sum before the checksum - checksum),
// in queues per position residue modulo 3 and 5. A header then needs only the
// first entry of one queue whose key equals the header's own prefix sum.
// Security: this parses untrusted network bytes; every read is bounded by the
// batch size.
#ifndef QUORVEL_PACKETFRAMER_H
#define QUORVEL_PACKETFRAMER_H

#include <QtGlobal>

#include <array>
#include <vector>

class PacketFramer
{
public:
    static constexpr int MIN_PACKET_BYTES = 10;
    static constexpr int HEADER_BYTES = 6;
    static constexpr int MAX_RECORDS = 256;   // one record per possible channel byte

    // Record size (3 or 5) for each GM byte that can pass, 0 for one that cannot.
    using RecordSizes = std::array<quint8, 256>;

    struct Frame
    {
        qint64 m_Start = 0;        // first header byte
        qint64 m_End = 0;          // second footer byte
        int m_RecordSize = 0;
        int m_NoOfRecords = 0;
    };

    void Begin(const uchar* a_pData, qint64 a_Size, const RecordSizes& a_RecordSizes);
    // The next packet of the batch, in order; false at the end of the batch.
    bool Next(Frame* a_pFrame);

private:
    // Positions and keys in increasing position order; entries before m_Head are spent.
    struct Queue
    {
        std::vector<qint64> m_Positions;
        std::vector<quint16> m_Keys;
        size_t m_Head = 0;

        void Clear();
        void Push(qint64 a_Position, quint16 a_Key);
        void Compact();
    };

    // Footers of one position residue. Counts of the live entries per key let
    // a header whose key is absent pass without a scan. (Live entries lie
    // within a few kilobytes of the header, so a 16-bit count cannot overflow.)
    struct FooterQueue : Queue
    {
        std::vector<quint16> m_KeyCounts;

        void Clear();
        void Push(qint64 a_Position, quint16 a_Key, qint64 a_Floor);
        void DropBefore(qint64 a_Position);
        // Index of the first live entry with this key, or the queue size.
        size_t Find(quint16 a_Key) const;
    };

    // True if the footer at a_Footer is the last thing in the batch or a header follows it.
    bool EndsBeforeAHeader(qint64 a_Footer) const;
    void IndexUpTo(qint64 a_Limit);
    void IndexPair(qint64 a_Position, quint32 a_Sum);
    void IndexFooter(qint64 a_Position, quint32 a_Sum);

    const uchar* m_pData = nullptr;
    qint64 m_Size = 0;
    const RecordSizes* m_pRecordSizes = nullptr;
    qint64 m_Indexed = 0;      // bytes before this position are indexed
    quint32 m_Sum = 0;         // sum of the indexed bytes (low 16 bits count)
    qint64 m_Resume = 0;       // headers before this position are inside accepted packets
    qint64 m_Floor = 0;        // no header still to come can use a footer before this position
    bool m_UseMod3 = false;
    bool m_UseMod5 = false;
    Queue m_Headers;           // key: prefix sum at the header
    std::array<FooterQueue, 3> m_FootersMod3;
    std::array<FooterQueue, 5> m_FootersMod5;
};

#endif // QUORVEL_PACKETFRAMER_H
