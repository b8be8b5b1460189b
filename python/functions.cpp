// Every exported function of QuorvelDll under its own name and a snake_case
// one, with the names of its inputs (the callback setters and Close are in
// callbackbindings.cpp).
#include "python/binder.h"

#include "quorveldll.h"

namespace quorvelpy {

void bindFunctions(py::module_& m)
{
    // Library, connection and errors
    def(m, "GetVersion", "get_version", &QuorvelDll::GetVersion);
    def(m, "SetHostIPAddress", "set_host_ip_address", &QuorvelDll::SetHostIPAddress, {"address"});
    def(m, "SetCameraIPAddress", "set_camera_ip_address", &QuorvelDll::SetCameraIPAddress, {"address"});
    def(m, "GetCameraIPAddress", "get_camera_ip_address", &QuorvelDll::GetCameraIPAddress);
    def(m, "Initialize", "initialize", &QuorvelDll::Initialize);
    def(m, "IsSystemInitialized", "is_system_initialized", &QuorvelDll::IsSystemInitialized);
    def(m, "Disconnect", "disconnect", &QuorvelDll::Disconnect);
    def(m, "GetLastError", "get_last_error", &QuorvelDll::GetLastError);

    // System configuration and control
    def(m, "GetGBEFirmwareVersion", "get_gbe_firmware_version", &QuorvelDll::GetGBEFirmwareVersion);
    def(m, "StartSys", "start_sys", &QuorvelDll::StartSys);
    def(m, "StopSys", "stop_sys", &QuorvelDll::StopSys);
    def(m, "SetDebugMode", "set_debug_mode", &QuorvelDll::SetDebugMode, {"active"});
    def(m, "IsDebugModeActive", "is_debug_mode_active", &QuorvelDll::IsDebugModeActive);
    def(m, "SetMBMultiplexerAddressType", "set_mb_multiplexer_address_type",
        &QuorvelDll::SetMBMultiplexerAddressType, {"type"});
    def(m, "GetMBMultiplexerAddressType", "get_mb_multiplexer_address_type",
        &QuorvelDll::GetMBMultiplexerAddressType);
    def(m, "SetPacketTransferRate", "set_packet_transfer_rate", &QuorvelDll::SetPacketTransferRate, {"rate"});
    def(m, "GetPacketTransferRate", "get_packet_transfer_rate", &QuorvelDll::GetPacketTransferRate);
    def(m, "SetSysTokenType", "set_sys_token_type", &QuorvelDll::SetSysTokenType, {"type"});
    def(m, "GetSysTokenType", "get_sys_token_type", &QuorvelDll::GetSysTokenType);
    def(m, "SetPixelMappingMode", "set_pixel_mapping_mode", &QuorvelDll::SetPixelMappingMode, {"mode"});
    def(m, "GetPixelMappingMode", "get_pixel_mapping_mode", &QuorvelDll::GetPixelMappingMode);
    def(m, "SendGBEControlData", "send_gbe_control_data", &QuorvelDll::SendGBEControlData);
    def(m, "SetCameraUpdateMode", "set_camera_update_mode", &QuorvelDll::SetCameraUpdateMode, {"mode"});
    def(m, "GetCameraUpdateMode", "get_camera_update_mode", &QuorvelDll::GetCameraUpdateMode);

    // Photon collection and collected data (packet and photon numbers are 1-based)
    def(m, "StartPhotonCollection", "start_photon_collection", &QuorvelDll::StartPhotonCollection);
    def(m, "StopPhotonCollection", "stop_photon_collection", &QuorvelDll::StopPhotonCollection);
    def(m, "IsSystemCollectingPhotons", "is_system_collecting_photons", &QuorvelDll::IsSystemCollectingPhotons);
    def(m, "GetNoOfCollectedPackets", "get_no_of_collected_packets", &QuorvelDll::GetNoOfCollectedPackets);
    def(m, "GetPacketData", "get_packet_data", &QuorvelDll::GetPacketData, {"packet_no", "type"});
    def(m, "GetPhotonData", "get_photon_data", &QuorvelDll::GetPhotonData, {"packet_no", "photon_no", "type"});

    // Photon streaming and bulk reads (ReadPhotons, the counters and the bulk
    // reads return numpy arrays: see photonstreaming.cpp and collectiontables.cpp)
    def(m, "EnablePhotonStream", "enable_photon_stream", &QuorvelDll::EnablePhotonStream, {"capacity_photons"});
    def(m, "DisablePhotonStream", "disable_photon_stream", &QuorvelDll::DisablePhotonStream);
    def(m, "IsPhotonStreamEnabled", "is_photon_stream_enabled", &QuorvelDll::IsPhotonStreamEnabled);
    def(m, "SetStorePhotons", "set_store_photons", &QuorvelDll::SetStorePhotons, {"store"});
    def(m, "IsStoringPhotons", "is_storing_photons", &QuorvelDll::IsStoringPhotons);
    def(m, "GetNoOfPhotonsInPackets", "get_no_of_photons_in_packets", &QuorvelDll::GetNoOfPhotonsInPackets,
        {"first_packet_no", "last_packet_no"});

    // Direct register access
    def(m, "RegWrite", "reg_write", &QuorvelDll::RegWrite, {"register", "msb", "lsb"});
    def(m, "RegRead", "reg_read", &QuorvelDll::RegRead, {"register"});
    def(m, "GMRegWrite", "gm_reg_write", &QuorvelDll::GMRegWrite, {"register", "value"});
    def(m, "GMRegRead", "gm_reg_read", &QuorvelDll::GMRegRead, {"register"});

    // Gamma modules (a GM ID is 1-based)
    def(m, "GetGMFirmwareVersion", "get_gm_firmware_version", &QuorvelDll::GetGMFirmwareVersion);
    def(m, "GetNoOfGMs", "get_no_of_gms", &QuorvelDll::GetNoOfGMs);
    def(m, "GetNoOfLoadedGMs", "get_no_of_loaded_gms", &QuorvelDll::GetNoOfLoadedGMs);
    def(m, "CopyLoadedGMToGM", "copy_loaded_gm_to_gm", &QuorvelDll::CopyLoadedGMToGM, {"loaded_gm_id", "gm_id"});
    def(m, "SetDefaultGM", "set_default_gm", &QuorvelDll::SetDefaultGM, {"gm_id"});
    def(m, "GetDefaultGM", "get_default_gm", &QuorvelDll::GetDefaultGM);
    def(m, "SetActiveGM", "set_active_gm", &QuorvelDll::SetActiveGM, {"gm_id"});
    def(m, "GetActiveGM", "get_active_gm", &QuorvelDll::GetActiveGM);
    def(m, "IsActiveGMSet", "is_active_gm_set", &QuorvelDll::IsActiveGMSet);
    def(m, "GetGMStatus", "get_gm_status", &QuorvelDll::GetGMStatus);
    def(m, "SetGMOptions", "set_gm_options", &QuorvelDll::SetGMOptions, {"options"});
    def(m, "GetGMOptions", "get_gm_options", &QuorvelDll::GetGMOptions);
    def(m, "SetGMADC1Channel", "set_gm_adc1_channel", &QuorvelDll::SetGMADC1Channel, {"channel"});
    def(m, "GetGMADC1Channel", "get_gm_adc1_channel", &QuorvelDll::GetGMADC1Channel);
    def(m, "SetGMADC2Channel", "set_gm_adc2_channel", &QuorvelDll::SetGMADC2Channel, {"channel"});
    def(m, "GetGMADC2Channel", "get_gm_adc2_channel", &QuorvelDll::GetGMADC2Channel);
    def(m, "ReadGMADC1", "read_gm_adc1", &QuorvelDll::ReadGMADC1);
    def(m, "ReadGMADC2", "read_gm_adc2", &QuorvelDll::ReadGMADC2);
    def(m, "SetDelayTime", "set_delay_time", &QuorvelDll::SetDelayTime, {"time"});
    def(m, "GetDelayTime", "get_delay_time", &QuorvelDll::GetDelayTime);
    def(m, "SetTimestampResolution", "set_timestamp_resolution", &QuorvelDll::SetTimestampResolution, {"resolution"});
    def(m, "GetTimestampResolution", "get_timestamp_resolution", &QuorvelDll::GetTimestampResolution);
    def(m, "SetGMReadoutOptions", "set_gm_readout_options", &QuorvelDll::SetGMReadoutOptions, {"options"});
    def(m, "GetGMReadoutOptions", "get_gm_readout_options", &QuorvelDll::GetGMReadoutOptions);
    def(m, "SetGMReadoutMode", "set_gm_readout_mode", &QuorvelDll::SetGMReadoutMode, {"mode"});
    def(m, "GetGMReadoutMode", "get_gm_readout_mode", &QuorvelDll::GetGMReadoutMode);
    def(m, "SetGMCathodeMode", "set_gm_cathode_mode", &QuorvelDll::SetGMCathodeMode, {"mode"});
    def(m, "GetGMCathodeMode", "get_gm_cathode_mode", &QuorvelDll::GetGMCathodeMode);
    def(m, "SetGMPulserFrequency", "set_gm_pulser_frequency", &QuorvelDll::SetGMPulserFrequency, {"frequency"});
    def(m, "GetGMPulserFrequency", "get_gm_pulser_frequency", &QuorvelDll::GetGMPulserFrequency);
    def(m, "SetGMPulserOptions", "set_gm_pulser_options", &QuorvelDll::SetGMPulserOptions, {"options"});
    def(m, "GetGMPulserOptions", "get_gm_pulser_options", &QuorvelDll::GetGMPulserOptions);
    def(m, "SetNoOfPulses", "set_no_of_pulses", &QuorvelDll::SetNoOfPulses, {"count"});
    def(m, "GetNoOfPulses", "get_no_of_pulses", &QuorvelDll::GetNoOfPulses);
    def(m, "SetGMUpdateType", "set_gm_update_type", &QuorvelDll::SetGMUpdateType, {"type"});
    def(m, "GetGMUpdateType", "get_gm_update_type", &QuorvelDll::GetGMUpdateType);
    def(m, "SendGMData", "send_gm_data", &QuorvelDll::SendGMData);

    // ASIC global settings of the active GM
    def(m, "SetASICGlobalOptions", "set_asic_global_options", &QuorvelDll::SetASICGlobalOptions, {"options"});
    def(m, "GetASICGlobalOptions", "get_asic_global_options", &QuorvelDll::GetASICGlobalOptions);
    def(m, "SetTimingChannelUnipolarGain", "set_timing_channel_unipolar_gain",
        &QuorvelDll::SetTimingChannelUnipolarGain, {"gain"});
    def(m, "GetTimingChannelUnipolarGain", "get_timing_channel_unipolar_gain",
        &QuorvelDll::GetTimingChannelUnipolarGain);
    def(m, "SetTimingChannelBiPolarGain", "set_timing_channel_bipolar_gain",
        &QuorvelDll::SetTimingChannelBiPolarGain, {"gain"});
    def(m, "GetTimingChannelBiPolarGain", "get_timing_channel_bipolar_gain",
        &QuorvelDll::GetTimingChannelBiPolarGain);
    def(m, "SetASICReadoutMode", "set_asic_readout_mode", &QuorvelDll::SetASICReadoutMode, {"mode"});
    def(m, "GetASICReadoutMode", "get_asic_readout_mode", &QuorvelDll::GetASICReadoutMode);
    def(m, "SetChannelGain", "set_channel_gain", &QuorvelDll::SetChannelGain, {"gain"});
    def(m, "GetChannelGain", "get_channel_gain", &QuorvelDll::GetChannelGain);
    def(m, "SetCathodeTestModeInput", "set_cathode_test_mode_input", &QuorvelDll::SetCathodeTestModeInput, {"input"});
    def(m, "GetCathodeTestModeInput", "get_cathode_test_mode_input", &QuorvelDll::GetCathodeTestModeInput);
    def(m, "SetInternalLeakageCurrentGenerator", "set_internal_leakage_current_generator",
        &QuorvelDll::SetInternalLeakageCurrentGenerator, {"generator"});
    def(m, "GetInternalLeakageCurrentGenerator", "get_internal_leakage_current_generator",
        &QuorvelDll::GetInternalLeakageCurrentGenerator);
    def(m, "SetAnodeTestPulseEdge", "set_anode_test_pulse_edge", &QuorvelDll::SetAnodeTestPulseEdge, {"edge"});
    def(m, "GetAnodeTestPulseEdge", "get_anode_test_pulse_edge", &QuorvelDll::GetAnodeTestPulseEdge);
    def(m, "SetCathodeTimingChannelsShaperPeakingTime", "set_cathode_timing_channels_shaper_peaking_time",
        &QuorvelDll::SetCathodeTimingChannelsShaperPeakingTime, {"time"});
    def(m, "GetCathodeTimingChannelsShaperPeakingTime", "get_cathode_timing_channels_shaper_peaking_time",
        &QuorvelDll::GetCathodeTimingChannelsShaperPeakingTime);
    def(m, "SetCathodeTimingChannelsSecondaryMultiThresholdsDisplacementStep",
        "set_cathode_timing_channels_secondary_multi_thresholds_displacement_step",
        &QuorvelDll::SetCathodeTimingChannelsSecondaryMultiThresholdsDisplacementStep, {"step"});
    def(m, "GetCathodeTimingChannelsSecondaryMultiThresholdsDisplacementStep",
        "get_cathode_timing_channels_secondary_multi_thresholds_displacement_step",
        &QuorvelDll::GetCathodeTimingChannelsSecondaryMultiThresholdsDisplacementStep);
    def(m, "SetMultipleFiringSuppressTime", "set_multiple_firing_suppress_time",
        &QuorvelDll::SetMultipleFiringSuppressTime, {"time"});
    def(m, "GetMultipleFiringSuppressTime", "get_multiple_firing_suppress_time",
        &QuorvelDll::GetMultipleFiringSuppressTime);
    def(m, "SetCathodeTestClockType", "set_cathode_test_clock_type", &QuorvelDll::SetCathodeTestClockType, {"type"});
    def(m, "GetCathodeTestClockType", "get_cathode_test_clock_type", &QuorvelDll::GetCathodeTestClockType);
    def(m, "SetAnalogOutputToMonitor", "set_analog_output_to_monitor",
        &QuorvelDll::SetAnalogOutputToMonitor, {"output"});
    def(m, "GetAnalogOutputMonitored", "get_analog_output_monitored", &QuorvelDll::GetAnalogOutputMonitored);
    def(m, "SetAnodeChannelToMonitor", "set_anode_channel_to_monitor",
        &QuorvelDll::SetAnodeChannelToMonitor, {"channel"});
    def(m, "GetAnodeChannelMonitored", "get_anode_channel_monitored", &QuorvelDll::GetAnodeChannelMonitored);
    def(m, "SetCathodeEnergyTimingToMonitor", "set_cathode_energy_timing_to_monitor",
        &QuorvelDll::SetCathodeEnergyTimingToMonitor, {"signal"});
    def(m, "GetCathodeEnergyTimingMonitored", "get_cathode_energy_timing_monitored",
        &QuorvelDll::GetCathodeEnergyTimingMonitored);
    def(m, "SetDACToMonitor", "set_dac_to_monitor", &QuorvelDll::SetDACToMonitor, {"dac"});
    def(m, "GetDACMonitored", "get_dac_monitored", &QuorvelDll::GetDACMonitored);
    def(m, "SetPeakDetectTimeout", "set_peak_detect_timeout", &QuorvelDll::SetPeakDetectTimeout, {"type", "timeout"});
    def(m, "GetPeakDetectTimeout", "get_peak_detect_timeout", &QuorvelDll::GetPeakDetectTimeout, {"type"});
    def(m, "SetTimeDetectRampLength", "set_time_detect_ramp_length",
        &QuorvelDll::SetTimeDetectRampLength, {"type", "length"});
    def(m, "GetTimeDetectRampLength", "get_time_detect_ramp_length", &QuorvelDll::GetTimeDetectRampLength, {"type"});
    def(m, "SetPeakingTime", "set_peaking_time", &QuorvelDll::SetPeakingTime, {"type", "time"});
    def(m, "GetPeakingTime", "get_peaking_time", &QuorvelDll::GetPeakingTime, {"type"});
    def(m, "SetTestPulseStep", "set_test_pulse_step", &QuorvelDll::SetTestPulseStep, {"type", "step"});
    def(m, "GetTestPulseStep", "get_test_pulse_step", &QuorvelDll::GetTestPulseStep, {"type"});
    def(m, "SetChannelThresholdStep", "set_channel_threshold_step",
        &QuorvelDll::SetChannelThresholdStep, {"type", "step"});
    def(m, "GetChannelThresholdStep", "get_channel_threshold_step", &QuorvelDll::GetChannelThresholdStep, {"type"});
    def(m, "SendASICGlobalData", "send_asic_global_data", &QuorvelDll::SendASICGlobalData);

    // ASIC channel settings: setters act on the active channel, or on every
    // channel of the active type; getters name the channel
    def(m, "SetChannelUpdateType", "set_channel_update_type", &QuorvelDll::SetChannelUpdateType, {"type"});
    def(m, "SetActiveChannelType", "set_active_channel_type", &QuorvelDll::SetActiveChannelType, {"type"});
    def(m, "SetActiveChannel", "set_active_channel", &QuorvelDll::SetActiveChannel, {"channel"});
    def(m, "MaskChannel", "mask_channel", &QuorvelDll::MaskChannel, {"masked"});
    def(m, "IsChannelMasked", "is_channel_masked", &QuorvelDll::IsChannelMasked, {"type", "channel"});
    def(m, "EnableChannelTestCapacitor", "enable_channel_test_capacitor",
        &QuorvelDll::EnableChannelTestCapacitor, {"enable"});
    def(m, "IsChannelTestCapacitorEnabled", "is_channel_test_capacitor_enabled",
        &QuorvelDll::IsChannelTestCapacitorEnabled, {"type", "channel"});
    def(m, "MonitorAnodeSignal", "monitor_anode_signal", &QuorvelDll::MonitorAnodeSignal, {"signal"});
    def(m, "GetAnodeSignalMonitored", "get_anode_signal_monitored",
        &QuorvelDll::GetAnodeSignalMonitored, {"channel"});
    def(m, "SetCathodeChannelInternalLeakageCurrentGenerator", "set_cathode_channel_internal_leakage_current_generator",
        &QuorvelDll::SetCathodeChannelInternalLeakageCurrentGenerator, {"channel", "generator"});
    def(m, "GetCathodeChannelInternalLeakageCurrentGenerator", "get_cathode_channel_internal_leakage_current_generator",
        &QuorvelDll::GetCathodeChannelInternalLeakageCurrentGenerator, {"channel"});
    def(m, "SetCathodeChannelShapedTimingSignal", "set_cathode_channel_shaped_timing_signal",
        &QuorvelDll::SetCathodeChannelShapedTimingSignal, {"signal"});
    def(m, "GetCathodeChannelShapedTimingSignal", "get_cathode_channel_shaped_timing_signal",
        &QuorvelDll::GetCathodeChannelShapedTimingSignal, {"channel"});
    def(m, "SetCathodeChannelTimingMode", "set_cathode_channel_timing_mode",
        &QuorvelDll::SetCathodeChannelTimingMode, {"mode"});
    def(m, "GetCathodeChannelTimingMode", "get_cathode_channel_timing_mode",
        &QuorvelDll::GetCathodeChannelTimingMode, {"channel"});
    def(m, "SetCathodeTimingChannelTrimStep", "set_cathode_timing_channel_trim_step",
        &QuorvelDll::SetCathodeTimingChannelTrimStep, {"type", "step"});
    def(m, "GetCathodeTimingChannelTrimStep", "get_cathode_timing_channel_trim_step",
        &QuorvelDll::GetCathodeTimingChannelTrimStep, {"channel", "type"});
    def(m, "SetChannelPositivePulseThresholdTrimStep", "set_channel_positive_pulse_threshold_trim_step",
        &QuorvelDll::SetChannelPositivePulseThresholdTrimStep, {"step"});
    def(m, "GetChannelPositivePulseThresholdTrimStep", "get_channel_positive_pulse_threshold_trim_step",
        &QuorvelDll::GetChannelPositivePulseThresholdTrimStep, {"type", "channel"});
    def(m, "SetAnodeChannelNegativePulseThresholdTrimStep", "set_anode_channel_negative_pulse_threshold_trim_step",
        &QuorvelDll::SetAnodeChannelNegativePulseThresholdTrimStep, {"step"});
    def(m, "GetAnodeChannelNegativePulseThresholdTrimStep", "get_anode_channel_negative_pulse_threshold_trim_step",
        &QuorvelDll::GetAnodeChannelNegativePulseThresholdTrimStep, {"channel"});
    def(m, "SendASICChannelData", "send_asic_channel_data", &QuorvelDll::SendASICChannelData);

    // Files: the configuration file (suffix "dat"), the photon exports as CSV
    // (suffix "csv", saved in the background) and as binary records ("dat")
    def(m, "SaveConfiguration", "save_configuration", &QuorvelDll::SaveConfiguration, {"file_name"});
    def(m, "LoadConfiguration", "load_configuration", &QuorvelDll::LoadConfiguration, {"file_name"});
    def(m, "SaveCollection", "save_collection", &QuorvelDll::SaveCollection, {"file_name"});
    def(m, "SaveBinaryCollection", "save_binary_collection", &QuorvelDll::SaveBinaryCollection, {"file_name"});
    def(m, "CancelPacketSave", "cancel_packet_save", &QuorvelDll::CancelPacketSave);
}

} // namespace quorvelpy
