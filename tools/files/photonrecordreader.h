// Reads a binary collection file (photons.dat) record by record, in batches, for
// programs that need every field: 11 bytes per photon, big-endian, no header.
#ifndef TOOLS_PHOTONRECORDREADER_H
#define TOOLS_PHOTONRECORDREADER_H

#include <QFile>
#include <QString>
#include <vector>

namespace tool {

struct PhotonRecord {
    quint8 gmId;
    quint16 headerWord;
    quint16 pixel;
    quint16 energy;
    quint8 positiveEnergy;
    quint16 timeDetect;
    quint8 positiveTimeDetect;
};

// What makes 11 bytes no photon record ("GM ID 0", "pixel 61234", "energy sign
// byte 7"), or an empty string for a record that can be one. a_MinPixel is 1 for
// camera pixel numbers; local numbers and channel bytes may be 0.
QString photonRecordFault(const uchar* a_Record, int a_MinPixel = 0);

class PhotonRecordReader {
public:
    static constexpr int recordBytes = 11;
    static constexpr int batchRecords = 65536;

    // False with a one-line reason if the file cannot be opened. A cut record at
    // the end is left out, with a warning unless a_Quiet.
    bool open(const QString& a_Path, QString* a_Error, bool a_Quiet = false);
    qint64 records() const { return m_Records; }
    // Replaces *a_Batch with the next records (empty at the end). False if the
    // file cannot be read, ends before the size it had when opened, or holds a
    // record that is no photon (the reason names its byte offset).
    bool next(std::vector<PhotonRecord>* a_Batch, QString* a_Error);

private:
    QFile m_File;
    qint64 m_Records = 0;
    qint64 m_Done = 0;
};

} // namespace tool

#endif
