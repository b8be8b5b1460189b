// The flood image: counts of the 22 x 22 camera pixels as a spectrogram with GM
// borders and a colour bar, linear or logarithmic. Hovering a pixel names it;
// a left click asks for that pixel's spectrum, a right click for its GM's.
#ifndef GUI_FLOODPLOT_H
#define GUI_FLOODPLOT_H

#include "gammamodule/cameralayout.h"
#include "gui/spectrumselection.h"

#include <qwt_plot.h>

#include <array>

class QwtMatrixRasterData;
class QwtPlotShapeItem;
class QwtPlotSpectrogram;

namespace gui {

class FloodPlot : public QwtPlot {
    Q_OBJECT
public:
    using Counts = std::array<qint64, CameraLayout::CAMERA_PIXELS>;

    explicit FloodPlot(QWidget* a_Parent = nullptr);

    void setCounts(const Counts& a_Counts);
    qint64 countAt(int a_CameraPixel) const;
    void setLogarithmic(bool a_Logarithmic);
    void setSelection(const SpectrumSelection& a_Selection);
    void resetZoom();

    // "Camera pixel 358 (row 17, column 6) | GM 4, pixel 6 | 1,234 counts"
    QString describe(int a_CameraPixel) const;
    // The camera pixel at a plot position, 0 outside the camera.
    static int pixelAt(const QPointF& a_Position);
    // Where the centre of a camera pixel is drawn on the canvas.
    QPoint canvasPositionOf(int a_CameraPixel) const;

signals:
    void selectionRequested(const SpectrumSelection& a_Selection);

private:
    void updateColourScale();

    QwtPlotSpectrogram* m_Spectrogram;
    QwtMatrixRasterData* m_Raster;
    QwtPlotShapeItem* m_SelectionFrame;
    Counts m_Counts {};
    bool m_Logarithmic = false;
};

} // namespace gui

#endif
