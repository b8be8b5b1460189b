#include "asic/detectorcalcs.h"

void DetectorCalcs::AddValueToByteArray(unsigned int a_Value, int a_BitPos, QByteArray& a_Array)
{
    if (a_BitPos < 0)
        return;
    int byte = a_BitPos / 8;
    int shift = a_BitPos % 8;
    while (a_Value != 0) {
        if (byte >= a_Array.size())
            a_Array.append(byte - a_Array.size() + 1, '\0');
        a_Array[byte] = static_cast<char>(static_cast<unsigned char>(a_Array[byte])
            | static_cast<unsigned char>((a_Value << shift) & 0xFFu));
        a_Value >>= (8 - shift);
        shift = 0;
        ++byte;
    }
}
