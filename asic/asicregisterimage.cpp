#include "asic/asicregisterimage.h"

#include <algorithm>

#include "asic/asic.h"
#include "asic/asictimingtables.h"
#include "asic/detectorcalcs.h"

namespace {

// Bit positions (array bits) of the channel words in the channel image.
constexpr int ANODE_LOW_START = 4;      // anode channels 1 to 64
constexpr int CATHODE_START = 836;      // cathode channels 1 and 2
constexpr int ANODE_HIGH_START = 888;   // anode channels 65 to 128
constexpr int ANODE_LOW_COUNT = 64;

// Appends a_Width bits of a_Value, most significant first, to a stream that
// starts at bit 7 of byte 0.
void PutBits(unsigned char* a_Bytes, int& a_Pos, unsigned int a_Value, int a_Width)
{
    for (int i = a_Width - 1; i >= 0; --i) {
        if ((a_Value >> i) & 1u)
            a_Bytes[a_Pos / 8] |= static_cast<unsigned char>(0x80u >> (a_Pos % 8));
        ++a_Pos;
    }
}

unsigned int Field(int a_Value, int a_Width)
{
    return static_cast<unsigned int>(a_Value) & ((1u << a_Width) - 1u);
}

unsigned char OptionBit(int a_Options, int a_Bit, int a_Position)
{
    return static_cast<unsigned char>(((a_Options >> a_Bit) & 1) << a_Position);
}

// Enumerations numbered from 1 whose code is value - 1; others give 0.
int CodeFrom1(int a_Value, int a_Max)
{
    return (a_Value >= 1 && a_Value <= a_Max) ? a_Value - 1 : 0;
}

} // namespace

int ASICRegisterImage::PeakDetectTimeoutIndex(const ASICChannelData& a_Group, bool a_HighGain)
{
    return std::max(ASICTimingTables::PeakDetectTimeoutIndex(a_Group.GetPeakDetectTimeout(), a_HighGain), 0);
}

int ASICRegisterImage::TimeDetectRampLengthIndex(const ASICChannelData& a_Group, bool a_HighGain)
{
    return std::max(ASICTimingTables::TimeDetectRampLengthIndex(a_Group.GetTimeDetectRampLength(), a_HighGain), 0);
}

int ASICRegisterImage::PeakingTimeIndex(const ASICChannelData& a_Group, bool a_HighGain)
{
    return std::max(ASICTimingTables::PeakingTimeIndex(a_Group.GetPeakingTime(), a_HighGain), 0);
}

int ASICRegisterImage::MonitorSelect(const ASIC& a_ASIC)
{
    switch (a_ASIC.GetAnalogOutputMonitored()) {
    case ANALOG_OUTPUT_2:
        return 64;
    case ANALOG_OUTPUT_3:
        return 32;
    case ANALOG_OUTPUT_DAC:
        return a_ASIC.GetDACSBits();
    case ANALOG_OUTPUT_CATHODE_ENERGY_TIMING:
        return a_ASIC.GetCathodeEnergyTimingBits();
    case ANALOG_OUTPUT_ANODE_CHANNEL:
        return static_cast<int>(Field(a_ASIC.GetAnodeChannelMonitored() - 1, 7));
    default:
        return 0;
    }
}

QByteArray ASICRegisterImage::Global(const ASIC& a_ASIC)
{
    const ASICAnodeData& anode = a_ASIC.GetAnodeChannelData();
    const ASICCathodeData& cathode = a_ASIC.GetCathodeChannelData();
    const int options = a_ASIC.GetGlobalOptions();
    const bool highGain = a_ASIC.IsHighGainEnabled();
    unsigned char b[GLOBAL_IMAGE_SIZE] = {};

    // Bytes 0..8: one 72-bit field, most significant bit first.
    int pos = 0;
    PutBits(b, pos, anode.GetTestPulseEdge() == TEST_PULSE_EDGE_2 ? 1 : 0, 1);
    PutBits(b, pos, Field(anode.GetPositiveEnergyThresholdStep(), 10), 10);
    PutBits(b, pos, Field(anode.GetNegativeEnergyThresholdStep(), 10), 10);
    PutBits(b, pos, Field(cathode.GetEnergyThresholdStep(), 10), 10);
    PutBits(b, pos, Field(cathode.GetTimingUnipolarThresholdStep(), 10), 10);
    PutBits(b, pos, Field(cathode.GetTimingPrimaryBiPolarMultiThresholdStep(), 10), 10);
    PutBits(b, pos, Field(anode.GetTestPulseStep(), 10), 10);
    PutBits(b, pos, Field(cathode.GetTestPulseStep(), 10), 10);
    PutBits(b, pos, (options >> 11) & 1, 1);

    b[9] = OptionBit(options, 10, 7);
    if (a_ASIC.GetInternalLeakageCurrentGenerator() == INTERNAL_LEAKAGE_CURRENT_GENERATOR_2)
        b[9] |= 0x40;
    b[9] |= static_cast<unsigned char>(CodeFrom1(a_ASIC.GetMultipleFiringSuppressTime(), 4) << 4);
    b[9] |= static_cast<unsigned char>(Field(cathode.GetTimingSecondaryMultiThresholdDisplacementStep(), 4));

    const int monitor = MonitorSelect(a_ASIC);
    if (cathode.GetTestModeInput() == TEST_MODE_INPUT_2)
        b[10] |= 0x80;
    b[10] |= OptionBit(options, 12, 6) | OptionBit(options, 9, 5) | OptionBit(options, 8, 4);
    b[10] |= static_cast<unsigned char>((monitor >> 3) & 0x0F);

    b[11] = static_cast<unsigned char>((monitor & 0x07) << 5);
    if (cathode.GetChannel(2).GetInternalLeakageCurrentGenerator()
        == CathodeChannel::CATHODE_CHANNEL_INTERNAL_LEAKAGE_CURRENT_GENERATOR_2)
        b[11] |= 0x10;
    if (cathode.GetChannel(1).GetInternalLeakageCurrentGenerator()
        == CathodeChannel::CATHODE_CHANNEL_INTERNAL_LEAKAGE_CURRENT_GENERATOR_2)
        b[11] |= 0x08;
    b[11] |= static_cast<unsigned char>(CodeFrom1(cathode.GetTimingShaperPeakingTime(), 4) << 1);

    // The cathode ramp length index is split over bytes 11 and 12, high bit first.
    const int cathodeRamp = TimeDetectRampLengthIndex(cathode, highGain);
    b[11] |= static_cast<unsigned char>((cathodeRamp >> 1) & 1);
    b[12] = static_cast<unsigned char>((cathodeRamp & 1) << 7);
    b[12] |= static_cast<unsigned char>(PeakDetectTimeoutIndex(cathode, highGain) << 5);
    b[12] |= static_cast<unsigned char>(PeakingTimeIndex(cathode, highGain) << 3);
    b[12] |= OptionBit(options, 7, 2) | OptionBit(options, 6, 0);
    if (a_ASIC.GetChannelGain() == CHANNEL_GAIN_2)
        b[12] |= 0x02;

    b[13] = OptionBit(options, 5, 7) | OptionBit(options, 4, 4);
    b[13] |= static_cast<unsigned char>(PeakingTimeIndex(anode, highGain) << 5);
    if (a_ASIC.GetReadoutMode() == GMASIC_READOUT_MODE_2)
        b[13] |= 0x08;
    const TimingChannelBipolarGain bipolar = a_ASIC.GetTimingChannelBiPolarGain();
    if (bipolar == TIMING_CHANNEL_BIPOLAR_GAIN_55MV || bipolar == TIMING_CHANNEL_BIPOLAR_GAIN_164MV)
        b[13] |= 0x04;
    if (a_ASIC.GetTimingChannelUnipolarGain() == TIMING_CHANNEL_UNIPOLAR_GAIN_81MV)
        b[13] |= 0x02;
    if (a_ASIC.GetAnalogOutputMonitored() == ANALOG_OUTPUT_ANODE_CHANNEL)
        b[13] |= 0x01;

    // The two anode index fields of byte 14 go least significant bit first.
    const int anodeRamp = TimeDetectRampLengthIndex(anode, highGain);
    const int anodeTimeout = PeakDetectTimeoutIndex(anode, highGain);
    b[14] = OptionBit(options, 3, 7) | OptionBit(options, 2, 2) | OptionBit(options, 1, 1) | OptionBit(options, 0, 0);
    b[14] |= static_cast<unsigned char>(((anodeRamp & 1) << 6) | (((anodeRamp >> 1) & 1) << 5));
    b[14] |= static_cast<unsigned char>(((anodeTimeout & 1) << 4) | (((anodeTimeout >> 1) & 1) << 3));

    if (a_ASIC.GetCathodeTestClockType() == CATHODE_TEST_CLOCK_TYPE_1)
        b[15] = 0x80;

    return QByteArray(reinterpret_cast<const char*>(b), GLOBAL_IMAGE_SIZE);
}

QByteArray ASICRegisterImage::Channels(const ASIC& a_ASIC)
{
    const ASICAnodeData& anode = a_ASIC.GetAnodeChannelData();
    const ASICCathodeData& cathode = a_ASIC.GetCathodeChannelData();
    QByteArray bits(CHANNEL_IMAGE_SIZE, '\0');

    const int anodeCount = anode.GetNoOfChannels();
    for (int no = 1; no <= anodeCount; ++no) {
        const int start = no <= ANODE_LOW_COUNT
            ? ANODE_LOW_START + ASICAnodeChannel::DATA_BITS * (no - 1)
            : ANODE_HIGH_START + ASICAnodeChannel::DATA_BITS * (no - ANODE_LOW_COUNT - 1);
        DetectorCalcs::AddValueToByteArray(static_cast<unsigned int>(anode.GetChannel(no).GetDataBits()), start, bits);
    }
    const int cathodeCount = cathode.GetNoOfChannels();
    for (int no = 1; no <= cathodeCount; ++no) {
        DetectorCalcs::AddValueToByteArray(cathode.GetChannel(no).GetDataBits(),
            CATHODE_START + ASICCathodeChannel::DATA_BITS * (no - 1), bits);
    }

    // The image is sent most significant byte first.
    std::reverse(bits.begin(), bits.end());
    return bits;
}
