#include "acquisition/waitloop.h"

WaitLoop::WaitLoop()
    : QEventLoop(nullptr)
{
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
