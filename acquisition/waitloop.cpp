#include "acquisition/waitloop.h"

#include <QTimer>

WaitLoop::WaitLoop()
    : QEventLoop(nullptr)
{
}

bool WaitLoop::WaitFor(int a_TimeoutMs, const std::function<void(WaitLoop*)>& a_Connect,
                       const std::function<void()>& a_Start)
{
    WaitLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    a_Connect(&loop);
    QObject::connect(&timer, &QTimer::timeout, &loop, &WaitLoop::quit);
    a_Start();
    timer.start(a_TimeoutMs);
    loop.Exec();
    return loop.IsWaitConditionRecvd();
}

void WaitLoop::Exec()
{
    if (m_WaitConditionRecvd)
        return;
    exec();
}

bool WaitLoop::IsWaitConditionRecvd() const
{
    return m_WaitConditionRecvd;
}

void WaitLoop::OnWaitConditionRecvd()
{
    m_WaitConditionRecvd = true;
}
