#include "acquisition/workerthread.h"

WorkerThread::WorkerThread()
    : QThread(nullptr)
{
}

WorkerThread::~WorkerThread()
{
    Stop();
}

void WorkerThread::SetEndAction(std::function<void()> a_Action)
{
    std::lock_guard<std::mutex> lock(m_EndMutex);
    m_EndAction = std::move(a_Action);
}

void WorkerThread::Stop()
{
    quit();
    wait();
    // The thread's last act was to release this lock.
    std::lock_guard<std::mutex> lock(m_EndMutex);
}

void WorkerThread::run()
{
    exec();
    std::lock_guard<std::mutex> lock(m_EndMutex);
    if (m_EndAction)
        m_EndAction();
}
