// The status connection to the camera: a TCP socket on the status thread that
// connects to the camera's status port and reads its two-byte status records.
#ifndef QUORVEL_STATUSWORKER_H
#define QUORVEL_STATUSWORKER_H

#include <QAbstractSocket>
#include <QObject>
#include <QString>

#include <mutex>

class QTcpSocket;
class QTimer;

enum KelvoStatus
{
    KELVO_STATUS_SYS_OFF = 0,
    KELVO_STATUS_POWER_UP = 1,
    KELVO_STATUS_IDLE = 2,
    KELVO_STATUS_COLLECTING = 3,
    KELVO_STATUS_JTAG = 4,
    KELVO_STATUS_DEBUG = 5
};

enum KelvoError
{
    KELVO_ERROR_NO_ERROR = 0,
    KELVO_ERROR_PACKET_CRC = 1,
    KELVO_ERROR_INCOMPLETE_PACKET = 3,
    KELVO_ERROR_WRONG_COMMAND = 4,
    KELVO_ERROR_EEPROM = 5,
    KELVO_ERROR_ID_SETUP = 6
};

class StatusWorker : public QObject
{
    Q_OBJECT
public:
    static constexpr int DEFAULT_CONNECT_TIMEOUT_MS = 30000;

    StatusWorker(const QString& a_HostIPAddress, const QString& a_RemoteIPAddress, quint16 a_Port);
    ~StatusWorker() override;

    KelvoError GetError(unsigned char a_StatusByte) const;
    KelvoStatus GetStatus(unsigned char a_StatusByte) const;
    QString GetKelvoErrStr(KelvoError a_Error) const;
    QString GetKelvoStatusStr(KelvoStatus a_Status) const;

    // Addresses for the next Init(); any thread may set them.
    void SetAddresses(const QString& a_HostIPAddress, const QString& a_RemoteIPAddress);

    // How long Init() waits for the connection before reporting a time-out.
    // Set before the worker's thread starts.
    void SetConnectTimeout(int a_Ms);

    // Closes and deletes the socket; called on the worker's own thread as the
    // thread finishes, so the socket dies where it lives.
    void ReleaseSocket();

signals:
    // First thing Init() does: every later signal belongs to the new connection.
    void initStarting();
    void connected();
    void statusSockHostFound();
    void statusSockConnected(QString a_Text);
    void statusSockDisconnected();
    void error(QString a_Error);
    void statusUpdate(const QString& a_Status);

public slots:
    void Init();
    void onConnected();
    void onDisconnected();
    void Stop();
    void OnError(QAbstractSocket::SocketError a_SockErr);
    virtual void OnDataReady() = 0;

protected:
    QTcpSocket* m_pStatusSocket = nullptr;

    // Called by Init() before a new connection starts, so a subclass can drop
    // state left from the previous connection.
    virtual void OnConnectionStarting() {}

private:
    void OnConnectTimeout();

    std::mutex m_AddressMutex;   // guards the two addresses
    QString m_HostIPAddress;
    QString m_RemoteIPAddress;
    quint16 m_Port;
    QTimer* m_pConnectTimer = nullptr;
    int m_ConnectTimeoutMs = DEFAULT_CONNECT_TIMEOUT_MS;
};

#endif
