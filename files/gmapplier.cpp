#include "files/gmapplier.h"

#include <algorithm>

#include "asic/asic.h"
#include "gammamodule/gammamodule.h"

std::vector<GammaModule*> GMApplier::PairRecords(const std::vector<ParsedGM>& a_Records,
                                                 const std::vector<GammaModule*>& a_GMs)
{
    std::vector<int> storedIDs;
    std::vector<int> gmIDs;
    for (const ParsedGM& record : a_Records)
        storedIDs.push_back(record.m_ID);
    for (const GammaModule* gm : a_GMs)
        gmIDs.push_back(gm->GetID());
    std::sort(storedIDs.begin(), storedIDs.end());
    std::sort(gmIDs.begin(), gmIDs.end());
    const bool byID = storedIDs == gmIDs && std::adjacent_find(gmIDs.begin(), gmIDs.end()) == gmIDs.end();

    std::vector<GammaModule*> targets;
    for (size_t index = 0; index < a_Records.size() && index < a_GMs.size(); ++index) {
        if (!byID) {
            targets.push_back(a_GMs[index]);
            continue;
        }
        const int id = a_Records[index].m_ID;
        targets.push_back(*std::find_if(a_GMs.begin(), a_GMs.end(),
                                        [id](const GammaModule* a_GM) { return a_GM->GetID() == id; }));
    }
    return targets;
}

void GMApplier::ApplyGM(const ParsedGM& a_Record, GammaModule* a_pGM)
{
    if (!a_pGM)
        return;
    a_pGM->SetOptions(a_Record.m_Options);
    a_pGM->SetReadoutOptions(a_Record.m_ReadoutOptions);
    a_pGM->SetReadoutMode(static_cast<GMReadoutMode>(a_Record.m_ReadoutMode));
    a_pGM->SetCathodeMode(static_cast<GMCathodeMode>(a_Record.m_CathodeMode));
    a_pGM->SetPulserFrequency(static_cast<GMPulserFrequency>(a_Record.m_PulserFrequency));
    a_pGM->SetPulserOptions(a_Record.m_PulserOptions);
    a_pGM->SetDelayTime(a_Record.m_DelayTime);
    a_pGM->SetTimestampResolution(a_Record.m_TimestampResolution);
    a_pGM->SetNoOfPulses(a_Record.m_NoOfPulses);
    a_pGM->SetDefaultGM(a_Record.m_DefaultGM);
    a_pGM->SetADC1Channel(a_Record.m_ADC1Channel);
    a_pGM->SetADC2Channel(a_Record.m_ADC2Channel);
    ApplyASIC(a_Record.m_ASIC, a_pGM->AccessASIC());
}

void GMApplier::ApplyASIC(const ParsedASIC& a_Record, ASIC* a_pASIC)
{
    if (!a_pASIC)
        return;
    a_pASIC->SetCathodeTestClockType(static_cast<CathodeTestClockType>(a_Record.m_CathodeTestClockType));
    // Before the timing values: switching high gain rescales them.
    a_pASIC->SetGlobalOptions(a_Record.m_GlobalOptions);
    a_pASIC->SetReadoutMode(static_cast<GMASICReadoutMode>(a_Record.m_ReadoutMode));
    ApplyAnalogOutput(a_Record.m_AnalogOutput, a_pASIC);
    a_pASIC->SetTimingChannelUnipolarGain(static_cast<TimingChannelUnipolarGain>(a_Record.m_TimingChannelUnipolarGain));
    a_pASIC->SetTimingChannelBiPolarGain(static_cast<TimingChannelBipolarGain>(a_Record.m_TimingChannelBiPolarGain));
    a_pASIC->SetChannelGain(static_cast<ChannelGain>(a_Record.m_ChannelGain));
    a_pASIC->SetInternalLeakageCurrentGenerator(
        static_cast<InternalLeakageCurrentGenerator>(a_Record.m_InternalLeakageCurrentGenerator));
    a_pASIC->SetMultipleFiringSuppressTime(
        static_cast<MultipleFiringSuppressionTime>(a_Record.m_MultipleFiringSuppressTime));
    ApplyAnodeData(a_Record.m_Anode, a_pASIC);
    ApplyCathodeData(a_Record.m_Cathode, a_pASIC);
}

// The dedicated monitor setters also select their analog output, so the one
// the record names is set last.
void GMApplier::ApplyAnalogOutput(const ParsedAnalogOutput& a_Record, ASIC* a_pASIC)
{
    if (a_Record.m_IsMonitorCode) {
        ApplyMonitorCode(a_Record, a_pASIC);
        return;
    }
    const DACS dac = static_cast<DACS>(a_Record.m_DAC);
    const CathodeEnergyTiming timing = static_cast<CathodeEnergyTiming>(a_Record.m_CathodeEnergyTiming);
    switch (a_Record.m_AnalogOutput) {
    case ANALOG_OUTPUT_1:
    case ANALOG_OUTPUT_2:
    case ANALOG_OUTPUT_3:
        if (dac != 0)
            a_pASIC->SetDACToMonitor(dac);
        if (timing != 0)
            a_pASIC->SetCathodeEnergyTimingToMonitor(timing);
        a_pASIC->SetAnodeChannelToMonitor(a_Record.m_AnodeChannel);
        a_pASIC->SetAnalogOutputToMonitor(static_cast<AnalogOutput>(a_Record.m_AnalogOutput));
        break;
    case ANALOG_OUTPUT_DAC:
        if (timing != 0)
            a_pASIC->SetCathodeEnergyTimingToMonitor(timing);
        a_pASIC->SetAnodeChannelToMonitor(a_Record.m_AnodeChannel);
        a_pASIC->SetDACToMonitor(dac);
        break;
    case ANALOG_OUTPUT_CATHODE_ENERGY_TIMING:
        if (dac != 0)
            a_pASIC->SetDACToMonitor(dac);
        a_pASIC->SetAnodeChannelToMonitor(a_Record.m_AnodeChannel);
        a_pASIC->SetCathodeEnergyTimingToMonitor(timing);
        break;
    case ANALOG_OUTPUT_ANODE_CHANNEL:
        if (dac != 0)
            a_pASIC->SetDACToMonitor(dac);
        if (timing != 0)
            a_pASIC->SetCathodeEnergyTimingToMonitor(timing);
        a_pASIC->SetAnodeChannelToMonitor(a_Record.m_AnodeChannel);
        break;
    default:
        break;
    }
}

// Format version 1: one monitor code for the output and its signal.
void GMApplier::ApplyMonitorCode(const ParsedAnalogOutput& a_Record, ASIC* a_pASIC)
{
    a_pASIC->SetAnodeChannelToMonitor(a_Record.m_AnodeChannel);
    const int code = a_Record.m_MonitorCode;
    if (code == 0)
        a_pASIC->SetAnalogOutputToMonitor(ANALOG_OUTPUT_1);
    else if (code >= 2 && code <= 5)
        a_pASIC->SetCathodeEnergyTimingToMonitor(static_cast<CathodeEnergyTiming>(code - 1));
    else if (code >= 6 && code <= 14)
        a_pASIC->SetDACToMonitor(static_cast<DACS>(code - 5));
    // Code 1 keeps the anode channel as the monitored output.
}

void GMApplier::ApplyChannelGroup(const ParsedChannelGroup& a_Record, ChannelType a_Type, ASIC* a_pASIC)
{
    a_pASIC->SetChannelTestPulseStep(a_Type, a_Record.m_TestPulseStep);
    a_pASIC->SetPeakDetectTimeout(a_Type, a_Record.m_PeakDetectTimeout);
    a_pASIC->SetTimeDetectRampLength(a_Type, a_Record.m_TimeDetectRampLength);
    a_pASIC->SetPeakingTime(a_Type, a_Record.m_PeakingTime);
}

void GMApplier::ApplyAnodeData(const ParsedAnodeData& a_Record, ASIC* a_pASIC)
{
    ApplyChannelGroup(a_Record.m_Group, CHANNEL_TYPE_ANODE, a_pASIC);
    ASICAnodeData* data = a_pASIC->AccessAnodeChannelData();
    data->SetTestPulseEdge(static_cast<TestPulseEdge>(a_Record.m_TestPulseEdge));
    data->SetPositiveEnergyThresholdStep(a_Record.m_PositiveEnergyThresholdStep);
    data->SetNegativeEnergyThresholdStep(a_Record.m_NegativeEnergyThresholdStep);
    const int count = std::min(static_cast<int>(a_Record.m_Channels.size()), data->GetNoOfChannels());
    for (int index = 0; index < count; ++index) {
        const ParsedAnodeChannel& record = a_Record.m_Channels[static_cast<size_t>(index)];
        ASICAnodeChannel& channel = data->AccessChannel(index + 1);
        channel.SetOptions(record.m_Options);
        channel.SetPositivePulseThresholdTrimStep(record.m_PositivePulseThresholdTrimStep);
        channel.SetSignalToMonitor(static_cast<Signal>(record.m_SignalMonitored));
        channel.SetNegativePulseThresholdTrimStep(record.m_NegativePulseThresholdTrimStep);
    }
}

void GMApplier::ApplyCathodeData(const ParsedCathodeData& a_Record, ASIC* a_pASIC)
{
    ApplyChannelGroup(a_Record.m_Group, CHANNEL_TYPE_CATHODE, a_pASIC);
    ASICCathodeData* data = a_pASIC->AccessCathodeChannelData();
    data->SetTestModeInput(static_cast<TestModeInput>(a_Record.m_TestModeInput));
    data->SetTimingShaperPeakingTime(static_cast<TimingChannelsShaperPeakingTime>(a_Record.m_TimingShaperPeakingTime));
    data->SetEnergyThresholdStep(a_Record.m_EnergyThresholdStep);
    data->SetTimingUnipolarThresholdStep(a_Record.m_TimingUnipolarThresholdStep);
    data->SetTimingPrimaryBiPolarMultiThresholdStep(a_Record.m_TimingPrimaryBiPolarMultiThresholdStep);
    data->SetTimingSecondaryMultiThresholdDisplacementStep(a_Record.m_TimingSecondaryMultiThresholdDisplacementStep);
    const int count = std::min(static_cast<int>(a_Record.m_Channels.size()), data->GetNoOfChannels());
    for (int index = 0; index < count; ++index) {
        const ParsedCathodeChannel& record = a_Record.m_Channels[static_cast<size_t>(index)];
        ASICCathodeChannel& channel = data->AccessChannel(index + 1);
        channel.SetOptions(record.m_Options);
        channel.SetPositivePulseThresholdTrimStep(record.m_PositivePulseThresholdTrimStep);
        channel.SetShapedTimingSignal(static_cast<CathodeChannel::ShapedTimingSignal>(record.m_ShapedTimingSignal));
        channel.SetTimingMode(static_cast<CathodeChannel::TimingMode>(record.m_TimingMode));
        channel.SetTimingUnipolarThresholdTrimStep(record.m_TimingUnipolarThresholdTrimStep);
        channel.SetTimingFirstMultiThresholdTrimStep(record.m_TimingFirstMultiThresholdTrimStep);
        channel.SetTimingSecondMultiThresholdTrimStep(record.m_TimingSecondMultiThresholdTrimStep);
        channel.SetTimingThirdMultiThresholdTrimStep(record.m_TimingThirdMultiThresholdTrimStep);
        channel.SetInternalLeakageCurrentGenerator(
            static_cast<CathodeChannel::InternalLeakageCurrentGenerator>(record.m_InternalLeakageCurrentGenerator));
    }
}
