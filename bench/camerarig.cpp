#include "bench/camerarig.h"

#include "bench/benchsupport.h"
#include "quorveldll.h"

namespace {
constexpr int WAIT_MS = 10000;
constexpr int GBE_CONTROL_REGISTER = 16;
constexpr quint16 COLLECT_BIT = 0x0002;
constexpr int HIGHEST_TRANSFER_RATE = 63000;
} // namespace

CameraRig::CameraRig(const QString& a_Address, const StreamShape& a_Shape)
    : m_Address(a_Address)
    , m_Shape(a_Shape)
{
    camsim::CameraConfig config;
    config.address = a_Address;
    config.photonsPerPacket = a_Shape.m_PhotonsPerPacket;
    config.packetsPerDatagram = a_Shape.m_PacketsPerDatagram;
    config.recordSentPackets = false; // counts only: the list would grow with the run
    m_Camera = std::make_unique<camsim::VirtualCamera>(config);
}

CameraRig::~CameraRig()
{
    QuorvelDll::Close();
    m_Camera.reset();
}

bool CameraRig::Connect(QString* a_pError)
{
    if (!m_Camera->start(a_pError))
        return false;
    const std::string address = m_Address.toStdString();
    QuorvelDll::SetHostIPAddress(address.c_str());
    QuorvelDll::SetCameraIPAddress(address.c_str());
    const int gms = m_Camera->config().gmIds.size();
    const bool ok = QuorvelDll::Initialize() && QuorvelDll::StartSys()
                    && bench::WaitUntil([gms] { return QuorvelDll::GetNoOfGMs() == gms; }, WAIT_MS)
                    && QuorvelDll::SetPacketTransferRate(HIGHEST_TRANSFER_RATE);
    if (!ok && a_pError)
        *a_pError = QString::fromStdString(QuorvelDll::GetLastError());
    return ok;
}

quint16 CameraRig::DataPort() const
{
    return m_Camera->systemRegister(14);
}

bool CameraRig::PauseStream()
{
    m_Camera->setSystemRegister(GBE_CONTROL_REGISTER, m_Camera->systemRegister(GBE_CONTROL_REGISTER) & ~COLLECT_BIT);
    return m_Camera->waitForStreamStopped(WAIT_MS);
}

void CameraRig::ResumeStream()
{
    m_Camera->setSystemRegister(GBE_CONTROL_REGISTER, m_Camera->systemRegister(GBE_CONTROL_REGISTER) | COLLECT_BIT);
}

bool CameraRig::WaitStored(qint64 a_Packets, int a_TimeoutMs)
{
    const double end = bench::Now() + a_TimeoutMs / 1000.0;
    qint64 last = -1;
    double lastChange = bench::Now();
    while (bench::Now() < end) {
        const qint64 stored = QuorvelDll::GetNoOfCollectedPackets();
        if (stored >= a_Packets)
            return true;
        if (stored != last) {
            last = stored;
            lastChange = bench::Now();
        } else if (bench::Now() - lastChange > 1.0) {
            return false;
        }
        bench::RunEvents(20);
    }
    return false;
}
