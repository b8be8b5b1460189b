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

    // Ends the event loop and waits for the thread and its end action.
    void Stop();

protected:
    void run() override;

private:
    std::mutex m_EndMutex;
    std::function<void()> m_EndAction;
};

#endif
