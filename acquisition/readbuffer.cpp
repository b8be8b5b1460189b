#include "acquisition/readbuffer.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>

ReadBuffer* ReadBuffer::m_pInstance = nullptr;

namespace {
// The producer re-checks its deadline at this interval while it waits.
constexpr auto WAIT_SLICE = std::chrono::milliseconds(10);
}

ReadBuffer::ReadBuffer()
{
    if (Reallocate(DEFAULT_SIZE))
        m_Size = DEFAULT_SIZE;
}

ReadBuffer* ReadBuffer::GetInstance()
{
    if (!m_pInstance)
        m_pInstance = new ReadBuffer();
    return m_pInstance;
}

void ReadBuffer::DeleteInstance()
{
    delete m_pInstance;
    m_pInstance = nullptr;
}

std::unique_lock<std::mutex> ReadBuffer::AccessLock()
{
    return std::unique_lock<std::mutex>(m_Lock);
}

bool ReadBuffer::Reallocate(qint64 a_Allocation)
{
    if (a_Allocation <= 0)
        return false;
    if (a_Allocation == m_Allocated)
        return true;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[static_cast<size_t>(a_Allocation)]);
    if (!buffer)
        return false;
    const qint64 kept = std::min(m_Allocated, a_Allocation);
    if (kept > 0)
        std::memcpy(buffer.get(), m_pBuffer.get(), static_cast<size_t>(kept));
    if (a_Allocation > kept)
        std::memset(buffer.get() + kept, 0, static_cast<size_t>(a_Allocation - kept));
    m_pBuffer = std::move(buffer);
    m_Allocated = a_Allocation;
    return true;
}

bool ReadBuffer::SetBufferSize(qint64 a_Size)
{
    if (a_Size <= 0)
        return false;
    if (!Reallocate(std::max(a_Size, m_PendingBytes)))
        return false;
    m_Size = a_Size;
    return true;
}

void ReadBuffer::Reset()
{
    if (m_pBuffer)
        std::memset(m_pBuffer.get(), 0, static_cast<size_t>(m_Allocated));
    m_PendingBytes = 0;
    m_BatchTaken.notify_all();
}

char* ReadBuffer::GetBuffer()
{
    return m_pBuffer.get();
}

qint64 ReadBuffer::GetSize() const
{
    return m_Size;
}

qint64 ReadBuffer::GetPendingBytes() const
{
    return m_PendingBytes;
}

qint64 ReadBuffer::TakeBatch()
{
    const qint64 bytes = std::min(m_PendingBytes, m_Allocated);
    m_PendingBytes = 0;
    m_BatchTaken.notify_all();
    return bytes;
}

qint64 ReadBuffer::GetLostBatches() const
{
    return m_LostBatches;
}

qint64 ReadBuffer::GetLostBytes() const
{
    return m_LostBytes;
}

qint64 ReadBuffer::GetStoredBatches() const
{
    return m_StoredBatches;
}

void ReadBuffer::SetHandOverTimeout(int a_Ms)
{
    m_HandOverTimeoutMs = std::max(0, a_Ms);
}

int ReadBuffer::GetHandOverTimeout() const
{
    return m_HandOverTimeoutMs;
}

void ReadBuffer::CountLost(qint64 a_Bytes)
{
    ++m_LostBatches;
    m_LostBytes += a_Bytes;
}

ReadBuffer::StoreResult ReadBuffer::StoreBatch(const char* a_Data, qint64 a_Bytes)
{
    if (a_Bytes <= 0 || !a_Data)
        return StoreResult::Empty;

    std::unique_lock<std::mutex> lock(m_Lock);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_HandOverTimeoutMs);
    while (m_PendingBytes > 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            CountLost(a_Bytes);
            return StoreResult::TimedOut;
        }
        m_BatchTaken.wait_for(lock, WAIT_SLICE);
    }

    // The batch may be larger than the buffer, e.g. after a resize of the data
    // worker that the read buffer did not follow: grow rather than cut it.
    if (a_Bytes > m_Allocated && !Reallocate(a_Bytes)) {
        CountLost(a_Bytes);
        return StoreResult::NoMemory;
    }
    m_Size = std::max(m_Size, a_Bytes);
    std::memcpy(m_pBuffer.get(), a_Data, static_cast<size_t>(a_Bytes));
    m_PendingBytes = a_Bytes;
    ++m_StoredBatches;
    return StoreResult::Stored;
}
