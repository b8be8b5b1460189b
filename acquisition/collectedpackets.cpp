#include "acquisition/collectedpackets.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

std::atomic<CollectedPackets*> CollectedPackets::m_pInstance{nullptr};
std::mutex CollectedPackets::m_InstanceLock;

namespace {

// Chunks are 2 MiB aligned so the kernel can back them with huge pages: a
// fresh page costs far more to fault in than the decoder spends filling it.
constexpr size_t CHUNK_BYTES = size_t(2) << 20;
constexpr size_t CHUNK_PHOTONS = CHUNK_BYTES / sizeof(Photon);
constexpr size_t MAX_SPARE_CHUNKS = 8;

size_t ChunkBytes(size_t a_Photons)
{
    return (a_Photons * sizeof(Photon) + CHUNK_BYTES - 1) / CHUNK_BYTES * CHUNK_BYTES;
}

Photon* MapChunk(size_t a_Bytes)
{
    const size_t mapped = a_Bytes + CHUNK_BYTES;
    void* raw = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    const auto start = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (start + CHUNK_BYTES - 1) & ~uintptr_t(CHUNK_BYTES - 1);
    if (aligned > start)
        munmap(raw, aligned - start);
    const uintptr_t tail = start + mapped - (aligned + a_Bytes);
    if (tail > 0)
        munmap(reinterpret_cast<void*>(aligned + a_Bytes), tail);
#ifdef MADV_HUGEPAGE
    madvise(reinterpret_cast<void*>(aligned), a_Bytes, MADV_HUGEPAGE);
#endif
    return reinterpret_cast<Photon*>(aligned);
}

void UnmapChunk(Photon* a_pPhotons, size_t a_Photons)
{
    munmap(a_pPhotons, a_Photons * sizeof(Photon));
}

bool Fail(QString* a_pError, const QString& a_Message)
{
    if (a_pError)
        *a_pError = a_Message;
    return false;
}

} // namespace

CollectedPackets* CollectedPackets::GetInstance()
{
    CollectedPackets* instance = m_pInstance.load(std::memory_order_acquire);
    if (instance)
        return instance;
    std::lock_guard<std::mutex> guard(m_InstanceLock);
    instance = m_pInstance.load(std::memory_order_relaxed);
    if (!instance) {
        instance = new CollectedPackets();
        m_pInstance.store(instance, std::memory_order_release);
    }
    return instance;
}

void CollectedPackets::DeleteInstance()
{
    std::lock_guard<std::mutex> guard(m_InstanceLock);
    delete m_pInstance.exchange(nullptr);
}

CollectedPackets::~CollectedPackets()
{
    for (const Chunk& chunk : m_Chunks)
        UnmapChunk(chunk.m_pPhotons, chunk.m_Capacity);
    for (const Chunk& chunk : m_SpareChunks)
        UnmapChunk(chunk.m_pPhotons, chunk.m_Capacity);
}

std::unique_lock<std::mutex> CollectedPackets::AccessLock()
{
    return std::unique_lock<std::mutex>(m_Lock);
}

int CollectedPackets::GetSize() const
{
    return static_cast<int>(m_Packets.size());
}

qint64 CollectedPackets::GetNoOfPhotons() const
{
    return m_NoOfPhotons;
}

const Packet* CollectedPackets::GetPacket(int a_Index) const
{
    if (a_Index < 0 || a_Index >= GetSize())
        return nullptr;
    return &m_Packets[static_cast<size_t>(a_Index)];
}

const std::deque<Packet>& CollectedPackets::GetPackets() const
{
    return m_Packets;
}

bool CollectedPackets::NewChunk(size_t a_MinPhotons)
{
    if (a_MinPhotons <= CHUNK_PHOTONS && !m_SpareChunks.empty()) {
        m_Chunks.push_back(m_SpareChunks.back());
        m_SpareChunks.pop_back();
        return true;
    }
    const size_t bytes = ChunkBytes(std::max(a_MinPhotons, CHUNK_PHOTONS));
    Photon* photons = MapChunk(bytes);
    if (!photons)
        return false;
    m_Chunks.push_back(Chunk{photons, bytes / sizeof(Photon), 0});
    return true;
}

// The photons of the last packet always end at the used end of the last chunk,
// so it can grow in place; when the chunk is full they move to a new one.
Photon* CollectedPackets::ReserveForLastPacket(size_t a_Count)
{
    Packet& last = m_Packets.back();
    const size_t held = last.m_NoOfPhotons;
    if (m_Chunks.empty() || m_Chunks.back().m_Used + a_Count > m_Chunks.back().m_Capacity) {
        if (!NewChunk(held + a_Count))
            return nullptr;
        Chunk& chunk = m_Chunks.back();
        if (held > 0) {
            std::memcpy(chunk.m_pPhotons, last.m_pPhotons, held * sizeof(Photon));
            m_Chunks[m_Chunks.size() - 2].m_Used -= held;
        }
        chunk.m_Used = held;
    }
    Chunk& chunk = m_Chunks.back();
    last.m_pPhotons = chunk.m_pPhotons + (chunk.m_Used - held);
    return chunk.m_pPhotons + chunk.m_Used;
}

Photon* CollectedPackets::AddPacket(quint8 a_GMID, quint16 a_HeaderWord, quint8 a_HeaderByte,
                                    int a_MaxPhotons)
{
    Packet packet;
    packet.m_GMID = a_GMID;
    packet.m_HeaderWord = a_HeaderWord;
    packet.m_HeaderByte = a_HeaderByte;
    m_Packets.push_back(packet);
    Photon* room = ReserveForLastPacket(static_cast<size_t>(std::max(a_MaxPhotons, 0)));
    if (!room)
        m_Packets.pop_back();
    return room;
}

void CollectedPackets::CommitPhotons(int a_Count)
{
    if (a_Count <= 0 || m_Packets.empty() || m_Chunks.empty())
        return;
    m_Chunks.back().m_Used += static_cast<size_t>(a_Count);
    m_Packets.back().m_NoOfPhotons += static_cast<quint32>(a_Count);
    m_NoOfPhotons += a_Count;
}

bool CollectedPackets::AddPacket(quint8 a_GMID, quint16 a_HeaderWord, quint8 a_HeaderByte,
                                 const Photon* a_pPhotons, int a_Count)
{
    const int count = a_pPhotons ? std::max(a_Count, 0) : 0;
    Photon* room = AddPacket(a_GMID, a_HeaderWord, a_HeaderByte, count);
    if (!room)
        return false;
    if (count > 0)
        std::memcpy(room, a_pPhotons, static_cast<size_t>(count) * sizeof(Photon));
    CommitPhotons(count);
    return true;
}

bool CollectedPackets::AddPhoton(const Photon& a_Photon)
{
    if (m_Packets.empty() || m_Packets.back().m_NoOfPhotons == UINT32_MAX)
        return false;
    Photon* room = ReserveForLastPacket(1);
    if (!room)
        return false;
    *room = a_Photon;
    CommitPhotons(1);
    return true;
}

void CollectedPackets::Clear()
{
    std::deque<Packet>().swap(m_Packets);
    for (Chunk& chunk : m_Chunks) {
        if (chunk.m_Capacity == CHUNK_PHOTONS && m_SpareChunks.size() < MAX_SPARE_CHUNKS) {
            chunk.m_Used = 0;
            m_SpareChunks.push_back(chunk);
        } else {
            UnmapChunk(chunk.m_pPhotons, chunk.m_Capacity);
        }
    }
    m_Chunks.clear();
    m_NoOfPhotons = 0;
}

int CollectedPackets::GetNoOfCollectedPackets()
{
    auto lock = AccessLock();
    return GetSize();
}

bool CollectedPackets::GetPacketData(int a_PacketNo, PacketData a_Type, int* a_pValue, QString* a_pError)
{
    auto lock = AccessLock();
    const int size = GetSize();
    if (size == 0)
        return Fail(a_pError, "No collected packets to query");
    if (a_PacketNo < 1 || a_PacketNo > size)
        return Fail(a_pError, QString("PacketNo out of range, valid range is 1 to %1").arg(size));
    if (!a_pValue)
        return Fail(a_pError, "Null pointer passed to function");
    if (!GetPacket(a_PacketNo - 1)->GetData(a_Type, a_pValue))
        return Fail(a_pError, "Undefined packet data type detected");
    return true;
}

bool CollectedPackets::GetPhotonData(int a_PacketNo, int a_PhotonNo, PhotonData a_Type, int* a_pValue,
                                     QString* a_pError)
{
    auto lock = AccessLock();
    const int size = GetSize();
    if (size == 0)
        return Fail(a_pError, "No collected packets to query");
    if (a_PacketNo < 1 || a_PacketNo > size)
        return Fail(a_pError, QString("PacketNo out of range, valid range is 1 to %1").arg(size));
    const Packet* packet = GetPacket(a_PacketNo - 1);
    const int photons = packet->GetNoOfPhotons();
    if (a_PhotonNo < 1 || a_PhotonNo > photons)
        return Fail(a_pError, QString("PhotonNo out of range, valid range is 1 to %1").arg(photons));
    if (!a_pValue)
        return Fail(a_pError, "Null pointer passed to function");
    // The photon selector shares the packet selector's message.
    if (!packet->GetPhoton(a_PhotonNo - 1).GetData(a_Type, a_pValue))
        return Fail(a_pError, "Undefined packet data type detected");
    return true;
}

bool CollectedPackets::CheckRange(int a_First, int a_Last, QString* a_pError) const
{
    const int size = GetSize();
    if (size == 0)
        return Fail(a_pError, "No collected packets to query");
    if (a_First < 1 || a_Last > size || a_First > a_Last)
        return Fail(a_pError, QString("Packet range %1 to %2 is invalid, valid range is 1 to %3")
                                  .arg(a_First)
                                  .arg(a_Last)
                                  .arg(size));
    return true;
}

qint64 CollectedPackets::PhotonsInRange(int a_First, int a_Last) const
{
    qint64 photons = 0;
    for (int index = a_First - 1; index < a_Last; ++index)
        photons += m_Packets[static_cast<size_t>(index)].GetNoOfPhotons();
    return photons;
}

qint64 CollectedPackets::GetNoOfPhotonsInPackets(int a_First, int a_Last, QString* a_pError)
{
    auto lock = AccessLock();
    if (!CheckRange(a_First, a_Last, a_pError))
        return -1;
    return PhotonsInRange(a_First, a_Last);
}

namespace {

bool CheckBuffer(const void* a_pRecords, qint64 a_Needed, qint64 a_Capacity, QString* a_pError)
{
    if (!a_pRecords)
        return Fail(a_pError, "Null pointer passed to function");
    if (a_Capacity < a_Needed)
        return Fail(a_pError, QString("Buffer too small: %1 records needed, room for %2").arg(a_Needed).arg(a_Capacity));
    return true;
}

} // namespace

qint64 CollectedPackets::ReadPhotonRecords(int a_First, int a_Last, PhotonRecord* a_pRecords, qint64 a_Capacity,
                                           QString* a_pError)
{
    auto lock = AccessLock();
    if (!CheckRange(a_First, a_Last, a_pError))
        return -1;
    const qint64 needed = PhotonsInRange(a_First, a_Last);
    if (!CheckBuffer(a_pRecords, needed, a_Capacity, a_pError))
        return -1;
    PhotonRecord* out = a_pRecords;
    for (int index = a_First - 1; index < a_Last; ++index) {
        const Packet& packet = m_Packets[static_cast<size_t>(index)];
        PhotonRecord record{};
        record.packetNo = static_cast<uint32_t>(index + 1);
        record.headerWord = packet.m_HeaderWord;
        record.gmID = packet.m_GMID;
        record.headerByte = packet.m_HeaderByte;
        for (const Photon& photon : packet) {
            photon.FillRecord(record);
            *out++ = record;
        }
    }
    return needed;
}

qint64 CollectedPackets::ReadPacketRecords(int a_First, int a_Last, PacketRecord* a_pRecords, qint64 a_Capacity,
                                           QString* a_pError)
{
    auto lock = AccessLock();
    if (!CheckRange(a_First, a_Last, a_pError))
        return -1;
    const qint64 needed = a_Last - a_First + 1;
    if (!CheckBuffer(a_pRecords, needed, a_Capacity, a_pError))
        return -1;
    for (int index = a_First - 1; index < a_Last; ++index) {
        const Packet& packet = m_Packets[static_cast<size_t>(index)];
        PacketRecord& record = a_pRecords[index - (a_First - 1)];
        record.packetNo = static_cast<uint32_t>(index + 1);
        record.noOfPhotons = static_cast<uint32_t>(packet.GetNoOfPhotons());
        record.headerWord = packet.m_HeaderWord;
        record.gmID = packet.m_GMID;
        record.headerByte = packet.m_HeaderByte;
    }
    return needed;
}

QString CollectedPackets::PacketsDecodedText(int a_NoOfPackets)
{
    const int total = GetNoOfCollectedPackets();
    return QString("Packets decoded : %1 (Total: %2)").arg(a_NoOfPackets).arg(total);
}

QString CollectedPackets::ClearingPacketsText()
{
    return QStringLiteral("Clearing packets ...");
}

QString CollectedPackets::PacketsClearedText()
{
    return QStringLiteral("Packets cleared");
}

QString CollectedPackets::DecodingPacketsText()
{
    return QStringLiteral("Decoding packets ...");
}
