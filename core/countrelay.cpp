#include "core/countrelay.h"

CountRelay::CountRelay(std::function<void(qint64)> a_Deliver)
    : QObject(nullptr)
    , m_Deliver(std::move(a_Deliver))
{
    // Wired once, here, before any producer thread runs; each delivery then
    // travels as a queued signal.
    connect(this, &CountRelay::countsPending, this, &CountRelay::Deliver, Qt::QueuedConnection);
}

void CountRelay::Add(qint64 a_Count)
{
    // The count goes in before the flag is tested: a delivery that has already
    // cleared the flag either takes this count or a new one is queued for it.
    m_Pending += a_Count;
    if (!m_Queued.exchange(true))
        emit countsPending();
}

void CountRelay::Deliver()
{
    m_Queued = false;
    m_Deliver(m_Pending.exchange(0));
}
