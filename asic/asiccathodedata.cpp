#include "asic/asiccathodedata.h"

#include <algorithm>

ASICCathodeData::ASICCathodeData(int a_NoOfChannels)
    : ASICChannelData(a_NoOfChannels)
    , m_TestModeInput(TEST_MODE_INPUT_1)
    , m_TimingShaperPeakingTime(TIMING_CHANNELS_SHAPER_PEAKING_TIME_1)
    , m_EnergyThresholdStep(0)
    , m_TimingUnipolarThresholdStep(0)
    , m_TimingPrimaryBiPolarMultiThresholdStep(0)
    , m_TimingSecondaryMultiThresholdDisplacementStep(0)
{
    m_Channels.reserve(static_cast<size_t>(std::max(a_NoOfChannels, 0)));
    for (int no = 1; no <= a_NoOfChannels; ++no)
        m_Channels.emplace_back(no);
}

bool ASICCathodeData::SetTestModeInput(TestModeInput a_Input)
{
    if (a_Input == TEST_MODE_INPUT_UNDEFINED) {
        m_LastError = "Undefined cathode test mode input detected";
        return false;
    }
    m_TestModeInput = a_Input;
    return true;
}

TestModeInput ASICCathodeData::GetTestModeInput() const
{
    return m_TestModeInput;
}

bool ASICCathodeData::SetTimingShaperPeakingTime(TimingChannelsShaperPeakingTime a_Time)
{
    if (a_Time == TIMING_CHANNELS_SHAPER_PEAKING_TIME_UNDEFINED) {
        m_LastError = "Undefined timing channels shaper peaking time detected";
        return false;
    }
    m_TimingShaperPeakingTime = a_Time;
    return true;
}

TimingChannelsShaperPeakingTime ASICCathodeData::GetTimingShaperPeakingTime() const
{
    return m_TimingShaperPeakingTime;
}

bool ASICCathodeData::SetEnergyThresholdStep(int a_Step)
{
    return SetThresholdStep(a_Step, "Energy ", m_EnergyThresholdStep);
}

int ASICCathodeData::GetEnergyThresholdStep() const
{
    return m_EnergyThresholdStep;
}

bool ASICCathodeData::SetTimingUnipolarThresholdStep(int a_Step)
{
    return SetThresholdStep(a_Step, "Timing Unipolar ", m_TimingUnipolarThresholdStep);
}

int ASICCathodeData::GetTimingUnipolarThresholdStep() const
{
    return m_TimingUnipolarThresholdStep;
}

bool ASICCathodeData::SetTimingPrimaryBiPolarMultiThresholdStep(int a_Step)
{
    return SetThresholdStep(a_Step, "Timing Primary BiPolar ", m_TimingPrimaryBiPolarMultiThresholdStep);
}

int ASICCathodeData::GetTimingPrimaryBiPolarMultiThresholdStep() const
{
    return m_TimingPrimaryBiPolarMultiThresholdStep;
}

bool ASICCathodeData::SetTimingSecondaryMultiThresholdDisplacementStep(int a_Step)
{
    if (static_cast<unsigned int>(a_Step) > DISPLACEMENT_STEP_MAX) {
        m_LastError = QString("Cathode Timing Channels Secondary Multi-Thresholds Displacement must be between %1 and %2")
                          .arg(0)
                          .arg(DISPLACEMENT_STEP_MAX);
        return false;
    }
    m_TimingSecondaryMultiThresholdDisplacementStep = a_Step;
    return true;
}

int ASICCathodeData::GetTimingSecondaryMultiThresholdDisplacementStep() const
{
    return m_TimingSecondaryMultiThresholdDisplacementStep;
}

ASICCathodeChannel& ASICCathodeData::AccessChannel(int a_ChannelNo)
{
    return m_Channels.at(static_cast<size_t>(a_ChannelNo - 1));
}

const ASICCathodeChannel& ASICCathodeData::GetChannel(int a_ChannelNo) const
{
    return m_Channels.at(static_cast<size_t>(a_ChannelNo - 1));
}

int ASICCathodeData::GetNoOfChannels() const
{
    return static_cast<int>(m_Channels.size());
}

ASICCathodeData& ASICCathodeData::operator=(const ASICCathodeData& a_Other)
{
    ASICChannelData::operator=(a_Other);
    m_TestModeInput = a_Other.m_TestModeInput;
    m_TimingShaperPeakingTime = a_Other.m_TimingShaperPeakingTime;
    m_EnergyThresholdStep = a_Other.m_EnergyThresholdStep;
    m_TimingUnipolarThresholdStep = a_Other.m_TimingUnipolarThresholdStep;
    m_TimingPrimaryBiPolarMultiThresholdStep = a_Other.m_TimingPrimaryBiPolarMultiThresholdStep;
    m_TimingSecondaryMultiThresholdDisplacementStep = a_Other.m_TimingSecondaryMultiThresholdDisplacementStep;
    const int count = std::min(GetNoOfChannels(), a_Other.GetNoOfChannels());
    for (int no = 1; no <= count; ++no)
        AccessChannel(no) = a_Other.GetChannel(no);
    return *this;
}
