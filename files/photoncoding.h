// The two photon export formats, encoded in one place for the library and the
// tools: the 11-byte binary record of photons.dat (GM ID, header word, pixel,
// energy, its sign, time detect, its sign; 16-bit fields big-endian) and the
// CSV line (GM, header word, photon index, pixel, energy, energy sign, time
// detect, its sign). Inline, so the export loops stay tight.
#ifndef QUORVEL_PHOTONCODING_H
#define QUORVEL_PHOTONCODING_H

#include <cstddef>
#include <cstring>

#include "quorveldll.h"

namespace PhotonCoding {

constexpr int BINARY_RECORD_BYTES = 11;
// Longest CSV line: 3 + 5 + 10 + 5 + 5 + 3 + 5 + 3 digits, 7 commas and the line end.
constexpr size_t MAX_CSV_LINE = 48;

// "00" to "99", two characters each.
struct DigitPairs
{
    char m_Chars[200];
    constexpr DigitPairs() : m_Chars()
    {
        for (int value = 0; value < 100; ++value) {
            m_Chars[2 * value] = static_cast<char>('0' + value / 10);
            m_Chars[2 * value + 1] = static_cast<char>('0' + value % 10);
        }
    }
};
inline constexpr DigitPairs digitPairs{};

inline char* AppendPair(char* a_pOut, unsigned a_Value)
{
    std::memcpy(a_pOut, digitPairs.m_Chars + 2 * a_Value, 2);
    return a_pOut + 2;
}

// Decimal digits of a_Value at a_pOut; returns the end. Most values have at most five digits.
inline char* AppendDecimal(char* a_pOut, unsigned a_Value)
{
    if (a_Value < 10) {
        *a_pOut = static_cast<char>('0' + a_Value);
        return a_pOut + 1;
    }
    if (a_Value < 100)
        return AppendPair(a_pOut, a_Value);
    if (a_Value < 1000) {
        *a_pOut = static_cast<char>('0' + a_Value / 100);
        return AppendPair(a_pOut + 1, a_Value % 100);
    }
    if (a_Value < 10000)
        return AppendPair(AppendPair(a_pOut, a_Value / 100), a_Value % 100);
    if (a_Value < 100000) {
        *a_pOut = static_cast<char>('0' + a_Value / 10000);
        return AppendPair(AppendPair(a_pOut + 1, a_Value / 100 % 100), a_Value % 100);
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

inline char* AppendBigEndian16(char* a_pOut, unsigned a_Value)
{
    a_pOut[0] = static_cast<char>((a_Value >> 8) & 0xFF);
    a_pOut[1] = static_cast<char>(a_Value & 0xFF);
    return a_pOut + 2;
}

// One binary record at a_pOut; returns its end.
inline char* EncodeBinaryRecord(char* a_pOut, unsigned a_GMID, unsigned a_HeaderWord, unsigned a_Pixel,
                                unsigned a_Energy, unsigned a_PositiveEnergy, unsigned a_TimeDetect,
                                unsigned a_PositiveTimeDetect)
{
    *a_pOut = static_cast<char>(a_GMID);
    char* p = AppendBigEndian16(a_pOut + 1, a_HeaderWord);
    p = AppendBigEndian16(p, a_Pixel);
    p = AppendBigEndian16(p, a_Energy);
    *p++ = static_cast<char>(a_PositiveEnergy);
    p = AppendBigEndian16(p, a_TimeDetect);
    *p++ = static_cast<char>(a_PositiveTimeDetect);
    return p;
}

// The binary records of a_Count stream records at a_pOut; returns their end.
inline char* EncodeBinaryRecords(const PhotonRecord* a_pRecords, long long a_Count, char* a_pOut)
{
    for (long long index = 0; index < a_Count; ++index) {
        const PhotonRecord& r = a_pRecords[index];
        a_pOut = EncodeBinaryRecord(a_pOut, r.gmID, r.headerWord, r.pixel, r.energy, r.positiveEnergy, r.timeDetect,
                                    r.positiveTimeDetect);
    }
    return a_pOut;
}

// The packet's two leading CSV columns with their commas ("gm,word,").
inline char* EncodeCsvPacketColumns(char* a_pOut, unsigned a_GMID, unsigned a_HeaderWord)
{
    char* p = AppendDecimal(a_pOut, a_GMID);
    *p++ = ',';
    p = AppendDecimal(p, a_HeaderWord);
    *p++ = ',';
    return p;
}

// The photon's six CSV columns and the line end.
inline char* EncodeCsvPhotonColumns(char* a_pOut, unsigned a_Index, unsigned a_Pixel, unsigned a_Energy,
                                    unsigned a_PositiveEnergy, unsigned a_TimeDetect, unsigned a_PositiveTimeDetect)
{
    char* p = AppendDecimal(a_pOut, a_Index);
    *p++ = ',';
    p = AppendDecimal(p, a_Pixel);
    *p++ = ',';
    p = AppendDecimal(p, a_Energy);
    *p++ = ',';
    p = AppendDecimal(p, a_PositiveEnergy);
    *p++ = ',';
    p = AppendDecimal(p, a_TimeDetect);
    *p++ = ',';
    p = AppendDecimal(p, a_PositiveTimeDetect);
    *p++ = '\n';
    return p;
}

} // namespace PhotonCoding

#endif // QUORVEL_PHOTONCODING_H
