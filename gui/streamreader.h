// Reads the library's photon stream on a thread of its own during a collection:
// every batch goes into the live histograms and, if asked, to photons.dat's writer.
// It ends when the library reports the collection's last photon.
#ifndef GUI_STREAMREADER_H
#define GUI_STREAMREADER_H

#include "gui/photonfilewriter.h"

#include <QString>
#include <atomic>
#include <thread>

namespace gui {

class LiveHistograms;

class StreamReader {
public:
    explicit StreamReader(LiveHistograms* a_Histograms);
    ~StreamReader(); // stops reading and joins
    StreamReader(const StreamReader&) = delete;
    StreamReader& operator=(const StreamReader&) = delete;

    // Opens a_PhotonFile (empty: no file) and starts the thread. False with a reason.
    bool start(const QString& a_PhotonFile, QString* a_Error);
    // True once the thread has read the collection's last photon (or gave up).
    bool isFinished() const { return m_Finished.load(); }
    // Joins a finished thread; false with the reason if it failed (a write, a closed stream).
    bool join(QString* a_Error);
    void abandon(); // stops the thread without waiting for the stream's end
    qint64 photonsRead() const { return m_Photons.load(); }
    qint64 photonsWritten() const { return m_Written.load(); }

private:
    void run();

    LiveHistograms* m_Histograms;
    PhotonFileWriter m_Writer; // the thread's while it runs
    QString m_Error;                   // written by the thread, read after join
    std::thread m_Thread;
    std::atomic<bool> m_Finished {false};
    std::atomic<bool> m_Stop {false};
    std::atomic<qint64> m_Photons {0};
    std::atomic<qint64> m_Written {0};
};

} // namespace gui

#endif
