// The anode channel group: group settings and the anode channels (1-based).
#ifndef QUORVEL_ASICANODEDATA_H
#define QUORVEL_ASICANODEDATA_H

#include <vector>

#include "asic/asicanodechannel.h"
#include "asic/asicchanneldata.h"
#include "quorveldll.h"

class ASICAnodeData : public ASICChannelData
{
public:
    explicit ASICAnodeData(int a_NoOfChannels);

    bool SetTestPulseEdge(TestPulseEdge a_Edge);
    TestPulseEdge GetTestPulseEdge() const;
    bool SetPositiveEnergyThresholdStep(int a_Step);
    int GetPositiveEnergyThresholdStep() const;
    bool SetNegativeEnergyThresholdStep(int a_Step);
    int GetNegativeEnergyThresholdStep() const;

    // Channel numbers are 1-based; the ASIC checks the range before calling.
    ASICAnodeChannel& AccessChannel(int a_ChannelNo);
    const ASICAnodeChannel& GetChannel(int a_ChannelNo) const;
    int GetNoOfChannels() const;

    ASICAnodeData& operator=(const ASICAnodeData& a_Other);

private:
    TestPulseEdge m_TestPulseEdge;
    int m_PositiveEnergyThresholdStep;
    int m_NegativeEnergyThresholdStep;
    std::vector<ASICAnodeChannel> m_Channels;
};

#endif // QUORVEL_ASICANODEDATA_H
