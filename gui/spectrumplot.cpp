#include "gui/spectrumplot.h"
#include "gui/plotstyle.h"

#include "gui/histogramsnapshot.h"
#include "gui/trackerpicker.h"
#include "tools/terminal/terminal.h"

#include <qwt_picker_machine.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_magnifier.h>
#include <qwt_plot_panner.h>
#include <qwt_plot_textlabel.h>
#include <qwt_plot_zoneitem.h>

#include <algorithm>
#include <cmath>

namespace gui {

namespace {
constexpr int binWidth = HistogramSnapshot::binWidth;
constexpr double energyRange = HistogramSnapshot::bins * binWidth;
constexpr double logFloor = 0.5; // where empty bins sit on a logarithmic axis
} // namespace

SpectrumPlot::SpectrumPlot(QWidget* a_Parent)
    : QwtPlot(a_Parent)
    , m_Curve(new QwtPlotCurve(QStringLiteral("counts")))
    , m_Fit(new QwtPlotCurve(QStringLiteral("photopeak fit")))
    , m_Window(new QwtPlotZoneItem)
    , m_Label(new QwtPlotTextLabel)
{
    PlotStyle::StyleCurvePlot(this, QStringLiteral("Energy spectrum"), QStringLiteral("energy (ADC units)"), QStringLiteral("counts per bin"));
    m_Window->setOrientation(Qt::Vertical);
    m_Window->setBrush(QColor(60, 160, 60, 60));
    m_Window->setPen(QColor(60, 160, 60), 1);
    m_Window->setVisible(false);
    m_Window->attach(this);
    m_Curve->setStyle(QwtPlotCurve::Steps);
    m_Curve->setCurveAttribute(QwtPlotCurve::Inverted);
    m_Curve->setPen(QColor(30, 80, 170), 1.5);
    m_Curve->attach(this);
    m_Fit->setPen(QColor(210, 40, 40), 2, Qt::DashLine);
    m_Fit->setRenderHint(QwtPlotItem::RenderAntialiased);
    m_Fit->attach(this);
    m_Label->attach(this);

    new TrackerPicker(canvas(), [this](const QPointF& a_Position) {
        const int bin = int(a_Position.x()) / binWidth;
        if (a_Position.x() < 0 || bin >= int(m_Counts.size()))
            return QString();
        return QStringLiteral("energy %1 to %2\n%3 counts")
            .arg(bin * binWidth)
            .arg(bin * binWidth + binWidth - 1)
            .arg(tool::Terminal::grouped(qint64(m_Counts[size_t(bin)])));
    });
    auto* windowPicker = new QwtPlotPicker(xBottom, yLeft, QwtPicker::RectRubberBand, QwtPicker::AlwaysOff, canvas());
    windowPicker->setStateMachine(new QwtPickerDragRectMachine);
    windowPicker->setRubberBandPen(QPen(QColor(60, 160, 60), 1, Qt::DashLine));
    connect(windowPicker, qOverload<const QRectF&>(&QwtPlotPicker::selected), this,
            [this](const QRectF& a_Rect) { setEnergyWindow(a_Rect.left(), a_Rect.right()); });
    auto* magnifier = new QwtPlotMagnifier(canvas());
    magnifier->setMouseButton(Qt::NoButton);
    magnifier->setAxisEnabled(yLeft, false); // counts follow the data
    (new QwtPlotPanner(canvas()))->setMouseButton(Qt::MiddleButton);
    resetZoom();
    updateCurves();
}

void SpectrumPlot::resetZoom()
{
    setAxisScale(xBottom, 0, energyRange);
    replot();
}

void SpectrumPlot::setSpectrum(const std::vector<double>& a_Counts, const QString& a_What, double a_Seconds)
{
    m_Counts = a_Counts;
    m_What = a_What;
    m_Seconds = a_Seconds;
    m_Peak = tool::Photopeak::find(m_Counts, 0.0, binWidth);
    updateCurves();
}

void SpectrumPlot::setLogarithmic(bool a_Logarithmic)
{
    m_Logarithmic = a_Logarithmic;
    PlotStyle::SetLogarithmicAxis(this, yLeft, a_Logarithmic);
    updateCurves();
}

void SpectrumPlot::setEnergyWindow(double a_Low, double a_High)
{
    const double low = std::clamp(std::min(a_Low, a_High), 0.0, energyRange);
    const double high = std::clamp(std::max(a_Low, a_High), 0.0, energyRange);
    m_Low = int(std::floor(low / binWidth)) * binWidth;
    m_High = int(std::ceil(high / binWidth)) * binWidth;
    updateCurves();
    emit energyWindowChanged();
}

qint64 SpectrumPlot::windowCounts() const
{
    qint64 sum = 0;
    for (int bin = m_Low / binWidth; bin < m_High / binWidth && bin < int(m_Counts.size()); ++bin)
        sum += qint64(m_Counts[size_t(bin)]);
    return sum;
}

QString SpectrumPlot::summary() const
{
    qint64 total = 0;
    for (double count : m_Counts)
        total += qint64(count);
    QStringList lines {QStringLiteral("%1: %2 counts").arg(m_What, tool::Terminal::grouped(total))};
    if (m_Peak.found)
        lines << QStringLiteral("photopeak %1, FWHM %2 (%3 %)")
                     .arg(m_Peak.centre, 0, 'f', 1)
                     .arg(m_Peak.fwhm, 0, 'f', 1)
                     .arg(m_Peak.centre > 0 ? 100.0 * m_Peak.fwhm / m_Peak.centre : 0.0, 0, 'f', 1);
    else
        lines << QStringLiteral("photopeak not found yet");
    if (hasEnergyWindow()) {
        const qint64 counts = windowCounts();
        lines << QStringLiteral("window %1 to %2: %3 counts, %4 /s")
                     .arg(m_Low)
                     .arg(m_High - 1)
                     .arg(tool::Terminal::grouped(counts))
                     .arg(tool::Terminal::grouped(m_Seconds > 0 ? qint64(counts / m_Seconds) : 0));
    } else {
        lines << QStringLiteral("drag to set an energy window");
    }
    return lines.join(QLatin1Char('\n'));
}

void SpectrumPlot::updateCurves()
{
    QVector<QPointF> points;
    points.reserve(int(m_Counts.size()) + 1);
    double highest = 1.0;
    for (size_t bin = 0; bin < m_Counts.size(); ++bin) {
        const double count = m_Logarithmic ? std::max(logFloor, m_Counts[bin]) : m_Counts[bin];
        points.append(QPointF(double(bin * binWidth), count));
        highest = std::max(highest, m_Counts[bin]);
    }
    if (!m_Counts.empty())
        points.append(QPointF(energyRange, points.last().y()));
    m_Curve->setSamples(points);

    QVector<QPointF> fit;
    if (m_Peak.found) {
        const double reach = 3.0 * m_Peak.sigma();
        for (int step = 0; step <= 120; ++step) {
            const double energy = m_Peak.centre - reach + 2.0 * reach * step / 120.0;
            fit.append(QPointF(energy, std::max(m_Logarithmic ? logFloor : 0.0, m_Peak.at(energy))));
        }
    }
    m_Fit->setSamples(fit);

    m_Window->setVisible(hasEnergyWindow());
    m_Window->setInterval(m_Low, m_High);
    QwtText label(summary());
    label.setRenderFlags(Qt::AlignRight | Qt::AlignTop);
    label.setBackgroundBrush(QColor(255, 255, 255, 210));
    label.setBorderRadius(3);
    QFont font = label.font();
    font.setPointSizeF(font.pointSizeF() * 0.85);
    label.setFont(font);
    m_Label->setText(label);
    if (m_Logarithmic)
        setAxisScale(yLeft, logFloor, highest * 2.0);
    else
        setAxisScale(yLeft, 0.0, highest * 1.1);
    replot();
}

} // namespace gui
