// Everything the camera thread, the data sender and the test's thread share,
// behind one std::mutex (ThreadSanitizer sees it, unlike QMutex).
#ifndef CAMSIM_CAMERASTATE_H
#define CAMSIM_CAMERASTATE_H

#include "camsim/cameraconfig.h"
#include "camsim/registerfile.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QVector>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace camsim {

// Deep copies for everything that crosses threads. Qt's implicit sharing drops its
// references inside the Qt library, where ThreadSanitizer cannot see them, so no
// shared data may outlive the lock it was copied under.
inline QByteArray deepCopy(const QByteArray& bytes)
{
    return QByteArray(bytes.constData(), bytes.size());
}

template <typename Container> Container deepCopyAll(const Container& items)
{
    Container copy;
    copy.reserve(items.size());
    for (const auto& item : items)
        copy.append(item);
    return copy;
}

inline QList<QByteArray> deepCopy(const QList<QByteArray>& list)
{
    QList<QByteArray> copy;
    for (const QByteArray& bytes : list)
        copy.append(deepCopy(bytes));
    return copy;
}

// What the data sender needs to know, copied out under the lock.
struct StreamSettings {
    struct Gm {
        int id = 0;
        quint8 asicMode = 0;     // register 21: TD_EN, NEGATIVE_EN
        QByteArray channelImage; // register 30: the channel masks
    };
    quint64 version = 0;
    bool collecting = false;
    QHostAddress target;
    quint16 port = 0;
    int rate = 1000; // packets/s; -1 flat out
    QVector<Gm> gms;
    DatagramFaults faults;
};

class CameraState {
public:
    explicit CameraState(const CameraConfig& config);

    const CameraConfig config;
    mutable std::mutex mutex;
    // Notified (with or without the lock) on every change a waiter may care about.
    mutable std::condition_variable changed;

    // --- guarded by mutex ---
    RegisterFile registers;
    QByteArray received[3];
    QList<QByteArray> controlRequests;
    QList<QByteArray> simulatorRequests;
    QMap<int, quint16> simulatorRegisters;
    int connections[3] {0, 0, 0};
    QByteArray statusSent;
    QHostAddress controlPeer;

    ReplyFault replyFault = ReplyFault::None;
    int replyDelayMs = 0;
    int replyFaultTimes = -1; // replies still to hit; -1 until changed
    DatagramFaults datagramFaults;
    int rateOverride = 0;
    bool statusSplit = false;
    int statusSplitGapMs = 5;
    bool recordSentPackets = true;

    QMap<int, qint64> packetsSent;       // per GM
    QMap<int, qint64> photonsSent;       // per GM
    QMap<int, qint64> intactPacketsSent; // per GM, copies that left intact
    qint64 datagramsSent = 0;
    QVector<SentPacket> sentPackets;

    quint64 streamVersion = 1;
    quint64 senderIdleVersion = 0; // the settings the data sender went idle with, 0 while it sends

    // --- helpers; the "Locked" ones expect the caller to hold mutex ---
    void bumpStreamLocked() { ++streamVersion; }
    StreamSettings streamSettingsLocked() const;
    // Takes the fault for the next read reply, counting it down.
    ReplyFault takeReplyFaultLocked(int* delayMs);

    // Bounded wait for a condition checked under the lock. The caller's Qt
    // events are processed meanwhile, so a library living on that thread keeps running.
    bool waitFor(const std::function<bool()>& conditionLocked, int timeoutMs) const;
};

} // namespace camsim

#endif
