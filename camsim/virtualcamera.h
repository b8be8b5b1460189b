// The virtual camera: the camera's side of the control, simulator and status
// connections and of the UDP data stream, for tests and the standalone tool.
#ifndef CAMSIM_VIRTUALCAMERA_H
#define CAMSIM_VIRTUALCAMERA_H

#include "camsim/cameraconfig.h"
#include "camsim/commandqueue.h"
#include "camsim/packetbuilder.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class QEventLoop;

namespace camsim {

class CameraServer;
class CameraState;
class DataStreamer;

// Owns its own thread with a Qt event loop (and a sender thread for the data stream);
// every public method is thread-safe.
class VirtualCamera {
public:
    explicit VirtualCamera(const CameraConfig& config = {});
    ~VirtualCamera(); // stops the threads and closes everything
    VirtualCamera(const VirtualCamera&) = delete;
    VirtualCamera& operator=(const VirtualCamera&) = delete;

    bool start(QString* error = nullptr); // returns once listening (false + text if a port cannot be bound)
    void stop();
    bool isRunning() const;
    const CameraConfig& config() const;

    // What the host sent: every byte received per connection, in order, across
    // reconnects, and the requests split by the camera's own length rules.
    QByteArray receivedBytes(Channel channel) const;
    QList<QByteArray> requests() const;          // control connection, each one whole request
    QList<QByteArray> simulatorRequests() const; // simulator connection
    bool waitForRequests(int count, int timeoutMs) const; // control requests().size() >= count
    bool waitForConnections(Channel channel, int count, int timeoutMs) const; // accepted so far
    int connectionCount(Channel channel) const;
    QByteArray statusBytesSent() const; // every status byte written to a connected host
    void clearRecords();                // bytes, requests, status bytes and ground truth

    // Register file, camera side. Setting register 16 or 14 acts as a host write would
    // (power-up records, data stream).
    quint16 systemRegister(int reg) const; // MSB << 8 | LSB
    void setSystemRegister(int reg, quint16 value);
    quint8 gmRegister(int gmId, int reg) const; // GM registers 18..28 and 127
    void setGmRegister(int gmId, int reg, quint8 value);
    QByteArray asicImage(int gmId, int reg) const; // reg 29 (16 bytes) or 30 (215 bytes)
    void setAsicImage(int gmId, int reg, const QByteArray& image);
    quint16 adcReading(int gmId, int adc) const; // registers 26 (ADC 1) and 27 (ADC 2)
    void setAdcReading(int gmId, int adc, quint16 value);
    QList<quint16> hvCommands() const; // values written to register 15, in order
    quint16 simulatorRegister(int reg) const;

    // Direct drive for tests that have no library yet.
    void sendStatusBytes(const QByteArray& bytes); // raw bytes on the status connection(s)
    void closeConnection(Channel channel);         // drop the host's connections (it may reconnect)

    // Ground truth of the data stream. packetsSent and photonsSent count every packet
    // the camera made, once, whatever a datagram fault did to it; intactPacketsSent
    // counts the copies that left intact (a duplicate twice, a dropped, corrupted or
    // truncated packet not at all): what a sound host decodes.
    qint64 packetsSent(int gmId = 0) const; // 0 = all GMs
    qint64 photonsSent(int gmId = 0) const;
    qint64 intactPacketsSent(int gmId = 0) const;
    qint64 datagramsSent() const; // datagrams written to the socket (a duplicate twice)
    QVector<SentPacket> sentPackets() const; // in the order they were made
    bool waitForPacketsSent(qint64 count, int timeoutMs) const;
    bool isCollecting() const; // COLLECT bit of register 16
    // After COLLECT was cleared: waits until the sender has sent its last datagram
    // (it finishes the batch it was building, and a datagram held back for reordering).
    bool waitForStreamStopped(int timeoutMs) const;

    // Fault knobs; they apply from the next reply, record or datagram on. Reply faults
    // hit read replies on the control connection; times -1 keeps the fault until changed.
    void setReplyFault(ReplyFault fault, int delayMs = 0, int times = -1);
    void setDatagramFaults(const DatagramFaults& faults);
    void setStatusSplit(bool split, int gapMs = 5); // one byte per TCP segment, gapMs apart
    void setRateOverride(int packetsPerSecond);     // 0: the GBE image's rate; -1: flat out

private:
    struct Startup;
    void runCameraThread(Startup* startup);
    void stopLocked();
    // Runs the function on the camera thread and waits for it; with the camera
    // stopped it runs here with a null server.
    void onCameraThread(const std::function<void(CameraServer*)>& function) const;

    mutable std::mutex m_ControlMutex; // start, stop and calls into the camera thread
    mutable CommandQueue m_Commands;

    std::unique_ptr<CameraState> m_State;
    std::unique_ptr<DataStreamer> m_Streamer;
    std::thread m_Thread;
    // Camera thread only.
    CameraServer* m_Server = nullptr;
    QEventLoop* m_Loop = nullptr;
};

} // namespace camsim

#endif
