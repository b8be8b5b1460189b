#include "gui/plotstyle.h"

#include <qwt_plot.h>
#include <qwt_plot_grid.h>
#include <qwt_scale_engine.h>

namespace PlotStyle {

void StyleCurvePlot(QwtPlot* a_pPlot, const QString& a_Title, const QString& a_XTitle, const QString& a_YTitle)
{
    a_pPlot->setTitle(a_Title);
    a_pPlot->setCanvasBackground(Qt::white);
    a_pPlot->setAxisTitle(QwtPlot::xBottom, a_XTitle);
    a_pPlot->setAxisTitle(QwtPlot::yLeft, a_YTitle);
    auto* grid = new QwtPlotGrid;
    grid->setMajorPen(QColor(220, 220, 220), 0, Qt::DotLine);
    grid->attach(a_pPlot);
}

void SetLogarithmicAxis(QwtPlot* a_pPlot, int a_Axis, bool a_Logarithmic)
{
    if (a_Logarithmic)
        a_pPlot->setAxisScaleEngine(a_Axis, new QwtLogScaleEngine);
    else
        a_pPlot->setAxisScaleEngine(a_Axis, new QwtLinearScaleEngine);
}

} // namespace PlotStyle
