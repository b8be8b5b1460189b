// The library's enumerations as enum.IntEnum classes of the module, their
// members also at module level (CathodeChannel's on its submodule), as in C++.
#include "python/binder.h"
#include "python/enumcaster.h"

#include <map>
#include <utility>
#include <vector>

namespace quorvelpy {

namespace {

std::map<std::type_index, py::handle>& enumClasses()
{
    static std::map<std::type_index, py::handle> classes;
    return classes;
}

template <typename E>
void add(py::module_& a_Scope, const char* a_Name, std::vector<std::pair<const char*, E>> a_Members)
{
    py::list members;
    for (const auto& member : a_Members)
        members.append(py::make_tuple(member.first, static_cast<int>(member.second)));
    static const py::object intEnum = py::module_::import("enum").attr("IntEnum");
    py::object cls = intEnum(a_Name, members, py::arg("module") = a_Scope.attr("__name__"));
    cls.attr("__doc__") = docstring(a_Name);
    a_Scope.attr(a_Name) = cls;
    for (const auto& member : a_Members)
        a_Scope.attr(member.first) = cls.attr(member.first);
    // Held for the life of the process, like the module itself.
    enumClasses()[typeid(E)] = cls.release();
}

} // namespace

py::handle enumClass(std::type_index a_Type)
{
    return enumClasses().at(a_Type);
}

void bindEnums(py::module_& a_Module)
{
    py::module_ cathodeChannel = a_Module.def_submodule("CathodeChannel", "Enumerations of a cathode channel");
    add<MBMultiplexerAddrType>(a_Module, "MBMultiplexerAddrType", {
        {"MB_MULTIPLEXER_ADDR_TYPE_UNDEFINED", MB_MULTIPLEXER_ADDR_TYPE_UNDEFINED},
        {"MB_MULTIPLEXER_ADDR_TYPE_0", MB_MULTIPLEXER_ADDR_TYPE_0},
        {"MB_MULTIPLEXER_ADDR_TYPE_1", MB_MULTIPLEXER_ADDR_TYPE_1},
        {"MB_MULTIPLEXER_ADDR_TYPE_2", MB_MULTIPLEXER_ADDR_TYPE_2},
        {"MB_MULTIPLEXER_ADDR_TYPE_3", MB_MULTIPLEXER_ADDR_TYPE_3},
    });
    add<SysTokenType>(a_Module, "SysTokenType", {
        {"SYS_TOKEN_TYPE_UNDEFINED", SYS_TOKEN_TYPE_UNDEFINED},
        {"SYS_TOKEN_TYPE_1", SYS_TOKEN_TYPE_1},
        {"SYS_TOKEN_TYPE_2", SYS_TOKEN_TYPE_2},
    });
    add<PixelMappingMode>(a_Module, "PixelMappingMode", {
        {"PIXEL_MAPPING_MODE_GLOBAL", PIXEL_MAPPING_MODE_GLOBAL},
        {"PIXEL_MAPPING_MODE_LOCAL", PIXEL_MAPPING_MODE_LOCAL},
    });
    add<PacketData>(a_Module, "PacketData", {
        {"PACKET_DATA_GM_ID", PACKET_DATA_GM_ID},
        {"PACKET_DATA_HEADER_WORD", PACKET_DATA_HEADER_WORD},
        {"PACKET_DATA_HEADER_BYTE", PACKET_DATA_HEADER_BYTE},
        {"PACKET_DATA_NO_OF_PHOTONS", PACKET_DATA_NO_OF_PHOTONS},
    });
    add<PhotonData>(a_Module, "PhotonData", {
        {"PHOTON_DATA_PIXEL", PHOTON_DATA_PIXEL},
        {"PHOTON_DATA_ENERGY", PHOTON_DATA_ENERGY},
        {"PHOTON_DATA_POSITIVE_ENERGY", PHOTON_DATA_POSITIVE_ENERGY},
        {"PHOTON_DATA_TIME_DETECT", PHOTON_DATA_TIME_DETECT},
        {"PHOTON_DATA_POSITIVE_TIME_DETECT", PHOTON_DATA_POSITIVE_TIME_DETECT},
    });
    add<Signal>(a_Module, "Signal", {
        {"SIGNAL_UNDEFINED", SIGNAL_UNDEFINED},
        {"SIGNAL_1", SIGNAL_1},
        {"SIGNAL_2", SIGNAL_2},
    });
    add<CathodeChannel::ShapedTimingSignal>(cathodeChannel, "ShapedTimingSignal", {
        {"SHAPED_TIMING_SIGNAL_UNDEFINED", CathodeChannel::SHAPED_TIMING_SIGNAL_UNDEFINED},
        {"SHAPED_TIMING_SIGNAL_1", CathodeChannel::SHAPED_TIMING_SIGNAL_1},
        {"SHAPED_TIMING_SIGNAL_2", CathodeChannel::SHAPED_TIMING_SIGNAL_2},
    });
    add<CathodeChannel::TimingMode>(cathodeChannel, "TimingMode", {
        {"TIMING_MODE_UNDEFINED", CathodeChannel::TIMING_MODE_UNDEFINED},
        {"TIMING_MODE_1", CathodeChannel::TIMING_MODE_1},
        {"TIMING_MODE_2", CathodeChannel::TIMING_MODE_2},
        {"TIMING_MODE_3", CathodeChannel::TIMING_MODE_3},
    });
    add<CathodeChannel::InternalLeakageCurrentGenerator>(cathodeChannel, "InternalLeakageCurrentGenerator", {
        {"CATHODE_CHANNEL_INTERNAL_LEAKAGE_CURRENT_GENERATOR_UNDEFINED", CathodeChannel::CATHODE_CHANNEL_INTERNAL_LEAKAGE_CURRENT_GENERATOR_UNDEFINED},
        {"CATHODE_CHANNEL_INTERNAL_LEAKAGE_CURRENT_GENERATOR_1", CathodeChannel::CATHODE_CHANNEL_INTERNAL_LEAKAGE_CURRENT_GENERATOR_1},
        {"CATHODE_CHANNEL_INTERNAL_LEAKAGE_CURRENT_GENERATOR_2", CathodeChannel::CATHODE_CHANNEL_INTERNAL_LEAKAGE_CURRENT_GENERATOR_2},
    });
    add<TestPulseEdge>(a_Module, "TestPulseEdge", {
        {"TEST_PULSE_EDGE_UNDEFINED", TEST_PULSE_EDGE_UNDEFINED},
        {"TEST_PULSE_EDGE_1", TEST_PULSE_EDGE_1},
        {"TEST_PULSE_EDGE_2", TEST_PULSE_EDGE_2},
    });
    add<TestModeInput>(a_Module, "TestModeInput", {
        {"TEST_MODE_INPUT_UNDEFINED", TEST_MODE_INPUT_UNDEFINED},
        {"TEST_MODE_INPUT_1", TEST_MODE_INPUT_1},
        {"TEST_MODE_INPUT_2", TEST_MODE_INPUT_2},
    });
    add<TimingChannelsShaperPeakingTime>(a_Module, "TimingChannelsShaperPeakingTime", {
        {"TIMING_CHANNELS_SHAPER_PEAKING_TIME_UNDEFINED", TIMING_CHANNELS_SHAPER_PEAKING_TIME_UNDEFINED},
        {"TIMING_CHANNELS_SHAPER_PEAKING_TIME_1", TIMING_CHANNELS_SHAPER_PEAKING_TIME_1},
        {"TIMING_CHANNELS_SHAPER_PEAKING_TIME_2", TIMING_CHANNELS_SHAPER_PEAKING_TIME_2},
        {"TIMING_CHANNELS_SHAPER_PEAKING_TIME_3", TIMING_CHANNELS_SHAPER_PEAKING_TIME_3},
        {"TIMING_CHANNELS_SHAPER_PEAKING_TIME_4", TIMING_CHANNELS_SHAPER_PEAKING_TIME_4},
    });
    add<ChannelType>(a_Module, "ChannelType", {
        {"CHANNEL_TYPE_ANODE", CHANNEL_TYPE_ANODE},
        {"CHANNEL_TYPE_CATHODE", CHANNEL_TYPE_CATHODE},
    });
    add<ChannelThresholdType>(a_Module, "ChannelThresholdType", {
        {"CHANNEL_THRESHOLD_TYPE_CATHODE_TIMING_PRIMARY_BIPOLAR", CHANNEL_THRESHOLD_TYPE_CATHODE_TIMING_PRIMARY_BIPOLAR},
        {"CHANNEL_THRESHOLD_TYPE_CATHODE_TIMING_UNIPOLAR", CHANNEL_THRESHOLD_TYPE_CATHODE_TIMING_UNIPOLAR},
        {"CHANNEL_THRESHOLD_TYPE_CATHODE_ENERGY", CHANNEL_THRESHOLD_TYPE_CATHODE_ENERGY},
        {"CHANNEL_THRESHOLD_TYPE_ANODE_NEGATIVE_ENERGY", CHANNEL_THRESHOLD_TYPE_ANODE_NEGATIVE_ENERGY},
        {"CHANNEL_THRESHOLD_TYPE_ANODE_POSITIVE_ENERGY", CHANNEL_THRESHOLD_TYPE_ANODE_POSITIVE_ENERGY},
    });
    add<CathodeTimingChannelType>(a_Module, "CathodeTimingChannelType", {
        {"CATHODE_TIMING_CHANNEL_TYPE_FIRST_MULTI_THRESHOLD", CATHODE_TIMING_CHANNEL_TYPE_FIRST_MULTI_THRESHOLD},
        {"CATHODE_TIMING_CHANNEL_TYPE_SECOND_MULTI_THRESHOLD", CATHODE_TIMING_CHANNEL_TYPE_SECOND_MULTI_THRESHOLD},
        {"CATHODE_TIMING_CHANNEL_TYPE_THIRD_MULTI_THRESHOLD", CATHODE_TIMING_CHANNEL_TYPE_THIRD_MULTI_THRESHOLD},
        {"CATHODE_TIMING_CHANNEL_TYPE_UNIPOLAR", CATHODE_TIMING_CHANNEL_TYPE_UNIPOLAR},
    });
    add<TimingChannelUnipolarGain>(a_Module, "TimingChannelUnipolarGain", {
        {"TIMING_CHANNEL_UNIPOLAR_GAIN_UNDEFINED", TIMING_CHANNEL_UNIPOLAR_GAIN_UNDEFINED},
        {"TIMING_CHANNEL_UNIPOLAR_GAIN_27MV", TIMING_CHANNEL_UNIPOLAR_GAIN_27MV},
        {"TIMING_CHANNEL_UNIPOLAR_GAIN_81MV", TIMING_CHANNEL_UNIPOLAR_GAIN_81MV},
    });
    add<TimingChannelBipolarGain>(a_Module, "TimingChannelBipolarGain", {
        {"TIMING_CHANNEL_BIPOLAR_GAIN_UNDEFINED", TIMING_CHANNEL_BIPOLAR_GAIN_UNDEFINED},
        {"TIMING_CHANNEL_BIPOLAR_GAIN_21MV", TIMING_CHANNEL_BIPOLAR_GAIN_21MV},
        {"TIMING_CHANNEL_BIPOLAR_GAIN_55MV", TIMING_CHANNEL_BIPOLAR_GAIN_55MV},
        {"TIMING_CHANNEL_BIPOLAR_GAIN_63MV", TIMING_CHANNEL_BIPOLAR_GAIN_63MV},
        {"TIMING_CHANNEL_BIPOLAR_GAIN_164MV", TIMING_CHANNEL_BIPOLAR_GAIN_164MV},
    });
    add<GMASICReadoutMode>(a_Module, "GMASICReadoutMode", {
        {"GMASIC_READOUT_MODE_UNDEFINED", GMASIC_READOUT_MODE_UNDEFINED},
        {"GMASIC_READOUT_MODE_1", GMASIC_READOUT_MODE_1},
        {"GMASIC_READOUT_MODE_2", GMASIC_READOUT_MODE_2},
    });
    add<ChannelGain>(a_Module, "ChannelGain", {
        {"CHANNEL_GAIN_UNDEFINED", CHANNEL_GAIN_UNDEFINED},
        {"CHANNEL_GAIN_1", CHANNEL_GAIN_1},
        {"CHANNEL_GAIN_2", CHANNEL_GAIN_2},
    });
    add<InternalLeakageCurrentGenerator>(a_Module, "InternalLeakageCurrentGenerator", {
        {"INTERNAL_LEAKAGE_CURRENT_GENERATOR_UNDEFINED", INTERNAL_LEAKAGE_CURRENT_GENERATOR_UNDEFINED},
        {"INTERNAL_LEAKAGE_CURRENT_GENERATOR_1", INTERNAL_LEAKAGE_CURRENT_GENERATOR_1},
        {"INTERNAL_LEAKAGE_CURRENT_GENERATOR_2", INTERNAL_LEAKAGE_CURRENT_GENERATOR_2},
    });
    add<MultipleFiringSuppressionTime>(a_Module, "MultipleFiringSuppressionTime", {
        {"MULTIPLE_FIRING_SUPPRESSION_TIME_UNDEFINED", MULTIPLE_FIRING_SUPPRESSION_TIME_UNDEFINED},
        {"MULTIPLE_FIRING_SUPPRESSION_TIME_1", MULTIPLE_FIRING_SUPPRESSION_TIME_1},
        {"MULTIPLE_FIRING_SUPPRESSION_TIME_2", MULTIPLE_FIRING_SUPPRESSION_TIME_2},
        {"MULTIPLE_FIRING_SUPPRESSION_TIME_3", MULTIPLE_FIRING_SUPPRESSION_TIME_3},
        {"MULTIPLE_FIRING_SUPPRESSION_TIME_4", MULTIPLE_FIRING_SUPPRESSION_TIME_4},
    });
    add<CathodeTestClockType>(a_Module, "CathodeTestClockType", {
        {"CATHODE_TEST_CLOCK_TYPE_UNDEFINED", CATHODE_TEST_CLOCK_TYPE_UNDEFINED},
        {"CATHODE_TEST_CLOCK_TYPE_1", CATHODE_TEST_CLOCK_TYPE_1},
        {"CATHODE_TEST_CLOCK_TYPE_2", CATHODE_TEST_CLOCK_TYPE_2},
    });
    add<AnalogOutput>(a_Module, "AnalogOutput", {
        {"ANALOG_OUTPUT_UNDEFINED", ANALOG_OUTPUT_UNDEFINED},
        {"ANALOG_OUTPUT_1", ANALOG_OUTPUT_1},
        {"ANALOG_OUTPUT_2", ANALOG_OUTPUT_2},
        {"ANALOG_OUTPUT_3", ANALOG_OUTPUT_3},
        {"ANALOG_OUTPUT_DAC", ANALOG_OUTPUT_DAC},
        {"ANALOG_OUTPUT_CATHODE_ENERGY_TIMING", ANALOG_OUTPUT_CATHODE_ENERGY_TIMING},
        {"ANALOG_OUTPUT_ANODE_CHANNEL", ANALOG_OUTPUT_ANODE_CHANNEL},
    });
    add<CathodeEnergyTiming>(a_Module, "CathodeEnergyTiming", {
        {"CATHODE_ENERGY_TIMING_UNDEFINED", CATHODE_ENERGY_TIMING_UNDEFINED},
        {"CATHODE_ENERGY_TIMING_1", CATHODE_ENERGY_TIMING_1},
        {"CATHODE_ENERGY_TIMING_2", CATHODE_ENERGY_TIMING_2},
        {"CATHODE_ENERGY_TIMING_3", CATHODE_ENERGY_TIMING_3},
        {"CATHODE_ENERGY_TIMING_4", CATHODE_ENERGY_TIMING_4},
    });
    add<DACS>(a_Module, "DACS", {
        {"DACS_UNDEFINED", DACS_UNDEFINED},
        {"DACS_1", DACS_1},
        {"DACS_2", DACS_2},
        {"DACS_3", DACS_3},
        {"DACS_4", DACS_4},
        {"DACS_5", DACS_5},
        {"DACS_6", DACS_6},
        {"DACS_7", DACS_7},
        {"DACS_8", DACS_8},
        {"DACS_9", DACS_9},
    });
    add<ChannelUpdateType>(a_Module, "ChannelUpdateType", {
        {"CHANNEL_UPDATE_TYPE_SINGLE", CHANNEL_UPDATE_TYPE_SINGLE},
        {"CHANNEL_UPDATE_TYPE_ALL", CHANNEL_UPDATE_TYPE_ALL},
    });
    add<GMReadoutMode>(a_Module, "GMReadoutMode", {
        {"GM_READOUT_MODE_UNDEFINED", GM_READOUT_MODE_UNDEFINED},
        {"GM_READOUT_MODE_READ_ALL", GM_READOUT_MODE_READ_ALL},
        {"GM_READOUT_MODE_SPARSIFIED", GM_READOUT_MODE_SPARSIFIED},
    });
    add<GMCathodeMode>(a_Module, "GMCathodeMode", {
        {"GM_CATHODE_MODE_UNDEFINED", GM_CATHODE_MODE_UNDEFINED},
        {"GM_CATHODE_MODE_UNIPOLAR", GM_CATHODE_MODE_UNIPOLAR},
        {"GM_CATHODE_MODE_MULTI_THRESHOLD", GM_CATHODE_MODE_MULTI_THRESHOLD},
        {"GM_CATHODE_MODE_BIPOLAR", GM_CATHODE_MODE_BIPOLAR},
    });
    add<GMPulserFrequency>(a_Module, "GMPulserFrequency", {
        {"GM_PULSER_FREQUENCY_UNDEFINED", GM_PULSER_FREQUENCY_UNDEFINED},
        {"GM_PULSER_FREQUENCY_100HZ", GM_PULSER_FREQUENCY_100HZ},
        {"GM_PULSER_FREQUENCY_1KHZ", GM_PULSER_FREQUENCY_1KHZ},
        {"GM_PULSER_FREQUENCY_10KHZ", GM_PULSER_FREQUENCY_10KHZ},
        {"GM_PULSER_FREQUENCY_100KHZ", GM_PULSER_FREQUENCY_100KHZ},
    });
    add<GMUpdateType>(a_Module, "GMUpdateType", {
        {"GM_UPDATE_TYPE_UNDEFINED", GM_UPDATE_TYPE_UNDEFINED},
        {"GM_UPDATE_TYPE_ACTIVE_GM", GM_UPDATE_TYPE_ACTIVE_GM},
        {"GM_UPDATE_TYPE_ALL_GMS", GM_UPDATE_TYPE_ALL_GMS},
    });
    add<CameraUpdateMode>(a_Module, "CameraUpdateMode", {
        {"CAMERA_UPDATE_MODE_UNDEFINED", CAMERA_UPDATE_MODE_UNDEFINED},
        {"CAMERA_UPDATE_MODE_DEFERRED", CAMERA_UPDATE_MODE_DEFERRED},
        {"CAMERA_UPDATE_MODE_IMMEDIATE", CAMERA_UPDATE_MODE_IMMEDIATE},
    });
    add<PhotonStreamResult>(a_Module, "PhotonStreamResult", {
        {"PHOTON_STREAM_ENDED", PHOTON_STREAM_ENDED},
        {"PHOTON_STREAM_CLOSED", PHOTON_STREAM_CLOSED},
        {"PHOTON_STREAM_BAD_ARGUMENT", PHOTON_STREAM_BAD_ARGUMENT},
    });
}

} // namespace quorvelpy
