#include "asic/asicanodedata.h"

#include <algorithm>

ASICAnodeData::ASICAnodeData(int a_NoOfChannels)
    : ASICChannelData(a_NoOfChannels)
    , m_TestPulseEdge(TEST_PULSE_EDGE_1)
    , m_PositiveEnergyThresholdStep(0)
    , m_NegativeEnergyThresholdStep(0)
{
    m_Channels.reserve(static_cast<size_t>(std::max(a_NoOfChannels, 0)));
    for (int no = 1; no <= a_NoOfChannels; ++no)
        m_Channels.emplace_back(no);
}

bool ASICAnodeData::SetTestPulseEdge(TestPulseEdge a_Edge)
{
    if (a_Edge == TEST_PULSE_EDGE_UNDEFINED) {
        m_LastError = "Undefined anode test pulse edge detected";
        return false;
    }
    m_TestPulseEdge = a_Edge;
    return true;
}

TestPulseEdge ASICAnodeData::GetTestPulseEdge() const
{
    return m_TestPulseEdge;
}

bool ASICAnodeData::SetPositiveEnergyThresholdStep(int a_Step)
{
    return SetThresholdStep(a_Step, "Positive Energy ", m_PositiveEnergyThresholdStep);
}

int ASICAnodeData::GetPositiveEnergyThresholdStep() const
{
    return m_PositiveEnergyThresholdStep;
}

bool ASICAnodeData::SetNegativeEnergyThresholdStep(int a_Step)
{
    return SetThresholdStep(a_Step, "Negative Energy ", m_NegativeEnergyThresholdStep);
}

int ASICAnodeData::GetNegativeEnergyThresholdStep() const
{
    return m_NegativeEnergyThresholdStep;
}

ASICAnodeChannel& ASICAnodeData::AccessChannel(int a_ChannelNo)
{
    return m_Channels.at(static_cast<size_t>(a_ChannelNo - 1));
}

const ASICAnodeChannel& ASICAnodeData::GetChannel(int a_ChannelNo) const
{
    return m_Channels.at(static_cast<size_t>(a_ChannelNo - 1));
}

int ASICAnodeData::GetNoOfChannels() const
{
    return static_cast<int>(m_Channels.size());
}

ASICAnodeData& ASICAnodeData::operator=(const ASICAnodeData& a_Other)
{
    ASICChannelData::operator=(a_Other);
    m_TestPulseEdge = a_Other.m_TestPulseEdge;
    m_PositiveEnergyThresholdStep = a_Other.m_PositiveEnergyThresholdStep;
    m_NegativeEnergyThresholdStep = a_Other.m_NegativeEnergyThresholdStep;
    const int count = std::min(GetNoOfChannels(), a_Other.GetNoOfChannels());
    for (int no = 1; no <= count; ++no)
        AccessChannel(no) = a_Other.GetChannel(no);
    return *this;
}
