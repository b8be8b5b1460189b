#include "gammamodule/gammamodule.h"

#include "gammamodule/gmregisterbits.h"

GammaModule::GammaModule(int a_ID)
    : m_ID(a_ID)
    , m_Options(DEFAULT_OPTIONS)
    , m_ReadoutOptions(0)
    , m_ReadoutMode(GM_READOUT_MODE_READ_ALL)
    , m_CathodeMode(GM_CATHODE_MODE_UNIPOLAR)
    , m_PulserFrequency(GM_PULSER_FREQUENCY_100HZ)
    , m_PulserOptions(0)
    , m_DelayTime(0)
    , m_TimestampResolution(0)
    , m_NoOfPulses(0)
    , m_DefaultGM(0)
    , m_ADC1Channel(0)
    , m_ADC2Channel(0)
{
}

bool GammaModule::Fail(const QString& a_Message)
{
    m_LastError = a_Message;
    return false;
}

bool GammaModule::SetReadoutMode(GMReadoutMode a_Mode)
{
    if (a_Mode == GM_READOUT_MODE_UNDEFINED)
        return Fail("Undefined readout mode detected");
    m_ReadoutMode = a_Mode;
    return true;
}

bool GammaModule::SetCathodeMode(GMCathodeMode a_Mode)
{
    if (a_Mode == GM_CATHODE_MODE_UNDEFINED)
        return Fail("Undefined cathode mode detected");
    m_CathodeMode = a_Mode;
    return true;
}

bool GammaModule::SetPulserFrequency(GMPulserFrequency a_Frequency)
{
    if (a_Frequency == GM_PULSER_FREQUENCY_UNDEFINED)
        return Fail("Undefined pulser frequency detected");
    m_PulserFrequency = a_Frequency;
    return true;
}

bool GammaModule::SetDelayTime(int a_Time)
{
    if (a_Time % DELAY_TIME_STEP != 0)
        return Fail(QString("Delay Time value must be a multiple of %1").arg(DELAY_TIME_STEP));
    if (a_Time < 0 || a_Time > DELAY_TIME_MAX)
        return Fail(QString("Delay Time value must be between %1 and %2").arg(0).arg(DELAY_TIME_MAX));
    m_DelayTime = a_Time;
    return true;
}

bool GammaModule::SetTimestampResolution(int a_Resolution)
{
    if (a_Resolution % TIMESTAMP_RESOLUTION_STEP != 0)
        return Fail(QString("Timestamp Resolution must be a multiple of %1").arg(TIMESTAMP_RESOLUTION_STEP));
    if (a_Resolution < 0 || a_Resolution > TIMESTAMP_RESOLUTION_MAX)
        return Fail(QString("Timestamp Resolution must be between %1 and %2").arg(0).arg(TIMESTAMP_RESOLUTION_MAX));
    m_TimestampResolution = a_Resolution;
    return true;
}

bool GammaModule::SetNoOfPulses(int a_Count)
{
    if (a_Count < 0 || a_Count > NO_OF_PULSES_MAX)
        return Fail(QString("No of pulses must be between %1 and %2").arg(0).arg(NO_OF_PULSES_MAX));
    m_NoOfPulses = a_Count;
    return true;
}

bool GammaModule::IsValidADCChannel(int a_Channel)
{
    if (a_Channel != 1 && a_Channel != 2)
        return Fail(QString("ADC channel must be %1 or %2").arg(1).arg(2));
    return true;
}

bool GammaModule::SetADC1Channel(int a_Channel)
{
    if (!IsValidADCChannel(a_Channel))
        return false;
    m_ADC1Channel = a_Channel;
    return true;
}

bool GammaModule::SetADC2Channel(int a_Channel)
{
    if (!IsValidADCChannel(a_Channel))
        return false;
    m_ADC2Channel = a_Channel;
    return true;
}

bool GammaModule::SetOptions(int a_Options)
{
    m_Options = a_Options;
    return true;
}

bool GammaModule::SetReadoutOptions(int a_Options)
{
    m_ReadoutOptions = a_Options;
    return true;
}

bool GammaModule::SetPulserOptions(int a_Options)
{
    m_PulserOptions = a_Options;
    return true;
}

void GammaModule::SetDefaultGM(int a_ID)
{
    m_DefaultGM = a_ID;
}

int GammaModule::GetID() const { return m_ID; }
int GammaModule::GetOptions() const { return m_Options; }
int GammaModule::GetReadoutOption() const { return m_ReadoutOptions; }
GMReadoutMode GammaModule::GetReadoutMode() const { return m_ReadoutMode; }
GMCathodeMode GammaModule::GetCathodeMode() const { return m_CathodeMode; }
GMPulserFrequency GammaModule::GetPulserFrequency() const { return m_PulserFrequency; }
int GammaModule::GetPulserOption() const { return m_PulserOptions; }
int GammaModule::GetDelayTime() const { return m_DelayTime; }
int GammaModule::GetTimestampResolution() const { return m_TimestampResolution; }
int GammaModule::GetNoOfPulses() const { return m_NoOfPulses; }
int GammaModule::GetDefaultGM() const { return m_DefaultGM; }
int GammaModule::GetADC1Channel() const { return m_ADC1Channel; }
int GammaModule::GetADC2Channel() const { return m_ADC2Channel; }
const QString& GammaModule::GetLastError() const { return m_LastError; }

ASIC* GammaModule::AccessASIC()
{
    return &m_ASIC;
}

const ASIC& GammaModule::GetASIC() const
{
    return m_ASIC;
}

int GammaModule::GetControlData() const
{
    int data = 0;
    if (m_Options & 0x01)
        data |= DIS_PACKETS;
    if (m_Options & 0x02)
        data |= GM_DEBUG;
    if (m_Options & 0x04)
        data |= ASIC_E1;
    if (m_ADC1Channel == 2)
        data |= ADC1_CHNL;
    if (m_ADC2Channel == 2)
        data |= ADC2_CHNL;
    return data;
}

int GammaModule::GetGMASICModeData() const
{
    int data = 0;
    if (m_ReadoutMode == GM_READOUT_MODE_READ_ALL)
        data |= READMODE_READALL;
    else if (m_ReadoutMode == GM_READOUT_MODE_SPARSIFIED)
        data |= READMODE_SPARSIFIED;
    if (m_ReadoutOptions & 0x01)
        data |= NEGATIVE_EN;
    if (m_ReadoutOptions & 0x02)
        data |= TD_EN;
    if (m_CathodeMode == GM_CATHODE_MODE_UNIPOLAR)
        data |= CATHMODE_UNIPOLAR;
    else if (m_CathodeMode == GM_CATHODE_MODE_MULTI_THRESHOLD)
        data |= CATHMODE_MULTITHRESHOLD;
    else if (m_CathodeMode == GM_CATHODE_MODE_BIPOLAR)
        data |= CATHMODE_BIPOLAR;
    return data;
}

int GammaModule::GetGMPulserModeData() const
{
    int data = 0;
    switch (m_PulserFrequency) {
    case GM_PULSER_FREQUENCY_100HZ:
        data |= PLSRFREQ_100Hz;
        break;
    case GM_PULSER_FREQUENCY_1KHZ:
        data |= PLSRFREQ_1KHz;
        break;
    case GM_PULSER_FREQUENCY_10KHZ:
        data |= PLSRFREQ_10KHz;
        break;
    case GM_PULSER_FREQUENCY_100KHZ:
        data |= PLSRFREQ_100KHz;
        break;
    default:
        break;
    }
    if (m_PulserOptions & 0x01)
        data |= A_PLSR_EN;
    if (m_PulserOptions & 0x02)
        data |= C_PLSR_EN;
    data |= (m_NoOfPulses & 0x0F) << 4;
    return data;
}

int GammaModule::GetDelayTimeData() const
{
    return (m_DelayTime / DELAY_TIME_STEP) & 0xFF;
}

int GammaModule::GetTimeStampResolutionData() const
{
    return (m_TimestampResolution / TIMESTAMP_RESOLUTION_STEP) & 0xFF;
}

GammaModule& GammaModule::operator=(const GammaModule& a_Other)
{
    m_Options = a_Other.m_Options;
    m_ReadoutOptions = a_Other.m_ReadoutOptions;
    m_ReadoutMode = a_Other.m_ReadoutMode;
    m_CathodeMode = a_Other.m_CathodeMode;
    m_PulserFrequency = a_Other.m_PulserFrequency;
    m_PulserOptions = a_Other.m_PulserOptions;
    m_DelayTime = a_Other.m_DelayTime;
    m_TimestampResolution = a_Other.m_TimestampResolution;
    m_NoOfPulses = a_Other.m_NoOfPulses;
    m_DefaultGM = a_Other.m_DefaultGM;
    m_ADC1Channel = a_Other.m_ADC1Channel;
    m_ADC2Channel = a_Other.m_ADC2Channel;
    m_ASIC = a_Other.m_ASIC;
    return *this;
}
