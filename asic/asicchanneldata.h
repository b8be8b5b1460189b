// Settings shared by all channels of one kind (anode or cathode group).
// The three timing values are validated by the ASIC against its tables.
#ifndef QUORVEL_ASICCHANNELDATA_H
#define QUORVEL_ASICCHANNELDATA_H

#include <QString>

class ASICChannelData
{
public:
    static constexpr int THRESHOLD_STEP_MAX = 1023;
    static constexpr int TEST_PULSE_STEP_MAX = 1023;

    explicit ASICChannelData(int a_NoOfChannels);
    ASICChannelData(const ASICChannelData&) = delete;

    bool SetTestPulseStep(int a_Step);
    int GetTestPulseStep() const;
    void SetPeakDetectTimeout(int a_Timeout);
    int GetPeakDetectTimeout() const;
    void SetTimeDetectRampLength(int a_Length);
    int GetTimeDetectRampLength() const;
    void SetPeakingTime(double a_Time);
    double GetPeakingTime() const;

    bool IsValidThresholdStep(int a_Step) const;
    QString GetThresholdStepErrString() const;

    const QString& GetLastError() const;

    // Copies the four group settings; the channel count and last error stay.
    ASICChannelData& operator=(const ASICChannelData& a_Other);

protected:
    // Stores a_Step in a_Field if it is a valid threshold step, else sets the
    // error a_Prefix + range text.
    bool SetThresholdStep(int a_Step, const char* a_Prefix, int& a_Field);

    int m_NoOfChannels;
    QString m_LastError;
    int m_TestPulseStep;
    int m_PeakDetectTimeout;
    int m_TimeDetectRampLength;
    double m_PeakingTime;
};

#endif // QUORVEL_ASICCHANNELDATA_H
