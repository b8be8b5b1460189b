// Public interface of libQuorvelSharedLib: control and read-out of a pixelated
// gamma camera over Ethernet. Only standard headers are included, so a client
// compiles this without Qt. Every function is a static member of QuorvelDll;
// functions returning bool report failure with false and a text in GetLastError().
#ifndef QUORVELDLL_H
#define QUORVELDLL_H

#include <cstdint>
#include <string>

/**
 * \file quorveldll.h
 * \brief The library's whole public interface: the class QuorvelDll, its
 * enumerations and its record structures.
 *
 * Rules that hold for every function unless its entry says otherwise:
 *
 * - **Results.** A function returning `bool` returns `false` on failure and
 *   leaves a text in QuorvelDll::GetLastError(); the texts quoted in each
 *   entry are the exact strings, with `N` standing for a number. A successful
 *   call does not clear the last error.
 * - **Thread.** The process must have a Qt application object
 *   (`QCoreApplication` or a subclass) and every call must come from the
 *   thread that runs it (the *client's thread*). Only QuorvelDll::ReadPhotons
 *   and QuorvelDll::GetPhotonStreamCounters may be called from any thread.
 * - **Callbacks** run on the client's thread, while the library waits inside
 *   one of its calls or while the client runs Qt events, sometimes while the
 *   library holds a lock. A callback must not call back into the library:
 *   let it take note and act after it returns. The `const char*` it receives
 *   is valid only during the call.
 * - **Numbering.** GM IDs, packet numbers, photon numbers and channel
 *   numbers are 1-based.
 * - **Deferred and immediate updates.** Setters of system, GM and ASIC
 *   settings change the library's copy of the setting. In the camera update
 *   mode #CAMERA_UPDATE_MODE_DEFERRED (the default) nothing is written to the
 *   camera until the matching send function runs
 *   (QuorvelDll::SendGBEControlData, QuorvelDll::SendGMData,
 *   QuorvelDll::SendASICGlobalData, QuorvelDll::SendASICChannelData); in
 *   #CAMERA_UPDATE_MODE_IMMEDIATE each setter writes its register at once and
 *   fails with the connection's text if the write fails (the library's copy
 *   keeps the new value all the same).
 */

#if defined(QUORVEL_BUILDING_LIBRARY)
#define QUORVEL_EXPORT __attribute__((visibility("default")))
#else
#define QUORVEL_EXPORT
#endif

/**
 * \defgroup connection Library, connection and errors
 * \brief Addresses, connecting and disconnecting, the last error and the callbacks.
 *
 * A session: QuorvelDll::SetHostIPAddress, QuorvelDll::SetCameraIPAddress,
 * QuorvelDll::Initialize (opens the control connections on the camera's TCP
 * ports 20483 and 20484, starts the library's threads and the data and status
 * sockets), QuorvelDll::StartSys (powers the camera up; its GMs then announce
 * themselves), then configuration and collection, then QuorvelDll::Disconnect
 * and QuorvelDll::Close.
 *
 * \defgroup system System configuration and control
 * \brief Camera-wide settings held in the GBE control register (16) and the
 * HV register (15), power and the camera update mode.
 *
 * The settings of this section live in the library until they are written:
 * in the deferred camera update mode by QuorvelDll::SendGBEControlData, in the
 * immediate mode by each setter. QuorvelDll::StartSys, QuorvelDll::StopSys,
 * QuorvelDll::StartPhotonCollection and QuorvelDll::StopPhotonCollection
 * always write register 16 at once, with the current settings. The settings
 * need no connection; the writes do (without one they fail with
 * "Failed to write to register 16").
 *
 * \defgroup collection Photon collection and collected data
 * \brief Starting and stopping a collection and querying the photons kept in
 * the library's store, one value at a time.
 *
 * The camera sends its photons in packets over UDP; the library's data thread
 * hands them to its decoder at least every 100 ms, and the decoder puts each
 * packet with its photons into the store (unless QuorvelDll::SetStorePhotons
 * turned that off while a photon stream is enabled). The store holds one
 * collection: QuorvelDll::StartPhotonCollection empties it. The status texts
 * "Decoding packets ..." and "Packets decoded : n (Total: t)" reach the
 * sys status callback (QuorvelDll::SetSysStatusFunction) as packets are
 * decoded; at most one of each kind waits while the client runs no events,
 * its n then counting every packet since the last one.
 *
 * \defgroup streaming Photon streaming and bulk reads
 * \brief Photons as arrays of PhotonRecord while a collection runs, and the
 * store copied out in one call.
 *
 * Photon streaming is opt-in. While the stream is enabled, every photon the
 * decoder finds during a collection also goes into a bounded queue, from
 * which any thread reads arrays of PhotonRecord with QuorvelDll::ReadPhotons
 * while the collection runs. A reader that keeps reading loses nothing: when
 * the queue is full the decoder waits for it (the camera's datagrams then
 * wait in the socket, and an overflow there is reported as any other loss).
 * A reader that takes nothing for a second is taken as gone: photons that do
 * not fit are then dropped, counted in PhotonStreamCounters and reported
 * through the sys status callback as "Stream overflow: N photons dropped, the
 * reader did not keep up (total: T)", so the collection itself never stalls.
 * QuorvelDll::SetStorePhotons(false) keeps the photons out of the store, so the
 * library's memory stays flat for a collection of any length.
 *
 * The bulk reads copy the photons or packets of a range of stored packets
 * into the caller's array in one call, as the same records.
 *
 * \defgroup registers Direct register access
 * \brief Raw reads and writes of system registers and of the active GM's registers.
 *
 * These bypass the library's copy of the settings: a value written here is
 * not known to the getters, and the next send of the library's settings
 * overwrites it.
 *
 * \defgroup gm Gamma modules
 * \brief Selecting a GM and its settings: registers 18 to 24 of the GM.
 *
 * The camera announces its GMs on the status connection while it powers up
 * after QuorvelDll::StartSys; they are the *device GMs*, known by their IDs
 * (1 to 4 on a full camera). QuorvelDll::StopSys and QuorvelDll::Disconnect
 * forget them.
 *
 * Rules of the GM setters (and of the ASIC setters):
 * - With the GM update type #GM_UPDATE_TYPE_ACTIVE_GM (the default) a setter
 *   acts on the active GM (QuorvelDll::SetActiveGM). It fails with "Active GM
 *   hasn't been set" before one was chosen, and with "Number of gamma modules
 *   in device yet to be determined" when no device GM has the active ID
 *   (before the camera powered up, after QuorvelDll::StopSys).
 * - With #GM_UPDATE_TYPE_ALL_GMS the setter runs for every device GM in turn
 *   and succeeds only if it succeeded for each; a failure on the first GM
 *   ends the pass, after a success on the first every GM is visited. The
 *   active GM is unchanged afterwards. Odd but kept: with no device GM at all
 *   the pass fails without setting a new text, so GetLastError() then still
 *   holds an earlier one.
 * - The value is checked first; a refused value changes nothing and writes
 *   nothing.
 * - In the immediate camera update mode the setter writes the GM register it
 *   changed; in the deferred mode QuorvelDll::SendGMData writes them all.
 *
 * The GM getters return the library's copy (they do not read the camera),
 * after the same active GM checks; a null pointer fails with the text given
 * in each entry.
 *
 * \defgroup asicglobal ASIC global settings
 * \brief Settings of the whole front-end ASIC of the active GM: the global
 * image, GM register 29 (16 bytes).
 *
 * The setters follow the rules of the GM setters (see \ref gm): active GM or
 * all GMs by the GM update type, value checked first, register 29 of each GM
 * written at once in the immediate camera update mode, or by
 * QuorvelDll::SendASICGlobalData in the deferred mode. The getters return the
 * library's copy after the active GM checks; a null pointer fails with "Null
 * pointer passed to function".
 *
 * The timing values (peaking time, peak detect timeout, time detect ramp
 * length) come from tables; in high gain (ASIC global option bit 0x1000, see
 * QuorvelDll::SetASICGlobalOptions) the table changes and the setters accept
 * the high gain values only.
 *
 * \defgroup asicchannel ASIC channel settings
 * \brief Settings of single ASIC channels (128 anode, 2 cathode) of the
 * active GM: the channel image, GM register 30 (215 bytes).
 *
 * Setters act on the active channel (QuorvelDll::SetActiveChannelType,
 * QuorvelDll::SetActiveChannel) with #CHANNEL_UPDATE_TYPE_SINGLE (the
 * default), or on every channel of the active type with
 * #CHANNEL_UPDATE_TYPE_ALL (the first channel failing ends the fan-out).
 * Getters name the channel. Checks in this order: the channel type a setter
 * needs ("Attempting to set anode channel value with cathode set as active
 * type", "Attempting to set cathode channel value with anode set as active
 * type"), then the GM rules of \ref gm (GM update type, active GM, device
 * GM), then the value and the channel number ("Invalid Anode Channel, value
 * must be between 1 and 128", "Invalid Cathode Channel, value must be between
 * 1 and 2"). Register 30 is written at once in the immediate camera update
 * mode, otherwise by QuorvelDll::SendASICChannelData. Getters fail on a null
 * pointer with "Null pointer passed to function".
 *
 * \defgroup files Files
 * \brief The configuration file and the photon exports as CSV and binary records.
 *
 * The formats are described in \ref formats.
 */

/// \addtogroup system
/// @{

/// Multiplexer address type of the motherboard, bits of GBE control register 16.
enum MBMultiplexerAddrType : int {
    MB_MULTIPLEXER_ADDR_TYPE_UNDEFINED = -1, ///< Refused by QuorvelDll::SetMBMultiplexerAddressType.
    MB_MULTIPLEXER_ADDR_TYPE_0 = 0,          ///< Camera code 0 (the default).
    MB_MULTIPLEXER_ADDR_TYPE_1 = 1,          ///< Camera code 2.
    MB_MULTIPLEXER_ADDR_TYPE_2 = 2,          ///< Camera code 3.
    MB_MULTIPLEXER_ADDR_TYPE_3 = 3           ///< Camera code 1.
};

/// Token type of the system, bit 0x08 of byte 1 of GBE control register 16.
enum SysTokenType : int {
    SYS_TOKEN_TYPE_UNDEFINED = 0, ///< Refused by QuorvelDll::SetSysTokenType.
    SYS_TOKEN_TYPE_1 = 1,         ///< Token bit clear (the default).
    SYS_TOKEN_TYPE_2 = 2          ///< Token bit set.
};

/// How the decoder numbers the pixels of the photons it stores and streams.
enum PixelMappingMode : int {
    PIXEL_MAPPING_MODE_GLOBAL = 1, ///< Camera pixel numbers 1 to 484 (22 × 22, pixel 1 top left).
    PIXEL_MAPPING_MODE_LOCAL = 2   ///< Pixel numbers 1 to 121 within each GM (the library's default).
};

/// @}

/// \addtogroup collection
/// @{

/// What QuorvelDll::GetPacketData returns of a packet.
enum PacketData : int {
    PACKET_DATA_GM_ID = 1,          ///< ID of the GM that sent the packet.
    PACKET_DATA_HEADER_WORD = 2,    ///< The packet's header word (16 bits).
    PACKET_DATA_HEADER_BYTE = 3,    ///< The packet's header byte.
    PACKET_DATA_NO_OF_PHOTONS = 4   ///< Number of photons in the packet.
};

/// What QuorvelDll::GetPhotonData returns of a photon.
enum PhotonData : int {
    PHOTON_DATA_PIXEL = 1,                 ///< Pixel, numbered by the pixel mapping mode at decoding time.
    PHOTON_DATA_ENERGY = 2,                ///< Energy value, sign flag cleared.
    PHOTON_DATA_POSITIVE_ENERGY = 3,       ///< 1 if the energy is positive, 0 if negative.
    PHOTON_DATA_TIME_DETECT = 4,           ///< Time detect value, sign flag cleared; 0 without time detect.
    PHOTON_DATA_POSITIVE_TIME_DETECT = 5   ///< 1 if the time detect is positive, 0 if negative or absent.
};

/// @}

/// \addtogroup asicchannel
/// @{

/// Signal of an anode channel to monitor (QuorvelDll::MonitorAnodeSignal).
enum Signal : int {
    SIGNAL_UNDEFINED = 0, ///< Refused: "Undefined anode signal to monitor detected".
    SIGNAL_1 = 1,         ///< First signal of the channel.
    SIGNAL_2 = 2          ///< Second signal of the channel.
};

/// Settings of a single cathode channel.
namespace CathodeChannel {
/// Shaped timing signal of a cathode channel (QuorvelDll::SetCathodeChannelShapedTimingSignal).
enum ShapedTimingSignal : int {
    SHAPED_TIMING_SIGNAL_UNDEFINED = 0, ///< Refused: "Undefined shaped timing signal detected".
    SHAPED_TIMING_SIGNAL_1 = 1,         ///< First choice.
    SHAPED_TIMING_SIGNAL_2 = 2          ///< Second choice.
};

/// Timing mode of a cathode channel (QuorvelDll::SetCathodeChannelTimingMode).
enum TimingMode : int {
    TIMING_MODE_UNDEFINED = 0, ///< Refused: "Undefined timing mode detected".
    TIMING_MODE_1 = 1,         ///< First mode.
    TIMING_MODE_2 = 2,         ///< Second mode.
    TIMING_MODE_3 = 3          ///< Third mode.
};

/// Internal leakage current generator of one cathode channel
/// (QuorvelDll::SetCathodeChannelInternalLeakageCurrentGenerator).
enum InternalLeakageCurrentGenerator : int {
    CATHODE_CHANNEL_INTERNAL_LEAKAGE_CURRENT_GENERATOR_UNDEFINED = 0, ///< Refused: "Undefined internal leakage current generator detected".
    CATHODE_CHANNEL_INTERNAL_LEAKAGE_CURRENT_GENERATOR_1 = 1,         ///< First setting.
    CATHODE_CHANNEL_INTERNAL_LEAKAGE_CURRENT_GENERATOR_2 = 2          ///< Second setting.
};
} // namespace CathodeChannel

/// @}

/// \addtogroup asicglobal
/// @{

/// Edge of the anode test pulse (QuorvelDll::SetAnodeTestPulseEdge).
enum TestPulseEdge : int {
    TEST_PULSE_EDGE_UNDEFINED = 0, ///< Refused: "Undefined anode test pulse edge detected".
    TEST_PULSE_EDGE_1 = 1,         ///< First edge.
    TEST_PULSE_EDGE_2 = 2          ///< Second edge.
};

/// Test mode input of the cathode channels (QuorvelDll::SetCathodeTestModeInput).
enum TestModeInput : int {
    TEST_MODE_INPUT_UNDEFINED = 0, ///< Refused: "Undefined cathode test mode input detected".
    TEST_MODE_INPUT_1 = 1,         ///< First input.
    TEST_MODE_INPUT_2 = 2          ///< Second input.
};

/// Shaper peaking time of the cathode timing channels
/// (QuorvelDll::SetCathodeTimingChannelsShaperPeakingTime).
enum TimingChannelsShaperPeakingTime : int {
    TIMING_CHANNELS_SHAPER_PEAKING_TIME_UNDEFINED = 0, ///< Refused: "Undefined timing channels shaper peaking time detected".
    TIMING_CHANNELS_SHAPER_PEAKING_TIME_1 = 1,         ///< First setting.
    TIMING_CHANNELS_SHAPER_PEAKING_TIME_2 = 2,         ///< Second setting.
    TIMING_CHANNELS_SHAPER_PEAKING_TIME_3 = 3,         ///< Third setting.
    TIMING_CHANNELS_SHAPER_PEAKING_TIME_4 = 4          ///< Fourth setting.
};

/// Kind of ASIC channel; also selects the anode or cathode value of the
/// per-type global settings (peaking time, peak detect timeout, ...).
enum ChannelType : int {
    CHANNEL_TYPE_ANODE = 0,   ///< The 128 anode channels (the default active type).
    CHANNEL_TYPE_CATHODE = 1  ///< The 2 cathode channels.
};

/// Threshold set by QuorvelDll::SetChannelThresholdStep.
enum ChannelThresholdType : int {
    CHANNEL_THRESHOLD_TYPE_CATHODE_TIMING_PRIMARY_BIPOLAR = 0, ///< Cathode timing, primary bipolar multi-threshold.
    CHANNEL_THRESHOLD_TYPE_CATHODE_TIMING_UNIPOLAR = 1,        ///< Cathode timing, unipolar threshold.
    CHANNEL_THRESHOLD_TYPE_CATHODE_ENERGY = 2,                 ///< Cathode energy threshold.
    CHANNEL_THRESHOLD_TYPE_ANODE_NEGATIVE_ENERGY = 3,          ///< Anode negative energy threshold.
    CHANNEL_THRESHOLD_TYPE_ANODE_POSITIVE_ENERGY = 4           ///< Anode positive energy threshold.
};

/// Trim threshold of a cathode timing channel (QuorvelDll::SetCathodeTimingChannelTrimStep).
enum CathodeTimingChannelType : int {
    CATHODE_TIMING_CHANNEL_TYPE_FIRST_MULTI_THRESHOLD = 0,  ///< First multi-threshold.
    CATHODE_TIMING_CHANNEL_TYPE_SECOND_MULTI_THRESHOLD = 1, ///< Second multi-threshold.
    CATHODE_TIMING_CHANNEL_TYPE_THIRD_MULTI_THRESHOLD = 2,  ///< Third multi-threshold.
    CATHODE_TIMING_CHANNEL_TYPE_UNIPOLAR = 3                ///< Unipolar threshold.
};

/// Gain of the unipolar timing channel (QuorvelDll::SetTimingChannelUnipolarGain).
enum TimingChannelUnipolarGain : int {
    TIMING_CHANNEL_UNIPOLAR_GAIN_UNDEFINED = 0, ///< Refused: "Undefined unipolar gain detected".
    TIMING_CHANNEL_UNIPOLAR_GAIN_27MV = 1,      ///< 27 mV; allows the bipolar gains 21 mV and 55 mV.
    TIMING_CHANNEL_UNIPOLAR_GAIN_81MV = 2       ///< 81 mV; allows the bipolar gains 63 mV and 164 mV.
};

/// Gain of the bipolar timing channel (QuorvelDll::SetTimingChannelBiPolarGain).
enum TimingChannelBipolarGain : int {
    TIMING_CHANNEL_BIPOLAR_GAIN_UNDEFINED = 0, ///< Refused: "Undefined Bipolar gain detected".
    TIMING_CHANNEL_BIPOLAR_GAIN_21MV = 1,      ///< 21 mV (unipolar gain 27 mV only).
    TIMING_CHANNEL_BIPOLAR_GAIN_55MV = 2,      ///< 55 mV (unipolar gain 27 mV only).
    TIMING_CHANNEL_BIPOLAR_GAIN_63MV = 3,      ///< 63 mV (unipolar gain 81 mV only).
    TIMING_CHANNEL_BIPOLAR_GAIN_164MV = 4      ///< 164 mV (unipolar gain 81 mV only).
};

/// Readout mode of the ASIC (QuorvelDll::SetASICReadoutMode); not the GM's
/// readout mode (#GMReadoutMode).
enum GMASICReadoutMode : int {
    GMASIC_READOUT_MODE_UNDEFINED = 0, ///< Refused: "Undefined readout mode detected".
    GMASIC_READOUT_MODE_1 = 1,         ///< First mode.
    GMASIC_READOUT_MODE_2 = 2          ///< Second mode.
};

/// Gain of the ASIC's energy channels (QuorvelDll::SetChannelGain).
enum ChannelGain : int {
    CHANNEL_GAIN_UNDEFINED = 0, ///< Refused: "Undefined channel gain detected".
    CHANNEL_GAIN_1 = 1,         ///< First gain.
    CHANNEL_GAIN_2 = 2          ///< Second gain.
};

/// The ASIC's internal leakage current generator (QuorvelDll::SetInternalLeakageCurrentGenerator).
enum InternalLeakageCurrentGenerator : int {
    INTERNAL_LEAKAGE_CURRENT_GENERATOR_UNDEFINED = 0, ///< Refused: "Undefined internal leakage current generator detected".
    INTERNAL_LEAKAGE_CURRENT_GENERATOR_1 = 1,         ///< First setting.
    INTERNAL_LEAKAGE_CURRENT_GENERATOR_2 = 2          ///< Second setting.
};

/// Multiple firing suppression time (QuorvelDll::SetMultipleFiringSuppressTime).
enum MultipleFiringSuppressionTime : int {
    MULTIPLE_FIRING_SUPPRESSION_TIME_UNDEFINED = 0, ///< Refused: "Undefined multiple firing suppress time detected".
    MULTIPLE_FIRING_SUPPRESSION_TIME_1 = 1,         ///< First setting.
    MULTIPLE_FIRING_SUPPRESSION_TIME_2 = 2,         ///< Second setting.
    MULTIPLE_FIRING_SUPPRESSION_TIME_3 = 3,         ///< Third setting.
    MULTIPLE_FIRING_SUPPRESSION_TIME_4 = 4          ///< Fourth setting.
};

/// Clock of the cathode test (QuorvelDll::SetCathodeTestClockType).
enum CathodeTestClockType : int {
    CATHODE_TEST_CLOCK_TYPE_UNDEFINED = 0, ///< Refused: "Undefined cathode test clock type detected".
    CATHODE_TEST_CLOCK_TYPE_1 = 1,         ///< First clock.
    CATHODE_TEST_CLOCK_TYPE_2 = 2          ///< Second clock.
};

/// What the ASIC's analog monitor output carries.
enum AnalogOutput : int {
    ANALOG_OUTPUT_UNDEFINED = 0,              ///< Refused: "Undefined analog output detected".
    ANALOG_OUTPUT_1 = 1,                      ///< First output, set with QuorvelDll::SetAnalogOutputToMonitor.
    ANALOG_OUTPUT_2 = 2,                      ///< Second output, set with QuorvelDll::SetAnalogOutputToMonitor.
    ANALOG_OUTPUT_3 = 3,                      ///< Third output, set with QuorvelDll::SetAnalogOutputToMonitor.
    ANALOG_OUTPUT_DAC = 4,                    ///< A DAC: set by QuorvelDll::SetDACToMonitor.
    ANALOG_OUTPUT_CATHODE_ENERGY_TIMING = 5,  ///< A cathode signal: set by QuorvelDll::SetCathodeEnergyTimingToMonitor.
    ANALOG_OUTPUT_ANODE_CHANNEL = 6           ///< An anode channel: set by QuorvelDll::SetAnodeChannelToMonitor.
};

/// Cathode energy or timing signal on the monitor output
/// (QuorvelDll::SetCathodeEnergyTimingToMonitor).
enum CathodeEnergyTiming : int {
    CATHODE_ENERGY_TIMING_UNDEFINED = 0, ///< Refused: "Undefined CathodeEnergyTiming detected".
    CATHODE_ENERGY_TIMING_1 = 1,         ///< First signal.
    CATHODE_ENERGY_TIMING_2 = 2,         ///< Second signal.
    CATHODE_ENERGY_TIMING_3 = 3,         ///< Third signal.
    CATHODE_ENERGY_TIMING_4 = 4          ///< Fourth signal.
};

/// DAC on the monitor output (QuorvelDll::SetDACToMonitor).
enum DACS : int {
    DACS_UNDEFINED = 0, ///< Refused: "Undefined DACS detected".
    DACS_1 = 1,         ///< DAC 1.
    DACS_2 = 2,         ///< DAC 2.
    DACS_3 = 3,         ///< DAC 3.
    DACS_4 = 4,         ///< DAC 4.
    DACS_5 = 5,         ///< DAC 5.
    DACS_6 = 6,         ///< DAC 6.
    DACS_7 = 7,         ///< DAC 7.
    DACS_8 = 8,         ///< DAC 8.
    DACS_9 = 9          ///< DAC 9.
};

/// @}

/// \addtogroup asicchannel
/// @{

/// Whether the channel setters act on the active channel or on all channels
/// of the active type (QuorvelDll::SetChannelUpdateType).
enum ChannelUpdateType : int {
    CHANNEL_UPDATE_TYPE_SINGLE = 0, ///< The active channel only (the default).
    CHANNEL_UPDATE_TYPE_ALL = 1     ///< Every channel of the active channel type.
};

/// @}

/// \addtogroup gm
/// @{

/// How a GM reads out its ASIC (GM register 21).
enum GMReadoutMode : int {
    GM_READOUT_MODE_UNDEFINED = 0,  ///< Refused: "Undefined readout mode detected".
    GM_READOUT_MODE_READ_ALL = 1,   ///< Every channel of each event (the default).
    GM_READOUT_MODE_SPARSIFIED = 2  ///< Only the channels that fired.
};

/// Cathode mode of a GM (GM register 21).
enum GMCathodeMode : int {
    GM_CATHODE_MODE_UNDEFINED = 0,       ///< Refused: "Undefined cathode mode detected".
    GM_CATHODE_MODE_UNIPOLAR = 1,        ///< Unipolar (the default).
    GM_CATHODE_MODE_MULTI_THRESHOLD = 2, ///< Multi-threshold.
    GM_CATHODE_MODE_BIPOLAR = 3          ///< Bipolar.
};

/// Frequency of a GM's test pulser (GM register 22).
enum GMPulserFrequency : int {
    GM_PULSER_FREQUENCY_UNDEFINED = 0, ///< Refused: "Undefined pulser frequency detected".
    GM_PULSER_FREQUENCY_100HZ = 1,     ///< 100 Hz (the default).
    GM_PULSER_FREQUENCY_1KHZ = 2,      ///< 1 kHz.
    GM_PULSER_FREQUENCY_10KHZ = 3,     ///< 10 kHz.
    GM_PULSER_FREQUENCY_100KHZ = 4     ///< 100 kHz.
};

/// Whether GM and ASIC setters and sends act on the active GM or on every
/// device GM (QuorvelDll::SetGMUpdateType).
enum GMUpdateType : int {
    GM_UPDATE_TYPE_UNDEFINED = 0, ///< Refused: "GM update type is undefined".
    GM_UPDATE_TYPE_ACTIVE_GM = 1, ///< The active GM only (the default).
    GM_UPDATE_TYPE_ALL_GMS = 2    ///< Every device GM in turn.
};

/// @}

/// \addtogroup system
/// @{

/// When setters write to the camera (QuorvelDll::SetCameraUpdateMode).
enum CameraUpdateMode : int {
    CAMERA_UPDATE_MODE_UNDEFINED = 0, ///< Refused: "Undefined camera update mode detected".
    CAMERA_UPDATE_MODE_DEFERRED = 1,  ///< Setters change the library's copy; the send functions write (the default).
    CAMERA_UPDATE_MODE_IMMEDIATE = 2  ///< Each setter writes its register at once.
};

/// @}

/// \addtogroup streaming
/// @{

/// One photon as it leaves the library: 16 bytes in the machine's byte
/// order, the same record from the photon stream (QuorvelDll::ReadPhotons) and
/// from the store's bulk read (QuorvelDll::ReadCollectedPhotons).
struct PhotonRecord {
    uint32_t packetNo;           ///< 1-based number of its packet within the collection
    uint16_t headerWord;         ///< header word of its packet
    uint16_t pixel;              ///< pixel as mapped (GetPixelMappingMode), or the channel byte
    uint16_t energy;             ///< energy value, sign flag cleared
    uint16_t timeDetect;         ///< time detect value, sign flag cleared; 0 without time detect
    uint8_t gmID;                ///< GM ID of its packet
    uint8_t positiveEnergy;      ///< 1 if the energy is positive, 0 if negative
    uint8_t positiveTimeDetect;  ///< 1 if the time detect is positive, 0 if negative or absent
    uint8_t headerByte;          ///< header byte of its packet
};
static_assert(sizeof(PhotonRecord) == 16, "PhotonRecord is a fixed 16-byte record");

/// One packet as the store's bulk read (QuorvelDll::ReadCollectedPackets)
/// gives it: 12 bytes in the machine's byte order.
struct PacketRecord {
    uint32_t packetNo;           ///< 1-based number within the collection
    uint32_t noOfPhotons;        ///< number of photons in the packet
    uint16_t headerWord;         ///< header word of the packet
    uint8_t gmID;                ///< ID of the GM that sent it
    uint8_t headerByte;          ///< header byte of the packet
};
static_assert(sizeof(PacketRecord) == 12, "PacketRecord is a fixed 12-byte record");

/// Results of QuorvelDll::ReadPhotons besides a count of records (>= 0).
enum PhotonStreamResult : int {
    PHOTON_STREAM_ENDED = -1,         ///< the collection ended and all its photons were read
    PHOTON_STREAM_CLOSED = -2,        ///< the stream is not enabled, or the library was closed
    PHOTON_STREAM_BAD_ARGUMENT = -3   ///< null buffer or a capacity below 1
};

/// Counters of the photon stream since it was enabled
/// (QuorvelDll::GetPhotonStreamCounters); QuorvelDll::EnablePhotonStream
/// sets them to 0.
struct PhotonStreamCounters {
    uint64_t packets;            ///< packets decoded while the stream took photons
    uint64_t photons;            ///< photons streamed (read or waiting to be read)
    uint64_t droppedPhotons;     ///< photons dropped because the reader stalled
    uint64_t queued;             ///< photons waiting to be read now
    uint64_t capacity;           ///< bound of the queue, in photons
};

/// @}

/**
 * \brief The library's interface: every function is static, and all of them
 * act on one process-wide controller.
 *
 * The controller is created by the first call and destroyed by Close(); the
 * next call after Close() creates a fresh one with every setting at its
 * default. See quorveldll.h for the rules every function follows (results,
 * thread, callbacks, deferred and immediate updates) and the \ref guide for
 * complete programs.
 */
class QUORVEL_EXPORT QuorvelDll
{
public:
    /// \addtogroup connection
    /// @{

    /**
     * \brief The library's version.
     * \return "42.1.21.49", the version the shared object is built as.
     */
    static std::string GetVersion();
    /**
     * \brief Sets the address of this machine on the camera's network; the
     * control and data sockets bind to it.
     *
     * Takes effect at the next Initialize(). LoadConfiguration() needs it.
     * \param a_Address IPv4 address as text, for example "192.168.0.10"; null
     *        counts as empty. An empty or unparsable address binds to every
     *        interface.
     */
    static void SetHostIPAddress(const char* a_Address);
    /**
     * \brief Sets the camera's address; the datagrams of the data socket are
     * taken from this address only.
     *
     * Takes effect at the next Initialize(). LoadConfiguration() replaces it
     * with the address in the file.
     * \param a_Address IPv4 address as text, for example "192.168.0.20"; null
     *        counts as empty (Initialize() then fails with "Failed to connect
     *        to Camera IP address").
     */
    static void SetCameraIPAddress(const char* a_Address);
    /**
     * \brief The camera's address as set by SetCameraIPAddress() or by the
     * last LoadConfiguration().
     * \return The address as text, empty if none was set.
     */
    static std::string GetCameraIPAddress();
    /**
     * \brief Connects to the camera and starts the library's threads.
     *
     * Opens the TCP control connections to the camera's ports 20483 (system
     * control) and 20484 (simulator), initialises the high voltage supply
     * (register 15), starts the data and status workers (their sockets tell
     * the camera the data port through register 14), then writes register 16
     * with collection and power off. The camera's GMs are not known yet: they
     * announce themselves after StartSys().
     *
     * Refused while the link is intact: "System is already connected,
     * disconnect before initializing again". After the camera dropped the link
     * (a power cycle), Initialize() closes what is left and connects again as
     * a first one would. A failed Initialize() leaves no socket open.
     *
     * Failure texts: "Failed to bind to Host IP address", "Failed to connect
     * to Camera IP address", "Failed to write to register N", a worker's
     * start-up failure, "Timed out waiting for read buffer read".
     * \return true when connected.
     */
    static bool Initialize();
    /**
     * \brief Whether Initialize() has once succeeded.
     *
     * Odd but kept: Disconnect() does not clear it, so it stays true after
     * the first successful Initialize() until Close().
     * \return true after a successful Initialize().
     */
    static bool IsSystemInitialized();
    /**
     * \brief Powers the camera down and closes every socket.
     *
     * Writes register 16 with power off (forgetting the device GMs), switches
     * the high voltage off (register 15), closes the control, data and status
     * sockets, and ends a streamed collection (ReadPhotons() then returns
     * #PHOTON_STREAM_ENDED after the last photon). The threads keep running
     * for the next Initialize(). Never fails; writes that cannot be made are
     * skipped.
     */
    static void Disconnect();
    /**
     * \brief Destroys the controller: cancels running and queued CSV saves,
     * stops the library's threads and frees the collected data.
     *
     * A reader blocked in ReadPhotons() returns; what was queued can still be
     * read. Call Disconnect() first when connected. A later call of any
     * function starts a fresh controller with default settings (callbacks
     * unset).
     */
    static void Close();
    /**
     * \brief The text of the last failure.
     *
     * Kept until the next failure; success does not clear it.
     * \return The text, empty if nothing failed yet.
     */
    static std::string GetLastError();
    /**
     * \brief Sets the callback for the control connections' texts:
     * "System Control Socket host found", "System Control Socket
     * <host>:<port> connected to <camera>:<port>", "System Control Socket
     * disconnected", and the same for the "Simulator Socket".
     *
     * Called on the client's thread; must not call into the library.
     * \param a_Func the callback, or null for none.
     */
    static void SetConnectStatusFunction(void (*a_Func)(const char*));
    /**
     * \brief Sets the callback for system status texts.
     *
     * The texts include the camera's status records ("GM:n\tStatus:...\tError:..."
     * and "Status:Idle\t..." once the GMs have powered up), "Data Socket Port:
     * N", "Decoding packets ...", "Packets decoded : n (Total: t)", the loss
     * reports "Data lost: ...", "Data ignored: ...", "Data discarded: ...",
     * "Stream overflow: ..." and, after LoadConfiguration(), "No of GM's
     * loaded: n, No of GM's in device: m".
     *
     * Called on the client's thread while it runs Qt events or waits inside
     * the library; must not call into the library.
     * \param a_Func the callback, or null for none.
     */
    static void SetSysStatusFunction(void (*a_Func)(const char*));
    /**
     * \brief Sets the callback for short state texts: "Collecting ...",
     * "Finished collecting", "Clearing packets ...", "Packets cleared",
     * "Loading configuration ...", "Configuration loaded", "Configuration load
     * failed".
     *
     * Called on the client's thread, inside the call that changes the state;
     * must not call into the library.
     * \param a_Func the callback, or null for none.
     */
    static void SetToolbarStatusFunction(void (*a_Func)(const char*));
    /**
     * \brief Sets the callback for the failure of a background CSV save
     * (SaveCollection()).
     *
     * Called on the client's thread while it runs Qt events; must not call
     * into the library.
     * The texts: "Failed to open file to save packets to", "An error
     * occurred when writing to the file".
     * \param a_Func the callback, receiving the failure text, or null for none.
     */
    static void SetOperationErrorFunction(void (*a_Func)(const char*));
    /**
     * \brief Sets the callback for the progress of a background CSV save.
     *
     * Called on the client's thread while it runs Qt events; must not call
     * into the library.
     * \param a_Func the callback, receiving the percentage done (0 to 100), or
     *        null for none.
     */
    static void SetOperationProgressFunction(void (*a_Func)(int));
    /**
     * \brief Sets the callback for the end of a background CSV save; called
     * for every save, also one that failed or was cancelled.
     *
     * Called on the client's thread while it runs Qt events; must not call
     * into the library.
     * \param a_Func the callback, or null for none.
     */
    static void SetOperationCompleteFunction(void (*a_Func)());

    /// @}

    /// \addtogroup system
    /// @{

    /**
     * \brief Reads the firmware version of the camera's Ethernet board
     * (register 127) at once.
     *
     * Needs Initialize(): "System has not been initialized yet". Odd but
     * kept: a null pointer fails without a new text.
     * \param[out] a_Version the low byte of the reply, as a signed number.
     * \return true when read; "Failed to read from register 127" otherwise.
     */
    static bool GetGBEFirmwareVersion(int* a_Version);
    /**
     * \brief Powers the camera up: writes register 16 at once with the power
     * bit and the current system settings, whatever the camera update mode.
     *
     * The GMs then announce themselves on the status connection (GetNoOfGMs()
     * grows while the client runs Qt events; the sys status text
     * "Status:Idle" follows when all are up). Needs Initialize().
     * \return true when written; "Failed to write to register 16" otherwise.
     */
    static bool StartSys();
    /**
     * \brief Powers the camera down: writes register 16 at once without the
     * power bit, and forgets the device GMs (they announce themselves again
     * at the next StartSys()). The active GM ID stays set.
     * \return true when written; "Failed to write to register 16" otherwise.
     */
    static bool StopSys();
    /**
     * \brief Sets the camera's debug mode (bit 0x04 of byte 1 of register 16).
     *
     * Written at once in the immediate camera update mode, otherwise by
     * SendGBEControlData().
     * \param a_Active true for debug mode.
     * \return false only when an immediate write fails.
     */
    static bool SetDebugMode(bool a_Active);
    /**
     * \brief The debug mode as set (the library's copy).
     * \return true if debug mode is set.
     */
    static bool IsDebugModeActive();
    /**
     * \brief Sets the motherboard's multiplexer address type (a four-bit code
     * across bytes 0 and 1 of register 16).
     *
     * Written at once in the immediate camera update mode, otherwise by
     * SendGBEControlData().
     * \param a_Type any type but #MB_MULTIPLEXER_ADDR_TYPE_UNDEFINED, which
     *        fails with "Undefined MB multiplexer addresss type detected"
     *        (sic).
     * \return true when set (and, if immediate, written).
     */
    static bool SetMBMultiplexerAddressType(MBMultiplexerAddrType a_Type);
    /**
     * \brief The multiplexer address type as set.
     * \return The type; #MB_MULTIPLEXER_ADDR_TYPE_0 by default.
     */
    static MBMultiplexerAddrType GetMBMultiplexerAddressType();
    /**
     * \brief Sets the rate at which the camera sends packets, and sizes the
     * library's buffers for one second of packets (1 MB at 1000, 40 MB at
     * 63000).
     *
     * The rate goes into bits 7..2 of byte 0 of register 16 (rate / 1000 - 1),
     * written at once in the immediate camera update mode, otherwise by
     * SendGBEControlData().
     *
     * The resize waits for the data thread, so call it after Initialize().
     * Odd but kept: before Initialize() no data thread answers, the call fails
     * after 10 s with "Timed out when attempting to change buffer size, buffer
     * size unchanged", and the rate stays stored all the same.
     * \param a_Rate packets per second: a multiple of 1000 ("Packet Transfer
     *        value must be a multiple of 1000") from 1000 to 63000 ("Packet
     *        Transfer must be between 1000 and 63000"). Default 1000.
     * \return true when set and the buffers resized; also "Failed to resize
     *         buffer, buffer still NMb".
     */
    static bool SetPacketTransferRate(int a_Rate);
    /**
     * \brief The packet transfer rate as set.
     * \return Packets per second; 1000 by default.
     */
    static int GetPacketTransferRate();
    /**
     * \brief Sets the system token type (bit 0x08 of byte 1 of register 16).
     *
     * Written at once in the immediate camera update mode, otherwise by
     * SendGBEControlData().
     * \param a_Type #SYS_TOKEN_TYPE_1 or #SYS_TOKEN_TYPE_2;
     *        #SYS_TOKEN_TYPE_UNDEFINED fails with "Undefined sys token type
     *        detected".
     * \return true when set (and, if immediate, written).
     */
    static bool SetSysTokenType(SysTokenType a_Type);
    /**
     * \brief The token type as set.
     * \return The type; #SYS_TOKEN_TYPE_1 by default.
     */
    static SysTokenType GetSysTokenType();
    /**
     * \brief Sets how the decoder numbers pixels from now on. Nothing is
     * written to the camera; photons already stored keep their numbers.
     * \param a_Mode #PIXEL_MAPPING_MODE_GLOBAL or #PIXEL_MAPPING_MODE_LOCAL; 0
     *        fails with "Undefined pixel mapping mode detected".
     * \return true when set.
     */
    static bool SetPixelMappingMode(PixelMappingMode a_Mode);
    /**
     * \brief The pixel mapping mode as set.
     * \return The mode; #PIXEL_MAPPING_MODE_LOCAL by default.
     */
    static PixelMappingMode GetPixelMappingMode();
    /**
     * \brief Writes the system settings at once, whatever the camera update
     * mode: first the bias voltage (register 15), then the GBE control image
     * (register 16, with the current power and collect bits).
     * \return true when both were written; "Failed to write to register 15"
     *         or "Failed to write to register 16" otherwise.
     */
    static bool SendGBEControlData();
    /**
     * \brief Sets when the setters of system, GM and ASIC settings write to
     * the camera.
     *
     * Changing the mode writes nothing: settings changed while deferred are
     * sent by the send functions only.
     * \param a_Mode #CAMERA_UPDATE_MODE_DEFERRED or
     *        #CAMERA_UPDATE_MODE_IMMEDIATE; #CAMERA_UPDATE_MODE_UNDEFINED fails
     *        with "Undefined camera update mode detected".
     * \return true when set.
     */
    static bool SetCameraUpdateMode(CameraUpdateMode a_Mode);
    /**
     * \brief The camera update mode.
     * \return The mode; #CAMERA_UPDATE_MODE_DEFERRED by default.
     */
    static CameraUpdateMode GetCameraUpdateMode();

    /// @}

    /// \addtogroup collection
    /// @{

    /**
     * \brief Starts a collection: empties the store and tells the camera to
     * collect (collect bit of register 16, written at once).
     *
     * First has the data thread drop what arrived since the last collection
     * ("Timed out waiting for the data thread before collecting" if it does not
     * answer within 10 s), and waits for a running CSV save before the camera
     * starts. A start the camera refuses keeps the previous collection. The
     * decoder's packet numbers start again at 1; an enabled photon stream
     * opens a new collection. Needs Initialize() and, for photons,
     * StartSys().
     * \return true when the camera was told; "Failed to write to register 16"
     *         otherwise.
     */
    static bool StartPhotonCollection();
    /**
     * \brief Stops the collection: clears the collect bit of register 16 at
     * once, then waits until the data thread has handed the last datagrams to
     * the decoder (the data socket quiet for 50 ms, at most a second).
     *
     * Decoding may run briefly after it returns: wait for the sys status text
     * "Packets decoded : n (Total: t)" or for GetNoOfCollectedPackets() to
     * settle. An enabled photon stream ends its collection behind the last
     * photon.
     * \return true when stopped; "Failed to write to register 16", or "Timed
     *         out waiting for read buffer read" if the data thread did not
     *         answer within 10 s.
     */
    static bool StopPhotonCollection();
    /**
     * \brief Asks the camera whether it collects: reads register 16 at once.
     * \return true if the camera's collect bit is set; false also when the
     *         read fails (without a new text).
     */
    static bool IsSystemCollectingPhotons();
    /**
     * \brief Number of packets in the store.
     * \return The count, 0 when empty; it grows while the decoder runs.
     */
    static int GetNoOfCollectedPackets();
    /**
     * \brief One value of a stored packet.
     * \param a_PacketNo 1 to GetNoOfCollectedPackets().
     * \param a_Type which value.
     * \param[out] a_Value the value.
     * \return true when read. Failure texts: "No collected packets to query",
     *         "PacketNo out of range, valid range is 1 to N", "Null pointer
     *         passed to function", "Undefined packet data type detected".
     */
    static bool GetPacketData(int a_PacketNo, PacketData a_Type, int* a_Value);
    /**
     * \brief One value of a stored photon.
     * \param a_PacketNo 1 to GetNoOfCollectedPackets().
     * \param a_PhotonNo 1 to the packet's #PACKET_DATA_NO_OF_PHOTONS.
     * \param a_Type which value.
     * \param[out] a_Value the value.
     * \return true when read. Failure texts: "No collected packets to query",
     *         "PacketNo out of range, valid range is 1 to N", "PhotonNo out of
     *         range, valid range is 1 to N", "Null pointer passed to
     *         function", "Undefined packet data type detected" (sic, for a
     *         photon data type too).
     */
    static bool GetPhotonData(int a_PacketNo, int a_PhotonNo, PhotonData a_Type, int* a_Value);

    /// @}

    /// \addtogroup streaming
    /// @{

    /**
     * \brief Enables the photon stream with a queue of the given size,
     * dropping whatever an earlier stream still held and zeroing the
     * counters.
     *
     * Call from the client's thread while not collecting ("Cannot change the
     * photon stream while collecting"). The stream takes photons from the next
     * StartPhotonCollection() on.
     * \param a_CapacityPhotons 0 for the default of 4194304 photons (64 MiB),
     *        or 1024 to 268435456; other values fail with "Photon stream
     *        capacity must be 0 (the default, 4194304) or 1024 to 268435456
     *        photons".
     * \return true when enabled; "Not enough memory for a photon stream of N
     *         photons" if the queue cannot be allocated.
     */
    static bool EnablePhotonStream(long long a_CapacityPhotons);
    /**
     * \brief Disables the photon stream and frees its queue; photons not yet
     * read are dropped, and blocked readers return #PHOTON_STREAM_CLOSED.
     *
     * Call from the client's thread while not collecting ("Cannot change the
     * photon stream while collecting").
     * \return true when disabled.
     */
    static bool DisablePhotonStream();
    /**
     * \brief Whether the photon stream is enabled.
     * \return true between EnablePhotonStream() and DisablePhotonStream() or
     *         Close().
     */
    static bool IsPhotonStreamEnabled();
    /**
     * \brief Whether decoded photons also go into the store while the stream
     * is enabled.
     *
     * With false, GetNoOfCollectedPackets() stays 0 during streamed
     * collections and the library's memory stays flat. Without an enabled
     * stream the store always takes the photons. Close() sets it back to true.
     * Call from the client's thread while not collecting ("Cannot change the
     * photon stream while collecting").
     * \param a_Store true (the default) to keep storing.
     * \return true when set.
     */
    static bool SetStorePhotons(bool a_Store);
    /**
     * \brief Whether the store takes the decoded photons.
     * \return true unless the stream is enabled and SetStorePhotons(false)
     *         was called.
     */
    static bool IsStoringPhotons();
    /**
     * \brief Copies up to a_Capacity records into a_pRecords and returns how
     * many, waiting up to a_TimeoutMs (negative: without limit) for the first
     * one.
     *
     * Records never span two collections. Safe from any thread, and the only
     * function (with GetPhotonStreamCounters()) that may be called from
     * another thread than the client's. A reader that takes nothing for a
     * second is taken as gone (see \ref streaming).
     * \param[out] a_pRecords room for a_Capacity records.
     * \param a_Capacity at least 1.
     * \param a_TimeoutMs longest wait for the first record, in milliseconds;
     *        0 returns at once, negative waits without limit.
     * \return The number of records copied (0: nothing arrived in time);
     *         #PHOTON_STREAM_ENDED: the collection's last photon was read
     *         (StopPhotonCollection(), Disconnect() or Close() ended it), and
     *         the next call waits for the next collection;
     *         #PHOTON_STREAM_CLOSED: the stream is disabled or the library
     *         closed, and a blocked reader returns at once;
     *         #PHOTON_STREAM_BAD_ARGUMENT: a null buffer or a capacity below 1.
     */
    static long long ReadPhotons(PhotonRecord* a_pRecords, long long a_Capacity, int a_TimeoutMs);
    /**
     * \brief The stream's counters since it was enabled. Safe from any thread.
     * \return The counters; all 0 before the first EnablePhotonStream().
     */
    static PhotonStreamCounters GetPhotonStreamCounters();

    /**
     * \brief Number of photons in the stored packets a_FirstPacketNo to
     * a_LastPacketNo: the room ReadCollectedPhotons() needs.
     * \param a_FirstPacketNo first packet, 1-based.
     * \param a_LastPacketNo last packet, inclusive, at most
     *        GetNoOfCollectedPackets().
     * \return The count, or -1 with the text "No collected packets to query"
     *         or "Packet range F to L is invalid, valid range is 1 to N".
     */
    static long long GetNoOfPhotonsInPackets(int a_FirstPacketNo, int a_LastPacketNo);
    /**
     * \brief Copies the photons of the stored packets a_FirstPacketNo to
     * a_LastPacketNo into a_pRecords in one call, in packet order.
     * \param a_FirstPacketNo first packet, 1-based.
     * \param a_LastPacketNo last packet, inclusive.
     * \param[out] a_pRecords room for a_Capacity records.
     * \param a_Capacity records a_pRecords has room for; at least
     *        GetNoOfPhotonsInPackets() of the range.
     * \return The number of records copied, or -1 with nothing copied and the
     *         text "No collected packets to query", "Packet range F to L is
     *         invalid, valid range is 1 to N", "Null pointer passed to
     *         function" or "Buffer too small: N records needed, room for M".
     */
    static long long ReadCollectedPhotons(int a_FirstPacketNo, int a_LastPacketNo, PhotonRecord* a_pRecords,
                                          long long a_Capacity);
    /**
     * \brief Copies the stored packets a_FirstPacketNo to a_LastPacketNo into
     * a_pRecords in one call.
     * \param a_FirstPacketNo first packet, 1-based.
     * \param a_LastPacketNo last packet, inclusive.
     * \param[out] a_pRecords room for a_Capacity records.
     * \param a_Capacity records a_pRecords has room for; at least
     *        a_LastPacketNo - a_FirstPacketNo + 1.
     * \return The number of records copied, or -1 with nothing copied and the
     *         same texts as ReadCollectedPhotons().
     */
    static long long ReadCollectedPackets(int a_FirstPacketNo, int a_LastPacketNo, PacketRecord* a_pRecords,
                                          long long a_Capacity);

    /// @}

    /// \addtogroup registers
    /// @{

    /**
     * \brief Writes a system register at once, whatever the camera update mode.
     * \param a_Register 0 to 127 ("Register number must be between 0 and 127").
     * \param a_MSB first value byte.
     * \param a_LSB second value byte.
     * \return true when written; "Failed to write to register N" otherwise.
     */
    static bool RegWrite(int a_Register, unsigned char a_MSB, unsigned char a_LSB);
    /**
     * \brief Reads a system register at once.
     * \param a_Register 0 to 127 ("Register number must be between 0 and 127").
     * \param[out] a_MSB first value byte of the reply.
     * \param[out] a_LSB second value byte of the reply.
     * \return true when read. Failure texts: "MSB and LSB pointer arguments
     *         must point to objects", "Failed to read from register N".
     */
    static bool RegRead(int a_Register, unsigned char* a_MSB, unsigned char* a_LSB);
    /**
     * \brief Writes one byte to a register of the active GM at once.
     *
     * Odd but kept: no active GM check (with none set the request carries GM
     * byte 0xFF), and register 1 is refused like the status register 19.
     * \param a_Register 0 to 127 ("Register number must be between 0 and
     *        127"), not 19 or 1 ("GM status register is read only").
     * \param a_Value the byte.
     * \return true when written; "Failed to write to register N" otherwise.
     */
    static bool GMRegWrite(int a_Register, unsigned char a_Value);
    /**
     * \brief Reads one byte from a register of the active GM at once.
     * \param a_Register 0 to 127 ("Register number must be between 0 and 127").
     * \param[out] a_Value the byte ("Pointer passed to funtion doesn't point
     *        to anything" (sic) if null).
     * \return true when read; "Failed to read from register N" otherwise.
     */
    static bool GMRegRead(int a_Register, unsigned char* a_Value);

    /// @}

    /// \addtogroup gm
    /// @{

    /**
     * \brief Reads the firmware version of the active GM (GM register 127)
     * at once.
     * \param[out] a_Version the reply byte as a signed number ("Null pointer
     *        passed to function" if null).
     * \return true when read. Failure texts: "Active GM hasn't been set",
     *         "Number of gamma modules in device yet to be determined",
     *         "Failed to read from register 127".
     */
    static bool GetGMFirmwareVersion(int* a_Version);
    /**
     * \brief Number of device GMs: those that announced themselves since the
     * last StartSys(). Grows while the client runs Qt events after
     * StartSys(); 0 after StopSys() and Disconnect().
     * \return The count, 0 to 4.
     */
    static int GetNoOfGMs();
    /**
     * \brief Number of GMs held from the last LoadConfiguration() whose file
     * had another number of GMs than the camera; see CopyLoadedGMToGM().
     * \return The count, 0 when the last load applied its GMs directly.
     */
    static int GetNoOfLoadedGMs();
    /**
     * \brief Copies the settings of a loaded GM (GM and ASIC) to a device GM.
     *
     * In the immediate camera update mode the device GM's registers 18 to 24,
     * 29 and 30 are then written at once; in the deferred mode nothing is
     * written (use SendGMData(), SendASICGlobalData() and
     * SendASICChannelData() with that GM active).
     * \param a_LoadedGMID 1 to GetNoOfLoadedGMs() ("GM ID out of range, valid
     *        range 1 to N").
     * \param a_GMID ID of a device GM ("GM ID out of range, valid range 1 to
     *        N"; odd but kept: with no device GM it fails without a new text).
     * \return true when copied (and written); "No loaded GMs to copy from"
     *         if the last load kept none.
     */
    static bool CopyLoadedGMToGM(int a_LoadedGMID, int a_GMID);
    /**
     * \brief Sets the default GM value of the active GM (GM register 20, the
     * GM's ID register); GM rules of \ref gm.
     * \param a_GMID ID of a device GM ("GM ID out of range, valid range 1 to N").
     * \return true when set (and, if immediate, written).
     */
    static bool SetDefaultGM(int a_GMID);
    /**
     * \brief The default GM value of the active GM as the library holds it:
     * read from GM register 20 when the GM announced itself, or as set.
     * \param[out] a_GMID the value ("Null pointer passed to function" if null).
     * \return true when read; "Active GM hasn't been set", "Number of gamma
     *         modules in device yet to be determined".
     */
    static bool GetDefaultGM(int* a_GMID);
    /**
     * \brief Chooses the GM that GM and ASIC setters, getters and sends act
     * on, and sets the GM update type back to #GM_UPDATE_TYPE_ACTIVE_GM.
     * \param a_GMID ID of a device GM.
     * \return true when set. Failure texts: "Number of gamma modules in device
     *         yet to be determined" (no device GM yet: call StartSys() and let
     *         the GMs announce themselves), "Invalid GM ID, valid range is 1
     *         to N" (no device GM has that ID).
     */
    static bool SetActiveGM(int a_GMID);
    /**
     * \brief The active GM's ID.
     * \return The ID, -1 if none was set.
     */
    static int GetActiveGM();
    /**
     * \brief Whether an active GM was chosen. Odd but kept: when none was, it
     * also sets the last error to "Active GM hasn't been set".
     * \return true if SetActiveGM() succeeded once.
     */
    static bool IsActiveGMSet();
    /**
     * \brief Reads the active GM's status register (GM register 19) at once.
     * \param[out] a_Status the reply byte as a signed number ("Null pointer
     *        passed to function" if null).
     * \return true when read. Failure texts: "Active GM hasn't been set",
     *         "Number of gamma modules in device yet to be determined",
     *         "Failed to read from register 19".
     */
    static bool GetGMStatus(int* a_Status);
    /**
     * \brief Sets the active GM's option bits (GM register 18); GM rules of
     * \ref gm.
     * \param a_Options bit 0x01 disables the GM's packets, 0x02 sets the GM's
     *        debug mode, 0x04 enables the ASIC; other bits are kept but not
     *        sent. No value is refused. Default 8.
     * \return true when set (and, if immediate, written).
     */
    static bool SetGMOptions(int a_Options);
    /**
     * \brief The active GM's option bits as set.
     * \param[out] a_Options the bits ("Pointer passed to function doesn't
     *        point to anything" if null).
     * \return true when read; the active GM texts of \ref gm otherwise.
     */
    static bool GetGMOptions(int* a_Options);
    /**
     * \brief Sets the input channel of the active GM's ADC 1 (a bit of GM
     * register 18); GM rules of \ref gm.
     * \param a_Channel 1 or 2 ("ADC channel must be 1 or 2").
     * \return true when set (and, if immediate, written).
     */
    static bool SetGMADC1Channel(int a_Channel);
    /**
     * \brief The input channel of the active GM's ADC 1 as set.
     * \param[out] a_Channel 1 or 2, or 0 if never set ("Null pointer passed
     *        to function" if null).
     * \return true when read; the active GM texts of \ref gm otherwise.
     */
    static bool GetGMADC1Channel(int* a_Channel);
    /**
     * \brief Sets the input channel of the active GM's ADC 2 (a bit of GM
     * register 18); GM rules of \ref gm.
     * \param a_Channel 1 or 2 ("ADC channel must be 1 or 2").
     * \return true when set (and, if immediate, written).
     */
    static bool SetGMADC2Channel(int a_Channel);
    /**
     * \brief The input channel of the active GM's ADC 2 as set.
     * \param[out] a_Channel 1 or 2, or 0 if never set ("Null pointer passed
     *        to function" if null).
     * \return true when read; the active GM texts of \ref gm otherwise.
     */
    static bool GetGMADC2Channel(int* a_Channel);
    /**
     * \brief Reads the active GM's ADC 1 (GM register 26) at once.
     * \param[out] a_Reading the raw reading, two reply bytes high first (a
     *        short reply counts missing bytes as 0).
     * \param[out] a_Volts the reading in volts (reading / 2048), as whole
     *        volts truncated towards zero, as the `int*` demands.
     * \return true when read. Failure texts: "Active GM hasn't been set",
     *         "Null pointer(s) passed to function", "Number of gamma modules
     *         in device yet to be determined", "Failed to read from register
     *         26".
     */
    static bool ReadGMADC1(int* a_Reading, int* a_Volts);
    /**
     * \brief Reads the active GM's ADC 2 (GM register 27) at once; as
     * ReadGMADC1().
     * \param[out] a_Reading the raw reading, two reply bytes high first.
     * \param[out] a_Volts the reading in whole volts (reading / 2048),
     *        truncated towards zero.
     * \return true when read; the texts of ReadGMADC1(), with register 27.
     */
    static bool ReadGMADC2(int* a_Reading, int* a_Volts);
    /**
     * \brief Sets the active GM's delay time (GM register 23 holds
     * a_Time / 20); GM rules of \ref gm.
     *
     * The library attaches no unit of its own: the value is the GM's, one
     * register step being 20 of it.
     * \param a_Time a multiple of 20 ("Delay Time value must be a multiple of
     *        20") from 0 to 5100 ("Delay Time value must be between 0 and
     *        5100"). Default 0.
     * \return true when set (and, if immediate, written).
     */
    static bool SetDelayTime(int a_Time);
    /**
     * \brief The active GM's delay time as set.
     * \param[out] a_Time the value ("Pointer passed to function doesn't point
     *        to anything" if null).
     * \return true when read; the active GM texts of \ref gm otherwise.
     */
    static bool GetDelayTime(int* a_Time);
    /**
     * \brief Sets the active GM's timestamp resolution (GM register 24 holds
     * a_Resolution / 100); GM rules of \ref gm.
     *
     * The library attaches no unit of its own: one register step is 100 of
     * the value.
     * \param a_Resolution a multiple of 100 ("Timestamp Resolution must be a
     *        multiple of 100") from 0 to 25500 ("Timestamp Resolution must be
     *        between 0 and 25500"). Default 0.
     * \return true when set (and, if immediate, written).
     */
    static bool SetTimestampResolution(int a_Resolution);
    /**
     * \brief The active GM's timestamp resolution as set.
     * \param[out] a_Resolution the value ("Pointer passed to function doesn't
     *        point to anything" if null).
     * \return true when read; the active GM texts of \ref gm otherwise.
     */
    static bool GetTimestampResolution(int* a_Resolution);
    /**
     * \brief Sets the active GM's readout option bits (GM register 21); GM
     * rules of \ref gm.
     * \param a_Options bit 0x01 enables negative energies, 0x02 enables time
     *        detect values; other bits are kept but not sent. No value is
     *        refused. Default 0.
     * \return true when set (and, if immediate, written).
     */
    static bool SetGMReadoutOptions(int a_Options);
    /**
     * \brief The active GM's readout option bits as set.
     * \param[out] a_Options the bits ("Pointer passed to function doesn't
     *        point to anything" if null).
     * \return true when read; the active GM texts of \ref gm otherwise.
     */
    static bool GetGMReadoutOptions(int* a_Options);
    /**
     * \brief Sets the active GM's readout mode (GM register 21); GM rules of
     * \ref gm.
     * \param a_Mode not #GM_READOUT_MODE_UNDEFINED ("Undefined readout mode
     *        detected").
     * \return true when set (and, if immediate, written).
     */
    static bool SetGMReadoutMode(GMReadoutMode a_Mode);
    /**
     * \brief The active GM's readout mode as set.
     * \param[out] a_Mode the mode ("Pointer passed to function doesn't point
     *        to anything" if null).
     * \return true when read; the active GM texts of \ref gm otherwise.
     */
    static bool GetGMReadoutMode(GMReadoutMode* a_Mode);
    /**
     * \brief Sets the active GM's cathode mode (GM register 21); GM rules of
     * \ref gm.
     * \param a_Mode not #GM_CATHODE_MODE_UNDEFINED ("Undefined cathode mode
     *        detected").
     * \return true when set (and, if immediate, written).
     */
    static bool SetGMCathodeMode(GMCathodeMode a_Mode);
    /**
     * \brief The active GM's cathode mode as set.
     * \param[out] a_Mode the mode ("Pointer passed to function doesn't point
     *        to anything" if null).
     * \return true when read; the active GM texts of \ref gm otherwise.
     */
    static bool GetGMCathodeMode(GMCathodeMode* a_Mode);
    /**
     * \brief Sets the frequency of the active GM's test pulser (GM register
     * 22); GM rules of \ref gm.
     * \param a_Frequency not #GM_PULSER_FREQUENCY_UNDEFINED ("Undefined pulser
     *        frequency detected").
     * \return true when set (and, if immediate, written).
     */
    static bool SetGMPulserFrequency(GMPulserFrequency a_Frequency);
    /**
     * \brief The active GM's pulser frequency as set.
     * \param[out] a_Frequency the frequency ("Pointer passed to function
     *        doesn't point to anything" if null).
     * \return true when read; the active GM texts of \ref gm otherwise.
     */
    static bool GetGMPulserFrequency(GMPulserFrequency* a_Frequency);
    /**
     * \brief Sets the active GM's pulser option bits (GM register 22); GM
     * rules of \ref gm.
     * \param a_Options bit 0x01 enables the anode pulser, 0x02 the cathode
     *        pulser; other bits are kept but not sent. No value is refused.
     * \return true when set (and, if immediate, written).
     */
    static bool SetGMPulserOptions(int a_Options);
    /**
     * \brief The active GM's pulser option bits as set.
     * \param[out] a_Options the bits ("Pointer passed to function doesn't
     *        point to anything" if null).
     * \return true when read; the active GM texts of \ref gm otherwise.
     */
    static bool GetGMPulserOptions(int* a_Options);
    /**
     * \brief Sets the number of test pulses of the active GM (bits 7..4 of GM
     * register 22); GM rules of \ref gm.
     * \param a_Count 0 to 15 ("No of pulses must be between 0 and 15").
     * \return true when set (and, if immediate, written).
     */
    static bool SetNoOfPulses(int a_Count);
    /**
     * \brief The active GM's number of test pulses as set.
     * \param[out] a_Count the number ("Pointer passed to function doesn't
     *        point to anything" if null).
     * \return true when read; the active GM texts of \ref gm otherwise.
     */
    static bool GetNoOfPulses(int* a_Count);
    /**
     * \brief Sets whether GM and ASIC setters and sends act on the active GM
     * or on every device GM.
     *
     * SetActiveGM() sets it back to #GM_UPDATE_TYPE_ACTIVE_GM. It is saved in
     * the configuration file and restored by LoadConfiguration().
     * \param a_Type not #GM_UPDATE_TYPE_UNDEFINED ("GM update type is
     *        undefined").
     * \return true when set.
     */
    static bool SetGMUpdateType(GMUpdateType a_Type);
    /**
     * \brief The GM update type.
     * \return The type; #GM_UPDATE_TYPE_ACTIVE_GM by default.
     */
    static GMUpdateType GetGMUpdateType();
    /**
     * \brief Writes the GM settings at once, whatever the camera update mode:
     * GM registers 18 (control), 20 (ID), 21 (ASIC mode), 22 (pulser mode),
     * 23 (delay time) and 24 (timestamp resolution) of the active GM, or of
     * every device GM with #GM_UPDATE_TYPE_ALL_GMS.
     *
     * Stops at the first register that fails.
     * \return true when all were written; the active GM texts of \ref gm, or
     *         "Failed to write to register N".
     */
    static bool SendGMData();

    /// @}

    /// \addtogroup asicglobal
    /// @{

    /**
     * \brief Sets the ASIC's global option bits; rules of \ref asicglobal.
     *
     * Bit 0x1000 is high gain: it selects the high gain timing tables of
     * SetPeakingTime(), SetPeakDetectTimeout() and SetTimeDetectRampLength().
     * Values already set are not checked again.
     * \param a_Options the bits of the global image; no value is refused.
     * \return true when set (and, if immediate, written).
     */
    static bool SetASICGlobalOptions(int a_Options);
    /**
     * \brief The ASIC's global option bits as set.
     * \param[out] a_Options the bits.
     * \return true when read; "Null pointer passed to function" and the active
     *         GM texts of \ref gm otherwise.
     */
    static bool GetASICGlobalOptions(int* a_Options);
    /**
     * \brief Sets the gain of the unipolar timing channel; rules of \ref asicglobal.
     *
     * Odd but kept: the bipolar gain already set is not checked against the
     * new unipolar gain.
     * \param a_Gain not #TIMING_CHANNEL_UNIPOLAR_GAIN_UNDEFINED ("Undefined
     *        unipolar gain detected").
     * \return true when set (and, if immediate, written).
     */
    static bool SetTimingChannelUnipolarGain(TimingChannelUnipolarGain a_Gain);
    /**
     * \brief The unipolar timing channel gain as set.
     * \param[out] a_Gain the gain.
     * \return true when read; "Null pointer passed to function" and the active
     *         GM texts of \ref gm otherwise.
     */
    static bool GetTimingChannelUnipolarGain(TimingChannelUnipolarGain* a_Gain);
    /**
     * \brief Sets the gain of the bipolar timing channel, which must suit the
     * unipolar gain; rules of \ref asicglobal.
     * \param a_Gain not #TIMING_CHANNEL_BIPOLAR_GAIN_UNDEFINED ("Undefined
     *        Bipolar gain detected"); with unipolar 27 mV only 21 or 55 mV
     *        ("Bipolar gain must be 21mv or 55mV when Unipolar gain is 27mV"),
     *        with unipolar 81 mV only 63 or 164 mV ("Bipolar gain must be 63mV
     *        or 164mV when Unipolar gain is 81mV").
     * \return true when set (and, if immediate, written).
     */
    static bool SetTimingChannelBiPolarGain(TimingChannelBipolarGain a_Gain);
    /**
     * \brief The bipolar timing channel gain as set.
     * \param[out] a_Gain the gain.
     * \return true when read; "Null pointer passed to function" and the active
     *         GM texts of \ref gm otherwise.
     */
    static bool GetTimingChannelBiPolarGain(TimingChannelBipolarGain* a_Gain);
    /**
     * \brief Sets the ASIC's readout mode; rules of \ref asicglobal.
     * \param a_Mode not #GMASIC_READOUT_MODE_UNDEFINED ("Undefined readout
     *        mode detected").
     * \return true when set (and, if immediate, written).
     */
    static bool SetASICReadoutMode(GMASICReadoutMode a_Mode);
    /**
     * \brief The ASIC's readout mode as set.
     * \param[out] a_Mode the mode.
     * \return true when read; "Null pointer passed to function" and the active
     *         GM texts of \ref gm otherwise.
     */
    static bool GetASICReadoutMode(GMASICReadoutMode* a_Mode);
    /**
     * \brief Sets the gain of the energy channels; rules of \ref asicglobal.
     * \param a_Gain not #CHANNEL_GAIN_UNDEFINED ("Undefined channel gain detected").
     * \return true when set (and, if immediate, written).
     */
    static bool SetChannelGain(ChannelGain a_Gain);
    /**
     * \brief The energy channel gain as set.
     * \param[out] a_Gain the gain.
     * \return true when read; "Null pointer passed to function" and the active
     *         GM texts of \ref gm otherwise.
     */
    static bool GetChannelGain(ChannelGain* a_Gain);
    /**
     * \brief Sets the cathode test mode input; rules of \ref asicglobal.
     * \param a_Input not #TEST_MODE_INPUT_UNDEFINED ("Undefined cathode test
     *        mode input detected").
     * \return true when set (and, if immediate, written).
     */
    static bool SetCathodeTestModeInput(TestModeInput a_Input);
    /**
     * \brief The cathode test mode input as set.
     * \param[out] a_Input the input.
     * \return true when read; "Null pointer passed to function" and the active
     *         GM texts of \ref gm otherwise.
     */
    static bool GetCathodeTestModeInput(TestModeInput* a_Input);
    /**
     * \brief Sets the ASIC's internal leakage current generator; rules of
     * \ref asicglobal.
     * \param a_Generator not #INTERNAL_LEAKAGE_CURRENT_GENERATOR_UNDEFINED
     *        ("Undefined internal leakage current generator detected").
     * \return true when set (and, if immediate, written).
     */
    static bool SetInternalLeakageCurrentGenerator(InternalLeakageCurrentGenerator a_Generator);
    /**
     * \brief The ASIC's internal leakage current generator as set.
     * \param[out] a_Generator the setting.
     * \return true when read; "Null pointer passed to function" and the active
     *         GM texts of \ref gm otherwise.
     */
    static bool GetInternalLeakageCurrentGenerator(InternalLeakageCurrentGenerator* a_Generator);
    /**
     * \brief Sets the edge of the anode test pulse; rules of \ref asicglobal.
     * \param a_Edge not #TEST_PULSE_EDGE_UNDEFINED ("Undefined anode test
     *        pulse edge detected").
     * \return true when set (and, if immediate, written).
     */
    static bool SetAnodeTestPulseEdge(TestPulseEdge a_Edge);
    /**
     * \brief The anode test pulse edge as set.
     * \param[out] a_Edge the edge.
     * \return true when read; "Null pointer passed to function" and the active
     *         GM texts of \ref gm otherwise.
     */
    static bool GetAnodeTestPulseEdge(TestPulseEdge* a_Edge);
    /**
     * \brief Sets the shaper peaking time of the cathode timing channels;
     * rules of \ref asicglobal.
     * \param a_Time not #TIMING_CHANNELS_SHAPER_PEAKING_TIME_UNDEFINED
     *        ("Undefined timing channels shaper peaking time detected").
     * \return true when set (and, if immediate, written).
     */
    static bool SetCathodeTimingChannelsShaperPeakingTime(TimingChannelsShaperPeakingTime a_Time);
    /**
     * \brief The cathode timing channels' shaper peaking time as set.
     * \param[out] a_Time the setting.
     * \return true when read; "Null pointer passed to function" and the active
     *         GM texts of \ref gm otherwise.
     */
    static bool GetCathodeTimingChannelsShaperPeakingTime(TimingChannelsShaperPeakingTime* a_Time);
    /**
     * \brief Sets the displacement step of the secondary multi-thresholds of
     * the cathode timing channels; rules of \ref asicglobal.
     * \param a_Step 0 to 15 ("Cathode Timing Channels Secondary
     *        Multi-Thresholds Displacement must be between 0 and 15").
     * \return true when set (and, if immediate, written).
     */
    static bool SetCathodeTimingChannelsSecondaryMultiThresholdsDisplacementStep(int a_Step);
    /**
     * \brief The secondary multi-thresholds displacement step as set.
     * \param[out] a_Step the step.
     * \return true when read; "Null pointer passed to function" and the active
     *         GM texts of \ref gm otherwise.
     */
    static bool GetCathodeTimingChannelsSecondaryMultiThresholdsDisplacementStep(int* a_Step);
    /**
     * \brief Sets the multiple firing suppression time; rules of \ref asicglobal.
     * \param a_Time not #MULTIPLE_FIRING_SUPPRESSION_TIME_UNDEFINED
     *        ("Undefined multiple firing suppress time detected").
     * \return true when set (and, if immediate, written).
     */
    static bool SetMultipleFiringSuppressTime(MultipleFiringSuppressionTime a_Time);
    /**
     * \brief The multiple firing suppression time as set.
     * \param[out] a_Time the setting.
     * \return true when read; "Null pointer passed to function" and the active
     *         GM texts of \ref gm otherwise.
     */
    static bool GetMultipleFiringSuppressTime(MultipleFiringSuppressionTime* a_Time);
    /**
     * \brief Sets the clock of the cathode test; rules of \ref asicglobal.
     * \param a_Type not #CATHODE_TEST_CLOCK_TYPE_UNDEFINED ("Undefined cathode
     *        test clock type detected").
     * \return true when set (and, if immediate, written).
     */
    static bool SetCathodeTestClockType(CathodeTestClockType a_Type);
    /**
     * \brief The cathode test clock as set.
     * \param[out] a_Type the clock.
     * \return true when read; "Null pointer passed to function" and the active
     *         GM texts of \ref gm otherwise.
     */
    static bool GetCathodeTestClockType(CathodeTestClockType* a_Type);
    /**
     * \brief Puts one of the plain analog outputs on the monitor; rules of
     * \ref asicglobal.
     * \param a_Output #ANALOG_OUTPUT_1, #ANALOG_OUTPUT_2 or #ANALOG_OUTPUT_3.
     *        #ANALOG_OUTPUT_UNDEFINED fails with "Undefined analog output
     *        detected"; the DAC, cathode and anode outputs fail with "Use
     *        dedicated function to set this analog output to monitor" (use
     *        SetDACToMonitor(), SetCathodeEnergyTimingToMonitor(),
     *        SetAnodeChannelToMonitor()).
     * \return true when set (and, if immediate, written).
     */
    static bool SetAnalogOutputToMonitor(AnalogOutput a_Output);
    /**
     * \brief What the monitor output carries, as set by any of the four
     * monitor setters.
     * \param[out] a_Output the output.
     * \return true when read; "Null pointer passed to function" and the active
     *         GM texts of \ref gm otherwise.
     */
    static bool GetAnalogOutputMonitored(AnalogOutput* a_Output);
    /**
     * \brief Puts an anode channel on the monitor output (the analog output
     * becomes #ANALOG_OUTPUT_ANODE_CHANNEL); rules of \ref asicglobal.
     * \param a_Channel 1 to 128 ("Anode channel must be in range 1 to 128").
     * \return true when set (and, if immediate, written).
     */
    static bool SetAnodeChannelToMonitor(int a_Channel);
    /**
     * \brief The anode channel on the monitor as set.
     * \param[out] a_Channel the channel.
     * \return true when read; "Null pointer passed to function" and the active
     *         GM texts of \ref gm otherwise.
     */
    static bool GetAnodeChannelMonitored(int* a_Channel);
    /**
     * \brief Puts a cathode energy or timing signal on the monitor output (the
     * analog output becomes #ANALOG_OUTPUT_CATHODE_ENERGY_TIMING); rules of
     * \ref asicglobal.
     * \param a_Signal not #CATHODE_ENERGY_TIMING_UNDEFINED ("Undefined
     *        CathodeEnergyTiming detected").
     * \return true when set (and, if immediate, written).
     */
    static bool SetCathodeEnergyTimingToMonitor(CathodeEnergyTiming a_Signal);
    /**
     * \brief The cathode signal on the monitor as set.
     * \param[out] a_Signal the signal.
     * \return true when read; "Null pointer passed to function" and the active
     *         GM texts of \ref gm otherwise.
     */
    static bool GetCathodeEnergyTimingMonitored(CathodeEnergyTiming* a_Signal);
    /**
     * \brief Puts a DAC on the monitor output (the analog output becomes
     * #ANALOG_OUTPUT_DAC); rules of \ref asicglobal.
     * \param a_DAC not #DACS_UNDEFINED ("Undefined DACS detected").
     * \return true when set (and, if immediate, written).
     */
    static bool SetDACToMonitor(DACS a_DAC);
    /**
     * \brief The DAC on the monitor as set.
     * \param[out] a_DAC the DAC.
     * \return true when read; "Null pointer passed to function" and the active
     *         GM texts of \ref gm otherwise.
     */
    static bool GetDACMonitored(DACS* a_DAC);
    /**
     * \brief Sets the peak detect timeout of the anode or the cathode
     * channels; rules of \ref asicglobal.
     *
     * The library attaches no unit: the value must be one of the table's.
     * Odd but kept: a type other than anode or cathode succeeds and stores
     * nothing.
     * \param a_Type anode or cathode.
     * \param a_Timeout 1, 2, 4 or 8; in high gain 4, 8, 16 or 32 ("Peak detect
     *        timeout must be one of 1, 2, 4, 8", or the high gain list).
     * \return true when set (and, if immediate, written).
     */
    static bool SetPeakDetectTimeout(ChannelType a_Type, int a_Timeout);
    /**
     * \brief The peak detect timeout of the anode or cathode channels as set.
     * \param a_Type anode or cathode (another type reads 0).
     * \param[out] a_Timeout the timeout.
     * \return true when read; "Null pointer passed to function" and the active
     *         GM texts of \ref gm otherwise.
     */
    static bool GetPeakDetectTimeout(ChannelType a_Type, int* a_Timeout);
    /**
     * \brief Sets the time detect ramp length of the anode or the cathode
     * channels; rules of \ref asicglobal.
     *
     * The library attaches no unit: the value must be one of the table's.
     * A type other than anode or cathode succeeds and stores nothing.
     * \param a_Type anode or cathode.
     * \param a_Length 1, 2, 3 or 4; in high gain 4, 8, 12 or 16 ("Time detect
     *        ramp length must be one of 1, 2, 3, 4", or the high gain list).
     * \return true when set (and, if immediate, written).
     */
    static bool SetTimeDetectRampLength(ChannelType a_Type, int a_Length);
    /**
     * \brief The time detect ramp length of the anode or cathode channels as set.
     * \param a_Type anode or cathode (another type reads 0).
     * \param[out] a_Length the length.
     * \return true when read; "Null pointer passed to function" and the active
     *         GM texts of \ref gm otherwise.
     */
    static bool GetTimeDetectRampLength(ChannelType a_Type, int* a_Length);
    /**
     * \brief Sets the peaking time of the anode or the cathode channels'
     * shapers, in microseconds; rules of \ref asicglobal.
     *
     * A type other than anode or cathode succeeds and stores nothing.
     * \param a_Type anode or cathode.
     * \param a_Time 0.25, 0.5, 1 or 2 µs; in high gain 1.5, 3, 6 or 12 µs
     *        ("Peaking time must be one of 0.25, 0.5, 1, 2", or the high gain
     *        list). Compared with a relative tolerance, so a float of the
     *        value is accepted.
     * \return true when set (and, if immediate, written).
     */
    static bool SetPeakingTime(ChannelType a_Type, float a_Time);
    /**
     * \brief The peaking time of the anode or cathode channels as set, in
     * microseconds.
     * \param a_Type anode or cathode (another type reads 0).
     * \param[out] a_Time the peaking time in µs.
     * \return true when read; "Null pointer passed to function" and the active
     *         GM texts of \ref gm otherwise.
     */
    static bool GetPeakingTime(ChannelType a_Type, float* a_Time);
    /**
     * \brief Sets the test pulse amplitude step of the anode or the cathode
     * channels; rules of \ref asicglobal.
     * \param a_Type anode or cathode (another type fails, odd but kept,
     *        without a new text).
     * \param a_Step 0 to 1023 ("Test Pulse step must be between 0 and 1023").
     * \return true when set (and, if immediate, written).
     */
    static bool SetTestPulseStep(ChannelType a_Type, int a_Step);
    /**
     * \brief The test pulse step of the anode or cathode channels as set.
     * \param a_Type anode or cathode (another type reads 0).
     * \param[out] a_Step the step.
     * \return true when read; "Null pointer passed to function" and the active
     *         GM texts of \ref gm otherwise.
     */
    static bool GetTestPulseStep(ChannelType a_Type, int* a_Step);
    /**
     * \brief Sets one of the five channel thresholds; rules of \ref asicglobal.
     * \param a_Type the threshold.
     * \param a_Step 0 to 1023; the text names the threshold: "Timing Primary
     *        BiPolar Threshold Step must be between 0 and 1023", "Timing
     *        Unipolar Threshold Step ...", "Energy Threshold Step ...",
     *        "Negative Energy Threshold Step ...", "Positive Energy Threshold
     *        Step ...".
     * \return true when set (and, if immediate, written).
     */
    static bool SetChannelThresholdStep(ChannelThresholdType a_Type, int a_Step);
    /**
     * \brief One of the five channel thresholds as set.
     * \param a_Type the threshold.
     * \param[out] a_Step the step.
     * \return true when read; "Null pointer passed to function" and the active
     *         GM texts of \ref gm otherwise.
     */
    static bool GetChannelThresholdStep(ChannelThresholdType a_Type, int* a_Step);
    /**
     * \brief Writes the global image (GM register 29, 16 bytes) at once,
     * whatever the camera update mode, to the active GM or to every device GM
     * with #GM_UPDATE_TYPE_ALL_GMS.
     * \return true when written; the active GM texts of \ref gm, or "Failed
     *         to write to register 29".
     */
    static bool SendASICGlobalData();

    /// @}

    /// \addtogroup asicchannel
    /// @{

    /**
     * \brief Sets whether channel setters act on the active channel or on
     * every channel of the active type. Not checked; writes nothing.
     * \param a_Type #CHANNEL_UPDATE_TYPE_SINGLE (the default) or
     *        #CHANNEL_UPDATE_TYPE_ALL.
     */
    static void SetChannelUpdateType(ChannelUpdateType a_Type);
    /**
     * \brief Sets the active channel type. Not checked; writes nothing.
     *
     * Odd but kept: the active channel number stays as it was, so after
     * switching from anode channel 100 to the cathode type a single-channel
     * setter fails with "Invalid Cathode Channel, value must be between 1 and
     * 2"; call SetActiveChannel() after this.
     * \param a_Type #CHANNEL_TYPE_ANODE (the default) or #CHANNEL_TYPE_CATHODE.
     */
    static void SetActiveChannelType(ChannelType a_Type);
    /**
     * \brief Sets the active channel within the active type. Writes nothing.
     * \param a_Channel 1 to 128 for anodes, 1 to 2 for cathodes ("Channel
     *        number must be between 1 and 128", "... between 1 and 2").
     *        Default 1.
     * \return true when set.
     */
    static bool SetActiveChannel(int a_Channel);
    /**
     * \brief Masks or unmasks the active channel (or all of the active type);
     * rules of \ref asicchannel.
     * \param a_Masked true to mask.
     * \return true when set (and, if immediate, written).
     */
    static bool MaskChannel(bool a_Masked);
    /**
     * \brief Whether a channel is masked.
     * \param a_Type anode or cathode.
     * \param a_Channel the channel within its type.
     * \param[out] a_Masked true if masked.
     * \return true when read; texts of \ref asicchannel.
     */
    static bool IsChannelMasked(ChannelType a_Type, int a_Channel, bool* a_Masked);
    /**
     * \brief Enables or disables the test capacitor of the active channel (or
     * all of the active type); rules of \ref asicchannel.
     * \param a_Enable true to enable.
     * \return true when set (and, if immediate, written).
     */
    static bool EnableChannelTestCapacitor(bool a_Enable);
    /**
     * \brief Whether a channel's test capacitor is enabled.
     * \param a_Type anode or cathode.
     * \param a_Channel the channel within its type.
     * \param[out] a_Enabled true if enabled.
     * \return true when read; texts of \ref asicchannel.
     */
    static bool IsChannelTestCapacitorEnabled(ChannelType a_Type, int a_Channel, bool* a_Enabled);
    /**
     * \brief Sets the signal the active anode channel (or every anode channel)
     * monitors; anode type only; rules of \ref asicchannel.
     * \param a_Signal not #SIGNAL_UNDEFINED ("Undefined anode signal to
     *        monitor detected").
     * \return true when set (and, if immediate, written).
     */
    static bool MonitorAnodeSignal(Signal a_Signal);
    /**
     * \brief The signal an anode channel monitors.
     * \param a_Channel 1 to 128.
     * \param[out] a_Signal the signal.
     * \return true when read; texts of \ref asicchannel.
     */
    static bool GetAnodeSignalMonitored(int a_Channel, Signal* a_Signal);
    /**
     * \brief Sets the internal leakage current generator of a named cathode
     * channel.
     *
     * Odd but kept: the channel is named (not the active one) and the setting
     * lives in the global image, so this follows the rules of \ref asicglobal
     * (register 29, sent by SendASICGlobalData()), not those of the channel
     * setters.
     * \param a_Channel 1 or 2 ("Invalid Cathode Channel, value must be between
     *        1 and 2").
     * \param a_Generator not the undefined value ("Undefined internal leakage
     *        current generator detected").
     * \return true when set (and, if immediate, written).
     */
    static bool SetCathodeChannelInternalLeakageCurrentGenerator(int a_Channel,
        CathodeChannel::InternalLeakageCurrentGenerator a_Generator);
    /**
     * \brief The internal leakage current generator of a cathode channel.
     * \param a_Channel 1 or 2.
     * \param[out] a_Generator the setting.
     * \return true when read; texts of \ref asicchannel.
     */
    static bool GetCathodeChannelInternalLeakageCurrentGenerator(int a_Channel,
        CathodeChannel::InternalLeakageCurrentGenerator* a_Generator);
    /**
     * \brief Sets the shaped timing signal of the active cathode channel (or
     * both); cathode type only; rules of \ref asicchannel.
     * \param a_Signal not the undefined value ("Undefined shaped timing
     *        signal detected").
     * \return true when set (and, if immediate, written).
     */
    static bool SetCathodeChannelShapedTimingSignal(CathodeChannel::ShapedTimingSignal a_Signal);
    /**
     * \brief The shaped timing signal of a cathode channel.
     * \param a_Channel 1 or 2.
     * \param[out] a_Signal the signal.
     * \return true when read; texts of \ref asicchannel.
     */
    static bool GetCathodeChannelShapedTimingSignal(int a_Channel, CathodeChannel::ShapedTimingSignal* a_Signal);
    /**
     * \brief Sets the timing mode of the active cathode channel (or both);
     * cathode type only; rules of \ref asicchannel.
     * \param a_Mode not the undefined value ("Undefined timing mode detected").
     * \return true when set (and, if immediate, written).
     */
    static bool SetCathodeChannelTimingMode(CathodeChannel::TimingMode a_Mode);
    /**
     * \brief The timing mode of a cathode channel.
     * \param a_Channel 1 or 2.
     * \param[out] a_Mode the mode.
     * \return true when read; texts of \ref asicchannel.
     */
    static bool GetCathodeChannelTimingMode(int a_Channel, CathodeChannel::TimingMode* a_Mode);
    /**
     * \brief Sets a timing threshold trim of the active cathode channel (or
     * both); cathode type only; rules of \ref asicchannel.
     * \param a_Type which threshold.
     * \param a_Step 0 to 15; the text names the threshold: "Timing Channel
     *        Unipolar Threshold Trim Step must be between 0 and 15", "Timing
     *        Channel First Multi-Threshold Trim Step ...", "... Second ...",
     *        "... Third ...".
     * \return true when set (and, if immediate, written).
     */
    static bool SetCathodeTimingChannelTrimStep(CathodeTimingChannelType a_Type, int a_Step);
    /**
     * \brief A timing threshold trim of a cathode channel.
     * \param a_Channel 1 or 2.
     * \param a_Type which threshold ("Undefined cathode timing channel type
     *        detected" for another value).
     * \param[out] a_Step the trim step.
     * \return true when read; texts of \ref asicchannel.
     */
    static bool GetCathodeTimingChannelTrimStep(int a_Channel, CathodeTimingChannelType a_Type, int* a_Step);
    /**
     * \brief Sets the positive pulse threshold trim of the active channel (or
     * all of the active type), anode or cathode; rules of \ref asicchannel.
     * \param a_Step 0 to 31 ("Positive Pulse Threshold Trim must be between 0
     *        and 31").
     * \return true when set (and, if immediate, written).
     */
    static bool SetChannelPositivePulseThresholdTrimStep(int a_Step);
    /**
     * \brief The positive pulse threshold trim of a channel.
     * \param a_Type anode or cathode ("Undefined channel type detected" for
     *        another value).
     * \param a_Channel the channel within its type.
     * \param[out] a_Step the trim step.
     * \return true when read; texts of \ref asicchannel.
     */
    static bool GetChannelPositivePulseThresholdTrimStep(ChannelType a_Type, int a_Channel, int* a_Step);
    /**
     * \brief Sets the negative pulse threshold trim of the active anode
     * channel (or every anode channel); anode type only; rules of
     * \ref asicchannel.
     * \param a_Step 0 to 31 ("Negative Pulse Threshold Trim must be between 0
     *        and 31").
     * \return true when set (and, if immediate, written).
     */
    static bool SetAnodeChannelNegativePulseThresholdTrimStep(int a_Step);
    /**
     * \brief The negative pulse threshold trim of an anode channel.
     * \param a_Channel 1 to 128.
     * \param[out] a_Step the trim step.
     * \return true when read; texts of \ref asicchannel.
     */
    static bool GetAnodeChannelNegativePulseThresholdTrimStep(int a_Channel, int* a_Step);
    /**
     * \brief Writes the channel image (GM register 30, 215 bytes) at once,
     * whatever the camera update mode, to the active GM or to every device GM
     * with #GM_UPDATE_TYPE_ALL_GMS.
     * \return true when written; the active GM texts of \ref gm, or "Failed
     *         to write to register 30".
     */
    static bool SendASICChannelData();

    /// @}

    /// \addtogroup files
    /// @{

    /**
     * \brief Saves the configuration file: camera address, GM update type,
     * system settings, every device GM with its ASIC, and the collected
     * packets.
     *
     * Writes through a temporary file in the same folder (which must be
     * writable), renamed over the old file only when complete, so a failed
     * save keeps the old file.
     * \param a_FileName a path whose suffix is exactly "dat" ("Function
     *        requires a filename with .dat suffix").
     * \return true when saved. Failure texts: "Number of gamma modules in
     *         device yet to be determined" (no device GMs: before the camera
     *         powered up, after StopSys() or Disconnect()), "Failed to open F
     *         for writing", "Failed to write F: <reason>".
     */
    static bool SaveConfiguration(const char* a_FileName);
    /**
     * \brief Loads a configuration file and applies it to the camera it
     * names: connects, powers up and writes every setting at once.
     *
     * The whole file is read and checked first; a file that is unrecognised,
     * truncated or corrupt fails with its reason before anything changes.
     * Then: the camera address is taken from the file, Initialize() runs, the
     * GM update type and the system settings are applied (the pixel mapping
     * mode reaches the decoder), the bias voltage (register 15) and register
     * 16 are written, StartSys() runs, and the call waits (at most 10 s) for
     * the GMs to power up. When the file has as many GMs as the camera, each
     * GM record is applied to a device GM and registers 18 to 24, 29 and 30
     * of every device GM are written; otherwise the records are kept as
     * loaded GMs (see CopyLoadedGMToGM()) and the sys status text says "No of
     * GM's loaded: n, No of GM's in device: m, use CopyLoadedGMToGM() to set
     * up GMs". Finally the file's packets replace the store. The camera
     * update mode is immediate during the call and restored after it.
     * \param a_FileName a path whose suffix is exactly "dat".
     * \return true when loaded and applied. Failure texts: "System must be
     *         disconnected prior to load", "Function requires a filename with
     *         .dat suffix", "Failed to open F for reading", the reader's reason,
     *         "Host IP address must have been set prior to loading file to
     *         enable connection", the texts of Initialize(), "Failed to set
     *         bias voltage", "Failed to update sys status register from file",
     *         "Failed to start system after file load", "No Gamma modules to
     *         load", "Not enough memory to load the collected packets".
     */
    static bool LoadConfiguration(const char* a_FileName);
    /**
     * \brief Saves the stored photons as CSV, one line per photon, no header
     * row, in the background on the library's own thread.
     *
     * Returns once the save is queued; progress, failure and the end reach
     * the operation callbacks (SetOperationProgressFunction(),
     * SetOperationErrorFunction(), SetOperationCompleteFunction()). The next
     * StartPhotonCollection() waits for it. The columns are described in
     * \ref formats.
     * \param a_FileName a path whose suffix is exactly "csv" ("Function
     *        requires a filename with .csv suffix").
     * \return true when queued; "No collected data to save to file" if the
     *         store is empty.
     */
    static bool SaveCollection(const char* a_FileName);
    /**
     * \brief Saves the stored photons as binary records of 11 bytes,
     * big-endian, at once (see \ref formats).
     *
     * A file that cannot be written in full is removed, since the format has
     * no header or count to tell a cut-off file from a whole one.
     * \param a_FileName a path whose suffix is exactly "dat" ("Function
     *        requires a filename with .dat suffix").
     * \return true when written. Failure texts: "No collected data to save to
     *         file", "Failed to open .dat file for writing", "Failed to write
     *         F: <reason>; the incomplete file was removed".
     */
    static bool SaveBinaryCollection(const char* a_FileName);
    /**
     * \brief Cancels the oldest CSV save that has not finished, even one
     * requested but not yet begun; a later save starts uncancelled.
     *
     * A cancelled save that had begun removes its file; one that never began
     * leaves any file of its name alone. Its complete callback still runs.
     */
    static void CancelPacketSave();

    /// @}
};

#endif // QUORVELDLL_H
