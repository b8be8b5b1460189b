// Takes the library's photon stream on a thread of its own while collecting:
// every photon goes to photons.dat as an 11-byte record and into a tally for the
// pictures. A failed write ends the writing (the file keeps its whole records)
// but not the reading, so the library's decoder is never held up.
#ifndef TOOLS_PHOTONSTREAMWRITER_H
#define TOOLS_PHOTONSTREAMWRITER_H

#include "tools/pictures/photontally.h"

#include <QMap>
#include <QString>
#include <atomic>
#include <thread>

namespace tool {

class PhotonStreamWriter {
public:
    PhotonStreamWriter() = default;
    ~PhotonStreamWriter(); // ends and joins the thread
    PhotonStreamWriter(const PhotonStreamWriter&) = delete;
    PhotonStreamWriter& operator=(const PhotonStreamWriter&) = delete;

    // Creates (or empties) the file; false with the system's reason.
    bool open(const QString& a_Path, QString* a_Error);
    void start();
    // Whether the collection's last photon was read (or the stream closed).
    bool ended() const { return m_Ended; }
    // Makes a thread whose stream never ends give up at its next empty read.
    void abandon() { m_Abandon = true; }
    // Joins the thread and closes the file; false if the file could not be finished.
    bool finish();

    qint64 received() const { return m_Received; }    // photons read from the stream
    qint64 written() const { return m_Written; }      // whole records in the file
    bool failed() const { return m_Failed; }
    QString failure() const;                           // "No space left on device" after a failure
    // After finish(): what was read, by GM and pixel, and packets seen per GM.
    const PhotonTally& tally() const { return m_Tally; }
    const QMap<int, qint64>& packetsByGM() const { return m_PacketsByGM; }

private:
    void run();
    bool writeRecords(const char* a_Bytes, qint64 a_Count);

    QString m_Path;
    int m_Fd = -1;
    std::thread m_Thread;
    std::atomic<bool> m_Ended {false};
    std::atomic<bool> m_Abandon {false};
    std::atomic<bool> m_Failed {false};
    std::atomic<qint64> m_Received {0};
    std::atomic<qint64> m_Written {0};
    int m_Errno = 0; // set before m_Failed
    PhotonTally m_Tally;
    QMap<int, qint64> m_PacketsByGM;
};

} // namespace tool

#endif
