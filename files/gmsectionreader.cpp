#include "files/gmsectionreader.h"

#include "asic/asic.h"
#include "files/configurationformat.h"
#include "files/oldformatconversions.h"
#include "files/recordreader.h"

using namespace ConfigurationFormat;

bool GMSectionReader::LoadGammaModules(RecordReader& a_Reader, int a_FormatVersion, std::vector<ParsedGM>* a_pGMs)
{
    const int count = a_Reader.Int();
    if (!a_Reader.Ok())
        return a_Reader.Truncated(QStringLiteral("the GM count"));
    if (count < 0)
        return a_Reader.Fail(QStringLiteral("Configuration file holds a negative GM count (%1)").arg(count));
    // Records are appended as they are read, never reserved from the count.
    for (int index = 0; index < count; ++index) {
        ParsedGM gm;
        LoadGM(a_Reader, &gm);
        if (!a_Reader.Ok() || !LoadASIC(a_Reader, a_FormatVersion, &gm.m_ASIC)) {
            if (a_Reader.GetLastError().isEmpty())
                a_Reader.Truncated(QStringLiteral("GM record %1 of %2").arg(index + 1).arg(count));
            return false;
        }
        a_pGMs->push_back(std::move(gm));
    }
    return true;
}

void GMSectionReader::LoadGM(RecordReader& a_Reader, ParsedGM* a_pGM)
{
    a_pGM->m_ID = a_Reader.Int();
    a_pGM->m_Options = a_Reader.Int();
    a_pGM->m_ReadoutOptions = a_Reader.Int();
    a_pGM->m_ReadoutMode = a_Reader.Int();
    a_pGM->m_CathodeMode = a_Reader.Int();
    a_pGM->m_PulserFrequency = a_Reader.Int();
    a_pGM->m_PulserOptions = a_Reader.Int();
    a_pGM->m_DelayTime = a_Reader.Int();
    a_pGM->m_TimestampResolution = a_Reader.Int();
    a_pGM->m_NoOfPulses = a_Reader.Int();
    a_pGM->m_DefaultGM = a_Reader.Int();
    a_pGM->m_ADC1Channel = a_Reader.Int();
    a_pGM->m_ADC2Channel = a_Reader.Int();
}

bool GMSectionReader::LoadASIC(RecordReader& a_Reader, int a_FormatVersion, ParsedASIC* a_pASIC)
{
    a_pASIC->m_CathodeTestClockType = a_Reader.Int();
    a_pASIC->m_GlobalOptions = a_Reader.Int();
    a_pASIC->m_ReadoutMode = a_Reader.Int();
    ReadAnalogOutputData(a_Reader, a_FormatVersion, &a_pASIC->m_AnalogOutput);
    a_pASIC->m_TimingChannelUnipolarGain = a_Reader.Int();
    a_pASIC->m_TimingChannelBiPolarGain = a_Reader.Int();
    a_pASIC->m_ChannelGain = a_Reader.Int();
    a_pASIC->m_InternalLeakageCurrentGenerator = a_Reader.Int();
    a_pASIC->m_MultipleFiringSuppressTime = a_Reader.Int();
    return a_Reader.Ok() && LoadAnodeChannelData(a_Reader, a_FormatVersion, &a_pASIC->m_Anode)
        && LoadCathodeChannelData(a_Reader, a_FormatVersion, &a_pASIC->m_Cathode);
}

void GMSectionReader::ReadAnalogOutputData(RecordReader& a_Reader, int a_FormatVersion,
                                           ParsedAnalogOutput* a_pOutput)
{
    if (a_FormatVersion < FIRST_WITH_ANALOG_OUTPUT_BLOCK) {
        a_pOutput->m_IsMonitorCode = true;
        a_pOutput->m_MonitorCode = a_Reader.Int();
        a_pOutput->m_AnodeChannel = a_Reader.Int();
        return;
    }
    a_pOutput->m_AnalogOutput = a_Reader.Int();
    a_pOutput->m_DAC = a_Reader.Int();
    a_pOutput->m_CathodeEnergyTiming = a_Reader.Int();
    a_pOutput->m_AnodeChannel = a_Reader.Int();
}

void GMSectionReader::LoadChannelData(RecordReader& a_Reader, int a_FormatVersion, ParsedChannelGroup* a_pGroup)
{
    a_pGroup->m_TestPulseStep = ReadStep(a_Reader, a_FormatVersion);
    a_pGroup->m_PeakDetectTimeout = a_Reader.Int();
    a_pGroup->m_TimeDetectRampLength = a_Reader.Int();
    a_pGroup->m_PeakingTime = a_Reader.Double();
}

bool GMSectionReader::LoadAnodeChannelData(RecordReader& a_Reader, int a_FormatVersion, ParsedAnodeData* a_pData)
{
    LoadChannelData(a_Reader, a_FormatVersion, &a_pData->m_Group);
    a_pData->m_TestPulseEdge = a_Reader.Int();
    a_pData->m_PositiveEnergyThresholdStep = ReadStep(a_Reader, a_FormatVersion);
    a_pData->m_NegativeEnergyThresholdStep = ReadStep(a_Reader, a_FormatVersion);
    int count = 0;
    if (!ReadChannelCount(a_Reader, "anode", &count))
        return false;
    for (int index = 0; index < count; ++index) {
        ParsedAnodeChannel channel;
        channel.m_Options = a_Reader.Int();
        channel.m_PositivePulseThresholdTrimStep = ReadPulseTrim(a_Reader, a_FormatVersion);
        channel.m_SignalMonitored = a_Reader.Int();
        channel.m_NegativePulseThresholdTrimStep = ReadPulseTrim(a_Reader, a_FormatVersion);
        if (!a_Reader.Ok())
            return a_Reader.Truncated(QStringLiteral("anode channel record %1 of %2").arg(index + 1).arg(count));
        // Records beyond the ASIC's channels are read and dropped.
        if (index < ASIC_ANODE_CHANNEL_COUNT)
            a_pData->m_Channels.push_back(channel);
    }
    return true;
}

bool GMSectionReader::LoadCathodeChannelData(RecordReader& a_Reader, int a_FormatVersion,
                                             ParsedCathodeData* a_pData)
{
    LoadChannelData(a_Reader, a_FormatVersion, &a_pData->m_Group);
    a_pData->m_TestModeInput = a_Reader.Int();
    a_pData->m_TimingShaperPeakingTime = a_Reader.Int();
    a_pData->m_EnergyThresholdStep = ReadStep(a_Reader, a_FormatVersion);
    a_pData->m_TimingUnipolarThresholdStep = ReadStep(a_Reader, a_FormatVersion);
    a_pData->m_TimingPrimaryBiPolarMultiThresholdStep = ReadStep(a_Reader, a_FormatVersion);
    a_pData->m_TimingSecondaryMultiThresholdDisplacementStep = a_FormatVersion < FIRST_WITH_STEP_VALUES
        ? OldFormatConversions::GetMultiThreshDisplacementStep(a_Reader.Float())
        : a_Reader.Int();
    int count = 0;
    if (!ReadChannelCount(a_Reader, "cathode", &count))
        return false;
    for (int index = 0; index < count; ++index) {
        ParsedCathodeChannel channel;
        channel.m_Options = a_Reader.Int();
        channel.m_PositivePulseThresholdTrimStep = ReadPulseTrim(a_Reader, a_FormatVersion);
        channel.m_ShapedTimingSignal = a_Reader.Int();
        channel.m_TimingMode = a_Reader.Int();
        channel.m_TimingUnipolarThresholdTrimStep = ReadTimingTrim(a_Reader, a_FormatVersion);
        channel.m_TimingFirstMultiThresholdTrimStep = ReadTimingTrim(a_Reader, a_FormatVersion);
        channel.m_TimingSecondMultiThresholdTrimStep = ReadTimingTrim(a_Reader, a_FormatVersion);
        channel.m_TimingThirdMultiThresholdTrimStep = ReadTimingTrim(a_Reader, a_FormatVersion);
        channel.m_InternalLeakageCurrentGenerator = a_Reader.Int();
        if (!a_Reader.Ok())
            return a_Reader.Truncated(QStringLiteral("cathode channel record %1 of %2").arg(index + 1).arg(count));
        if (index < ASIC_CATHODE_CHANNEL_COUNT)
            a_pData->m_Channels.push_back(channel);
    }
    return true;
}

bool GMSectionReader::ReadChannelCount(RecordReader& a_Reader, const char* a_Kind, int* a_pCount)
{
    *a_pCount = a_Reader.Int();
    if (!a_Reader.Ok())
        return a_Reader.Truncated(QStringLiteral("the %1 channel group").arg(QLatin1String(a_Kind)));
    if (*a_pCount < 0)
        return a_Reader.Fail(QStringLiteral("Configuration file holds a negative %1 channel count (%2)")
                                 .arg(QLatin1String(a_Kind))
                                 .arg(*a_pCount));
    return true;
}

int GMSectionReader::ReadStep(RecordReader& a_Reader, int a_FormatVersion)
{
    if (a_FormatVersion < FIRST_WITH_STEP_VALUES)
        return OldFormatConversions::GetThresholdAsStep(a_Reader.Float());
    return a_Reader.Int();
}

int GMSectionReader::ReadPulseTrim(RecordReader& a_Reader, int a_FormatVersion)
{
    const int value = a_Reader.Int();
    return a_FormatVersion < FIRST_WITH_STEP_VALUES ? OldFormatConversions::GetPulseThresholdTrimAsStep(value) : value;
}

int GMSectionReader::ReadTimingTrim(RecordReader& a_Reader, int a_FormatVersion)
{
    if (a_FormatVersion < FIRST_WITH_STEP_VALUES)
        return OldFormatConversions::GetThresholdTrimAsStep(a_Reader.Double());
    return a_Reader.Int();
}
