// The head of a configuration file: its format version and the camera address it
// names. Loading a configuration connects to that address, so the tool reads it
// first to start the virtual camera there.
#ifndef TOOLS_CONFIGFILEHEADER_H
#define TOOLS_CONFIGFILEHEADER_H

#include <QString>

namespace tool {

struct ConfigFileHeader {
    int formatVersion = 0;
    QString cameraAddress;

    // False with a one-line reason if the file is not a configuration file.
    static bool read(const QString& a_Path, ConfigFileHeader* a_Header, QString* a_Error);
};

} // namespace tool

#endif
