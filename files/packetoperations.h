// Saves the collected photons as a CSV file on its own thread, reporting
// progress, write errors and completion through signals; a cancel request
// reaches the running save between two packets.
#ifndef QUORVEL_PACKETOPERATIONS_H
#define QUORVEL_PACKETOPERATIONS_H

#include <QObject>
#include <QString>

#include <deque>

class PacketOperations : public QObject
{
    Q_OBJECT

public:
    PacketOperations();

    static const char* const OPEN_ERROR_TEXT;
    static const char* const WRITE_ERROR_TEXT;

signals:
    void progressUpdate(int a_Progress);
    void savePacketsComplete();
    void errorDuringOperation(QString a_Err);

public slots:
    // A request that arrives while a save runs (it is delivered inside that
    // save's event processing) waits until the running save has finished and
    // released the packet store, then runs with its own completion.
    void SaveFile(QString const& a_FileName);
    void OnOperationCancelled();

private:
    void Save(const QString& a_FileName);

    bool m_Cancelled = false;
    bool m_Saving = false;
    std::deque<QString> m_PendingFileNames;
};

#endif // QUORVEL_PACKETOPERATIONS_H
