// The process-wide buffer through which the data worker hands batches of raw
// datagram bytes to the packet decoder.
#ifndef QUORVEL_READBUFFER_H
#define QUORVEL_READBUFFER_H

#include <QtGlobal>

#include <condition_variable>
#include <memory>
#include <mutex>

// One batch at a time: the data worker stores a batch (StoreBatch) and the
// decoder takes it (TakeBatch). A stored batch is never overwritten before it
// was taken: StoreBatch waits until the previous one is gone, and only after a
// bounded wait drops the new batch and counts it as lost.
//
// Locking: AccessLock() returns a held lock on the buffer's mutex; hold it around
// every use of the functions marked "lock held" and of the bytes they expose.
// StoreBatch takes the lock itself. Lock order for the whole library: ReadBuffer,
// then GammaModules, then CollectedPackets.
class ReadBuffer
{
public:
    static constexpr qint64 DEFAULT_SIZE = 1048576;
    static constexpr int DEFAULT_HAND_OVER_TIMEOUT_MS = 1000;

    enum class StoreResult
    {
        Stored,        // the batch is now pending for the decoder
        Empty,         // nothing to store (0 bytes)
        TimedOut,      // the previous batch was not taken in time: this batch was dropped
        NoMemory       // the buffer could not grow to the batch: this batch was dropped
    };

    static ReadBuffer* GetInstance();
    static void DeleteInstance();

    std::unique_lock<std::mutex> AccessLock();

    // --- lock held ---------------------------------------------------------
    // Sets the nominal size. The allocation never becomes smaller than a batch
    // that is still pending, so a shrink cannot cut a batch short.
    bool SetBufferSize(qint64 a_Size);
    // Zeroes the buffer and discards a batch not yet taken.
    void Reset();
    char* GetBuffer();
    qint64 GetSize() const;
    // Bytes of the batch stored and not yet taken (0 if none).
    qint64 GetPendingBytes() const;
    // Consumer: marks the pending batch as taken and returns its length (0 if
    // none). Its bytes are GetBuffer()[0 .. n) and stay valid while the caller
    // keeps holding the lock; the next batch can be stored once it is released.
    qint64 TakeBatch();
    qint64 GetLostBatches() const;
    qint64 GetLostBytes() const;
    qint64 GetStoredBatches() const;
    void SetHandOverTimeout(int a_Ms);
    int GetHandOverTimeout() const;

    // --- takes the lock itself ----------------------------------------------
    // Producer: waits (in short slices, bounded by the hand-over time-out) until
    // the previous batch was taken, grows the buffer if the batch is larger than
    // it, then copies the batch to the start of the buffer and marks it pending.
    StoreResult StoreBatch(const char* a_Data, qint64 a_Bytes);

    ReadBuffer(const ReadBuffer&) = delete;
    ReadBuffer& operator=(const ReadBuffer&) = delete;

private:
    ReadBuffer();
    ~ReadBuffer() = default;

    bool Reallocate(qint64 a_Allocation);
    void CountLost(qint64 a_Bytes);

    static ReadBuffer* m_pInstance;

    std::unique_ptr<char[]> m_pBuffer;
    qint64 m_Allocated = 0;        // bytes allocated, >= max(m_Size, m_PendingBytes)
    qint64 m_Size = 0;             // nominal size, as set by SetBufferSize
    qint64 m_PendingBytes = 0;
    qint64 m_StoredBatches = 0;
    qint64 m_LostBatches = 0;
    qint64 m_LostBytes = 0;
    int m_HandOverTimeoutMs = DEFAULT_HAND_OVER_TIMEOUT_MS;
    std::mutex m_Lock;
    std::condition_variable m_BatchTaken;
};

#endif
