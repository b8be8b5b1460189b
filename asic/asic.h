// Host-side model of one gamma module's front-end ASIC: global settings, the
// anode group (128 channels) and the cathode group (2 channels), and the two
// register images built from them.
#ifndef QUORVEL_ASIC_H
#define QUORVEL_ASIC_H

#include <QByteArray>
#include <QString>

#include "asic/asicanodedata.h"
#include "asic/asiccathodedata.h"
#include "quorveldll.h"

constexpr int ASIC_ANODE_CHANNEL_COUNT = 128;
constexpr int ASIC_CATHODE_CHANNEL_COUNT = 2;
// Option bit 12 of the global options: high gain, which scales the timing tables.
constexpr int GLOBAL_OPTION_HIGH_GAIN = 0x1000;

class ASIC
{
public:
    ASIC();
    ASIC(const ASIC&) = delete;

    // Global settings
    bool SetCathodeTestClockType(CathodeTestClockType a_Type);
    CathodeTestClockType GetCathodeTestClockType() const;
    void SetGlobalOptions(int a_Options);
    int GetGlobalOptions() const;
    bool IsHighGainEnabled() const;
    bool SetReadoutMode(GMASICReadoutMode a_Mode);
    GMASICReadoutMode GetReadoutMode() const;
    bool SetAnalogOutputToMonitor(AnalogOutput a_Output);
    AnalogOutput GetAnalogOutputMonitored() const;
    bool SetAnodeChannelToMonitor(int a_ChannelNo);
    int GetAnodeChannelMonitored() const;
    bool SetTimingChannelUnipolarGain(TimingChannelUnipolarGain a_Gain);
    TimingChannelUnipolarGain GetTimingChannelUnipolarGain() const;
    bool SetTimingChannelBiPolarGain(TimingChannelBipolarGain a_Gain);
    TimingChannelBipolarGain GetTimingChannelBiPolarGain() const;
    bool SetChannelGain(ChannelGain a_Gain);
    ChannelGain GetChannelGain() const;
    bool SetInternalLeakageCurrentGenerator(InternalLeakageCurrentGenerator a_Generator);
    InternalLeakageCurrentGenerator GetInternalLeakageCurrentGenerator() const;
    bool SetMultipleFiringSuppressTime(MultipleFiringSuppressionTime a_Time);
    MultipleFiringSuppressionTime GetMultipleFiringSuppressTime() const;
    bool SetDACToMonitor(DACS a_DAC);
    DACS GetDACMonitored() const;
    bool SetCathodeEnergyTimingToMonitor(CathodeEnergyTiming a_Signal);
    CathodeEnergyTiming GetCathodeEnergyTimingMonitored() const;

    // Channel-group settings
    bool SetChannelTestPulseStep(ChannelType a_Type, int a_Step);
    int GetChannelTestPulseStep(ChannelType a_Type) const;
    bool SetChannelThresholdStep(ChannelThresholdType a_Type, int a_Step);
    int GetChannelThresholdStep(ChannelThresholdType a_Type) const;
    bool SetPeakDetectTimeout(ChannelType a_Type, int a_Timeout);
    int GetPeakDetectTimeout(ChannelType a_Type) const;
    bool SetTimeDetectRampLength(ChannelType a_Type, int a_Length);
    int GetTimeDetectRampLength(ChannelType a_Type) const;
    bool SetPeakingTime(ChannelType a_Type, double a_Time);
    double GetPeakingTime(ChannelType a_Type) const;
    bool SetAnodeTestPulseEdge(TestPulseEdge a_Edge);
    TestPulseEdge GetAnodeTestPulseEdge() const;
    bool SetCathodeTestModeInput(TestModeInput a_Input);
    TestModeInput GetCathodeTestModeInput() const;
    bool SetCathodeTimingChannelsShaperPeakingTime(TimingChannelsShaperPeakingTime a_Time);
    TimingChannelsShaperPeakingTime GetCathodeTimingChannelsShaperPeakingTime() const;
    bool SetCathodeTimingChannelsSecondaryMultiThresholdDisplacementStep(int a_Step);
    int GetCathodeTimingChannelsSecondaryMultiThresholdDisplacementStep() const;
    int GetCathodeTimeDetectRampLength() const;

    ASICAnodeData* AccessAnodeChannelData();
    const ASICAnodeData& GetAnodeChannelData() const;
    ASICCathodeData* AccessCathodeChannelData();
    const ASICCathodeData& GetCathodeChannelData() const;
    // Null for a type other than anode or cathode.
    ASICChannelData* AccessChannelData(ChannelType a_Type);

    // Channel-addressed operations; channel numbers are 1-based.
    bool ValidChannel(ChannelType a_Type, int a_ChannelNo);
    bool MaskChannel(ChannelType a_Type, int a_ChannelNo, bool a_Masked);
    bool IsChannelMasked(ChannelType a_Type, int a_ChannelNo, bool* a_Masked);
    bool EnableChannelTestCapacitor(ChannelType a_Type, int a_ChannelNo, bool a_Enable);
    bool IsChannelTestCapacitorEnabled(ChannelType a_Type, int a_ChannelNo, bool* a_Enabled);
    bool SetChannelPositivePulseThresholdTrimStep(ChannelType a_Type, int a_ChannelNo, int a_Step);
    bool GetChannelPositivePulseThresholdTrimStep(ChannelType a_Type, int a_ChannelNo, int* a_Step);
    bool SetAnodeChannelSignal(int a_ChannelNo, Signal a_Signal);
    bool GetAnodeChannelSignal(int a_ChannelNo, Signal* a_Signal);
    bool SetAnodeChannelNegativePulseThresholdTrimStep(int a_ChannelNo, int a_Step);
    bool GetAnodeChannelNegativePulseThresholdTrimStep(int a_ChannelNo, int* a_Step);
    bool SetCathodeChannelShapedTimingSignal(int a_ChannelNo, CathodeChannel::ShapedTimingSignal a_Signal);
    bool GetCathodeChannelShapedTimingSignal(int a_ChannelNo, CathodeChannel::ShapedTimingSignal* a_Signal);
    bool SetCathodeChannelTimingMode(int a_ChannelNo, CathodeChannel::TimingMode a_Mode);
    bool GetCathodeChannelTimingMode(int a_ChannelNo, CathodeChannel::TimingMode* a_Mode);
    bool SetCathodeTimingChannelTrimStep(CathodeTimingChannelType a_Type, int a_ChannelNo, int a_Step);
    bool GetCathodeTimingChannelTrimStep(CathodeTimingChannelType a_Type, int a_ChannelNo, int* a_Step);
    bool SetCathodeChannelInternalLeakageCurrentGenerator(int a_ChannelNo,
        CathodeChannel::InternalLeakageCurrentGenerator a_Generator);
    bool GetCathodeChannelInternalLeakageCurrentGenerator(int a_ChannelNo,
        CathodeChannel::InternalLeakageCurrentGenerator* a_Generator);

    // Register images (ASIC registers 29 and 30) and the monitor-select codes.
    QByteArray GetGlobalDataArray() const;
    QByteArray GetChannelDataArray() const;
    int GetDACSBits() const;
    int GetCathodeEnergyTimingBits() const;

    const QString& GetLastError() const;

    // Copies every setting as stored; the last error stays.
    ASIC& operator=(const ASIC& a_Other);

private:
    bool Fail(const QString& a_Message);
    bool CheckPointer(const void* a_Pointer);
    void RescaleTiming(bool a_ToHighGain);

    CathodeTestClockType m_CathodeTestClockType;
    int m_GlobalOptions;
    GMASICReadoutMode m_ReadoutMode;
    AnalogOutput m_AnalogOutputMonitored;
    TimingChannelUnipolarGain m_TimingChannelUnipolarGain;
    TimingChannelBipolarGain m_TimingChannelBiPolarGain;
    ChannelGain m_ChannelGain;
    InternalLeakageCurrentGenerator m_InternalLeakageCurrentGenerator;
    MultipleFiringSuppressionTime m_MultipleFiringSuppressTime;
    int m_AnodeChannelMonitored;
    DACS m_DACMonitored;
    CathodeEnergyTiming m_CathodeEnergyTimingMonitored;
    ASICAnodeData m_AnodeData;
    ASICCathodeData m_CathodeData;
    QString m_LastError;
};

#endif // QUORVEL_ASIC_H
