#include "camsim/camerastate.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <chrono>

namespace camsim {

CameraState::CameraState(const CameraConfig& a_Config)
    : config(a_Config)
    , registers(a_Config)
    , rateOverride(a_Config.rateOverride)
    , recordSentPackets(a_Config.recordSentPackets)
{
}

StreamSettings CameraState::streamSettingsLocked() const
{
    StreamSettings settings;
    settings.version = streamVersion;
    const quint16 control = registers.system(RegisterFile::gbeControlRegister);
    settings.collecting = (control & RegisterFile::collect) != 0;
    settings.target = controlPeer.isNull() ? QHostAddress() : QHostAddress(controlPeer.toString());
    settings.port = registers.system(RegisterFile::dataPortRegister);
    settings.rate = rateOverride != 0 ? rateOverride : registers.imagePacketRate();
    for (int id : registers.gmIds()) {
        StreamSettings::Gm gm;
        gm.id = id;
        gm.asicMode = registers.gm(id, RegisterFile::asicModeRegister);
        gm.channelImage = deepCopy(registers.asicImage(id, RegisterFile::channelImageRegister));
        settings.gms.append(gm);
    }
    settings.faults = datagramFaults;
    return settings;
}

ReplyFault CameraState::takeReplyFaultLocked(int* delayMs)
{
    *delayMs = replyDelayMs;
    if (replyFault == ReplyFault::None || replyFaultTimes == 0)
        return ReplyFault::None;
    if (replyFaultTimes > 0)
        --replyFaultTimes;
    return replyFault;
}

bool CameraState::waitFor(const std::function<bool()>& conditionLocked, int timeoutMs) const
{
    QElapsedTimer timer;
    timer.start();
    const bool pumpEvents = QCoreApplication::instance() && QAbstractEventDispatcher::instance(QThread::currentThread());
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex);
            const qint64 left = timeoutMs - timer.elapsed();
            const auto slice = std::chrono::milliseconds(pumpEvents ? qBound<qint64>(0, left, 2) : qMax<qint64>(0, left));
            if (changed.wait_for(lock, slice, conditionLocked))
                return true;
            if (timer.elapsed() >= timeoutMs)
                return false;
        }
        if (pumpEvents)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
    }
}

} // namespace camsim
