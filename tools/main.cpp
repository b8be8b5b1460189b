// quorvel: the command-line tool of the camera library. It uses the library only
// through include/quorveldll.h, as any client would.
#include "quorveldll.h"
#include "tools/commands/acquirecommand.h"
#include "tools/commands/camsimcommand.h"
#include "tools/commands/commandline.h"
#include "tools/commands/configcommand.h"
#include "tools/commands/convertcommand.h"
#include "tools/commands/regcommand.h"
#include "tools/commands/showcommand.h"
#include "tools/commands/statuscommand.h"
#include "tools/terminal/terminal.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <functional>
#include <memory>

namespace {
struct Command {
    const char* name;
    const char* summary;
    bool pictures; // needs fonts, so a (headless) GUI application
    std::function<int(const QStringList&)> run;
};

const Command commands[] = {
    {"acquire", "collect photons and save photons.csv, photons.dat, configuration.dat, flood.png, spectrum.png", true,
     tool::AcquireCommand::run},
    {"show", "draw flood.png and spectrum.png from a saved photons.dat", true, tool::ShowCommand::run},
    {"convert", "write a saved photons.dat as a NeXus/HDF5 event file", false, tool::ConvertCommand::run},
    {"status", "GMs found, firmware versions, GM status, ADC readings", false, tool::StatusCommand::run},
    {"reg", "read or write a system or GM register", false, tool::RegCommand::run},
    {"config", "save or load a configuration file", false, tool::ConfigCommand::run},
    {"camsim", "run the virtual camera on its own", false, tool::CamsimCommand::run},
};

QtMessageHandler g_DefaultHandler = nullptr;

// Qt's platform complains about a missing XDG_RUNTIME_DIR, which only matters
// to programs with windows; everything else goes to Qt's own handler.
void filterMessages(QtMsgType a_Type, const QMessageLogContext& a_Context, const QString& a_Text)
{
    if (a_Type == QtWarningMsg && a_Text.startsWith(QLatin1String("QStandardPaths:")))
        return;
    g_DefaultHandler(a_Type, a_Context, a_Text);
}

QString usage()
{
    QString text = QStringLiteral("Usage: quorvel <command> [options]\n\n"
                                  "Controls and reads out the gamma camera through libQuorvelSharedLib %1.\n"
                                  "Without --camera the commands use a virtual camera run in-process.\n\nCommands:\n")
                       .arg(QString::fromStdString(QuorvelDll::GetVersion()));
    for (const Command& command : commands)
        text += QStringLiteral("  %1  %2\n").arg(QLatin1String(command.name), -8).arg(QLatin1String(command.summary));
    text += QStringLiteral("\nquorvel <command> --help shows the options of a command.");
    return text;
}
} // namespace

int main(int argc, char** argv)
{
    const QString name = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const Command* chosen = nullptr;
    for (const Command& command : commands)
        if (name == QLatin1String(command.name))
            chosen = &command;

    // The pictures are drawn on images, never shown: the minimal platform with
    // fonts needs no display (and, unlike the offscreen one, frees its screen).
    std::unique_ptr<QCoreApplication> app;
    if (chosen && chosen->pictures) {
        g_DefaultHandler = qInstallMessageHandler(filterMessages);
        qputenv("QT_QPA_PLATFORM", "minimal:enable_fonts");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("quorvel"));

    if (!chosen) {
        if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
            tool::Terminal::out(usage());
            return tool::ExitSuccess;
        }
        if (name == QLatin1String("--version")) {
            tool::Terminal::out(QStringLiteral("quorvel %1").arg(QString::fromStdString(QuorvelDll::GetVersion())));
            return tool::ExitSuccess;
        }
        tool::Terminal::note(name.isEmpty() ? usage()
                                            : QStringLiteral("quorvel: unknown command %1 (see quorvel --help)").arg(name));
        return tool::ExitUsage;
    }
    return chosen->run(QCoreApplication::arguments().mid(2));
}
