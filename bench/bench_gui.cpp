// quorvel-gui at the camera's top rate against the virtual camera in-process:
// photons lost between camera and flood (photons.dat written meanwhile), picture refreshes per second, and the
// event loop's worst answer time, measured with a timer posted every 10 ms.
#include "camsim/virtualcamera.h"
#include "gui/acquisitionpanel.h"
#include "gui/camerapanel.h"
#include "gui/figuresbar.h"
#include "gui/mainwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCommandLineParser>
#include <QElapsedTimer>
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
                       {QStringLiteral("no-file"), QStringLiteral("Write no photons.dat.")}});
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
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        worstMs = qMax(worstMs, sinceTick.restart() - tickMs);
    });
    qint64 refreshes = 0;
    QObject::connect(&window, &gui::MainWindow::refreshed, [&] { refreshes += window.isCollecting(); });

    QElapsedTimer clock;
    if (!window.startCollecting()) {
        out << "cannot start: " << window.lastError() << "\n";
        return 1;
    }
    clock.start();
    sinceTick.start();
    probe.start(tickMs);
    while (window.isCollecting())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double collected = clock.elapsed() / 1000.0;
    probe.stop();
    while (!window.isIdle())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    window.refresh();

    const camsim::VirtualCamera* camera = window.session().virtualCamera();
    const qint64 sent = camera->photonsSent();
    const qint64 shown = window.snapshot().photons;
    out << QStringLiteral("collected %1 s at %2 packets/s: %3 packets, %4 photons sent, %5 in the flood\n")
               .arg(collected, 0, 'f', 2)
               .arg(QuorvelDll::GetPacketTransferRate())
               .arg(camera->packetsSent())
               .arg(sent)
               .arg(shown);
    out << QStringLiteral("photons lost            %1 (loss reports: %2)\n")
               .arg(sent - shown)
               .arg(window.figuresBar()->lossText().isEmpty() ? QStringLiteral("none") : window.figuresBar()->lossText());
    out << QStringLiteral("refreshes per second    %1\n").arg(refreshes / collected, 0, 'f', 1);
    out << QStringLiteral("worst event-loop delay  %1 ms\n").arg(worstMs);
    const bool ok = sent == shown && refreshes / collected >= 5.0 && worstMs <= 100;
    out << (ok ? "PASS\n" : "FAIL\n");
    return ok ? 0 : 1;
}
