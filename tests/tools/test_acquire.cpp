// quorvel acquire end to end: the tool as a child process, its virtual camera
// in-process, photons through the real library over real sockets; the summary
// and every file must agree with what the camera says it sent.
#include "tests/tools/hdf5readback.h"
#include "tests/tools/toolrun.h"
#include "tools/pictures/floodimage.h"
#include "tools/pictures/spectrumplot.h"

#include <QFile>
#include <QImage>
#include <csignal>
#include <gtest/gtest.h>
#include <utility>

using namespace tooltest;

namespace {

QByteArray readAll(const QString& a_Path)
{
    QFile file(a_Path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Camera pixel whose cell in flood.png is the lightest: the colour scale gets
// lighter with every count, so that is the pixel with the most photons.
int lightestFloodPixel(const QImage& a_Flood)
{
    int best = 0;
    double bestLightness = -1.0;
    for (int pixel = 1; pixel <= 484; ++pixel) {
        const QColor colour = a_Flood.pixelColor(tool::FloodImage::cellRect(pixel).center());
        const double lightness = 0.299 * colour.redF() + 0.587 * colour.greenF() + 0.114 * colour.blueF();
        if (lightness > bestLightness) {
            bestLightness = lightness;
            best = pixel;
        }
    }
    return best;
}

// Checks the files of a finished run against its summary.
void expectFilesMatchTheCamera(const ToolRun& a_Run, const ScratchFolder& a_Folder)
{
    const qint64 sentPackets = a_Run.number(QStringLiteral("Camera sent"), 0);
    const qint64 sentPhotons = a_Run.number(QStringLiteral("Camera sent"), 1);
    ASSERT_GT(sentPhotons, 0) << a_Run.describe().toStdString();
    EXPECT_EQ(a_Run.number(QStringLiteral("Packets")), sentPackets) << a_Run.describe().toStdString();
    EXPECT_EQ(a_Run.number(QStringLiteral("Photons")), sentPhotons);
    EXPECT_EQ(readAll(a_Folder.file(QStringLiteral("photons.csv"))).count('\n'), sentPhotons);
    EXPECT_EQ(a_Run.number(QStringLiteral("photons.csv")), sentPhotons);
    EXPECT_EQ(QFile(a_Folder.file(QStringLiteral("photons.dat"))).size(), 11 * sentPhotons);

    QFile configuration(a_Folder.file(QStringLiteral("configuration.dat")));
    ASSERT_TRUE(configuration.open(QIODevice::ReadOnly));
    EXPECT_EQ(configuration.read(8).toHex(), QByteArray("0000beef00000006"));
}

// One run of the whole chain (camera, wire, decoder, files, fit), then every
// command that reads its files: show, convert, config load, and a run that
// starts from the saved configuration.
TEST(QuorvelAcquire, RunWritesFilesThatAgreeWithTheCameraAndEveryCommandReadsThemBack)
{
    ScratchFolder folder;
    // Column 16.5, row 5.5 is the centre of camera pixel 127 (row 6, column 17, in GM 2).
    const ToolRun run = runTool(words("acquire --seconds 1.5 --point 16.5,5.5 --peak 1500,100 --packet-rate 3000 --hdf5 "
                                      "--readout-options 2 --out") + QStringList {folder.path()});
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.exitCode, 0) << run.describe().toStdString();
    expectFilesMatchTheCamera(run, folder);

    EXPECT_EQ(run.number(QStringLiteral("GMs")), 4);
    qint64 perGM = 0;
    for (int gm = 1; gm <= 4; ++gm)
        perGM += run.number(QStringLiteral("GM %1").arg(gm));
    EXPECT_EQ(perGM, run.number(QStringLiteral("Photons")));
    EXPECT_GT(run.number(QStringLiteral("GM 2")), run.number(QStringLiteral("GM 1")) * 5);
    EXPECT_TRUE(run.value(QStringLiteral("Brightest pixel")).startsWith(QLatin1String("127 (row 6, column 17)")))
        << run.describe().toStdString();
    const double centre = run.value(QStringLiteral("Photopeak")).section(QLatin1Char(' '), 1, 1).remove(QLatin1Char(',')).toDouble();
    EXPECT_NEAR(centre, 1500.0, 15.0) << run.value(QStringLiteral("Photopeak")).toStdString();

    const QImage flood(folder.file(QStringLiteral("flood.png")));
    ASSERT_FALSE(flood.isNull());
    EXPECT_EQ(flood.size(), tool::FloodImage::size());
    EXPECT_EQ(lightestFloodPixel(flood), 127);
    const QImage spectrum(folder.file(QStringLiteral("spectrum.png")));
    ASSERT_FALSE(spectrum.isNull());
    EXPECT_EQ(spectrum.size(), tool::SpectrumPlot::size());

    // The NeXus file holds every collected event with its packets and settings.
    const QByteArray dat = readAll(folder.file(QStringLiteral("photons.dat")));
    const Hdf5Readback file(folder.file(QStringLiteral("photons.h5")));
    ASSERT_TRUE(file.isOpen());
    for (const auto& c : {std::make_pair("/", "NXroot"), {"/entry", "NXentry"}, {"/entry/events", "NXevent_data"},
                          {"/entry/data", "NXdata"}})
        EXPECT_EQ(file.attribute(c.first, "NX_class"), QLatin1String(c.second)) << c.first;
    EXPECT_EQ(file.attribute("/entry/events", "packets_from"), QStringLiteral("configuration"));
    EXPECT_EQ(file.attribute("/entry/events", "pixel_numbers"), QStringLiteral("global"));
    EXPECT_TRUE(file.isChunkedAndDeflated("/entry/events/event_id") && file.isChunkedAndDeflated("/entry/events/event_index"));
    expectEventsMatchTheCollection(file, dat, true);
    // Global numbers are camera pixels already; NXdata shows the same fields.
    EXPECT_EQ(file.column("/entry/events/event_id"), file.column("/entry/events/event_pixel"));
    EXPECT_EQ(file.column("/entry/data/event_energy"), file.column("/entry/events/event_energy"));
    EXPECT_EQ(qint64(file.column("/entry/events/event_index").size()), run.number(QStringLiteral("Packets")));
    EXPECT_GT(file.number("/entry/duration"), 1.4);
    EXPECT_EQ(file.attribute("/entry/duration", "units"), QStringLiteral("s"));
    EXPECT_EQ(file.integer("/entry/configuration/packet_transfer_rate"), 3000);
    EXPECT_EQ(file.integer("/entry/configuration/pixel_mapping_mode"), 1);
    for (const char* gm : {"/entry/configuration/gm1/readout_options", "/entry/configuration/gm4/readout_options"})
        EXPECT_EQ(file.integer(gm), 2) << gm;
    EXPECT_EQ(file.column("/entry/configuration/gm1/asic/anode/options").size(), 128u);

    // Without the configuration the packets are rebuilt from the records alone.
    const ToolRun convert = runTool(words("convert --no-config") + QStringList {folder.file(QStringLiteral("photons.dat")),
                                                                               folder.file(QStringLiteral("bare.h5"))});
    ASSERT_EQ(convert.exitCode, 0) << convert.describe().toStdString();
    const Hdf5Readback bare(folder.file(QStringLiteral("bare.h5")));
    expectEventsMatchTheCollection(bare, dat, true);
    EXPECT_EQ(bare.attribute("/entry/events", "packets_from"), QStringLiteral("records"));
    EXPECT_FALSE(bare.exists("/entry/configuration"));
    EXPECT_EQ(bare.column("/entry/events/event_id"), file.column("/entry/events/event_id"));

    // Loading connects to the (virtual) camera the file names and powers it up.
    const ToolRun load = runTool(words("config load") + QStringList {folder.file(QStringLiteral("configuration.dat"))});
    ASSERT_EQ(load.exitCode, 0) << load.describe().toStdString();
    EXPECT_EQ(load.number(QStringLiteral("GMs")), 4);
    EXPECT_EQ(load.number(QStringLiteral("Packet rate")), 3000);
    EXPECT_EQ(load.value(QStringLiteral("Pixel mapping")), QStringLiteral("global"));
    EXPECT_EQ(load.number(QStringLiteral("Packets")), run.number(QStringLiteral("Packets")));
    EXPECT_EQ(load.number(QStringLiteral("Photons")), run.number(QStringLiteral("Photons")));

    // A run that starts from the file keeps its packet rate and collects anew;
    // with local pixel numbers the source still lands on its camera pixel:
    // column 5.5, row 16.5 is camera pixel 358 (row 17, column 6), pixel 72 of GM 4.
    ScratchFolder again;
    const ToolRun rerun = runTool(words("acquire --seconds 1 --point 5.5,16.5 --mapping local")
                                  + QStringList {QStringLiteral("--out"), again.path(), QStringLiteral("--config"),
                                                 folder.file(QStringLiteral("configuration.dat"))});
    ASSERT_EQ(rerun.exitCode, 0) << rerun.describe().toStdString();
    EXPECT_EQ(rerun.value(QStringLiteral("Settings")), QStringLiteral("local pixel numbers, 3000 packets/s"));
    expectFilesMatchTheCamera(rerun, again);
    EXPECT_TRUE(rerun.value(QStringLiteral("Brightest pixel")).startsWith(QLatin1String("358 ")))
        << rerun.describe().toStdString();
    EXPECT_EQ(lightestFloodPixel(QImage(again.file(QStringLiteral("flood.png")))), 358);

    // show finds out the numbering from the file and draws the same flood.
    const ToolRun show = runTool({QStringLiteral("show"), again.file(QStringLiteral("photons.dat")),
                                  QStringLiteral("--out"), again.file(QStringLiteral("shown"))});
    ASSERT_EQ(show.exitCode, 0) << show.describe().toStdString();
    EXPECT_EQ(show.value(QStringLiteral("Pixel numbers")), QStringLiteral("local"));
    EXPECT_EQ(show.value(QStringLiteral("Brightest pixel")), rerun.value(QStringLiteral("Brightest pixel")));
    EXPECT_EQ(show.value(QStringLiteral("Photopeak")), rerun.value(QStringLiteral("Photopeak")));
    const QImage shown(again.file(QStringLiteral("shown/flood.png")));
    EXPECT_EQ(shown.size(), tool::FloodImage::size());
    EXPECT_EQ(lightestFloodPixel(shown), 358);
    EXPECT_FALSE(QImage(again.file(QStringLiteral("shown/spectrum.png"))).isNull());
}

TEST(QuorvelAcquire, CtrlCStopsTheCollectionAndKeepsWhatWasCollected)
{
    ScratchFolder folder;
    QProcess process;
    process.start(toolPath(), words("acquire --seconds 60 --packet-rate 2000 --out") + QStringList {folder.path()});
    ASSERT_TRUE(process.waitForStarted(10000));
    process.setReadChannel(QProcess::StandardError);
    // Away from a terminal the progress line is printed once a second.
    QByteArray progress;
    while (!progress.contains("Collecting 1.") && process.waitForReadyRead(10000))
        progress += process.readAllStandardError();
    ASSERT_TRUE(progress.contains("Collecting 1.")) << progress.toStdString();
    ::kill(pid_t(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(30000));

    ToolRun run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(progress + process.readAllStandardError());
    ASSERT_EQ(run.exitCode, 0) << run.describe().toStdString();
    EXPECT_TRUE(run.value(QStringLiteral("Collection time")).endsWith(QLatin1String("(stopped early by Ctrl-C)")));
    EXPECT_LT(run.number(QStringLiteral("Collection time")), 10);
    expectFilesMatchTheCamera(run, folder);
    EXPECT_FALSE(QImage(folder.file(QStringLiteral("flood.png"))).isNull());
}

} // namespace
