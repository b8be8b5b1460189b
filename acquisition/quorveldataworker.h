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

    explicit QuorvelDataWorker(const QString& a_HostIPAddress);

public slots:
    void OnDataReady() override;
    void onCollectStopped() override;
};

#endif
