// Options of the virtual camera, used by `quorvel camsim` and by `quorvel acquire`
// for its embedded camera: the source, the spectrum, the GMs and the seed.
#ifndef TOOLS_CAMSIMOPTIONS_H
#define TOOLS_CAMSIMOPTIONS_H

#include "camsim/cameraconfig.h"

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

namespace tool {

class CamsimOptions {
public:
    enum Scope { Embedded, Standalone }; // Standalone adds address, rate and packet shape

    static void add(QCommandLineParser* a_Parser, Scope a_Scope);
    // Fills a_Config from the parsed options; false with one line in a_Error.
    static bool read(const QCommandLineParser& a_Parser, Scope a_Scope, camsim::CameraConfig* a_Config,
                     QString* a_Error);
    // The long names of the options that only make sense for a virtual camera.
    static QStringList sourceOptionNames();
    // "points at (5.5, 16.5)" and the like, for summaries.
    static QString describeSource(const camsim::SourceConfig& a_Source);
};

} // namespace tool

#endif
