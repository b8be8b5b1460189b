// One anode channel of the ASIC and its 13-bit channel word.
#ifndef QUORVEL_ASICANODECHANNEL_H
#define QUORVEL_ASICANODECHANNEL_H

#include "asic/asicchannel.h"
#include "quorveldll.h"

class ASICAnodeChannel : public ASICChannel
{
public:
    static constexpr int DATA_BITS = 13;

    explicit ASICAnodeChannel(int a_ChannelNo);
    ASICAnodeChannel(const ASICAnodeChannel&) = default;

    bool SetSignalToMonitor(Signal a_Signal);
    Signal GetSignalMonitored() const;
    bool SetNegativePulseThresholdTrimStep(int a_Step);
    int GetNegativePulseThresholdTrimStep() const;

    int GetDataBits() const;

    ASICAnodeChannel& operator=(const ASICAnodeChannel& a_Other);

private:
    Signal m_SignalMonitored;
    int m_NegativePulseThresholdTrimStep;
};

#endif // QUORVEL_ASICANODECHANNEL_H
