// Static calculation helpers shared across the library.
#ifndef QUORVEL_DETECTORCALCS_H
#define QUORVEL_DETECTORCALCS_H

#include <QByteArray>

class DetectorCalcs
{
public:
    // ORs a_Value into a_Array so that bit i of the value lands on array bit
    // a_BitPos + i (array bit k is bit k % 8 of byte k / 8). The array grows
    // if the value reaches past its end; a negative position writes nothing.
    static void AddValueToByteArray(unsigned int a_Value, int a_BitPos, QByteArray& a_Array);
};

#endif // QUORVEL_DETECTORCALCS_H
