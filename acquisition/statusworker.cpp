#include "acquisition/statusworker.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

#include <iterator>

namespace {
constexpr const char* STATUS_TEXTS[] = {"Sys Off", "Power Up", "Idle", "Collecting", "JTAG", "Debug"};
constexpr const char* ERROR_TEXTS[] = {"No Error", "Packet CRC Error", nullptr, "Incomplete Packet",
                                       "Wrong Command", "EEPROM Error (Power Up Load)", "ID Setup Error"};
}

StatusWorker::StatusWorker(const QString& a_HostIPAddress, const QString& a_RemoteIPAddress, quint16 a_Port)
    : QObject(nullptr)
    , m_HostIPAddress(a_HostIPAddress)
    , m_RemoteIPAddress(a_RemoteIPAddress)
    , m_Port(a_Port)
{
}

StatusWorker::~StatusWorker()
{
    ReleaseSocket();
}

void StatusWorker::ReleaseSocket()
{
    delete m_pConnectTimer;
    m_pConnectTimer = nullptr;
    if (m_pStatusSocket) {
        m_pStatusSocket->blockSignals(true);
        m_pStatusSocket->abort();
        delete m_pStatusSocket;
        m_pStatusSocket = nullptr;
    }
}

KelvoError StatusWorker::GetError(unsigned char a_StatusByte) const
{
    return static_cast<KelvoError>(a_StatusByte & 0x07);
}

KelvoStatus StatusWorker::GetStatus(unsigned char a_StatusByte) const
{
    return static_cast<KelvoStatus>((a_StatusByte >> 3) & 0x07);
}

QString StatusWorker::GetKelvoErrStr(KelvoError a_Error) const
{
    const int index = static_cast<int>(a_Error);
    if (index >= 0 && index < static_cast<int>(std::size(ERROR_TEXTS)) && ERROR_TEXTS[index])
        return QString::fromLatin1(ERROR_TEXTS[index]);
    return QStringLiteral("Unknown Error");
}

QString StatusWorker::GetKelvoStatusStr(KelvoStatus a_Status) const
{
    const int index = static_cast<int>(a_Status);
    if (index >= 0 && index < static_cast<int>(std::size(STATUS_TEXTS)))
        return QString::fromLatin1(STATUS_TEXTS[index]);
    return QStringLiteral("Unknown Status");
}

void StatusWorker::SetAddresses(const QString& a_HostIPAddress, const QString& a_RemoteIPAddress)
{
    std::lock_guard<std::mutex> lock(m_AddressMutex);
    m_HostIPAddress = a_HostIPAddress;
    m_RemoteIPAddress = a_RemoteIPAddress;
}

void StatusWorker::SetConnectTimeout(int a_Ms)
{
    m_ConnectTimeoutMs = a_Ms;
}

void StatusWorker::Init()
{
    emit initStarting();
    if (!m_pStatusSocket) {
        m_pStatusSocket = new QTcpSocket();
        connect(m_pStatusSocket, &QTcpSocket::hostFound, this, &StatusWorker::statusSockHostFound);
        connect(m_pStatusSocket, &QTcpSocket::connected, this, &StatusWorker::onConnected);
        connect(m_pStatusSocket, &QTcpSocket::disconnected, this, &StatusWorker::onDisconnected);
        connect(m_pStatusSocket, &QTcpSocket::readyRead, this, &StatusWorker::OnDataReady);
        connect(m_pStatusSocket, &QTcpSocket::errorOccurred, this, &StatusWorker::OnError);
        m_pConnectTimer = new QTimer();
        m_pConnectTimer->setSingleShot(true);
        connect(m_pConnectTimer, &QTimer::timeout, this, &StatusWorker::OnConnectTimeout);
    }
    // A restart may find the previous connection still open.
    m_pConnectTimer->stop();
    if (m_pStatusSocket->state() != QAbstractSocket::UnconnectedState)
        m_pStatusSocket->abort();
    OnConnectionStarting();

    QString hostAddress;
    QString remoteAddress;
    {
        std::lock_guard<std::mutex> lock(m_AddressMutex);
        hostAddress = m_HostIPAddress;
        remoteAddress = m_RemoteIPAddress;
    }
    if (!m_pStatusSocket->bind(QHostAddress(hostAddress), 0))
        return;
    // The connection is awaited without blocking the thread, so a stop or the
    // end of the thread is not held up for the whole connect time-out.
    m_pConnectTimer->start(m_ConnectTimeoutMs);
    m_pStatusSocket->connectToHost(remoteAddress, m_Port, QIODevice::ReadOnly, QAbstractSocket::AnyIPProtocol);
}

void StatusWorker::OnConnectTimeout()
{
    if (!m_pStatusSocket || m_pStatusSocket->state() == QAbstractSocket::ConnectedState)
        return;
    m_pStatusSocket->abort();
    OnError(QAbstractSocket::SocketTimeoutError);
}

void StatusWorker::onConnected()
{
    if (m_pConnectTimer)
        m_pConnectTimer->stop();
    emit statusSockConnected(QStringLiteral("%1:%2 connected to %3:%4")
                                 .arg(m_pStatusSocket->localAddress().toString())
                                 .arg(m_pStatusSocket->localPort())
                                 .arg(m_pStatusSocket->peerAddress().toString())
                                 .arg(m_pStatusSocket->peerPort()));
    emit connected();
}

void StatusWorker::onDisconnected()
{
    emit statusSockDisconnected();
}

void StatusWorker::Stop()
{
    if (m_pConnectTimer)
        m_pConnectTimer->stop();
    if (m_pStatusSocket && m_pStatusSocket->state() != QAbstractSocket::UnconnectedState)
        m_pStatusSocket->close();
}

void StatusWorker::OnError(QAbstractSocket::SocketError a_SockErr)
{
    if (m_pConnectTimer && m_pStatusSocket && m_pStatusSocket->state() != QAbstractSocket::ConnectedState)
        m_pConnectTimer->stop();
    switch (a_SockErr) {
    case QAbstractSocket::HostNotFoundError:
        emit error(QStringLiteral("Failed to bind to local ip address"));
        break;
    case QAbstractSocket::SocketTimeoutError:
        emit error(QStringLiteral("Failed to connect to remote ip address"));
        break;
    default:
        emit error(QStringLiteral("Socket Error: %1").arg(static_cast<int>(a_SockErr)));
        break;
    }
}
