#include "asic/detectorcalcs.h"

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
