// The bounded queue through which decoded photons leave the library while a
// collection runs. One producer (the decoder's thread) and any number of
// reader threads; every function takes the queue's own lock.
//
// Collections are kept apart in the queue: each end of a collection marks a
// boundary, a read never crosses one, and a reader that reaches it is told the
// collection ended. A reader that keeps reading loses nothing: the producer
// waits for room. Only a reader that took nothing for the stall time-out is
// taken as gone; what does not fit is then dropped and counted, so the
// decoder (and with it the camera's data) never stalls behind a dead reader.
#ifndef QUORVEL_PHOTONSTREAM_H
#define QUORVEL_PHOTONSTREAM_H

#include <QtGlobal>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

#include "quorveldll.h"

class PhotonStream
{
public:
    static constexpr qint64 DEFAULT_CAPACITY = 4 * 1024 * 1024;
    static constexpr qint64 MIN_CAPACITY = 1024;
    static constexpr qint64 MAX_CAPACITY = qint64(1) << 28;
    static constexpr int DEFAULT_STALL_TIMEOUT_MS = 1000;

    // Lives as long as the process, so a reader blocked at Close is never
    // left waiting on a destroyed queue.
    static PhotonStream& Instance();

    // Enables the stream with room for a_Capacity photons (0: the default),
    // dropping whatever an earlier stream still held. False for a capacity
    // out of range, or if the memory cannot be had.
    bool Enable(qint64 a_Capacity);
    // Disables it: waiting readers return PHOTON_STREAM_CLOSED.
    void Disable();
    bool IsEnabled() const;
    void SetStorePhotons(bool a_Store);
    bool IsStoringPhotons() const;

    // Producer side. BeginCollection opens a collection (if enabled);
    // EndCollection closes an open one with a boundary. Close (the library's)
    // ends the collection and disables the stream, but what was queued can
    // still be read; Disable drops it.
    void BeginCollection();
    // Ends collection a_Generation (see Generation) if it is still open, so a
    // late end meant for an earlier collection cannot end a newer one.
    void EndCollection(quint64 a_Generation);
    void EndCollection() { EndCollection(Generation()); }
    // The number of the collection last begun.
    quint64 Generation() const;
    void Close();
    // True while photons of an open collection are taken.
    bool IsCollecting() const;
    // Queues a_Count records of a_NoOfPackets packets; returns how many were
    // queued (the rest was dropped and counted).
    qint64 Push(const PhotonRecord* a_pRecords, qint64 a_Count, qint64 a_NoOfPackets);
    // Photons dropped so far (for the loss report; any thread).
    qint64 GetDroppedPhotons() const;

    // Reader side: see QuorvelDll::ReadPhotons.
    qint64 Read(PhotonRecord* a_pRecords, qint64 a_Capacity, int a_TimeoutMs);
    PhotonStreamCounters GetCounters() const;

    void SetStallTimeout(int a_Ms);

    PhotonStream(const PhotonStream&) = delete;
    PhotonStream& operator=(const PhotonStream&) = delete;

private:
    PhotonStream() = default;

    qint64 Queued() const { return static_cast<qint64>(m_Written - m_Read); }
    void CopyIn(const PhotonRecord* a_pRecords, qint64 a_Count);
    void CopyOut(PhotonRecord* a_pRecords, qint64 a_Count);

    mutable std::mutex m_Lock;
    std::condition_variable m_DataOrEnd;   // readers wait here
    std::condition_variable m_Room;        // the producer waits here
    std::vector<PhotonRecord> m_Ring;
    quint64 m_Written = 0;                 // records ever queued
    quint64 m_Read = 0;                    // records ever read
    std::deque<quint64> m_Boundaries;      // m_Written at each collection's end
    bool m_Enabled = false;
    bool m_Collecting = false;
    quint64 m_Generation = 0;
    bool m_StorePhotons = true;
    int m_StallTimeoutMs = DEFAULT_STALL_TIMEOUT_MS;
    bool m_ReaderGone = false;             // the last wait for room timed out
    quint64 m_Packets = 0;
    quint64 m_DroppedPhotons = 0;
};

#endif // QUORVEL_PHOTONSTREAM_H
