#include "bench/libraryreceiver.h"

#include "bench/benchsupport.h"
#include "bench/camerarig.h"
#include "bench/collectioncheck.h"
#include "quorveldll.h"

#include <algorithm>

namespace {
// Store bytes per byte on the wire, on the safe side (photons of 3 bytes are
// kept as structures of about 10, plus the packet records).
constexpr double STORE_PER_WIRE_BYTE = 4.0;
constexpr int DRAIN_MS = 30000;
} // namespace

LibraryReceiver::LibraryReceiver(CameraRig* a_pRig, double a_StoreBudgetBytes)
    : m_pRig(a_pRig)
    , m_StoreBudgetBytes(a_StoreBudgetBytes)
{
}

ProbeResult LibraryReceiver::Probe(double a_MBps, double a_Seconds)
{
    const double segmentSeconds = std::max(1.0, m_StoreBudgetBytes / (STORE_PER_WIRE_BYTE * a_MBps * 1e6));
    ProbeResult total;
    total.m_RequestedMBps = a_MBps;
    total.m_Segments = 0;
    double sentBytes = 0.0;
    for (double left = a_Seconds; left > 0.05 && total.m_Error.isEmpty(); left -= segmentSeconds) {
        const ProbeResult part = Collect(a_MBps, std::min(left, segmentSeconds));
        ++total.m_Segments;
        total.m_Seconds += part.m_Seconds;
        total.m_Sent += part.m_Sent;
        total.m_Received += part.m_Received;
        total.m_Lost += part.m_Lost;
        total.m_Extra += part.m_Extra;
        total.m_SocketDrops = std::max<qint64>(total.m_SocketDrops, 0) + std::max<qint64>(part.m_SocketDrops, 0);
        total.m_Error = part.m_Error;
        sentBytes += part.m_SentMBps * part.m_Seconds;
        if (!part.Lossless())
            break; // one lossy collection decides the run
    }
    total.m_SentMBps = total.m_Seconds > 0 ? sentBytes / total.m_Seconds : 0.0;
    return total;
}

ProbeResult LibraryReceiver::Collect(double a_MBps, double a_Seconds)
{
    camsim::VirtualCamera& camera = m_pRig->Camera();
    const StreamShape& shape = m_pRig->Shape();
    ProbeResult result;
    result.m_RequestedMBps = a_MBps;
    camera.setRateOverride(shape.PacketsPerSecond(a_MBps));
    camera.clearRecords();
    if (!QuorvelDll::StartPhotonCollection()) {
        result.m_Error = QString::fromStdString(QuorvelDll::GetLastError());
        return result;
    }
    const quint16 port = m_pRig->DataPort();
    const qint64 dropsBefore = bench::SocketDrops(port);
    const double start = bench::Now();
    bench::RunEvents(static_cast<int>(a_Seconds * 1000));
    // The camera stops first, so the final batch holds everything it sent.
    if (!m_pRig->PauseStream())
        result.m_Error = QStringLiteral("the camera's sender did not stop");
    result.m_Seconds = bench::Now() - start;
    const qint64 sent = camera.packetsSent();
    m_pRig->WaitStored(sent, DRAIN_MS);
    if (!QuorvelDll::StopPhotonCollection() && result.m_Error.isEmpty())
        result.m_Error = QString::fromStdString(QuorvelDll::GetLastError());
    m_pRig->WaitStored(sent, DRAIN_MS);
    const qint64 dropsAfter = bench::SocketDrops(port);
    if (dropsBefore >= 0 && dropsAfter >= 0)
        result.m_SocketDrops = dropsAfter - dropsBefore;

    const CollectionCheck::Result check = CollectionCheck::Compare(camera);
    result.m_Sent = check.m_Sent;
    result.m_Received = check.m_Stored;
    result.m_Lost = check.m_Missing;
    result.m_Extra = check.m_Extra + check.m_Breaks + check.m_BadAnswers;
    result.m_SentMBps = shape.MBps(static_cast<double>(sent) / result.m_Seconds);
    return result;
}
