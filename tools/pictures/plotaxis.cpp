#include "tools/pictures/plotaxis.h"

#include <QLocale>
#include <cmath>

namespace tool {

double PlotAxis::niceStep(double a_Range, int a_Count)
{
    if (!(a_Range > 0.0) || a_Count < 1)
        return 1.0;
    const double raw = a_Range / a_Count;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double factor : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (raw <= factor * power * 1.0000001)
            return factor * power;
    }
    return 10.0 * power;
}

QVector<double> PlotAxis::ticks(double a_Low, double a_High, int a_Count)
{
    const double step = niceStep(a_High - a_Low, a_Count);
    QVector<double> result;
    for (double tick = std::ceil(a_Low / step - 1e-9) * step; tick <= a_High + step * 1e-9; tick += step)
        result << (std::fabs(tick) < step * 1e-9 ? 0.0 : tick);
    return result;
}

double PlotAxis::niceCeiling(double a_Value)
{
    if (!(a_Value > 0.0))
        return 1.0;
    const double power = std::pow(10.0, std::floor(std::log10(a_Value)));
    const double tenth = power / 10.0 >= 1.0 ? power / 10.0 : power;
    return std::ceil(a_Value / tenth - 1e-9) * tenth;
}

QString PlotAxis::label(double a_Value, double a_Step)
{
    int decimals = 0;
    while (decimals < 6 && std::fabs(a_Step * std::pow(10.0, decimals) - std::round(a_Step * std::pow(10.0, decimals))) > 1e-6)
        ++decimals;
    return QLocale(QLocale::English).toString(a_Value, 'f', decimals);
}

} // namespace tool
