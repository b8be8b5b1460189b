#include "asic/asiccathodechannel.h"

using namespace CathodeChannel;

ASICCathodeChannel::ASICCathodeChannel(int a_ChannelNo)
    : ASICChannel(a_ChannelNo)
    , m_ShapedTimingSignal(SHAPED_TIMING_SIGNAL_1)
    , m_TimingMode(TIMING_MODE_1)
    , m_TimingUnipolarThresholdTrimStep(0)
    , m_TimingFirstMultiThresholdTrimStep(0)
    , m_TimingSecondMultiThresholdTrimStep(0)
    , m_TimingThirdMultiThresholdTrimStep(0)
    , m_InternalLeakageCurrentGenerator(CATHODE_CHANNEL_INTERNAL_LEAKAGE_CURRENT_GENERATOR_1)
{
}

bool ASICCathodeChannel::SetShapedTimingSignal(ShapedTimingSignal a_Signal)
{
    if (a_Signal == SHAPED_TIMING_SIGNAL_UNDEFINED) {
        m_LastError = "Undefined shaped timing signal detected";
        return false;
    }
    m_ShapedTimingSignal = a_Signal;
    return true;
}

ShapedTimingSignal ASICCathodeChannel::GetShapedTimingSignal() const
{
    return m_ShapedTimingSignal;
}

bool ASICCathodeChannel::SetTimingMode(TimingMode a_Mode)
{
    if (a_Mode == TIMING_MODE_UNDEFINED) {
        m_LastError = "Undefined timing mode detected";
        return false;
    }
    m_TimingMode = a_Mode;
    return true;
}

TimingMode ASICCathodeChannel::GetTimingMode() const
{
    return m_TimingMode;
}

bool ASICCathodeChannel::SetTrimStep(int a_Step, const char* a_Prefix, int& a_Field)
{
    if (!IsValidThresholdTrimStep(a_Step)) {
        m_LastError = QString(a_Prefix) + GetThresholdTrimStepErrStr();
        return false;
    }
    a_Field = a_Step;
    return true;
}

bool ASICCathodeChannel::SetTimingUnipolarThresholdTrimStep(int a_Step)
{
    return SetTrimStep(a_Step, "Timing Channel Unipolar ", m_TimingUnipolarThresholdTrimStep);
}

int ASICCathodeChannel::GetTimingUnipolarThresholdTrimStep() const
{
    return m_TimingUnipolarThresholdTrimStep;
}

bool ASICCathodeChannel::SetTimingFirstMultiThresholdTrimStep(int a_Step)
{
    return SetTrimStep(a_Step, "Timing Channel First Multi-", m_TimingFirstMultiThresholdTrimStep);
}

int ASICCathodeChannel::GetTimingFirstMultiThresholdTrimStep() const
{
    return m_TimingFirstMultiThresholdTrimStep;
}

bool ASICCathodeChannel::SetTimingSecondMultiThresholdTrimStep(int a_Step)
{
    return SetTrimStep(a_Step, "Timing Channel Second Multi-", m_TimingSecondMultiThresholdTrimStep);
}

int ASICCathodeChannel::GetTimingSecondMultiThresholdTrimStep() const
{
    return m_TimingSecondMultiThresholdTrimStep;
}

bool ASICCathodeChannel::SetTimingThirdMultiThresholdTrimStep(int a_Step)
{
    return SetTrimStep(a_Step, "Timing Channel Third Multi-", m_TimingThirdMultiThresholdTrimStep);
}

int ASICCathodeChannel::GetTimingThirdMultiThresholdTrimStep() const
{
    return m_TimingThirdMultiThresholdTrimStep;
}

bool ASICCathodeChannel::SetInternalLeakageCurrentGenerator(CathodeChannel::InternalLeakageCurrentGenerator a_Generator)
{
    if (a_Generator == CATHODE_CHANNEL_INTERNAL_LEAKAGE_CURRENT_GENERATOR_UNDEFINED) {
        m_LastError = "Undefined internal leakage current generator detected";
        return false;
    }
    m_InternalLeakageCurrentGenerator = a_Generator;
    return true;
}

CathodeChannel::InternalLeakageCurrentGenerator ASICCathodeChannel::GetInternalLeakageCurrentGenerator() const
{
    return m_InternalLeakageCurrentGenerator;
}

bool ASICCathodeChannel::IsValidThresholdTrimStep(int a_Step) const
{
    return static_cast<unsigned int>(a_Step) <= THRESHOLD_TRIM_STEP_MAX;
}

QString ASICCathodeChannel::GetThresholdTrimStepErrStr() const
{
    return QString("Threshold Trim Step must be between %1 and %2").arg(0).arg(THRESHOLD_TRIM_STEP_MAX);
}

unsigned int ASICCathodeChannel::GetDataBits() const
{
    // The leakage current generator is not in the word; the global image has it.
    unsigned int bits = GetCommonDataBits();
    if (m_ShapedTimingSignal == SHAPED_TIMING_SIGNAL_2)
        bits |= 1u << 7;
    bits |= (static_cast<unsigned int>(m_TimingSecondMultiThresholdTrimStep) & 0xFu) << 8;
    bits |= (static_cast<unsigned int>(m_TimingThirdMultiThresholdTrimStep) & 0xFu) << 12;
    bits |= (static_cast<unsigned int>(m_TimingFirstMultiThresholdTrimStep) & 0xFu) << 16;
    if (m_TimingMode == TIMING_MODE_2)
        bits |= 1u << 20;
    if (m_TimingMode == TIMING_MODE_3)
        bits |= 1u << 21;
    bits |= (static_cast<unsigned int>(m_TimingUnipolarThresholdTrimStep) & 0xFu) << 22;
    return bits;
}

ASICCathodeChannel& ASICCathodeChannel::operator=(const ASICCathodeChannel& a_Other)
{
    ASICChannel::operator=(a_Other);
    m_ShapedTimingSignal = a_Other.m_ShapedTimingSignal;
    m_TimingMode = a_Other.m_TimingMode;
    m_TimingUnipolarThresholdTrimStep = a_Other.m_TimingUnipolarThresholdTrimStep;
    m_TimingFirstMultiThresholdTrimStep = a_Other.m_TimingFirstMultiThresholdTrimStep;
    m_TimingSecondMultiThresholdTrimStep = a_Other.m_TimingSecondMultiThresholdTrimStep;
    m_TimingThirdMultiThresholdTrimStep = a_Other.m_TimingThirdMultiThresholdTrimStep;
    m_InternalLeakageCurrentGenerator = a_Other.m_InternalLeakageCurrentGenerator;
    return *this;
}
