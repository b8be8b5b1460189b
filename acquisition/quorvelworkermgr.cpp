#include "acquisition/quorvelworkermgr.h"

#include "acquisition/quorveldataworker.h"
#include "acquisition/quorvelstatusworker.h"

QuorvelWorkerMGR::QuorvelWorkerMGR()
    : m_StatusConnectTimeoutMs(StatusWorker::DEFAULT_CONNECT_TIMEOUT_MS)
{
}

QuorvelWorkerMGR::~QuorvelWorkerMGR()
{
    // A worker is deleted only after its thread has finished.
    StopThreads();
    delete m_pQuorvelStatusWorker;
    delete m_pQuorvelDataWorker;
}

void QuorvelWorkerMGR::SetStatusConnectTimeout(int a_Ms)
{
    m_StatusConnectTimeoutMs = a_Ms;
}

bool QuorvelWorkerMGR::StartWorkers(const QString& a_HostIPAddress, const QString& a_CameraIPAddress)
{
    if (m_pQuorvelStatusWorker && m_pQuorvelDataWorker) {
        // The addresses may have changed since the last start. A worker whose
        // thread runs gets them queued ahead of its Init, otherwise directly.
        QuorvelStatusWorker* status = m_pQuorvelStatusWorker;
        QuorvelDataWorker* data = m_pQuorvelDataWorker;
        if (IsStatusThreadRunning())
            QMetaObject::invokeMethod(status, [status, a_HostIPAddress, a_CameraIPAddress] {
                status->SetAddresses(a_HostIPAddress, a_CameraIPAddress);
            }, Qt::QueuedConnection);
        else
            status->SetAddresses(a_HostIPAddress, a_CameraIPAddress);
        if (IsDataThreadRunning())
            QMetaObject::invokeMethod(data, [data, a_HostIPAddress, a_CameraIPAddress] {
                data->SetAddresses(a_HostIPAddress, a_CameraIPAddress);
            }, Qt::QueuedConnection);
        else
            data->SetAddresses(a_HostIPAddress, a_CameraIPAddress);
        return Init(status, data);
    }

    m_pQuorvelStatusWorker = new QuorvelStatusWorker(a_HostIPAddress, a_CameraIPAddress);
    m_pQuorvelStatusWorker->SetConnectTimeout(m_StatusConnectTimeoutMs);
    m_pQuorvelDataWorker = new QuorvelDataWorker(a_HostIPAddress, a_CameraIPAddress);

    connect(m_pQuorvelStatusWorker, &QuorvelStatusWorker::GMDetermined, this, &QuorvelWorkerMGR::GMDetermined);
    connect(m_pQuorvelStatusWorker, &QuorvelStatusWorker::PoweredUp, this, &QuorvelWorkerMGR::PoweredUp);
    connect(this, &QuorvelWorkerMGR::collectStopped, m_pQuorvelDataWorker, &QuorvelDataWorker::onCollectStopped);
    connect(this, &QuorvelWorkerMGR::collectStarting, m_pQuorvelDataWorker, &QuorvelDataWorker::OnCollectStarting);
    connect(this, &QuorvelWorkerMGR::bufferSizeChangeRequest, m_pQuorvelDataWorker, &QuorvelDataWorker::SetBufferSize);

    return Init(m_pQuorvelStatusWorker, m_pQuorvelDataWorker);
}
