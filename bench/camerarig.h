// The virtual camera in this process, on its own loopback address, and the
// library connected to it through the exported interface only: initialised,
// started, every GM announced, at the highest packet transfer rate.
#ifndef BENCH_CAMERARIG_H
#define BENCH_CAMERARIG_H

#include "bench/streamshape.h"
#include "camsim/virtualcamera.h"

#include <QString>
#include <memory>

class CameraRig
{
public:
    CameraRig(const QString& a_Address, const StreamShape& a_Shape);
    ~CameraRig(); // closes the library, then stops the camera

    bool Connect(QString* a_pError);
    camsim::VirtualCamera& Camera() { return *m_Camera; }
    const StreamShape& Shape() const { return m_Shape; }
    quint16 DataPort() const; // the host's UDP port as the library set it at the camera

    // The camera's COLLECT bit, set or cleared at the camera's side; pausing
    // waits until its sender has sent its last datagram.
    bool PauseStream();
    void ResumeStream();
    // Until the library holds at least a_Packets packets, or its count stands
    // still for a second, or a_TimeoutMs passes.
    bool WaitStored(qint64 a_Packets, int a_TimeoutMs);

private:
    QString m_Address;
    StreamShape m_Shape;
    std::unique_ptr<camsim::VirtualCamera> m_Camera;
};

#endif
