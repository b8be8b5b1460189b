// The settings `quorvel acquire` applies before collecting: pixel mapping, packet
// transfer rate and the GM readout choices, set on every GM.
#ifndef TOOLS_ACQUIRESETTINGS_H
#define TOOLS_ACQUIRESETTINGS_H

#include "tools/pictures/photontally.h"

#include <QCommandLineParser>
#include <QString>

namespace tool {

struct AcquireSettings {
    PixelNumbers numbers = PixelNumbers::Camera; // global mapping unless --mapping local
    bool mappingGiven = false;
    int packetRate = 0;      // packets per second; 0 keeps the camera's setting
    int readoutMode = 0;     // GMReadoutMode; 0 keeps it
    int readoutOptions = -1; // GM readout option bits; -1 keeps them

    static void add(QCommandLineParser* a_Parser);
    static bool read(const QCommandLineParser& a_Parser, AcquireSettings* a_Settings, QString* a_Error);
    // Hands the settings to the library; false with a one-line reason. After a
    // configuration file was loaded, its pixel mapping and packet rate stay unless
    // given on the command line; they are set again through the library so the
    // decoder and the packet buffers follow them.
    bool apply(bool a_ConfigurationLoaded, QString* a_Error);
    QString describe() const; // "global pixel numbers, 1000 packets/s"
};

} // namespace tool

#endif
