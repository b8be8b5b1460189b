// How a command reaches the camera: --camera and --host for a real one, otherwise
// the virtual camera in-process with its source options.
#ifndef TOOLS_CAMERAOPTIONS_H
#define TOOLS_CAMERAOPTIONS_H

#include "camsim/cameraconfig.h"

#include <QCommandLineParser>
#include <QString>

namespace tool {

struct CameraOptions {
    QString cameraAddress; // empty: the embedded virtual camera
    QString hostAddress;
    QString virtualAddress; // the virtual camera's address; empty: a free loopback address
    bool verbose = false;
    camsim::CameraConfig virtualCamera;

    bool isEmbedded() const { return cameraAddress.isEmpty(); }

    // a_SourceOptions adds the virtual camera's source and spectrum options.
    static void add(QCommandLineParser* a_Parser, bool a_SourceOptions);
    static bool read(const QCommandLineParser& a_Parser, bool a_SourceOptions, CameraOptions* a_Options,
                     QString* a_Error);
};

} // namespace tool

#endif
