#include "acquisition/quorveldataworker.h"

QuorvelDataWorker::QuorvelDataWorker(const QString& a_HostIPAddress)
    : DataWorker(a_HostIPAddress)
{
}

void QuorvelDataWorker::OnDataReady()
{
    DrainSocket(MAX_DATAGRAMS_PER_READ);
}

void QuorvelDataWorker::onCollectStopped()
{
    // Datagrams still queued on the socket were sent during the collection:
    // they belong to its final batch. The drain is bounded by what the socket
    // can hold, so a sender that does not stop cannot keep it going.
    DrainSocket(GetSocketCapacityInDatagrams());
    FlushBatch();
    ReportKernelDrops(true);
    emit collectStopFinished();
}
