#include "tools/pictures/floodimage.h"

#include "tools/pictures/colourmap.h"
#include "tools/pictures/plotaxis.h"
#include "tools/terminal/terminal.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <algorithm>

namespace tool {

namespace {
constexpr int side = PhotonTally::cameraSide;
constexpr int cell = 26;
constexpr int gridLeft = 84;
constexpr int gridTop = 106;
constexpr int grid = side * cell;
constexpr int barLeft = gridLeft + grid + 34;
constexpr int barWidth = 22;
constexpr int width = barLeft + barWidth + 100;
constexpr int height = gridTop + grid + 84;

QFont font(int a_Pixels, bool a_Bold = false)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(a_Pixels);
    f.setBold(a_Bold);
    return f;
}

// A white line with a black edge shows on every colour of the scale.
void drawBorder(QPainter& a_Painter, const QLine& a_Line)
{
    a_Painter.setPen(QPen(Qt::black, 5, Qt::SolidLine, Qt::SquareCap));
    a_Painter.drawLine(a_Line);
    a_Painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::SquareCap));
    a_Painter.drawLine(a_Line);
}

void drawCells(QPainter& a_Painter, const FloodImage::Counts& a_Counts, double a_Scale)
{
    for (int pixel = 1; pixel <= PhotonTally::cameraPixels; ++pixel)
        a_Painter.fillRect(FloodImage::cellRect(pixel), ColourMap::at(double(a_Counts[size_t(pixel - 1)]) / a_Scale));
    a_Painter.setPen(QPen(QColor(0, 0, 0, 70), 1));
    for (int i = 1; i < side; ++i) {
        a_Painter.drawLine(gridLeft + i * cell, gridTop, gridLeft + i * cell, gridTop + grid);
        a_Painter.drawLine(gridLeft, gridTop + i * cell, gridLeft + grid, gridTop + i * cell);
    }
}

void drawGMs(QPainter& a_Painter, const FloodImage::Counts& a_Counts)
{
    const int half = grid / 2;
    drawBorder(a_Painter, QLine(gridLeft + half, gridTop, gridLeft + half, gridTop + grid));
    drawBorder(a_Painter, QLine(gridLeft, gridTop + half, gridLeft + grid, gridTop + half));
    for (const QLine& edge : {QLine(gridLeft, gridTop, gridLeft + grid, gridTop),
                              QLine(gridLeft, gridTop + grid, gridLeft + grid, gridTop + grid),
                              QLine(gridLeft, gridTop, gridLeft, gridTop + grid),
                              QLine(gridLeft + grid, gridTop, gridLeft + grid, gridTop + grid)})
        drawBorder(a_Painter, edge);

    // GM 1 and 2 named above their quadrants, GM 4 and 3 below.
    a_Painter.setFont(font(15, true));
    a_Painter.setPen(Qt::black);
    a_Painter.drawText(QRect(gridLeft, 62, half, 20), Qt::AlignCenter, QStringLiteral("GM 1"));
    a_Painter.drawText(QRect(gridLeft + half, 62, half, 20), Qt::AlignCenter, QStringLiteral("GM 2"));
    a_Painter.drawText(QRect(gridLeft, gridTop + grid + 6, half, 20), Qt::AlignCenter, QStringLiteral("GM 4"));
    a_Painter.drawText(QRect(gridLeft + half, gridTop + grid + 6, half, 20), Qt::AlignCenter, QStringLiteral("GM 3"));

    // A quadrant without a single photon says so, rather than pass for a cold GM.
    a_Painter.setFont(font(14));
    for (int gm = 1; gm <= 4; ++gm) {
        qint64 sum = 0;
        for (int pixel = 1; pixel <= PhotonTally::cameraPixels; ++pixel)
            if (PhotonTally::gmOfCameraPixel(pixel) == gm)
                sum += a_Counts[size_t(pixel - 1)];
        if (sum != 0)
            continue;
        const int x = (gm == 2 || gm == 3) ? gridLeft + half : gridLeft;
        const int y = (gm == 3 || gm == 4) ? gridTop + half : gridTop;
        a_Painter.setPen(Qt::white);
        a_Painter.drawText(QRect(x, y, half, half), Qt::AlignCenter, QStringLiteral("no photons"));
    }
}

void drawLabels(QPainter& a_Painter)
{
    a_Painter.setFont(font(11));
    a_Painter.setPen(Qt::black);
    for (int column = 1; column <= side; ++column)
        a_Painter.drawText(QRect(gridLeft + (column - 1) * cell, gridTop - 20, cell, 16), Qt::AlignCenter,
                           QString::number(column));
    for (int row = 1; row <= side; ++row)
        a_Painter.drawText(QRect(0, gridTop + (row - 1) * cell, gridLeft - 8, cell), Qt::AlignRight | Qt::AlignVCenter,
                           QString::number((row - 1) * side + 1));
    a_Painter.setFont(font(11, true));
    a_Painter.drawText(QRect(0, gridTop - 36, gridLeft - 8, 32), Qt::AlignRight | Qt::AlignBottom,
                       QStringLiteral("pixel\ncolumn \u2192"));
}

void drawScale(QPainter& a_Painter, double a_Scale)
{
    const QRect bar(barLeft, gridTop, barWidth, grid);
    QLinearGradient gradient(bar.bottomLeft(), bar.topLeft());
    for (int i = 0; i <= 16; ++i)
        gradient.setColorAt(i / 16.0, ColourMap::at(i / 16.0));
    a_Painter.fillRect(bar, gradient);
    a_Painter.setPen(QPen(Qt::black, 1));
    a_Painter.drawRect(bar.adjusted(0, 0, -1, -1));

    a_Painter.setFont(font(12));
    const QVector<double> ticks = PlotAxis::ticks(0.0, a_Scale, 6);
    const double step = ticks.size() > 1 ? ticks[1] - ticks[0] : 1.0;
    for (const double tick : ticks) {
        const int y = bar.bottom() - int(tick / a_Scale * (bar.height() - 1) + 0.5);
        a_Painter.drawLine(bar.right() + 1, y, bar.right() + 6, y);
        a_Painter.drawText(QRect(bar.right() + 9, y - 9, 90, 18), Qt::AlignLeft | Qt::AlignVCenter,
                           PlotAxis::label(tick, step));
    }
    a_Painter.setFont(font(12, true));
    a_Painter.drawText(QRect(barLeft - 20, gridTop - 40, 140, 34), Qt::AlignLeft | Qt::AlignBottom,
                       QStringLiteral("photons\nper pixel"));
}
} // namespace

QSize FloodImage::size()
{
    return {width, height};
}

QRect FloodImage::cellRect(int a_Pixel)
{
    const int row = (a_Pixel - 1) / side;
    const int column = (a_Pixel - 1) % side;
    return {gridLeft + column * cell, gridTop + row * cell, cell, cell};
}

int FloodImage::brightestPixel(const Counts& a_Counts)
{
    const auto top = std::max_element(a_Counts.begin(), a_Counts.end());
    return *top > 0 ? int(top - a_Counts.begin()) + 1 : 0;
}

QImage FloodImage::render(const Counts& a_Counts, const QString& a_Caption)
{
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);

    qint64 total = 0;
    for (const qint64 count : a_Counts)
        total += count;
    const int brightest = brightestPixel(a_Counts);
    const double scale = brightest > 0 ? PlotAxis::niceCeiling(double(a_Counts[size_t(brightest - 1)])) : 1.0;

    painter.setPen(Qt::black);
    painter.setFont(font(20, true));
    painter.drawText(QRect(12, 6, width - 24, 28), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Flood: %1 photons on 22 \u00d7 22 camera pixels").arg(Terminal::grouped(total)));
    painter.setFont(font(13));
    painter.drawText(QRect(12, 34, width - 24, 20), Qt::AlignLeft | Qt::AlignVCenter, a_Caption);

    drawCells(painter, a_Counts, scale);
    drawGMs(painter, a_Counts);
    drawLabels(painter);
    drawScale(painter, scale);

    painter.setFont(font(13));
    painter.setPen(Qt::black);
    painter.drawText(QRect(12, height - 50, width - 24, 22), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Camera pixel number = number at the row's left + column \u2212 1 (1 to 484, row by row)."));
    if (brightest > 0) {
        painter.setPen(QPen(Qt::white, 2));
        painter.drawRect(cellRect(brightest).adjusted(1, 1, -2, -2));
        painter.setPen(Qt::black);
        painter.drawText(QRect(12, height - 28, width - 24, 22), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("Brightest: pixel %1 (row %2, column %3), %4 photons, in the white box.")
                             .arg(brightest)
                             .arg((brightest - 1) / side + 1)
                             .arg((brightest - 1) % side + 1)
                             .arg(Terminal::grouped(a_Counts[size_t(brightest - 1)])));
    }
    return image;
}

} // namespace tool
