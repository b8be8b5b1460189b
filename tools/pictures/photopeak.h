// Finds the photopeak in an energy histogram: the highest-energy peak that rises
// clearly above its surroundings (so the noise peak near zero and the Compton
// continuum below it are passed over), then a Gaussian fitted to the bins around it.
#ifndef TOOLS_PHOTOPEAK_H
#define TOOLS_PHOTOPEAK_H

#include <vector>

namespace tool {

struct Photopeak {
    bool found = false;
    double centre = 0.0; // energy units
    double fwhm = 0.0;   // energy units
    double height = 0.0; // counts per bin at the centre
    bool fitted = false; // false: centre and FWHM from the half-maximum points only

    double sigma() const { return fwhm / 2.354820045; }
    // The fitted Gaussian in counts per bin.
    double at(double a_Energy) const;

    // a_Counts[i] holds the integer energies a_First + i * a_BinWidth up to
    // a_First + (i + 1) * a_BinWidth - 1.
    static Photopeak find(const std::vector<double>& a_Counts, double a_First, double a_BinWidth);
};

} // namespace tool

#endif
