// A plot picker whose tracker text (shown beside the mouse) comes from a function
// of the plot position, so each plot says what lies under the mouse.
#ifndef GUI_TRACKERPICKER_H
#define GUI_TRACKERPICKER_H

#include <qwt_plot_picker.h>

#include <functional>

namespace gui {

class TrackerPicker : public QwtPlotPicker {
public:
    using TextOf = std::function<QString(const QPointF&)>;
    TrackerPicker(QWidget* a_Canvas, TextOf a_TextOf);
    QwtText trackerTextF(const QPointF& a_Position) const override;

private:
    TextOf m_TextOf;
};

} // namespace gui

#endif
