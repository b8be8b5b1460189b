// One cathode channel of the ASIC and its 26-bit channel word.
#ifndef QUORVEL_ASICCATHODECHANNEL_H
#define QUORVEL_ASICCATHODECHANNEL_H

#include "asic/asicchannel.h"
#include "quorveldll.h"

class ASICCathodeChannel : public ASICChannel
{
public:
    static constexpr int DATA_BITS = 26;
    static constexpr int THRESHOLD_TRIM_STEP_MAX = 15;

    explicit ASICCathodeChannel(int a_ChannelNo);
    ASICCathodeChannel(const ASICCathodeChannel&) = default;

    bool SetShapedTimingSignal(CathodeChannel::ShapedTimingSignal a_Signal);
    CathodeChannel::ShapedTimingSignal GetShapedTimingSignal() const;
    bool SetTimingMode(CathodeChannel::TimingMode a_Mode);
    CathodeChannel::TimingMode GetTimingMode() const;

    bool SetTimingUnipolarThresholdTrimStep(int a_Step);
    int GetTimingUnipolarThresholdTrimStep() const;
    bool SetTimingFirstMultiThresholdTrimStep(int a_Step);
    int GetTimingFirstMultiThresholdTrimStep() const;
    bool SetTimingSecondMultiThresholdTrimStep(int a_Step);
    int GetTimingSecondMultiThresholdTrimStep() const;
    bool SetTimingThirdMultiThresholdTrimStep(int a_Step);
    int GetTimingThirdMultiThresholdTrimStep() const;

    bool SetInternalLeakageCurrentGenerator(CathodeChannel::InternalLeakageCurrentGenerator a_Generator);
    CathodeChannel::InternalLeakageCurrentGenerator GetInternalLeakageCurrentGenerator() const;

    bool IsValidThresholdTrimStep(int a_Step) const;
    QString GetThresholdTrimStepErrStr() const;

    unsigned int GetDataBits() const;

    ASICCathodeChannel& operator=(const ASICCathodeChannel& a_Other);

private:
    bool SetTrimStep(int a_Step, const char* a_Prefix, int& a_Field);

    CathodeChannel::ShapedTimingSignal m_ShapedTimingSignal;
    CathodeChannel::TimingMode m_TimingMode;
    int m_TimingUnipolarThresholdTrimStep;
    int m_TimingFirstMultiThresholdTrimStep;
    int m_TimingSecondMultiThresholdTrimStep;
    int m_TimingThirdMultiThresholdTrimStep;
    CathodeChannel::InternalLeakageCurrentGenerator m_InternalLeakageCurrentGenerator;
};

#endif // QUORVEL_ASICCATHODECHANNEL_H
