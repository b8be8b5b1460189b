#include "tools/pictures/spectrumplot.h"

#include "tools/pictures/plotaxis.h"
#include "tools/terminal/terminal.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace tool {

namespace {
constexpr int width = 960;
constexpr int height = 600;
const QRect plot(100, 70, 820, 440);

QFont font(int a_Pixels, bool a_Bold = false)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(a_Pixels);
    f.setBold(a_Bold);
    return f;
}

struct Frame {
    double xLow;
    double xHigh;
    double yHigh;
    double x(double a_Energy) const { return plot.left() + (a_Energy - xLow) / (xHigh - xLow) * plot.width(); }
    double y(double a_Count) const { return plot.bottom() - a_Count / yHigh * plot.height(); }
};

void drawAxes(QPainter& a_Painter, const Frame& a_Frame, const EnergyHistogram& a_Histogram)
{
    a_Painter.setFont(font(12));
    const QVector<double> xTicks = PlotAxis::ticks(a_Frame.xLow, a_Frame.xHigh, 10);
    const double xStep = xTicks.size() > 1 ? xTicks[1] - xTicks[0] : 1.0;
    for (const double tick : xTicks) {
        const int x = int(a_Frame.x(tick) + 0.5);
        a_Painter.setPen(QPen(QColor(225, 225, 225), 1));
        a_Painter.drawLine(x, plot.top(), x, plot.bottom());
        a_Painter.setPen(Qt::black);
        a_Painter.drawLine(x, plot.bottom(), x, plot.bottom() + 5);
        a_Painter.drawText(QRect(x - 40, plot.bottom() + 7, 80, 18), Qt::AlignCenter, PlotAxis::label(tick, xStep));
    }
    const QVector<double> yTicks = PlotAxis::ticks(0.0, a_Frame.yHigh, 8);
    const double yStep = yTicks.size() > 1 ? yTicks[1] - yTicks[0] : 1.0;
    for (const double tick : yTicks) {
        const int y = int(a_Frame.y(tick) + 0.5);
        a_Painter.setPen(QPen(QColor(225, 225, 225), 1));
        a_Painter.drawLine(plot.left(), y, plot.right(), y);
        a_Painter.setPen(Qt::black);
        a_Painter.drawLine(plot.left() - 5, y, plot.left(), y);
        a_Painter.drawText(QRect(0, y - 9, plot.left() - 8, 18), Qt::AlignRight | Qt::AlignVCenter,
                           PlotAxis::label(tick, yStep));
    }
    a_Painter.setFont(font(14, true));
    a_Painter.drawText(QRect(plot.left(), plot.bottom() + 30, plot.width(), 22), Qt::AlignCenter,
                       QStringLiteral("Energy (ADC units)"));
    a_Painter.save();
    a_Painter.translate(22, plot.center().y());
    a_Painter.rotate(-90);
    a_Painter.drawText(QRect(-plot.height() / 2, -12, plot.height(), 24), Qt::AlignCenter,
                       QStringLiteral("Photons per bin of %1 ADC units").arg(a_Histogram.binWidth));
    a_Painter.restore();
}

void drawBars(QPainter& a_Painter, const Frame& a_Frame, const EnergyHistogram& a_Histogram)
{
    QPainterPath steps(QPointF(a_Frame.x(a_Histogram.first), plot.bottom()));
    for (size_t i = 0; i < a_Histogram.counts.size(); ++i) {
        const double left = a_Frame.x(a_Histogram.first + double(i) * a_Histogram.binWidth);
        const double right = a_Frame.x(a_Histogram.first + double(i + 1) * a_Histogram.binWidth);
        const double top = a_Frame.y(a_Histogram.counts[i]);
        steps.lineTo(left, top);
        steps.lineTo(right, top);
    }
    steps.lineTo(a_Frame.x(a_Histogram.first + double(a_Histogram.counts.size()) * a_Histogram.binWidth), plot.bottom());
    steps.closeSubpath();
    a_Painter.setPen(QPen(QColor(31, 90, 160), 1));
    a_Painter.setBrush(QColor(120, 170, 220));
    a_Painter.drawPath(steps);
    a_Painter.setBrush(Qt::NoBrush);
}

void drawPeak(QPainter& a_Painter, const Frame& a_Frame, const Photopeak& a_Peak)
{
    // The fitted Gaussian over +-3 sigma, in counts per bin of the histogram.
    const double sigma = a_Peak.sigma();
    QPainterPath curve;
    for (int i = 0; i <= 120; ++i) {
        const double energy = a_Peak.centre - 3.0 * sigma + i * sigma / 20.0;
        const QPointF point(a_Frame.x(energy), a_Frame.y(a_Peak.at(energy)));
        if (i == 0)
            curve.moveTo(point);
        else
            curve.lineTo(point);
    }
    a_Painter.setPen(QPen(QColor(200, 30, 30), 2.5));
    a_Painter.drawPath(curve);

    const double top = a_Frame.y(a_Peak.height);
    a_Painter.setPen(QPen(QColor(200, 30, 30), 1.5, Qt::DashLine));
    a_Painter.drawLine(QPointF(a_Frame.x(a_Peak.centre), plot.bottom()), QPointF(a_Frame.x(a_Peak.centre), top - 10));
    // FWHM as a double arrow at half height.
    const double half = a_Frame.y(a_Peak.height / 2.0);
    const double left = a_Frame.x(a_Peak.centre - a_Peak.fwhm / 2.0);
    const double right = a_Frame.x(a_Peak.centre + a_Peak.fwhm / 2.0);
    a_Painter.setPen(QPen(Qt::black, 2));
    a_Painter.drawLine(QPointF(left, half), QPointF(right, half));
    for (const double x : {left, right}) {
        const double d = x == left ? 6.0 : -6.0;
        a_Painter.drawLine(QPointF(x, half), QPointF(x + d, half - 4));
        a_Painter.drawLine(QPointF(x, half), QPointF(x + d, half + 4));
    }
}

void drawLegend(QPainter& a_Painter, const Frame& a_Frame, const EnergyHistogram& a_Histogram,
                const Photopeak& a_Peak, qint64 a_NegativeEnergies)
{
    QStringList lines;
    if (a_Peak.found) {
        lines << QStringLiteral("Photopeak")
              << QStringLiteral("centre  %1 ADC").arg(a_Peak.centre, 0, 'f', 1)
              << QStringLiteral("FWHM   %1 ADC (%2 %)").arg(a_Peak.fwhm, 0, 'f', 1).arg(100.0 * a_Peak.fwhm / a_Peak.centre, 0, 'f', 1);
        if (!a_Peak.fitted)
            lines << QStringLiteral("(from half maximum, no fit)");
    } else {
        lines << QStringLiteral("No photopeak found");
    }
    if (a_Histogram.above > 0)
        lines << QStringLiteral("%1 photons above the range").arg(Terminal::grouped(a_Histogram.above));
    if (a_NegativeEnergies > 0)
        lines << QStringLiteral("%1 negative energies not shown").arg(Terminal::grouped(a_NegativeEnergies));

    // On the side away from the photopeak, so the box never hides it.
    const int boxWidth = 318;
    const bool peakOnRight = a_Peak.found && a_Frame.x(a_Peak.centre) > plot.center().x();
    const int boxLeft = peakOnRight ? plot.left() + 12 : plot.right() - 12 - boxWidth;
    const QRect box(boxLeft, plot.top() + 12, boxWidth, 24 * int(lines.size()) + 16);
    a_Painter.setPen(QPen(Qt::black, 1));
    a_Painter.setBrush(QColor(255, 255, 255, 235));
    a_Painter.drawRect(box);
    a_Painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < lines.size(); ++i) {
        a_Painter.setFont(font(i == 0 ? 17 : 16, i == 0));
        a_Painter.setPen(i == 0 && a_Peak.found ? QColor(200, 30, 30) : QColor(Qt::black));
        a_Painter.drawText(QRect(box.left() + 12, box.top() + 8 + 24 * i, box.width() - 20, 24),
                           Qt::AlignLeft | Qt::AlignVCenter, lines[i]);
    }
}
} // namespace

EnergyHistogram EnergyHistogram::of(const std::vector<qint64>& a_CountsByEnergy)
{
    EnergyHistogram histogram;
    qint64 total = 0;
    for (const qint64 count : a_CountsByEnergy)
        total += count;
    // The 99.9th percentile, so a few wild values do not squash the plot.
    int upper = 0;
    qint64 seen = 0;
    for (size_t energy = 0; energy < a_CountsByEnergy.size() && total > 0; ++energy) {
        seen += a_CountsByEnergy[energy];
        if (seen * 1000 >= total * 999) {
            upper = int(energy);
            break;
        }
    }
    const double high = PlotAxis::niceCeiling(std::max(64.0, upper * 1.12));
    histogram.binWidth = std::max(1, int(PlotAxis::niceStep(high, 200)));
    const int bins = int(std::ceil(high / histogram.binWidth));
    histogram.counts.assign(size_t(bins), 0.0);
    for (size_t energy = 0; energy < a_CountsByEnergy.size(); ++energy) {
        const qint64 count = a_CountsByEnergy[energy];
        if (count == 0)
            continue;
        const size_t bin = energy / size_t(histogram.binWidth);
        if (bin < histogram.counts.size()) {
            histogram.counts[bin] += double(count);
            histogram.photons += count;
        } else {
            histogram.above += count;
        }
    }
    return histogram;
}

QSize SpectrumPlot::size()
{
    return {width, height};
}

QImage SpectrumPlot::render(const EnergyHistogram& a_Histogram, const Photopeak& a_Peak, const QString& a_Caption,
                            qint64 a_NegativeEnergies)
{
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    const double tallest = a_Histogram.counts.empty()
                               ? 0.0
                               : *std::max_element(a_Histogram.counts.begin(), a_Histogram.counts.end());
    Frame frame;
    frame.xLow = a_Histogram.first;
    frame.xHigh = a_Histogram.first + double(a_Histogram.counts.size()) * a_Histogram.binWidth;
    frame.yHigh = PlotAxis::niceCeiling(std::max({1.0, tallest, a_Peak.found ? a_Peak.height : 0.0}) * 1.08);

    painter.setPen(Qt::black);
    painter.setFont(font(20, true));
    painter.drawText(QRect(12, 6, width - 24, 28), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Energy spectrum: %1 photons").arg(Terminal::grouped(a_Histogram.photons)));
    painter.setFont(font(13));
    painter.drawText(QRect(12, 34, width - 24, 20), Qt::AlignLeft | Qt::AlignVCenter, a_Caption);

    drawAxes(painter, frame, a_Histogram);
    painter.save();
    painter.setClipRect(plot);
    drawBars(painter, frame, a_Histogram);
    if (a_Peak.found)
        drawPeak(painter, frame, a_Peak);
    painter.restore();
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(plot);
    drawLegend(painter, frame, a_Histogram, a_Peak, a_NegativeEnergies);
    return image;
}

} // namespace tool
