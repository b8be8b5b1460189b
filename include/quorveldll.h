// Public interface of libQuorvelSharedLib: control and read-out of a pixelated
// gamma camera over Ethernet. Only standard headers are included, so a client
// compiles this without Qt. Every function is a static member of QuorvelDll;
// functions returning bool report failure with false and a text in GetLastError().
#ifndef QUORVELDLL_H
#define QUORVELDLL_H

#include <cstdint>
#include <string>

#if defined(QUORVEL_BUILDING_LIBRARY)
#define QUORVEL_EXPORT __attribute__((visibility("default")))
#else
#define QUORVEL_EXPORT
#endif

// System configuration
enum MBMultiplexerAddrType : int {
    MB_MULTIPLEXER_ADDR_TYPE_UNDEFINED = -1,
    MB_MULTIPLEXER_ADDR_TYPE_0 = 0,
    MB_MULTIPLEXER_ADDR_TYPE_1 = 1,
    MB_MULTIPLEXER_ADDR_TYPE_2 = 2,
    MB_MULTIPLEXER_ADDR_TYPE_3 = 3
};

enum SysTokenType : int {
    SYS_TOKEN_TYPE_UNDEFINED = 0,
    SYS_TOKEN_TYPE_1 = 1,
    SYS_TOKEN_TYPE_2 = 2
};

enum PixelMappingMode : int {
    PIXEL_MAPPING_MODE_GLOBAL = 1,
    PIXEL_MAPPING_MODE_LOCAL = 2
};

// Collected data selectors
enum PacketData : int {
    PACKET_DATA_GM_ID = 1,
    PACKET_DATA_HEADER_WORD = 2,
    PACKET_DATA_HEADER_BYTE = 3,
    PACKET_DATA_NO_OF_PHOTONS = 4
};

enum PhotonData : int {
    PHOTON_DATA_PIXEL = 1,
    PHOTON_DATA_ENERGY = 2,
    PHOTON_DATA_POSITIVE_ENERGY = 3,
    PHOTON_DATA_TIME_DETECT = 4,
    PHOTON_DATA_POSITIVE_TIME_DETECT = 5
};

// ASIC channel settings
enum Signal : int {
    SIGNAL_UNDEFINED = 0,
    SIGNAL_1 = 1,
    SIGNAL_2 = 2
};

namespace CathodeChannel {
enum ShapedTimingSignal : int {
    SHAPED_TIMING_SIGNAL_UNDEFINED = 0,
    SHAPED_TIMING_SIGNAL_1 = 1,
    SHAPED_TIMING_SIGNAL_2 = 2
};

enum TimingMode : int {
    TIMING_MODE_UNDEFINED = 0,
    TIMING_MODE_1 = 1,
    TIMING_MODE_2 = 2,
    TIMING_MODE_3 = 3
};

enum InternalLeakageCurrentGenerator : int {
    CATHODE_CHANNEL_INTERNAL_LEAKAGE_CURRENT_GENERATOR_UNDEFINED = 0,
    CATHODE_CHANNEL_INTERNAL_LEAKAGE_CURRENT_GENERATOR_1 = 1,
    CATHODE_CHANNEL_INTERNAL_LEAKAGE_CURRENT_GENERATOR_2 = 2
};
} // namespace CathodeChannel

enum TestPulseEdge : int {
    TEST_PULSE_EDGE_UNDEFINED = 0,
    TEST_PULSE_EDGE_1 = 1,
    TEST_PULSE_EDGE_2 = 2
};

enum TestModeInput : int {
    TEST_MODE_INPUT_UNDEFINED = 0,
    TEST_MODE_INPUT_1 = 1,
    TEST_MODE_INPUT_2 = 2
};

enum TimingChannelsShaperPeakingTime : int {
    TIMING_CHANNELS_SHAPER_PEAKING_TIME_UNDEFINED = 0,
    TIMING_CHANNELS_SHAPER_PEAKING_TIME_1 = 1,
    TIMING_CHANNELS_SHAPER_PEAKING_TIME_2 = 2,
    TIMING_CHANNELS_SHAPER_PEAKING_TIME_3 = 3,
    TIMING_CHANNELS_SHAPER_PEAKING_TIME_4 = 4
};

// ASIC global settings
enum ChannelType : int {
    CHANNEL_TYPE_ANODE = 0,
    CHANNEL_TYPE_CATHODE = 1
};

enum ChannelThresholdType : int {
    CHANNEL_THRESHOLD_TYPE_CATHODE_TIMING_PRIMARY_BIPOLAR = 0,
    CHANNEL_THRESHOLD_TYPE_CATHODE_TIMING_UNIPOLAR = 1,
    CHANNEL_THRESHOLD_TYPE_CATHODE_ENERGY = 2,
    CHANNEL_THRESHOLD_TYPE_ANODE_NEGATIVE_ENERGY = 3,
    CHANNEL_THRESHOLD_TYPE_ANODE_POSITIVE_ENERGY = 4
};

enum CathodeTimingChannelType : int {
    CATHODE_TIMING_CHANNEL_TYPE_FIRST_MULTI_THRESHOLD = 0,
    CATHODE_TIMING_CHANNEL_TYPE_SECOND_MULTI_THRESHOLD = 1,
    CATHODE_TIMING_CHANNEL_TYPE_THIRD_MULTI_THRESHOLD = 2,
    CATHODE_TIMING_CHANNEL_TYPE_UNIPOLAR = 3
};

enum TimingChannelUnipolarGain : int {
    TIMING_CHANNEL_UNIPOLAR_GAIN_UNDEFINED = 0,
    TIMING_CHANNEL_UNIPOLAR_GAIN_27MV = 1,
    TIMING_CHANNEL_UNIPOLAR_GAIN_81MV = 2
};

enum TimingChannelBipolarGain : int {
    TIMING_CHANNEL_BIPOLAR_GAIN_UNDEFINED = 0,
    TIMING_CHANNEL_BIPOLAR_GAIN_21MV = 1,
    TIMING_CHANNEL_BIPOLAR_GAIN_55MV = 2,
    TIMING_CHANNEL_BIPOLAR_GAIN_63MV = 3,
    TIMING_CHANNEL_BIPOLAR_GAIN_164MV = 4
};

enum GMASICReadoutMode : int {
    GMASIC_READOUT_MODE_UNDEFINED = 0,
    GMASIC_READOUT_MODE_1 = 1,
    GMASIC_READOUT_MODE_2 = 2
};

enum ChannelGain : int {
    CHANNEL_GAIN_UNDEFINED = 0,
    CHANNEL_GAIN_1 = 1,
    CHANNEL_GAIN_2 = 2
};

enum InternalLeakageCurrentGenerator : int {
    INTERNAL_LEAKAGE_CURRENT_GENERATOR_UNDEFINED = 0,
    INTERNAL_LEAKAGE_CURRENT_GENERATOR_1 = 1,
    INTERNAL_LEAKAGE_CURRENT_GENERATOR_2 = 2
};

enum MultipleFiringSuppressionTime : int {
    MULTIPLE_FIRING_SUPPRESSION_TIME_UNDEFINED = 0,
    MULTIPLE_FIRING_SUPPRESSION_TIME_1 = 1,
    MULTIPLE_FIRING_SUPPRESSION_TIME_2 = 2,
    MULTIPLE_FIRING_SUPPRESSION_TIME_3 = 3,
    MULTIPLE_FIRING_SUPPRESSION_TIME_4 = 4
};

enum CathodeTestClockType : int {
    CATHODE_TEST_CLOCK_TYPE_UNDEFINED = 0,
    CATHODE_TEST_CLOCK_TYPE_1 = 1,
    CATHODE_TEST_CLOCK_TYPE_2 = 2
};

enum AnalogOutput : int {
    ANALOG_OUTPUT_UNDEFINED = 0,
    ANALOG_OUTPUT_1 = 1,
    ANALOG_OUTPUT_2 = 2,
    ANALOG_OUTPUT_3 = 3,
    ANALOG_OUTPUT_DAC = 4,
    ANALOG_OUTPUT_CATHODE_ENERGY_TIMING = 5,
    ANALOG_OUTPUT_ANODE_CHANNEL = 6
};

enum CathodeEnergyTiming : int {
    CATHODE_ENERGY_TIMING_UNDEFINED = 0,
    CATHODE_ENERGY_TIMING_1 = 1,
    CATHODE_ENERGY_TIMING_2 = 2,
    CATHODE_ENERGY_TIMING_3 = 3,
    CATHODE_ENERGY_TIMING_4 = 4
};

enum DACS : int {
    DACS_UNDEFINED = 0,
    DACS_1 = 1,
    DACS_2 = 2,
    DACS_3 = 3,
    DACS_4 = 4,
    DACS_5 = 5,
    DACS_6 = 6,
    DACS_7 = 7,
    DACS_8 = 8,
    DACS_9 = 9
};

// ASIC operations
enum ChannelUpdateType : int {
    CHANNEL_UPDATE_TYPE_SINGLE = 0,
    CHANNEL_UPDATE_TYPE_ALL = 1
};

// Gamma modules
enum GMReadoutMode : int {
    GM_READOUT_MODE_UNDEFINED = 0,
    GM_READOUT_MODE_READ_ALL = 1,
    GM_READOUT_MODE_SPARSIFIED = 2
};

enum GMCathodeMode : int {
    GM_CATHODE_MODE_UNDEFINED = 0,
    GM_CATHODE_MODE_UNIPOLAR = 1,
    GM_CATHODE_MODE_MULTI_THRESHOLD = 2,
    GM_CATHODE_MODE_BIPOLAR = 3
};

enum GMPulserFrequency : int {
    GM_PULSER_FREQUENCY_UNDEFINED = 0,
    GM_PULSER_FREQUENCY_100HZ = 1,
    GM_PULSER_FREQUENCY_1KHZ = 2,
    GM_PULSER_FREQUENCY_10KHZ = 3,
    GM_PULSER_FREQUENCY_100KHZ = 4
};

enum GMUpdateType : int {
    GM_UPDATE_TYPE_UNDEFINED = 0,
    GM_UPDATE_TYPE_ACTIVE_GM = 1,
    GM_UPDATE_TYPE_ALL_GMS = 2
};

enum CameraUpdateMode : int {
    CAMERA_UPDATE_MODE_UNDEFINED = 0,
    CAMERA_UPDATE_MODE_DEFERRED = 1,
    CAMERA_UPDATE_MODE_IMMEDIATE = 2
};

// Bulk read-out: one photon as it leaves the library, 16 bytes, the same
// record from the photon stream and from the store's bulk read.
struct PhotonRecord {
    uint32_t packetNo;           // 1-based number of its packet within the collection
    uint16_t headerWord;         // header word of its packet
    uint16_t pixel;              // pixel as mapped (GetPixelMappingMode), or the channel byte
    uint16_t energy;             // energy value, sign flag cleared
    uint16_t timeDetect;         // time detect value, sign flag cleared; 0 without time detect
    uint8_t gmID;                // GM ID of its packet
    uint8_t positiveEnergy;      // 1 if the energy is positive, 0 if negative
    uint8_t positiveTimeDetect;  // 1 if the time detect is positive, 0 if negative or absent
    uint8_t headerByte;          // header byte of its packet
};
static_assert(sizeof(PhotonRecord) == 16, "PhotonRecord is a fixed 16-byte record");

// One packet as the store's bulk read gives it, 12 bytes.
struct PacketRecord {
    uint32_t packetNo;           // 1-based number within the collection
    uint32_t noOfPhotons;
    uint16_t headerWord;
    uint8_t gmID;
    uint8_t headerByte;
};
static_assert(sizeof(PacketRecord) == 12, "PacketRecord is a fixed 12-byte record");

// Results of ReadPhotons besides a count of records (>= 0).
enum PhotonStreamResult : int {
    PHOTON_STREAM_ENDED = -1,         // the collection ended and all its photons were read
    PHOTON_STREAM_CLOSED = -2,        // the stream is not enabled, or the library was closed
    PHOTON_STREAM_BAD_ARGUMENT = -3   // null buffer or a capacity below 1
};

// Counters of the photon stream since it was enabled.
struct PhotonStreamCounters {
    uint64_t packets;            // packets decoded while the stream took photons
    uint64_t photons;            // photons streamed (read or waiting to be read)
    uint64_t droppedPhotons;     // photons dropped because the reader stalled
    uint64_t queued;             // photons waiting to be read now
    uint64_t capacity;           // bound of the queue, in photons
};

class QUORVEL_EXPORT QuorvelDll
{
public:
    // Library, connection and errors. Initialize is refused while the link is
    // intact; after the camera dropped it, Initialize connects again from scratch.
    static std::string GetVersion();
    static void SetHostIPAddress(const char* a_Address);
    static void SetCameraIPAddress(const char* a_Address);
    static std::string GetCameraIPAddress();
    static bool Initialize();
    static bool IsSystemInitialized();
    static void Disconnect();
    static void Close();
    static std::string GetLastError();
    static void SetConnectStatusFunction(void (*a_Func)(const char*));
    static void SetSysStatusFunction(void (*a_Func)(const char*));
    static void SetToolbarStatusFunction(void (*a_Func)(const char*));
    static void SetOperationErrorFunction(void (*a_Func)(const char*));
    static void SetOperationProgressFunction(void (*a_Func)(int));
    static void SetOperationCompleteFunction(void (*a_Func)());

    // System configuration and control
    static bool GetGBEFirmwareVersion(int* a_Version);
    static bool StartSys();
    static bool StopSys();
    static bool SetDebugMode(bool a_Active);
    static bool IsDebugModeActive();
    static bool SetMBMultiplexerAddressType(MBMultiplexerAddrType a_Type);
    static MBMultiplexerAddrType GetMBMultiplexerAddressType();
    static bool SetPacketTransferRate(int a_Rate);
    static int GetPacketTransferRate();
    static bool SetSysTokenType(SysTokenType a_Type);
    static SysTokenType GetSysTokenType();
    static bool SetPixelMappingMode(PixelMappingMode a_Mode);
    static PixelMappingMode GetPixelMappingMode();
    static bool SendGBEControlData();
    static bool SetCameraUpdateMode(CameraUpdateMode a_Mode);
    static CameraUpdateMode GetCameraUpdateMode();

    // Photon collection and collected data (packet and photon numbers are 1-based).
    // StartPhotonCollection first has the data thread drop what arrived since the
    // last collection ("Timed out waiting for the data thread before collecting" if
    // it does not answer) and waits for a running CSV save before the camera starts.
    static bool StartPhotonCollection();
    static bool StopPhotonCollection();
    static bool IsSystemCollectingPhotons();
    static int GetNoOfCollectedPackets();
    static bool GetPacketData(int a_PacketNo, PacketData a_Type, int* a_Value);
    static bool GetPhotonData(int a_PacketNo, int a_PhotonNo, PhotonData a_Type, int* a_Value);

    // Photon streaming (opt-in). While the stream is enabled, every photon the
    // decoder finds during a collection also goes into a bounded queue, from
    // which any thread reads arrays of PhotonRecord with ReadPhotons, while the
    // collection runs. A reader that keeps reading loses nothing: when the
    // queue is full the decoder waits for it (the camera's datagrams then wait
    // in the socket, and an overflow there is reported as any other loss). A
    // reader that takes nothing for a second is taken as gone: photons that do
    // not fit are then dropped, counted in PhotonStreamCounters and reported
    // through the sys status callback as "Stream overflow: N photons dropped,
    // the reader did not keep up (total: T)", so the collection itself never
    // stalls. SetStorePhotons(false) keeps the photons out of the store, so
    // the library's memory stays flat for a collection of any length.
    // EnablePhotonStream, DisablePhotonStream and SetStorePhotons are called
    // from the client's thread and are refused while collecting.
    static bool EnablePhotonStream(long long a_CapacityPhotons);
    static bool DisablePhotonStream();
    static bool IsPhotonStreamEnabled();
    static bool SetStorePhotons(bool a_Store);
    static bool IsStoringPhotons();
    // Copies up to a_Capacity records into a_pRecords and returns how many,
    // waiting up to a_TimeoutMs (negative: without limit) for the first one.
    // 0: nothing arrived in time. PHOTON_STREAM_ENDED: the collection's last
    // photon was read (StopPhotonCollection, Disconnect or Close ended it);
    // the next call waits for the next collection. PHOTON_STREAM_CLOSED: the
    // stream is disabled or the library closed; a blocked reader returns at once.
    // Records never span two collections. Safe from any thread.
    static long long ReadPhotons(PhotonRecord* a_pRecords, long long a_Capacity, int a_TimeoutMs);
    static PhotonStreamCounters GetPhotonStreamCounters();

    // Bulk read of the store: the photons (or packets) of packets
    // a_FirstPacketNo..a_LastPacketNo (1-based, inclusive) copied in one call.
    // GetNoOfPhotonsInPackets says how many records to make room for. -1 on a
    // bad range or a buffer too small (nothing copied; GetLastError says why).
    static long long GetNoOfPhotonsInPackets(int a_FirstPacketNo, int a_LastPacketNo);
    static long long ReadCollectedPhotons(int a_FirstPacketNo, int a_LastPacketNo, PhotonRecord* a_pRecords,
                                          long long a_Capacity);
    static long long ReadCollectedPackets(int a_FirstPacketNo, int a_LastPacketNo, PacketRecord* a_pRecords,
                                          long long a_Capacity);

    // Direct register access
    static bool RegWrite(int a_Register, unsigned char a_MSB, unsigned char a_LSB);
    static bool RegRead(int a_Register, unsigned char* a_MSB, unsigned char* a_LSB);
    static bool GMRegWrite(int a_Register, unsigned char a_Value);
    static bool GMRegRead(int a_Register, unsigned char* a_Value);

    // Gamma modules (a GM ID is 1-based)
    static bool GetGMFirmwareVersion(int* a_Version);
    static int GetNoOfGMs();
    static int GetNoOfLoadedGMs();
    static bool CopyLoadedGMToGM(int a_LoadedGMID, int a_GMID);
    static bool SetDefaultGM(int a_GMID);
    static bool GetDefaultGM(int* a_GMID);
    static bool SetActiveGM(int a_GMID);
    static int GetActiveGM();
    static bool IsActiveGMSet();
    static bool GetGMStatus(int* a_Status);
    static bool SetGMOptions(int a_Options);
    static bool GetGMOptions(int* a_Options);
    static bool SetGMADC1Channel(int a_Channel);
    static bool GetGMADC1Channel(int* a_Channel);
    static bool SetGMADC2Channel(int a_Channel);
    static bool GetGMADC2Channel(int* a_Channel);
    // The volts are whole volts, truncated.
    static bool ReadGMADC1(int* a_Reading, int* a_Volts);
    static bool ReadGMADC2(int* a_Reading, int* a_Volts);
    static bool SetDelayTime(int a_Time);
    static bool GetDelayTime(int* a_Time);
    static bool SetTimestampResolution(int a_Resolution);
    static bool GetTimestampResolution(int* a_Resolution);
    static bool SetGMReadoutOptions(int a_Options);
    static bool GetGMReadoutOptions(int* a_Options);
    static bool SetGMReadoutMode(GMReadoutMode a_Mode);
    static bool GetGMReadoutMode(GMReadoutMode* a_Mode);
    static bool SetGMCathodeMode(GMCathodeMode a_Mode);
    static bool GetGMCathodeMode(GMCathodeMode* a_Mode);
    static bool SetGMPulserFrequency(GMPulserFrequency a_Frequency);
    static bool GetGMPulserFrequency(GMPulserFrequency* a_Frequency);
    static bool SetGMPulserOptions(int a_Options);
    static bool GetGMPulserOptions(int* a_Options);
    static bool SetNoOfPulses(int a_Count);
    static bool GetNoOfPulses(int* a_Count);
    static bool SetGMUpdateType(GMUpdateType a_Type);
    static GMUpdateType GetGMUpdateType();
    static bool SendGMData();

    // ASIC global settings of the active GM
    static bool SetASICGlobalOptions(int a_Options);
    static bool GetASICGlobalOptions(int* a_Options);
    static bool SetTimingChannelUnipolarGain(TimingChannelUnipolarGain a_Gain);
    static bool GetTimingChannelUnipolarGain(TimingChannelUnipolarGain* a_Gain);
    static bool SetTimingChannelBiPolarGain(TimingChannelBipolarGain a_Gain);
    static bool GetTimingChannelBiPolarGain(TimingChannelBipolarGain* a_Gain);
    static bool SetASICReadoutMode(GMASICReadoutMode a_Mode);
    static bool GetASICReadoutMode(GMASICReadoutMode* a_Mode);
    static bool SetChannelGain(ChannelGain a_Gain);
    static bool GetChannelGain(ChannelGain* a_Gain);
    static bool SetCathodeTestModeInput(TestModeInput a_Input);
    static bool GetCathodeTestModeInput(TestModeInput* a_Input);
    static bool SetInternalLeakageCurrentGenerator(InternalLeakageCurrentGenerator a_Generator);
    static bool GetInternalLeakageCurrentGenerator(InternalLeakageCurrentGenerator* a_Generator);
    static bool SetAnodeTestPulseEdge(TestPulseEdge a_Edge);
    static bool GetAnodeTestPulseEdge(TestPulseEdge* a_Edge);
    static bool SetCathodeTimingChannelsShaperPeakingTime(TimingChannelsShaperPeakingTime a_Time);
    static bool GetCathodeTimingChannelsShaperPeakingTime(TimingChannelsShaperPeakingTime* a_Time);
    static bool SetCathodeTimingChannelsSecondaryMultiThresholdsDisplacementStep(int a_Step);
    static bool GetCathodeTimingChannelsSecondaryMultiThresholdsDisplacementStep(int* a_Step);
    static bool SetMultipleFiringSuppressTime(MultipleFiringSuppressionTime a_Time);
    static bool GetMultipleFiringSuppressTime(MultipleFiringSuppressionTime* a_Time);
    static bool SetCathodeTestClockType(CathodeTestClockType a_Type);
    static bool GetCathodeTestClockType(CathodeTestClockType* a_Type);
    static bool SetAnalogOutputToMonitor(AnalogOutput a_Output);
    static bool GetAnalogOutputMonitored(AnalogOutput* a_Output);
    static bool SetAnodeChannelToMonitor(int a_Channel);
    static bool GetAnodeChannelMonitored(int* a_Channel);
    static bool SetCathodeEnergyTimingToMonitor(CathodeEnergyTiming a_Signal);
    static bool GetCathodeEnergyTimingMonitored(CathodeEnergyTiming* a_Signal);
    static bool SetDACToMonitor(DACS a_DAC);
    static bool GetDACMonitored(DACS* a_DAC);
    static bool SetPeakDetectTimeout(ChannelType a_Type, int a_Timeout);
    static bool GetPeakDetectTimeout(ChannelType a_Type, int* a_Timeout);
    static bool SetTimeDetectRampLength(ChannelType a_Type, int a_Length);
    static bool GetTimeDetectRampLength(ChannelType a_Type, int* a_Length);
    static bool SetPeakingTime(ChannelType a_Type, float a_Time);
    static bool GetPeakingTime(ChannelType a_Type, float* a_Time);
    static bool SetTestPulseStep(ChannelType a_Type, int a_Step);
    static bool GetTestPulseStep(ChannelType a_Type, int* a_Step);
    static bool SetChannelThresholdStep(ChannelThresholdType a_Type, int a_Step);
    static bool GetChannelThresholdStep(ChannelThresholdType a_Type, int* a_Step);
    static bool SendASICGlobalData();

    // ASIC channel settings: setters act on the active channel, or on every
    // channel of the active type; getters name the channel
    static void SetChannelUpdateType(ChannelUpdateType a_Type);
    static void SetActiveChannelType(ChannelType a_Type);
    static bool SetActiveChannel(int a_Channel);
    static bool MaskChannel(bool a_Masked);
    static bool IsChannelMasked(ChannelType a_Type, int a_Channel, bool* a_Masked);
    static bool EnableChannelTestCapacitor(bool a_Enable);
    static bool IsChannelTestCapacitorEnabled(ChannelType a_Type, int a_Channel, bool* a_Enabled);
    static bool MonitorAnodeSignal(Signal a_Signal);
    static bool GetAnodeSignalMonitored(int a_Channel, Signal* a_Signal);
    static bool SetCathodeChannelInternalLeakageCurrentGenerator(int a_Channel,
        CathodeChannel::InternalLeakageCurrentGenerator a_Generator);
    static bool GetCathodeChannelInternalLeakageCurrentGenerator(int a_Channel,
        CathodeChannel::InternalLeakageCurrentGenerator* a_Generator);
    static bool SetCathodeChannelShapedTimingSignal(CathodeChannel::ShapedTimingSignal a_Signal);
    static bool GetCathodeChannelShapedTimingSignal(int a_Channel, CathodeChannel::ShapedTimingSignal* a_Signal);
    static bool SetCathodeChannelTimingMode(CathodeChannel::TimingMode a_Mode);
    static bool GetCathodeChannelTimingMode(int a_Channel, CathodeChannel::TimingMode* a_Mode);
    static bool SetCathodeTimingChannelTrimStep(CathodeTimingChannelType a_Type, int a_Step);
    static bool GetCathodeTimingChannelTrimStep(int a_Channel, CathodeTimingChannelType a_Type, int* a_Step);
    static bool SetChannelPositivePulseThresholdTrimStep(int a_Step);
    static bool GetChannelPositivePulseThresholdTrimStep(ChannelType a_Type, int a_Channel, int* a_Step);
    static bool SetAnodeChannelNegativePulseThresholdTrimStep(int a_Step);
    static bool GetAnodeChannelNegativePulseThresholdTrimStep(int a_Channel, int* a_Step);
    static bool SendASICChannelData();

    // Files: the configuration file (suffix "dat"), the photon exports as CSV
    // (suffix "csv", saved in the background) and as binary records ("dat").
    // SaveConfiguration needs the device GMs and writes through a temporary file in
    // the same folder (which must be writable), so a failed save keeps the old file.
    // CancelPacketSave cancels the oldest unfinished save, even one not yet begun.
    static bool SaveConfiguration(const char* a_FileName);
    static bool LoadConfiguration(const char* a_FileName);
    static bool SaveCollection(const char* a_FileName);
    static bool SaveBinaryCollection(const char* a_FileName);
    static void CancelPacketSave();
};

#endif // QUORVELDLL_H
