#include "files/collectionformat.h"

#include "acquisition/packet.h"

namespace {

// Decimal digits of a_Value at a_pOut; returns the end. Values here are below 2^32.
char* appendDecimal(char* a_pOut, unsigned a_Value)
{
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

char* appendBigEndian16(char* a_pOut, unsigned a_Value)
{
    *a_pOut++ = static_cast<char>((a_Value >> 8) & 0xFF);
    *a_pOut++ = static_cast<char>(a_Value & 0xFF);
    return a_pOut;
}

} // namespace

void CollectionFormat::AppendCsvLines(const Packet& a_Packet, std::string* a_pOut)
{
    // The packet's two columns are the same on every line.
    char prefix[16];
    char* end = appendDecimal(prefix, a_Packet.m_GMID);
    *end++ = ',';
    end = appendDecimal(end, a_Packet.m_HeaderWord);
    *end++ = ',';
    const size_t prefixLength = static_cast<size_t>(end - prefix);

    char line[80];
    unsigned index = 0;
    for (const Photon& photon : a_Packet) {
        char* p = appendDecimal(line, index++);
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
        a_pOut->append(prefix, prefixLength);
        a_pOut->append(line, static_cast<size_t>(p - line));
    }
}

void CollectionFormat::AppendBinaryRecords(const Packet& a_Packet, std::string* a_pOut)
{
    char record[BINARY_RECORD_SIZE];
    record[0] = static_cast<char>(a_Packet.m_GMID);
    appendBigEndian16(record + 1, a_Packet.m_HeaderWord);
    for (const Photon& photon : a_Packet) {
        char* p = appendBigEndian16(record + 3, static_cast<quint16>(photon.m_Pixel));
        p = appendBigEndian16(p, photon.m_Energy);
        *p++ = static_cast<char>(photon.m_PositiveEnergy);
        p = appendBigEndian16(p, photon.m_TimeDetect);
        *p = static_cast<char>(photon.m_PositiveTimeDetect);
        a_pOut->append(record, BINARY_RECORD_SIZE);
    }
}
