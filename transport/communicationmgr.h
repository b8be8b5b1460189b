// The two TCP control connections to the camera (system control and simulator):
// binds them to the host address, connects them, sends register requests and
// collects read replies, and reports connection events to the client.
#ifndef QUORVEL_COMMUNICATIONMGR_H
#define QUORVEL_COMMUNICATIONMGR_H

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTcpSocket>

class Register;

class CommunicationMGR : public QObject
{
    Q_OBJECT

public:
    CommunicationMGR();
    ~CommunicationMGR() override;

    void SetHostIPAddress(const QString& a_Address);
    QString GetHostIPAddress() const;
    void SetRemoteIPAddress(const QString& a_Address);
    const QString& GetRemoteIPAddress() const;

    bool Init(quint16 a_SysControlPort, quint16 a_SimulatorPort);
    bool WriteSysControlRegister(const Register& a_Register);
    bool WriteSimulatorRegister(const Register& a_Register);
    bool ReadSysControlRegister(const Register& a_Register, QByteArray* a_Reply);
    bool ReadSimulatorRegister(const Register& a_Register, QByteArray* a_Reply);
    bool SocketsConnected() const;
    // Whether the system control connection is still connected. The socket is
    // polled first, so a close by the camera is seen even when no event loop
    // has run since.
    bool IsSysControlLinkUp();
    void Disconnect();

    const QString& GetLastError() const;
    void SetControlStatusFunc(void (*a_Func)(const char*));
    QString CreateConnectStr(QAbstractSocket* a_Socket);

    // Limits of the blocking waits.
    static constexpr int ConnectWaitMs = 5000;
    static constexpr int WriteWaitMs = 30000;
    static constexpr int ReplyWaitMs = 30000;
    // Once a reply has started, how long its remaining bytes may take.
    static constexpr int ReplyCompletionWaitMs = 500;

    // Bytes a read reply is expected to have.
    static int ExpectedReplyLength(const Register& a_Register);
    // Whether a read reply answers its request: its first byte, taken as
    // signed (0 for an empty reply), echoes the register number. On false the
    // reason is in *a_pError.
    static bool CheckReply(const Register& a_Register, const QByteArray& a_Reply, QString* a_pError);

private slots:
    void OnSimSockHostFound();
    void OnSysControlSockHostFound();
    void OnSimSockConnected();
    void OnSysControlSockConnected();
    void OnSimSockDisconnected();
    void OnSysControlSockDisconnected();

private:
    // Tests look at bytes waiting on the control connection.
    friend class CommunicationMGRTestAccess;

    bool BindSockets();
    bool Connect(QAbstractSocket& a_Socket, quint16 a_Port);
    bool WriteRegister(QAbstractSocket* a_Socket, const Register& a_Register);
    bool ReadRegister(QAbstractSocket* a_Socket, const Register& a_Register, QByteArray* a_Reply);
    void ReportStatus(const QString& a_Status);
    void SetupSlots();
    void CloseSocket(QAbstractSocket& a_Socket);
    void DiscardStaleBytes(QAbstractSocket& a_Socket);

    QString m_HostIPAddress;
    QString m_RemoteIPAddress;
    QTcpSocket m_SysControlSocket;
    QTcpSocket m_SimulatorSocket;
    QString m_LastError;
    bool m_SocketsConnected = false;
    void (*m_ControlStatusFunc)(const char*) = nullptr;
};

#endif // QUORVEL_COMMUNICATIONMGR_H
