// Saves the collected photons as a CSV file on its own thread, reporting
// progress, write errors and completion through signals; a cancel request
// reaches the running save between two packets.
//
// Saves are numbered in the order they are requested. A cancel is a number
// set directly by the cancelling thread, not a queued event: a save queued
// just before it is cancelled even when it has not begun yet, which a queued
// cancel request could not promise (it would be delivered only after that
// save's own request had been handled in full).
#ifndef QUORVEL_PACKETOPERATIONS_H
#define QUORVEL_PACKETOPERATIONS_H

#include <QObject>
#include <QString>

#include <atomic>
#include <deque>

class PacketOperations : public QObject
{
    Q_OBJECT

public:
    PacketOperations();

    static const char* const OPEN_ERROR_TEXT;
    static const char* const WRITE_ERROR_TEXT;

    // Any thread. Counts a save whose request is about to be queued; a request
    // not counted here is counted when it begins.
    void NoteSaveRequested();
    // Any thread. Cancels the oldest save that has not finished, running or
    // still queued; later saves start uncancelled.
    void CancelOldestSave();
    // Any thread. Cancels every save requested so far.
    void CancelAllSaves();

signals:
    void progressUpdate(int a_Progress);
    void savePacketsComplete();
    void errorDuringOperation(QString a_Err);

public slots:
    // A request that arrives while a save runs (it is delivered inside that
    // save's event processing) waits until the running save has finished and
    // released the packet store, then runs with its own completion.
    void SaveFile(QString const& a_FileName);
    // Cancels the oldest unfinished save, like CancelOldestSave().
    void OnOperationCancelled();

private:
    void Save(const QString& a_FileName);
    bool IsCancelled() const;

    std::atomic<quint64> m_Requested {0};     // saves requested so far
    std::atomic<quint64> m_Finished {0};      // saves finished so far
    std::atomic<quint64> m_CancelledUpTo {0}; // saves up to this number are cancelled
    quint64 m_Current = 0;                    // number of the running save; this thread only
    bool m_Saving = false;
    std::deque<QString> m_PendingFileNames;
};

#endif // QUORVEL_PACKETOPERATIONS_H
