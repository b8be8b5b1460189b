// The colour scale of the pictures: viridis, dark blue for few counts to yellow
// for many, legible in grey print and to colour-blind readers.
#ifndef TOOLS_COLOURMAP_H
#define TOOLS_COLOURMAP_H

#include <QColor>

namespace tool {

class ColourMap {
public:
    // a_Fraction from 0 (lowest) to 1 (highest); values outside are clamped.
    static QColor at(double a_Fraction);
    // Black or white, whichever reads better on the colour.
    static QColor textOn(const QColor& a_Background);
};

} // namespace tool

#endif
