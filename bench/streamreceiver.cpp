#include "bench/streamreceiver.h"

#include "bench/benchsupport.h"
#include "bench/camerarig.h"
#include "quorveldll.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <thread>
#include <vector>

namespace {
constexpr int END_WAIT_MS = 30000;
} // namespace

StreamReceiver::StreamReceiver(CameraRig* a_pRig, const QString& a_FilePath)
    : m_pRig(a_pRig)
    , m_FilePath(a_FilePath)
{
}

bool StreamReceiver::Enable(QString* a_pError)
{
    if (QuorvelDll::EnablePhotonStream(0) && QuorvelDll::SetStorePhotons(false))
        return true;
    *a_pError = QString::fromStdString(QuorvelDll::GetLastError());
    return false;
}

ProbeResult StreamReceiver::Probe(double a_MBps, double a_Seconds)
{
    camsim::VirtualCamera& camera = m_pRig->Camera();
    const StreamShape& shape = m_pRig->Shape();
    ProbeResult result;
    result.m_RequestedMBps = a_MBps;
    const int file = ::open(m_FilePath.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (file < 0) {
        result.m_Error = QStringLiteral("cannot write %1").arg(m_FilePath);
        return result;
    }
    camera.setRateOverride(shape.PacketsPerSecond(a_MBps));
    camera.clearRecords();
    const PhotonStreamCounters before = QuorvelDll::GetPhotonStreamCounters();

    // The consumer: every record to the file, until the collection ends. It
    // reads straight into 4 MiB page-aligned blocks and writes each full one
    // past the page cache (O_DIRECT), as a writer at this rate should: copying
    // into the page cache is the costly and unsteady part on this machine.
    std::atomic<long long> photons{0};
    std::atomic<uint32_t> lastPacket{0};
    std::atomic<bool> writeFailed{false};
    std::thread consumer([&] {
        constexpr size_t blockBytes = size_t(4) << 20;
        constexpr long long blockRecords = static_cast<long long>(blockBytes / sizeof(PhotonRecord));
        void* memory = std::aligned_alloc(4096, blockBytes);
        auto* block = static_cast<PhotonRecord*>(memory);
        const bool direct = ::fcntl(file, F_SETFL, ::fcntl(file, F_GETFL) | O_DIRECT) == 0;
        long long filled = 0;
        const auto flush = [&](long long a_Records) {
            const auto bytes = static_cast<ssize_t>(static_cast<size_t>(a_Records) * sizeof(PhotonRecord));
            if (a_Records > 0 && ::write(file, block, static_cast<size_t>(bytes)) != bytes)
                writeFailed = true;
        };
        for (;;) {
            const long long read = QuorvelDll::ReadPhotons(block + filled, blockRecords - filled, 1000);
            if (read < 0)
                break;
            if (read == 0)
                continue;
            filled += read;
            photons += read;
            lastPacket = block[filled - 1].packetNo;
            if (filled == blockRecords) {
                flush(filled);
                filled = 0;
            }
        }
        // The tail is not a whole number of pages: written through the cache.
        if (direct)
            ::fcntl(file, F_SETFL, ::fcntl(file, F_GETFL) & ~O_DIRECT);
        flush(filled);
        ::close(file);
        std::free(memory);
    });

    if (!QuorvelDll::StartPhotonCollection()) {
        result.m_Error = QString::fromStdString(QuorvelDll::GetLastError());
        QuorvelDll::StopPhotonCollection();
        consumer.join();
        return result;
    }
    const quint16 port = m_pRig->DataPort();
    const qint64 dropsBefore = bench::SocketDrops(port);
    const double start = bench::Now();
    for (double left = a_Seconds; left > 0; left -= 0.5) {
        bench::RunEvents(static_cast<int>(std::min(left, 0.5) * 1000));
        m_PeakResidentMiB = std::max(m_PeakResidentMiB, bench::ResidentBytes() / 1048576.0);
    }
    if (!m_pRig->PauseStream())
        result.m_Error = QStringLiteral("the camera's sender did not stop");
    result.m_Seconds = bench::Now() - start;
    if (!QuorvelDll::StopPhotonCollection() && result.m_Error.isEmpty())
        result.m_Error = QString::fromStdString(QuorvelDll::GetLastError());
    bench::WaitUntil([&] { return !consumer.joinable() || photons >= camera.photonsSent(); }, END_WAIT_MS);
    consumer.join();
    const qint64 dropsAfter = bench::SocketDrops(port);
    if (dropsBefore >= 0 && dropsAfter >= 0)
        result.m_SocketDrops = dropsAfter - dropsBefore;

    const PhotonStreamCounters after = QuorvelDll::GetPhotonStreamCounters();
    const qint64 sentPackets = camera.packetsSent();
    result.m_Sent = sentPackets;
    // Packets seen by the stream; every photon the camera sent must have been read.
    result.m_Received = static_cast<qint64>(after.packets - before.packets);
    result.m_Lost = std::max<qint64>(sentPackets - result.m_Received, 0)
                    + std::max<qint64>(camera.photonsSent() - photons.load(), 0);
    result.m_Extra = std::max<qint64>(result.m_Received - sentPackets, 0)
                     + static_cast<qint64>(after.droppedPhotons - before.droppedPhotons)
                     + (lastPacket.load() == static_cast<uint32_t>(sentPackets) ? 0 : 1);
    if (writeFailed && result.m_Error.isEmpty())
        result.m_Error = QStringLiteral("writing %1 failed").arg(m_FilePath);
    result.m_SentMBps = shape.MBps(static_cast<double>(sentPackets) / result.m_Seconds);
    m_pRig->ResumeStream();
    m_pRig->PauseStream();
    return result;
}
