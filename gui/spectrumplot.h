// The energy spectrum of the selected photons, with the photopeak's fitted
// Gaussian, its centre and FWHM, and an energy window dragged with the mouse that
// gives the counts and the rate inside it. Counts linear or logarithmic.
#ifndef GUI_SPECTRUMPLOT_H
#define GUI_SPECTRUMPLOT_H

#include "tools/pictures/photopeak.h"

#include <qwt_plot.h>

#include <vector>

class QwtPlotCurve;
class QwtPlotTextLabel;
class QwtPlotZoneItem;

namespace gui {

class SpectrumPlot : public QwtPlot {
    Q_OBJECT
public:
    explicit SpectrumPlot(QWidget* a_Parent = nullptr);

    // a_Counts: bins of HistogramSnapshot::binWidth from energy 0; a_Seconds gives the window's rate.
    void setSpectrum(const std::vector<double>& a_Counts, const QString& a_What, double a_Seconds);
    void setLogarithmic(bool a_Logarithmic);
    // Widened to whole bins; an empty window clears it.
    void setEnergyWindow(double a_Low, double a_High);
    bool hasEnergyWindow() const { return m_High > m_Low; }
    int windowLow() const { return m_Low; }   // first energy inside
    int windowHigh() const { return m_High; } // first energy above
    qint64 windowCounts() const;
    const tool::Photopeak& peak() const { return m_Peak; }
    QString summary() const; // the text drawn in the plot's corner
    void resetZoom();

signals:
    void energyWindowChanged();

private:
    void updateCurves();

    QwtPlotCurve* m_Curve;
    QwtPlotCurve* m_Fit;
    QwtPlotZoneItem* m_Window;
    QwtPlotTextLabel* m_Label;
    std::vector<double> m_Counts;
    tool::Photopeak m_Peak;
    QString m_What;
    double m_Seconds = 0.0;
    int m_Low = 0;
    int m_High = 0;
    bool m_Logarithmic = false;
};

} // namespace gui

#endif
