#include "tools/commands/acquirecommand.h"

#include "camsim/virtualcamera.h"
#include "quorveldll.h"
#include "tools/camera/cameralink.h"
#include "tools/camera/eventwait.h"
#include "tools/camera/interruptwatcher.h"
#include "tools/camera/libraryevents.h"
#include "tools/commands/acquiresettings.h"
#include "tools/commands/camsimoptions.h"
#include "tools/commands/commandline.h"
#include "tools/files/csvwriter.h"
#include "tools/files/outputfolder.h"
#include "tools/files/photonconverter.h"
#include "tools/files/photonfile.h"
#include "tools/files/photonstreamwriter.h"
#include "tools/pictures/picturewriter.h"
#include "tools/terminal/failures.h"
#include "tools/terminal/runsummary.h"
#include "tools/terminal/terminal.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

namespace tool {

namespace {
const QString photonsCsv = QStringLiteral("photons.csv");
const QString photonsDat = QStringLiteral("photons.dat");
const QString configurationDat = QStringLiteral("configuration.dat");
const QString photonsH5 = QStringLiteral("photons.h5");

// Above this many photons photons.csv is written only with --csv.
constexpr qint64 csvLimit = 10000000;
// Bytes per photon of the files, for the room a run needs: a CSV line is at
// most about 40 characters, an HDF5 event about 12 bytes before compression.
constexpr qint64 csvBytesPerPhoton = 40;
constexpr qint64 hdf5BytesPerPhoton = 12;
// Photons in a full packet of 3-byte records, or of 5-byte ones (time detect).
constexpr qint64 photonsPerPacket = 216;
constexpr qint64 photonsPerPacketWithTimeDetect = 130;

struct Request {
    CameraOptions camera;
    AcquireSettings settings;
    double seconds = 5.0;
    double silence = 10.0;
    QString folder;
    QString configuration;
    bool hdf5 = false;
    bool csv = false;
    bool overwrite = false;
    bool force = false;
};

int parse(CommandLine& a_Line, const QStringList& a_Arguments, Request* a_Request)
{
    QCommandLineParser& parser = a_Line.parser();
    CommandLine::addOptions(&parser, {
        {QStringLiteral("seconds"), QStringLiteral("Collection time in seconds."), QStringLiteral("s"),
         QStringLiteral("5")},
        {QStringLiteral("out"), QStringLiteral("Output folder, created if missing; it must be empty."),
         QStringLiteral("dir"), QStringLiteral("run")},
        {QStringLiteral("overwrite"), QStringLiteral("Replace the run in a non-empty output folder: its run files "
                                                     "are removed first.")},
        {QStringLiteral("force"), QStringLiteral("Collect even if the output folder's disk may not hold the run.")},
        {QStringLiteral("config"), QStringLiteral("Configuration file to load first; loading connects to the camera "
                                                  "the file names."),
         QStringLiteral("file")},
        {QStringLiteral("csv"), QStringLiteral("Write photons.csv whatever the run's size (without it, a run of "
                                               "more than 10,000,000 photons has none).")},
        {QStringLiteral("hdf5"), QStringLiteral("Also write photons.h5, the photons as a NeXus/HDF5 event file with "
                                                "the configuration (see quorvel convert --help).")},
        {QStringLiteral("silence"), QStringLiteral("Stop when the camera sends nothing for this many seconds; 0 "
                                                   "waits for ever."),
         QStringLiteral("s"), QStringLiteral("10")},
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
    if (!CommandLine::toDouble(parser.value(QStringLiteral("silence")), &a_Request->silence) || a_Request->silence < 0
        || a_Request->silence > 3600)
        return a_Line.usageError(QStringLiteral("--silence must be 0 to 3600 seconds"));
    a_Request->folder = parser.value(QStringLiteral("out"));
    a_Request->configuration = parser.value(QStringLiteral("config"));
    a_Request->hdf5 = parser.isSet(QStringLiteral("hdf5"));
    a_Request->csv = parser.isSet(QStringLiteral("csv"));
    a_Request->overwrite = parser.isSet(QStringLiteral("overwrite"));
    a_Request->force = parser.isSet(QStringLiteral("force"));
    if (!CameraOptions::read(parser, true, &a_Request->camera, &error)
        || !AcquireSettings::read(parser, &a_Request->settings, &error))
        return a_Line.usageError(error);
    return -1;
}

// The most the run can write, from the packet rate and the records' size.
qint64 expectedBytes(const Request& a_Request)
{
    const bool timeDetect = a_Request.settings.readoutOptions >= 0 && (a_Request.settings.readoutOptions & 2) != 0;
    const double photons = double(QuorvelDll::GetPacketTransferRate()) * a_Request.seconds
        * double(timeDetect ? photonsPerPacketWithTimeDetect : photonsPerPacket);
    double perPhoton = PhotonFile::recordBytes;
    if (a_Request.csv || photons <= double(csvLimit))
        perPhoton += csvBytesPerPhoton;
    if (a_Request.hdf5)
        perPhoton += hdf5BytesPerPhoton;
    return qint64(qMin(photons * perPhoton, 9.0e18));
}

bool checkRoom(const Request& a_Request, const OutputFolder& a_Folder, QString* a_Error)
{
    const qint64 needed = expectedBytes(a_Request);
    const qint64 free = a_Folder.freeBytes();
    if (free < 0)
        return true;
    const QStringList texts {OutputFolder::bytesText(needed), a_Request.folder, OutputFolder::bytesText(free)};
    if (needed > free && !a_Request.force) {
        *a_Error = Failures::text(Failure::NotEnoughSpace, {texts[0], texts[1], texts[2]});
        return false;
    }
    if (needed > free / 10 * 8)
        Terminal::note(Failures::text(Failure::SpaceWarning, {texts[0], texts[1], texts[2]}));
    return true;
}

QString liveLine(const PhotonStreamWriter& a_Writer, double a_Elapsed, double a_Seconds)
{
    const qint64 packets = qint64(QuorvelDll::GetPhotonStreamCounters().packets);
    const double rate = a_Elapsed > 0.0 ? a_Writer.received() / a_Elapsed : 0.0;
    return QStringLiteral("Collecting %1 s of %2 s, %3 s left | %4 packets | %5 photons | %6 photons/s")
        .arg(a_Elapsed, 0, 'f', 1)
        .arg(a_Seconds, 0, 'g', 6)
        .arg(qMax(0.0, a_Seconds - a_Elapsed), 0, 'f', 1)
        .arg(Terminal::grouped(packets), Terminal::grouped(a_Writer.received()), Terminal::grouped(qint64(rate)));
}

// Why a collection ended before its time, other than a signal.
enum class Stop { None, WriteFailed, SystemOff, Silent, ControlDropped };

// Collects until the time is up, a signal, a failed write or a stop from
// outside; returns the seconds collected.
double collect(const Request& a_Request, const InterruptWatcher& a_Interrupts, const PhotonStreamWriter& a_Writer,
               Stop* a_Stop)
{
    QElapsedTimer clock;
    clock.start();
    const qint64 durationMs = qint64(a_Request.seconds * 1000.0);
    const qint64 silenceMs = qint64(a_Request.silence * 1000.0);
    const int systemOffBefore = LibraryEvents::systemOffCount();
    qint64 lastForced = -1000;
    quint64 packets = 0;
    QElapsedTimer quiet;
    quiet.start();
    while (clock.elapsed() < durationMs && a_Interrupts.count() == 0) {
        runEventsFor(int(qMin<qint64>(100, durationMs - clock.elapsed())));
        const quint64 nowPackets = QuorvelDll::GetPhotonStreamCounters().packets;
        if (nowPackets != packets) {
            packets = nowPackets;
            quiet.restart();
        }
        if (a_Writer.failed())
            *a_Stop = Stop::WriteFailed;
        else if (LibraryEvents::systemOffCount() > systemOffBefore)
            *a_Stop = Stop::SystemOff;
        else if (LibraryEvents::controlLinkDropped())
            *a_Stop = Stop::ControlDropped;
        else if (silenceMs > 0 && quiet.elapsed() >= silenceMs)
            *a_Stop = Stop::Silent;
        if (*a_Stop != Stop::None)
            break;
        const bool force = clock.elapsed() - lastForced >= 1000;
        if (force)
            lastForced = clock.elapsed();
        Terminal::live(liveLine(a_Writer, clock.elapsed() / 1000.0, a_Request.seconds), force);
    }
    return clock.elapsed() / 1000.0;
}

// Stops the camera and waits for the stream's last photon. A stop the camera
// cannot be told (its connection is gone) is ended by disconnecting, which ends
// the stream too.
QString stopCollection(PhotonStreamWriter* a_Writer)
{
    QString error;
    if (!QuorvelDll::StopPhotonCollection()) {
        error = QStringLiteral("cannot stop the collection: %1").arg(CameraLink::lastError());
        QuorvelDll::Disconnect();
    }
    // The writer keeps up with the camera, so the end follows soon after the stop;
    // if it does not, the photons read so far are kept.
    qint64 received = -1;
    while (!waitFor([&] { return a_Writer->ended(); }, 10000) && a_Writer->received() != received)
        received = a_Writer->received();
    if (!a_Writer->ended()) {
        a_Writer->abandon();
        error = Failures::text(Failure::StreamDidNotEnd, {Terminal::grouped(a_Writer->written())});
    }
    a_Writer->finish();
    return error;
}

QString stopText(Stop a_Stop, const Request& a_Request)
{
    switch (a_Stop) {
    case Stop::SystemOff: return Failures::text(Failure::SystemSwitchedOff);
    case Stop::Silent: return Failures::text(Failure::CameraSilent, {QString::number(a_Request.silence, 'g', 6)});
    case Stop::ControlDropped: return Failures::text(Failure::ControlLinkDropped);
    case Stop::WriteFailed:
    case Stop::None: break;
    }
    return QString();
}
} // namespace

int AcquireCommand::run(const QStringList& a_Arguments)
{
    CommandLine line(QStringLiteral("acquire"), QStringLiteral("[options]"),
                     QStringLiteral("Connects to the camera (or runs the virtual camera in-process), powers it up, "
                                    "collects photons\nfor a while and saves photons.dat (written while collecting), "
                                    "configuration.dat (the\nsettings), flood.png, spectrum.png and photons.csv (for "
                                    "runs up to 10,000,000 photons, or with\n--csv). Ctrl-C, SIGTERM or SIGHUP stops "
                                    "the collection early and keeps what was collected;\nthe exit status is then 128 "
                                    "plus the signal's number (130, 143, 129)."));
    Request request;
    const int parsed = parse(line, a_Arguments, &request);
    if (parsed >= 0)
        return parsed;
    InterruptWatcher interrupts;
    OutputFolder folder;
    QString error;
    if (!folder.prepare(request.folder, request.overwrite, &error))
        return line.failure(error);

    // The tool keeps only the camera's counts: a list of every packet sent would
    // grow with the run.
    request.camera.virtualCamera.recordSentPackets = false;
    CameraLink link(request.camera);
    const bool ready = request.configuration.isEmpty() ? link.connect(&error) && link.powerUp(&error)
                                                       : link.load(request.configuration, &error);
    if (!ready)
        return line.failure(error);
    if (!request.settings.apply(!request.configuration.isEmpty(), &error))
        return line.failure(error);
    if (!checkRoom(request, folder, &error))
        return line.failure(error);
    // The photons go to the file only: the library's store stays empty.
    if (!QuorvelDll::SetStorePhotons(false) || !QuorvelDll::EnablePhotonStream(0))
        return line.failure(QStringLiteral("cannot stream the photons: %1").arg(CameraLink::lastError()));
    if (interrupts.count() > 0)
        return interrupts.exitCode();

    const QString datPath = folder.filePath(photonsDat);
    PhotonStreamWriter writer;
    if (!writer.open(datPath, &error))
        return line.failure(error);
    writer.start();
    Terminal::note(QStringLiteral("Collecting for %1 s from the %2 with %3 GMs (%4); Ctrl-C stops early")
                       .arg(request.seconds, 0, 'g', 6)
                       .arg(link.describe())
                       .arg(QuorvelDll::GetNoOfGMs())
                       .arg(request.settings.describe()));
    const QString startTime = QDateTime::currentDateTime().toString(Qt::ISODate);
    if (!QuorvelDll::StartPhotonCollection()) {
        const QString reason = CameraLink::lastError();
        writer.abandon();
        writer.finish();
        QFile::remove(datPath);
        return line.failure(QStringLiteral("cannot start the collection: %1").arg(reason));
    }
    RunSummary summary;
    Stop stop = Stop::None;
    summary.seconds = collect(request, interrupts, writer, &stop);
    const QString stopError = stopCollection(&writer);
    if (link.virtualCamera())
        link.virtualCamera()->waitForStreamStopped(2000);
    Terminal::live(liveLine(writer, summary.seconds, request.seconds), true);
    Terminal::endLive();

    summary.camera = link.describe();
    if (link.virtualCamera())
        summary.camera += QStringLiteral(", source %1").arg(CamsimOptions::describeSource(request.camera.virtualCamera.source));
    summary.settings = request.settings.describe();
    summary.gms = QuorvelDll::GetNoOfGMs();
    if (interrupts.count() > 0)
        summary.stoppedEarlyBy = interrupts.describe();
    else if (stop == Stop::WriteFailed)
        summary.stoppedEarlyBy = QStringLiteral("a failed write");
    else if (stop != Stop::None)
        summary.stoppedEarlyBy = QStringLiteral("the camera");
    summary.packets = qint64(QuorvelDll::GetPhotonStreamCounters().packets);
    summary.photons = writer.received();
    summary.photonsSaved = writer.written();
    for (int gm = 1; gm <= 255; ++gm)
        if (writer.tally().photonsOfGM(gm) > 0)
            summary.photonsByGM[gm] = writer.tally().photonsOfGM(gm);
    summary.packetsByGM = writer.packetsByGM();
    summary.virtualCamera = link.virtualCamera();
    summary.folder = request.folder;
    summary.csvText = QStringLiteral("not written");

    // The settings are saved whatever happened; the store is empty, so the file
    // holds no packets.
    const QString configPath = folder.filePath(configurationDat);
    QString configError;
    if (!QuorvelDll::SaveConfiguration(configPath.toUtf8().constData()))
        configError = QStringLiteral("cannot save %1: %2").arg(configPath, CameraLink::lastError());

    if (writer.failed()) {
        summary.print();
        return line.failure(Failures::text(Failure::WriteFailed, {datPath, writer.failure(),
                                                                  Terminal::grouped(writer.written())}));
    }
    if (writer.written() == 0) {
        QFile::remove(datPath);
        QFile::remove(configPath);
        summary.print();
        if (interrupts.count() > 0)
            return interrupts.exitCode();
        return line.failure(!stopText(stop, request).isEmpty() ? stopText(stop, request)
                            : stopError.isEmpty()              ? Failures::text(Failure::NoPhotons)
                                                               : stopError);
    }

    const QString caption = QStringLiteral("%1; %2; %3 s")
                                .arg(summary.camera, request.settings.describe())
                                .arg(summary.seconds, 0, 'f', 2);
    QString pictureError;
    if (!PictureWriter::write(writer.tally(), request.settings.numbers, request.folder, caption, &summary.pictures,
                              &pictureError))
        summary.pictures = PictureFacts();

    QString hdf5Error;
    if (request.hdf5) {
        ConvertRequest hdf5 {datPath, configError.isEmpty() ? configPath : QString(), folder.filePath(photonsH5),
                             summary.seconds, startTime};
        ConvertResult written;
        if (PhotonConverter::convert(hdf5, &written, &hdf5Error))
            summary.hdf5Text = QStringLiteral("%1 events in %2 packets")
                                   .arg(Terminal::grouped(qint64(written.events)), Terminal::grouped(qint64(written.packets)));
        else
            summary.hdf5Text = QStringLiteral("not written: %1").arg(hdf5Error);
    }

    // The CSV last: it is the slowest, and a signal during it loses only it.
    QString csvError;
    if (request.csv || writer.written() <= csvLimit) {
        const int signalsBefore = interrupts.count();
        const CsvWriter::Result csv = CsvWriter::write(datPath, folder.filePath(photonsCsv),
                                                       [&] { return interrupts.count() > signalsBefore; });
        if (csv.ok) {
            summary.csvText = QStringLiteral("%1 lines").arg(Terminal::grouped(csv.lines));
        } else {
            summary.csvText = csv.partialPath.isEmpty()
                ? QStringLiteral("not written: %1").arg(csv.note)
                : QStringLiteral("unfinished (%1): %2 lines kept as %3")
                      .arg(csv.note, Terminal::grouped(csv.lines), QFileInfo(csv.partialPath).fileName());
            if (interrupts.count() == signalsBefore)
                csvError = Failures::text(Failure::CsvUnfinished, {folder.filePath(photonsCsv), csv.note});
        }
    } else {
        summary.csvText = QStringLiteral("not written: more than %1 photons (give --csv to write it)")
                              .arg(Terminal::grouped(csvLimit));
    }
    summary.print();

    if (interrupts.count() > 0)
        return interrupts.exitCode();
    for (const QString& failure : {stopText(stop, request), stopError, configError, pictureError, hdf5Error, csvError})
        if (!failure.isEmpty())
            return line.failure(failure);
    return ExitSuccess;
}

} // namespace tool
