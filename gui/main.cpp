// quorvel-gui: runs the camera (or the virtual camera in-process) and shows the
// flood and the spectrum as they fill. With --screenshot it collects for a while,
// saves the window as PNG and quits.
#include "gui/camerapanel.h"
#include "gui/mainwindow.h"
#include "gui/screenshotrun.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quorvel-gui"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Runs the gamma camera and shows the flood and the spectrum."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("screenshot"), QStringLiteral("Collect from the virtual camera, save the window as PNG, quit."),
         QStringLiteral("file")},
        {QStringLiteral("seconds"), QStringLiteral("Collection time with --screenshot."), QStringLiteral("s"),
         QStringLiteral("5")},
    });
    parser.process(app);

    gui::MainWindow window;
    window.show();
    if (!parser.isSet(QStringLiteral("screenshot")))
        return app.exec();

    bool ok = false;
    const double seconds = parser.value(QStringLiteral("seconds")).toDouble(&ok);
    if (!ok || seconds <= 0) {
        QTextStream(stderr) << "quorvel-gui: --seconds must be a time above 0\n";
        return 2;
    }
    auto* run = new gui::ScreenshotRun(&window, parser.value(QStringLiteral("screenshot")), seconds);
    int status = 1;
    QObject::connect(run, &gui::ScreenshotRun::finished, &app, [&status](bool a_Ok, const QString& a_Message) {
        QTextStream(a_Ok ? stdout : stderr) << (a_Ok ? "" : "quorvel-gui: ") << a_Message << "\n";
        status = a_Ok ? 0 : 1;
        QApplication::quit();
    });
    QTimer::singleShot(0, run, [run, &window] {
        tool::CameraOptions options;
        QString error;
        if (!window.cameraPanel()->options(&options, &error))
            emit run->finished(false, error);
        else
            run->start(options);
    });
    app.exec();
    return status;
}
