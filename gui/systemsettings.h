// The settings applied before a collection: those `quorvel acquire` takes, with
// the readout mode and options chosen per GM.
#ifndef GUI_SYSTEMSETTINGS_H
#define GUI_SYSTEMSETTINGS_H

#include "tools/pictures/photontally.h"

#include <QVector>

namespace gui {

struct GMReadout {
    int id = 0;
    int mode = 0;     // GMReadoutMode
    int options = 0;  // bit 0 negative energies, bit 1 time detect values
};

struct SystemSettings {
    tool::PixelNumbers numbers = tool::PixelNumbers::Camera;
    int packetRate = 0; // packets per second; 0 keeps the camera's
    QVector<GMReadout> gms;
};

} // namespace gui

#endif
