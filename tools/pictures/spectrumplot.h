// The energy spectrum picture: a histogram of the photons' energies with labelled
// axes, the fitted photopeak drawn over it and its centre and FWHM written out.
#ifndef TOOLS_SPECTRUMPLOT_H
#define TOOLS_SPECTRUMPLOT_H

#include "tools/pictures/photopeak.h"

#include <QImage>
#include <QString>
#include <vector>

namespace tool {

struct EnergyHistogram {
    std::vector<double> counts; // per bin
    int first = 0;              // lowest energy of bin 0
    int binWidth = 1;           // energies per bin
    qint64 above = 0;           // photons above the last bin
    qint64 photons = 0;         // photons in the bins

    // Bins covering 0 up to a round energy a little above nearly all photons
    // (the 99.9th percentile), about 200 bins of a round width.
    static EnergyHistogram of(const std::vector<qint64>& a_CountsByEnergy);
};

class SpectrumPlot {
public:
    static QImage render(const EnergyHistogram& a_Histogram, const Photopeak& a_Peak, const QString& a_Caption,
                         qint64 a_NegativeEnergies);
    static QSize size();
};

} // namespace tool

#endif
