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
        // The addresses may have changed since the last start. The status
        // worker takes them from any thread. A data worker whose thread runs
        // gets them by a queued signal ahead of its Init (the arguments are
        // copied by Qt, nothing of ours crosses the threads), otherwise directly.
        QuorvelStatusWorker* status = m_pQuorvelStatusWorker;
        QuorvelDataWorker* data = m_pQuorvelDataWorker;
        status->SetAddresses(a_HostIPAddress, a_CameraIPAddress);
        if (IsDataThreadRunning())
            emit dataAddressesChanged(a_HostIPAddress, a_CameraIPAddress);
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
    connect(this, &QuorvelWorkerMGR::dataAddressesChanged, m_pQuorvelDataWorker, &QuorvelDataWorker::SetAddresses);
    connect(this, &QuorvelWorkerMGR::bufferSizeChangeRequest, m_pQuorvelDataWorker, &QuorvelDataWorker::SetBufferSize);

    return Init(m_pQuorvelStatusWorker, m_pQuorvelDataWorker);
}
