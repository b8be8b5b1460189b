// Controller operations on the packet transfer rate and the buffers sized
// for it: the data worker's batch and the ReadBuffer.
#include "core/quorvel.h"

#include "acquisition/readbuffer.h"
#include "acquisition/waitloop.h"

namespace {

constexpr qint64 bytesPerMegabyte = 1048576;
constexpr int bytesPerPacket = 660;

} // namespace

bool Quorvel::SetPacketTransferRate(int a_Rate)
{
    if (!TakeSysConfigResult(m_SysConfig.SetPacketTransferRate(a_Rate)))
        return false;
    if (!UpdateGBEControlRegister())
        return false;
    // Room for one second of packets: 1000 gives 1 MB, 63000 gives 40 MB.
    const qint64 bytes = static_cast<qint64>(a_Rate) * bytesPerPacket;
    return SetPacketBufferSize(static_cast<int>((bytes + bytesPerMegabyte - 1) / bytesPerMegabyte));
}

int Quorvel::GetPacketTransferRate() const
{
    return m_SysConfig.GetPacketTransferRate();
}

bool Quorvel::SetDataWorkerBufferSize(int a_Megabytes)
{
    const bool answered = WaitLoop::WaitFor(
        m_WaitTimeoutMs,
        [this](WaitLoop* a_pLoop) {
            connect(&m_WorkerMGR, &WorkerMGR::bufferSizeChanged, a_pLoop, &WaitLoop::OnWaitConditionRecvd);
            connect(&m_WorkerMGR, &WorkerMGR::dataWorkerError, a_pLoop, &WaitLoop::OnWaitConditionRecvd);
            connect(&m_WorkerMGR, &WorkerMGR::bufferSizeChanged, a_pLoop, &WaitLoop::quit);
            connect(&m_WorkerMGR, &WorkerMGR::dataWorkerError, a_pLoop, &WaitLoop::quit);
        },
        [this, a_Megabytes] { emit bufferSizeChangeRequest(a_Megabytes * bytesPerMegabyte); });
    if (!m_WorkerMGR.GetLastError().isEmpty())
        return FailOp(m_WorkerMGR.GetLastError());
    if (!answered)
        return FailOp(QStringLiteral("Timed out when attempting to change buffer size, buffer size unchanged"));
    return true;
}

bool Quorvel::SetPacketBufferSize(int a_Megabytes)
{
    // No lock is held across the waits for the data worker: it may need the
    // ReadBuffer lock to hand over a batch before it can resize, and a client
    // callback run inside the wait may reach the buffer too. A data worker
    // that resizes after a time-out is still safe: the ReadBuffer grows to any
    // batch stored into it.
    m_WorkerMGR.ClearLastError();
    ReadBuffer* readBuffer = ReadBuffer::GetInstance();
    qint64 oldSize;
    {
        const auto lock = readBuffer->AccessLock();
        oldSize = readBuffer->GetSize();
    }
    if (!SetDataWorkerBufferSize(a_Megabytes))
        return false;
    bool resized;
    {
        const auto lock = readBuffer->AccessLock();
        resized = readBuffer->SetBufferSize(a_Megabytes * bytesPerMegabyte);
    }
    if (resized)
        return true;
    const int oldMegabytes = static_cast<int>(oldSize / bytesPerMegabyte);
    if (SetDataWorkerBufferSize(oldMegabytes))
        return FailOp(QStringLiteral("Failed to resize buffer, buffer still %1Mb").arg(oldMegabytes));
    return FailOp(QStringLiteral("Fatal error: internal buffer resizing error, please restart application"));
}

int Quorvel::GetPacketBufferSize()
{
    ReadBuffer* readBuffer = ReadBuffer::GetInstance();
    const auto lock = readBuffer->AccessLock();
    return static_cast<int>(readBuffer->GetSize() / bytesPerMegabyte);
}
