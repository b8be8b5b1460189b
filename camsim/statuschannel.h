// The camera's status connections (TCP 20485): two-byte status records to every
// connected host, optionally split across TCP segments.
#ifndef CAMSIM_STATUSCHANNEL_H
#define CAMSIM_STATUSCHANNEL_H

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QTcpSocket;

namespace camsim {

class CameraState;

class StatusChannel : public QObject {
    Q_OBJECT
public:
    static constexpr quint8 powerUpRecord = 0x08; // status 1 (power up), no error
    static constexpr quint8 idleRecord = 0x10;    // status 2 (idle), no error
    static constexpr quint8 sysOffRecord = 0x00;  // status 0 (sys off), no error

    StatusChannel(CameraState* state, QObject* parent = nullptr);

    void addConnection(QTcpSocket* socket);
    // Sends bytes to every connected host. With no host connected they are lost,
    // as with the real camera.
    void send(const QByteArray& bytes);
    void powerUp();
    void powerDown();
    void closeAll();

private:
    void writeNextChunk();
    void writeToAll(const QByteArray& bytes);

    CameraState* m_State;
    QList<QPointer<QTcpSocket>> m_Sockets;
    QList<QByteArray> m_Queue; // chunks still to go when records are split
    QTimer* m_GapTimer; // a child, so it moves to the camera thread with us
};

} // namespace camsim

#endif
