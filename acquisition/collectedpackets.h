// The process-wide store of decoded packets, behind one non-recursive lock.
//
// Packets are held by value (16 bytes each) and their photons by value in an
// arena of large chunks (8 bytes each), so a packet costs no heap object of
// its own and a photon none either. A Packet's photon view stays valid until
// the store is cleared.
//
// Locking: AccessLock() returns a held lock; hold it around every use of the
// functions marked "lock held" and of the packets they expose. The functions
// marked "takes the lock" must be called without it. Lock order for the whole
// library: ReadBuffer, then GammaModules, then CollectedPackets.
#ifndef QUORVEL_COLLECTEDPACKETS_H
#define QUORVEL_COLLECTEDPACKETS_H

#include <QString>

#include <atomic>
#include <cstddef>
#include <deque>
#include <mutex>
#include <vector>

#include "acquisition/packet.h"
#include "acquisition/photon.h"
#include "quorveldll.h"

class CollectedPackets
{
public:
    static CollectedPackets* GetInstance();
    static void DeleteInstance();

    [[nodiscard]] std::unique_lock<std::mutex> AccessLock();

    // --- lock held ---------------------------------------------------------
    int GetSize() const;
    qint64 GetNoOfPhotons() const;
    // 0-based; null outside the store.
    const Packet* GetPacket(int a_Index) const;
    const std::deque<Packet>& GetPackets() const;

    // Appends a packet with room for up to a_MaxPhotons photons and returns
    // that room; CommitPhotons then says how many of them were filled. Null,
    // with nothing appended, if the memory for the photons cannot be had.
    Photon* AddPacket(quint8 a_GMID, quint16 a_HeaderWord, quint8 a_HeaderByte, int a_MaxPhotons);
    void CommitPhotons(int a_Count);
    // Appends a packet with a copy of its photons; false (nothing appended)
    // if memory ran out.
    bool AddPacket(quint8 a_GMID, quint16 a_HeaderWord, quint8 a_HeaderByte,
                   const Photon* a_pPhotons, int a_Count);
    // Appends one photon to the last packet; false if there is no packet or
    // memory ran out.
    bool AddPhoton(const Photon& a_Photon);

    // Drops every packet and photon. A few arena chunks are kept for the next
    // collection, which starts right after a clear.
    void Clear();

    // --- takes the lock ----------------------------------------------------
    // The client's queries: numbers are 1-based; on failure false with the
    // message in *a_pError, and *a_pValue untouched.
    int GetNoOfCollectedPackets();
    bool GetPacketData(int a_PacketNo, PacketData a_Type, int* a_pValue, QString* a_pError);
    bool GetPhotonData(int a_PacketNo, int a_PhotonNo, PhotonData a_Type, int* a_pValue,
                       QString* a_pError);
    // Bulk reads of packets a_First..a_Last (1-based, inclusive): -1 with the
    // message in *a_pError for a bad range, a null buffer or one too small.
    qint64 GetNoOfPhotonsInPackets(int a_First, int a_Last, QString* a_pError);
    qint64 ReadPhotonRecords(int a_First, int a_Last, PhotonRecord* a_pRecords, qint64 a_Capacity,
                             QString* a_pError);
    qint64 ReadPacketRecords(int a_First, int a_Last, PacketRecord* a_pRecords, qint64 a_Capacity,
                             QString* a_pError);
    // "Packets decoded : n (Total: t)" with the store's size t.
    QString PacketsDecodedText(int a_NoOfPackets);

    // Status texts of the controller around clearing and decoding.
    static QString ClearingPacketsText();
    static QString PacketsClearedText();
    static QString DecodingPacketsText();

    CollectedPackets(const CollectedPackets&) = delete;
    CollectedPackets& operator=(const CollectedPackets&) = delete;

private:
    struct Chunk
    {
        Photon* m_pPhotons = nullptr;
        size_t m_Capacity = 0;   // photons
        size_t m_Used = 0;
    };

    CollectedPackets() = default;
    ~CollectedPackets();

    Photon* ReserveForLastPacket(size_t a_Count);
    // Lock held: checks a bulk read's range; false with the message set.
    bool CheckRange(int a_First, int a_Last, QString* a_pError) const;
    qint64 PhotonsInRange(int a_First, int a_Last) const;
    bool NewChunk(size_t a_MinPhotons);

    static std::atomic<CollectedPackets*> m_pInstance;
    static std::mutex m_InstanceLock;

    std::deque<Packet> m_Packets;
    std::vector<Chunk> m_Chunks;        // the last one is being filled
    std::vector<Chunk> m_SpareChunks;   // emptied by Clear, reused first
    qint64 m_NoOfPhotons = 0;
    std::mutex m_Lock;
};

#endif // QUORVEL_COLLECTEDPACKETS_H
