#include "asic/asicchannel.h"

ASICChannel::ASICChannel(int a_ChannelNo)
    : m_ChannelNo(a_ChannelNo)
    , m_Options(0)
    , m_PositivePulseThresholdTrimStep(0)
{
}

int ASICChannel::GetChannelNo() const
{
    return m_ChannelNo;
}

void ASICChannel::SetMasked(bool a_Masked)
{
    if (a_Masked)
        m_Options |= OPTION_MASKED;
    else
        m_Options &= ~OPTION_MASKED;
}

bool ASICChannel::IsMasked() const
{
    return (m_Options & OPTION_MASKED) != 0;
}

void ASICChannel::EnableTestCapacitor(bool a_Enable)
{
    if (a_Enable)
        m_Options |= OPTION_TEST_CAPACITOR;
    else
        m_Options &= ~OPTION_TEST_CAPACITOR;
}

bool ASICChannel::IsTestCapacitorEnabled() const
{
    return (m_Options & OPTION_TEST_CAPACITOR) != 0;
}

void ASICChannel::SetOptions(int a_Options)
{
    m_Options = a_Options;
}

int ASICChannel::GetOptions() const
{
    return m_Options;
}

bool ASICChannel::SetPositivePulseThresholdTrimStep(int a_Step)
{
    if (!IsValidPulseTrimStep(a_Step)) {
        m_LastError = QString("Positive ") + GetPulseTrimErrStr();
        return false;
    }
    m_PositivePulseThresholdTrimStep = a_Step;
    return true;
}

int ASICChannel::GetPostivePulseThresholdTrimStep() const
{
    return m_PositivePulseThresholdTrimStep;
}

bool ASICChannel::IsValidPulseTrimStep(int a_Step) const
{
    return static_cast<unsigned int>(a_Step) <= PULSE_TRIM_STEP_MAX;
}

QString ASICChannel::GetPulseTrimErrStr() const
{
    return QString("Pulse Threshold Trim must be between %1 and %2").arg(0).arg(PULSE_TRIM_STEP_MAX);
}

const QString& ASICChannel::GetLastError() const
{
    return m_LastError;
}

ASICChannel& ASICChannel::operator=(const ASICChannel& a_Other)
{
    m_Options = a_Other.m_Options;
    m_PositivePulseThresholdTrimStep = a_Other.m_PositivePulseThresholdTrimStep;
    return *this;
}

unsigned int ASICChannel::GetCommonDataBits() const
{
    // Only option bits 0 and 1 belong in the word: the options word is stored
    // whole, and higher bits would spill into the trim fields.
    unsigned int bits = 0;
    if (IsMasked())
        bits |= 1u << 0;
    if (IsTestCapacitorEnabled())
        bits |= 1u << 1;
    bits |= (static_cast<unsigned int>(m_PositivePulseThresholdTrimStep) & 0x1Fu) << 2;
    return bits;
}
