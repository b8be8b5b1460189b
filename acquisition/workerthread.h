// The thread a worker object lives on. Its end action (deleting the worker's
// socket) runs on the thread itself once the event loop has ended, and Stop()
// returns only after it, ordered by a std::mutex the thread released last.
// QThread::wait() alone orders the thread's work before the caller's through
// Qt's own lock, which ThreadSanitizer cannot see; with this hand-over the
// worker can be deleted or restarted by the stopping thread with that order
// visible to the sanitizer as well.
#ifndef QUORVEL_WORKERTHREAD_H
#define QUORVEL_WORKERTHREAD_H

#include <QThread>

#include <condition_variable>
#include <functional>
#include <mutex>

class WorkerThread : public QThread
{
    Q_OBJECT
public:
    WorkerThread();
    ~WorkerThread() override;

    // Runs on the thread after its event loop, before finished(). Set while
    // the thread is not running.
    void SetEndAction(std::function<void()> a_Action);

    // Starts the thread and returns once it runs, its event dispatcher made.
    // The hand-over goes through a std::mutex, so what the thread set up
    // (the dispatcher's wake-up descriptor among it) is ordered before the
    // caller's next steps for ThreadSanitizer too, not only through Qt's lock.
    void StartAndWait(Priority a_Priority = InheritPriority);

    // Ends the event loop and waits for the thread and its end action.
    void Stop();

protected:
    void run() override;

private:
    std::mutex m_EndMutex;
    std::function<void()> m_EndAction;
    std::mutex m_StartMutex;
    std::condition_variable m_Started;
    bool m_Running = false;
};

#endif
