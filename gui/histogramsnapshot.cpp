#include "gui/histogramsnapshot.h"

namespace gui {

std::vector<double> HistogramSnapshot::spectrum(const SpectrumSelection& a_Selection) const
{
    std::vector<double> counts(size_t(bins), 0.0);
    const auto addRow = [&](int a_Row) {
        const quint32* row = spectra.data() + size_t(a_Row) * bins;
        for (int bin = 0; bin < bins; ++bin)
            counts[size_t(bin)] += row[bin];
    };
    if (a_Selection.kind == SpectrumSelection::Pixel) {
        if (a_Selection.number >= 1 && a_Selection.number <= CameraLayout::CAMERA_PIXELS)
            addRow(a_Selection.number);
        return counts;
    }
    for (int row = 0; row < rows; ++row) {
        if (a_Selection.kind == SpectrumSelection::Total
            || (row > 0 && CameraLayout::GMOfCameraPixel(row) == a_Selection.number))
            addRow(row);
    }
    return counts;
}

qint64 HistogramSnapshot::countsIn(const SpectrumSelection& a_Selection, int a_Low, int a_High) const
{
    const std::vector<double> counts = spectrum(a_Selection);
    qint64 sum = 0;
    for (int bin = qMax(0, binOf(a_Low)); bin < qMin(bins, binOf(a_High)); ++bin)
        sum += qint64(counts[size_t(bin)]);
    return sum;
}

} // namespace gui
