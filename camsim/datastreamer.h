// The data stream: while COLLECT is set, sends UDP datagrams of whole packets to
// the control connection's host on the port of register 14, paced to the packet
// rate, on a thread of its own so request handling never starves. Packets are
// sliced from precomputed photon pools and sent with sendmmsg.
#ifndef CAMSIM_DATASTREAMER_H
#define CAMSIM_DATASTREAMER_H

#include "camsim/camerastate.h"
#include "camsim/photonsource.h"
#include "camsim/random.h"

#include <chrono>
#include <thread>
#include <vector>

namespace camsim {

class DataStreamer {
public:
    explicit DataStreamer(CameraState* state);
    ~DataStreamer();

    void start();
    void stop(); // returns once the sender thread has ended

private:
    void run();
    int photonsPerPacket(int recordBytes) const;
    int packetLength(const SentPacket& record) const;
    void recordSent(qint64 datagrams);
    void applySettings(const StreamSettings& settings);
    bool openSocket(const StreamSettings& settings);
    void closeSocket();
    int buildPacket(quint8* out, SentPacket* record);
    void sendBatch(int packets);
    void flushHeld();
    void transmit(const std::vector<std::pair<const quint8*, int>>& datagrams);

    CameraState* m_State;
    PhotonSource m_Source;
    Random m_Random;      // which GM, which slice of its pool
    Random m_FaultRandom; // which datagram a fault hits, and how
    std::thread m_Thread;
    bool m_Stop = false; // guarded by the state's mutex

    // Sender thread only.
    StreamSettings m_Settings;
    std::vector<PhotonPool> m_Pools;
    std::vector<double> m_GmCumulative;
    QMap<int, quint16> m_HeaderWords;
    int m_Socket = -1;
    QHostAddress m_SocketTarget;
    quint16 m_SocketPort = 0;
    std::vector<quint8> m_Buffer;
    std::vector<quint8> m_Held; // a datagram held back to be sent out of order
    std::vector<SentPacket> m_Records;
    std::chrono::steady_clock::time_point m_PaceStart;
    qint64 m_PacedPackets = 0;
};

} // namespace camsim

#endif
