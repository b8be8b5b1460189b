// The summary table printed at the end of `quorvel acquire`.
#ifndef TOOLS_RUNSUMMARY_H
#define TOOLS_RUNSUMMARY_H

#include "tools/pictures/picturewriter.h"

#include <QMap>
#include <QString>

namespace camsim {
class VirtualCamera;
}

namespace tool {

struct RunSummary {
    QString camera;
    QString settings;
    int gms = 0;
    double seconds = 0.0;
    QString stoppedEarlyBy; // "Ctrl-C", "SIGTERM", a cause; empty if the time ran out
    qint64 packets = 0;     // packets decoded while collecting
    qint64 photons = 0;     // photons the library handed over
    qint64 photonsSaved = 0; // of those, in photons.dat
    QMap<int, qint64> photonsByGM;
    QMap<int, qint64> packetsByGM; // packets with photons
    const camsim::VirtualCamera* virtualCamera = nullptr; // its ground truth, when embedded
    PictureFacts pictures;
    QString folder;
    QString csvText;  // the photons.csv row: lines, or why there is none
    QString hdf5Text; // the photons.h5 row; empty without --hdf5

    void print() const;
};

} // namespace tool

#endif
