// Conversions of the values that configuration files below format version 3
// stored in physical form into the step values of the model. Each truncates
// toward zero; results outside int range (only from corrupt values) come out
// as INT_MIN, which every setter refuses.
#ifndef QUORVEL_OLDFORMATCONVERSIONS_H
#define QUORVEL_OLDFORMATCONVERSIONS_H

class OldFormatConversions
{
public:
    // Energy and timing threshold steps and the test pulse step.
    static int GetThresholdAsStep(float a_Value);
    // Positive trims of anode and cathode channels, negative trims of anode channels.
    static int GetPulseThresholdTrimAsStep(int a_Value);
    // Cathode timing trims: unipolar, first, second and third multi-threshold.
    static int GetThresholdTrimAsStep(double a_Value);
    // Secondary multi-threshold displacement.
    static int GetMultiThreshDisplacementStep(float a_Value);

    static constexpr double THRESHOLD_PER_STEP = 1.808406647116325;
};

#endif // QUORVEL_OLDFORMATCONVERSIONS_H
