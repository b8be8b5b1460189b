// Writes photons as an HDF5 file laid out as NeXus event data:
//   /entry (NXentry), /entry/events (NXevent_data) with one value per event and
//   per packet, /entry/data (NXdata) linking the main event fields, and
//   /entry/configuration (NXcollection) with the settings that produced them.
#ifndef TOOLS_NEXUSWRITER_H
#define TOOLS_NEXUSWRITER_H

#include "tools/files/configfilereader.h"
#include "tools/files/hdf5column.h"
#include "tools/files/hdf5handle.h"

#include <QString>

namespace tool {

struct NexusEntryFacts {
    QString title;          // what the events came from, e.g. "photons.dat"
    double seconds = -1.0;  // collection time, when known
    QString startTime;      // ISO 8601, when known
    QString pixelNumbers;   // how event_pixel was numbered: "global" or "local"
    QString packetsFrom;    // where the packet boundaries came from
    quint64 unplacedEvents = 0;
};

class NexusWriter {
public:
    struct Event {
        quint32 id;        // camera pixel 1..484, 0 if the pixel cannot be placed
        quint16 pixel;     // as collected
        quint16 energy;
        quint8 positiveEnergy;
        quint16 timeDetect;
        quint8 positiveTimeDetect;
    };

    NexusWriter();
    ~NexusWriter();

    // Creates (or truncates) the file with the entry and the empty event fields;
    // the time detect fields only with a_TimeDetect. a_FileName is the name the
    // file will have when finished.
    bool create(const QString& a_Path, const QString& a_FileName, bool a_TimeDetect, QString* a_Error);
    bool writeConfiguration(const CameraConfiguration& a_Configuration, const QString& a_Source, QString* a_Error);
    void addEvent(const Event& a_Event);
    void addPacket(quint8 a_GMID, quint16 a_HeaderWord); // starts at the next event added
    quint64 events() const { return m_EventId.size(); }
    quint64 packets() const { return m_EventIndex.size(); }
    // The first event column that could not be written, or an empty string.
    QString failedColumn() const;
    // Writes what is gathered, the entry's facts and the links, and closes the file.
    bool finish(const NexusEntryFacts& a_Facts, QString* a_Error);

private:
    Hdf5Handle m_File;
    Hdf5Handle m_Entry;
    Hdf5Handle m_Events;
    bool m_TimeDetect = false;
    Hdf5Column m_EventId, m_Pixel, m_Energy, m_PositiveEnergy, m_TimeDetectColumn, m_PositiveTimeDetect;
    Hdf5Column m_EventIndex, m_PacketGM, m_PacketHeaderWord;
    QString m_Path;
};

} // namespace tool

#endif
