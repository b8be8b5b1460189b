#include "camsim/cameraserver.h"

#include "camsim/camerastate.h"
#include "camsim/statuschannel.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace camsim {

namespace {
int indexOf(Channel channel)
{
    return static_cast<int>(channel);
}

const char* nameOf(Channel channel)
{
    switch (channel) {
    case Channel::Control: return "control";
    case Channel::Simulator: return "simulator";
    case Channel::Status: return "status";
    }
    return "";
}
} // namespace

CameraServer::CameraServer(CameraState* state, QObject* parent)
    : QObject(parent)
    , m_State(state)
    , m_Status(new StatusChannel(state, this))
{
}

CameraServer::~CameraServer()
{
    shutdown();
}

bool CameraServer::listen(QString* error)
{
    const QHostAddress address(m_State->config.address);
    if (address.isNull()) {
        if (error)
            *error = QStringLiteral("Invalid listen address %1").arg(m_State->config.address);
        return false;
    }
    for (Channel channel : {Channel::Control, Channel::Simulator, Channel::Status}) {
        auto* server = new QTcpServer(this);
        m_Servers[indexOf(channel)] = server;
        const quint16 port = static_cast<quint16>(m_State->config.controlPort + indexOf(channel));
        if (!server->listen(address, port)) {
            if (error)
                *error = QStringLiteral("Cannot listen for the %1 connection on %2:%3: %4")
                             .arg(QLatin1String(nameOf(channel)), address.toString())
                             .arg(port)
                             .arg(server->errorString());
            shutdown();
            return false;
        }
        connect(server, &QTcpServer::newConnection, this, [this, channel] { onNewConnection(channel); });
    }
    return true;
}

void CameraServer::shutdown()
{
    m_Status->closeAll();
    const auto sockets = m_Connections.keys();
    m_Connections.clear();
    for (QTcpSocket* socket : sockets) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    for (QTcpServer*& server : m_Servers) {
        if (server) {
            server->close();
            delete server;
            server = nullptr;
        }
    }
}

void CameraServer::onNewConnection(Channel channel)
{
    QTcpServer* server = m_Servers[indexOf(channel)];
    while (QTcpSocket* socket = server->nextPendingConnection()) {
        // Small writes must leave as their own segments (split replies, split records).
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        Connection connection;
        connection.channel = channel;
        m_Connections.insert(socket, connection);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_Connections.remove(socket);
            socket->deleteLater();
        });
        if (channel == Channel::Status)
            m_Status->addConnection(socket);
        std::lock_guard<std::mutex> lock(m_State->mutex);
        ++m_State->connections[indexOf(channel)];
        if (channel == Channel::Control) {
            // The data stream goes to the host of the latest control connection.
            m_State->controlPeer = QHostAddress(socket->peerAddress().toString());
            m_State->bumpStreamLocked();
        }
        m_State->changed.notify_all();
    }
}

void CameraServer::onReadyRead(QTcpSocket* socket)
{
    auto it = m_Connections.find(socket);
    if (it == m_Connections.end())
        return;
    const Channel channel = it->channel;
    const QByteArray bytes = socket->readAll();
    {
        std::lock_guard<std::mutex> lock(m_State->mutex);
        m_State->received[indexOf(channel)].append(bytes.constData(), bytes.size());
        m_State->changed.notify_all();
    }
    if (channel == Channel::Status)
        return;
    it->parser.append(bytes);
    QByteArray request;
    while (m_Connections.contains(socket) && m_Connections[socket].parser.takeRequest(&request))
        handleRequest(channel, socket, request);
}

void CameraServer::handleRequest(Channel channel, QTcpSocket* socket, const QByteArray& request)
{
    const ParsedRequest parsed = RequestParser::interpret(request, m_State->config.gmIds);
    const bool isRead = parsed.kind == ParsedRequest::SystemRead || parsed.kind == ParsedRequest::GmRead
                        || parsed.kind == ParsedRequest::DiagnosticRead;
    QByteArray reply;
    ReplyFault fault = ReplyFault::None;
    int delayMs = 0;
    quint16 oldValue = 0;
    {
        std::lock_guard<std::mutex> lock(m_State->mutex);
        if (channel == Channel::Control) {
            m_State->controlRequests.append(deepCopy(request));
            oldValue = m_State->registers.system(parsed.reg);
            m_State->registers.apply(parsed);
            if (parsed.kind == ParsedRequest::GmWrite || parsed.kind == ParsedRequest::AsicWrite)
                m_State->bumpStreamLocked();
            if (isRead) {
                reply = m_State->registers.readReply(parsed);
                fault = m_State->takeReplyFaultLocked(&delayMs);
            }
        } else {
            // The simulator connection keeps its own 16-bit registers.
            m_State->simulatorRequests.append(deepCopy(request));
            if (parsed.kind == ParsedRequest::SystemWrite)
                m_State->simulatorRegisters.insert(parsed.reg, parsed.value);
            if (isRead) {
                const quint16 value = m_State->simulatorRegisters.value(parsed.reg, 0);
                reply.append(static_cast<char>(parsed.reg));
                reply.append(static_cast<char>(value >> 8));
                reply.append(static_cast<char>(value & 0xFF));
            }
        }
        m_State->changed.notify_all();
    }
    if (channel == Channel::Control && parsed.kind == ParsedRequest::SystemWrite)
        afterSystemWrite(parsed.reg, oldValue, parsed.value);
    if (isRead)
        sendReply(socket, reply, fault, delayMs);
}

void CameraServer::sendReply(QTcpSocket* socket, QByteArray reply, ReplyFault fault, int delayMs)
{
    switch (fault) {
    case ReplyFault::None:
        break;
    case ReplyFault::WrongEcho:
        reply[0] = static_cast<char>((static_cast<quint8>(reply.at(0)) + 1) & 0x7F);
        break;
    case ReplyFault::Short:
        reply.chop(1);
        break;
    case ReplyFault::EchoOnly:
        reply.truncate(1);
        break;
    case ReplyFault::NoReply:
        return;
    case ReplyFault::Split:
        if (reply.size() > 1) {
            const QByteArray rest = reply.mid(1);
            socket->write(reply.left(1));
            socket->flush();
            QTimer::singleShot(qMax(delayMs, 20), socket, [socket, rest] {
                socket->write(rest);
                socket->flush();
            });
            return;
        }
        break;
    case ReplyFault::Delay:
        QTimer::singleShot(delayMs, socket, [socket, reply] {
            socket->write(reply);
            socket->flush();
        });
        return;
    }
    socket->write(reply);
    socket->flush();
}

void CameraServer::afterSystemWrite(int reg, quint16 oldValue, quint16 newValue)
{
    if (reg == RegisterFile::gbeControlRegister) {
        const bool wasOn = oldValue & RegisterFile::pwrOn;
        const bool isOn = newValue & RegisterFile::pwrOn;
        if (!wasOn && isOn)
            m_Status->powerUp();
        else if (wasOn && !isOn)
            m_Status->powerDown();
    }
    if (reg == RegisterFile::gbeControlRegister || reg == RegisterFile::dataPortRegister) {
        std::lock_guard<std::mutex> lock(m_State->mutex);
        m_State->bumpStreamLocked();
        m_State->changed.notify_all();
    }
}

void CameraServer::writeSystemRegister(int reg, quint16 value)
{
    quint16 oldValue;
    {
        std::lock_guard<std::mutex> lock(m_State->mutex);
        oldValue = m_State->registers.system(reg);
        m_State->registers.setSystem(reg, value);
    }
    afterSystemWrite(reg, oldValue, value);
}

void CameraServer::closeConnection(Channel channel)
{
    const auto sockets = m_Connections.keys();
    for (QTcpSocket* socket : sockets) {
        if (m_Connections.value(socket).channel == channel) {
            m_Connections.remove(socket);
            socket->disconnect(this);
            socket->disconnectFromHost();
            if (socket->state() != QAbstractSocket::UnconnectedState)
                socket->abort();
            socket->deleteLater();
        }
    }
}

void CameraServer::sendStatusBytes(const QByteArray& bytes)
{
    m_Status->send(deepCopy(bytes)); // the caller's array belongs to its own thread
}

} // namespace camsim
