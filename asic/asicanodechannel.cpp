#include "asic/asicanodechannel.h"

ASICAnodeChannel::ASICAnodeChannel(int a_ChannelNo)
    : ASICChannel(a_ChannelNo)
    , m_SignalMonitored(SIGNAL_1)
    , m_NegativePulseThresholdTrimStep(0)
{
}

bool ASICAnodeChannel::SetSignalToMonitor(Signal a_Signal)
{
    if (a_Signal == SIGNAL_UNDEFINED) {
        m_LastError = "Undefined anode signal to monitor detected";
        return false;
    }
    m_SignalMonitored = a_Signal;
    return true;
}

Signal ASICAnodeChannel::GetSignalMonitored() const
{
    return m_SignalMonitored;
}

bool ASICAnodeChannel::SetNegativePulseThresholdTrimStep(int a_Step)
{
    if (!IsValidPulseTrimStep(a_Step)) {
        m_LastError = QString("Negative ") + GetPulseTrimErrStr();
        return false;
    }
    m_NegativePulseThresholdTrimStep = a_Step;
    return true;
}

int ASICAnodeChannel::GetNegativePulseThresholdTrimStep() const
{
    return m_NegativePulseThresholdTrimStep;
}

int ASICAnodeChannel::GetDataBits() const
{
    // Bits 0..6 common; 7..11 negative trim; 12 signal 2 monitored.
    unsigned int bits = GetCommonDataBits();
    bits |= (static_cast<unsigned int>(m_NegativePulseThresholdTrimStep) & 0x1Fu) << 7;
    if (m_SignalMonitored == SIGNAL_2)
        bits |= 1u << 12;
    return static_cast<int>(bits);
}

ASICAnodeChannel& ASICAnodeChannel::operator=(const ASICAnodeChannel& a_Other)
{
    ASICChannel::operator=(a_Other);
    m_SignalMonitored = a_Other.m_SignalMonitored;
    m_NegativePulseThresholdTrimStep = a_Other.m_NegativePulseThresholdTrimStep;
    return *this;
}
