#include "acquisition/photonstream.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>

PhotonStream& PhotonStream::Instance()
{
    static PhotonStream* const instance = new PhotonStream();
    return *instance;
}

bool PhotonStream::Enable(qint64 a_Capacity)
{
    const qint64 capacity = a_Capacity == 0 ? DEFAULT_CAPACITY : a_Capacity;
    if (capacity < MIN_CAPACITY || capacity > MAX_CAPACITY)
        return false;
    std::vector<PhotonRecord> ring;
    try {
        ring.resize(static_cast<size_t>(capacity));
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::lock_guard<std::mutex> lock(m_Lock);
    m_Ring.swap(ring);
    m_Written = m_Read = 0;
    m_Boundaries.clear();
    m_Enabled = true;
    m_Collecting = false;
    m_ReaderGone = false;
    m_Packets = m_DroppedPhotons = 0;
    m_DataOrEnd.notify_all();
    return true;
}

void PhotonStream::Disable()
{
    std::vector<PhotonRecord> ring;
    std::lock_guard<std::mutex> lock(m_Lock);
    m_Ring.swap(ring);
    m_Written = m_Read = 0;
    m_Boundaries.clear();
    m_Enabled = false;
    m_Collecting = false;
    m_DataOrEnd.notify_all();
    m_Room.notify_all();
}

bool PhotonStream::IsEnabled() const
{
    std::lock_guard<std::mutex> lock(m_Lock);
    return m_Enabled;
}

void PhotonStream::SetStorePhotons(bool a_Store)
{
    std::lock_guard<std::mutex> lock(m_Lock);
    m_StorePhotons = a_Store;
}

bool PhotonStream::IsStoringPhotons() const
{
    std::lock_guard<std::mutex> lock(m_Lock);
    return m_StorePhotons || !m_Enabled;
}

void PhotonStream::BeginCollection()
{
    std::lock_guard<std::mutex> lock(m_Lock);
    ++m_Generation;
    m_Collecting = m_Enabled;
}

quint64 PhotonStream::Generation() const
{
    std::lock_guard<std::mutex> lock(m_Lock);
    return m_Generation;
}

void PhotonStream::EndCollection(quint64 a_Generation)
{
    std::lock_guard<std::mutex> lock(m_Lock);
    if (!m_Collecting || a_Generation != m_Generation)
        return;
    m_Collecting = false;
    m_Boundaries.push_back(m_Written);
    m_DataOrEnd.notify_all();
}

void PhotonStream::Close()
{
    std::lock_guard<std::mutex> lock(m_Lock);
    if (m_Collecting)
        m_Boundaries.push_back(m_Written);
    m_Collecting = false;
    m_Enabled = false;
    m_StorePhotons = true;
    m_DataOrEnd.notify_all();
    m_Room.notify_all();
}

bool PhotonStream::IsCollecting() const
{
    std::lock_guard<std::mutex> lock(m_Lock);
    return m_Collecting;
}

void PhotonStream::CopyIn(const PhotonRecord* a_pRecords, qint64 a_Count)
{
    const auto size = static_cast<quint64>(m_Ring.size());
    const auto start = static_cast<size_t>(m_Written % size);
    const size_t first = std::min(static_cast<size_t>(a_Count), static_cast<size_t>(size) - start);
    std::memcpy(m_Ring.data() + start, a_pRecords, first * sizeof(PhotonRecord));
    std::memcpy(m_Ring.data(), a_pRecords + first, (static_cast<size_t>(a_Count) - first) * sizeof(PhotonRecord));
    m_Written += static_cast<quint64>(a_Count);
}

void PhotonStream::CopyOut(PhotonRecord* a_pRecords, qint64 a_Count)
{
    const auto size = static_cast<quint64>(m_Ring.size());
    const auto start = static_cast<size_t>(m_Read % size);
    const size_t first = std::min(static_cast<size_t>(a_Count), static_cast<size_t>(size) - start);
    std::memcpy(a_pRecords, m_Ring.data() + start, first * sizeof(PhotonRecord));
    std::memcpy(a_pRecords + first, m_Ring.data(), (static_cast<size_t>(a_Count) - first) * sizeof(PhotonRecord));
    m_Read += static_cast<quint64>(a_Count);
}

qint64 PhotonStream::Push(const PhotonRecord* a_pRecords, qint64 a_Count, qint64 a_NoOfPackets)
{
    std::unique_lock<std::mutex> lock(m_Lock);
    if (!m_Collecting)
        return 0;
    m_Packets += static_cast<quint64>(std::max<qint64>(a_NoOfPackets, 0));
    const auto capacity = static_cast<qint64>(m_Ring.size());
    qint64 queued = 0;
    while (queued < a_Count && m_Collecting) {
        const qint64 room = capacity - Queued();
        if (room > 0) {
            const qint64 count = std::min(room, a_Count - queued);
            CopyIn(a_pRecords + queued, count);
            queued += count;
            m_DataOrEnd.notify_all();
            continue;
        }
        if (m_ReaderGone)
            break;
        // Waits for the reader as long as it keeps taking records.
        const quint64 readBefore = m_Read;
        m_Room.wait_for(lock, std::chrono::milliseconds(m_StallTimeoutMs),
                        [&] { return Queued() < capacity || !m_Collecting; });
        if (m_Read == readBefore && m_Collecting)
            m_ReaderGone = true;
    }
    m_DroppedPhotons += static_cast<quint64>(a_Count - queued);
    return queued;
}

qint64 PhotonStream::GetDroppedPhotons() const
{
    std::lock_guard<std::mutex> lock(m_Lock);
    return static_cast<qint64>(m_DroppedPhotons);
}

qint64 PhotonStream::Read(PhotonRecord* a_pRecords, qint64 a_Capacity, int a_TimeoutMs)
{
    if (!a_pRecords || a_Capacity < 1)
        return PHOTON_STREAM_BAD_ARGUMENT;
    std::unique_lock<std::mutex> lock(m_Lock);
    const auto ready = [this] { return Queued() > 0 || !m_Boundaries.empty() || !m_Enabled; };
    if (a_TimeoutMs < 0)
        m_DataOrEnd.wait(lock, ready);
    else if (!m_DataOrEnd.wait_for(lock, std::chrono::milliseconds(a_TimeoutMs), ready))
        return 0;

    // Up to the next boundary only: records never span two collections.
    qint64 available = Queued();
    if (!m_Boundaries.empty())
        available = static_cast<qint64>(m_Boundaries.front() - m_Read);
    if (available == 0) {
        if (!m_Boundaries.empty()) {
            m_Boundaries.pop_front();
            return PHOTON_STREAM_ENDED;
        }
        return PHOTON_STREAM_CLOSED;
    }
    const qint64 count = std::min(available, a_Capacity);
    CopyOut(a_pRecords, count);
    m_ReaderGone = false;
    m_Room.notify_all();
    return count;
}

PhotonStreamCounters PhotonStream::GetCounters() const
{
    std::lock_guard<std::mutex> lock(m_Lock);
    PhotonStreamCounters counters{};
    counters.packets = m_Packets;
    counters.photons = m_Written;
    counters.droppedPhotons = m_DroppedPhotons;
    counters.queued = static_cast<quint64>(Queued());
    counters.capacity = static_cast<quint64>(m_Ring.size());
    return counters;
}

void PhotonStream::SetStallTimeout(int a_Ms)
{
    std::lock_guard<std::mutex> lock(m_Lock);
    m_StallTimeoutMs = a_Ms;
}
