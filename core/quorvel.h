// The controller: one process-wide object that owns every long-lived object of
// the library, keeps the last error and passes status texts to the client's
// callbacks. Operations are grouped by topic, one source file per topic:
//   quorvel.cpp           life cycle, last error, callbacks, status reports
//   quorvelregisters.cpp  addresses, direct register access, GBE firmware version
#ifndef QUORVEL_QUORVEL_H
#define QUORVEL_QUORVEL_H

#include "quorveldll.h"
#include "transport/communicationmgr.h"

#include <QObject>
#include <QString>
#include <string>

class Quorvel : public QObject
{
    Q_OBJECT

public:
    static Quorvel* GetInstance();
    static void DeleteInstance();

    // Last error, callbacks and status reports
    std::string GetLastError() const;
    void SetConnectStatusFunc(void (*a_Func)(const char*));
    void SetSysStatusFunc(void (*a_Func)(const char*));
    void SetToolbarStatusFunc(void (*a_Func)(const char*));
    void SetOperationErrorFunc(void (*a_Func)(const char*));
    void SetOperationProgressFunc(void (*a_Func)(int));
    void SetOperationCompleteFunc(void (*a_Func)());
    void ReportStatus(const QString& a_Status);
    void ReportToolbarStatus(const QString& a_Status);

    // Addresses and direct register access (quorvelregisters.cpp)
    void SetHostIPAddr(const std::string& a_Address);
    void SetCameraIPAddr(const std::string& a_Address);
    std::string GetCameraIPAddr() const;
    bool RegDirectWrite(int a_Register, unsigned char a_MSB, unsigned char a_LSB);
    bool RegDirectRead(int a_Register, unsigned char* a_MSB, unsigned char* a_LSB);
    bool GetGBEFirmwareVersion(int* a_Version);
    void DoSimTest();
    void IncorrectRegisterTest();

    // Operations of further topics: add a block here for each topic's source file.

signals:
    // Signals join here in this order as their topics arrive: portSet(),
    // collectStopped(), bufferSizeChangeRequest(qint64),
    // pixelMappingModeChanged(PixelMappingMode), packetSaveRequested(QString),
    // packetSaveCancelRequested().

private slots:
    void OnStatusUpdate(QString a_Status);
    // OnPortSet(quint16), OnGMDetermined(int), OnDecodingPackets() and
    // OnPacketsDecoded(int) join here.
    void OnOperationError(const QString& a_Err);
    void OnOperationProgress(int a_Progress);
    void OnOperationComplete();

private:
    Quorvel();
    ~Quorvel() override;
    void SetupSlots();
    bool IsValidRegisterNo(int a_Register);

    // Tests reach the connection manager directly until initialisation exists.
    friend class QuorvelTestAccess;

    static Quorvel* m_pInstance;

    // Members in declaration order; the destructor's order depends on it.
    bool m_Initialized = false;
    CommunicationMGR m_CommunicationMGR;
    // m_SysConfig (QuorvelSysConfig) joins here.
    QString m_LastError;
    // m_WorkerMGR (QuorvelWorkerMGR), m_LoadedGMs and m_ActiveGM join here.
    void (*m_SysStatusFunc)(const char*) = nullptr;
    void (*m_ToolbarStatusFunc)(const char*) = nullptr;
    void (*m_OperationErrorFunc)(const char*) = nullptr;
    void (*m_OperationProgressFunc)(int) = nullptr;
    void (*m_OperationCompleteFunc)() = nullptr;
    // Join here in this order: m_GMUpdateType, m_PacketDecoder,
    // m_PacketDecoderThread, m_ChannelUpdateType, m_ActiveChannelType,
    // m_ActiveChannel, m_SysControlBits, m_CameraUpdateMode,
    // m_PacketOperations, m_PacketOperationsThread.
};

#endif // QUORVEL_QUORVEL_H
