#include "tools/commands/configcommand.h"

#include "quorveldll.h"
#include "tools/camera/cameralink.h"
#include "tools/camera/collectionmonitor.h"
#include "tools/commands/commandline.h"
#include "tools/terminal/summarytable.h"
#include "tools/terminal/terminal.h"

#include <QFileInfo>

namespace tool {

namespace {
int save(const CommandLine& a_Line, const CameraOptions& a_Options, const QString& a_Path)
{
    CameraLink link(a_Options);
    QString error;
    if (!link.connect(&error) || !link.powerUp(&error))
        return a_Line.failure(error);
    if (!QuorvelDll::SaveConfiguration(a_Path.toUtf8().constData()))
        return a_Line.failure(QStringLiteral("cannot save %1: %2").arg(a_Path, CameraLink::lastError()));
    SummaryTable table(QStringLiteral("Configuration saved"));
    table.add(QStringLiteral("Camera"), link.describe());
    table.add(QStringLiteral("GMs"), QString::number(QuorvelDll::GetNoOfGMs()));
    table.add(QStringLiteral("File"), QStringLiteral("%1 (%2 bytes)").arg(a_Path, Terminal::grouped(QFileInfo(a_Path).size())));
    table.print();
    return ExitSuccess;
}

int load(const CommandLine& a_Line, const CameraOptions& a_Options, const QString& a_Path)
{
    CameraLink link(a_Options);
    QString error;
    if (!link.load(a_Path, &error))
        return a_Line.failure(error);
    CollectionMonitor packets;
    packets.update();
    SummaryTable table(QStringLiteral("Configuration loaded from %1").arg(a_Path));
    table.add(QStringLiteral("Camera"), link.describe());
    table.add(QStringLiteral("GMs"), QString::number(QuorvelDll::GetNoOfGMs()));
    const int loaded = QuorvelDll::GetNoOfLoadedGMs();
    if (loaded > 0)
        table.add(QStringLiteral("GMs kept aside"), QStringLiteral("%1: the file's GM count differs from the camera's").arg(loaded));
    table.add(QStringLiteral("Pixel mapping"), QuorvelDll::GetPixelMappingMode() == PIXEL_MAPPING_MODE_GLOBAL
                                                   ? QStringLiteral("global")
                                                   : QStringLiteral("local"));
    table.add(QStringLiteral("Packet rate"), QStringLiteral("%1 packets/s").arg(QuorvelDll::GetPacketTransferRate()));
    table.add(QStringLiteral("Packets"), Terminal::grouped(packets.packets()));
    table.add(QStringLiteral("Photons"), Terminal::grouped(packets.photons()));
    table.print();
    return ExitSuccess;
}
} // namespace

int ConfigCommand::run(const QStringList& a_Arguments)
{
    CommandLine line(QStringLiteral("config"), QStringLiteral("[options] save|load file.dat"),
                     QStringLiteral("save: powers the camera up and saves its configuration (system settings, every "
                                    "GM and ASIC).\nload: loads a configuration file, which connects to the camera "
                                    "the file names, powers it up and\nwrites every setting; the file's collected "
                                    "packets are loaded too. Without --camera a loopback\naddress in the file gets "
                                    "the virtual camera."));
    QCommandLineParser& parser = line.parser();
    parser.addPositionalArgument(QStringLiteral("save|load"), QStringLiteral("What to do."));
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("Configuration file, suffix .dat."));
    CameraOptions::add(&parser, false);
    int exitCode = ExitSuccess;
    if (!line.parseOrExit(a_Arguments, &exitCode))
        return exitCode;
    const QStringList args = parser.positionalArguments();
    if (args.size() != 2 || (args[0] != QLatin1String("save") && args[0] != QLatin1String("load")))
        return line.usageError(QStringLiteral("expected save or load and one file"));
    if (args[0] == QLatin1String("save") && QFileInfo(args[1]).suffix().toLower() != QLatin1String("dat"))
        return line.usageError(QStringLiteral("%1: a configuration file needs a .dat name").arg(args[1]));
    CameraOptions options;
    QString error;
    if (!CameraOptions::read(parser, false, &options, &error))
        return line.usageError(error);
    return args[0] == QLatin1String("save") ? save(line, options, args[1]) : load(line, options, args[1]);
}

} // namespace tool
