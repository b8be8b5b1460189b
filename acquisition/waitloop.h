// A local event loop with which the client's thread waits for one signal of
// another thread; queued signals keep being delivered while it waits.
#ifndef QUORVEL_WAITLOOP_H
#define QUORVEL_WAITLOOP_H

#include <QEventLoop>

#include <functional>

class WaitLoop : public QEventLoop
{
    Q_OBJECT
public:
    WaitLoop();

    // Runs a loop wired by a_Connect (which connects the awaited signals to
    // the loop), then a_Start, until a signal or the time-out; true if a
    // signal came.
    static bool WaitFor(int a_TimeoutMs, const std::function<void(WaitLoop*)>& a_Connect,
                        const std::function<void()>& a_Start);

    // Runs the loop until quit() unless the awaited signal has already come.
    void Exec();
    bool IsWaitConditionRecvd() const;

public slots:
    void OnWaitConditionRecvd();

private:
    bool m_WaitConditionRecvd = false;
};

#endif
