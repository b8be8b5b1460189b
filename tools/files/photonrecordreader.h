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

class PhotonRecordReader {
public:
    static constexpr int recordBytes = 11;
    static constexpr int batchRecords = 65536;

    // False with a one-line reason if the file cannot be opened or is not a
    // whole number of records.
    bool open(const QString& a_Path, QString* a_Error);
    qint64 records() const { return m_Records; }
    // Replaces *a_Batch with the next records (empty at the end). False if the
    // file cannot be read or ends before the size it had when opened.
    bool next(std::vector<PhotonRecord>* a_Batch, QString* a_Error);

private:
    QFile m_File;
    qint64 m_Records = 0;
    qint64 m_Done = 0;
};

} // namespace tool

#endif
