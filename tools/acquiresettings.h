// The settings `quorvel acquire` applies before collecting: pixel mapping, packet
// transfer rate and the GM readout choices, set on every GM.
#ifndef TOOLS_ACQUIRESETTINGS_H
#define TOOLS_ACQUIRESETTINGS_H

#include "tools/photontally.h"

#include <QCommandLineParser>
#include <QString>

namespace tool {

struct AcquireSettings {
    PixelNumbers numbers = PixelNumbers::Camera; // global mapping unless --mapping local
    int packetRate = 0;      // packets per second; 0 keeps the camera's setting
    int readoutMode = 0;     // GMReadoutMode; 0 keeps it
    int readoutOptions = -1; // GM readout option bits; -1 keeps them

    static void add(QCommandLineParser* a_Parser);
    static bool read(const QCommandLineParser& a_Parser, AcquireSettings* a_Settings, QString* a_Error);
    // Hands the settings to the library; false with a one-line reason.
    bool apply(QString* a_Error) const;
    QString describe() const; // "global pixel numbers, 1000 packets/s"
};

} // namespace tool

#endif
