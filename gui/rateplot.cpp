#include "gui/rateplot.h"
#include "gui/plotstyle.h"

#include <qwt_plot_curve.h>

#include <algorithm>

namespace gui {

namespace {
constexpr double sampleSeconds = 0.5;
} // namespace

RatePlot::RatePlot(QWidget* a_Parent)
    : QwtPlot(a_Parent)
    , m_Curve(new QwtPlotCurve(QStringLiteral("photons/s")))
{
    PlotStyle::StyleCurvePlot(this, QStringLiteral("Count rate"), QStringLiteral("time (s)"), QStringLiteral("photons/s"));
    m_Curve->setPen(QColor(200, 90, 20), 2);
    m_Curve->setRenderHint(QwtPlotItem::RenderAntialiased);
    m_Curve->attach(this);
}

void RatePlot::clear()
{
    m_Points.clear();
    m_Seconds = 0.0;
    m_Photons = 0;
    m_LastRate = 0.0;
    m_Highest = 1.0;
    setAxisAutoScale(yLeft);
    m_Curve->setSamples(m_Points);
    replot();
}

void RatePlot::sample(double a_Seconds, qint64 a_Photons)
{
    const double span = a_Seconds - m_Seconds;
    if (span < sampleSeconds)
        return;
    m_LastRate = (a_Photons - m_Photons) / span;
    m_Points.append(QPointF(a_Seconds, m_LastRate));
    m_Seconds = a_Seconds;
    m_Photons = a_Photons;
    m_Highest = std::max(m_Highest, m_LastRate);
    setAxisScale(yLeft, 0.0, m_Highest * 1.15); // from zero, so a steady rate looks steady
    m_Curve->setSamples(m_Points);
    replot();
}

} // namespace gui
