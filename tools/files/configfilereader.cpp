#include "tools/files/configfilereader.h"

#include "files/configurationreader.h"

#include <QFile>
#include <cstring>

namespace tool {

namespace {

// The settings under the names the NeXus file gives them, in file order.
void addGroupSettings(const ParsedChannelGroup& a_Group, ChannelGroup* a_Out)
{
    a_Out->settings.push_back({"test_pulse_step", a_Group.m_TestPulseStep});
    a_Out->settings.push_back({"peak_detect_timeout", a_Group.m_PeakDetectTimeout});
    a_Out->settings.push_back({"time_detect_ramp_length", a_Group.m_TimeDetectRampLength});
    a_Out->peakingTime = a_Group.m_PeakingTime;
}

// One column per channel field, a value per channel.
template <typename Channel>
void addChannels(const std::vector<Channel>& a_Channels, std::vector<std::pair<const char*, int Channel::*>> a_Fields,
                 ChannelGroup* a_Out)
{
    for (const auto& field : a_Fields) {
        a_Out->columns.push_back(field.first);
        std::vector<qint32> values;
        for (const Channel& channel : a_Channels)
            values.push_back(channel.*field.second);
        a_Out->values.push_back(std::move(values));
    }
}

GMRecord gmRecord(const ParsedGM& a_GM)
{
    GMRecord gm;
    gm.settings = {{"id", a_GM.m_ID},
                   {"options", a_GM.m_Options},
                   {"readout_options", a_GM.m_ReadoutOptions},
                   {"readout_mode", a_GM.m_ReadoutMode},
                   {"cathode_mode", a_GM.m_CathodeMode},
                   {"pulser_frequency", a_GM.m_PulserFrequency},
                   {"pulser_options", a_GM.m_PulserOptions},
                   {"delay_time", a_GM.m_DelayTime},
                   {"timestamp_resolution", a_GM.m_TimestampResolution},
                   {"number_of_pulses", a_GM.m_NoOfPulses},
                   {"default_gm", a_GM.m_DefaultGM},
                   {"adc1_channel", a_GM.m_ADC1Channel},
                   {"adc2_channel", a_GM.m_ADC2Channel}};
    const ParsedASIC& asic = a_GM.m_ASIC;
    const ParsedAnalogOutput& monitor = asic.m_AnalogOutput;
    gm.asic = {{"cathode_test_clock_type", asic.m_CathodeTestClockType},
               {"global_options", asic.m_GlobalOptions},
               {"readout_mode", asic.m_ReadoutMode},
               {"analog_output_monitored", monitor.m_IsMonitorCode ? monitor.m_MonitorCode : monitor.m_AnalogOutput},
               {"dac_monitored", monitor.m_DAC},
               {"cathode_energy_timing_monitored", monitor.m_CathodeEnergyTiming},
               {"anode_channel_monitored", monitor.m_AnodeChannel},
               {"timing_channel_unipolar_gain", asic.m_TimingChannelUnipolarGain},
               {"timing_channel_bipolar_gain", asic.m_TimingChannelBiPolarGain},
               {"channel_gain", asic.m_ChannelGain},
               {"internal_leakage_current_generator", asic.m_InternalLeakageCurrentGenerator},
               {"multiple_firing_suppress_time", asic.m_MultipleFiringSuppressTime}};

    const ParsedAnodeData& anode = asic.m_Anode;
    addGroupSettings(anode.m_Group, &gm.anode);
    gm.anode.settings.push_back({"test_pulse_edge", anode.m_TestPulseEdge});
    gm.anode.settings.push_back({"positive_energy_threshold_step", anode.m_PositiveEnergyThresholdStep});
    gm.anode.settings.push_back({"negative_energy_threshold_step", anode.m_NegativeEnergyThresholdStep});
    addChannels<ParsedAnodeChannel>(
        anode.m_Channels,
        {{"options", &ParsedAnodeChannel::m_Options},
         {"positive_pulse_threshold_trim_step", &ParsedAnodeChannel::m_PositivePulseThresholdTrimStep},
         {"signal_monitored", &ParsedAnodeChannel::m_SignalMonitored},
         {"negative_pulse_threshold_trim_step", &ParsedAnodeChannel::m_NegativePulseThresholdTrimStep}},
        &gm.anode);

    const ParsedCathodeData& cathode = asic.m_Cathode;
    addGroupSettings(cathode.m_Group, &gm.cathode);
    gm.cathode.settings.push_back({"test_mode_input", cathode.m_TestModeInput});
    gm.cathode.settings.push_back({"timing_shaper_peaking_time", cathode.m_TimingShaperPeakingTime});
    gm.cathode.settings.push_back({"energy_threshold_step", cathode.m_EnergyThresholdStep});
    gm.cathode.settings.push_back({"timing_unipolar_threshold_step", cathode.m_TimingUnipolarThresholdStep});
    gm.cathode.settings.push_back(
        {"timing_primary_bipolar_multi_threshold_step", cathode.m_TimingPrimaryBiPolarMultiThresholdStep});
    gm.cathode.settings.push_back({"timing_secondary_multi_threshold_displacement_step",
                                   cathode.m_TimingSecondaryMultiThresholdDisplacementStep});
    addChannels<ParsedCathodeChannel>(
        cathode.m_Channels,
        {{"options", &ParsedCathodeChannel::m_Options},
         {"positive_pulse_threshold_trim_step", &ParsedCathodeChannel::m_PositivePulseThresholdTrimStep},
         {"shaped_timing_signal", &ParsedCathodeChannel::m_ShapedTimingSignal},
         {"timing_mode", &ParsedCathodeChannel::m_TimingMode},
         {"timing_unipolar_trim_step", &ParsedCathodeChannel::m_TimingUnipolarThresholdTrimStep},
         {"first_multi_threshold_trim_step", &ParsedCathodeChannel::m_TimingFirstMultiThresholdTrimStep},
         {"second_multi_threshold_trim_step", &ParsedCathodeChannel::m_TimingSecondMultiThresholdTrimStep},
         {"third_multi_threshold_trim_step", &ParsedCathodeChannel::m_TimingThirdMultiThresholdTrimStep},
         {"internal_leakage_current_generator", &ParsedCathodeChannel::m_InternalLeakageCurrentGenerator}},
        &gm.cathode);
    return gm;
}

} // namespace

qint32 GMRecord::setting(const char* a_Name) const
{
    for (const NamedValue& value : settings)
        if (std::strcmp(value.name, a_Name) == 0)
            return value.value;
    return 0;
}

const GMRecord* CameraConfiguration::gm(int a_ID) const
{
    for (const GMRecord& record : gms)
        if (record.setting("id") == a_ID)
            return &record;
    return nullptr;
}

bool ConfigFileReader::read(const QString& a_Path, CameraConfiguration* a_Configuration, QString* a_Error)
{
    *a_Configuration = CameraConfiguration();
    QFile file(a_Path);
    if (!file.open(QIODevice::ReadOnly)) {
        *a_Error = QStringLiteral("cannot open %1: %2").arg(a_Path, file.errorString());
        return false;
    }
    // The library's own reader, the one the fuzz target checks; the photons
    // are checked but not kept, the packets are all the tools need of them.
    ParsedConfiguration parsed;
    ConfigurationReader reader;
    reader.SetKeepPhotons(false);
    if (!reader.Read(&file, &parsed)) {
        if (reader.GetLastError() == QLatin1String(ConfigurationReader::UNRECOGNISED_FILE_TEXT))
            *a_Error = QStringLiteral("%1 is not a configuration file of a format version this program knows")
                           .arg(a_Path);
        else
            *a_Error = QStringLiteral("%1: %2").arg(a_Path, reader.GetLastError());
        return false;
    }
    a_Configuration->formatVersion = parsed.m_FormatVersion;
    QByteArray address = parsed.m_CameraIPAddress;
    if (address.endsWith('\0'))
        address.chop(1);
    a_Configuration->cameraAddress = QString::fromUtf8(address);
    const ParsedSysConfig& system = parsed.m_SysConfig;
    a_Configuration->system = {{"gm_update_type", parsed.m_GMUpdateType},
                               {"debug_mode", system.m_DebugMode ? 1 : 0},
                               {"mb_multiplexer_address_type", system.m_MBMultiplexerAddressType},
                               {"packet_transfer_rate", system.m_PacketTransferRate},
                               {"token_type", system.m_TokenType}};
    if (system.m_HasPixelMappingMode) {
        a_Configuration->pixelMappingMode = system.m_PixelMappingMode;
        a_Configuration->system.push_back({"pixel_mapping_mode", system.m_PixelMappingMode});
    }
    for (const ParsedGM& gm : parsed.m_GMs)
        a_Configuration->gms.push_back(gmRecord(gm));
    a_Configuration->hasPacketSection = parsed.m_Packets.m_Present;
    for (const ParsedPacket& packet : parsed.m_Packets.m_Packets)
        a_Configuration->packets.push_back(
            {packet.m_GMID, packet.m_HeaderWord, packet.m_HeaderByte, quint32(packet.m_NoOfPhotons)});
    return true;
}

} // namespace tool
