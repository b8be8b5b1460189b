// Runs one worker on a thread of its own for a test and records its signals in
// the test's thread.
#ifndef QUORVEL_TEST_WORKERSRIG_H
#define QUORVEL_TEST_WORKERSRIG_H

#include <QObject>
#include <QThread>

#include <chrono>
#include <functional>
#include <thread>

template <typename Worker>
class WorkerRig
{
public:
    explicit WorkerRig(Worker* a_pWorker)
        : m_pWorker(a_pWorker)
    {
        m_pWorker->moveToThread(&m_Thread);
        QObject::connect(&m_Thread, &QThread::started, m_pWorker, &Worker::Init);
        QObject::connect(&m_Thread, &QThread::finished, m_pWorker, &Worker::ReleaseSocket, Qt::DirectConnection);
    }
    ~WorkerRig()
    {
        m_Thread.quit();
        m_Thread.wait();
        delete m_pWorker;
    }
    void Start() { m_Thread.start(); }
    Worker* operator->() const { return m_pWorker; }
    Worker* Get() const { return m_pWorker; }
    // The test thread's receiver for recorded signals.
    QObject* Context() { return &m_Context; }

    // Runs a function on the worker's thread, queued behind what is already there.
    void Run(std::function<void()> a_Function)
    {
        QMetaObject::invokeMethod(m_pWorker, std::move(a_Function), Qt::QueuedConnection);
    }

private:
    Worker* m_pWorker;
    QThread m_Thread;
    QObject m_Context;
};

// Waits without processing the test thread's events: proves that a result
// does not depend on the test thread running an event loop.
inline bool waitWithoutEvents(const std::function<bool()>& a_Condition, int a_TimeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(a_TimeoutMs);
    while (!a_Condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return a_Condition();
        std::this_thread::yield();
    }
    return true;
}

#endif
