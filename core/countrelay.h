// Hands counts from another thread to the thread this object lives on, with
// at most one delivery queued at a time: a count added while one is queued is
// added to it. A busy producer thus queues a single call, not one per event,
// to a client thread that runs no event loop for a while, and the sum of the
// counts delivered stays exact.
#ifndef QUORVEL_COUNTRELAY_H
#define QUORVEL_COUNTRELAY_H

#include <QObject>

#include <atomic>
#include <functional>

class CountRelay : public QObject
{
    Q_OBJECT
public:
    // a_Deliver runs on this object's thread with the counts added since the
    // last delivery.
    explicit CountRelay(std::function<void(qint64)> a_Deliver);

    // Any thread.
    void Add(qint64 a_Count);

signals:
    void countsPending();

private:
    void Deliver();

    std::function<void(qint64)> m_Deliver;
    std::atomic<qint64> m_Pending {0};
    std::atomic<bool> m_Queued {false};
};

#endif
