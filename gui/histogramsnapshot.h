// A copy of the live histograms taken by the window's refresh: counts of the 484
// camera pixels and an energy histogram per pixel, plus the photons that have no
// camera pixel. Plain data, owned by one thread.
#ifndef GUI_HISTOGRAMSNAPSHOT_H
#define GUI_HISTOGRAMSNAPSHOT_H

#include "gammamodule/cameralayout.h"
#include "gui/spectrumselection.h"

#include <QtGlobal>
#include <array>
#include <vector>

namespace gui {

struct HistogramSnapshot {
    static constexpr int binWidth = 4;   // energy units per bin
    static constexpr int bins = 1024;    // energies 0..4095, the ADC's range
    static constexpr int rows = CameraLayout::CAMERA_PIXELS + 1; // row 0: no camera pixel

    std::array<qint64, CameraLayout::CAMERA_PIXELS> pixelCounts {}; // every photon, row by row
    std::vector<quint32> spectra = std::vector<quint32>(size_t(rows) * bins, 0); // positive energies
    qint64 photons = 0;
    qint64 unplaced = 0;          // photons whose pixel has no place on the camera
    qint64 negativeEnergies = 0;  // counted in the flood, not in any spectrum
    qint64 aboveRange = 0;        // energies above the last bin
    quint64 generation = 0;       // changes whenever photons were added

    // Counts per bin of the selection.
    std::vector<double> spectrum(const SpectrumSelection& a_Selection) const;
    // Photons of the selection with a_Low <= energy < a_High; both are bin edges.
    qint64 countsIn(const SpectrumSelection& a_Selection, int a_Low, int a_High) const;
    static int binOf(int a_Energy) { return a_Energy / binWidth; }
};

} // namespace gui

#endif
