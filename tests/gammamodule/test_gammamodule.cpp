// GammaModule validation, the GM register images, and GM assignment.
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "gammamodule/gammamodule.h"
#include "gammamodule/gmregisterbits.h"

namespace {

struct GMField {
    const char* name;
    std::function<bool(GammaModule&)> set;
    int control;
    int asicMode;
    int pulserMode;
    int delay;
    int timestamp;
};

int ImageOf(const GammaModule& a_GM, int a_Register)
{
    switch (a_Register) {
    case 18: return a_GM.GetControlData();
    case 21: return a_GM.GetGMASICModeData();
    case 22: return a_GM.GetGMPulserModeData();
    case 23: return a_GM.GetDelayTimeData();
    case 24: return a_GM.GetTimeStampResolutionData();
    default: return -1;
    }
}

} // namespace

TEST(GammaModuleImages, EachFieldMovesOnlyItsOwnBits)
{
    // Each row: one setting alone, and the five images it must give
    // (control 18, ASIC mode 21, pulser mode 22, delay 23, timestamp 24).
    const std::vector<GMField> fields = {
        { "options bit 0", [](GammaModule& g) { return g.SetOptions(0x1); }, DIS_PACKETS, 0, 0, 0, 0 },
        { "options bit 1", [](GammaModule& g) { return g.SetOptions(0x2); }, GM_DEBUG, 0, 0, 0, 0 },
        { "options bit 2", [](GammaModule& g) { return g.SetOptions(0x4); }, ASIC_E1, 0, 0, 0, 0 },
        { "options high bits", [](GammaModule& g) { return g.SetOptions(~0x7); }, 0, 0, 0, 0, 0 },
        { "ADC1 channel 2", [](GammaModule& g) { return g.SetADC1Channel(2); }, ADC1_CHNL, 0, 0, 0, 0 },
        { "ADC1 channel 1", [](GammaModule& g) { return g.SetADC1Channel(1); }, 0, 0, 0, 0, 0 },
        { "ADC2 channel 2", [](GammaModule& g) { return g.SetADC2Channel(2); }, ADC2_CHNL, 0, 0, 0, 0 },
        { "sparsified", [](GammaModule& g) { return g.SetReadoutMode(GM_READOUT_MODE_SPARSIFIED); }, 0, 0x01, 0, 0, 0 },
        { "readout mode 3", [](GammaModule& g) { return g.SetReadoutMode(static_cast<GMReadoutMode>(3)); },
            0, 0, 0, 0, 0 },
        { "readout option bit 0", [](GammaModule& g) { return g.SetReadoutOptions(0x1); }, 0, NEGATIVE_EN, 0, 0, 0 },
        { "readout option bit 1", [](GammaModule& g) { return g.SetReadoutOptions(0x2); }, 0, TD_EN, 0, 0, 0 },
        { "readout option high bits", [](GammaModule& g) { return g.SetReadoutOptions(~0x3); }, 0, 0, 0, 0, 0 },
        { "multi-threshold", [](GammaModule& g) { return g.SetCathodeMode(GM_CATHODE_MODE_MULTI_THRESHOLD); },
            0, 0x40, 0, 0, 0 },
        { "bipolar", [](GammaModule& g) { return g.SetCathodeMode(GM_CATHODE_MODE_BIPOLAR); }, 0, 0x80, 0, 0, 0 },
        { "cathode mode 4", [](GammaModule& g) { return g.SetCathodeMode(static_cast<GMCathodeMode>(4)); },
            0, 0, 0, 0, 0 },
        { "10 kHz", [](GammaModule& g) { return g.SetPulserFrequency(GM_PULSER_FREQUENCY_10KHZ); }, 0, 0, 0x02, 0, 0 },
        { "100 kHz", [](GammaModule& g) { return g.SetPulserFrequency(GM_PULSER_FREQUENCY_100KHZ); },
            0, 0, 0x03, 0, 0 },
        { "pulser frequency 5", [](GammaModule& g) { return g.SetPulserFrequency(static_cast<GMPulserFrequency>(5)); },
            0, 0, 0, 0, 0 },
        { "anode pulser", [](GammaModule& g) { return g.SetPulserOptions(0x1); }, 0, 0, A_PLSR_EN, 0, 0 },
        { "cathode pulser", [](GammaModule& g) { return g.SetPulserOptions(0x2); }, 0, 0, C_PLSR_EN, 0, 0 },
        { "pulser option high bits", [](GammaModule& g) { return g.SetPulserOptions(~0x3); }, 0, 0, 0, 0, 0 },
        { "15 pulses", [](GammaModule& g) { return g.SetNoOfPulses(15); }, 0, 0, 0xF0, 0, 0 },
        { "1 pulse", [](GammaModule& g) { return g.SetNoOfPulses(1); }, 0, 0, PLS_COUNT0, 0, 0 },
        { "delay 20", [](GammaModule& g) { return g.SetDelayTime(20); }, 0, 0, 0, 1, 0 },
        { "timestamp 100", [](GammaModule& g) { return g.SetTimestampResolution(100); }, 0, 0, 0, 0, 1 },
        { "delay 5100", [](GammaModule& g) { return g.SetDelayTime(5100); }, 0, 0, 0, 255, 0 },
        { "timestamp 25500", [](GammaModule& g) { return g.SetTimestampResolution(25500); }, 0, 0, 0, 0, 255 },
        { "1 kHz", [](GammaModule& g) { return g.SetPulserFrequency(GM_PULSER_FREQUENCY_1KHZ); }, 0, 0, 0x01, 0, 0 },
        { "default GM", [](GammaModule& g) { g.SetDefaultGM(4); return true; }, 0, 0, 0, 0, 0 },
    };
    for (const GMField& field : fields) {
        GammaModule gm(1);
        ASSERT_TRUE(field.set(gm)) << field.name;
        EXPECT_EQ(gm.GetControlData(), field.control) << field.name;
        EXPECT_EQ(gm.GetGMASICModeData(), field.asicMode) << field.name;
        EXPECT_EQ(gm.GetGMPulserModeData(), field.pulserMode) << field.name;
        EXPECT_EQ(gm.GetDelayTimeData(), field.delay) << field.name;
        EXPECT_EQ(gm.GetTimeStampResolutionData(), field.timestamp) << field.name;
    }
}

TEST(GammaModuleValidation, RefusedValuesKeepTheOldValueAndFillTheMessage)
{
    GammaModule gm(1);
    ASSERT_TRUE(gm.SetDelayTime(100));
    EXPECT_FALSE(gm.SetDelayTime(5120));
    EXPECT_EQ(gm.GetLastError(), "Delay Time value must be between 0 and 5100");
    EXPECT_FALSE(gm.SetDelayTime(30));
    EXPECT_EQ(gm.GetLastError(), "Delay Time value must be a multiple of 20");
    EXPECT_FALSE(gm.SetDelayTime(-20));
    EXPECT_EQ(gm.GetLastError(), "Delay Time value must be between 0 and 5100");
    EXPECT_FALSE(gm.SetDelayTime(-30));
    EXPECT_EQ(gm.GetLastError(), "Delay Time value must be a multiple of 20");
    EXPECT_EQ(gm.GetDelayTime(), 100);

    ASSERT_TRUE(gm.SetTimestampResolution(200));
    EXPECT_FALSE(gm.SetTimestampResolution(150));
    EXPECT_EQ(gm.GetLastError(), "Timestamp Resolution must be a multiple of 100");
    EXPECT_FALSE(gm.SetTimestampResolution(25600));
    EXPECT_EQ(gm.GetLastError(), "Timestamp Resolution must be between 0 and 25500");
    EXPECT_EQ(gm.GetTimestampResolution(), 200);

    EXPECT_FALSE(gm.SetNoOfPulses(16));
    EXPECT_EQ(gm.GetLastError(), "No of pulses must be between 0 and 15");
    EXPECT_FALSE(gm.SetNoOfPulses(-1));
    EXPECT_EQ(gm.GetNoOfPulses(), 0);

    EXPECT_FALSE(gm.SetADC1Channel(3));
    EXPECT_EQ(gm.GetLastError(), "ADC channel must be 1 or 2");
    gm.SetTimestampResolution(1);
    EXPECT_FALSE(gm.SetADC2Channel(0));
    EXPECT_EQ(gm.GetLastError(), "ADC channel must be 1 or 2");
    EXPECT_EQ(gm.GetADC2Channel(), 0);

    EXPECT_FALSE(gm.SetReadoutMode(GM_READOUT_MODE_UNDEFINED));
    EXPECT_EQ(gm.GetLastError(), "Undefined readout mode detected");
    EXPECT_FALSE(gm.SetCathodeMode(GM_CATHODE_MODE_UNDEFINED));
    EXPECT_EQ(gm.GetLastError(), "Undefined cathode mode detected");
    EXPECT_FALSE(gm.SetPulserFrequency(GM_PULSER_FREQUENCY_UNDEFINED));
    EXPECT_EQ(gm.GetLastError(), "Undefined pulser frequency detected");
    EXPECT_EQ(gm.GetReadoutMode(), GM_READOUT_MODE_READ_ALL);
    EXPECT_EQ(gm.GetCathodeMode(), GM_CATHODE_MODE_UNIPOLAR);
    EXPECT_EQ(gm.GetPulserFrequency(), GM_PULSER_FREQUENCY_100HZ);
}

TEST(GammaModuleAssignment, CopiesEverySettingAndTheASICButNotIDOrError)
{
    GammaModule source(1);
    source.SetOptions(0x25);
    source.SetReadoutOptions(0x3);
    source.SetReadoutMode(GM_READOUT_MODE_SPARSIFIED);
    source.SetCathodeMode(GM_CATHODE_MODE_MULTI_THRESHOLD);
    source.SetPulserFrequency(GM_PULSER_FREQUENCY_100KHZ);
    source.SetPulserOptions(0x2);
    source.SetDelayTime(2000);
    source.SetTimestampResolution(300);
    source.SetNoOfPulses(9);
    source.SetDefaultGM(3);
    source.SetADC1Channel(2);
    source.SetADC2Channel(1);
    source.AccessASIC()->SetChannelGain(CHANNEL_GAIN_2);
    source.AccessASIC()->MaskChannel(CHANNEL_TYPE_ANODE, 90, true);
    source.SetNoOfPulses(99);

    GammaModule target(4);
    target.SetDelayTime(7);
    const QString targetError = target.GetLastError();
    target = source;

    EXPECT_EQ(target.GetID(), 4);
    EXPECT_EQ(target.GetLastError(), targetError);
    EXPECT_EQ(target.GetOptions(), 0x25);
    EXPECT_EQ(target.GetReadoutOption(), 0x3);
    EXPECT_EQ(target.GetReadoutMode(), GM_READOUT_MODE_SPARSIFIED);
    EXPECT_EQ(target.GetCathodeMode(), GM_CATHODE_MODE_MULTI_THRESHOLD);
    EXPECT_EQ(target.GetPulserFrequency(), GM_PULSER_FREQUENCY_100KHZ);
    EXPECT_EQ(target.GetPulserOption(), 0x2);
    EXPECT_EQ(target.GetDelayTime(), 2000);
    EXPECT_EQ(target.GetTimestampResolution(), 300);
    EXPECT_EQ(target.GetNoOfPulses(), 9);
    EXPECT_EQ(target.GetDefaultGM(), 3);
    EXPECT_EQ(target.GetADC1Channel(), 2);
    EXPECT_EQ(target.GetADC2Channel(), 1);
    EXPECT_EQ(target.GetASIC().GetGlobalDataArray(), source.GetASIC().GetGlobalDataArray());
    EXPECT_EQ(target.GetASIC().GetChannelDataArray(), source.GetASIC().GetChannelDataArray());
    for (int reg : { 18, 21, 22, 23, 24 })
        EXPECT_EQ(ImageOf(target, reg), ImageOf(source, reg)) << reg;
}
