// Reads a whole configuration file (the configuration.dat of quorvel acquire)
// without a camera: the system settings, every GM record with its ASIC and
// channels, and the packet list of the packet section (photons are skipped).
// Every count is checked against the bytes left in the file, so a truncated or
// hostile file gives a one-line reason instead of a huge allocation.
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
    static constexpr int oldestFormat = 3;
    static constexpr int newestFormat = 6;
    static constexpr int anodeChannels = 128;
    static constexpr int cathodeChannels = 2;
    static constexpr int maxGMs = 255;

    // False with a one-line reason if the file cannot be read or is not a
    // configuration file of a format version this reader knows.
    static bool read(const QString& a_Path, CameraConfiguration* a_Configuration, QString* a_Error);
};

} // namespace tool

#endif
