// The flood's colour map, linear or logarithmic in the count; the logarithmic one
// is used with a logarithmic colour bar, so the bar and the image agree.
#ifndef GUI_COLOURMAPS_H
#define GUI_COLOURMAPS_H

#include <qwt_color_map.h>

namespace gui {

class FloodColourMap : public QwtLinearColorMap {
public:
    explicit FloodColourMap(bool a_Logarithmic);
    QRgb rgb(const QwtInterval& a_Interval, double a_Value) const override;

private:
    bool m_Logarithmic;
};

} // namespace gui

#endif
