// NeXus/HDF5 event files converted from collections made here: pixel
// placement, packet boundaries, configuration, and hostile inputs. Every file
// is read back with the HDF5 C library and checked event by event against the
// binary collection.
#include "tests/tools/hdf5readback.h"
#include "tests/tools/toolrun.h"
#include "tools/files/photonconverter.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace tooltest;

namespace {

struct Photon {
    int pixel;
    int energy;
    bool positive;
    int timeDetect;
    bool positiveTimeDetect;
};

struct Packet {
    int gmId;
    int headerWord;
    std::vector<Photon> photons;
};

// GM settings the configuration files made here carry.
struct GM {
    int options;
    int readoutOptions;
};

// A configuration file as the library writes it (format version 6), with knobs
// to spoil it.
struct ConfigurationFile {
    int version = 6;
    int mapping = 1;
    std::vector<GM> gms {{8, 0}};
    bool packetSection = true;
    qint32 anodeChannels = 128;
    qint32 packetCount = -1; // -1: the real count
    qint32 firstPhotonCount = -1;

    QByteArray bytes(const std::vector<Packet>& a_Packets) const
    {
        QByteArray data;
        QDataStream out(&data, QIODevice::WriteOnly);
        out << qint32(0xBEEF) << qint32(version) << qint32(15) << "127.0.0.7" << qint32(1) // GM update type
            << false << qint32(2) << qint32(3000) << qint32(1) << qint32(mapping) << qint32(gms.size());
        for (size_t k = 0; k < gms.size(); ++k) {
            out << qint32(k + 1) << qint32(gms[k].options) << qint32(gms[k].readoutOptions);
            for (int value : {1, 1, 1, 0, 40, 100, 0, 1, 1, 2})
                out << qint32(value);
            for (int i = 0; i < 12; ++i)
                out << qint32(i + 1); // the ASIC's global settings
            out << qint32(1) << qint32(1) << qint32(1) << 0.25 << qint32(0) << qint32(9) << qint32(10) << anodeChannels;
            for (qint32 channel = 0; channel < qMin(anodeChannels, 128); ++channel)
                out << qint32(channel) << qint32(31) << qint32(0) << qint32(31);
            out << qint32(1) << qint32(1) << qint32(1) << 0.5;
            for (int i = 0; i < 6; ++i)
                out << qint32(1);
            out << qint32(2);
            for (int channel = 0; channel < 2 * 9; ++channel)
                out << qint32(channel);
        }
        if (!packetSection)
            return data;
        out << qint32(packetCount >= 0 ? packetCount : qint32(a_Packets.size()));
        bool first = true;
        for (const Packet& packet : a_Packets) {
            out << qint32(packet.gmId) << qint32(packet.headerWord) << qint32(0)
                << qint32(first && firstPhotonCount >= 0 ? firstPhotonCount : qint32(packet.photons.size()));
            first = false;
            for (const Photon& photon : packet.photons)
                out << qint32(photon.pixel) << qint32(photon.energy) << photon.positive << qint32(photon.timeDetect)
                    << photon.positiveTimeDetect;
        }
        return data;
    }
};

QByteArray photonsDat(const std::vector<Packet>& a_Packets)
{
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    for (const Packet& packet : a_Packets)
        for (const Photon& photon : packet.photons)
            out << quint8(packet.gmId) << quint16(packet.headerWord) << quint16(photon.pixel) << quint16(photon.energy)
                << quint8(photon.positive) << quint16(photon.timeDetect) << quint8(photon.positiveTimeDetect);
    return data;
}

bool writeFile(const QString& a_Path, const QByteArray& a_Bytes)
{
    QFile file(a_Path);
    return file.open(QIODevice::WriteOnly) && file.write(a_Bytes) == a_Bytes.size();
}

tool::ConvertRequest request(const QString& a_Photons, const QString& a_Configuration, const QString& a_Output)
{
    tool::ConvertRequest request;
    request.photons = a_Photons;
    request.configuration = a_Configuration;
    request.output = a_Output;
    return request;
}

} // namespace

TEST(NexusFile, LocalPixelsArePlacedOnTheCameraAndPacketsAreRunsOfGMAndHeaderWord)
{
    ScratchFolder folder;
    // GM pixels 1..121 that do not fit the camera quadrants: local numbers.
    const std::vector<Packet> packets {{1, 5, {{1, 100, true, 0, false}, {121, 200, false, 0, false}}},
                                       {3, 5, {{1, 300, true, 0, false}}},
                                       {2, 6, {{12, 400, true, 0, false}}},
                                       {2, 7, {{12, 500, true, 0, false}}}};
    const QString dat = folder.file(QStringLiteral("photons.dat"));
    ASSERT_TRUE(writeFile(dat, photonsDat(packets)));
    tool::ConvertResult result;
    QString error;
    ASSERT_TRUE(tool::PhotonConverter::convert(request(dat, QString(), folder.file(QStringLiteral("run.h5"))), &result, &error))
        << error.toStdString();
    EXPECT_EQ(result.pixelNumbers, QStringLiteral("local"));
    EXPECT_FALSE(result.timeDetect);

    const Hdf5Readback file(folder.file(QStringLiteral("run.h5")));
    expectEventsMatchTheCollection(file, photonsDat(packets), false);
    EXPECT_FALSE(file.exists("/entry/events/event_time_detect"));
    // GM 1 top left, GM 2 top right, GM 3 bottom right.
    EXPECT_EQ(file.column("/entry/events/event_id"), (std::vector<quint64> {1, 231, 254, 34, 34}));
    EXPECT_EQ(file.column("/entry/events/event_index"), (std::vector<quint64> {0, 2, 3, 4}));
    EXPECT_EQ(file.column("/entry/events/packet_gm"), (std::vector<quint64> {1, 3, 2, 2}));
    EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("configuration.dat"))));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 2) << "only photons.dat and run.h5";
}

TEST(NexusFile, ConfigurationKeepsEmptyPacketsAndDecidesPixelsAndTimeDetect)
{
    ScratchFolder folder;
    const std::vector<Packet> packets {{1, 7, {{1, 100, true, 0, false}, {121, 200, true, 0, false}}},
                                       {2, 3, {}},
                                       {2, 4, {{5, 300, false, 77, true}}},
                                       {1, 8, {}}};
    ConfigurationFile configuration;
    configuration.mapping = 2;             // local
    configuration.gms = {{8, 0}, {0, 3}}; // GM 2 sends channel numbers and time detect values
    const QString dat = folder.file(QStringLiteral("photons.dat"));
    const QString config = folder.file(QStringLiteral("configuration.dat"));
    ASSERT_TRUE(writeFile(dat, photonsDat(packets)));
    ASSERT_TRUE(writeFile(config, configuration.bytes(packets)));

    const ToolRun run = runTool({QStringLiteral("convert"), dat, folder.file(QStringLiteral("run.nxs"))});
    ASSERT_EQ(run.exitCode, 0) << run.describe().toStdString();
    EXPECT_EQ(run.value(QStringLiteral("Configuration")), config) << "configuration.dat beside photons.dat is used";
    EXPECT_EQ(run.number(QStringLiteral("Not placed")), 1);
    const Hdf5Readback file(folder.file(QStringLiteral("run.nxs")));
    expectEventsMatchTheCollection(file, photonsDat(packets), true);
    EXPECT_EQ(file.column("/entry/events/event_index"), (std::vector<quint64> {0, 2, 2, 3}));
    EXPECT_EQ(file.column("/entry/events/packet_header_word"), (std::vector<quint64> {7, 3, 4, 8}));
    EXPECT_EQ(file.column("/entry/events/event_id"), (std::vector<quint64> {1, 231, 0}));
    EXPECT_EQ(file.integer("/entry/events/unplaced_events"), 1);
    EXPECT_EQ(file.text("/entry/configuration/camera_address"), QStringLiteral("127.0.0.7"));
    EXPECT_EQ(file.integer("/entry/configuration/gm2/options"), 0);
    EXPECT_EQ(file.integer("/entry/configuration/gm1/asic/multiple_firing_suppress_time"), 12);
    EXPECT_EQ(file.column("/entry/configuration/gm2/asic/anode/options")[127], 127u);
    EXPECT_EQ(file.number("/entry/configuration/gm1/asic/cathode/peaking_time"), 0.5);
    EXPECT_EQ(file.attribute("/entry/configuration/packet_transfer_rate", "units"), QStringLiteral("Hz"));

    // A packet list that does not hold these records gives way to runs of records.
    std::vector<Packet> other = packets;
    other[0].photons.pop_back();
    ASSERT_TRUE(writeFile(config, configuration.bytes(other)));
    tool::ConvertResult result;
    QString error;
    ASSERT_TRUE(tool::PhotonConverter::convert(request(dat, config, folder.file(QStringLiteral("runs.h5"))), &result, &error))
        << error.toStdString();
    EXPECT_EQ(result.packetsFrom, QStringLiteral("records"));
    const Hdf5Readback runs(folder.file(QStringLiteral("runs.h5")));
    EXPECT_EQ(runs.column("/entry/events/event_index"), (std::vector<quint64> {0, 2}));
}

TEST(NexusFile, HostileInputsGiveOneLineErrorsAndWriteNothing)
{
    ScratchFolder folder;
    const std::vector<Packet> packets {{1, 7, {{1, 100, true, 0, false}}}};
    const QString dat = folder.file(QStringLiteral("photons.dat"));
    ASSERT_TRUE(writeFile(dat, photonsDat(packets)));
    const QString output = folder.file(QStringLiteral("out.h5"));

    struct Case {
        const char* name;
        QByteArray configuration;
        const char* message;
    };
    ConfigurationFile manyChannels;
    manyChannels.anodeChannels = 100000;
    ConfigurationFile manyPackets;
    manyPackets.packetCount = 0x7FFFFFFF;
    ConfigurationFile manyPhotons;
    manyPhotons.firstPhotonCount = 0x7FFFFFFF;
    ConfigurationFile newFormat;
    newFormat.version = 7;
    const QByteArray good = ConfigurationFile().bytes(packets);
    const Case cases[] = {
        {"not a configuration", QByteArray(200, 'x'), "not a configuration file"},
        {"unknown format", newFormat.bytes(packets), "not a configuration file of a format version"},
        {"truncated", good.left(good.size() / 2), "truncated or corrupt"},
        {"channel count", manyChannels.bytes(packets), "ends inside anode channel record"},
        {"packet count", manyPackets.bytes(packets), "ends inside packet record"},
        {"photon count", manyPhotons.bytes(packets), "ends inside photon record"},
    };
    const QString config = folder.file(QStringLiteral("configuration.dat"));
    for (const Case& c : cases) {
        ASSERT_TRUE(writeFile(config, c.configuration));
        tool::ConvertResult result;
        QString error;
        EXPECT_FALSE(tool::PhotonConverter::convert(request(dat, config, output), &result, &error)) << c.name;
        EXPECT_TRUE(error.contains(QLatin1String(c.message))) << c.name << ": " << error.toStdString();
    }
    QFile::remove(config);

    QDir().mkpath(folder.file(QStringLiteral("folder.dat")));
    ASSERT_TRUE(writeFile(folder.file(QStringLiteral("photons.h5")), photonsDat(packets)));
    const QStringList refusals[] = {
        {folder.file(QStringLiteral("missing.dat")), output},
        {folder.file(QStringLiteral("folder.dat")), output},
        {dat, folder.file(QStringLiteral("out.csv"))},
        {dat, folder.file(QStringLiteral("no/such/folder/out.h5"))},
        {folder.file(QStringLiteral("photons.h5")), folder.file(QStringLiteral("photons.h5"))},
        {QStringLiteral("--config"), folder.file(QStringLiteral("missing.dat")), dat, output},
    };
    for (const QStringList& arguments : refusals) {
        const ToolRun run = runTool(QStringList {QStringLiteral("convert")} + arguments);
        EXPECT_TRUE(run.exitCode == 1 || run.exitCode == 2) << run.describe().toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << run.describe().toStdString();
        EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1) << run.describe().toStdString();
        EXPECT_TRUE(run.err.startsWith(QLatin1String("quorvel convert: "))) << run.describe().toStdString();
    }
    EXPECT_EQ(QFile(folder.file(QStringLiteral("photons.h5"))).size(), 11) << "an input is never overwritten";
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 2) << "nothing but the inputs";
}
