// quorvel acquire end to end: the tool as a child process, its virtual camera
// in-process, photons through the real library over real sockets; the summary
// and every file must agree with what the camera says it sent.
#include "tests/tools/hdf5readback.h"
#include "tests/tools/toolrun.h"
#include "tools/pictures/floodimage.h"
#include "tools/pictures/spectrumplot.h"

#include <QFile>
#include "camsim/virtualcamera.h"
#include "support/testsupport.h"

#include <QFileInfo>
#include <QImage>
#include <csignal>
#include <functional>
#include <tuple>
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
    EXPECT_EQ(a_Run.number(QStringLiteral("photons.dat"), 1), sentPhotons);

    QFile configuration(a_Folder.file(QStringLiteral("configuration.dat")));
    ASSERT_TRUE(configuration.open(QIODevice::ReadOnly));
    EXPECT_EQ(configuration.read(8).toHex(), QByteArray("0000beef00000006"));
    EXPECT_TRUE(a_Run.value(QStringLiteral("configuration.dat")).endsWith(QLatin1String("(settings only: the photons are in photons.dat)")));
}

// `quorvel acquire` as a child process, watched until it reports collecting.
class Acquisition {
public:
    // False if it ended or said nothing of collecting for 20 s.
    bool start(const QStringList& a_Arguments)
    {
        m_Process.start(toolPath(), QStringList {QStringLiteral("acquire")} + a_Arguments);
        if (!m_Process.waitForStarted(10000))
            return false;
        m_Process.setReadChannel(QProcess::StandardError);
        // Away from a terminal the progress line is printed once a second.
        while (!m_Err.contains("Collecting 1.") && m_Process.waitForReadyRead(20000))
            m_Err += m_Process.readAllStandardError();
        return m_Err.contains("Collecting 1.");
    }
    qint64 pid() const { return m_Process.processId(); }
    ToolRun finish()
    {
        ToolRun run;
        run.finished = m_Process.waitForFinished(60000);
        run.exitCode = m_Process.exitStatus() == QProcess::NormalExit ? m_Process.exitCode() : -1;
        run.out = QString::fromUtf8(m_Process.readAllStandardOutput());
        run.err = QString::fromUtf8(m_Err + m_Process.readAllStandardError());
        return run;
    }
    QString describe() const { return QString::fromUtf8(m_Err); }

private:
    QProcess m_Process;
    QByteArray m_Err;
};

// The last line on stderr.
QString lastLine(const ToolRun& a_Run)
{
    return a_Run.err.trimmed().section(QLatin1Char('\n'), -1);
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
    // The configuration holds no packets (they were never stored), so the
    // packets come from the records' GM and header word.
    EXPECT_EQ(file.attribute("/entry/events", "packets_from"), QStringLiteral("records"));
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
    EXPECT_EQ(load.number(QStringLiteral("Packets")), 0);
    EXPECT_EQ(load.number(QStringLiteral("Photons")), 0);

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

// Each signal stops the collection, keeps every whole record and ends with
// 128 + its number.
TEST(QuorvelAcquire, SignalsStopTheCollectionAndKeepWhatWasCollected)
{
    for (const auto& c : {std::make_tuple(SIGINT, 130, "Ctrl-C"), std::make_tuple(SIGTERM, 143, "SIGTERM"),
                          std::make_tuple(SIGHUP, 129, "SIGHUP")}) {
        ScratchFolder folder;
        Acquisition acquisition;
        ASSERT_TRUE(acquisition.start(words("--seconds 60 --packet-rate 2000 --out") + QStringList {folder.path()}))
            << acquisition.describe().toStdString();
        ::kill(pid_t(acquisition.pid()), std::get<0>(c));
        const ToolRun run = acquisition.finish();
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, std::get<1>(c)) << run.describe().toStdString();
        EXPECT_EQ(run.value(QStringLiteral("Collection time")).section(QLatin1Char(' '), 2),
                  QStringLiteral("(stopped early by %1)").arg(QLatin1String(std::get<2>(c))));
        EXPECT_LT(run.number(QStringLiteral("Collection time")), 10);
        expectFilesMatchTheCamera(run, folder);
        EXPECT_FALSE(QImage(folder.file(QStringLiteral("flood.png"))).isNull());
    }
}

// A write that fails stops the collection at once and keeps the whole records;
// a CSV that cannot be finished is kept as photons.csv.partial. /dev/full stands
// for a full disk, linked in where the file goes (--overwrite keeps links).
TEST(QuorvelAcquire, AFailedWriteStopsTheRunAndSaysWhy)
{
    for (const auto& c : {std::make_pair("photons.dat", "30"), {"photons.csv", "1"}}) {
        const char* name = c.first;
        ScratchFolder folder;
        ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), folder.file(QLatin1String(name))));
        const ToolRun run = runTool(words("acquire --packet-rate 2000 --overwrite --out")
                                    + QStringList {folder.path(), QStringLiteral("--seconds"), QLatin1String(c.second)});
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 1) << run.describe().toStdString();
        if (QLatin1String(name) == QLatin1String("photons.dat")) {
            EXPECT_EQ(lastLine(run), QStringLiteral("quorvel acquire: cannot write %1: No space left on device; the "
                                                    "collection was stopped and the file keeps its first 0 photons")
                                         .arg(folder.file(QLatin1String(name))));
            EXPECT_TRUE(run.value(QStringLiteral("Collection time")).endsWith(QLatin1String("(stopped early by a failed write)")));
            EXPECT_LT(run.number(QStringLiteral("Collection time")), 10);
            EXPECT_TRUE(QFileInfo(folder.file(QStringLiteral("configuration.dat"))).size() > 0);
        } else {
            EXPECT_EQ(lastLine(run), QStringLiteral("quorvel acquire: cannot finish %1: No space left on device")
                                         .arg(folder.file(QLatin1String(name))));
            EXPECT_TRUE(run.value(QStringLiteral("photons.csv")).startsWith(QLatin1String("unfinished (No space left on device)")))
                << run.describe().toStdString();
            EXPECT_TRUE(QFileInfo(folder.file(QStringLiteral("photons.csv.partial"))).isSymLink());
            EXPECT_FALSE(QFileInfo(folder.file(QStringLiteral("photons.csv"))).isSymLink());
            EXPECT_EQ(QFileInfo(folder.file(QStringLiteral("photons.dat"))).size(),
                      11 * run.number(QStringLiteral("Photons")));
        }
    }
}

// A file size limit cuts a record in two: the cut record is taken off again, so
// photons.dat ends with whole records (102,400 bytes allowed, 9,309 records kept).
TEST(QuorvelAcquire, AWriteCutShortKeepsOnlyWholeRecords)
{
    ScratchFolder folder;
    const ToolRun run = tooltest::run(QStringLiteral("/bin/sh"),
                                      QStringList {QStringLiteral("-c"), QStringLiteral("ulimit -f 200; exec \"$0\" \"$@\""),
                                                   toolPath(), QStringLiteral("acquire"), QStringLiteral("--seconds"),
                                                   QStringLiteral("30"), QStringLiteral("--out"), folder.path()});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1) << run.describe().toStdString();
    EXPECT_EQ(lastLine(run), QStringLiteral("quorvel acquire: cannot write %1: File too large; the collection was "
                                            "stopped and the file keeps its first 9,309 photons")
                                 .arg(folder.file(QStringLiteral("photons.dat"))));
    EXPECT_EQ(QFileInfo(folder.file(QStringLiteral("photons.dat"))).size(), 9309 * 11);
    EXPECT_EQ(run.number(QStringLiteral("photons.dat"), 1), 9309);
    EXPECT_LT(run.number(QStringLiteral("Collection time")), 10);
}

// Stops from outside: another program switches the system off, the camera
// stops sending, or it closes the control connection. The run stops, saves what
// it has and names the cause.
TEST(QuorvelAcquire, StopsFromOutsideAreNoticedAndTheCollectionIsKept)
{
    const struct {
        std::function<void(camsim::VirtualCamera&)> stop;
        const char* cause;
    } cases[] = {
        {[](camsim::VirtualCamera& a_Camera) { a_Camera.setSystemRegister(16, 0); },
         "the camera switched its system off (another program may have initialised it)"},
        {[](camsim::VirtualCamera& a_Camera) { a_Camera.setSystemRegister(16, a_Camera.systemRegister(16) & ~0x02); },
         "the camera sent nothing for 1 s"},
        {[](camsim::VirtualCamera& a_Camera) { a_Camera.closeConnection(camsim::Channel::Control); },
         "the camera closed the control connection"},
    };
    for (const auto& c : cases) {
        camsim::CameraConfig config;
        config.address = testsupport::testLoopbackAddress();
        camsim::VirtualCamera camera(config);
        ASSERT_TRUE(camera.start());
        ScratchFolder folder;
        Acquisition acquisition;
        ASSERT_TRUE(acquisition.start(words("--seconds 60 --packet-rate 2000 --silence 1 --out")
                                      + QStringList {folder.path(), QStringLiteral("--camera"), config.address,
                                                     QStringLiteral("--host"), config.address}))
            << acquisition.describe().toStdString();
        c.stop(camera);
        const ToolRun run = acquisition.finish();
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 1) << run.describe().toStdString();
        EXPECT_TRUE(lastLine(run).startsWith(QStringLiteral("quorvel acquire: %1").arg(QLatin1String(c.cause))))
            << run.describe().toStdString();
        EXPECT_TRUE(run.value(QStringLiteral("Collection time")).endsWith(QLatin1String("(stopped early by the camera)")));
        const qint64 photons = run.number(QStringLiteral("Photons"));
        EXPECT_GT(photons, 0);
        EXPECT_EQ(QFileInfo(folder.file(QStringLiteral("photons.dat"))).size(), 11 * photons);
        EXPECT_EQ(readAll(folder.file(QStringLiteral("photons.csv"))).count('\n'), photons);
        EXPECT_FALSE(QImage(folder.file(QStringLiteral("flood.png"))).isNull());
    }
}

// The output folder is checked before the camera is touched: it must be empty
// (or --overwrite, which leaves no file of the old run), creatable and writable,
// and big enough for the run.
TEST(QuorvelAcquire, TheOutputFolderIsCheckedBeforeCollecting)
{
    ScratchFolder folder;
    QFile stale(folder.file(QStringLiteral("photons.h5")));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("old run");
    stale.close();
    const QStringList out {QStringLiteral("--out"), folder.path()};
    const ToolRun refused = runTool(words("acquire --seconds 0.5") + out);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, QStringLiteral("quorvel acquire: the output folder %1 is not empty; give --overwrite to "
                                          "replace the run in it, or choose another folder\n").arg(folder.path()));
    EXPECT_EQ(readAll(stale.fileName()), QByteArray("old run"));
    const ToolRun replaced = runTool(words("acquire --seconds 0.5 --overwrite") + out);
    EXPECT_EQ(replaced.exitCode, 0) << replaced.describe().toStdString();
    EXPECT_FALSE(QFileInfo::exists(stale.fileName()));
    EXPECT_GT(QFileInfo(folder.file(QStringLiteral("photons.dat"))).size(), 0);

    QFile plain(folder.file(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    const QString huge = folder.file(QStringLiteral("huge/run"));
    for (const auto& c : {std::make_pair(QStringLiteral("/proc/quorvel-run"), QStringLiteral("cannot create the output "
                                                                                             "folder /proc/quorvel-run: ")),
                          std::make_pair(plain.fileName() + QStringLiteral("/run"),
                                         QStringLiteral("cannot create the output folder %1/run: Not a directory").arg(plain.fileName())),
                          std::make_pair(folder.path(), QStringLiteral("the output folder %1 holds plain, which is not a "
                                                                       "file of a run").arg(folder.path()))}) {
        const ToolRun run = runTool(words("acquire --overwrite --out") + QStringList {c.first});
        EXPECT_EQ(run.exitCode, 1) << run.describe().toStdString();
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("quorvel acquire: ") + c.second)) << run.describe().toStdString();
        EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1);
    }
    // A day at the highest rate does not fit; the folders made for it go again.
    const ToolRun tooBig = runTool(words("acquire --seconds 86400 --packet-rate 63000 --out") + QStringList {huge});
    EXPECT_EQ(tooBig.exitCode, 1) << tooBig.describe().toStdString();
    EXPECT_TRUE(tooBig.err.contains(QStringLiteral("quorvel acquire: the run needs up to ")));
    EXPECT_TRUE(tooBig.err.contains(QStringLiteral("give --force to collect anyway")));
    EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("huge"))));
}

} // namespace
