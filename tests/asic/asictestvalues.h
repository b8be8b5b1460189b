// Puts an ASIC into a state where every setting differs from its default, and
// builds the register images the tests expect.
#ifndef QUORVEL_TESTS_ASICTESTVALUES_H
#define QUORVEL_TESTS_ASICTESTVALUES_H

#include "asic/asic.h"

#include <QByteArray>
#include <utility>
#include <vector>

namespace asictest {

inline void FillWithNonDefaults(ASIC& a_ASIC)
{
    using namespace CathodeChannel;
    a_ASIC.SetCathodeTestClockType(CATHODE_TEST_CLOCK_TYPE_1);
    a_ASIC.SetGlobalOptions(0x0ABC);
    a_ASIC.SetReadoutMode(GMASIC_READOUT_MODE_2);
    a_ASIC.SetTimingChannelUnipolarGain(TIMING_CHANNEL_UNIPOLAR_GAIN_81MV);
    a_ASIC.SetTimingChannelBiPolarGain(TIMING_CHANNEL_BIPOLAR_GAIN_164MV);
    a_ASIC.SetChannelGain(CHANNEL_GAIN_2);
    a_ASIC.SetInternalLeakageCurrentGenerator(INTERNAL_LEAKAGE_CURRENT_GENERATOR_2);
    a_ASIC.SetMultipleFiringSuppressTime(MULTIPLE_FIRING_SUPPRESSION_TIME_3);
    a_ASIC.SetDACToMonitor(DACS_7);
    a_ASIC.SetCathodeEnergyTimingToMonitor(CATHODE_ENERGY_TIMING_3);
    a_ASIC.SetAnodeChannelToMonitor(100); // the analog output ends on the anode channel
    a_ASIC.SetChannelTestPulseStep(CHANNEL_TYPE_ANODE, 321);
    a_ASIC.SetChannelTestPulseStep(CHANNEL_TYPE_CATHODE, 654);
    a_ASIC.SetChannelThresholdStep(CHANNEL_THRESHOLD_TYPE_CATHODE_TIMING_PRIMARY_BIPOLAR, 11);
    a_ASIC.SetChannelThresholdStep(CHANNEL_THRESHOLD_TYPE_CATHODE_TIMING_UNIPOLAR, 22);
    a_ASIC.SetChannelThresholdStep(CHANNEL_THRESHOLD_TYPE_CATHODE_ENERGY, 33);
    a_ASIC.SetChannelThresholdStep(CHANNEL_THRESHOLD_TYPE_ANODE_NEGATIVE_ENERGY, 44);
    a_ASIC.SetChannelThresholdStep(CHANNEL_THRESHOLD_TYPE_ANODE_POSITIVE_ENERGY, 55);
    a_ASIC.SetPeakDetectTimeout(CHANNEL_TYPE_ANODE, 2);
    a_ASIC.SetPeakDetectTimeout(CHANNEL_TYPE_CATHODE, 4);
    a_ASIC.SetTimeDetectRampLength(CHANNEL_TYPE_ANODE, 3);
    a_ASIC.SetTimeDetectRampLength(CHANNEL_TYPE_CATHODE, 2);
    a_ASIC.SetPeakingTime(CHANNEL_TYPE_ANODE, 1.0);
    a_ASIC.SetPeakingTime(CHANNEL_TYPE_CATHODE, 0.5);
    a_ASIC.SetAnodeTestPulseEdge(TEST_PULSE_EDGE_2);
    a_ASIC.SetCathodeTestModeInput(TEST_MODE_INPUT_2);
    a_ASIC.SetCathodeTimingChannelsShaperPeakingTime(TIMING_CHANNELS_SHAPER_PEAKING_TIME_2);
    a_ASIC.SetCathodeTimingChannelsSecondaryMultiThresholdDisplacementStep(9);
    for (int no = 1; no <= ASIC_ANODE_CHANNEL_COUNT; ++no) {
        a_ASIC.MaskChannel(CHANNEL_TYPE_ANODE, no, no % 3 == 0);
        a_ASIC.EnableChannelTestCapacitor(CHANNEL_TYPE_ANODE, no, no % 5 == 0);
        a_ASIC.SetChannelPositivePulseThresholdTrimStep(CHANNEL_TYPE_ANODE, no, no % 32);
        a_ASIC.SetAnodeChannelNegativePulseThresholdTrimStep(no, (no * 7) % 32);
        a_ASIC.SetAnodeChannelSignal(no, no % 2 ? SIGNAL_2 : SIGNAL_1);
    }
    for (int no = 1; no <= ASIC_CATHODE_CHANNEL_COUNT; ++no) {
        a_ASIC.MaskChannel(CHANNEL_TYPE_CATHODE, no, true);
        a_ASIC.SetChannelPositivePulseThresholdTrimStep(CHANNEL_TYPE_CATHODE, no, 20 + no);
        a_ASIC.SetCathodeChannelShapedTimingSignal(no, SHAPED_TIMING_SIGNAL_2);
        a_ASIC.SetCathodeChannelTimingMode(no, no == 1 ? TIMING_MODE_2 : TIMING_MODE_3);
        a_ASIC.SetCathodeTimingChannelTrimStep(CATHODE_TIMING_CHANNEL_TYPE_FIRST_MULTI_THRESHOLD, no, 1 + no);
        a_ASIC.SetCathodeTimingChannelTrimStep(CATHODE_TIMING_CHANNEL_TYPE_SECOND_MULTI_THRESHOLD, no, 3 + no);
        a_ASIC.SetCathodeTimingChannelTrimStep(CATHODE_TIMING_CHANNEL_TYPE_THIRD_MULTI_THRESHOLD, no, 5 + no);
        a_ASIC.SetCathodeTimingChannelTrimStep(CATHODE_TIMING_CHANNEL_TYPE_UNIPOLAR, no, 7 + no);
        a_ASIC.SetCathodeChannelInternalLeakageCurrentGenerator(no,
            CATHODE_CHANNEL_INTERNAL_LEAKAGE_CURRENT_GENERATOR_2);
    }
}

using ByteBits = std::vector<std::pair<int, unsigned char>>;

// A register image with the given (byte, bits) pairs set.
inline QByteArray Image(int a_Size, const ByteBits& a_Bits)
{
    QByteArray image(a_Size, '\0');
    for (const auto& bits : a_Bits)
        image[bits.first] = static_cast<char>(static_cast<unsigned char>(image[bits.first]) | bits.second);
    return image;
}

// Sets bit k of the 1720-bit channel number in its image, as it is sent: in byte 214 - k / 8.
inline void SetChannelArrayBit(QByteArray& a_Image, int a_Bit)
{
    const int byte = 214 - a_Bit / 8;
    a_Image[byte] = static_cast<char>(static_cast<unsigned char>(a_Image[byte]) | (1u << (a_Bit % 8)));
}

// First bit of anode channel a_No's field in the channel number.
inline int AnodeStart(int a_No)
{
    return a_No <= 64 ? 4 + 13 * (a_No - 1) : 888 + 13 * (a_No - 65);
}

} // namespace asictest

#endif // QUORVEL_TESTS_ASICTESTVALUES_H
