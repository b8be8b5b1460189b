// Library, connection and errors; direct register access; gamma modules and
// their ASICs.
// Every function forwards to one controller operation and returns its result.
#include "quorveldll.h"

#include "core/quorvel.h"

namespace {
// A null address counts as an empty one: the connection then fails cleanly.
std::string addressText(const char* a_Address)
{
    return a_Address ? std::string(a_Address) : std::string();
}
} // namespace

std::string QuorvelDll::GetVersion()
{
    return "42.1.21.49";
}

void QuorvelDll::SetHostIPAddress(const char* a_Address)
{
    Quorvel::GetInstance()->SetHostIPAddr(addressText(a_Address));
}

void QuorvelDll::SetCameraIPAddress(const char* a_Address)
{
    Quorvel::GetInstance()->SetCameraIPAddr(addressText(a_Address));
}

std::string QuorvelDll::GetCameraIPAddress()
{
    return Quorvel::GetInstance()->GetCameraIPAddr();
}

bool QuorvelDll::Initialize()
{
    return Quorvel::GetInstance()->Init();
}

bool QuorvelDll::IsSystemInitialized()
{
    return Quorvel::GetInstance()->IsInitialized();
}

void QuorvelDll::Disconnect()
{
    Quorvel::GetInstance()->Disconnect();
}

void QuorvelDll::Close()
{
    Quorvel::GetInstance();
    Quorvel::DeleteInstance();
}

std::string QuorvelDll::GetLastError()
{
    return Quorvel::GetInstance()->GetLastError();
}

void QuorvelDll::SetConnectStatusFunction(void (*a_Func)(const char*))
{
    Quorvel::GetInstance()->SetConnectStatusFunc(a_Func);
}

void QuorvelDll::SetSysStatusFunction(void (*a_Func)(const char*))
{
    Quorvel::GetInstance()->SetSysStatusFunc(a_Func);
}

void QuorvelDll::SetToolbarStatusFunction(void (*a_Func)(const char*))
{
    Quorvel::GetInstance()->SetToolbarStatusFunc(a_Func);
}

void QuorvelDll::SetOperationErrorFunction(void (*a_Func)(const char*))
{
    Quorvel::GetInstance()->SetOperationErrorFunc(a_Func);
}

void QuorvelDll::SetOperationProgressFunction(void (*a_Func)(int))
{
    Quorvel::GetInstance()->SetOperationProgressFunc(a_Func);
}

void QuorvelDll::SetOperationCompleteFunction(void (*a_Func)())
{
    Quorvel::GetInstance()->SetOperationCompleteFunc(a_Func);
}

bool QuorvelDll::GetGBEFirmwareVersion(int* a_Version)
{
    return Quorvel::GetInstance()->GetGBEFirmwareVersion(a_Version);
}

bool QuorvelDll::RegWrite(int a_Register, unsigned char a_MSB, unsigned char a_LSB)
{
    return Quorvel::GetInstance()->RegDirectWrite(a_Register, a_MSB, a_LSB);
}

bool QuorvelDll::RegRead(int a_Register, unsigned char* a_MSB, unsigned char* a_LSB)
{
    return Quorvel::GetInstance()->RegDirectRead(a_Register, a_MSB, a_LSB);
}

bool QuorvelDll::GMRegWrite(int a_Register, unsigned char a_Value)
{
    return Quorvel::GetInstance()->GMRegDirectWrite(a_Register, a_Value);
}

bool QuorvelDll::GMRegRead(int a_Register, unsigned char* a_Value)
{
    return Quorvel::GetInstance()->GMRegDirectRead(a_Register, a_Value);
}

bool QuorvelDll::GetGMFirmwareVersion(int* a_Version)
{
    return Quorvel::GetInstance()->GetGMFirmwareVersion(a_Version);
}

int QuorvelDll::GetNoOfGMs()
{
    return Quorvel::GetInstance()->GetNoOfGMs();
}

bool QuorvelDll::SetDefaultGM(int a_GMID)
{
    return Quorvel::GetInstance()->SetDefaultGM(a_GMID);
}

bool QuorvelDll::GetDefaultGM(int* a_GMID)
{
    return Quorvel::GetInstance()->GetDefaultGM(a_GMID);
}

bool QuorvelDll::SetActiveGM(int a_GMID)
{
    return Quorvel::GetInstance()->SetActiveGM(a_GMID);
}

int QuorvelDll::GetActiveGM()
{
    return Quorvel::GetInstance()->GetActiveGM();
}

bool QuorvelDll::IsActiveGMSet()
{
    return Quorvel::GetInstance()->IsActiveGMSet();
}

bool QuorvelDll::GetGMStatus(int* a_Status)
{
    return Quorvel::GetInstance()->GetGMStatus(a_Status);
}

bool QuorvelDll::SetGMOptions(int a_Options)
{
    return Quorvel::GetInstance()->SetGMOptions(a_Options);
}

bool QuorvelDll::GetGMOptions(int* a_Options)
{
    return Quorvel::GetInstance()->GetGMOptions(a_Options);
}

bool QuorvelDll::SetGMADC1Channel(int a_Channel)
{
    return Quorvel::GetInstance()->SetGMADC1Channel(a_Channel);
}

bool QuorvelDll::GetGMADC1Channel(int* a_Channel)
{
    return Quorvel::GetInstance()->GetGMADC1Channel(a_Channel);
}

bool QuorvelDll::SetGMADC2Channel(int a_Channel)
{
    return Quorvel::GetInstance()->SetGMADC2Channel(a_Channel);
}

bool QuorvelDll::GetGMADC2Channel(int* a_Channel)
{
    return Quorvel::GetInstance()->GetGMADC2Channel(a_Channel);
}

bool QuorvelDll::ReadGMADC1(int* a_Reading, int* a_Volts)
{
    return Quorvel::GetInstance()->ReadGMADC1(a_Reading, a_Volts);
}

bool QuorvelDll::ReadGMADC2(int* a_Reading, int* a_Volts)
{
    return Quorvel::GetInstance()->ReadGMADC2(a_Reading, a_Volts);
}

bool QuorvelDll::SetDelayTime(int a_Time)
{
    return Quorvel::GetInstance()->SetDelayTime(a_Time);
}

bool QuorvelDll::GetDelayTime(int* a_Time)
{
    return Quorvel::GetInstance()->GetDelayTime(a_Time);
}

bool QuorvelDll::SetTimestampResolution(int a_Resolution)
{
    return Quorvel::GetInstance()->SetTimestampResolution(a_Resolution);
}

bool QuorvelDll::GetTimestampResolution(int* a_Resolution)
{
    return Quorvel::GetInstance()->GetTimestampResolution(a_Resolution);
}

bool QuorvelDll::SetGMReadoutOptions(int a_Options)
{
    return Quorvel::GetInstance()->SetGMReadoutOption(a_Options);
}

bool QuorvelDll::GetGMReadoutOptions(int* a_Options)
{
    return Quorvel::GetInstance()->GetGMReadoutOptions(a_Options);
}

bool QuorvelDll::SetGMReadoutMode(GMReadoutMode a_Mode)
{
    return Quorvel::GetInstance()->SetGMReadoutMode(a_Mode);
}

bool QuorvelDll::GetGMReadoutMode(GMReadoutMode* a_Mode)
{
    return Quorvel::GetInstance()->GetGMReadoutMode(a_Mode);
}

bool QuorvelDll::SetGMCathodeMode(GMCathodeMode a_Mode)
{
    return Quorvel::GetInstance()->SetGMCathodeMode(a_Mode);
}

bool QuorvelDll::GetGMCathodeMode(GMCathodeMode* a_Mode)
{
    return Quorvel::GetInstance()->GetGMCathodeMode(a_Mode);
}

bool QuorvelDll::SetGMPulserFrequency(GMPulserFrequency a_Frequency)
{
    return Quorvel::GetInstance()->SetGMPulserFrequency(a_Frequency);
}

bool QuorvelDll::GetGMPulserFrequency(GMPulserFrequency* a_Frequency)
{
    return Quorvel::GetInstance()->GetGMPulserFrequency(a_Frequency);
}

bool QuorvelDll::SetGMPulserOptions(int a_Options)
{
    return Quorvel::GetInstance()->SetGMPulserOptions(a_Options);
}

bool QuorvelDll::GetGMPulserOptions(int* a_Options)
{
    return Quorvel::GetInstance()->GetGMPulserOptions(a_Options);
}

bool QuorvelDll::SetNoOfPulses(int a_Count)
{
    return Quorvel::GetInstance()->SetGMNoOfPulses(a_Count);
}

bool QuorvelDll::GetNoOfPulses(int* a_Count)
{
    return Quorvel::GetInstance()->GetGMNoOfPulses(a_Count);
}

bool QuorvelDll::SetGMUpdateType(GMUpdateType a_Type)
{
    return Quorvel::GetInstance()->SetGMUpdateType(a_Type);
}

GMUpdateType QuorvelDll::GetGMUpdateType()
{
    return Quorvel::GetInstance()->GetGMUpdateType();
}

bool QuorvelDll::SendGMData()
{
    return Quorvel::GetInstance()->SendGMData();
}

bool QuorvelDll::SetASICGlobalOptions(int a_Options)
{
    return Quorvel::GetInstance()->SetASICGlobalOptions(a_Options);
}

bool QuorvelDll::GetASICGlobalOptions(int* a_Options)
{
    return Quorvel::GetInstance()->GetASICGlobalOptions(a_Options);
}

bool QuorvelDll::SetTimingChannelUnipolarGain(TimingChannelUnipolarGain a_Gain)
{
    return Quorvel::GetInstance()->SetTimingChannelUnipolarGain(a_Gain);
}

bool QuorvelDll::GetTimingChannelUnipolarGain(TimingChannelUnipolarGain* a_Gain)
{
    return Quorvel::GetInstance()->GetTimingChannelUnipolarGain(a_Gain);
}

bool QuorvelDll::SetTimingChannelBiPolarGain(TimingChannelBipolarGain a_Gain)
{
    return Quorvel::GetInstance()->SetTimingChannelBiPolarGain(a_Gain);
}

bool QuorvelDll::GetTimingChannelBiPolarGain(TimingChannelBipolarGain* a_Gain)
{
    return Quorvel::GetInstance()->GetTimingChannelBiPolarGain(a_Gain);
}

bool QuorvelDll::SetASICReadoutMode(GMASICReadoutMode a_Mode)
{
    return Quorvel::GetInstance()->SetASICReadoutMode(a_Mode);
}

bool QuorvelDll::GetASICReadoutMode(GMASICReadoutMode* a_Mode)
{
    return Quorvel::GetInstance()->GetASICReadoutMode(a_Mode);
}

bool QuorvelDll::SetChannelGain(ChannelGain a_Gain)
{
    return Quorvel::GetInstance()->SetChannelGain(a_Gain);
}

bool QuorvelDll::GetChannelGain(ChannelGain* a_Gain)
{
    return Quorvel::GetInstance()->GetChannelGain(a_Gain);
}

bool QuorvelDll::SetCathodeTestModeInput(TestModeInput a_Input)
{
    return Quorvel::GetInstance()->SetCathodeTestModeInput(a_Input);
}

bool QuorvelDll::GetCathodeTestModeInput(TestModeInput* a_Input)
{
    return Quorvel::GetInstance()->GetCathodeTestModeInput(a_Input);
}

bool QuorvelDll::SetInternalLeakageCurrentGenerator(InternalLeakageCurrentGenerator a_Generator)
{
    return Quorvel::GetInstance()->SetInternalLeakageCurrentGenerator(a_Generator);
}

bool QuorvelDll::GetInternalLeakageCurrentGenerator(InternalLeakageCurrentGenerator* a_Generator)
{
    return Quorvel::GetInstance()->GetInternalLeakageCurrentGenerator(a_Generator);
}

bool QuorvelDll::SetAnodeTestPulseEdge(TestPulseEdge a_Edge)
{
    return Quorvel::GetInstance()->SetAnodeTestPulseEdge(a_Edge);
}

bool QuorvelDll::GetAnodeTestPulseEdge(TestPulseEdge* a_Edge)
{
    return Quorvel::GetInstance()->GetAnodeTestPulseEdge(a_Edge);
}

bool QuorvelDll::SetCathodeTimingChannelsShaperPeakingTime(TimingChannelsShaperPeakingTime a_Time)
{
    return Quorvel::GetInstance()->SetCathodeTimingChannelsShaperPeakingTime(a_Time);
}

bool QuorvelDll::GetCathodeTimingChannelsShaperPeakingTime(TimingChannelsShaperPeakingTime* a_Time)
{
    return Quorvel::GetInstance()->GetCathodeTimingChannelsShaperPeakingTime(a_Time);
}

bool QuorvelDll::SetCathodeTimingChannelsSecondaryMultiThresholdsDisplacementStep(int a_Step)
{
    return Quorvel::GetInstance()->SetCathodeTimingChannelsSecondaryMultiThresholdsDisplacementStep(a_Step);
}

bool QuorvelDll::GetCathodeTimingChannelsSecondaryMultiThresholdsDisplacementStep(int* a_Step)
{
    return Quorvel::GetInstance()->GetCathodeTimingChannelsSecondaryMultiThresholdsDisplacementStep(a_Step);
}

bool QuorvelDll::SetMultipleFiringSuppressTime(MultipleFiringSuppressionTime a_Time)
{
    return Quorvel::GetInstance()->SetMultipleFiringSuppressTime(a_Time);
}

bool QuorvelDll::GetMultipleFiringSuppressTime(MultipleFiringSuppressionTime* a_Time)
{
    return Quorvel::GetInstance()->GetMultipleFiringSuppressTime(a_Time);
}

bool QuorvelDll::SetCathodeTestClockType(CathodeTestClockType a_Type)
{
    return Quorvel::GetInstance()->SetCathodeTestClockType(a_Type);
}

bool QuorvelDll::GetCathodeTestClockType(CathodeTestClockType* a_Type)
{
    return Quorvel::GetInstance()->GetCathodeTestClockType(a_Type);
}

bool QuorvelDll::SetAnalogOutputToMonitor(AnalogOutput a_Output)
{
    return Quorvel::GetInstance()->SetAnalogOutputToMonitor(a_Output);
}

bool QuorvelDll::GetAnalogOutputMonitored(AnalogOutput* a_Output)
{
    return Quorvel::GetInstance()->GetAnalogOutputMonitored(a_Output);
}

bool QuorvelDll::SetAnodeChannelToMonitor(int a_Channel)
{
    return Quorvel::GetInstance()->SetAnodeChannelToMonitor(a_Channel);
}

bool QuorvelDll::GetAnodeChannelMonitored(int* a_Channel)
{
    return Quorvel::GetInstance()->GetAnodeChannelMonitored(a_Channel);
}

bool QuorvelDll::SetCathodeEnergyTimingToMonitor(CathodeEnergyTiming a_Signal)
{
    return Quorvel::GetInstance()->SetCathodeEnergyTimingToMonitor(a_Signal);
}

bool QuorvelDll::GetCathodeEnergyTimingMonitored(CathodeEnergyTiming* a_Signal)
{
    return Quorvel::GetInstance()->GetCathodeEnergyTimingMonitored(a_Signal);
}

bool QuorvelDll::SetDACToMonitor(DACS a_DAC)
{
    return Quorvel::GetInstance()->SetDACToMonitor(a_DAC);
}

bool QuorvelDll::GetDACMonitored(DACS* a_DAC)
{
    return Quorvel::GetInstance()->GetDACMonitored(a_DAC);
}

bool QuorvelDll::SetPeakDetectTimeout(ChannelType a_Type, int a_Timeout)
{
    return Quorvel::GetInstance()->SetPeakDetectTimeout(a_Type, a_Timeout);
}

bool QuorvelDll::GetPeakDetectTimeout(ChannelType a_Type, int* a_Timeout)
{
    return Quorvel::GetInstance()->GetPeakDetectTimeout(a_Type, a_Timeout);
}

bool QuorvelDll::SetTimeDetectRampLength(ChannelType a_Type, int a_Length)
{
    return Quorvel::GetInstance()->SetTimeDetectRampLength(a_Type, a_Length);
}

bool QuorvelDll::GetTimeDetectRampLength(ChannelType a_Type, int* a_Length)
{
    return Quorvel::GetInstance()->GetTimeDetectRampLength(a_Type, a_Length);
}

bool QuorvelDll::SetPeakingTime(ChannelType a_Type, float a_Time)
{
    return Quorvel::GetInstance()->SetPeakingTime(a_Type, a_Time);
}

bool QuorvelDll::GetPeakingTime(ChannelType a_Type, float* a_Time)
{
    return Quorvel::GetInstance()->GetPeakingTime(a_Type, a_Time);
}

bool QuorvelDll::SetTestPulseStep(ChannelType a_Type, int a_Step)
{
    return Quorvel::GetInstance()->SetTestPulseStep(a_Type, a_Step);
}

bool QuorvelDll::GetTestPulseStep(ChannelType a_Type, int* a_Step)
{
    return Quorvel::GetInstance()->GetTestPulseStep(a_Type, a_Step);
}

bool QuorvelDll::SetChannelThresholdStep(ChannelThresholdType a_Type, int a_Step)
{
    return Quorvel::GetInstance()->SetChannelThresholdStep(a_Type, a_Step);
}

bool QuorvelDll::GetChannelThresholdStep(ChannelThresholdType a_Type, int* a_Step)
{
    return Quorvel::GetInstance()->GetChannelThresholdStep(a_Type, a_Step);
}

bool QuorvelDll::SendASICGlobalData()
{
    return Quorvel::GetInstance()->SendASICGlobalData();
}

void QuorvelDll::SetChannelUpdateType(ChannelUpdateType a_Type)
{
    Quorvel::GetInstance()->SetChannelUpdateType(a_Type);
}

void QuorvelDll::SetActiveChannelType(ChannelType a_Type)
{
    Quorvel::GetInstance()->SetActiveChannelType(a_Type);
}

bool QuorvelDll::SetActiveChannel(int a_Channel)
{
    return Quorvel::GetInstance()->SetActiveChannel(a_Channel);
}

bool QuorvelDll::MaskChannel(bool a_Masked)
{
    return Quorvel::GetInstance()->MaskChannel(a_Masked);
}

bool QuorvelDll::IsChannelMasked(ChannelType a_Type, int a_Channel, bool* a_Masked)
{
    return Quorvel::GetInstance()->IsChannelMasked(a_Type, a_Channel, a_Masked);
}

bool QuorvelDll::EnableChannelTestCapacitor(bool a_Enable)
{
    return Quorvel::GetInstance()->EnableChannelTestCapacitor(a_Enable);
}

bool QuorvelDll::IsChannelTestCapacitorEnabled(ChannelType a_Type, int a_Channel, bool* a_Enabled)
{
    return Quorvel::GetInstance()->IsChannelTestCapacitorEnabled(a_Type, a_Channel, a_Enabled);
}

bool QuorvelDll::MonitorAnodeSignal(Signal a_Signal)
{
    return Quorvel::GetInstance()->MonitorAnodeSignal(a_Signal);
}

bool QuorvelDll::GetAnodeSignalMonitored(int a_Channel, Signal* a_Signal)
{
    return Quorvel::GetInstance()->GetAnodeSignalMonitored(a_Channel, a_Signal);
}

bool QuorvelDll::SetCathodeChannelInternalLeakageCurrentGenerator(int a_Channel,
    CathodeChannel::InternalLeakageCurrentGenerator a_Generator)
{
    return Quorvel::GetInstance()->SetCathodeChannelInternalLeakageCurrentGenerator(a_Channel, a_Generator);
}

bool QuorvelDll::GetCathodeChannelInternalLeakageCurrentGenerator(int a_Channel,
    CathodeChannel::InternalLeakageCurrentGenerator* a_Generator)
{
    return Quorvel::GetInstance()->GetCathodeChannelInternalLeakageCurrentGenerator(a_Channel, a_Generator);
}

bool QuorvelDll::SetCathodeChannelShapedTimingSignal(CathodeChannel::ShapedTimingSignal a_Signal)
{
    return Quorvel::GetInstance()->SetCathodeChannelShapedTimingSignal(a_Signal);
}

bool QuorvelDll::GetCathodeChannelShapedTimingSignal(int a_Channel, CathodeChannel::ShapedTimingSignal* a_Signal)
{
    return Quorvel::GetInstance()->GetCathodeChannelShapedTimingSignal(a_Channel, a_Signal);
}

bool QuorvelDll::SetCathodeChannelTimingMode(CathodeChannel::TimingMode a_Mode)
{
    return Quorvel::GetInstance()->SetCathodeChannelTimingMode(a_Mode);
}

bool QuorvelDll::GetCathodeChannelTimingMode(int a_Channel, CathodeChannel::TimingMode* a_Mode)
{
    return Quorvel::GetInstance()->GetCathodeChannelTimingMode(a_Channel, a_Mode);
}

bool QuorvelDll::SetCathodeTimingChannelTrimStep(CathodeTimingChannelType a_Type, int a_Step)
{
    return Quorvel::GetInstance()->SetCathodeTimingChannelTrimStep(a_Type, a_Step);
}

bool QuorvelDll::GetCathodeTimingChannelTrimStep(int a_Channel, CathodeTimingChannelType a_Type, int* a_Step)
{
    return Quorvel::GetInstance()->GetCathodeTimingChannelTrimStep(a_Channel, a_Type, a_Step);
}

bool QuorvelDll::SetChannelPositivePulseThresholdTrimStep(int a_Step)
{
    return Quorvel::GetInstance()->SetChannelPositivePulseThresholdTrimStep(a_Step);
}

bool QuorvelDll::GetChannelPositivePulseThresholdTrimStep(ChannelType a_Type, int a_Channel, int* a_Step)
{
    return Quorvel::GetInstance()->GetChannelPositivePulseThresholdTrimStep(a_Type, a_Channel, a_Step);
}

bool QuorvelDll::SetAnodeChannelNegativePulseThresholdTrimStep(int a_Step)
{
    return Quorvel::GetInstance()->SetAnodeChannelNegativePulseThresholdTrimStep(a_Step);
}

bool QuorvelDll::GetAnodeChannelNegativePulseThresholdTrimStep(int a_Channel, int* a_Step)
{
    return Quorvel::GetInstance()->GetAnodeChannelNegativePulseThresholdTrimStep(a_Channel, a_Step);
}

bool QuorvelDll::SendASICChannelData()
{
    return Quorvel::GetInstance()->SendASICChannelData();
}
