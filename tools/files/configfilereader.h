// A configuration file (the configuration.dat of quorvel acquire) as the tools
// use it, without a camera: the system settings, every GM record with its ASIC
// and channels under the names the NeXus file gives them, and the packet list
// of the packet section. Read with the library's own reader; a truncated or
// hostile file gives its one-line reason.
#ifndef TOOLS_CONFIGFILEREADER_H
#define TOOLS_CONFIGFILEREADER_H

#include <QString>
#include <QtGlobal>
#include <vector>

namespace tool {

struct NamedValue {
    const char* name;
    qint32 value;
};

// One channel group of an ASIC (anode or cathode): its group settings, its
// peaking time and one column per channel field, a value per channel.
struct ChannelGroup {
    std::vector<NamedValue> settings;
    double peakingTime = 0.0;
    std::vector<const char*> columns;
    std::vector<std::vector<qint32>> values; // values[column][channel]
};

struct GMRecord {
    std::vector<NamedValue> settings; // id, options, readout options, ...
    std::vector<NamedValue> asic;     // the ASIC's global settings
    ChannelGroup anode;
    ChannelGroup cathode;

    qint32 setting(const char* a_Name) const;
};

struct PacketRecord {
    quint8 gmId = 0;
    quint16 headerWord = 0;
    quint8 headerByte = 0;
    quint32 photons = 0;
};

struct CameraConfiguration {
    int formatVersion = 0;
    QString cameraAddress;
    std::vector<NamedValue> system; // GM update type, debug mode, ... pixel mapping mode
    int pixelMappingMode = 0;       // 1 global, 2 local, 0 not in the file (format below 6)
    std::vector<GMRecord> gms;
    bool hasPacketSection = false;
    std::vector<PacketRecord> packets;

    const GMRecord* gm(int a_ID) const; // by stored ID, null if none
};

class ConfigFileReader {
public:
    // False with a one-line reason if the file cannot be read or is not a
    // configuration file of a format version the library knows.
    static bool read(const QString& a_Path, CameraConfiguration* a_Configuration, QString* a_Error);
};

} // namespace tool

#endif
