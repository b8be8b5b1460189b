// Controller operations on the link's life cycle: initialisation (and
// bringing a dropped link up again), disconnection, the data port the camera
// is told, and the GMs that announce themselves as the camera powers up.
#include "core/quorvel.h"
#include "core/registermap.h"

#include "gammamodule/gammamodules.h"
#include "transport/register.h"

namespace {

constexpr quint16 sysControlPort = 20483;
constexpr quint16 simulatorPort = 20484;
constexpr unsigned char hvCloseCommand = 0xE8;

} // namespace

bool Quorvel::Init()
{
    // The sockets of a running link are not opened a second time under it. A
    // link the camera dropped (a power cycle) is closed down here, workers'
    // sockets included, and brought up again like a first one.
    if (m_CommunicationMGR.SocketsConnected()) {
        if (m_CommunicationMGR.IsSysControlLinkUp())
            return FailOp(QStringLiteral("System is already connected, disconnect before initializing again"));
        CloseSockets();
    }
    if (!m_CommunicationMGR.Init(sysControlPort, simulatorPort))
        return FailOp(m_CommunicationMGR.GetLastError());
    Register simulator(RegisterMap::SIMULATOR, REGISTER_OP_WRITE);
    simulator.AddByte(0x12);
    simulator.AddByte(0x00);
    if (!m_CommunicationMGR.WriteSimulatorRegister(simulator))
        return FailInit(m_CommunicationMGR.GetLastError());
    InitHV();
    StartCollectionThreads();
    if (!m_WorkerMGR.StartWorkers(m_CommunicationMGR.GetHostIPAddress(), m_CommunicationMGR.GetRemoteIPAddress()))
        return FailInit(m_WorkerMGR.GetLastError());
    if (!StopPhotonCollection() || !StopSys())
        return FailInit();
    m_Initialized = true;
    return true;
}

// A failed Init leaves no socket open: the workers close theirs and the
// control connections are closed. The threads keep running for the next Init.
// A message given becomes the last error; without one it is already set.
bool Quorvel::FailInit(const QString& a_Message)
{
    if (!a_Message.isNull())
        FailOp(a_Message);
    CloseSockets();
    return false;
}

void Quorvel::CloseSockets()
{
    m_WorkerMGR.StopWorkers();
    m_CommunicationMGR.Disconnect();
}

void Quorvel::StartCollectionThreads()
{
    if (!m_PacketDecoderThread.isRunning()) {
        if (m_PacketDecoder.thread() != &m_PacketDecoderThread)
            m_PacketDecoder.moveToThread(&m_PacketDecoderThread);
        m_PacketDecoderThread.StartAndWait(QThread::HighestPriority);
    }
    if (!m_PacketOperationsThread.isRunning()) {
        if (m_PacketOperations.thread() != &m_PacketOperationsThread)
            m_PacketOperations.moveToThread(&m_PacketOperationsThread);
        m_PacketOperationsThread.StartAndWait(QThread::HighestPriority);
    }
}

bool Quorvel::IsInitialized() const
{
    return m_Initialized;
}

void Quorvel::Disconnect()
{
    StopSys();
    Register hv(RegisterMap::HV, REGISTER_OP_WRITE);
    hv.AddByte(hvCloseCommand);
    hv.AddByte(0x00);
    m_CommunicationMGR.WriteSysControlRegister(hv);
    CloseSockets();
    m_SysControlBits &= ~RegisterMap::COLLECT;
    EndStreamedCollection();
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
    Register port(RegisterMap::DATA_PORT, REGISTER_OP_WRITE);
    port.AddByte(static_cast<unsigned char>(a_PortNo >> 8));
    port.AddByte(static_cast<unsigned char>(a_PortNo & 0xFF));
    m_CommunicationMGR.WriteSysControlRegister(port);
    emit portSet();
}

void Quorvel::OnGMDetermined(int a_GMID)
{
    // The register is read before the lock is taken, so the decoder is not
    // held up by a slow reply.
    QByteArray reply;
    const bool read = ReadGMRegister(a_GMID, RegisterMap::GM_ID, &reply);

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
        gm->SetDefaultGM(static_cast<signed char>(Register::ReplyByte(reply, 2)));
}
