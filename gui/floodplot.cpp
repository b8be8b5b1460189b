#include "gui/floodplot.h"
#include "gui/plotstyle.h"

#include "gui/colourmaps.h"
#include "gui/trackerpicker.h"
#include "tools/terminal/terminal.h"

#include <qwt_matrix_raster_data.h>
#include <qwt_picker_machine.h>
#include <qwt_plot_magnifier.h>
#include <qwt_plot_marker.h>
#include <qwt_plot_panner.h>
#include <qwt_plot_shapeitem.h>
#include <qwt_plot_spectrogram.h>
#include <qwt_scale_widget.h>

#include <algorithm>
#include <cmath>

namespace gui {

namespace {
constexpr int side = CameraLayout::CAMERA_SIDE;
constexpr int gmSide = CameraLayout::GM_SIDE;

QwtPlotMarker* addMarker(QwtPlot* a_Plot, QwtPlotMarker::LineStyle a_Style, double a_Value)
{
    auto* marker = new QwtPlotMarker;
    marker->setLineStyle(a_Style);
    marker->setLinePen(QColor(255, 255, 255, 200), 2);
    marker->setValue(a_Value, a_Value);
    marker->attach(a_Plot);
    return marker;
}

// The frame around a GM's quadrant or a pixel, in plot coordinates.
QRectF frameOf(const SpectrumSelection& a_Selection)
{
    if (a_Selection.kind == SpectrumSelection::Pixel) {
        const int index = a_Selection.number - 1;
        return QRectF(index % side, index / side, 1, 1);
    }
    const int gm = a_Selection.number;
    return QRectF(CameraLayout::ColumnOffset(gm), CameraLayout::RowOffset(gm), gmSide, gmSide);
}

QwtPlotPicker* clickPicker(QWidget* a_Canvas, Qt::MouseButton a_Button)
{
    auto* picker = new QwtPlotPicker(QwtPlot::xBottom, QwtPlot::yLeft, QwtPicker::NoRubberBand,
                                     QwtPicker::AlwaysOff, a_Canvas);
    picker->setStateMachine(new QwtPickerClickPointMachine);
    picker->setMousePattern(QwtEventPattern::MouseSelect1, a_Button);
    return picker;
}
} // namespace

FloodPlot::FloodPlot(QWidget* a_Parent)
    : QwtPlot(a_Parent)
    , m_Spectrogram(new QwtPlotSpectrogram)
    , m_Raster(new QwtMatrixRasterData)
    , m_SelectionFrame(new QwtPlotShapeItem)
{
    setTitle(QStringLiteral("Flood"));
    setCanvasBackground(Qt::black);
    m_Raster->setInterval(Qt::XAxis, QwtInterval(0, side));
    m_Raster->setInterval(Qt::YAxis, QwtInterval(0, side));
    m_Spectrogram->setData(m_Raster);
    m_Spectrogram->setRenderThreadCount(1);
    m_Spectrogram->attach(this);
    addMarker(this, QwtPlotMarker::VLine, gmSide);
    addMarker(this, QwtPlotMarker::HLine, gmSide);
    for (int gm = 1; gm <= CameraLayout::GM_COUNT; ++gm) {
        auto* label = new QwtPlotMarker;
        QwtText text(QStringLiteral("GM %1").arg(gm));
        text.setColor(QColor(255, 255, 255, 200));
        label->setLabel(text);
        label->setLabelAlignment(Qt::AlignRight | Qt::AlignBottom);
        label->setValue(CameraLayout::ColumnOffset(gm) + 0.2, CameraLayout::RowOffset(gm) + 0.1);
        label->attach(this);
    }
    m_SelectionFrame->setPen(QPen(Qt::green, 2));
    m_SelectionFrame->setVisible(false);
    m_SelectionFrame->attach(this);

    setAxisTitle(xBottom, QStringLiteral("column"));
    setAxisTitle(yLeft, QStringLiteral("row"));
    setAxisTitle(yRight, QStringLiteral("counts"));
    enableAxis(yRight);
    axisWidget(yRight)->setColorBarEnabled(true);
    axisWidget(yRight)->setColorBarWidth(14);
    resetZoom();

    new TrackerPicker(canvas(), [this](const QPointF& a_Position) { return describe(pixelAt(a_Position)); });
    connect(clickPicker(canvas(), Qt::LeftButton), qOverload<const QPointF&>(&QwtPlotPicker::selected), this,
            [this](const QPointF& a_Position) {
                if (const int pixel = pixelAt(a_Position))
                    emit selectionRequested(SpectrumSelection::pixel(pixel));
            });
    connect(clickPicker(canvas(), Qt::RightButton), qOverload<const QPointF&>(&QwtPlotPicker::selected), this,
            [this](const QPointF& a_Position) {
                if (const int pixel = pixelAt(a_Position))
                    emit selectionRequested(SpectrumSelection::gm(CameraLayout::GMOfCameraPixel(pixel)));
            });
    auto* magnifier = new QwtPlotMagnifier(canvas());
    magnifier->setMouseButton(Qt::NoButton);
    magnifier->setAxisEnabled(yRight, false);
    (new QwtPlotPanner(canvas()))->setMouseButton(Qt::MiddleButton);
    setCounts(m_Counts);
}

void FloodPlot::resetZoom()
{
    setAxisScale(xBottom, 0, side, gmSide);
    setAxisScale(yLeft, side, 0, gmSide); // row 0 at the top, as pixel 1 is
    replot();
}

void FloodPlot::setCounts(const Counts& a_Counts)
{
    m_Counts = a_Counts;
    QVector<double> values(CameraLayout::CAMERA_PIXELS);
    std::copy(a_Counts.begin(), a_Counts.end(), values.begin());
    m_Raster->setValueMatrix(values, side);
    updateColourScale();
}

qint64 FloodPlot::countAt(int a_CameraPixel) const
{
    if (a_CameraPixel < 1 || a_CameraPixel > CameraLayout::CAMERA_PIXELS)
        return 0;
    return m_Counts[size_t(a_CameraPixel - 1)];
}

void FloodPlot::setLogarithmic(bool a_Logarithmic)
{
    m_Logarithmic = a_Logarithmic;
    PlotStyle::SetLogarithmicAxis(this, yRight, a_Logarithmic);
    updateColourScale();
}

void FloodPlot::updateColourScale()
{
    const double highest = double(std::max<qint64>(1, *std::max_element(m_Counts.begin(), m_Counts.end())));
    const QwtInterval range = m_Logarithmic ? QwtInterval(1.0, std::max(10.0, highest)) : QwtInterval(0.0, highest);
    m_Raster->setInterval(Qt::ZAxis, range);
    m_Spectrogram->setColorMap(new FloodColourMap(m_Logarithmic));
    axisWidget(yRight)->setColorMap(range, new FloodColourMap(m_Logarithmic));
    setAxisScale(yRight, range.minValue(), range.maxValue());
    replot();
}

void FloodPlot::setSelection(const SpectrumSelection& a_Selection)
{
    m_SelectionFrame->setVisible(a_Selection.kind != SpectrumSelection::Total);
    if (a_Selection.kind != SpectrumSelection::Total)
        m_SelectionFrame->setRect(frameOf(a_Selection));
    replot();
}

int FloodPlot::pixelAt(const QPointF& a_Position)
{
    const int column = int(std::floor(a_Position.x()));
    const int row = int(std::floor(a_Position.y()));
    if (column < 0 || column >= side || row < 0 || row >= side)
        return 0;
    return row * side + column + 1;
}

QString FloodPlot::describe(int a_CameraPixel) const
{
    if (a_CameraPixel < 1)
        return QString();
    const int index = a_CameraPixel - 1;
    const int row = index / side;
    const int column = index % side;
    const int gm = CameraLayout::GMOfCameraPixel(a_CameraPixel);
    const int local = (row - CameraLayout::RowOffset(gm)) * gmSide + column - CameraLayout::ColumnOffset(gm) + 1;
    return QStringLiteral("Camera pixel %1 (row %2, column %3)\nGM %4, pixel %5\n%6 counts")
        .arg(a_CameraPixel)
        .arg(row + 1)
        .arg(column + 1)
        .arg(gm)
        .arg(local)
        .arg(tool::Terminal::grouped(countAt(a_CameraPixel)));
}

QPoint FloodPlot::canvasPositionOf(int a_CameraPixel) const
{
    const int index = a_CameraPixel - 1;
    return QPoint(int(transform(xBottom, index % side + 0.5)), int(transform(yLeft, index / side + 0.5)));
}

} // namespace gui
