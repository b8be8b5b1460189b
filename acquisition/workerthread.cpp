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

void WorkerThread::StartAndWait(Priority a_Priority)
{
    {
        std::lock_guard<std::mutex> lock(m_StartMutex);
        m_Running = false;
    }
    start(a_Priority);
    std::unique_lock<std::mutex> lock(m_StartMutex);
    m_Started.wait(lock, [this] { return m_Running; });
}

void WorkerThread::Stop()
{
    quit();
    wait();
    // The thread's last act was to release this lock.
    std::lock_guard<std::mutex> lock(m_EndMutex);
    std::lock_guard<std::mutex> started(m_StartMutex);
    m_Running = false;
}

void WorkerThread::run()
{
    {
        std::lock_guard<std::mutex> lock(m_StartMutex);
        m_Running = true;
    }
    m_Started.notify_all();
    exec();
    std::lock_guard<std::mutex> lock(m_EndMutex);
    if (m_EndAction)
        m_EndAction();
}
