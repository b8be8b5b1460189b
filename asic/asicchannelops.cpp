// ASIC operations on the channel groups and on single channels.
#include "asic/asic.h"

#include "asic/asictimingtables.h"

using namespace CathodeChannel;

// ---- Channel-group settings ----

ASICAnodeData* ASIC::AccessAnodeChannelData()
{
    return &m_AnodeData;
}

const ASICAnodeData& ASIC::GetAnodeChannelData() const
{
    return m_AnodeData;
}

ASICCathodeData* ASIC::AccessCathodeChannelData()
{
    return &m_CathodeData;
}

const ASICCathodeData& ASIC::GetCathodeChannelData() const
{
    return m_CathodeData;
}

ASICChannelData* ASIC::AccessChannelData(ChannelType a_Type)
{
    if (a_Type == CHANNEL_TYPE_ANODE)
        return &m_AnodeData;
    if (a_Type == CHANNEL_TYPE_CATHODE)
        return &m_CathodeData;
    return nullptr;
}

bool ASIC::SetChannelTestPulseStep(ChannelType a_Type, int a_Step)
{
    ASICChannelData* group = AccessChannelData(a_Type);
    if (group == nullptr)
        return false;
    if (!group->SetTestPulseStep(a_Step))
        return Fail(group->GetLastError());
    return true;
}

int ASIC::GetChannelTestPulseStep(ChannelType a_Type) const
{
    if (a_Type == CHANNEL_TYPE_ANODE)
        return m_AnodeData.GetTestPulseStep();
    if (a_Type == CHANNEL_TYPE_CATHODE)
        return m_CathodeData.GetTestPulseStep();
    return 0;
}

bool ASIC::SetChannelThresholdStep(ChannelThresholdType a_Type, int a_Step)
{
    bool ok = true;
    ASICChannelData* group = &m_CathodeData;
    switch (a_Type) {
    case CHANNEL_THRESHOLD_TYPE_CATHODE_TIMING_PRIMARY_BIPOLAR:
        ok = m_CathodeData.SetTimingPrimaryBiPolarMultiThresholdStep(a_Step);
        break;
    case CHANNEL_THRESHOLD_TYPE_CATHODE_TIMING_UNIPOLAR:
        ok = m_CathodeData.SetTimingUnipolarThresholdStep(a_Step);
        break;
    case CHANNEL_THRESHOLD_TYPE_CATHODE_ENERGY:
        ok = m_CathodeData.SetEnergyThresholdStep(a_Step);
        break;
    case CHANNEL_THRESHOLD_TYPE_ANODE_NEGATIVE_ENERGY:
        group = &m_AnodeData;
        ok = m_AnodeData.SetNegativeEnergyThresholdStep(a_Step);
        break;
    case CHANNEL_THRESHOLD_TYPE_ANODE_POSITIVE_ENERGY:
        group = &m_AnodeData;
        ok = m_AnodeData.SetPositiveEnergyThresholdStep(a_Step);
        break;
    }
    return ok ? true : Fail(group->GetLastError());
}

int ASIC::GetChannelThresholdStep(ChannelThresholdType a_Type) const
{
    switch (a_Type) {
    case CHANNEL_THRESHOLD_TYPE_CATHODE_TIMING_PRIMARY_BIPOLAR:
        return m_CathodeData.GetTimingPrimaryBiPolarMultiThresholdStep();
    case CHANNEL_THRESHOLD_TYPE_CATHODE_TIMING_UNIPOLAR:
        return m_CathodeData.GetTimingUnipolarThresholdStep();
    case CHANNEL_THRESHOLD_TYPE_CATHODE_ENERGY:
        return m_CathodeData.GetEnergyThresholdStep();
    case CHANNEL_THRESHOLD_TYPE_ANODE_NEGATIVE_ENERGY:
        return m_AnodeData.GetNegativeEnergyThresholdStep();
    case CHANNEL_THRESHOLD_TYPE_ANODE_POSITIVE_ENERGY:
        return m_AnodeData.GetPositiveEnergyThresholdStep();
    }
    return 0;
}

bool ASIC::SetPeakDetectTimeout(ChannelType a_Type, int a_Timeout)
{
    if (ASICTimingTables::PeakDetectTimeoutIndex(a_Timeout, IsHighGainEnabled()) < 0)
        return Fail("Peak detect timeout must be one of "
            + ASICTimingTables::PeakDetectTimeoutList(IsHighGainEnabled()));
    if (ASICChannelData* group = AccessChannelData(a_Type))
        group->SetPeakDetectTimeout(a_Timeout);
    return true;
}

int ASIC::GetPeakDetectTimeout(ChannelType a_Type) const
{
    if (a_Type == CHANNEL_TYPE_ANODE)
        return m_AnodeData.GetPeakDetectTimeout();
    if (a_Type == CHANNEL_TYPE_CATHODE)
        return m_CathodeData.GetPeakDetectTimeout();
    return 0;
}

bool ASIC::SetTimeDetectRampLength(ChannelType a_Type, int a_Length)
{
    if (ASICTimingTables::TimeDetectRampLengthIndex(a_Length, IsHighGainEnabled()) < 0)
        return Fail("Time detect ramp length must be one of "
            + ASICTimingTables::TimeDetectRampLengthList(IsHighGainEnabled()));
    if (ASICChannelData* group = AccessChannelData(a_Type))
        group->SetTimeDetectRampLength(a_Length);
    return true;
}

int ASIC::GetTimeDetectRampLength(ChannelType a_Type) const
{
    if (a_Type == CHANNEL_TYPE_ANODE)
        return m_AnodeData.GetTimeDetectRampLength();
    if (a_Type == CHANNEL_TYPE_CATHODE)
        return m_CathodeData.GetTimeDetectRampLength();
    return 0;
}

bool ASIC::SetPeakingTime(ChannelType a_Type, double a_Time)
{
    if (ASICTimingTables::PeakingTimeIndex(a_Time, IsHighGainEnabled()) < 0)
        return Fail("Peaking time must be one of " + ASICTimingTables::PeakingTimeList(IsHighGainEnabled()));
    if (ASICChannelData* group = AccessChannelData(a_Type))
        group->SetPeakingTime(a_Time);
    return true;
}

double ASIC::GetPeakingTime(ChannelType a_Type) const
{
    if (a_Type == CHANNEL_TYPE_ANODE)
        return m_AnodeData.GetPeakingTime();
    if (a_Type == CHANNEL_TYPE_CATHODE)
        return m_CathodeData.GetPeakingTime();
    return 0.0;
}

bool ASIC::SetAnodeTestPulseEdge(TestPulseEdge a_Edge)
{
    return m_AnodeData.SetTestPulseEdge(a_Edge) ? true : Fail(m_AnodeData.GetLastError());
}

TestPulseEdge ASIC::GetAnodeTestPulseEdge() const
{
    return m_AnodeData.GetTestPulseEdge();
}

bool ASIC::SetCathodeTestModeInput(TestModeInput a_Input)
{
    return m_CathodeData.SetTestModeInput(a_Input) ? true : Fail(m_CathodeData.GetLastError());
}

TestModeInput ASIC::GetCathodeTestModeInput() const
{
    return m_CathodeData.GetTestModeInput();
}

bool ASIC::SetCathodeTimingChannelsShaperPeakingTime(TimingChannelsShaperPeakingTime a_Time)
{
    return m_CathodeData.SetTimingShaperPeakingTime(a_Time) ? true : Fail(m_CathodeData.GetLastError());
}

TimingChannelsShaperPeakingTime ASIC::GetCathodeTimingChannelsShaperPeakingTime() const
{
    return m_CathodeData.GetTimingShaperPeakingTime();
}

bool ASIC::SetCathodeTimingChannelsSecondaryMultiThresholdDisplacementStep(int a_Step)
{
    return m_CathodeData.SetTimingSecondaryMultiThresholdDisplacementStep(a_Step)
        ? true
        : Fail(m_CathodeData.GetLastError());
}

int ASIC::GetCathodeTimingChannelsSecondaryMultiThresholdDisplacementStep() const
{
    return m_CathodeData.GetTimingSecondaryMultiThresholdDisplacementStep();
}

int ASIC::GetCathodeTimeDetectRampLength() const
{
    return m_CathodeData.GetTimeDetectRampLength();
}

// ---- Channel-addressed operations ----

bool ASIC::ValidChannel(ChannelType a_Type, int a_ChannelNo)
{
    const bool anode = a_Type == CHANNEL_TYPE_ANODE;
    const int limit = anode ? ASIC_ANODE_CHANNEL_COUNT : ASIC_CATHODE_CHANNEL_COUNT;
    if (a_ChannelNo < 1 || a_ChannelNo > limit)
        return Fail(QString("Invalid ") + (anode ? "Anode" : "Cathode")
            + QString(" Channel, value must be between 1 and %1").arg(limit));
    return true;
}

bool ASIC::MaskChannel(ChannelType a_Type, int a_ChannelNo, bool a_Masked)
{
    if (!ValidChannel(a_Type, a_ChannelNo))
        return false;
    if (a_Type == CHANNEL_TYPE_ANODE)
        m_AnodeData.AccessChannel(a_ChannelNo).SetMasked(a_Masked);
    else if (a_Type == CHANNEL_TYPE_CATHODE)
        m_CathodeData.AccessChannel(a_ChannelNo).SetMasked(a_Masked);
    else
        return false;
    return true;
}

bool ASIC::IsChannelMasked(ChannelType a_Type, int a_ChannelNo, bool* a_Masked)
{
    if (!ValidChannel(a_Type, a_ChannelNo) || !CheckPointer(a_Masked))
        return false;
    if (a_Type == CHANNEL_TYPE_ANODE)
        *a_Masked = m_AnodeData.GetChannel(a_ChannelNo).IsMasked();
    else if (a_Type == CHANNEL_TYPE_CATHODE)
        *a_Masked = m_CathodeData.GetChannel(a_ChannelNo).IsMasked();
    else
        return false;
    return true;
}

bool ASIC::EnableChannelTestCapacitor(ChannelType a_Type, int a_ChannelNo, bool a_Enable)
{
    if (!ValidChannel(a_Type, a_ChannelNo))
        return false;
    if (a_Type == CHANNEL_TYPE_ANODE)
        m_AnodeData.AccessChannel(a_ChannelNo).EnableTestCapacitor(a_Enable);
    else if (a_Type == CHANNEL_TYPE_CATHODE)
        m_CathodeData.AccessChannel(a_ChannelNo).EnableTestCapacitor(a_Enable);
    else
        return false;
    return true;
}

bool ASIC::IsChannelTestCapacitorEnabled(ChannelType a_Type, int a_ChannelNo, bool* a_Enabled)
{
    if (!ValidChannel(a_Type, a_ChannelNo) || !CheckPointer(a_Enabled))
        return false;
    if (a_Type == CHANNEL_TYPE_ANODE)
        *a_Enabled = m_AnodeData.GetChannel(a_ChannelNo).IsTestCapacitorEnabled();
    else if (a_Type == CHANNEL_TYPE_CATHODE)
        *a_Enabled = m_CathodeData.GetChannel(a_ChannelNo).IsTestCapacitorEnabled();
    else
        return false;
    return true;
}

bool ASIC::SetChannelPositivePulseThresholdTrimStep(ChannelType a_Type, int a_ChannelNo, int a_Step)
{
    if (!ValidChannel(a_Type, a_ChannelNo))
        return false;
    ASICChannel* channel = nullptr;
    if (a_Type == CHANNEL_TYPE_ANODE)
        channel = &m_AnodeData.AccessChannel(a_ChannelNo);
    else if (a_Type == CHANNEL_TYPE_CATHODE)
        channel = &m_CathodeData.AccessChannel(a_ChannelNo);
    else
        return true;
    return channel->SetPositivePulseThresholdTrimStep(a_Step) ? true : Fail(channel->GetLastError());
}

bool ASIC::GetChannelPositivePulseThresholdTrimStep(ChannelType a_Type, int a_ChannelNo, int* a_Step)
{
    if (!ValidChannel(a_Type, a_ChannelNo) || !CheckPointer(a_Step))
        return false;
    if (a_Type == CHANNEL_TYPE_ANODE)
        *a_Step = m_AnodeData.GetChannel(a_ChannelNo).GetPostivePulseThresholdTrimStep();
    else if (a_Type == CHANNEL_TYPE_CATHODE)
        *a_Step = m_CathodeData.GetChannel(a_ChannelNo).GetPostivePulseThresholdTrimStep();
    return true;
}

bool ASIC::SetAnodeChannelSignal(int a_ChannelNo, Signal a_Signal)
{
    if (!ValidChannel(CHANNEL_TYPE_ANODE, a_ChannelNo))
        return false;
    ASICAnodeChannel& channel = m_AnodeData.AccessChannel(a_ChannelNo);
    return channel.SetSignalToMonitor(a_Signal) ? true : Fail(channel.GetLastError());
}

bool ASIC::GetAnodeChannelSignal(int a_ChannelNo, Signal* a_Signal)
{
    if (!ValidChannel(CHANNEL_TYPE_ANODE, a_ChannelNo) || !CheckPointer(a_Signal))
        return false;
    *a_Signal = m_AnodeData.GetChannel(a_ChannelNo).GetSignalMonitored();
    return true;
}

bool ASIC::SetAnodeChannelNegativePulseThresholdTrimStep(int a_ChannelNo, int a_Step)
{
    if (!ValidChannel(CHANNEL_TYPE_ANODE, a_ChannelNo))
        return false;
    ASICAnodeChannel& channel = m_AnodeData.AccessChannel(a_ChannelNo);
    return channel.SetNegativePulseThresholdTrimStep(a_Step) ? true : Fail(channel.GetLastError());
}

bool ASIC::GetAnodeChannelNegativePulseThresholdTrimStep(int a_ChannelNo, int* a_Step)
{
    if (!ValidChannel(CHANNEL_TYPE_ANODE, a_ChannelNo) || !CheckPointer(a_Step))
        return false;
    *a_Step = m_AnodeData.GetChannel(a_ChannelNo).GetNegativePulseThresholdTrimStep();
    return true;
}

bool ASIC::SetCathodeChannelShapedTimingSignal(int a_ChannelNo, ShapedTimingSignal a_Signal)
{
    if (!ValidChannel(CHANNEL_TYPE_CATHODE, a_ChannelNo))
        return false;
    ASICCathodeChannel& channel = m_CathodeData.AccessChannel(a_ChannelNo);
    return channel.SetShapedTimingSignal(a_Signal) ? true : Fail(channel.GetLastError());
}

bool ASIC::GetCathodeChannelShapedTimingSignal(int a_ChannelNo, ShapedTimingSignal* a_Signal)
{
    if (!ValidChannel(CHANNEL_TYPE_CATHODE, a_ChannelNo) || !CheckPointer(a_Signal))
        return false;
    *a_Signal = m_CathodeData.GetChannel(a_ChannelNo).GetShapedTimingSignal();
    return true;
}

bool ASIC::SetCathodeChannelTimingMode(int a_ChannelNo, TimingMode a_Mode)
{
    if (!ValidChannel(CHANNEL_TYPE_CATHODE, a_ChannelNo))
        return false;
    ASICCathodeChannel& channel = m_CathodeData.AccessChannel(a_ChannelNo);
    return channel.SetTimingMode(a_Mode) ? true : Fail(channel.GetLastError());
}

bool ASIC::GetCathodeChannelTimingMode(int a_ChannelNo, TimingMode* a_Mode)
{
    if (!ValidChannel(CHANNEL_TYPE_CATHODE, a_ChannelNo) || !CheckPointer(a_Mode))
        return false;
    *a_Mode = m_CathodeData.GetChannel(a_ChannelNo).GetTimingMode();
    return true;
}

bool ASIC::SetCathodeTimingChannelTrimStep(CathodeTimingChannelType a_Type, int a_ChannelNo, int a_Step)
{
    if (!ValidChannel(CHANNEL_TYPE_CATHODE, a_ChannelNo))
        return false;
    ASICCathodeChannel& channel = m_CathodeData.AccessChannel(a_ChannelNo);
    bool ok = true;
    switch (a_Type) {
    case CATHODE_TIMING_CHANNEL_TYPE_FIRST_MULTI_THRESHOLD:
        ok = channel.SetTimingFirstMultiThresholdTrimStep(a_Step);
        break;
    case CATHODE_TIMING_CHANNEL_TYPE_SECOND_MULTI_THRESHOLD:
        ok = channel.SetTimingSecondMultiThresholdTrimStep(a_Step);
        break;
    case CATHODE_TIMING_CHANNEL_TYPE_THIRD_MULTI_THRESHOLD:
        ok = channel.SetTimingThirdMultiThresholdTrimStep(a_Step);
        break;
    case CATHODE_TIMING_CHANNEL_TYPE_UNIPOLAR:
        ok = channel.SetTimingUnipolarThresholdTrimStep(a_Step);
        break;
    }
    return ok ? true : Fail(channel.GetLastError());
}

bool ASIC::GetCathodeTimingChannelTrimStep(CathodeTimingChannelType a_Type, int a_ChannelNo, int* a_Step)
{
    if (!ValidChannel(CHANNEL_TYPE_CATHODE, a_ChannelNo) || !CheckPointer(a_Step))
        return false;
    const ASICCathodeChannel& channel = m_CathodeData.GetChannel(a_ChannelNo);
    switch (a_Type) {
    case CATHODE_TIMING_CHANNEL_TYPE_FIRST_MULTI_THRESHOLD:
        *a_Step = channel.GetTimingFirstMultiThresholdTrimStep();
        break;
    case CATHODE_TIMING_CHANNEL_TYPE_SECOND_MULTI_THRESHOLD:
        *a_Step = channel.GetTimingSecondMultiThresholdTrimStep();
        break;
    case CATHODE_TIMING_CHANNEL_TYPE_THIRD_MULTI_THRESHOLD:
        *a_Step = channel.GetTimingThirdMultiThresholdTrimStep();
        break;
    case CATHODE_TIMING_CHANNEL_TYPE_UNIPOLAR:
        *a_Step = channel.GetTimingUnipolarThresholdTrimStep();
        break;
    }
    return true;
}

bool ASIC::SetCathodeChannelInternalLeakageCurrentGenerator(int a_ChannelNo,
    CathodeChannel::InternalLeakageCurrentGenerator a_Generator)
{
    if (!ValidChannel(CHANNEL_TYPE_CATHODE, a_ChannelNo))
        return false;
    ASICCathodeChannel& channel = m_CathodeData.AccessChannel(a_ChannelNo);
    return channel.SetInternalLeakageCurrentGenerator(a_Generator) ? true : Fail(channel.GetLastError());
}

bool ASIC::GetCathodeChannelInternalLeakageCurrentGenerator(int a_ChannelNo,
    CathodeChannel::InternalLeakageCurrentGenerator* a_Generator)
{
    if (!ValidChannel(CHANNEL_TYPE_CATHODE, a_ChannelNo) || !CheckPointer(a_Generator))
        return false;
    *a_Generator = m_CathodeData.GetChannel(a_ChannelNo).GetInternalLeakageCurrentGenerator();
    return true;
}
