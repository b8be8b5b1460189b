#include "acquisition/packetframer.h"

#include <algorithm>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "acquisition/packet.h"

namespace {
// Bytes indexed at least at a time.
constexpr qint64 INDEX_STEP = 1024;
// Spent queue entries are dropped once there are this many and they are the majority.
constexpr size_t COMPACT_AFTER = 4096;
} // namespace

void PacketFramer::Queue::Clear()
{
    m_Positions.clear();
    m_Keys.clear();
    m_Head = 0;
}

void PacketFramer::Queue::Compact()
{
    m_Positions.erase(m_Positions.begin(), m_Positions.begin() + static_cast<std::ptrdiff_t>(m_Head));
    m_Keys.erase(m_Keys.begin(), m_Keys.begin() + static_cast<std::ptrdiff_t>(m_Head));
    m_Head = 0;
}

inline void PacketFramer::Queue::Push(qint64 a_Position, quint16 a_Key)
{
    if (m_Head >= COMPACT_AFTER && m_Head * 2 >= m_Positions.size())
        Compact();
    m_Positions.push_back(a_Position);
    m_Keys.push_back(a_Key);
}

// The counts are brought back to zero entry by entry: cheaper than wiping the table.
void PacketFramer::FooterQueue::Clear()
{
    if (m_KeyCounts.empty())
        m_KeyCounts.assign(size_t(1) << 16, 0);
    for (size_t index = m_Head; index < m_Keys.size(); ++index)
        --m_KeyCounts[m_Keys[index]];
    Queue::Clear();
}

inline void PacketFramer::FooterQueue::Push(qint64 a_Position, quint16 a_Key, qint64 a_Floor)
{
    DropBefore(a_Floor);   // keeps the queue as short as the footer search window
    Queue::Push(a_Position, a_Key);
    ++m_KeyCounts[a_Key];
}

inline void PacketFramer::FooterQueue::DropBefore(qint64 a_Position)
{
    size_t head = m_Head;
    const size_t size = m_Positions.size();
    const qint64* positions = m_Positions.data();
    const quint16* keys = m_Keys.data();
    quint16* counts = m_KeyCounts.data();
    for (; head < size && positions[head] < a_Position; ++head)
        --counts[keys[head]];
    m_Head = head;
}

size_t PacketFramer::FooterQueue::Find(quint16 a_Key) const
{
    const size_t size = m_Keys.size();
    if (m_KeyCounts[a_Key] == 0)
        return size;
    size_t index = m_Head;
#ifdef __SSE2__
    const __m128i key = _mm_set1_epi16(static_cast<short>(a_Key));
    for (; index + 8 <= size; index += 8) {
        const __m128i keys = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m_Keys.data() + index));
        const int mask = _mm_movemask_epi8(_mm_cmpeq_epi16(keys, key));
        if (mask != 0)
            return index + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)) / 2);
    }
#endif
    for (; index < size; ++index) {
        if (m_Keys[index] == a_Key)
            return index;
    }
    return size;
}

void PacketFramer::Begin(const uchar* a_pData, qint64 a_Size, const RecordSizes& a_RecordSizes)
{
    m_pData = a_pData;
    m_Size = a_pData ? std::max<qint64>(a_Size, 0) : 0;
    m_pRecordSizes = &a_RecordSizes;
    m_Indexed = 0;
    m_Sum = 0;
    m_Resume = 0;
    m_Floor = 0;
    // Footers are indexed only for the record sizes some GM byte uses.
    m_UseMod3 = std::find(a_RecordSizes.begin(), a_RecordSizes.end(), 3) != a_RecordSizes.end();
    m_UseMod5 = std::find(a_RecordSizes.begin(), a_RecordSizes.end(), 5) != a_RecordSizes.end();
    m_Headers.Clear();
    for (FooterQueue& queue : m_FootersMod3)
        queue.Clear();
    for (FooterQueue& queue : m_FootersMod5)
        queue.Clear();
}

// a_Sum is the sum of every byte before a_Position.
inline void PacketFramer::IndexFooter(qint64 a_Position, quint32 a_Sum)
{
    if (a_Position < 2)
        return;
    const uchar high = m_pData[a_Position - 2];
    const uchar low = m_pData[a_Position - 1];
    const quint32 checksum = (quint32(high) << 8) | low;
    const auto key = static_cast<quint16>(a_Sum - high - low - checksum);
    if (m_UseMod3)
        m_FootersMod3[static_cast<size_t>(a_Position % 3)].Push(a_Position, key, m_Floor);
    if (m_UseMod5)
        m_FootersMod5[static_cast<size_t>(a_Position % 5)].Push(a_Position, key, m_Floor);
}

inline void PacketFramer::IndexPair(qint64 a_Position, quint32 a_Sum)
{
    if (a_Position + 1 >= m_Size)
        return;
    const uchar byte = m_pData[a_Position];
    const uchar next = m_pData[a_Position + 1];
    if (byte == packetHeader1 && next == packetHeader2)
        m_Headers.Push(a_Position, static_cast<quint16>(a_Sum));
    else if (byte == packetFooter1 && next == packetFooter2)
        IndexFooter(a_Position, a_Sum);
}

void PacketFramer::IndexUpTo(qint64 a_Limit)
{
    const qint64 limit = std::min(a_Limit, m_Size);
    qint64 position = m_Indexed;
    quint32 sum = m_Sum;
#ifdef __SSE2__
    // Blocks of 16 positions: find the header and footer pairs starting in the
    // block at once, and add the block up in one step.
    const __m128i header1 = _mm_set1_epi8(static_cast<char>(packetHeader1));
    const __m128i header2 = _mm_set1_epi8(static_cast<char>(packetHeader2));
    const __m128i footer1 = _mm_set1_epi8(static_cast<char>(packetFooter1));
    const __m128i footer2 = _mm_set1_epi8(static_cast<char>(packetFooter2));
    const __m128i zero = _mm_setzero_si128();
    while (position + 16 <= limit && position + 17 <= m_Size) {
        const uchar* block = m_pData + position;
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
        const __m128i nextBytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 1));
        const auto headers = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(bytes, header1), _mm_cmpeq_epi8(nextBytes, header2))));
        const auto footers = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(bytes, footer1), _mm_cmpeq_epi8(nextBytes, footer2))));
        unsigned marks = headers | footers;
        quint32 partial = sum;
        int added = 0;
        while (marks != 0) {
            const int offset = __builtin_ctz(marks);
            for (; added < offset; ++added)
                partial += block[added];
            if (headers & (1u << offset))
                m_Headers.Push(position + offset, static_cast<quint16>(partial));
            else
                IndexFooter(position + offset, partial);
            marks &= marks - 1;
        }
        const __m128i sums = _mm_sad_epu8(bytes, zero);
        sum += static_cast<quint32>(_mm_cvtsi128_si32(sums)) + static_cast<quint32>(_mm_extract_epi16(sums, 4));
        position += 16;
    }
#endif
    for (; position < limit; ++position) {
        const uchar byte = m_pData[position];
        if (byte == packetHeader1 || byte == packetFooter1)
            IndexPair(position, sum);
        sum += byte;
    }
    m_Indexed = position;
    m_Sum = sum;
}

bool PacketFramer::EndsBeforeAHeader(qint64 a_Footer) const
{
    const qint64 next = a_Footer + 2;
    return next + 1 >= m_Size || (m_pData[next] == packetHeader1 && m_pData[next + 1] == packetHeader2);
}

bool PacketFramer::Next(Frame* a_pFrame)
{
    for (;;) {
        if (m_Headers.m_Head == m_Headers.m_Positions.size()) {
            if (m_Indexed >= m_Size)
                return false;
            // Headers still to come start at or after m_Indexed.
            m_Floor = std::max(m_Floor, m_Indexed + MIN_PACKET_BYTES - 2);
            m_Headers.Clear();
            IndexUpTo(m_Indexed + INDEX_STEP);
            continue;
        }
        const size_t header = m_Headers.m_Head++;
        const qint64 start = m_Headers.m_Positions[header];
        const quint16 key = m_Headers.m_Keys[header];   // read now: indexing below may compact the queue
        m_Floor = start + MIN_PACKET_BYTES - 2;
        if (start < m_Resume)
            continue;
        // Headers come in order: if this one has no room, no later one has.
        if (start + MIN_PACKET_BYTES > m_Size)
            return false;
        const int recordSize = (*m_pRecordSizes)[m_pData[start + 2]];
        if (recordSize != 3 && recordSize != 5)
            continue;

        const qint64 first = start + MIN_PACKET_BYTES - 2;   // footer of a packet without records
        const qint64 last = std::min(first + qint64(MAX_RECORDS) * recordSize, m_Size - 2);
        if (last >= m_Indexed)
            IndexUpTo(std::max(last + 1, m_Indexed + INDEX_STEP));   // in steps long enough for whole blocks
        FooterQueue& footers = recordSize == 3 ? m_FootersMod3[static_cast<size_t>(first % 3)]
                                         : m_FootersMod5[static_cast<size_t>(first % 5)];
        footers.DropBefore(first);
        const size_t found = footers.Find(key);
        if (found == footers.m_Positions.size() || footers.m_Positions[found] > last)
            continue;

        // Packets carry no length, so photon bytes can look like a footer with
        // a matching checksum. A true footer is followed by the end of the
        // batch or the next header: prefer the nearest such one that fits.
        size_t chosen = found;
        if (!EndsBeforeAHeader(footers.m_Positions[found])) {
            for (size_t index = found + 1; index < footers.m_Positions.size() && footers.m_Positions[index] <= last;
                 ++index) {
                if (footers.m_Keys[index] == key && EndsBeforeAHeader(footers.m_Positions[index])) {
                    chosen = index;
                    break;
                }
            }
        }
        const qint64 footer = footers.m_Positions[chosen];
        a_pFrame->m_Start = start;
        a_pFrame->m_End = footer + 1;
        a_pFrame->m_RecordSize = recordSize;
        a_pFrame->m_NoOfRecords = static_cast<int>((footer - first) / recordSize);
        m_Resume = footer + 2;
        return true;
    }
}
