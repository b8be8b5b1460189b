// The look the window's curve plots share, and the switch between linear and
// logarithmic scales that the flood and the spectrum offer.
#ifndef QUORVEL_GUI_PLOTSTYLE_H
#define QUORVEL_GUI_PLOTSTYLE_H

#include <QString>

class QwtPlot;

namespace PlotStyle {

// Title, white canvas, axis titles and a dotted grid.
void StyleCurvePlot(QwtPlot* a_pPlot, const QString& a_Title, const QString& a_XTitle, const QString& a_YTitle);
void SetLogarithmicAxis(QwtPlot* a_pPlot, int a_Axis, bool a_Logarithmic);

} // namespace PlotStyle

#endif
