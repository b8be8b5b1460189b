#include "gui/colourmaps.h"

#include <cmath>

namespace gui {

FloodColourMap::FloodColourMap(bool a_Logarithmic)
    : QwtLinearColorMap(QColor(0, 0, 40), QColor(255, 255, 230))
    , m_Logarithmic(a_Logarithmic)
{
    addColorStop(0.25, QColor(70, 20, 140));
    addColorStop(0.5, QColor(200, 40, 90));
    addColorStop(0.75, QColor(250, 150, 30));
}

QRgb FloodColourMap::rgb(const QwtInterval& a_Interval, double a_Value) const
{
    if (!m_Logarithmic)
        return QwtLinearColorMap::rgb(a_Interval, a_Value);
    // Counts below the interval (zeros among them) take the lowest colour.
    const double low = std::log10(std::max(a_Interval.minValue(), 1e-3));
    const double high = std::log10(std::max(a_Interval.maxValue(), a_Interval.minValue() * 10));
    const double value = std::log10(std::max(a_Value, a_Interval.minValue()));
    return QwtLinearColorMap::rgb(QwtInterval(low, high), value);
}

} // namespace gui
