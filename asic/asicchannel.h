// Settings shared by every ASIC channel, anode or cathode: the option bits
// (mask, test capacitor) and the positive pulse threshold trim.
#ifndef QUORVEL_ASICCHANNEL_H
#define QUORVEL_ASICCHANNEL_H

#include <QString>

class ASICChannel
{
public:
    static constexpr int OPTION_MASKED = 0x01;
    static constexpr int OPTION_TEST_CAPACITOR = 0x02;
    static constexpr int PULSE_TRIM_STEP_MAX = 31;

    explicit ASICChannel(int a_ChannelNo);
    ASICChannel(const ASICChannel&) = default;

    int GetChannelNo() const;

    void SetMasked(bool a_Masked);
    bool IsMasked() const;
    void EnableTestCapacitor(bool a_Enable);
    bool IsTestCapacitorEnabled() const;
    void SetOptions(int a_Options);
    int GetOptions() const;

    bool SetPositivePulseThresholdTrimStep(int a_Step);
    int GetPostivePulseThresholdTrimStep() const;
    bool IsValidPulseTrimStep(int a_Step) const;
    QString GetPulseTrimErrStr() const;

    const QString& GetLastError() const;

    // Copies the settings; the channel number and the last error stay.
    ASICChannel& operator=(const ASICChannel& a_Other);

protected:
    // Bits 0..6 of the channel word, common to both kinds of channel.
    unsigned int GetCommonDataBits() const;

    int m_ChannelNo;
    int m_Options;
    int m_PositivePulseThresholdTrimStep;
    QString m_LastError;
};

#endif // QUORVEL_ASICCHANNEL_H
