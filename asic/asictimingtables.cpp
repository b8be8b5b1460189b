#include "asic/asictimingtables.h"

#include <QStringList>
#include <QtGlobal>

int ASICTimingTables::PeakDetectTimeoutAt(int a_Index, bool a_HighGain)
{
    return PeakDetectTimeoutVals[a_Index] * (a_HighGain ? HIGH_GAIN_FACTOR : 1);
}

int ASICTimingTables::TimeDetectRampLengthAt(int a_Index, bool a_HighGain)
{
    return TimeDetectRampLengthVals[a_Index] * (a_HighGain ? HIGH_GAIN_FACTOR : 1);
}

double ASICTimingTables::PeakingTimeAt(int a_Index, bool a_HighGain)
{
    return PeakingTimeVals[a_Index] * (a_HighGain ? HIGH_GAIN_PEAKING_TIME_FACTOR : 1.0);
}

int ASICTimingTables::PeakDetectTimeoutIndex(int a_Value, bool a_HighGain)
{
    for (int i = 0; i < TABLE_SIZE; ++i) {
        if (PeakDetectTimeoutAt(i, a_HighGain) == a_Value)
            return i;
    }
    return -1;
}

int ASICTimingTables::TimeDetectRampLengthIndex(int a_Value, bool a_HighGain)
{
    for (int i = 0; i < TABLE_SIZE; ++i) {
        if (TimeDetectRampLengthAt(i, a_HighGain) == a_Value)
            return i;
    }
    return -1;
}

int ASICTimingTables::PeakingTimeIndex(double a_Value, bool a_HighGain)
{
    for (int i = 0; i < TABLE_SIZE; ++i) {
        if (qFuzzyCompare(PeakingTimeAt(i, a_HighGain), a_Value))
            return i;
    }
    return -1;
}

QString ASICTimingTables::PeakDetectTimeoutList(bool a_HighGain)
{
    QStringList values;
    for (int i = 0; i < TABLE_SIZE; ++i)
        values << QString("%1").arg(PeakDetectTimeoutAt(i, a_HighGain));
    return values.join(", ");
}

QString ASICTimingTables::TimeDetectRampLengthList(bool a_HighGain)
{
    QStringList values;
    for (int i = 0; i < TABLE_SIZE; ++i)
        values << QString("%1").arg(TimeDetectRampLengthAt(i, a_HighGain));
    return values.join(", ");
}

QString ASICTimingTables::PeakingTimeList(bool a_HighGain)
{
    QStringList values;
    for (int i = 0; i < TABLE_SIZE; ++i)
        values << QString("%1").arg(PeakingTimeAt(i, a_HighGain));
    return values.join(", ");
}
