// The ASIC's timing tables. Peak detect timeout, time detect ramp length and
// peaking time must each be one table entry (scaled when high gain is on) and
// are sent to the ASIC as the entry's index.
#ifndef QUORVEL_ASICTIMINGTABLES_H
#define QUORVEL_ASICTIMINGTABLES_H

#include <QString>

class ASICTimingTables
{
public:
    static constexpr int TABLE_SIZE = 4;
    static constexpr double PeakingTimeVals[TABLE_SIZE] = { 0.25, 0.5, 1.0, 2.0 };
    static constexpr int PeakDetectTimeoutVals[TABLE_SIZE] = { 1, 2, 4, 8 };
    static constexpr int TimeDetectRampLengthVals[TABLE_SIZE] = { 1, 2, 3, 4 };
    static constexpr int HIGH_GAIN_FACTOR = 4;
    static constexpr double HIGH_GAIN_PEAKING_TIME_FACTOR = 6.0;

    // The admissible value at a table index.
    static int PeakDetectTimeoutAt(int a_Index, bool a_HighGain);
    static int TimeDetectRampLengthAt(int a_Index, bool a_HighGain);
    static double PeakingTimeAt(int a_Index, bool a_HighGain);

    // The index of the first matching entry, or -1 (peaking time: fuzzy match).
    static int PeakDetectTimeoutIndex(int a_Value, bool a_HighGain);
    static int TimeDetectRampLengthIndex(int a_Value, bool a_HighGain);
    static int PeakingTimeIndex(double a_Value, bool a_HighGain);

    // The admissible values as the error texts list them: "1, 2, 4, 8".
    static QString PeakDetectTimeoutList(bool a_HighGain);
    static QString TimeDetectRampLengthList(bool a_HighGain);
    static QString PeakingTimeList(bool a_HighGain);
};

#endif // QUORVEL_ASICTIMINGTABLES_H
