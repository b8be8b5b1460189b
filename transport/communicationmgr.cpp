#include "transport/communicationmgr.h"

#include "transport/register.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QSignalBlocker>
#include <string>

namespace {

// Read requests whose reply is longer than the request: the ADC registers
// carry one placeholder byte but answer with two value bytes.
// A peer that streams without end must not keep the discard loop going.
constexpr int maxStaleDiscards = 64;

int remainingMs(const QElapsedTimer& a_Clock, int a_LimitMs)
{
    return static_cast<int>(qMax<qint64>(0, a_LimitMs - a_Clock.elapsed()));
}

} // namespace

CommunicationMGR::CommunicationMGR()
    : QObject(nullptr)
{
    SetupSlots();
}

CommunicationMGR::~CommunicationMGR()
{
    if (m_SocketsConnected)
        Disconnect();
    // The sockets outlive this object's body; no report may reach it from
    // their destructors.
    m_SimulatorSocket.disconnect(this);
    m_SysControlSocket.disconnect(this);
}

void CommunicationMGR::SetupSlots()
{
    connect(&m_SimulatorSocket, &QAbstractSocket::hostFound, this, &CommunicationMGR::OnSimSockHostFound);
    connect(&m_SysControlSocket, &QAbstractSocket::hostFound, this, &CommunicationMGR::OnSysControlSockHostFound);
    connect(&m_SimulatorSocket, &QAbstractSocket::connected, this, &CommunicationMGR::OnSimSockConnected);
    connect(&m_SysControlSocket, &QAbstractSocket::connected, this, &CommunicationMGR::OnSysControlSockConnected);
    connect(&m_SimulatorSocket, &QAbstractSocket::disconnected, this, &CommunicationMGR::OnSimSockDisconnected);
    connect(&m_SysControlSocket, &QAbstractSocket::disconnected, this, &CommunicationMGR::OnSysControlSockDisconnected);
}

void CommunicationMGR::SetHostIPAddress(const QString& a_Address)
{
    m_HostIPAddress = a_Address;
}

QString CommunicationMGR::GetHostIPAddress() const
{
    return m_HostIPAddress;
}

void CommunicationMGR::SetRemoteIPAddress(const QString& a_Address)
{
    m_RemoteIPAddress = a_Address;
}

const QString& CommunicationMGR::GetRemoteIPAddress() const
{
    return m_RemoteIPAddress;
}

bool CommunicationMGR::SocketsConnected() const
{
    return m_SocketsConnected;
}

bool CommunicationMGR::IsSysControlLinkUp()
{
    if (m_SysControlSocket.state() == QAbstractSocket::ConnectedState)
        m_SysControlSocket.waitForReadyRead(0);
    return m_SysControlSocket.state() == QAbstractSocket::ConnectedState;
}

const QString& CommunicationMGR::GetLastError() const
{
    return m_LastError;
}

void CommunicationMGR::SetControlStatusFunc(void (*a_Func)(const char*))
{
    m_ControlStatusFunc = a_Func;
}

bool CommunicationMGR::Init(quint16 a_SysControlPort, quint16 a_SimulatorPort)
{
    if (!BindSockets()) {
        m_LastError = QStringLiteral("Failed to bind to Host IP address");
        return false;
    }
    if (!Connect(m_SimulatorSocket, a_SimulatorPort) || !Connect(m_SysControlSocket, a_SysControlPort)) {
        m_LastError = QStringLiteral("Failed to connect to Camera IP address");
        CloseSocket(m_SimulatorSocket);
        CloseSocket(m_SysControlSocket);
        return false;
    }
    m_SocketsConnected = true;
    return true;
}

bool CommunicationMGR::BindSockets()
{
    // Qt binds a null address (empty or unparsable text) to every interface;
    // the sockets must only ever use the host address given.
    const QHostAddress host(m_HostIPAddress);
    if (host.isNull())
        return false;
    // A second Init starts from fresh sockets: a bound or connected socket
    // cannot be bound again.
    CloseSocket(m_SimulatorSocket);
    CloseSocket(m_SysControlSocket);
    m_SocketsConnected = false;
    if (!m_SimulatorSocket.bind(host, 0, QAbstractSocket::DefaultForPlatform))
        return false;
    return m_SysControlSocket.bind(host, 0, QAbstractSocket::DefaultForPlatform);
}

bool CommunicationMGR::Connect(QAbstractSocket& a_Socket, quint16 a_Port)
{
    a_Socket.connectToHost(m_RemoteIPAddress, a_Port, QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
    return a_Socket.waitForConnected(ConnectWaitMs);
}

void CommunicationMGR::CloseSocket(QAbstractSocket& a_Socket)
{
    // Only a socket that was really connected reports a disconnection; Qt also
    // signals one when a merely bound or connecting socket is closed.
    const QAbstractSocket::SocketState state = a_Socket.state();
    if (state == QAbstractSocket::ConnectedState || state == QAbstractSocket::ClosingState) {
        a_Socket.abort();
        return;
    }
    const QSignalBlocker blocker(a_Socket);
    a_Socket.abort();
}

void CommunicationMGR::Disconnect()
{
    CloseSocket(m_SimulatorSocket);
    CloseSocket(m_SysControlSocket);
    m_SocketsConnected = false;
}

bool CommunicationMGR::WriteSysControlRegister(const Register& a_Register)
{
    return WriteRegister(&m_SysControlSocket, a_Register);
}

bool CommunicationMGR::WriteSimulatorRegister(const Register& a_Register)
{
    return WriteRegister(&m_SimulatorSocket, a_Register);
}

bool CommunicationMGR::ReadSysControlRegister(const Register& a_Register, QByteArray* a_Reply)
{
    return ReadRegister(&m_SysControlSocket, a_Register, a_Reply);
}

bool CommunicationMGR::ReadSimulatorRegister(const Register& a_Register, QByteArray* a_Reply)
{
    return ReadRegister(&m_SimulatorSocket, a_Register, a_Reply);
}

void CommunicationMGR::DiscardStaleBytes(QAbstractSocket& a_Socket)
{
    // A late reply to an earlier request must not become the start of the
    // next one. waitForReadyRead(0) pulls in what the system already holds.
    for (int i = 0; i < maxStaleDiscards; ++i) {
        a_Socket.readAll();
        if (a_Socket.state() != QAbstractSocket::ConnectedState || !a_Socket.waitForReadyRead(0))
            break;
    }
}

bool CommunicationMGR::WriteRegister(QAbstractSocket* a_Socket, const Register& a_Register)
{
    if (a_Socket && a_Socket->isOpen()) {
        DiscardStaleBytes(*a_Socket);
        const qint64 written = a_Socket->isOpen() ? a_Socket->write(a_Register.GetByteArray()) : -1;
        if (written != -1) {
            a_Socket->waitForBytesWritten(WriteWaitMs);
            return true;
        }
    }
    m_LastError = QStringLiteral("Failed to write to register %1").arg(a_Register.GetRegNo());
    return false;
}

int CommunicationMGR::ExpectedReplyLength(const Register& a_Register)
{
    return a_Register.GetExpectedReplyLength();
}

bool CommunicationMGR::ReadRegister(QAbstractSocket* a_Socket, const Register& a_Register, QByteArray* a_Reply)
{
    const int regNo = a_Register.GetRegNo();
    const auto fail = [&] {
        m_LastError = QStringLiteral("Failed to read from register %1").arg(regNo);
        return false;
    };
    if (!a_Socket || !a_Socket->isOpen() || !a_Reply)
        return fail();
    DiscardStaleBytes(*a_Socket);
    if (!a_Socket->isOpen() || a_Socket->write(a_Register.GetByteArray()) == -1)
        return fail();

    QElapsedTimer replyClock;
    replyClock.start();
    if (!a_Socket->waitForReadyRead(ReplyWaitMs))
        return fail();
    QByteArray reply = a_Socket->readAll();

    // A reply may come in several segments: wait a short while for the rest,
    // always inside the overall reply limit.
    const int expected = ExpectedReplyLength(a_Register);
    QElapsedTimer completionClock;
    completionClock.start();
    while (reply.size() < expected) {
        const int waitMs = qMin(remainingMs(completionClock, ReplyCompletionWaitMs),
                                remainingMs(replyClock, ReplyWaitMs));
        if (waitMs <= 0 || !a_Socket->waitForReadyRead(waitMs))
            break;
        reply.append(a_Socket->readAll());
    }
    *a_Reply = reply;
    return CheckReply(a_Register, reply, &m_LastError);
}

bool CommunicationMGR::CheckReply(const Register& a_Register, const QByteArray& a_Reply, QString* a_pError)
{
    const int regNo = a_Register.GetRegNo();
    const int echo = a_Reply.isEmpty() ? 0 : static_cast<qint8>(a_Reply.at(0));
    if (echo == regNo)
        return true;
    if (a_pError)
        *a_pError = QStringLiteral("Invalid read command for register %1").arg(regNo);
    return false;
}

QString CommunicationMGR::CreateConnectStr(QAbstractSocket* a_Socket)
{
    if (!a_Socket)
        return QString();
    return QStringLiteral("%1:%2 connected to %3:%4")
        .arg(a_Socket->localAddress().toString())
        .arg(a_Socket->localPort())
        .arg(a_Socket->peerAddress().toString())
        .arg(a_Socket->peerPort());
}

void CommunicationMGR::ReportStatus(const QString& a_Status)
{
    if (!m_ControlStatusFunc)
        return;
    const std::string text = a_Status.toUtf8().toStdString();
    m_ControlStatusFunc(text.c_str());
}

void CommunicationMGR::OnSimSockHostFound()
{
    ReportStatus(QStringLiteral("Simulator Socket host found"));
}

void CommunicationMGR::OnSysControlSockHostFound()
{
    ReportStatus(QStringLiteral("System Control Socket host found"));
}

void CommunicationMGR::OnSimSockConnected()
{
    ReportStatus(QStringLiteral("Simulator Socket %1").arg(CreateConnectStr(&m_SimulatorSocket)));
}

void CommunicationMGR::OnSysControlSockConnected()
{
    ReportStatus(QStringLiteral("System Control Socket %1").arg(CreateConnectStr(&m_SysControlSocket)));
}

void CommunicationMGR::OnSimSockDisconnected()
{
    ReportStatus(QStringLiteral("Simulator Socket disconnected"));
}

void CommunicationMGR::OnSysControlSockDisconnected()
{
    ReportStatus(QStringLiteral("System Control Socket disconnected"));
}
