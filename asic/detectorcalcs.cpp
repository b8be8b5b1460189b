#include "asic/detectorcalcs.h"

#include <limits>

void DetectorCalcs::AddValueToByteArray(unsigned int a_Value, int a_BitPos, QByteArray& a_Array)
{
    if (a_BitPos < 0 || a_Value == 0)
        return;
    int width = 0;
    for (unsigned int rest = a_Value; rest != 0; rest >>= 1)
        ++width;
    const int lastByte = (a_BitPos + width - 1) / 8;
    if (lastByte >= a_Array.size())
        a_Array.append(lastByte - a_Array.size() + 1, '\0');

    unsigned char* bytes = reinterpret_cast<unsigned char*>(a_Array.data());
    int byte = a_BitPos / 8;
    int shift = a_BitPos % 8;
    while (a_Value != 0) {
        bytes[byte] |= static_cast<unsigned char>((a_Value << shift) & 0xFFu);
        a_Value >>= (8 - shift);
        shift = 0;
        ++byte;
    }
}

int DetectorCalcs::VoltsToDAC(int a_Volts, int a_Divisor, double a_Reference)
{
    if (a_Divisor == 0 || a_Reference == 0.0)
        return 0;
    // 64-bit steps keep every int voltage exact; the result is held to int range.
    const qint64 scaled = static_cast<qint64>(a_Volts * 4096.0);
    const qint64 quotient = scaled / a_Divisor;
    const double code = static_cast<double>(quotient) / a_Reference;
    if (!(code > std::numeric_limits<int>::min() && code < std::numeric_limits<int>::max()))
        return code > 0 ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min();
    return static_cast<int>(code);
}
