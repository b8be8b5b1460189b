// A raw-socket host for testing the virtual camera without the library: control,
// simulator and status connections, a UDP receiver, and an independent packet splitter.
#ifndef TESTS_CAMSIM_CAMSIMCLIENT_H
#define TESTS_CAMSIM_CAMSIMCLIENT_H

#include "camsim/virtualcamera.h"

#include <QByteArray>
#include <QList>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QVector>
#include <memory>

namespace camsimtest {

// Starts a camera on the test's own loopback address.
std::unique_ptr<camsim::VirtualCamera> startCamera(camsim::CameraConfig config = {});

class RawClient {
public:
    explicit RawClient(const QString& address);

    bool connectTo(camsim::Channel channel, int timeoutMs = 3000);
    QTcpSocket& socket(camsim::Channel channel);
    void send(const QByteArray& bytes, camsim::Channel channel = camsim::Channel::Control);
    // Waits until at least count bytes are there (or the time is up) and takes them all.
    QByteArray receive(int count, int timeoutMs = 3000, camsim::Channel channel = camsim::Channel::Control);
    QByteArray request(const QByteArray& bytes, int replyBytes, int timeoutMs = 3000);

    // Points the camera's data stream at a fresh UDP socket on this host and sets the GBE image.
    quint16 openDataPort();
    void writeControl(quint8 byte0, quint8 byte1);
    void startCollecting(quint8 rateByte = 0) { writeControl(rateByte, 0x03); }
    void stopCollecting() { writeControl(0, 0x01); }
    bool waitForDatagrams(int count, int timeoutMs = 3000);
    QList<QByteArray> takeDatagrams();

private:
    void drain();

    QString m_Address;
    QTcpSocket m_Sockets[3];
    QUdpSocket m_Data;
    QList<QByteArray> m_Datagrams;
};

struct Packet {
    int gmId = 0;
    quint16 headerWord = 0;
    quint8 headerByte = 0;
    QByteArray records;
    bool checksumOk = false;
};

// Splits a datagram of back-to-back packets whose record size is known, checking
// each frame; stops (and reports false) at the first byte that is not a whole packet.
bool splitPackets(const QByteArray& datagram, int recordBytes, QVector<Packet>* packets);

} // namespace camsimtest

#endif
