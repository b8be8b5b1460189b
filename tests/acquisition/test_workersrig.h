// Runs one worker on a thread of its own for a test and records its signals in
// the test's thread.
#ifndef QUORVEL_TEST_WORKERSRIG_H
#define QUORVEL_TEST_WORKERSRIG_H

#include "acquisition/workerthread.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

// Runs the functions posted to it on its own thread, in order. They travel
// under a std::mutex; the posted event (Qt's own) only wakes the thread.
class QueuedRunner : public QObject
{
public:
    void Post(std::function<void()> a_Function)
    {
        {
            std::lock_guard<std::mutex> lock(m_Mutex);
            m_Queue.push_back(std::move(a_Function));
        }
        QCoreApplication::postEvent(this, new QEvent(QEvent::User));
    }

protected:
    bool event(QEvent* a_pEvent) override
    {
        if (a_pEvent->type() != QEvent::User)
            return QObject::event(a_pEvent);
        std::function<void()> function;
        {
            std::lock_guard<std::mutex> lock(m_Mutex);
            if (m_Queue.empty())
                return true;
            function = std::move(m_Queue.front());
            m_Queue.pop_front();
        }
        function();
        return true;
    }

private:
    std::mutex m_Mutex;
    std::deque<std::function<void()>> m_Queue;
};

template <typename Worker>
class WorkerRig
{
public:
    explicit WorkerRig(Worker* a_pWorker)
        : m_pWorker(a_pWorker)
    {
        m_pWorker->moveToThread(&m_Thread);
        m_Runner.moveToThread(&m_Thread);
        QObject::connect(&m_Thread, &QThread::started, m_pWorker, &Worker::Init);
        Worker* worker = m_pWorker;
        m_Thread.SetEndAction([worker] { worker->ReleaseSocket(); });
    }
    ~WorkerRig()
    {
        m_Thread.Stop();
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
        m_Runner.Post(std::move(a_Function));
    }

private:
    Worker* m_pWorker;
    WorkerThread m_Thread;
    QueuedRunner m_Runner;
    QObject m_Context;
};

#endif
