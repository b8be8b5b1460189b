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

    // DAC code of a voltage: (volts x 4096, truncated) / divisor in integers,
    // then / reference truncated. A zero divisor or reference gives 0.
    static int VoltsToDAC(int a_Volts, int a_Divisor, double a_Reference);

    // Volts of a GM ADC reading: 12 bits over a 2 V range, 2 x dac / 4096.
    static double DACToVolts(int a_DAC)
    {
        const double dac = a_DAC;
        return (dac + dac) * 0.000244140625;
    }

    // The camera pixel (1 to 484, row by row over 22 x 22) of GM pixel
    // a_GMPixelNo (1 to 121) of GM a_GMID: GM 1 top left, 2 top right,
    // 4 bottom left, 3 bottom right; any other ID is placed as GM 1.
    static int GetGlobalPixelNo(int a_GMPixelNo, int a_GMID)
    {
        // Integer division truncates toward zero, which is the ceiling for p <= 0.
        int row = a_GMPixelNo > 0 ? (a_GMPixelNo - 1) / 11 + 1 : a_GMPixelNo / 11;
        int column = a_GMPixelNo;
        if (row > 1)
            column = a_GMPixelNo % 11 == 0 ? 11 : a_GMPixelNo % 11;
        if (a_GMID == 2 || a_GMID == 3)
            column += 11;
        if (a_GMID == 3 || a_GMID == 4)
            row += 11;
        return (row - 1) * 22 + column;
    }
};

#endif // QUORVEL_DETECTORCALCS_H
