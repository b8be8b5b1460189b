// Controller operations: initialisation and disconnection, photon collection,
// the packet transfer rate with the buffer sizes it needs, the camera update
// mode, and the client's queries of the collected packets.
#include "core/quorvel.h"

#include "acquisition/collectedpackets.h"
#include "acquisition/readbuffer.h"
#include "acquisition/waitloop.h"
#include "gammamodule/gammamodules.h"
#include "gammamodule/gmregister.h"
#include "transport/register.h"

#include <QTimer>

namespace {

constexpr quint16 sysControlPort = 20483;
constexpr quint16 simulatorPort = 20484;
constexpr int simulatorRegister = 1;
constexpr int dataPortRegister = 14;
constexpr int hvRegister = 15;
constexpr int gbeControlRegister = 16;
constexpr int gmIDRegister = 20;
constexpr unsigned char hvCloseCommand = 0xE8;
constexpr int sysCollectingBit = 0x02;
constexpr qint64 bytesPerMegabyte = 1048576;
constexpr int bytesPerPacket = 660;

unsigned char replyByte(const QByteArray& a_Reply, int a_Index)
{
    return a_Index < a_Reply.size() ? static_cast<unsigned char>(a_Reply.at(a_Index)) : 0;
}

// Runs a local event loop until one of the signals given or the time-out;
// true if a signal came.
template <typename Connect>
bool waitForSignal(int a_TimeoutMs, Connect a_Connect, const std::function<void()>& a_Start)
{
    WaitLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    a_Connect(&loop);
    QObject::connect(&timer, &QTimer::timeout, &loop, &WaitLoop::quit);
    a_Start();
    timer.start(a_TimeoutMs);
    loop.Exec();
    return loop.IsWaitConditionRecvd();
}

} // namespace

bool Quorvel::Init()
{
    // The sockets of a running link are not opened a second time under it. A
    // link the camera dropped (a power cycle) is closed down here, workers'
    // sockets included, and brought up again like a first one.
    if (m_CommunicationMGR.SocketsConnected()) {
        if (m_CommunicationMGR.IsSysControlLinkUp()) {
            m_LastError = QStringLiteral("System is already connected, disconnect before initializing again");
            return false;
        }
        m_WorkerMGR.StopWorkers();
        m_CommunicationMGR.Disconnect();
    }
    if (!m_CommunicationMGR.Init(sysControlPort, simulatorPort)) {
        m_LastError = m_CommunicationMGR.GetLastError();
        return false;
    }
    Register simulator(simulatorRegister, REGISTER_OP_WRITE);
    simulator.AddByte(0x12);
    simulator.AddByte(0x00);
    if (!m_CommunicationMGR.WriteSimulatorRegister(simulator)) {
        m_LastError = m_CommunicationMGR.GetLastError();
        return FailInit();
    }
    InitHV();
    StartCollectionThreads();
    if (!m_WorkerMGR.StartWorkers(m_CommunicationMGR.GetHostIPAddress(), m_CommunicationMGR.GetRemoteIPAddress())) {
        m_LastError = m_WorkerMGR.GetLastError();
        return FailInit();
    }
    if (!StopPhotonCollection() || !StopSys())
        return FailInit();
    m_Initialized = true;
    return true;
}

// A failed Init leaves no socket open: the workers close theirs and the
// control connections are closed. The threads keep running for the next Init.
bool Quorvel::FailInit()
{
    m_WorkerMGR.StopWorkers();
    m_CommunicationMGR.Disconnect();
    return false;
}

void Quorvel::StartCollectionThreads()
{
    if (!m_PacketDecoderThread.isRunning()) {
        if (m_PacketDecoder.thread() != &m_PacketDecoderThread)
            m_PacketDecoder.moveToThread(&m_PacketDecoderThread);
        m_PacketDecoderThread.start(QThread::HighestPriority);
    }
    if (!m_PacketOperationsThread.isRunning()) {
        if (m_PacketOperations.thread() != &m_PacketOperationsThread)
            m_PacketOperations.moveToThread(&m_PacketOperationsThread);
        m_PacketOperationsThread.start(QThread::HighestPriority);
    }
}

bool Quorvel::IsInitialized() const
{
    return m_Initialized;
}

void Quorvel::Disconnect()
{
    StopSys();
    Register hv(hvRegister, REGISTER_OP_WRITE);
    hv.AddByte(hvCloseCommand);
    hv.AddByte(0x00);
    m_CommunicationMGR.WriteSysControlRegister(hv);
    m_WorkerMGR.StopWorkers();
    m_CommunicationMGR.Disconnect();
}

void Quorvel::SetWaitTimeout(int a_Ms)
{
    m_WaitTimeoutMs = a_Ms;
    m_WorkerMGR.SetStartupTimeout(a_Ms);
    m_WorkerMGR.SetStatusConnectTimeout(a_Ms);
}

void Quorvel::OnPortSet(quint16 a_PortNo)
{
    ReportStatus(QStringLiteral("Data Socket Port: %1").arg(a_PortNo));
    Register port(dataPortRegister, REGISTER_OP_WRITE);
    port.AddByte(static_cast<unsigned char>(a_PortNo >> 8));
    port.AddByte(static_cast<unsigned char>(a_PortNo & 0xFF));
    m_CommunicationMGR.WriteSysControlRegister(port);
    emit portSet();
}

void Quorvel::OnGMDetermined(int a_GMID)
{
    // The register is read before the lock is taken, so the decoder is not
    // held up by a slow reply.
    GMRegister idRegister(gmIDRegister, a_GMID, REGISTER_OP_READ);
    idRegister.AddReadBytes(1);
    QByteArray reply;
    const bool read = m_CommunicationMGR.ReadSysControlRegister(idRegister, &reply);

    GammaModules* gms = GammaModules::GetInstance();
    const auto lock = gms->AccessLock();
    // A GM that announces its power-up again keeps its one entry.
    GammaModule* gm = nullptr;
    for (GammaModule* candidate : gms->GetGMs(GAMMA_MODULES_TYPE_DEVICE)) {
        if (candidate->GetID() == a_GMID)
            gm = candidate;
    }
    if (!gm) {
        gm = new GammaModule(a_GMID);
        gms->AddGammaModule(GAMMA_MODULES_TYPE_DEVICE, gm);
    }
    if (read)
        gm->SetDefaultGM(static_cast<signed char>(replyByte(reply, 2)));
}

bool Quorvel::StartPhotonCollection()
{
    // The data worker first drops what arrived since the last collection
    // stopped: late datagrams, and the final batch of a stop that timed out
    // (its answer is queued ahead of this request). None of it may land in the
    // new collection. A data thread that is not running holds nothing.
    if (m_WorkerMGR.IsDataThreadRunning()) {
        const quint64 request = ++m_CollectStartsRequested;
        const bool answered = waitForSignal(
            m_WaitTimeoutMs,
            [this, request](WaitLoop* a_pLoop) {
                connect(&m_WorkerMGR, &WorkerMGR::collectStartReady, a_pLoop, [this, request, a_pLoop] {
                    if (m_CollectStartsAnswered < request)
                        return;
                    a_pLoop->OnWaitConditionRecvd();
                    a_pLoop->quit();
                });
            },
            [this] { emit collectStarting(); });
        if (!answered) {
            m_LastError = QStringLiteral("Timed out waiting for the data thread before collecting");
            return false;
        }
    }

    // Lock order: ReadBuffer, GammaModules, CollectedPackets. All three are
    // held until the store and the buffer are empty, so no batch of the new
    // collection is decoded into the old packets or cleared away. The store's
    // lock is taken before the camera is told to collect: a CSV save holds it
    // for its whole run, and waiting for it only after the camera had started
    // would stall the data thread (it needs the ReadBuffer lock to hand over)
    // while the camera's datagrams pile up and overflow the socket.
    ReadBuffer* readBuffer = ReadBuffer::GetInstance();
    const auto readBufferLock = readBuffer->AccessLock();
    GammaModules* gms = GammaModules::GetInstance();
    const auto gmLock = gms->AccessLock();
    CollectedPackets* store = CollectedPackets::GetInstance();
    const auto storeLock = store->AccessLock();

    // The camera is asked first: a refused start keeps the client's packets.
    m_SysControlBits |= sysCollectingBit;
    if (!WriteGBEControlImmediately()) {
        m_SysControlBits &= ~sysCollectingBit;
        return false;
    }
    gms->SetActiveGMs(GAMMA_MODULES_TYPE_DEVICE);
    ClearStoreHeld(store);
    readBuffer->Reset();
    ReportToolbarStatus(QStringLiteral("Collecting ..."));
    return true;
}

bool Quorvel::StopPhotonCollection()
{
    m_SysControlBits &= ~sysCollectingBit;
    if (!WriteGBEControlImmediately()) {
        m_SysControlBits |= sysCollectingBit;
        return false;
    }
    // Waits for the data worker's answer to this stop: neither an earlier batch
    // signal nor the late answer to an earlier stop may end the wait before the
    // final batch is handed over. The answers are counted by a connection made
    // in SetupSlots, which runs before the one made here. Without a data worker
    // the request reaches no one and is not counted.
    const quint64 request = m_WorkerMGR.GetDataWorker() ? ++m_CollectStopsRequested : m_CollectStopsRequested + 1;
    const bool answered = waitForSignal(
        m_WaitTimeoutMs,
        [this, request](WaitLoop* a_pLoop) {
            connect(&m_WorkerMGR, &WorkerMGR::collectStopFinished, a_pLoop, [this, request, a_pLoop] {
                if (m_CollectStopsAnswered < request)
                    return;
                a_pLoop->OnWaitConditionRecvd();
                a_pLoop->quit();
            });
        },
        [this] { emit collectStopped(); });
    if (!answered) {
        m_LastError = QStringLiteral("Timed out waiting for read buffer read");
        return false;
    }
    ReportToolbarStatus(QStringLiteral("Finished collecting"));
    return true;
}

bool Quorvel::IsSystemCollectingPhotons()
{
    Register request(gbeControlRegister, REGISTER_OP_READ);
    request.AddReadBytes(2);
    QByteArray reply;
    if (!m_CommunicationMGR.ReadSysControlRegister(request, &reply))
        return false;
    return (replyByte(reply, 2) & COLLECT) != 0;
}

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

bool Quorvel::SetCameraUpdateMode(CameraUpdateMode a_Mode)
{
    if (a_Mode == CAMERA_UPDATE_MODE_UNDEFINED) {
        m_LastError = QStringLiteral("Undefined camera update mode detected");
        return false;
    }
    m_CameraUpdateMode = a_Mode;
    return true;
}

CameraUpdateMode Quorvel::GetCameraUpdateMode() const
{
    return m_CameraUpdateMode;
}

bool Quorvel::SetDataWorkerBufferSize(int a_Megabytes)
{
    const bool answered = waitForSignal(
        m_WaitTimeoutMs,
        [this](WaitLoop* a_pLoop) {
            connect(&m_WorkerMGR, &WorkerMGR::bufferSizeChanged, a_pLoop, &WaitLoop::OnWaitConditionRecvd);
            connect(&m_WorkerMGR, &WorkerMGR::dataWorkerError, a_pLoop, &WaitLoop::OnWaitConditionRecvd);
            connect(&m_WorkerMGR, &WorkerMGR::bufferSizeChanged, a_pLoop, &WaitLoop::quit);
            connect(&m_WorkerMGR, &WorkerMGR::dataWorkerError, a_pLoop, &WaitLoop::quit);
        },
        [this, a_Megabytes] { emit bufferSizeChangeRequest(a_Megabytes * bytesPerMegabyte); });
    if (!m_WorkerMGR.GetLastError().isEmpty()) {
        m_LastError = m_WorkerMGR.GetLastError();
        return false;
    }
    if (!answered) {
        m_LastError = QStringLiteral("Timed out when attempting to change buffer size, buffer size unchanged");
        return false;
    }
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
        m_LastError = QStringLiteral("Failed to resize buffer, buffer still %1Mb").arg(oldMegabytes);
    else
        m_LastError = QStringLiteral("Fatal error: internal buffer resizing error, please restart application");
    return false;
}

int Quorvel::GetPacketBufferSize()
{
    ReadBuffer* readBuffer = ReadBuffer::GetInstance();
    const auto lock = readBuffer->AccessLock();
    return static_cast<int>(readBuffer->GetSize() / bytesPerMegabyte);
}

int Quorvel::GetNoOfCollectedPackets()
{
    return CollectedPackets::GetInstance()->GetNoOfCollectedPackets();
}

bool Quorvel::GetPacketData(int a_PacketNo, PacketData a_Type, int* a_Value)
{
    return CollectedPackets::GetInstance()->GetPacketData(a_PacketNo, a_Type, a_Value, &m_LastError);
}

bool Quorvel::GetPhotonData(int a_PacketNo, int a_PhotonNo, PhotonData a_Type, int* a_Value)
{
    return CollectedPackets::GetInstance()->GetPhotonData(a_PacketNo, a_PhotonNo, a_Type, a_Value, &m_LastError);
}

void Quorvel::ClearCollectedPackets()
{
    CollectedPackets* store = CollectedPackets::GetInstance();
    const auto lock = store->AccessLock();
    ClearStoreHeld(store);
}

void Quorvel::ClearStoreHeld(CollectedPackets* a_pStore)
{
    ReportToolbarStatus(CollectedPackets::ClearingPacketsText());
    a_pStore->Clear();
    ReportToolbarStatus(CollectedPackets::PacketsClearedText());
}

void Quorvel::OnDecodingPackets()
{
    ReportStatus(CollectedPackets::DecodingPacketsText());
}

void Quorvel::OnPacketsDecoded(int a_NoOfPackets)
{
    ReportStatus(CollectedPackets::GetInstance()->PacketsDecodedText(a_NoOfPackets));
}
