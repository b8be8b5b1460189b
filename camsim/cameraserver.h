// The camera's TCP side, living on the camera thread: listens on the control,
// simulator and status ports, splits requests, applies them to the register file,
// answers reads (with the configured reply faults) and drives the status channel.
#ifndef CAMSIM_CAMERASERVER_H
#define CAMSIM_CAMERASERVER_H

#include "camsim/cameraconfig.h"
#include "camsim/requestparser.h"

#include <QHash>
#include <QObject>
#include <QPointer>

class QTcpServer;
class QTcpSocket;

namespace camsim {

class CameraState;
class StatusChannel;

class CameraServer : public QObject {
    Q_OBJECT
public:
    explicit CameraServer(CameraState* state, QObject* parent = nullptr);
    ~CameraServer() override;

    // All of these run on the camera thread.
    bool listen(QString* error);
    void shutdown();
    void closeConnection(Channel channel);
    void sendStatusBytes(const QByteArray& bytes);
    // A register write as if it came from the host, with its side effects.
    void writeSystemRegister(int reg, quint16 value);

private:
    struct Connection {
        Channel channel = Channel::Control;
        RequestParser parser;
    };

    void onNewConnection(Channel channel);
    void onReadyRead(QTcpSocket* socket);
    void handleRequest(Channel channel, QTcpSocket* socket, const QByteArray& request);
    void sendReply(QTcpSocket* socket, QByteArray reply, ReplyFault fault, int delayMs);
    void afterSystemWrite(int reg, quint16 oldValue, quint16 newValue);

    CameraState* m_State;
    QTcpServer* m_Servers[3] {nullptr, nullptr, nullptr};
    StatusChannel* m_Status = nullptr;
    QHash<QTcpSocket*, Connection> m_Connections;
};

} // namespace camsim

#endif
