// quorvel-gui at the camera's top rate against the virtual camera in-process:
// photons lost between camera and flood (photons.dat written meanwhile), picture refreshes per second, and the
// event loop's worst answer time, measured with a timer posted every 10 ms.
// Options: --seconds N (10), --no-file, --json PATH (no JSON without it).
#include "bench/benchsupport.h"
#include "camsim/virtualcamera.h"
#include "gui/acquisitionpanel.h"
#include "gui/camerapanel.h"
#include "gui/figuresbar.h"
#include "gui/mainwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOptions({{QStringLiteral("seconds"), QStringLiteral("Collection time."), QStringLiteral("s"),
                        QStringLiteral("10")},
                       {QStringLiteral("no-file"), QStringLiteral("Write no photons.dat.")},
                       {QStringLiteral("json"), QStringLiteral("Write the figures to this file."), QStringLiteral("path")}});
    parser.process(app);
    QTextStream out(stdout);
    const double seconds = parser.value(QStringLiteral("seconds")).toDouble();

    QTemporaryDir folder;
    gui::MainWindow window;
    window.show();
    tool::CameraOptions options;
    QString error;
    window.cameraPanel()->options(&options, &error);
    options.virtualCamera.source.kind = camsim::SourceKind::Flood;
    if (!window.connectCamera(options)) {
        out << "cannot connect: " << window.lastError() << "\n";
        return 1;
    }
    window.cameraPanel()->setPacketRate(63000);
    window.acquisitionPanel()->setSeconds(seconds);
    window.acquisitionPanel()->setFolder(folder.path());
    window.acquisitionPanel()->findChildren<QCheckBox*>().first()->setChecked(!parser.isSet(QStringLiteral("no-file")));

    // The probe: how late each 10 ms tick comes while collecting.
    constexpr int tickMs = 10;
    QElapsedTimer sinceTick;
    qint64 worstMs = 0;
    double worstAt = 0; // seconds into the collection
    QElapsedTimer clock;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 late = sinceTick.restart() - tickMs;
        if (late > worstMs) {
            worstMs = late;
            worstAt = clock.elapsed() / 1000.0;
        }
    });
    qint64 refreshes = 0;
    QObject::connect(&window, &gui::MainWindow::refreshed, [&] { refreshes += window.isCollecting(); });

    if (!window.startCollecting()) {
        out << "cannot start: " << window.lastError() << "\n";
        return 1;
    }
    clock.start();
    sinceTick.start();
    probe.start(tickMs);
    // The one-argument processEvents blocks until an event comes (the probe's ticks
    // and the window's refresh timer); the timed overload drops WaitForMoreEvents
    // and would spin, taking a core from the camera and the reader.
    while (window.isCollecting())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double collected = clock.elapsed() / 1000.0;
    probe.stop();
    while (!window.isIdle())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    window.refresh();

    const camsim::VirtualCamera* camera = window.session().virtualCamera();
    const qint64 sent = camera->photonsSent();
    const qint64 shown = window.snapshot().photons;
    const bool withFile = !parser.isSet(QStringLiteral("no-file"));
    const qint64 filed = QFileInfo(QDir(folder.path()).filePath(QStringLiteral("photons.dat"))).size() / 11;
    out << QStringLiteral("collected %1 s at %2 packets/s: %3 packets, %4 photons sent, %5 in the flood\n")
               .arg(collected, 0, 'f', 2)
               .arg(QuorvelDll::GetPacketTransferRate())
               .arg(camera->packetsSent())
               .arg(sent)
               .arg(shown);
    out << QStringLiteral("photons lost            %1 (loss reports: %2)\n")
               .arg(sent - shown)
               .arg(window.figuresBar()->lossText().isEmpty() ? QStringLiteral("none") : window.figuresBar()->lossText());
    if (withFile)
        out << QStringLiteral("photons in photons.dat  %1\n").arg(filed);
    out << QStringLiteral("refreshes per second    %1\n").arg(refreshes / collected, 0, 'f', 1);
    out << QStringLiteral("worst event-loop delay  %1 ms (at %2 s)\n").arg(worstMs).arg(worstAt, 0, 'f', 2);
    const bool ok = sent == shown && (!withFile || filed == sent) && refreshes / collected >= 5.0 && worstMs <= 100;
    out << (ok ? "PASS\n" : "FAIL\n");
    if (parser.isSet(QStringLiteral("json"))) {
        const QJsonObject figures{{"machine", bench::MachineDescription()},
                                  {"with_file", withFile},
                                  {"seconds", collected},
                                  {"packets_per_second", camera->packetsSent() / collected},
                                  {"photons_sent", sent},
                                  {"photons_lost", sent - shown},
                                  {"photons_in_file", withFile ? filed : 0},
                                  {"refreshes_per_second", refreshes / collected},
                                  {"worst_delay_ms", worstMs},
                                  {"passed", ok}};
        if (!bench::WriteJson(parser.value(QStringLiteral("json")), figures))
            return 1;
    }
    return ok ? 0 : 1;
}
