// A local event loop with which the client's thread waits for one signal of
// another thread; queued signals keep being delivered while it waits.
#ifndef QUORVEL_WAITLOOP_H
#define QUORVEL_WAITLOOP_H

#include <QEventLoop>

class WaitLoop : public QEventLoop
{
    Q_OBJECT
public:
    WaitLoop();

    // Runs the loop until quit() unless the awaited signal has already come.
    void Exec();
    bool IsWaitConditionRecvd() const;

public slots:
    void OnWaitConditionRecvd();

private:
    bool m_WaitConditionRecvd = false;
};

#endif
