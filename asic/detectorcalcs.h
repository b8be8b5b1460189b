// Static calculation helpers shared across the library.
#ifndef QUORVEL_DETECTORCALCS_H
#define QUORVEL_DETECTORCALCS_H

#include "gammamodule/cameralayout.h"
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
        // Integer division truncates toward zero, which is the ceiling for p <= 0;
        // such numbers are placed as the arithmetic gives, not refused.
        using namespace CameraLayout;
        int row = a_GMPixelNo > 0 ? (a_GMPixelNo - 1) / GM_SIDE + 1 : a_GMPixelNo / GM_SIDE;
        int column = a_GMPixelNo;
        if (row > 1)
            column = a_GMPixelNo % GM_SIDE == 0 ? GM_SIDE : a_GMPixelNo % GM_SIDE;
        return (row - 1 + RowOffset(a_GMID)) * CAMERA_SIDE + column + ColumnOffset(a_GMID);
    }
};

#endif // QUORVEL_DETECTORCALCS_H
