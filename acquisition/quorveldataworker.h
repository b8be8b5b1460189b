// The camera's data channel: batched reads of the data socket and the final
// hand-over when collection stops.
#ifndef QUORVEL_QUORVELDATAWORKER_H
#define QUORVEL_QUORVELDATAWORKER_H

#include "acquisition/dataworker.h"

class QuorvelDataWorker : public DataWorker
{
    Q_OBJECT
public:
    // Datagrams read per readyRead before the thread's event loop gets a turn.
    static constexpr qint64 MAX_DATAGRAMS_PER_READ = 4096;
    // Longest time received data waits in a batch that is not full.
    static constexpr int MAX_BATCH_AGE_MS = 100;

    // After a stop, the socket must stay this quiet before the final batch is
    // handed over; the whole drain takes at most STOP_DRAIN_LIMIT_MS.
    static constexpr int STOP_QUIET_MS = 50;
    static constexpr int STOP_DRAIN_LIMIT_MS = 1000;

    explicit QuorvelDataWorker(const QString& a_HostIPAddress, const QString& a_CameraIPAddress = QString());

public slots:
    void OnDataReady() override;
    void onCollectStopped() override;
};

#endif
