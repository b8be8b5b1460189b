#include "camsim/virtualcamera.h"

#include "camsim/cameraserver.h"
#include "camsim/camerastate.h"
#include "camsim/datastreamer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>

namespace camsim {

namespace {
int indexOf(Channel channel)
{
    return static_cast<int>(channel);
}

qint64 countFor(const QMap<int, qint64>& counts, int gmId)
{
    if (gmId != 0)
        return counts.value(gmId, 0);
    qint64 total = 0;
    for (qint64 count : counts)
        total += count;
    return total;
}
} // namespace

VirtualCamera::VirtualCamera(const CameraConfig& config)
    : m_State(std::make_unique<CameraState>(config))
    , m_Streamer(std::make_unique<DataStreamer>(m_State.get()))
{
}

VirtualCamera::~VirtualCamera()
{
    stop();
}

struct VirtualCamera::Startup {
    std::mutex mutex;
    std::condition_variable changed;
    bool ready = false;
    bool listening = false;
    QString error;
};

bool VirtualCamera::start(QString* error)
{
    std::lock_guard<std::mutex> control(m_ControlMutex);
    if (m_Thread.joinable())
        return true;
    Startup startup;
    m_Thread = std::thread([this, &startup] { runCameraThread(&startup); });
    std::unique_lock<std::mutex> lock(startup.mutex);
    startup.changed.wait(lock, [&] { return startup.ready; });
    if (!startup.listening) {
        lock.unlock();
        m_Thread.join();
        if (error)
            *error = startup.error;
        return false;
    }
    m_Streamer->start();
    return true;
}

void VirtualCamera::runCameraThread(Startup* startup)
{
    // Qt adopts this thread; its event loop serves the sockets and the command queue.
    QEventLoop loop;
    auto server = std::make_unique<CameraServer>(m_State.get());
    QString error;
    const bool listening = server->listen(&error);
    QSocketNotifier wake(m_Commands.wakeDescriptor(), QSocketNotifier::Read);
    QObject::connect(&wake, &QSocketNotifier::activated, &loop, [this] { m_Commands.drain(); });
    if (listening) {
        m_Server = server.get();
        m_Loop = &loop;
        m_Commands.open();
    }
    {
        std::lock_guard<std::mutex> lock(startup->mutex);
        startup->ready = true;
        startup->listening = listening;
        startup->error = error;
        startup->changed.notify_all();
    }
    if (!listening)
        return;
    loop.exec();
    m_Commands.close();
    m_Server = nullptr;
    m_Loop = nullptr;
    server.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void VirtualCamera::stop()
{
    std::lock_guard<std::mutex> control(m_ControlMutex);
    stopLocked();
}

void VirtualCamera::stopLocked()
{
    m_Streamer->stop();
    if (!m_Thread.joinable() || m_Thread.get_id() == std::this_thread::get_id())
        return;
    m_Commands.run([this] { m_Loop->quit(); });
    m_Thread.join();
}

bool VirtualCamera::isRunning() const
{
    std::lock_guard<std::mutex> control(m_ControlMutex);
    return m_Thread.joinable();
}

const CameraConfig& VirtualCamera::config() const
{
    return m_State->config;
}

void VirtualCamera::onCameraThread(const std::function<void(CameraServer*)>& function) const
{
    std::lock_guard<std::mutex> control(m_ControlMutex);
    if (m_Thread.joinable() && m_Thread.get_id() == std::this_thread::get_id()) {
        function(m_Server);
        return;
    }
    if (!m_Thread.joinable() || !m_Commands.run([this, &function] { function(m_Server); }))
        function(nullptr);
}

QByteArray VirtualCamera::receivedBytes(Channel channel) const
{
    std::lock_guard<std::mutex> lock(m_State->mutex);
    return deepCopy(m_State->received[indexOf(channel)]);
}

QList<QByteArray> VirtualCamera::requests() const
{
    std::lock_guard<std::mutex> lock(m_State->mutex);
    return deepCopy(m_State->controlRequests);
}

QList<QByteArray> VirtualCamera::simulatorRequests() const
{
    std::lock_guard<std::mutex> lock(m_State->mutex);
    return deepCopy(m_State->simulatorRequests);
}

bool VirtualCamera::waitForRequests(int count, int timeoutMs) const
{
    return m_State->waitFor([this, count] { return m_State->controlRequests.size() >= count; }, timeoutMs);
}

bool VirtualCamera::waitForConnections(Channel channel, int count, int timeoutMs) const
{
    return m_State->waitFor([this, channel, count] { return m_State->connections[indexOf(channel)] >= count; },
                            timeoutMs);
}

int VirtualCamera::connectionCount(Channel channel) const
{
    std::lock_guard<std::mutex> lock(m_State->mutex);
    return m_State->connections[indexOf(channel)];
}

QByteArray VirtualCamera::statusBytesSent() const
{
    std::lock_guard<std::mutex> lock(m_State->mutex);
    return deepCopy(m_State->statusSent);
}

void VirtualCamera::clearRecords()
{
    std::lock_guard<std::mutex> lock(m_State->mutex);
    for (QByteArray& bytes : m_State->received)
        bytes.clear();
    m_State->controlRequests.clear();
    m_State->simulatorRequests.clear();
    m_State->statusSent.clear();
    m_State->packetsSent.clear();
    m_State->photonsSent.clear();
    m_State->intactPacketsSent.clear();
    m_State->datagramsSent = 0;
    m_State->sentPackets.clear();
}

quint16 VirtualCamera::systemRegister(int reg) const
{
    std::lock_guard<std::mutex> lock(m_State->mutex);
    return m_State->registers.system(reg);
}

void VirtualCamera::setSystemRegister(int reg, quint16 value)
{
    onCameraThread([this, reg, value](CameraServer* server) {
        if (server) {
            server->writeSystemRegister(reg, value);
            return;
        }
        std::lock_guard<std::mutex> lock(m_State->mutex);
        m_State->registers.setSystem(reg, value);
        m_State->bumpStreamLocked();
    });
}

quint8 VirtualCamera::gmRegister(int gmId, int reg) const
{
    std::lock_guard<std::mutex> lock(m_State->mutex);
    return m_State->registers.gm(gmId, reg);
}

void VirtualCamera::setGmRegister(int gmId, int reg, quint8 value)
{
    std::lock_guard<std::mutex> lock(m_State->mutex);
    m_State->registers.setGm(gmId, reg, value);
    m_State->bumpStreamLocked();
    m_State->changed.notify_all();
}

QByteArray VirtualCamera::asicImage(int gmId, int reg) const
{
    std::lock_guard<std::mutex> lock(m_State->mutex);
    return deepCopy(m_State->registers.asicImage(gmId, reg));
}

void VirtualCamera::setAsicImage(int gmId, int reg, const QByteArray& image)
{
    std::lock_guard<std::mutex> lock(m_State->mutex);
    m_State->registers.setAsicImage(gmId, reg, image);
    m_State->bumpStreamLocked();
    m_State->changed.notify_all();
}

quint16 VirtualCamera::adcReading(int gmId, int adc) const
{
    std::lock_guard<std::mutex> lock(m_State->mutex);
    return m_State->registers.adc(gmId, adc);
}

void VirtualCamera::setAdcReading(int gmId, int adc, quint16 value)
{
    std::lock_guard<std::mutex> lock(m_State->mutex);
    m_State->registers.setAdc(gmId, adc, value);
}

QList<quint16> VirtualCamera::hvCommands() const
{
    std::lock_guard<std::mutex> lock(m_State->mutex);
    return deepCopyAll(m_State->registers.hvCommands());
}

quint16 VirtualCamera::simulatorRegister(int reg) const
{
    std::lock_guard<std::mutex> lock(m_State->mutex);
    return m_State->simulatorRegisters.value(reg, 0);
}

void VirtualCamera::sendStatusBytes(const QByteArray& bytes)
{
    onCameraThread([&bytes](CameraServer* server) {
        if (server)
            server->sendStatusBytes(bytes);
    });
}

void VirtualCamera::closeConnection(Channel channel)
{
    onCameraThread([channel](CameraServer* server) {
        if (server)
            server->closeConnection(channel);
    });
}

qint64 VirtualCamera::packetsSent(int gmId) const
{
    std::lock_guard<std::mutex> lock(m_State->mutex);
    return countFor(m_State->packetsSent, gmId);
}

qint64 VirtualCamera::photonsSent(int gmId) const
{
    std::lock_guard<std::mutex> lock(m_State->mutex);
    return countFor(m_State->photonsSent, gmId);
}

qint64 VirtualCamera::intactPacketsSent(int gmId) const
{
    std::lock_guard<std::mutex> lock(m_State->mutex);
    return countFor(m_State->intactPacketsSent, gmId);
}

qint64 VirtualCamera::datagramsSent() const
{
    std::lock_guard<std::mutex> lock(m_State->mutex);
    return m_State->datagramsSent;
}

QVector<SentPacket> VirtualCamera::sentPackets() const
{
    std::lock_guard<std::mutex> lock(m_State->mutex);
    return deepCopyAll(m_State->sentPackets);
}

bool VirtualCamera::waitForPacketsSent(qint64 count, int timeoutMs) const
{
    return m_State->waitFor([this, count] { return countFor(m_State->packetsSent, 0) >= count; }, timeoutMs);
}

bool VirtualCamera::waitForStreamStopped(int timeoutMs) const
{
    return m_State->waitFor([this] {
        const bool collecting = m_State->registers.system(RegisterFile::gbeControlRegister) & RegisterFile::collect;
        return !collecting && m_State->senderIdleVersion == m_State->streamVersion;
    }, timeoutMs);
}

bool VirtualCamera::isCollecting() const
{
    std::lock_guard<std::mutex> lock(m_State->mutex);
    return (m_State->registers.system(RegisterFile::gbeControlRegister) & RegisterFile::collect) != 0;
}

void VirtualCamera::setReplyFault(ReplyFault fault, int delayMs, int times)
{
    std::lock_guard<std::mutex> lock(m_State->mutex);
    m_State->replyFault = fault;
    m_State->replyDelayMs = qMax(0, delayMs);
    m_State->replyFaultTimes = times;
}

void VirtualCamera::setDatagramFaults(const DatagramFaults& faults)
{
    std::lock_guard<std::mutex> lock(m_State->mutex);
    m_State->datagramFaults = faults;
    m_State->bumpStreamLocked();
    m_State->changed.notify_all();
}

void VirtualCamera::setStatusSplit(bool split, int gapMs)
{
    std::lock_guard<std::mutex> lock(m_State->mutex);
    m_State->statusSplit = split;
    m_State->statusSplitGapMs = qMax(0, gapMs);
}

void VirtualCamera::setRateOverride(int packetsPerSecond)
{
    std::lock_guard<std::mutex> lock(m_State->mutex);
    m_State->rateOverride = packetsPerSecond;
    m_State->bumpStreamLocked();
    m_State->changed.notify_all();
}

} // namespace camsim
