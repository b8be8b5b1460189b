// Tick positions and labels for the axes and colour scales of the pictures.
#ifndef TOOLS_PLOTAXIS_H
#define TOOLS_PLOTAXIS_H

#include <QString>
#include <QVector>

namespace tool {

class PlotAxis {
public:
    // A round step (1, 2, 2.5 or 5 times a power of ten) giving about a_Count ticks.
    static double niceStep(double a_Range, int a_Count);
    // The multiples of the step from a_Low to a_High inclusive.
    static QVector<double> ticks(double a_Low, double a_High, int a_Count);
    // The smallest round number (1, 2, 2.5 or 5 times a power of ten, or a multiple
    // of the next lower power) at or above a_Value.
    static double niceCeiling(double a_Value);
    // "1,200", "2.5", "0.25": thousands grouped, no trailing zeros.
    static QString label(double a_Value, double a_Step);
};

} // namespace tool

#endif
