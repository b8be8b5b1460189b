#include "core/countrelay.h"

CountRelay::CountRelay(std::function<void(qint64)> a_Deliver)
    : QObject(nullptr)
    , m_Deliver(std::move(a_Deliver))
{
}

void CountRelay::Add(qint64 a_Count)
{
    // The count goes in before the flag is tested: a delivery that has already
    // cleared the flag either takes this count or a new one is queued for it.
    m_Pending += a_Count;
    if (!m_Queued.exchange(true))
        QMetaObject::invokeMethod(this, [this] { Deliver(); }, Qt::QueuedConnection);
}

void CountRelay::Deliver()
{
    m_Queued = false;
    m_Deliver(m_Pending.exchange(0));
}
