// Writes photons as they come from the library's photon stream into a binary
// collection file (photons.dat): 11 bytes per photon, big-endian, no header,
// the records PhotonRecordReader and PhotonFile read.
#ifndef TOOLS_PHOTONRECORDWRITER_H
#define TOOLS_PHOTONRECORDWRITER_H

#include "quorveldll.h"

#include <QFile>
#include <QString>

namespace tool {

class PhotonRecordWriter {
public:
    static constexpr int recordBytes = 11;

    // The 11-byte records of a_Records appended to a_Out.
    static void encode(const ::PhotonRecord* a_Records, qint64 a_Count, QByteArray* a_Out);
    // The same into a_Out, which has room for a_Count records; returns the end.
    static char* encode(const ::PhotonRecord* a_Records, qint64 a_Count, char* a_Out);

    // False with a one-line reason if the file cannot be created.
    bool open(const QString& a_Path, QString* a_Error);
    bool isOpen() const { return m_File.isOpen(); }
    bool write(const ::PhotonRecord* a_Records, qint64 a_Count, QString* a_Error);
    bool close(QString* a_Error);
    qint64 records() const { return m_Records; }

private:
    QFile m_File;
    QByteArray m_Buffer;
    qint64 m_Records = 0;
};

} // namespace tool

#endif
