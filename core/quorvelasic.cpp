// Controller operations on the ASICs of the gamma modules: channel selection,
// global and channel settings with their fan-outs over channels and GMs, and
// the ASIC register images (29 global, 30 channel) on the wire.
#include "core/quorvel.h"
#include "core/registermap.h"

#include "gammamodule/gammamodules.h"
#include "gammamodule/gmasicregister.h"
#include "gammamodule/gmregisterbits.h"

namespace {


const char* const anodeOnlyText = "Attempting to set anode channel value with cathode set as active type";
const char* const cathodeOnlyText = "Attempting to set cathode channel value with anode set as active type";

int channelCount(ChannelType a_Type)
{
    return a_Type == CHANNEL_TYPE_ANODE ? ASIC_ANODE_CHANNEL_COUNT : ASIC_CATHODE_CHANNEL_COUNT;
}

} // namespace

// ---- Helpers ----

bool Quorvel::ForEachChannel(const std::function<bool()>& a_Operation)
{
    const int activeChannel = m_ActiveChannel;
    m_ChannelUpdateType = CHANNEL_UPDATE_TYPE_SINGLE;
    bool allSucceeded = true;
    const int count = channelCount(m_ActiveChannelType);
    for (int channel = 1; channel <= count; ++channel) {
        m_ActiveChannel = channel;
        const bool succeeded = a_Operation();
        allSucceeded = allSucceeded && succeeded;
        // A first channel that fails ends the fan-out; after a success every channel is visited.
        if (channel == 1 && !succeeded)
            break;
    }
    m_ActiveChannel = activeChannel;
    m_ChannelUpdateType = CHANNEL_UPDATE_TYPE_ALL;
    return allSucceeded;
}

bool Quorvel::ChangeASICGlobal(const std::function<bool(ASIC&)>& a_Change)
{
    if (m_GMUpdateType != GM_UPDATE_TYPE_ACTIVE_GM)
        return ForEachGM([&] { return ChangeASICGlobal(a_Change); });
    if (!IsActiveGMSet())
        return false;
    auto lock = GammaModules::GetInstance()->AccessLock();
    GammaModule* gm = FindActiveGM();
    if (!gm)
        return false;
    ASIC* asic = gm->AccessASIC();
    if (!a_Change(*asic))
        return FailOp(asic->GetLastError());
    return UpdateActiveGMASICGlobalRegister(*gm);
}

bool Quorvel::ChangeASICChannel(int a_RequiredType, const std::function<bool(ASIC&, ChannelType, int)>& a_Change)
{
    // The type check comes before everything else, the GM update type included.
    if (a_RequiredType == CHANNEL_TYPE_ANODE && m_ActiveChannelType != CHANNEL_TYPE_ANODE)
        return FailOp(QString::fromLatin1(anodeOnlyText));
    if (a_RequiredType == CHANNEL_TYPE_CATHODE && m_ActiveChannelType != CHANNEL_TYPE_CATHODE)
        return FailOp(QString::fromLatin1(cathodeOnlyText));
    if (m_GMUpdateType != GM_UPDATE_TYPE_ACTIVE_GM)
        return ForEachGM([&] { return ChangeASICChannel(a_RequiredType, a_Change); });
    if (!IsActiveGMSet())
        return false;
    if (m_ChannelUpdateType == CHANNEL_UPDATE_TYPE_ALL)
        return ForEachChannel([&] { return ChangeASICChannel(a_RequiredType, a_Change); });
    auto lock = GammaModules::GetInstance()->AccessLock();
    GammaModule* gm = FindActiveGM();
    if (!gm)
        return false;
    ASIC* asic = gm->AccessASIC();
    if (!a_Change(*asic, m_ActiveChannelType, m_ActiveChannel))
        return FailOp(asic->GetLastError());
    return UpdateActiveGMASICChannelRegister(*gm);
}

bool Quorvel::ReadASIC(const void* a_Pointer, const std::function<void(const ASIC&)>& a_Read)
{
    if (!IsActiveGMSet())
        return false;
    if (!a_Pointer)
        return FailOp(QStringLiteral("Null pointer passed to function"));
    auto lock = GammaModules::GetInstance()->AccessLock();
    const GammaModule* gm = FindActiveGM();
    if (!gm)
        return false;
    a_Read(gm->GetASIC());
    return true;
}

bool Quorvel::ReadASICChannel(const void* a_Pointer, const std::function<bool(ASIC&)>& a_Read,
                             const char* a_TypeError)
{
    // The pointer is checked right after the active GM, before the channel
    // type and number, as every getter does.
    if (!IsActiveGMSet())
        return false;
    if (!a_Pointer)
        return FailOp(QStringLiteral("Null pointer passed to function"));
    if (a_TypeError)
        return FailOp(QString::fromLatin1(a_TypeError));
    auto lock = GammaModules::GetInstance()->AccessLock();
    GammaModule* gm = FindActiveGM();
    if (!gm)
        return false;
    ASIC* asic = gm->AccessASIC();
    if (!a_Read(*asic))
        return FailOp(asic->GetLastError());
    return true;
}

bool Quorvel::WriteASICImage(const GammaModule& a_GM, int a_Register, const QByteArray& a_Image)
{
    if (m_CameraUpdateMode != CAMERA_UPDATE_MODE_IMMEDIATE)
        return true;
    GMASICRegister request(a_Register, a_GM.GetID());
    request.AddDataBytes(a_Image);
    if (!m_CommunicationMGR.WriteSysControlRegister(request))
        return FailOp(m_CommunicationMGR.GetLastError());
    return true;
}

// ---- Selection ----

void Quorvel::SetChannelUpdateType(ChannelUpdateType a_Type)
{
    m_ChannelUpdateType = a_Type;
}

void Quorvel::SetActiveChannelType(ChannelType a_Type)
{
    m_ActiveChannelType = a_Type;
}

bool Quorvel::SetActiveChannel(int a_Channel)
{
    const int limit = channelCount(m_ActiveChannelType);
    if (a_Channel < 1 || a_Channel > limit)
        return FailOp(QStringLiteral("Channel number must be between %1 and %2").arg(1).arg(limit));
    m_ActiveChannel = a_Channel;
    return true;
}

// ---- Global settings ----

bool Quorvel::SetASICGlobalOptions(int a_Options)
{
    return ChangeASICGlobal([&](ASIC& a_ASIC) {
        a_ASIC.SetGlobalOptions(a_Options);
        return true;
    });
}

bool Quorvel::GetASICGlobalOptions(int* a_Options)
{
    return ReadASIC(a_Options, [&](const ASIC& a_ASIC) { *a_Options = a_ASIC.GetGlobalOptions(); });
}

bool Quorvel::SetASICReadoutMode(GMASICReadoutMode a_Mode)
{
    return ChangeASICGlobal([&](ASIC& a_ASIC) { return a_ASIC.SetReadoutMode(a_Mode); });
}

bool Quorvel::GetASICReadoutMode(GMASICReadoutMode* a_Mode)
{
    return ReadASIC(a_Mode, [&](const ASIC& a_ASIC) { *a_Mode = a_ASIC.GetReadoutMode(); });
}

bool Quorvel::SetTimingChannelUnipolarGain(TimingChannelUnipolarGain a_Gain)
{
    return ChangeASICGlobal([&](ASIC& a_ASIC) { return a_ASIC.SetTimingChannelUnipolarGain(a_Gain); });
}

bool Quorvel::GetTimingChannelUnipolarGain(TimingChannelUnipolarGain* a_Gain)
{
    return ReadASIC(a_Gain, [&](const ASIC& a_ASIC) { *a_Gain = a_ASIC.GetTimingChannelUnipolarGain(); });
}

bool Quorvel::SetTimingChannelBiPolarGain(TimingChannelBipolarGain a_Gain)
{
    return ChangeASICGlobal([&](ASIC& a_ASIC) { return a_ASIC.SetTimingChannelBiPolarGain(a_Gain); });
}

bool Quorvel::GetTimingChannelBiPolarGain(TimingChannelBipolarGain* a_Gain)
{
    return ReadASIC(a_Gain, [&](const ASIC& a_ASIC) { *a_Gain = a_ASIC.GetTimingChannelBiPolarGain(); });
}

bool Quorvel::SetChannelGain(ChannelGain a_Gain)
{
    return ChangeASICGlobal([&](ASIC& a_ASIC) { return a_ASIC.SetChannelGain(a_Gain); });
}

bool Quorvel::GetChannelGain(ChannelGain* a_Gain)
{
    return ReadASIC(a_Gain, [&](const ASIC& a_ASIC) { *a_Gain = a_ASIC.GetChannelGain(); });
}

bool Quorvel::SetInternalLeakageCurrentGenerator(InternalLeakageCurrentGenerator a_Generator)
{
    return ChangeASICGlobal([&](ASIC& a_ASIC) { return a_ASIC.SetInternalLeakageCurrentGenerator(a_Generator); });
}

bool Quorvel::GetInternalLeakageCurrentGenerator(InternalLeakageCurrentGenerator* a_Generator)
{
    return ReadASIC(a_Generator,
                    [&](const ASIC& a_ASIC) { *a_Generator = a_ASIC.GetInternalLeakageCurrentGenerator(); });
}

bool Quorvel::SetMultipleFiringSuppressTime(MultipleFiringSuppressionTime a_Time)
{
    return ChangeASICGlobal([&](ASIC& a_ASIC) { return a_ASIC.SetMultipleFiringSuppressTime(a_Time); });
}

bool Quorvel::GetMultipleFiringSuppressTime(MultipleFiringSuppressionTime* a_Time)
{
    return ReadASIC(a_Time, [&](const ASIC& a_ASIC) { *a_Time = a_ASIC.GetMultipleFiringSuppressTime(); });
}

bool Quorvel::SetCathodeTestClockType(CathodeTestClockType a_Type)
{
    return ChangeASICGlobal([&](ASIC& a_ASIC) { return a_ASIC.SetCathodeTestClockType(a_Type); });
}

bool Quorvel::GetCathodeTestClockType(CathodeTestClockType* a_Type)
{
    return ReadASIC(a_Type, [&](const ASIC& a_ASIC) { *a_Type = a_ASIC.GetCathodeTestClockType(); });
}

bool Quorvel::SetAnalogOutputToMonitor(AnalogOutput a_Output)
{
    return ChangeASICGlobal([&](ASIC& a_ASIC) { return a_ASIC.SetAnalogOutputToMonitor(a_Output); });
}

bool Quorvel::GetAnalogOutputMonitored(AnalogOutput* a_Output)
{
    return ReadASIC(a_Output, [&](const ASIC& a_ASIC) { *a_Output = a_ASIC.GetAnalogOutputMonitored(); });
}

bool Quorvel::SetAnodeChannelToMonitor(int a_Channel)
{
    return ChangeASICGlobal([&](ASIC& a_ASIC) { return a_ASIC.SetAnodeChannelToMonitor(a_Channel); });
}

bool Quorvel::GetAnodeChannelMonitored(int* a_Channel)
{
    return ReadASIC(a_Channel, [&](const ASIC& a_ASIC) { *a_Channel = a_ASIC.GetAnodeChannelMonitored(); });
}

bool Quorvel::SetCathodeEnergyTimingToMonitor(CathodeEnergyTiming a_Signal)
{
    return ChangeASICGlobal([&](ASIC& a_ASIC) { return a_ASIC.SetCathodeEnergyTimingToMonitor(a_Signal); });
}

bool Quorvel::GetCathodeEnergyTimingMonitored(CathodeEnergyTiming* a_Signal)
{
    return ReadASIC(a_Signal,
                    [&](const ASIC& a_ASIC) { *a_Signal = a_ASIC.GetCathodeEnergyTimingMonitored(); });
}

bool Quorvel::SetDACToMonitor(DACS a_DAC)
{
    return ChangeASICGlobal([&](ASIC& a_ASIC) { return a_ASIC.SetDACToMonitor(a_DAC); });
}

bool Quorvel::GetDACMonitored(DACS* a_DAC)
{
    return ReadASIC(a_DAC, [&](const ASIC& a_ASIC) { *a_DAC = a_ASIC.GetDACMonitored(); });
}

bool Quorvel::SetAnodeTestPulseEdge(TestPulseEdge a_Edge)
{
    return ChangeASICGlobal([&](ASIC& a_ASIC) { return a_ASIC.SetAnodeTestPulseEdge(a_Edge); });
}

bool Quorvel::GetAnodeTestPulseEdge(TestPulseEdge* a_Edge)
{
    return ReadASIC(a_Edge, [&](const ASIC& a_ASIC) { *a_Edge = a_ASIC.GetAnodeTestPulseEdge(); });
}

bool Quorvel::SetCathodeTestModeInput(TestModeInput a_Input)
{
    return ChangeASICGlobal([&](ASIC& a_ASIC) { return a_ASIC.SetCathodeTestModeInput(a_Input); });
}

bool Quorvel::GetCathodeTestModeInput(TestModeInput* a_Input)
{
    return ReadASIC(a_Input, [&](const ASIC& a_ASIC) { *a_Input = a_ASIC.GetCathodeTestModeInput(); });
}

bool Quorvel::SetCathodeTimingChannelsShaperPeakingTime(TimingChannelsShaperPeakingTime a_Time)
{
    return ChangeASICGlobal(
        [&](ASIC& a_ASIC) { return a_ASIC.SetCathodeTimingChannelsShaperPeakingTime(a_Time); });
}

bool Quorvel::GetCathodeTimingChannelsShaperPeakingTime(TimingChannelsShaperPeakingTime* a_Time)
{
    return ReadASIC(a_Time,
                    [&](const ASIC& a_ASIC) { *a_Time = a_ASIC.GetCathodeTimingChannelsShaperPeakingTime(); });
}

bool Quorvel::SetCathodeTimingChannelsSecondaryMultiThresholdsDisplacementStep(int a_Step)
{
    return ChangeASICGlobal([&](ASIC& a_ASIC) {
        return a_ASIC.SetCathodeTimingChannelsSecondaryMultiThresholdDisplacementStep(a_Step);
    });
}

bool Quorvel::GetCathodeTimingChannelsSecondaryMultiThresholdsDisplacementStep(int* a_Step)
{
    return ReadASIC(a_Step, [&](const ASIC& a_ASIC) {
        *a_Step = a_ASIC.GetCathodeTimingChannelsSecondaryMultiThresholdDisplacementStep();
    });
}

bool Quorvel::SetPeakDetectTimeout(ChannelType a_Type, int a_Timeout)
{
    return ChangeASICGlobal([&](ASIC& a_ASIC) { return a_ASIC.SetPeakDetectTimeout(a_Type, a_Timeout); });
}

bool Quorvel::GetPeakDetectTimeout(ChannelType a_Type, int* a_Timeout)
{
    return ReadASIC(a_Timeout, [&](const ASIC& a_ASIC) { *a_Timeout = a_ASIC.GetPeakDetectTimeout(a_Type); });
}

bool Quorvel::SetTimeDetectRampLength(ChannelType a_Type, int a_Length)
{
    return ChangeASICGlobal([&](ASIC& a_ASIC) { return a_ASIC.SetTimeDetectRampLength(a_Type, a_Length); });
}

bool Quorvel::GetTimeDetectRampLength(ChannelType a_Type, int* a_Length)
{
    return ReadASIC(a_Length,
                    [&](const ASIC& a_ASIC) { *a_Length = a_ASIC.GetTimeDetectRampLength(a_Type); });
}

bool Quorvel::SetPeakingTime(ChannelType a_Type, float a_Time)
{
    return ChangeASICGlobal(
        [&](ASIC& a_ASIC) { return a_ASIC.SetPeakingTime(a_Type, static_cast<double>(a_Time)); });
}

bool Quorvel::GetPeakingTime(ChannelType a_Type, float* a_Time)
{
    return ReadASIC(a_Time, [&](const ASIC& a_ASIC) {
        *a_Time = static_cast<float>(a_ASIC.GetPeakingTime(a_Type));
    });
}

bool Quorvel::SetTestPulseStep(ChannelType a_Type, int a_Step)
{
    return ChangeASICGlobal([&](ASIC& a_ASIC) { return a_ASIC.SetChannelTestPulseStep(a_Type, a_Step); });
}

bool Quorvel::GetTestPulseStep(ChannelType a_Type, int* a_Step)
{
    return ReadASIC(a_Step, [&](const ASIC& a_ASIC) { *a_Step = a_ASIC.GetChannelTestPulseStep(a_Type); });
}

bool Quorvel::SetChannelThresholdStep(ChannelThresholdType a_Type, int a_Step)
{
    return ChangeASICGlobal([&](ASIC& a_ASIC) { return a_ASIC.SetChannelThresholdStep(a_Type, a_Step); });
}

bool Quorvel::GetChannelThresholdStep(ChannelThresholdType a_Type, int* a_Step)
{
    return ReadASIC(a_Step, [&](const ASIC& a_ASIC) { *a_Step = a_ASIC.GetChannelThresholdStep(a_Type); });
}

bool Quorvel::SetCathodeChannelInternalLeakageCurrentGenerator(
    int a_Channel, CathodeChannel::InternalLeakageCurrentGenerator a_Generator)
{
    // The cathode channel is named, not taken from the active channel, and the
    // setting lives in the global image.
    return ChangeASICGlobal([&](ASIC& a_ASIC) {
        return a_ASIC.SetCathodeChannelInternalLeakageCurrentGenerator(a_Channel, a_Generator);
    });
}

bool Quorvel::SetCathodeChannelInternalLeakage(int a_Channel,
                                               CathodeChannel::InternalLeakageCurrentGenerator a_Generator)
{
    return SetCathodeChannelInternalLeakageCurrentGenerator(a_Channel, a_Generator);
}

// ---- Channel settings ----

bool Quorvel::MaskChannel(bool a_Masked)
{
    return ChangeASICChannel(-1, [&](ASIC& a_ASIC, ChannelType a_Type, int a_Channel) {
        return a_ASIC.MaskChannel(a_Type, a_Channel, a_Masked);
    });
}

bool Quorvel::IsChannelMasked(ChannelType a_Type, int a_Channel, bool* a_Masked)
{
    return ReadASICChannel(a_Masked, [&](ASIC& a_ASIC) { return a_ASIC.IsChannelMasked(a_Type, a_Channel, a_Masked); });
}

bool Quorvel::EnableChannelTestCapacitor(bool a_Enable)
{
    return ChangeASICChannel(-1, [&](ASIC& a_ASIC, ChannelType a_Type, int a_Channel) {
        return a_ASIC.EnableChannelTestCapacitor(a_Type, a_Channel, a_Enable);
    });
}

bool Quorvel::IsChannelTestCapacitorEnabled(ChannelType a_Type, int a_Channel, bool* a_Enabled)
{
    return ReadASICChannel(a_Enabled, [&](ASIC& a_ASIC) {
        return a_ASIC.IsChannelTestCapacitorEnabled(a_Type, a_Channel, a_Enabled);
    });
}

bool Quorvel::SetChannelPositivePulseThresholdTrimStep(int a_Step)
{
    return ChangeASICChannel(-1, [&](ASIC& a_ASIC, ChannelType a_Type, int a_Channel) {
        return a_ASIC.SetChannelPositivePulseThresholdTrimStep(a_Type, a_Channel, a_Step);
    });
}

bool Quorvel::GetChannelPositivePulseThresholdTrimStep(ChannelType a_Type, int a_Channel, int* a_Step)
{
    // The ASIC answers true for an unknown type without writing the value.
    const bool knownType = a_Type == CHANNEL_TYPE_ANODE || a_Type == CHANNEL_TYPE_CATHODE;
    return ReadASICChannel(
        a_Step,
        [&](ASIC& a_ASIC) { return a_ASIC.GetChannelPositivePulseThresholdTrimStep(a_Type, a_Channel, a_Step); },
        knownType ? nullptr : "Undefined channel type detected");
}

bool Quorvel::MonitorAnodeSignal(Signal a_Signal)
{
    return ChangeASICChannel(CHANNEL_TYPE_ANODE, [&](ASIC& a_ASIC, ChannelType, int a_Channel) {
        return a_ASIC.SetAnodeChannelSignal(a_Channel, a_Signal);
    });
}

bool Quorvel::GetAnodeSignalMonitored(int a_Channel, Signal* a_Signal)
{
    return ReadASICChannel(a_Signal, [&](ASIC& a_ASIC) { return a_ASIC.GetAnodeChannelSignal(a_Channel, a_Signal); });
}

bool Quorvel::SetAnodeChannelNegativePulseThresholdTrimStep(int a_Step)
{
    return ChangeASICChannel(CHANNEL_TYPE_ANODE, [&](ASIC& a_ASIC, ChannelType, int a_Channel) {
        return a_ASIC.SetAnodeChannelNegativePulseThresholdTrimStep(a_Channel, a_Step);
    });
}

bool Quorvel::GetAnodeChannelNegativePulseThresholdTrimStep(int a_Channel, int* a_Step)
{
    return ReadASICChannel(a_Step, [&](ASIC& a_ASIC) {
        return a_ASIC.GetAnodeChannelNegativePulseThresholdTrimStep(a_Channel, a_Step);
    });
}

bool Quorvel::SetCathodeChannelShapedTimingSignal(CathodeChannel::ShapedTimingSignal a_Signal)
{
    return ChangeASICChannel(CHANNEL_TYPE_CATHODE, [&](ASIC& a_ASIC, ChannelType, int a_Channel) {
        return a_ASIC.SetCathodeChannelShapedTimingSignal(a_Channel, a_Signal);
    });
}

bool Quorvel::GetCathodeChannelShapedTimingSignal(int a_Channel, CathodeChannel::ShapedTimingSignal* a_Signal)
{
    return ReadASICChannel(a_Signal, [&](ASIC& a_ASIC) {
        return a_ASIC.GetCathodeChannelShapedTimingSignal(a_Channel, a_Signal);
    });
}

bool Quorvel::SetCathodeChannelTimingMode(CathodeChannel::TimingMode a_Mode)
{
    return ChangeASICChannel(CHANNEL_TYPE_CATHODE, [&](ASIC& a_ASIC, ChannelType, int a_Channel) {
        return a_ASIC.SetCathodeChannelTimingMode(a_Channel, a_Mode);
    });
}

bool Quorvel::GetCathodeChannelTimingMode(int a_Channel, CathodeChannel::TimingMode* a_Mode)
{
    return ReadASICChannel(a_Mode, [&](ASIC& a_ASIC) { return a_ASIC.GetCathodeChannelTimingMode(a_Channel, a_Mode); });
}

bool Quorvel::SetCathodeTimingChannelTrimStep(CathodeTimingChannelType a_Type, int a_Step)
{
    return ChangeASICChannel(CHANNEL_TYPE_CATHODE, [&](ASIC& a_ASIC, ChannelType, int a_Channel) {
        return a_ASIC.SetCathodeTimingChannelTrimStep(a_Type, a_Channel, a_Step);
    });
}

bool Quorvel::GetCathodeTimingChannelTrimStep(int a_Channel, CathodeTimingChannelType a_Type, int* a_Step)
{
    // The ASIC answers true for an unknown type without writing the value.
    const bool knownType = a_Type >= CATHODE_TIMING_CHANNEL_TYPE_FIRST_MULTI_THRESHOLD
        && a_Type <= CATHODE_TIMING_CHANNEL_TYPE_UNIPOLAR;
    return ReadASICChannel(
        a_Step, [&](ASIC& a_ASIC) { return a_ASIC.GetCathodeTimingChannelTrimStep(a_Type, a_Channel, a_Step); },
        knownType ? nullptr : "Undefined cathode timing channel type detected");
}

bool Quorvel::GetCathodeChannelInternalLeakageCurrentGenerator(
    int a_Channel, CathodeChannel::InternalLeakageCurrentGenerator* a_Generator)
{
    return ReadASICChannel(a_Generator, [&](ASIC& a_ASIC) {
        return a_ASIC.GetCathodeChannelInternalLeakageCurrentGenerator(a_Channel, a_Generator);
    });
}

bool Quorvel::GetCathodeChannelInternalLeakage(int a_Channel,
                                               CathodeChannel::InternalLeakageCurrentGenerator* a_Generator)
{
    return GetCathodeChannelInternalLeakageCurrentGenerator(a_Channel, a_Generator);
}

// ---- Sending ----

bool Quorvel::UpdateActiveGMASICGlobalRegister(const GammaModule& a_GM)
{
    return WriteASICImage(a_GM, RegisterMap::ASIC_GLOBAL, a_GM.GetASIC().GetGlobalDataArray());
}

bool Quorvel::UpdateActiveGMASICChannelRegister(const GammaModule& a_GM)
{
    return WriteASICImage(a_GM, RegisterMap::ASIC_CHANNEL, a_GM.GetASIC().GetChannelDataArray());
}

bool Quorvel::SendASICGlobalData()
{
    if (m_GMUpdateType != GM_UPDATE_TYPE_ACTIVE_GM)
        return ForEachGM([this] { return SendASICGlobalData(); });
    return SendToActiveGM([this](const GammaModule& a_GM) { return UpdateActiveGMASICGlobalRegister(a_GM); });
}

bool Quorvel::SendASICChannelData()
{
    if (m_GMUpdateType != GM_UPDATE_TYPE_ACTIVE_GM)
        return ForEachGM([this] { return SendASICChannelData(); });
    return SendToActiveGM([this](const GammaModule& a_GM) { return UpdateActiveGMASICChannelRegister(a_GM); });
}

bool Quorvel::UpdateGMAndASICRegisters(const GammaModule& a_GM)
{
    return UpdateGMRegisters(a_GM) && UpdateActiveGMASICGlobalRegister(a_GM)
        && UpdateActiveGMASICChannelRegister(a_GM);
}

bool Quorvel::ReloadASIC()
{
    if (m_GMUpdateType != GM_UPDATE_TYPE_ACTIVE_GM)
        return ForEachGM([this] { return ReloadASIC(); });
    if (!IsActiveGMSet() || !IsActiveGMPresent())
        return false;
    // A failed read or write keeps the connection's message to itself.
    QByteArray reply;
    if (!ReadActiveGMRegister(RegisterMap::GM_CONTROL, &reply))
        return false;
    const unsigned char control = Register::ReplyByte(reply, 2);
    return SendGMRegister(m_ActiveGM, RegisterMap::GM_CONTROL, static_cast<unsigned char>(control | RELOAD_ASIC));
}
