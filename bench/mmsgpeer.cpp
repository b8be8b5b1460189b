#include "bench/mmsgpeer.h"

#include "bench/benchsupport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pthread.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr int GBE_CONTROL_REGISTER = 16;
constexpr int DATA_PORT_REGISTER = 14;
constexpr quint16 POWER_ON = 0x0001;
constexpr quint16 COLLECT = 0x0002;
constexpr int WAIT_MS = 10000;

// Runs a_Function with this thread bound to one core; threads it starts inherit that.
template <typename Function>
void OnCore(int a_Core, Function a_Function)
{
    cpu_set_t saved;
    pthread_getaffinity_np(pthread_self(), sizeof(saved), &saved);
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(a_Core, &one);
    pthread_setaffinity_np(pthread_self(), sizeof(one), &one);
    a_Function();
    pthread_setaffinity_np(pthread_self(), sizeof(saved), &saved);
}
} // namespace

MmsgPeer::MmsgPeer(const QString& a_Address, const StreamShape& a_Shape, bool a_PinCamera)
    : m_Address(a_Address)
    , m_Shape(a_Shape)
    , m_PinCamera(a_PinCamera)
{
    camsim::CameraConfig config;
    config.address = a_Address;
    config.photonsPerPacket = a_Shape.m_PhotonsPerPacket;
    config.packetsPerDatagram = a_Shape.m_PacketsPerDatagram;
    config.recordSentPackets = false;
    m_Camera = std::make_unique<camsim::VirtualCamera>(config);
}

MmsgPeer::~MmsgPeer()
{
    m_Receiver.Stop();
    if (m_Control >= 0)
        ::close(m_Control);
    m_Camera.reset();
}

bool MmsgPeer::Start(QString* a_pError)
{
    bool started = false;
    if (m_PinCamera)
        OnCore(0, [&] { started = m_Camera->start(a_pError); });
    else
        started = m_Camera->start(a_pError);
    if (!started || !m_Receiver.Open(m_Address, a_pError))
        return false;
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(m_Camera->config().controlPort);
    ::inet_pton(AF_INET, m_Address.toLatin1().constData(), &address.sin_addr);
    // From the peer's own address: the camera streams to the address its control connection came from.
    sockaddr_in local = address;
    local.sin_port = 0;
    m_Control = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_Control < 0 || ::bind(m_Control, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0
        || ::connect(m_Control, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0
        || !m_Camera->waitForConnections(camsim::Channel::Control, 1, WAIT_MS)) {
        *a_pError = QStringLiteral("cannot open a control connection to the peer's camera");
        return false;
    }
    m_Camera->setSystemRegister(DATA_PORT_REGISTER, m_Receiver.Port());
    if (m_PinCamera)
        OnCore(1, [&] { m_Receiver.Start(); });
    else
        m_Receiver.Start();
    return true;
}

ProbeResult MmsgPeer::Probe(double a_MBps, double a_Seconds)
{
    ProbeResult result;
    result.m_RequestedMBps = a_MBps;
    m_Camera->setRateOverride(a_MBps < 0 ? -1 : m_Shape.PacketsPerSecond(a_MBps));
    m_Camera->clearRecords();
    const qint64 datagramsBefore = m_Receiver.Datagrams();
    const qint64 dropsBefore = bench::SocketDrops(m_Receiver.Port());
    const double start = bench::Now();
    m_Camera->setSystemRegister(GBE_CONTROL_REGISTER, POWER_ON | COLLECT);
    while (bench::Now() - start < a_Seconds)
        ::usleep(20000);
    m_Camera->setSystemRegister(GBE_CONTROL_REGISTER, POWER_ON);
    if (!m_Camera->waitForStreamStopped(WAIT_MS))
        result.m_Error = QStringLiteral("the camera's sender did not stop");
    result.m_Seconds = bench::Now() - start;
    const qint64 sent = m_Camera->datagramsSent();
    // Until everything sent is in, or the count stands still for half a second.
    qint64 last = -1;
    double lastChange = bench::Now();
    while (m_Receiver.Datagrams() - datagramsBefore < sent && bench::Now() - lastChange < 0.5) {
        if (m_Receiver.Datagrams() != last) {
            last = m_Receiver.Datagrams();
            lastChange = bench::Now();
        }
        ::usleep(5000);
    }
    result.m_Sent = sent;
    result.m_Received = m_Receiver.Datagrams() - datagramsBefore;
    result.m_Lost = std::max<qint64>(0, sent - result.m_Received);
    result.m_Extra = std::max<qint64>(0, result.m_Received - sent);
    const qint64 dropsAfter = bench::SocketDrops(m_Receiver.Port());
    if (dropsBefore >= 0 && dropsAfter >= 0)
        result.m_SocketDrops = dropsAfter - dropsBefore;
    result.m_SentMBps = static_cast<double>(sent) * m_Shape.DatagramBytes() / result.m_Seconds / 1e6;
    if (a_MBps < 0)
        result.m_RequestedMBps = result.m_SentMBps;
    return result;
}
