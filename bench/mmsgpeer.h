// The recvmmsg peer with a virtual camera of its own (on its own loopback
// address) streaming to it; the camera's datagram count is the ground truth.
// Pinned, the camera's threads share one core and the receiver has the other:
// the camera's own send speed on one core.
#ifndef BENCH_MMSGPEER_H
#define BENCH_MMSGPEER_H

#include "bench/mmsgreceiver.h"
#include "bench/proberesult.h"
#include "bench/streamshape.h"
#include "camsim/virtualcamera.h"

#include <memory>

class MmsgPeer
{
public:
    MmsgPeer(const QString& a_Address, const StreamShape& a_Shape, bool a_PinCamera = false);
    ~MmsgPeer();

    bool Start(QString* a_pError);
    int GrantedBufferBytes() const { return m_Receiver.GrantedBufferBytes(); }
    // a_MBps < 0: the camera sends flat out.
    ProbeResult Probe(double a_MBps, double a_Seconds);

private:
    QString m_Address;
    StreamShape m_Shape;
    bool m_PinCamera;
    std::unique_ptr<camsim::VirtualCamera> m_Camera;
    MmsgReceiver m_Receiver;
    int m_Control = -1; // a control connection, so the camera knows where to send
};

#endif
