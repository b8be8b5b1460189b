#include "files/collectionformat.h"

#include <cstring>

#include "acquisition/packet.h"

namespace {

// Longest CSV line: 3 + 5 + 10 + 5 + 5 + 3 + 5 + 3 digits, 7 commas and the line end.
constexpr size_t MAX_CSV_LINE = 48;

// "00" to "99", two characters each.
constexpr struct DigitPairs
{
    char m_Chars[200];
    constexpr DigitPairs() : m_Chars()
    {
        for (int value = 0; value < 100; ++value) {
            m_Chars[2 * value] = static_cast<char>('0' + value / 10);
            m_Chars[2 * value + 1] = static_cast<char>('0' + value % 10);
        }
    }
} digitPairs;

inline char* appendPair(char* a_pOut, unsigned a_Value)
{
    std::memcpy(a_pOut, digitPairs.m_Chars + 2 * a_Value, 2);
    return a_pOut + 2;
}

// Decimal digits of a_Value at a_pOut; returns the end. Most values have at most five digits.
char* appendDecimal(char* a_pOut, unsigned a_Value)
{
    if (a_Value < 10) {
        *a_pOut = static_cast<char>('0' + a_Value);
        return a_pOut + 1;
    }
    if (a_Value < 100)
        return appendPair(a_pOut, a_Value);
    if (a_Value < 1000) {
        *a_pOut = static_cast<char>('0' + a_Value / 100);
        return appendPair(a_pOut + 1, a_Value % 100);
    }
    if (a_Value < 10000)
        return appendPair(appendPair(a_pOut, a_Value / 100), a_Value % 100);
    if (a_Value < 100000) {
        *a_pOut = static_cast<char>('0' + a_Value / 10000);
        return appendPair(appendPair(a_pOut + 1, a_Value / 100 % 100), a_Value % 100);
    }
    char digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + a_Value % 10);
        a_Value /= 10;
    } while (a_Value != 0);
    while (count > 0)
        *a_pOut++ = digits[--count];
    return a_pOut;
}

inline char* appendBigEndian16(char* a_pOut, unsigned a_Value)
{
    a_pOut[0] = static_cast<char>((a_Value >> 8) & 0xFF);
    a_pOut[1] = static_cast<char>(a_Value & 0xFF);
    return a_pOut + 2;
}

// Room for a_Bytes more bytes at the end of a_pOut; returns where they start.
char* grow(std::string* a_pOut, size_t a_Bytes)
{
    const size_t start = a_pOut->size();
    a_pOut->resize(start + a_Bytes);
    return &(*a_pOut)[start];
}

} // namespace

void CollectionFormat::AppendCsvLines(const Packet& a_Packet, std::string* a_pOut)
{
    if (a_Packet.GetNoOfPhotons() == 0)
        return;
    // The packet's two columns are the same on every line.
    char prefix[16];
    char* prefixEnd = appendDecimal(prefix, a_Packet.m_GMID);
    *prefixEnd++ = ',';
    prefixEnd = appendDecimal(prefixEnd, a_Packet.m_HeaderWord);
    *prefixEnd++ = ',';
    const size_t prefixLength = static_cast<size_t>(prefixEnd - prefix);

    const size_t start = a_pOut->size();
    char* p = grow(a_pOut, static_cast<size_t>(a_Packet.GetNoOfPhotons()) * MAX_CSV_LINE);
    char* const first = p;
    unsigned index = 0;
    for (const Photon& photon : a_Packet) {
        std::memcpy(p, prefix, prefixLength);
        p = appendDecimal(p + prefixLength, index++);
        *p++ = ',';
        p = appendDecimal(p, static_cast<quint16>(photon.m_Pixel));
        *p++ = ',';
        p = appendDecimal(p, photon.m_Energy);
        *p++ = ',';
        p = appendDecimal(p, photon.m_PositiveEnergy);
        *p++ = ',';
        p = appendDecimal(p, photon.m_TimeDetect);
        *p++ = ',';
        p = appendDecimal(p, photon.m_PositiveTimeDetect);
        *p++ = '\n';
    }
    a_pOut->resize(start + static_cast<size_t>(p - first));
}

void CollectionFormat::AppendBinaryRecords(const Packet& a_Packet, std::string* a_pOut)
{
    char* p = grow(a_pOut, static_cast<size_t>(a_Packet.GetNoOfPhotons()) * BINARY_RECORD_SIZE);
    const char gmID = static_cast<char>(a_Packet.m_GMID);
    for (const Photon& photon : a_Packet) {
        *p = gmID;
        p = appendBigEndian16(p + 1, a_Packet.m_HeaderWord);
        p = appendBigEndian16(p, static_cast<quint16>(photon.m_Pixel));
        p = appendBigEndian16(p, photon.m_Energy);
        *p++ = static_cast<char>(photon.m_PositiveEnergy);
        p = appendBigEndian16(p, photon.m_TimeDetect);
        *p++ = static_cast<char>(photon.m_PositiveTimeDetect);
    }
}
