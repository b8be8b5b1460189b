// The worker manager for this camera: creates its status and data workers.
#ifndef QUORVEL_QUORVELWORKERMGR_H
#define QUORVEL_QUORVELWORKERMGR_H

#include "acquisition/workermgr.h"

class QuorvelDataWorker;
class QuorvelStatusWorker;

class QuorvelWorkerMGR : public WorkerMGR
{
    Q_OBJECT
public:
    QuorvelWorkerMGR();
    ~QuorvelWorkerMGR() override;

    // Creates and starts the workers on the first call; later calls restart
    // them with the given addresses. Either way it returns once the status
    // connection is up and the data port is known, or false with the reason
    // in GetLastError().
    bool StartWorkers(const QString& a_HostIPAddress, const QString& a_CameraIPAddress);

    // Status-connect time-out of the workers created later (tests shorten it).
    void SetStatusConnectTimeout(int a_Ms);

signals:
    void GMDetermined(int a_GMID);
    void PoweredUp();
    void collectStopped();
    // New addresses for a running data worker, queued ahead of its restart.
    void dataAddressesChanged(const QString& a_HostIPAddress, const QString& a_CameraIPAddress);
    void collectStarting();
    void bufferSizeChangeRequest(qint64 a_Bytes);

private:
    QuorvelDataWorker* m_pQuorvelDataWorker = nullptr;
    QuorvelStatusWorker* m_pQuorvelStatusWorker = nullptr;
    int m_StatusConnectTimeoutMs;
};

#endif
