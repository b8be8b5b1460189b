#include "gui/trackerpicker.h"

#include <qwt_picker_machine.h>

namespace gui {

TrackerPicker::TrackerPicker(QWidget* a_Canvas, TextOf a_TextOf)
    : QwtPlotPicker(a_Canvas)
    , m_TextOf(std::move(a_TextOf))
{
    setTrackerMode(QwtPicker::AlwaysOn);
    setStateMachine(new QwtPickerTrackerMachine);
}

QwtText TrackerPicker::trackerTextF(const QPointF& a_Position) const
{
    QwtText text(m_TextOf(a_Position));
    text.setColor(Qt::black);
    text.setBackgroundBrush(QColor(255, 255, 255, 220));
    return text;
}

} // namespace gui
