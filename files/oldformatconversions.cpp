#include "files/oldformatconversions.h"

#include <climits>
#include <cmath>
#include <cstdlib>

namespace {

int truncToInt(double a_Value)
{
    if (std::isnan(a_Value) || a_Value <= static_cast<double>(INT_MIN) - 1.0
        || a_Value >= static_cast<double>(INT_MAX) + 1.0)
        return INT_MIN;
    return static_cast<int>(a_Value);
}

} // namespace

int OldFormatConversions::GetThresholdAsStep(float a_Value)
{
    return truncToInt(static_cast<double>(a_Value) / THRESHOLD_PER_STEP);
}

int OldFormatConversions::GetPulseThresholdTrimAsStep(int a_Value)
{
    // a_Value / 2 is at most 2^30 in size, so neither abs nor the subtraction overflows.
    return 31 - std::abs(a_Value / 2);
}

int OldFormatConversions::GetThresholdTrimAsStep(double a_Value)
{
    return truncToInt(15.0 - std::trunc(std::fabs(a_Value / 3.5)));
}

int OldFormatConversions::GetMultiThreshDisplacementStep(float a_Value)
{
    return truncToInt(16.0f - std::trunc(std::fabs(a_Value / 6.25f)));
}
