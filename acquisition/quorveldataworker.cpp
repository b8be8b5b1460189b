#include "acquisition/quorveldataworker.h"

QuorvelDataWorker::QuorvelDataWorker(const QString& a_HostIPAddress, const QString& a_CameraIPAddress)
    : DataWorker(a_HostIPAddress, a_CameraIPAddress)
{
    // At low packet rates a batch takes seconds to fill: the client sees its
    // photons while collecting all the same.
    SetMaxBatchAge(MAX_BATCH_AGE_MS);
}

void QuorvelDataWorker::OnDataReady()
{
    DrainSocket(MAX_DATAGRAMS_PER_READ);
}

void QuorvelDataWorker::onCollectStopped()
{
    // Datagrams still queued on the socket, or still on their way because the
    // camera finished what it was sending when it took the stop, belong to the
    // collection's final batch. The drain ends when the socket stays quiet and
    // is bounded in time, so a sender that does not stop cannot keep it going.
    DrainUntilQuiet(STOP_QUIET_MS, STOP_DRAIN_LIMIT_MS);
    FlushBatch();
    ReportLosses(true);
    emit collectStopFinished();
}
