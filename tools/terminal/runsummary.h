// The summary table printed at the end of `quorvel acquire`.
#ifndef TOOLS_RUNSUMMARY_H
#define TOOLS_RUNSUMMARY_H

#include "tools/camera/collectionmonitor.h"
#include "tools/pictures/picturewriter.h"

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
    bool interrupted = false;
    CollectionMonitor monitor;
    const camsim::VirtualCamera* virtualCamera = nullptr; // its ground truth, when embedded
    PictureFacts pictures;
    QString folder;
    qint64 csvLines = -1;
    QString csvNote;

    void print() const;
};

} // namespace tool

#endif
