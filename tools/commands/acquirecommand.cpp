#include "tools/commands/acquirecommand.h"

#include "camsim/virtualcamera.h"
#include "quorveldll.h"
#include "tools/commands/acquiresettings.h"
#include "tools/camera/cameralink.h"
#include "tools/commands/camsimoptions.h"
#include "tools/camera/collectionmonitor.h"
#include "tools/commands/commandline.h"
#include "tools/files/csvsaver.h"
#include "tools/camera/eventwait.h"
#include "tools/camera/interruptwatcher.h"
#include "tools/camera/libraryevents.h"
#include "tools/files/photonconverter.h"
#include "tools/files/photonfile.h"
#include "tools/pictures/picturewriter.h"
#include "tools/terminal/runsummary.h"
#include "tools/terminal/terminal.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>

namespace tool {

namespace {
const QString photonsCsv = QStringLiteral("photons.csv");
const QString photonsDat = QStringLiteral("photons.dat");
const QString configurationDat = QStringLiteral("configuration.dat");
const QString photonsH5 = QStringLiteral("photons.h5");

struct Request {
    CameraOptions camera;
    AcquireSettings settings;
    double seconds = 5.0;
    QString folder;
    QString configuration;
    bool hdf5 = false;
};

int parse(CommandLine& a_Line, const QStringList& a_Arguments, Request* a_Request)
{
    QCommandLineParser& parser = a_Line.parser();
    CommandLine::addOptions(&parser, {
        {QStringLiteral("seconds"), QStringLiteral("Collection time in seconds."), QStringLiteral("s"),
         QStringLiteral("5")},
        {QStringLiteral("out"), QStringLiteral("Output folder, created if missing."), QStringLiteral("dir"),
         QStringLiteral("run")},
        {QStringLiteral("config"), QStringLiteral("Configuration file to load first; loading connects to the camera "
                                                  "the file names."),
         QStringLiteral("file")},
        {QStringLiteral("hdf5"), QStringLiteral("Also write photons.h5, the photons as a NeXus/HDF5 event file with "
                                                "the configuration (see quorvel convert --help).")},
    });
    CameraOptions::add(&parser, true);
    AcquireSettings::add(&parser);
    int exitCode = ExitSuccess;
    if (!a_Line.parseOrExit(a_Arguments, &exitCode))
        return exitCode;
    if (!parser.positionalArguments().isEmpty())
        return a_Line.usageError(QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first()));
    QString error;
    if (!CommandLine::toDouble(parser.value(QStringLiteral("seconds")), &a_Request->seconds) || a_Request->seconds <= 0
        || a_Request->seconds > 86400)
        return a_Line.usageError(QStringLiteral("--seconds must be a time above 0 and up to 86400"));
    a_Request->folder = parser.value(QStringLiteral("out"));
    a_Request->configuration = parser.value(QStringLiteral("config"));
    a_Request->hdf5 = parser.isSet(QStringLiteral("hdf5"));
    if (!CameraOptions::read(parser, true, &a_Request->camera, &error)
        || !AcquireSettings::read(parser, &a_Request->settings, &error))
        return a_Line.usageError(error);
    return -1;
}

QString liveLine(const CollectionMonitor& a_Monitor, double a_Elapsed, double a_Seconds)
{
    const double rate = a_Elapsed > 0.0 ? a_Monitor.photons() / a_Elapsed : 0.0;
    return QStringLiteral("Collecting %1 s of %2 s, %3 s left | %4 packets | %5 photons | %6 photons/s")
        .arg(a_Elapsed, 0, 'f', 1)
        .arg(a_Seconds, 0, 'g', 6)
        .arg(qMax(0.0, a_Seconds - a_Elapsed), 0, 'f', 1)
        .arg(Terminal::grouped(a_Monitor.packets()), Terminal::grouped(a_Monitor.photons()),
             Terminal::grouped(qint64(rate)));
}

// Collects until the time is up or Ctrl-C; returns the seconds collected.
double collect(const Request& a_Request, const InterruptWatcher& a_Interrupts, CollectionMonitor* a_Monitor)
{
    QElapsedTimer clock;
    clock.start();
    const qint64 durationMs = qint64(a_Request.seconds * 1000.0);
    qint64 lastForced = -1000;
    while (clock.elapsed() < durationMs && a_Interrupts.count() == 0) {
        runEventsFor(int(qMin<qint64>(200, durationMs - clock.elapsed())));
        a_Monitor->update();
        const bool force = clock.elapsed() - lastForced >= 1000;
        if (force)
            lastForced = clock.elapsed();
        Terminal::live(liveLine(*a_Monitor, clock.elapsed() / 1000.0, a_Request.seconds), force);
    }
    return clock.elapsed() / 1000.0;
}

// The last batch is decoded after StopPhotonCollection has returned: wait until a
// decoded batch has been reported since the stop began and then nothing changes
// for a moment.
void settleDecoding(int a_BatchesBefore)
{
    waitFor([&] { return LibraryEvents::decodedBatchCount() > a_BatchesBefore; }, 5000);
    QElapsedTimer quiet;
    quiet.start();
    QElapsedTimer total;
    total.start();
    int batches = LibraryEvents::decodedBatchCount();
    int packets = QuorvelDll::GetNoOfCollectedPackets();
    while (quiet.elapsed() < 250 && total.elapsed() < 10000) {
        runEventsFor(20);
        const int nowBatches = LibraryEvents::decodedBatchCount();
        const int nowPackets = QuorvelDll::GetNoOfCollectedPackets();
        if (nowBatches != batches || nowPackets != packets) {
            batches = nowBatches;
            packets = nowPackets;
            quiet.restart();
        }
    }
}
} // namespace

int AcquireCommand::run(const QStringList& a_Arguments)
{
    CommandLine line(QStringLiteral("acquire"), QStringLiteral("[options]"),
                     QStringLiteral("Connects to the camera (or runs the virtual camera in-process), powers it up, "
                                    "collects photons\nfor a while and saves photons.csv, photons.dat, "
                                    "configuration.dat, flood.png and spectrum.png.\nCtrl-C stops the collection "
                                    "early and keeps what was collected."));
    Request request;
    const int parsed = parse(line, a_Arguments, &request);
    if (parsed >= 0)
        return parsed;
    const QDir folder(request.folder);
    if (!QDir().mkpath(request.folder))
        return line.failure(QStringLiteral("cannot create the output folder %1").arg(request.folder));

    InterruptWatcher interrupts;
    CameraLink link(request.camera);
    QString error;
    const bool ready = request.configuration.isEmpty() ? link.connect(&error) && link.powerUp(&error)
                                                       : link.load(request.configuration, &error);
    if (!ready)
        return line.failure(error);
    if (!request.settings.apply(!request.configuration.isEmpty(), &error))
        return line.failure(error);
    if (interrupts.count() > 0)
        return line.failure(QStringLiteral("interrupted before collecting"));

    Terminal::note(QStringLiteral("Collecting for %1 s from the %2 with %3 GMs (%4); Ctrl-C stops early")
                       .arg(request.seconds, 0, 'g', 6)
                       .arg(link.describe())
                       .arg(QuorvelDll::GetNoOfGMs())
                       .arg(request.settings.describe()));
    const QString startTime = QDateTime::currentDateTime().toString(Qt::ISODate);
    if (!QuorvelDll::StartPhotonCollection())
        return line.failure(QStringLiteral("cannot start the collection: %1").arg(CameraLink::lastError()));
    CollectionMonitor monitor;
    RunSummary summary;
    summary.seconds = collect(request, interrupts, &monitor);
    summary.interrupted = interrupts.count() > 0;
    const int batchesBefore = LibraryEvents::decodedBatchCount();
    QString stopError;
    if (!QuorvelDll::StopPhotonCollection())
        stopError = QStringLiteral("cannot stop the collection cleanly: %1").arg(CameraLink::lastError());
    settleDecoding(batchesBefore);
    if (link.virtualCamera())
        link.virtualCamera()->waitForStreamStopped(2000);
    monitor.update();
    Terminal::live(liveLine(monitor, summary.seconds, request.seconds), true);
    Terminal::endLive();

    summary.camera = link.describe();
    if (link.virtualCamera())
        summary.camera += QStringLiteral(", source %1").arg(CamsimOptions::describeSource(request.camera.virtualCamera.source));
    summary.settings = request.settings.describe();
    summary.gms = QuorvelDll::GetNoOfGMs();
    summary.monitor = monitor;
    summary.virtualCamera = link.virtualCamera();
    summary.folder = request.folder;

    if (monitor.packets() == 0) {
        summary.print();
        return line.failure(stopError.isEmpty() ? QStringLiteral("no photons were collected") : stopError);
    }
    // Quick files first, the slow CSV last, so a Ctrl-C during the CSV loses only it.
    const QString datPath = folder.filePath(photonsDat);
    if (!QuorvelDll::SaveBinaryCollection(datPath.toUtf8().constData()))
        return line.failure(QStringLiteral("cannot save %1: %2").arg(datPath, CameraLink::lastError()));
    const QString configPath = folder.filePath(configurationDat);
    if (!QuorvelDll::SaveConfiguration(configPath.toUtf8().constData()))
        return line.failure(QStringLiteral("cannot save %1: %2").arg(configPath, CameraLink::lastError()));
    if (request.hdf5) {
        ConvertRequest hdf5 {datPath, configPath, folder.filePath(photonsH5), summary.seconds, startTime};
        ConvertResult written;
        if (!PhotonConverter::convert(hdf5, &written, &error))
            return line.failure(error);
        Terminal::note(QStringLiteral("Wrote %1: %2 events in %3 packets")
                           .arg(hdf5.output, Terminal::grouped(qint64(written.events)),
                                Terminal::grouped(qint64(written.packets))));
    }

    PhotonTally tally;
    if (!PhotonFile::read(datPath, &tally, &error))
        return line.failure(error);
    const QString caption = QStringLiteral("%1; %2; %3 s")
                                .arg(summary.camera, request.settings.describe())
                                .arg(summary.seconds, 0, 'f', 2);
    if (!PictureWriter::write(tally, request.settings.numbers, request.folder, caption, &summary.pictures, &error))
        return line.failure(error);

    const QString csvPath = folder.filePath(photonsCsv);
    const CsvSaver::Result csv = CsvSaver::save(csvPath, interrupts);
    summary.csvLines = csv.lines;
    summary.csvNote = csv.note;
    summary.print();
    if (!csv.ok)
        return line.failure(csv.note);
    if (!stopError.isEmpty())
        return line.failure(stopError);
    return ExitSuccess;
}

} // namespace tool
