// Photons per second against the collection's time.
#ifndef GUI_RATEPLOT_H
#define GUI_RATEPLOT_H

#include <qwt_plot.h>

class QwtPlotCurve;

namespace gui {

class RatePlot : public QwtPlot {
public:
    explicit RatePlot(QWidget* a_Parent = nullptr);
    void clear();
    // Adds the rate since the last sample once at least half a second has passed.
    void sample(double a_Seconds, qint64 a_Photons);
    double lastRate() const { return m_LastRate; }

private:
    QwtPlotCurve* m_Curve;
    QVector<QPointF> m_Points;
    double m_Seconds = 0.0;
    qint64 m_Photons = 0;
    double m_LastRate = 0.0;
    double m_Highest = 1.0;
};

} // namespace gui

#endif
