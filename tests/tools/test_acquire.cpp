// quorvel acquire end to end: the tool as a child process, its virtual camera
// in-process, photons through the real library over real sockets; the summary
// and the files must agree with what the camera says it sent.
#include "tests/tools/toolrun.h"
#include "tools/floodimage.h"
#include "tools/spectrumplot.h"

#include <QFile>
#include <QImage>
#include <csignal>
#include <gtest/gtest.h>

using namespace tooltest;

namespace {

qint64 lineCount(const QString& a_Path)
{
    QFile file(a_Path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return file.readAll().count('\n');
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
    EXPECT_EQ(lineCount(a_Folder.file(QStringLiteral("photons.csv"))), sentPhotons);
    EXPECT_EQ(a_Run.number(QStringLiteral("photons.csv")), sentPhotons);
    EXPECT_EQ(QFile(a_Folder.file(QStringLiteral("photons.dat"))).size(), 11 * sentPhotons);

    QFile configuration(a_Folder.file(QStringLiteral("configuration.dat")));
    ASSERT_TRUE(configuration.open(QIODevice::ReadOnly));
    EXPECT_EQ(configuration.read(8).toHex(), QByteArray("0000beef00000006"));
}

TEST(QuorvelAcquire, SavesFilesThatAgreeWithWhatTheCameraSentAndShowsThePointWhereItWasPlaced)
{
    ScratchFolder folder;
    // Column 16.5, row 5.5 is the centre of camera pixel 127 (row 6, column 17, in GM 2).
    const ToolRun run = runTool({QStringLiteral("acquire"), QStringLiteral("--seconds"), QStringLiteral("1.5"),
                                 QStringLiteral("--out"), folder.path(), QStringLiteral("--point"),
                                 QStringLiteral("16.5,5.5"), QStringLiteral("--peak"), QStringLiteral("1500,100"),
                                 QStringLiteral("--packet-rate"), QStringLiteral("2000")});
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
    // The photopeak goes through the whole chain: camera, wire, decoder, file, fit.
    const double centre = run.value(QStringLiteral("Photopeak")).section(QLatin1Char(' '), 1, 1).remove(QLatin1Char(',')).toDouble();
    EXPECT_NEAR(centre, 1500.0, 15.0) << run.value(QStringLiteral("Photopeak")).toStdString();

    const QImage flood(folder.file(QStringLiteral("flood.png")));
    ASSERT_FALSE(flood.isNull());
    EXPECT_EQ(flood.size(), tool::FloodImage::size());
    EXPECT_EQ(lightestFloodPixel(flood), 127);
    const QImage spectrum(folder.file(QStringLiteral("spectrum.png")));
    ASSERT_FALSE(spectrum.isNull());
    EXPECT_EQ(spectrum.size(), tool::SpectrumPlot::size());
}

TEST(QuorvelAcquire, LocalPixelNumbersStillPutTheSourceOnTheRightCameraPixel)
{
    ScratchFolder folder;
    // Column 5.5, row 16.5: camera pixel 358 (row 17, column 6), pixel 72 of GM 4.
    const ToolRun run = runTool({QStringLiteral("acquire"), QStringLiteral("--seconds"), QStringLiteral("1"),
                                 QStringLiteral("--out"), folder.path(), QStringLiteral("--point"),
                                 QStringLiteral("5.5,16.5"), QStringLiteral("--mapping"), QStringLiteral("local")});
    ASSERT_EQ(run.exitCode, 0) << run.describe().toStdString();
    expectFilesMatchTheCamera(run, folder);
    EXPECT_TRUE(run.value(QStringLiteral("Brightest pixel")).startsWith(QLatin1String("358 ")))
        << run.describe().toStdString();
    EXPECT_EQ(lightestFloodPixel(QImage(folder.file(QStringLiteral("flood.png")))), 358);

    // show finds out the numbering from the file and draws the same flood.
    const ToolRun show = runTool({QStringLiteral("show"), folder.file(QStringLiteral("photons.dat")),
                                  QStringLiteral("--out"), folder.file(QStringLiteral("shown"))});
    ASSERT_EQ(show.exitCode, 0) << show.describe().toStdString();
    EXPECT_EQ(show.value(QStringLiteral("Pixel numbers")), QStringLiteral("local"));
    EXPECT_EQ(show.value(QStringLiteral("Brightest pixel")), run.value(QStringLiteral("Brightest pixel")));
    EXPECT_EQ(show.value(QStringLiteral("Photopeak")), run.value(QStringLiteral("Photopeak")));
    const QImage shown(folder.file(QStringLiteral("shown/flood.png")));
    EXPECT_EQ(shown.size(), tool::FloodImage::size());
    EXPECT_EQ(lightestFloodPixel(shown), 358);
    EXPECT_FALSE(QImage(folder.file(QStringLiteral("shown/spectrum.png"))).isNull());
}

TEST(QuorvelAcquire, SavedConfigurationLoadsBackAndStartsANewRun)
{
    ScratchFolder folder;
    const ToolRun run = runTool({QStringLiteral("acquire"), QStringLiteral("--seconds"), QStringLiteral("1"),
                                 QStringLiteral("--out"), folder.path(), QStringLiteral("--packet-rate"),
                                 QStringLiteral("3000")});
    ASSERT_EQ(run.exitCode, 0) << run.describe().toStdString();

    // Loading connects to the (virtual) camera the file names and powers it up.
    const ToolRun load = runTool({QStringLiteral("config"), QStringLiteral("load"),
                                  folder.file(QStringLiteral("configuration.dat"))});
    ASSERT_EQ(load.exitCode, 0) << load.describe().toStdString();
    EXPECT_EQ(load.number(QStringLiteral("GMs")), 4);
    EXPECT_EQ(load.number(QStringLiteral("Packet rate")), 3000);
    EXPECT_EQ(load.value(QStringLiteral("Pixel mapping")), QStringLiteral("global"));
    EXPECT_EQ(load.number(QStringLiteral("Packets")), run.number(QStringLiteral("Packets")));
    EXPECT_EQ(load.number(QStringLiteral("Photons")), run.number(QStringLiteral("Photons")));

    // A run that starts from the file keeps its packet rate and collects anew.
    ScratchFolder again;
    const ToolRun rerun = runTool({QStringLiteral("acquire"), QStringLiteral("--seconds"), QStringLiteral("0.5"),
                                   QStringLiteral("--out"), again.path(), QStringLiteral("--config"),
                                   folder.file(QStringLiteral("configuration.dat"))});
    ASSERT_EQ(rerun.exitCode, 0) << rerun.describe().toStdString();
    EXPECT_EQ(rerun.value(QStringLiteral("Settings")), QStringLiteral("global pixel numbers, 3000 packets/s"));
    expectFilesMatchTheCamera(rerun, again);
}

TEST(QuorvelAcquire, CtrlCStopsTheCollectionAndKeepsWhatWasCollected)
{
    ScratchFolder folder;
    QProcess process;
    process.start(toolPath(), {QStringLiteral("acquire"), QStringLiteral("--seconds"), QStringLiteral("60"),
                               QStringLiteral("--out"), folder.path(), QStringLiteral("--packet-rate"),
                               QStringLiteral("2000")});
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
