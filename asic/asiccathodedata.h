// The cathode channel group: group settings and the cathode channels (1-based).
#ifndef QUORVEL_ASICCATHODEDATA_H
#define QUORVEL_ASICCATHODEDATA_H

#include <vector>

#include "asic/asiccathodechannel.h"
#include "asic/asicchanneldata.h"
#include "quorveldll.h"

class ASICCathodeData : public ASICChannelData
{
public:
    static constexpr int DISPLACEMENT_STEP_MAX = 15;

    explicit ASICCathodeData(int a_NoOfChannels);

    bool SetTestModeInput(TestModeInput a_Input);
    TestModeInput GetTestModeInput() const;
    bool SetTimingShaperPeakingTime(TimingChannelsShaperPeakingTime a_Time);
    TimingChannelsShaperPeakingTime GetTimingShaperPeakingTime() const;

    bool SetEnergyThresholdStep(int a_Step);
    int GetEnergyThresholdStep() const;
    bool SetTimingUnipolarThresholdStep(int a_Step);
    int GetTimingUnipolarThresholdStep() const;
    bool SetTimingPrimaryBiPolarMultiThresholdStep(int a_Step);
    int GetTimingPrimaryBiPolarMultiThresholdStep() const;
    bool SetTimingSecondaryMultiThresholdDisplacementStep(int a_Step);
    int GetTimingSecondaryMultiThresholdDisplacementStep() const;

    // Channel numbers are 1-based; the ASIC checks the range before calling.
    ASICCathodeChannel& AccessChannel(int a_ChannelNo);
    const ASICCathodeChannel& GetChannel(int a_ChannelNo) const;
    int GetNoOfChannels() const;

    ASICCathodeData& operator=(const ASICCathodeData& a_Other);

private:
    TestModeInput m_TestModeInput;
    TimingChannelsShaperPeakingTime m_TimingShaperPeakingTime;
    int m_EnergyThresholdStep;
    int m_TimingUnipolarThresholdStep;
    int m_TimingPrimaryBiPolarMultiThresholdStep;
    int m_TimingSecondaryMultiThresholdDisplacementStep;
    std::vector<ASICCathodeChannel> m_Channels;
};

#endif // QUORVEL_ASICCATHODEDATA_H
