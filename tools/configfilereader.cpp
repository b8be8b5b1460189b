#include "tools/configfilereader.h"

#include <QDataStream>
#include <QFile>
#include <cstring>

namespace tool {

namespace {
constexpr qint32 magic = 0xBEEF;
constexpr qint64 intBytes = 4;
constexpr qint64 smallestPacketBytes = 4 * intBytes;          // GM ID, header word, header byte, photon count
constexpr qint64 photonBytes = 2 * intBytes + 1 + intBytes + 1; // pixel, energy, flag, time detect, flag
constexpr quint32 longestAddress = 256;

const char* const gmFields[] = {"id", "options", "readout_options", "readout_mode", "cathode_mode",
                                "pulser_frequency", "pulser_options", "delay_time", "timestamp_resolution",
                                "number_of_pulses", "default_gm", "adc1_channel", "adc2_channel"};
const char* const asicLeadingFields[] = {"cathode_test_clock_type", "global_options", "readout_mode",
                                         "analog_output_monitored", "dac_monitored",
                                         "cathode_energy_timing_monitored", "anode_channel_monitored",
                                         "timing_channel_unipolar_gain", "timing_channel_bipolar_gain",
                                         "channel_gain", "internal_leakage_current_generator",
                                         "multiple_firing_suppress_time"};
const char* const commonGroupFields[] = {"test_pulse_step", "peak_detect_timeout", "time_detect_ramp_length"};
const char* const anodeGroupFields[] = {"test_pulse_edge", "positive_energy_threshold_step",
                                        "negative_energy_threshold_step"};
const char* const anodeChannelFields[] = {"options", "positive_pulse_threshold_trim_step", "signal_monitored",
                                          "negative_pulse_threshold_trim_step"};
const char* const cathodeGroupFields[] = {"test_mode_input", "timing_shaper_peaking_time", "energy_threshold_step",
                                          "timing_unipolar_threshold_step",
                                          "timing_primary_bipolar_multi_threshold_step",
                                          "timing_secondary_multi_threshold_displacement_step"};
const char* const cathodeChannelFields[] = {"options", "positive_pulse_threshold_trim_step", "shaped_timing_signal",
                                            "timing_mode", "timing_unipolar_trim_step",
                                            "first_multi_threshold_trim_step", "second_multi_threshold_trim_step",
                                            "third_multi_threshold_trim_step", "internal_leakage_current_generator"};

// Big-endian reads that know how many bytes the file has left; the first short
// read marks the file as ending early and every later read gives 0.
class Cursor {
public:
    explicit Cursor(QFile* a_File) : m_File(a_File), m_Stream(a_File) {}

    qint64 remaining() const { return m_File->size() - m_File->pos(); }
    bool failed() const { return m_Failed; }

    bool has(qint64 a_Bytes)
    {
        if (!m_Failed && a_Bytes <= remaining())
            return true;
        m_Failed = true;
        return false;
    }
    qint32 int32()
    {
        qint32 value = 0;
        if (has(intBytes))
            m_Stream >> value;
        return value;
    }
    bool boolean()
    {
        quint8 value = 0;
        if (has(1))
            m_Stream >> value;
        return value != 0;
    }
    double float64()
    {
        double value = 0.0;
        if (has(8))
            m_Stream >> value;
        return value;
    }
    QByteArray bytes(quint32 a_Count)
    {
        QByteArray data;
        if (has(a_Count)) {
            data.resize(int(a_Count));
            if (m_Stream.readRawData(data.data(), int(a_Count)) != int(a_Count))
                m_Failed = true;
        }
        return data;
    }
    void skip(qint64 a_Bytes)
    {
        if (!has(a_Bytes))
            return;
        while (a_Bytes > 0 && !m_Failed) {
            const int step = int(qMin<qint64>(a_Bytes, 1 << 30));
            if (m_Stream.skipRawData(step) != step)
                m_Failed = true;
            a_Bytes -= step;
        }
    }
    void values(const char* const* a_Names, size_t a_Count, std::vector<NamedValue>* a_Out)
    {
        for (size_t i = 0; i < a_Count; ++i)
            a_Out->push_back({a_Names[i], int32()});
    }

private:
    QFile* m_File;
    QDataStream m_Stream;
    bool m_Failed = false;
};

template <size_t N>
constexpr size_t count(const char* const (&)[N])
{
    return N;
}

bool readGroup(Cursor& a_Cursor, const char* const* a_GroupFields, size_t a_GroupCount,
               const char* const* a_ChannelFields, size_t a_ChannelCount, int a_MaxChannels, ChannelGroup* a_Group,
               QString* a_Error)
{
    a_Cursor.values(commonGroupFields, count(commonGroupFields), &a_Group->settings);
    a_Group->peakingTime = a_Cursor.float64();
    a_Cursor.values(a_GroupFields, a_GroupCount, &a_Group->settings);
    const qint32 channels = a_Cursor.int32();
    if (a_Cursor.failed())
        return true; // reported as a truncated file by the caller
    if (channels < 0 || channels > a_MaxChannels) {
        *a_Error = QStringLiteral("%1 channel records where an ASIC has at most %2").arg(channels).arg(a_MaxChannels);
        return false;
    }
    a_Group->columns.assign(a_ChannelFields, a_ChannelFields + a_ChannelCount);
    a_Group->values.assign(a_ChannelCount, std::vector<qint32>(size_t(channels)));
    for (qint32 channel = 0; channel < channels; ++channel)
        for (size_t column = 0; column < a_ChannelCount; ++column)
            a_Group->values[column][size_t(channel)] = a_Cursor.int32();
    return true;
}

bool readGM(Cursor& a_Cursor, GMRecord* a_GM, QString* a_Error)
{
    a_Cursor.values(gmFields, count(gmFields), &a_GM->settings);
    a_Cursor.values(asicLeadingFields, count(asicLeadingFields), &a_GM->asic);
    return readGroup(a_Cursor, anodeGroupFields, count(anodeGroupFields), anodeChannelFields,
                     count(anodeChannelFields), ConfigFileReader::anodeChannels, &a_GM->anode, a_Error)
        && readGroup(a_Cursor, cathodeGroupFields, count(cathodeGroupFields), cathodeChannelFields,
                     count(cathodeChannelFields), ConfigFileReader::cathodeChannels, &a_GM->cathode, a_Error);
}

bool readPackets(Cursor& a_Cursor, CameraConfiguration* a_Configuration, QString* a_Error)
{
    const qint32 packets = a_Cursor.int32();
    if (a_Cursor.failed())
        return true;
    if (packets < 0 || packets > a_Cursor.remaining() / smallestPacketBytes) {
        *a_Error = QStringLiteral("the packet section announces %1 packets, more than the file holds").arg(packets);
        return false;
    }
    a_Configuration->hasPacketSection = true;
    a_Configuration->packets.reserve(size_t(packets));
    for (qint32 i = 0; i < packets && !a_Cursor.failed(); ++i) {
        const qint32 gmId = a_Cursor.int32();
        const qint32 headerWord = a_Cursor.int32();
        const qint32 headerByte = a_Cursor.int32();
        const qint32 photons = a_Cursor.int32();
        if (a_Cursor.failed())
            break;
        if (gmId < 0 || gmId > 0xFF || headerWord < 0 || headerWord > 0xFFFF || headerByte < 0 || headerByte > 0xFF) {
            *a_Error = QStringLiteral("packet %1 has a GM ID, header word or header byte out of range").arg(i + 1);
            return false;
        }
        if (photons < 0 || photons > a_Cursor.remaining() / photonBytes) {
            *a_Error = QStringLiteral("packet %1 announces %2 photons, more than the file holds").arg(i + 1).arg(photons);
            return false;
        }
        a_Cursor.skip(qint64(photons) * photonBytes);
        a_Configuration->packets.push_back({quint8(gmId), quint16(headerWord), quint8(headerByte), quint32(photons)});
    }
    return true;
}

bool readContents(Cursor& a_Cursor, CameraConfiguration* a_Configuration, QString* a_Error)
{
    if (a_Cursor.int32() != magic || a_Cursor.failed()) {
        *a_Error = QStringLiteral("not a configuration file (no 0xBEEF at its start)");
        return false;
    }
    const int version = a_Cursor.int32();
    a_Cursor.int32(); // stream version: every value read here is encoded alike from 12 on
    if (version < ConfigFileReader::oldestFormat || version > ConfigFileReader::newestFormat) {
        *a_Error = QStringLiteral("configuration format version %1 is not supported (%2 to %3 are)")
                       .arg(version).arg(ConfigFileReader::oldestFormat).arg(ConfigFileReader::newestFormat);
        return false;
    }
    a_Configuration->formatVersion = version;
    const quint32 addressBytes = quint32(a_Cursor.int32());
    if (addressBytes > longestAddress) {
        *a_Error = QStringLiteral("the camera address is %1 bytes long, not an address").arg(addressBytes);
        return false;
    }
    QByteArray address = a_Cursor.bytes(addressBytes);
    if (address.endsWith('\0'))
        address.chop(1);
    a_Configuration->cameraAddress = QString::fromUtf8(address);
    if (version <= 4)
        a_Cursor.int32(); // read and ignored in these versions
    a_Configuration->system.push_back({"gm_update_type", a_Cursor.int32()});
    a_Configuration->system.push_back({"debug_mode", a_Cursor.boolean() ? 1 : 0});
    a_Configuration->system.push_back({"mb_multiplexer_address_type", a_Cursor.int32()});
    qint32 rate = a_Cursor.int32();
    if (version <= 4 && rate != 63000)
        rate += 1000; // stored as the rate minus 1000 then
    a_Configuration->system.push_back({"packet_transfer_rate", rate});
    if (version < 4) {
        a_Cursor.int32();
        a_Cursor.int32();
    }
    a_Configuration->system.push_back({"token_type", a_Cursor.int32()});
    if (version >= 6) {
        a_Configuration->pixelMappingMode = a_Cursor.int32();
        a_Configuration->system.push_back({"pixel_mapping_mode", a_Configuration->pixelMappingMode});
    }
    const qint32 gms = a_Cursor.int32();
    if (a_Cursor.failed())
        return true;
    if (gms < 0 || gms > ConfigFileReader::maxGMs) {
        *a_Error = QStringLiteral("%1 GM records is not a camera").arg(gms);
        return false;
    }
    a_Configuration->gms.resize(size_t(gms));
    for (GMRecord& gm : a_Configuration->gms)
        if (!readGM(a_Cursor, &gm, a_Error))
            return false;
    if (a_Cursor.failed() || a_Cursor.remaining() == 0)
        return true;
    return readPackets(a_Cursor, a_Configuration, a_Error);
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
    QFile file(a_Path);
    if (!file.open(QIODevice::ReadOnly)) {
        *a_Error = QStringLiteral("cannot open %1: %2").arg(a_Path, file.errorString());
        return false;
    }
    *a_Configuration = CameraConfiguration();
    Cursor cursor(&file);
    QString reason;
    if (!readContents(cursor, a_Configuration, &reason)) {
        *a_Error = QStringLiteral("%1: %2").arg(a_Path, reason);
        return false;
    }
    if (cursor.failed()) {
        *a_Error = QStringLiteral("%1: the configuration file ends early").arg(a_Path);
        return false;
    }
    return true;
}

} // namespace tool
