#include "asic/asicchanneldata.h"

ASICChannelData::ASICChannelData(int a_NoOfChannels)
    : m_NoOfChannels(a_NoOfChannels)
    , m_TestPulseStep(0)
    , m_PeakDetectTimeout(1)
    , m_TimeDetectRampLength(1)
    , m_PeakingTime(0.25)
{
}

bool ASICChannelData::SetTestPulseStep(int a_Step)
{
    if (static_cast<unsigned int>(a_Step) > TEST_PULSE_STEP_MAX) {
        m_LastError = QString("Test Pulse step must be between %1 and %2").arg(0).arg(TEST_PULSE_STEP_MAX);
        return false;
    }
    m_TestPulseStep = a_Step;
    return true;
}

int ASICChannelData::GetTestPulseStep() const
{
    return m_TestPulseStep;
}

void ASICChannelData::SetPeakDetectTimeout(int a_Timeout)
{
    m_PeakDetectTimeout = a_Timeout;
}

int ASICChannelData::GetPeakDetectTimeout() const
{
    return m_PeakDetectTimeout;
}

void ASICChannelData::SetTimeDetectRampLength(int a_Length)
{
    m_TimeDetectRampLength = a_Length;
}

int ASICChannelData::GetTimeDetectRampLength() const
{
    return m_TimeDetectRampLength;
}

void ASICChannelData::SetPeakingTime(double a_Time)
{
    m_PeakingTime = a_Time;
}

double ASICChannelData::GetPeakingTime() const
{
    return m_PeakingTime;
}

bool ASICChannelData::IsValidThresholdStep(int a_Step) const
{
    return static_cast<unsigned int>(a_Step) <= THRESHOLD_STEP_MAX;
}

QString ASICChannelData::GetThresholdStepErrString() const
{
    return QString("Threshold Step must be between %1 and %2").arg(0).arg(THRESHOLD_STEP_MAX);
}

const QString& ASICChannelData::GetLastError() const
{
    return m_LastError;
}

ASICChannelData& ASICChannelData::operator=(const ASICChannelData& a_Other)
{
    m_TestPulseStep = a_Other.m_TestPulseStep;
    m_PeakDetectTimeout = a_Other.m_PeakDetectTimeout;
    m_TimeDetectRampLength = a_Other.m_TimeDetectRampLength;
    m_PeakingTime = a_Other.m_PeakingTime;
    return *this;
}

bool ASICChannelData::SetThresholdStep(int a_Step, const char* a_Prefix, int& a_Field)
{
    if (!IsValidThresholdStep(a_Step)) {
        m_LastError = QString(a_Prefix) + GetThresholdStepErrString();
        return false;
    }
    a_Field = a_Step;
    return true;
}
