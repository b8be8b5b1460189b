// Runs the status worker and the data worker on threads of their own, waits
// for them to come up, and relays their signals to the client's thread.
#ifndef QUORVEL_WORKERMGR_H
#define QUORVEL_WORKERMGR_H

#include "acquisition/dataworker.h"
#include "acquisition/workerthread.h"

#include <QObject>
#include <QString>

#include <functional>

class StatusWorker;
class WaitLoop;

class WorkerMGR : public QObject
{
    Q_OBJECT
public:
    static constexpr int DEFAULT_STARTUP_TIMEOUT_MS = 10000;

    WorkerMGR();
    ~WorkerMGR() override;

    // Wires the two workers, starts their threads and waits for the status
    // connection and then the data port. A later call with workers already
    // wired restarts them and waits in the same way.
    bool Init(StatusWorker* a_pStatusWorker, DataWorker* a_pDataWorker);
    void StopWorkers();
    const QString& GetLastError() const;
    void ClearLastError();

    // Time limit of each start-up wait (the status connection, the data port).
    void SetStartupTimeout(int a_Ms);
    int GetStartupTimeout() const;

    bool IsStatusThreadRunning() const;
    bool IsDataThreadRunning() const;
    DataWorker* GetDataWorker() const;
    StatusWorker* GetStatusWorker() const;

    // Connects the data worker's readBufferReady straight to the consumer's
    // slot (now, or as soon as the data worker exists), so the batches reach the
    // decoder's thread without passing through the client's thread.
    template <typename Receiver>
    void SetReadBufferConsumer(Receiver* a_pReceiver, void (Receiver::*a_Slot)(qint64))
    {
        m_ConnectConsumer = [a_pReceiver, a_Slot](DataWorker* a_pWorker) {
            QObject::connect(a_pWorker, &DataWorker::readBufferReady, a_pReceiver, a_Slot, Qt::UniqueConnection);
        };
        if (m_pDataWorker)
            m_ConnectConsumer(m_pDataWorker);
    }

signals:
    void statusSocketHostFound();
    void statusSocketConnected(QString a_Text);
    void statusSocketDisconnected();
    void restartWorkers();
    void readBufferReady(qint64 a_Bytes);
    void dataPortSet(quint16 a_PortNo);
    void statusUpdate(const QString& a_Status);
    void dataWorkerError();
    void bufferSizeChanged();
    // The data worker has finished its answer to a collection stop: the final
    // batch is in the ReadBuffer (or was empty).
    void collectStopFinished();
    // The data worker dropped what it held from before a collection start.
    void collectStartReady();

public slots:
    void OnDataWorkerError(QString a_Err);
    void OnStatusWorkerError(QString a_Err);
    void OnDataPortSet(quint16 a_PortNo);

    // Quits both worker threads and waits for them. Afterwards no worker touches
    // the ReadBuffer, so the owner calls it before deleting the singletons.
    void StopThreads();

protected:

    DataWorker* m_pDataWorker = nullptr;
    StatusWorker* m_pStatusWorker = nullptr;
    WorkerThread m_StatusWorkerThread;
    WorkerThread m_DataWorkerThread;
    QString m_LastError;

private:
    void Wire();
    bool StartAndWait();
    void SetError(const QString& a_Error);

    // One worker's side of a start: whether its Init has begun, and its answer.
    struct StartupWait {
        bool begun = false;
        bool answered = false;
        bool failed = false;
        void Answer(bool a_Failed, WaitLoop* a_pLoop);
    };

    int m_StartupTimeoutMs = DEFAULT_STARTUP_TIMEOUT_MS;
    std::function<void(DataWorker*)> m_ConnectConsumer;
};

#endif
