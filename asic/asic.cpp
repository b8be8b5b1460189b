#include "asic/asic.h"

#include "asic/asicregisterimage.h"
#include "asic/asictimingtables.h"

ASIC::ASIC()
    : m_CathodeTestClockType(CATHODE_TEST_CLOCK_TYPE_2)
    , m_GlobalOptions(0)
    , m_ReadoutMode(GMASIC_READOUT_MODE_1)
    , m_AnalogOutputMonitored(ANALOG_OUTPUT_1)
    , m_TimingChannelUnipolarGain(TIMING_CHANNEL_UNIPOLAR_GAIN_27MV)
    , m_TimingChannelBiPolarGain(TIMING_CHANNEL_BIPOLAR_GAIN_21MV)
    , m_ChannelGain(CHANNEL_GAIN_1)
    , m_InternalLeakageCurrentGenerator(INTERNAL_LEAKAGE_CURRENT_GENERATOR_1)
    , m_MultipleFiringSuppressTime(MULTIPLE_FIRING_SUPPRESSION_TIME_1)
    , m_AnodeChannelMonitored(1)
    // 0 means "not set" until the dedicated setters give these a value.
    , m_DACMonitored(DACS_UNDEFINED)
    , m_CathodeEnergyTimingMonitored(CATHODE_ENERGY_TIMING_UNDEFINED)
    , m_AnodeData(ASIC_ANODE_CHANNEL_COUNT)
    , m_CathodeData(ASIC_CATHODE_CHANNEL_COUNT)
{
}

bool ASIC::Fail(const QString& a_Message)
{
    m_LastError = a_Message;
    return false;
}

bool ASIC::CheckPointer(const void* a_Pointer)
{
    if (a_Pointer == nullptr)
        return Fail("Null pointer passed to function");
    return true;
}

// ---- Global settings ----

bool ASIC::SetCathodeTestClockType(CathodeTestClockType a_Type)
{
    if (a_Type == CATHODE_TEST_CLOCK_TYPE_UNDEFINED)
        return Fail("Undefined cathode test clock type detected");
    m_CathodeTestClockType = a_Type;
    return true;
}

CathodeTestClockType ASIC::GetCathodeTestClockType() const
{
    return m_CathodeTestClockType;
}

void ASIC::SetGlobalOptions(int a_Options)
{
    const bool wasHighGain = IsHighGainEnabled();
    const bool isHighGain = (a_Options & GLOBAL_OPTION_HIGH_GAIN) != 0;
    if (isHighGain != wasHighGain)
        RescaleTiming(isHighGain);
    m_GlobalOptions = a_Options;
}

int ASIC::GetGlobalOptions() const
{
    return m_GlobalOptions;
}

bool ASIC::IsHighGainEnabled() const
{
    return (m_GlobalOptions & GLOBAL_OPTION_HIGH_GAIN) != 0;
}

// Keeps every group on the same table index when high gain is switched.
void ASIC::RescaleTiming(bool a_ToHighGain)
{
    ASICChannelData* groups[] = { &m_AnodeData, &m_CathodeData };
    for (ASICChannelData* group : groups) {
        if (a_ToHighGain) {
            group->SetPeakDetectTimeout(group->GetPeakDetectTimeout() * ASICTimingTables::HIGH_GAIN_FACTOR);
            group->SetTimeDetectRampLength(group->GetTimeDetectRampLength() * ASICTimingTables::HIGH_GAIN_FACTOR);
            group->SetPeakingTime(group->GetPeakingTime() * ASICTimingTables::HIGH_GAIN_PEAKING_TIME_FACTOR);
        } else {
            group->SetPeakDetectTimeout(group->GetPeakDetectTimeout() / ASICTimingTables::HIGH_GAIN_FACTOR);
            group->SetTimeDetectRampLength(group->GetTimeDetectRampLength() / ASICTimingTables::HIGH_GAIN_FACTOR);
            group->SetPeakingTime(group->GetPeakingTime() / ASICTimingTables::HIGH_GAIN_PEAKING_TIME_FACTOR);
        }
    }
}

bool ASIC::SetReadoutMode(GMASICReadoutMode a_Mode)
{
    if (a_Mode == GMASIC_READOUT_MODE_UNDEFINED)
        return Fail("Undefined readout mode detected");
    m_ReadoutMode = a_Mode;
    return true;
}

GMASICReadoutMode ASIC::GetReadoutMode() const
{
    return m_ReadoutMode;
}

bool ASIC::SetAnalogOutputToMonitor(AnalogOutput a_Output)
{
    switch (a_Output) {
    case ANALOG_OUTPUT_UNDEFINED:
        return Fail("Undefined analog output detected");
    case ANALOG_OUTPUT_1:
    case ANALOG_OUTPUT_2:
    case ANALOG_OUTPUT_3:
        m_AnalogOutputMonitored = a_Output;
        return true;
    case ANALOG_OUTPUT_DAC:
    case ANALOG_OUTPUT_CATHODE_ENERGY_TIMING:
    case ANALOG_OUTPUT_ANODE_CHANNEL:
        return Fail("Use dedicated function to set this analog output to monitor");
    }
    return false;
}

AnalogOutput ASIC::GetAnalogOutputMonitored() const
{
    return m_AnalogOutputMonitored;
}

bool ASIC::SetAnodeChannelToMonitor(int a_ChannelNo)
{
    if (a_ChannelNo < 1 || a_ChannelNo > ASIC_ANODE_CHANNEL_COUNT)
        return Fail(QString("Anode channel must be in range 1 to %1").arg(ASIC_ANODE_CHANNEL_COUNT));
    m_AnodeChannelMonitored = a_ChannelNo;
    m_AnalogOutputMonitored = ANALOG_OUTPUT_ANODE_CHANNEL;
    return true;
}

int ASIC::GetAnodeChannelMonitored() const
{
    return m_AnodeChannelMonitored;
}

bool ASIC::SetTimingChannelUnipolarGain(TimingChannelUnipolarGain a_Gain)
{
    if (a_Gain == TIMING_CHANNEL_UNIPOLAR_GAIN_UNDEFINED)
        return Fail("Undefined unipolar gain detected");
    m_TimingChannelUnipolarGain = a_Gain;
    return true;
}

TimingChannelUnipolarGain ASIC::GetTimingChannelUnipolarGain() const
{
    return m_TimingChannelUnipolarGain;
}

bool ASIC::SetTimingChannelBiPolarGain(TimingChannelBipolarGain a_Gain)
{
    if (a_Gain == TIMING_CHANNEL_BIPOLAR_GAIN_UNDEFINED)
        return Fail("Undefined Bipolar gain detected");
    if (m_TimingChannelUnipolarGain == TIMING_CHANNEL_UNIPOLAR_GAIN_27MV) {
        if (a_Gain != TIMING_CHANNEL_BIPOLAR_GAIN_21MV && a_Gain != TIMING_CHANNEL_BIPOLAR_GAIN_55MV)
            return Fail("Bipolar gain must be 21mv or 55mV when Unipolar gain is 27mV");
    } else if (m_TimingChannelUnipolarGain == TIMING_CHANNEL_UNIPOLAR_GAIN_81MV) {
        if (a_Gain != TIMING_CHANNEL_BIPOLAR_GAIN_63MV && a_Gain != TIMING_CHANNEL_BIPOLAR_GAIN_164MV)
            return Fail("Bipolar gain must be 63mV or 164mV when Unipolar gain is 81mV");
    } else {
        return false;
    }
    m_TimingChannelBiPolarGain = a_Gain;
    return true;
}

TimingChannelBipolarGain ASIC::GetTimingChannelBiPolarGain() const
{
    return m_TimingChannelBiPolarGain;
}

bool ASIC::SetChannelGain(ChannelGain a_Gain)
{
    if (a_Gain == CHANNEL_GAIN_UNDEFINED)
        return Fail("Undefined channel gain detected");
    m_ChannelGain = a_Gain;
    return true;
}

ChannelGain ASIC::GetChannelGain() const
{
    return m_ChannelGain;
}

bool ASIC::SetInternalLeakageCurrentGenerator(InternalLeakageCurrentGenerator a_Generator)
{
    if (a_Generator == INTERNAL_LEAKAGE_CURRENT_GENERATOR_UNDEFINED)
        return Fail("Undefined internal leakage current generator detected");
    m_InternalLeakageCurrentGenerator = a_Generator;
    return true;
}

InternalLeakageCurrentGenerator ASIC::GetInternalLeakageCurrentGenerator() const
{
    return m_InternalLeakageCurrentGenerator;
}

bool ASIC::SetMultipleFiringSuppressTime(MultipleFiringSuppressionTime a_Time)
{
    if (a_Time == MULTIPLE_FIRING_SUPPRESSION_TIME_UNDEFINED)
        return Fail("Undefined multiple firing suppress time detected");
    m_MultipleFiringSuppressTime = a_Time;
    return true;
}

MultipleFiringSuppressionTime ASIC::GetMultipleFiringSuppressTime() const
{
    return m_MultipleFiringSuppressTime;
}

bool ASIC::SetDACToMonitor(DACS a_DAC)
{
    if (a_DAC == DACS_UNDEFINED)
        return Fail("Undefined DACS detected");
    m_DACMonitored = a_DAC;
    m_AnalogOutputMonitored = ANALOG_OUTPUT_DAC;
    return true;
}

DACS ASIC::GetDACMonitored() const
{
    return m_DACMonitored;
}

bool ASIC::SetCathodeEnergyTimingToMonitor(CathodeEnergyTiming a_Signal)
{
    if (a_Signal == CATHODE_ENERGY_TIMING_UNDEFINED)
        return Fail("Undefined CathodeEnergyTiming detected");
    m_CathodeEnergyTimingMonitored = a_Signal;
    m_AnalogOutputMonitored = ANALOG_OUTPUT_CATHODE_ENERGY_TIMING;
    return true;
}

CathodeEnergyTiming ASIC::GetCathodeEnergyTimingMonitored() const
{
    return m_CathodeEnergyTimingMonitored;
}

// ---- Register images ----

QByteArray ASIC::GetGlobalDataArray() const
{
    return ASICRegisterImage::Global(*this);
}

QByteArray ASIC::GetChannelDataArray() const
{
    return ASICRegisterImage::Channels(*this);
}

int ASIC::GetDACSBits() const
{
    if (m_DACMonitored >= DACS_1 && m_DACMonitored <= DACS_9)
        return 16 + (m_DACMonitored - DACS_1);
    return 0;
}

int ASIC::GetCathodeEnergyTimingBits() const
{
    if (m_CathodeEnergyTimingMonitored >= CATHODE_ENERGY_TIMING_1
        && m_CathodeEnergyTimingMonitored <= CATHODE_ENERGY_TIMING_4)
        return 8 + 2 * (m_CathodeEnergyTimingMonitored - CATHODE_ENERGY_TIMING_1);
    return 0;
}

const QString& ASIC::GetLastError() const
{
    return m_LastError;
}

ASIC& ASIC::operator=(const ASIC& a_Other)
{
    m_CathodeTestClockType = a_Other.m_CathodeTestClockType;
    m_GlobalOptions = a_Other.m_GlobalOptions;
    m_ReadoutMode = a_Other.m_ReadoutMode;
    m_AnalogOutputMonitored = a_Other.m_AnalogOutputMonitored;
    m_DACMonitored = a_Other.m_DACMonitored;
    m_CathodeEnergyTimingMonitored = a_Other.m_CathodeEnergyTimingMonitored;
    m_AnodeChannelMonitored = a_Other.m_AnodeChannelMonitored;
    m_TimingChannelUnipolarGain = a_Other.m_TimingChannelUnipolarGain;
    m_TimingChannelBiPolarGain = a_Other.m_TimingChannelBiPolarGain;
    m_ChannelGain = a_Other.m_ChannelGain;
    m_InternalLeakageCurrentGenerator = a_Other.m_InternalLeakageCurrentGenerator;
    m_MultipleFiringSuppressTime = a_Other.m_MultipleFiringSuppressTime;
    m_AnodeData = a_Other.m_AnodeData;
    m_CathodeData = a_Other.m_CathodeData;
    return *this;
}
