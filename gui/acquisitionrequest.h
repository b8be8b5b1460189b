// What a collection is asked to do: how long, and which files to write where.
#ifndef GUI_ACQUISITIONREQUEST_H
#define GUI_ACQUISITIONREQUEST_H

#include "tools/pictures/photontally.h"

#include <QString>

namespace gui {

struct AcquisitionRequest {
    double seconds = 0.0; // 0: until stopped
    QString folder;       // where the files go
    bool photonFile = true;        // photons.dat, written from the stream while collecting
    bool configurationFile = true; // configuration.dat, after the collection
    bool pictures = false;         // flood.png and spectrum.png drawn from photons.dat
    tool::PixelNumbers numbers = tool::PixelNumbers::Camera;
    QString caption; // under the pictures
};

} // namespace gui

#endif
