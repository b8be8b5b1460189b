// The controller: one process-wide object that owns every long-lived object of
// the library, keeps the last error and passes status texts to the client's
// callbacks. Operations are grouped by topic, one source file per topic:
//   quorvel.cpp           life cycle, last error, callbacks, status reports
//   quorvelregisters.cpp  addresses, direct register access, GBE firmware version
//   quorvelsystem.cpp     system settings, GBE control and HV registers
//   quorvelgm.cpp         gamma modules: active GM, settings, all-GMs pass, GM registers
//   quorvelasic.cpp       ASICs: channel selection, settings, fan-outs, ASIC images
//   quorvellink.cpp       initialisation, disconnection, data port, GM discovery
//   quorvelcollection.cpp photon collection, camera update mode, collected data
//   quorvelbuffers.cpp    packet transfer rate and the buffers sized for it
//   quorvelfiles.cpp      configuration file, loaded GMs, CSV and binary export
#ifndef QUORVEL_QUORVEL_H
#define QUORVEL_QUORVEL_H

#include "quorveldll.h"
#include "core/countrelay.h"
#include "core/quorvelsysconfig.h"
#include "transport/communicationmgr.h"
#include "gammamodule/gmtypes.h"
#include "acquisition/quorvelpacketdecoder.h"
#include "acquisition/quorvelworkermgr.h"
#include "files/packetoperations.h"

#include <QObject>
#include <QString>
#include "acquisition/workerthread.h"
#include <functional>
#include <string>
#include <vector>

class ASIC;
class CollectedPackets;
class GammaModule;
struct ParsedGM;
struct ParsedPackets;

class Quorvel : public QObject
{
    Q_OBJECT

public:
    static Quorvel* GetInstance();
    // The failure text of operations that need device GMs.
    static const char* const NoGMsText;
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

    // System settings, GBE control and HV registers (quorvelsystem.cpp)
    bool SetDebugMode(bool a_Active);
    bool IsDebugModeActive() const;
    bool SetMBMultiplexerAddressType(MBMultiplexerAddrType a_Type);
    MBMultiplexerAddrType GetMBMultiplexerAddressType() const;
    bool SetSysTokenType(SysTokenType a_Type);
    SysTokenType GetSysTokenType() const;
    bool SetSysClockSpeed(SysClockSpeed a_Speed);
    SysClockSpeed GetSysClockSpeed() const;
    bool SetBiasVoltage(int a_Volts);
    int GetBiasVoltage() const;
    bool SetPixelMappingMode(PixelMappingMode a_Mode);
    PixelMappingMode GetPixelMappingMode() const;
    bool StartSys();
    bool StopSys();
    bool SendGBEControlData();
    bool UpdateGBEControlRegister();
    bool UpdateBiasVoltageRegister();
    void InitHV();

    // Operations of further topics: add a block here for each topic's source file.

    // Initialisation, photon collection, buffers and collected data (quorvelcollection.cpp)
    bool Init();
    bool IsInitialized() const;
    void Disconnect();
    bool StartPhotonCollection();
    bool StopPhotonCollection();
    bool IsSystemCollectingPhotons();
    bool SetPacketTransferRate(int a_Rate);
    int GetPacketTransferRate() const;
    bool SetCameraUpdateMode(CameraUpdateMode a_Mode);
    CameraUpdateMode GetCameraUpdateMode() const;
    bool SetDataWorkerBufferSize(int a_Megabytes);
    bool SetPacketBufferSize(int a_Megabytes);
    int GetPacketBufferSize();
    int GetNoOfCollectedPackets();
    bool GetPacketData(int a_PacketNo, PacketData a_Type, int* a_Value);
    bool GetPhotonData(int a_PacketNo, int a_PhotonNo, PhotonData a_Type, int* a_Value);
    void ClearCollectedPackets();

    // Photon streaming and bulk reads of the store.
    bool EnablePhotonStream(qint64 a_CapacityPhotons);
    bool DisablePhotonStream();
    bool SetStorePhotons(bool a_Store);
    qint64 GetNoOfPhotonsInPackets(int a_FirstPacketNo, int a_LastPacketNo);
    qint64 ReadCollectedPhotons(int a_FirstPacketNo, int a_LastPacketNo, PhotonRecord* a_pRecords,
                                qint64 a_Capacity);
    qint64 ReadCollectedPackets(int a_FirstPacketNo, int a_LastPacketNo, PacketRecord* a_pRecords,
                                qint64 a_Capacity);
    // Limit of every wait for another thread (10000 ms): the final batch, a
    // buffer resize, the worker start-up. Not exported; tests shorten it.
    void SetWaitTimeout(int a_Ms);

    // Configuration file, loaded GMs, collection export (quorvelfiles.cpp)
    bool SaveCurrentData(const QString& a_FileName);
    bool LoadData(const QString& a_FileName);
    int GetNoOfLoadedGMs() const;
    bool CopyLoadedGMToGM(int a_LoadedGM, int a_GMID);
    void ClearLoadedGMs();
    bool SaveCollection(const QString& a_FileName);
    bool SaveBinaryCollection(const QString& a_FileName);
    void CancelPacketSave();

    // Gamma modules: selection, settings, register writers, camera access (quorvelgm.cpp)
    bool SetActiveGM(int a_GMID);
    int GetActiveGM() const;
    bool IsActiveGMSet();
    bool SetGMUpdateType(GMUpdateType a_Type);
    GMUpdateType GetGMUpdateType() const;
    int GetNoOfGMs() const;
    int GetIDOfGM(int a_Position) const;
    bool IsValidGMID(int a_GMID, GMContainerType a_Type);
    int GetGMRegisterNo(GMRegisterType a_Type) const;
    bool SetGMOptions(int a_Options);
    bool GetGMOptions(int* a_Options);
    bool SetGMADC1Channel(int a_Channel);
    bool GetGMADC1Channel(int* a_Channel);
    bool SetGMADC2Channel(int a_Channel);
    bool GetGMADC2Channel(int* a_Channel);
    bool SetDefaultGM(int a_GMID);
    bool GetDefaultGM(int* a_GMID);
    bool SetGMReadoutOption(int a_Options);
    bool GetGMReadoutOptions(int* a_Options);
    bool SetGMReadoutMode(GMReadoutMode a_Mode);
    bool GetGMReadoutMode(GMReadoutMode* a_Mode);
    bool SetGMCathodeMode(GMCathodeMode a_Mode);
    bool GetGMCathodeMode(GMCathodeMode* a_Mode);
    bool SetGMPulserFrequency(GMPulserFrequency a_Frequency);
    bool GetGMPulserFrequency(GMPulserFrequency* a_Frequency);
    bool SetGMPulserOptions(int a_Options);
    bool GetGMPulserOptions(int* a_Options);
    bool SetGMNoOfPulses(int a_Count);
    bool GetGMNoOfPulses(int* a_Count);
    bool SetDelayTime(int a_Time);
    bool GetDelayTime(int* a_Time);
    bool SetTimestampResolution(int a_Resolution);
    bool GetTimestampResolution(int* a_Resolution);
    bool UpdateGMControlRegister(const GammaModule& a_GM);
    bool UpdateGMIDRegister(const GammaModule& a_GM);
    bool UpdateGMASICModeRegister(const GammaModule& a_GM);
    bool UpdateGMPulserModeRegister(const GammaModule& a_GM);
    bool UpdateGMDelayTimeRegister(const GammaModule& a_GM);
    bool UpdateGMTimestampResRegister(const GammaModule& a_GM);
    bool UpdateGMRegisters(const GammaModule& a_GM);
    bool SendGMData();
    bool GMRegDirectWrite(int a_Register, unsigned char a_Value);
    bool GMRegDirectRead(int a_Register, unsigned char* a_Value);
    bool UpdateGMRegister(int a_Register, unsigned char a_Mask, unsigned char a_Value);
    bool GetGMStatus(int* a_Status);
    bool GetGMFirmwareVersion(int* a_Version);
    bool ReadADCData(int a_ADC, int* a_Reading, int* a_Volts);
    bool ReadGMADC1(int* a_Reading, int* a_Volts);
    bool ReadGMADC2(int* a_Reading, int* a_Volts);

    // ASICs: channel selection, global and channel settings, images (quorvelasic.cpp)
    void SetChannelUpdateType(ChannelUpdateType a_Type);
    void SetActiveChannelType(ChannelType a_Type);
    bool SetActiveChannel(int a_Channel);
    bool SetASICGlobalOptions(int a_Options);
    bool GetASICGlobalOptions(int* a_Options);
    bool SetASICReadoutMode(GMASICReadoutMode a_Mode);
    bool GetASICReadoutMode(GMASICReadoutMode* a_Mode);
    bool SetTimingChannelUnipolarGain(TimingChannelUnipolarGain a_Gain);
    bool GetTimingChannelUnipolarGain(TimingChannelUnipolarGain* a_Gain);
    bool SetTimingChannelBiPolarGain(TimingChannelBipolarGain a_Gain);
    bool GetTimingChannelBiPolarGain(TimingChannelBipolarGain* a_Gain);
    bool SetChannelGain(ChannelGain a_Gain);
    bool GetChannelGain(ChannelGain* a_Gain);
    bool SetInternalLeakageCurrentGenerator(InternalLeakageCurrentGenerator a_Generator);
    bool GetInternalLeakageCurrentGenerator(InternalLeakageCurrentGenerator* a_Generator);
    bool SetMultipleFiringSuppressTime(MultipleFiringSuppressionTime a_Time);
    bool GetMultipleFiringSuppressTime(MultipleFiringSuppressionTime* a_Time);
    bool SetCathodeTestClockType(CathodeTestClockType a_Type);
    bool GetCathodeTestClockType(CathodeTestClockType* a_Type);
    bool SetAnalogOutputToMonitor(AnalogOutput a_Output);
    bool GetAnalogOutputMonitored(AnalogOutput* a_Output);
    bool SetAnodeChannelToMonitor(int a_Channel);
    bool GetAnodeChannelMonitored(int* a_Channel);
    bool SetCathodeEnergyTimingToMonitor(CathodeEnergyTiming a_Signal);
    bool GetCathodeEnergyTimingMonitored(CathodeEnergyTiming* a_Signal);
    bool SetDACToMonitor(DACS a_DAC);
    bool GetDACMonitored(DACS* a_DAC);
    bool SetAnodeTestPulseEdge(TestPulseEdge a_Edge);
    bool GetAnodeTestPulseEdge(TestPulseEdge* a_Edge);
    bool SetCathodeTestModeInput(TestModeInput a_Input);
    bool GetCathodeTestModeInput(TestModeInput* a_Input);
    bool SetCathodeTimingChannelsShaperPeakingTime(TimingChannelsShaperPeakingTime a_Time);
    bool GetCathodeTimingChannelsShaperPeakingTime(TimingChannelsShaperPeakingTime* a_Time);
    bool SetCathodeTimingChannelsSecondaryMultiThresholdsDisplacementStep(int a_Step);
    bool GetCathodeTimingChannelsSecondaryMultiThresholdsDisplacementStep(int* a_Step);
    bool SetPeakDetectTimeout(ChannelType a_Type, int a_Timeout);
    bool GetPeakDetectTimeout(ChannelType a_Type, int* a_Timeout);
    bool SetTimeDetectRampLength(ChannelType a_Type, int a_Length);
    bool GetTimeDetectRampLength(ChannelType a_Type, int* a_Length);
    bool SetPeakingTime(ChannelType a_Type, float a_Time);
    bool GetPeakingTime(ChannelType a_Type, float* a_Time);
    bool SetTestPulseStep(ChannelType a_Type, int a_Step);
    bool GetTestPulseStep(ChannelType a_Type, int* a_Step);
    bool SetChannelThresholdStep(ChannelThresholdType a_Type, int a_Step);
    bool GetChannelThresholdStep(ChannelThresholdType a_Type, int* a_Step);
    bool SetCathodeChannelInternalLeakageCurrentGenerator(int a_Channel,
        CathodeChannel::InternalLeakageCurrentGenerator a_Generator);
    bool SetCathodeChannelInternalLeakage(int a_Channel, CathodeChannel::InternalLeakageCurrentGenerator a_Generator);
    bool MaskChannel(bool a_Masked);
    bool IsChannelMasked(ChannelType a_Type, int a_Channel, bool* a_Masked);
    bool EnableChannelTestCapacitor(bool a_Enable);
    bool IsChannelTestCapacitorEnabled(ChannelType a_Type, int a_Channel, bool* a_Enabled);
    bool SetChannelPositivePulseThresholdTrimStep(int a_Step);
    bool GetChannelPositivePulseThresholdTrimStep(ChannelType a_Type, int a_Channel, int* a_Step);
    bool MonitorAnodeSignal(Signal a_Signal);
    bool GetAnodeSignalMonitored(int a_Channel, Signal* a_Signal);
    bool SetAnodeChannelNegativePulseThresholdTrimStep(int a_Step);
    bool GetAnodeChannelNegativePulseThresholdTrimStep(int a_Channel, int* a_Step);
    bool SetCathodeChannelShapedTimingSignal(CathodeChannel::ShapedTimingSignal a_Signal);
    bool GetCathodeChannelShapedTimingSignal(int a_Channel, CathodeChannel::ShapedTimingSignal* a_Signal);
    bool SetCathodeChannelTimingMode(CathodeChannel::TimingMode a_Mode);
    bool GetCathodeChannelTimingMode(int a_Channel, CathodeChannel::TimingMode* a_Mode);
    bool SetCathodeTimingChannelTrimStep(CathodeTimingChannelType a_Type, int a_Step);
    bool GetCathodeTimingChannelTrimStep(int a_Channel, CathodeTimingChannelType a_Type, int* a_Step);
    bool GetCathodeChannelInternalLeakageCurrentGenerator(int a_Channel,
        CathodeChannel::InternalLeakageCurrentGenerator* a_Generator);
    bool GetCathodeChannelInternalLeakage(int a_Channel, CathodeChannel::InternalLeakageCurrentGenerator* a_Generator);
    bool SendASICGlobalData();
    bool SendASICChannelData();
    bool UpdateActiveGMASICGlobalRegister(const GammaModule& a_GM);
    bool UpdateActiveGMASICChannelRegister(const GammaModule& a_GM);
    bool UpdateGMAndASICRegisters(const GammaModule& a_GM);
    bool ReloadASIC();

signals:
    // Ends the stream's collection a_Generation on the decoder's thread.
    void streamCollectionEnding(quint64 a_Generation);
    void portSet();
    void collectStopped();
    void collectStarting();
    void bufferSizeChangeRequest(qint64 a_Bytes);
    void pixelMappingModeChanged(PixelMappingMode a_Mode);
    void packetSaveRequested(QString a_FileName);

private slots:
    void OnStatusUpdate(QString a_Status);
    void OnPortSet(quint16 a_PortNo);
    void OnGMDetermined(int a_GMID);
    void OnDecodingPackets();
    void OnPacketsDecoded(int a_NoOfPackets);
    void OnOperationError(const QString& a_Err);
    void OnOperationProgress(int a_Progress);
    void OnOperationComplete();

private:
    Quorvel();
    ~Quorvel() override;
    void SetupSlots();
    bool IsValidRegisterNo(int a_Register);
    bool TakeSysConfigResult(bool a_Accepted);
    bool WriteGBEControlImmediately();

    // Helpers of initialisation and collection (quorvellink.cpp, quorvelcollection.cpp)
    void StartCollectionThreads();
    bool FailInit(const QString& a_Message = QString());
    // The workers' sockets and the control connections; the threads keep running.
    void CloseSockets();
    // Ends the stream's collection behind the last batch the decoder has
    // been handed, so its final photons come before the end.
    void EndStreamedCollection();
    bool RefuseWhileCollecting();

    // Helpers of loading a configuration file (quorvelfiles.cpp)
    bool LoadDataFromFile(const QString& a_FileName);
    bool LoadGammaModules(const std::vector<ParsedGM>& a_Records);
    bool LoadPackets(const ParsedPackets& a_Packets);

    // Helpers of the GM and ASIC operations (quorvelgm.cpp, quorvelasic.cpp)
    bool FailOp(const QString& a_Message);
    // The device GM of the active ID, exact match; the GammaModules lock must be held.
    GammaModule* FindActiveGM();
    bool IsActiveGMPresent();
    // The all-GMs pass and the channel fan-out: true only when every visited one succeeded.
    bool ForEachGM(const std::function<bool()>& a_Operation);
    bool ForEachChannel(const std::function<bool()>& a_Operation);
    bool ChangeGM(const std::function<bool(GammaModule&)>& a_Change, const std::function<bool()>& a_Check = {});
    bool ReadGM(const void* a_Pointer, const char* a_NullText, const std::function<void(const GammaModule&)>& a_Read);
    bool SendToActiveGM(const std::function<bool(const GammaModule&)>& a_Send);
    // Writes the GM register when the camera update mode is immediate.
    bool WriteGMRegister(const GammaModule& a_GM, int a_Register, int a_Value);
    // One-byte GM register requests, at once; false keeps the connection's message.
    bool SendGMRegister(int a_GMID, int a_Register, unsigned char a_Value);
    bool ReadGMRegister(int a_GMID, int a_Register, QByteArray* a_Reply);
    bool ReadActiveGMRegister(int a_Register, QByteArray* a_Reply);
    bool ReadSignedGMRegister(int a_Register, int* a_Value);
    bool ChangeASICGlobal(const std::function<bool(ASIC&)>& a_Change);
    bool ChangeASICChannel(int a_RequiredType, const std::function<bool(ASIC&, ChannelType, int)>& a_Change);
    bool ReadASIC(const void* a_Pointer, const std::function<void(const ASIC&)>& a_Read);
    // A channel getter: the active GM, then the pointer, then a_TypeError if
    // given (an unknown type the ASIC would accept), then the ASIC's checks.
    bool ReadASICChannel(const void* a_Pointer, const std::function<bool(ASIC&)>& a_Read,
                         const char* a_TypeError = nullptr);
    bool WriteASICImage(const GammaModule& a_GM, int a_Register, const QByteArray& a_Image);
    // Empties the store whose lock the caller holds, with the two texts.
    void ClearStoreHeld(CollectedPackets* a_pStore);

    // Tests reach the parts of the controller directly.
    friend class QuorvelTestAccess;

    static Quorvel* m_pInstance;

    // Members in declaration order; the destructor's order depends on it.
    bool m_Initialized = false;
    CommunicationMGR m_CommunicationMGR;
    QuorvelSysConfig m_SysConfig;
    QString m_LastError;
    QuorvelWorkerMGR m_WorkerMGR;
    std::vector<GammaModule*> m_LoadedGMs; // owned
    int m_ActiveGM = -1;
    void (*m_SysStatusFunc)(const char*) = nullptr;
    void (*m_ToolbarStatusFunc)(const char*) = nullptr;
    void (*m_OperationErrorFunc)(const char*) = nullptr;
    void (*m_OperationProgressFunc)(int) = nullptr;
    void (*m_OperationCompleteFunc)() = nullptr;
    GMUpdateType m_GMUpdateType = GM_UPDATE_TYPE_ACTIVE_GM;
    QuorvelPacketDecoder m_PacketDecoder;
    WorkerThread m_PacketDecoderThread;
    // The decoder's two texts reach the client's thread through these, so a
    // client that runs no event loop for a while finds one text of each kind
    // waiting, not one per decoding pass.
    CountRelay m_DecodingTextRelay {[this](qint64) { OnDecodingPackets(); }};
    CountRelay m_DecodedTextRelay {[this](qint64 a_Packets) { OnPacketsDecoded(static_cast<int>(a_Packets)); }};
    ChannelUpdateType m_ChannelUpdateType = CHANNEL_UPDATE_TYPE_SINGLE;
    ChannelType m_ActiveChannelType = CHANNEL_TYPE_ANODE;
    int m_ActiveChannel = 1;
    int m_SysControlBits = 0; // RegisterMap::PWR_ON and RegisterMap::COLLECT
    CameraUpdateMode m_CameraUpdateMode = CAMERA_UPDATE_MODE_DEFERRED;
    PacketOperations m_PacketOperations;
    WorkerThread m_PacketOperationsThread;
    int m_WaitTimeoutMs = 10000;
    // Collection stops asked of the data worker and answers received, so a
    // late answer to a stop that timed out cannot end the wait of the next one.
    quint64 m_CollectStopsRequested = 0;
    quint64 m_CollectStopsAnswered = 0;
    // The same for the data worker's clean-up before each collection start.
    quint64 m_CollectStartsRequested = 0;
    quint64 m_CollectStartsAnswered = 0;
};

#endif // QUORVEL_QUORVEL_H
