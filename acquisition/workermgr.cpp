#include "acquisition/workermgr.h"

#include "acquisition/statusworker.h"
#include "acquisition/waitloop.h"

#include <QTimer>

WorkerMGR::WorkerMGR()
    : QObject(nullptr)
{
}

WorkerMGR::~WorkerMGR()
{
    StopThreads();
}

void WorkerMGR::StopThreads()
{
    m_StatusWorkerThread.Stop();
    m_DataWorkerThread.Stop();
}

bool WorkerMGR::Init(StatusWorker* a_pStatusWorker, DataWorker* a_pDataWorker)
{
    if (!a_pStatusWorker || !a_pDataWorker) {
        SetError(QStringLiteral("Null pointer passed to function"));
        return false;
    }
    if (a_pStatusWorker != m_pStatusWorker || a_pDataWorker != m_pDataWorker) {
        m_pStatusWorker = a_pStatusWorker;
        m_pDataWorker = a_pDataWorker;
        if (m_pStatusWorker->thread() != &m_StatusWorkerThread)
            m_pStatusWorker->moveToThread(&m_StatusWorkerThread);
        if (m_pDataWorker->thread() != &m_DataWorkerThread)
            m_pDataWorker->moveToThread(&m_DataWorkerThread);
        Wire();
    }
    return StartAndWait();
}

void WorkerMGR::Wire()
{
    StatusWorker* status = m_pStatusWorker;
    DataWorker* data = m_pDataWorker;
    connect(&m_StatusWorkerThread, &QThread::started, status, &StatusWorker::Init);
    connect(&m_DataWorkerThread, &QThread::started, data, &DataWorker::Init);
    connect(this, &WorkerMGR::restartWorkers, status, &StatusWorker::Init);
    connect(this, &WorkerMGR::restartWorkers, data, &DataWorker::Init);
    connect(status, &StatusWorker::statusSockHostFound, this, &WorkerMGR::statusSocketHostFound);
    connect(status, &StatusWorker::statusSockConnected, this, &WorkerMGR::statusSocketConnected);
    connect(status, &StatusWorker::statusSockDisconnected, this, &WorkerMGR::statusSocketDisconnected);
    connect(status, &StatusWorker::error, this, &WorkerMGR::OnStatusWorkerError);
    connect(data, &DataWorker::error, this, &WorkerMGR::OnDataWorkerError);
    connect(data, &DataWorker::error, this, &WorkerMGR::dataWorkerError);
    connect(data, &DataWorker::portSet, this, &WorkerMGR::OnDataPortSet);
    connect(status, &StatusWorker::statusUpdate, this, &WorkerMGR::statusUpdate);
    connect(data, &DataWorker::readBufferReady, this, &WorkerMGR::readBufferReady);
    connect(data, &DataWorker::bufferSizeChanged, this, &WorkerMGR::bufferSizeChanged);
    connect(data, &DataWorker::collectStopFinished, this, &WorkerMGR::collectStopFinished);
    connect(data, &DataWorker::collectStartReady, this, &WorkerMGR::collectStartReady);
    // Lost data is reported to the client like any other status line.
    connect(data, &DataWorker::dataLost, this, &WorkerMGR::statusUpdate);
    // The sockets are deleted on their own threads as those finish.
    m_StatusWorkerThread.SetEndAction([status] { status->ReleaseSocket(); });
    m_DataWorkerThread.SetEndAction([data] { data->ReleaseSocket(); });
    if (m_ConnectConsumer)
        m_ConnectConsumer(data);
}

// The first start and every restart wait alike: first for the status
// connection, then for the data port. A thread that never ran is started
// (its started() runs the worker's Init); a running one re-runs Init.
//
// A worker's signals reach this thread in the order it sent them, and each
// Init begins with initStarting(). An answer that arrives before it belongs to
// an earlier connection (an error of a link the camera dropped, still queued
// when the client disconnected and initialised again) and does not count.
bool WorkerMGR::StartAndWait()
{
    const bool statusRunning = m_StatusWorkerThread.isRunning();
    const bool dataRunning = m_DataWorkerThread.isRunning();

    // Both waits are wired before anything starts, so no answer can be missed.
    StartupWait status;
    WaitLoop statusLoop;
    QTimer statusTimer;
    statusTimer.setSingleShot(true);
    connect(m_pStatusWorker, &StatusWorker::initStarting, &statusLoop, [&status] { status.begun = true; });
    connect(m_pStatusWorker, &StatusWorker::connected, &statusLoop, [&] { status.Answer(false, &statusLoop); });
    connect(m_pStatusWorker, &StatusWorker::error, &statusLoop, [&] { status.Answer(true, &statusLoop); });
    connect(&statusTimer, &QTimer::timeout, &statusLoop, &WaitLoop::quit);

    StartupWait data;
    WaitLoop dataLoop;
    QTimer dataTimer;
    dataTimer.setSingleShot(true);
    connect(m_pDataWorker, &DataWorker::initStarting, &dataLoop, [&data] { data.begun = true; });
    connect(m_pDataWorker, &DataWorker::portSet, &dataLoop, [&] { data.Answer(false, &dataLoop); });
    connect(m_pDataWorker, &DataWorker::error, &dataLoop, [&] { data.Answer(true, &dataLoop); });
    connect(&dataTimer, &QTimer::timeout, &dataLoop, &WaitLoop::quit);

    const bool restartBoth = statusRunning && dataRunning;
    if (restartBoth)
        emit restartWorkers();
    else if (statusRunning)
        QMetaObject::invokeMethod(m_pStatusWorker, "Init", Qt::QueuedConnection);
    else
        m_StatusWorkerThread.StartAndWait(QThread::HighestPriority);

    statusTimer.start(m_StartupTimeoutMs);
    statusLoop.Exec();
    if (!statusLoop.IsWaitConditionRecvd()) {
        SetError(QStringLiteral("Timed out waiting for connection to status socket"));
        return false;
    }
    // A restarted data worker may already have failed meanwhile.
    if (status.failed || data.failed)
        return false;

    if (!dataRunning)
        m_DataWorkerThread.StartAndWait(QThread::HighestPriority);
    else if (!restartBoth)
        QMetaObject::invokeMethod(m_pDataWorker, "Init", Qt::QueuedConnection);

    if (!data.answered) {
        dataTimer.start(m_StartupTimeoutMs);
        dataLoop.Exec();
    }
    if (!data.answered) {
        SetError(QStringLiteral("Timed out waiting for data port to be determined"));
        return false;
    }
    return !data.failed;
}

void WorkerMGR::StartupWait::Answer(bool a_Failed, WaitLoop* a_pLoop)
{
    if (!begun || answered)
        return;
    answered = true;
    failed = a_Failed;
    a_pLoop->OnWaitConditionRecvd();
    a_pLoop->quit();
}

void WorkerMGR::StopWorkers()
{
    // A stop goes only to a worker whose thread runs. Queued to a thread that
    // has not started, it would wait there until the next start and then close
    // the socket that start had just opened.
    // Queued by the slot's name: a functor would be a heap object written here
    // and read on the worker's thread, handed over through Qt's own lock,
    // which ThreadSanitizer cannot see.
    if (m_pStatusWorker && m_StatusWorkerThread.isRunning())
        QMetaObject::invokeMethod(m_pStatusWorker, "Stop", Qt::QueuedConnection);
    if (m_pDataWorker && m_DataWorkerThread.isRunning())
        QMetaObject::invokeMethod(m_pDataWorker, "Stop", Qt::QueuedConnection);
}

const QString& WorkerMGR::GetLastError() const
{
    return m_LastError;
}

void WorkerMGR::ClearLastError()
{
    m_LastError = QString("");
}

void WorkerMGR::SetStartupTimeout(int a_Ms)
{
    m_StartupTimeoutMs = a_Ms;
}

int WorkerMGR::GetStartupTimeout() const
{
    return m_StartupTimeoutMs;
}

bool WorkerMGR::IsStatusThreadRunning() const
{
    return m_StatusWorkerThread.isRunning();
}

bool WorkerMGR::IsDataThreadRunning() const
{
    return m_DataWorkerThread.isRunning();
}

DataWorker* WorkerMGR::GetDataWorker() const
{
    return m_pDataWorker;
}

StatusWorker* WorkerMGR::GetStatusWorker() const
{
    return m_pStatusWorker;
}

void WorkerMGR::SetError(const QString& a_Error)
{
    m_LastError = a_Error;
}

void WorkerMGR::OnDataWorkerError(QString a_Err)
{
    SetError(QStringLiteral("Data port setup error: %1").arg(a_Err));
}

void WorkerMGR::OnStatusWorkerError(QString a_Err)
{
    SetError(QStringLiteral("Status port setup error: %1").arg(a_Err));
}

void WorkerMGR::OnDataPortSet(quint16 a_PortNo)
{
    emit dataPortSet(a_PortNo);
}
