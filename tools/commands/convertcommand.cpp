#include "tools/commands/convertcommand.h"

#include "tools/commands/commandline.h"
#include "tools/files/photonconverter.h"
#include "tools/terminal/summarytable.h"
#include "tools/terminal/terminal.h"

#include <QDir>
#include <QFileInfo>

namespace tool {

int ConvertCommand::run(const QStringList& a_Arguments)
{
    CommandLine line(
        QStringLiteral("convert"), QStringLiteral("[options] photons.dat run.h5"),
        QStringLiteral(
            "Writes a binary collection file (the photons.dat of quorvel acquire) as an HDF5 file laid out as\n"
            "NeXus event data: /entry/events (NXevent_data) with event_id (camera pixel 1..484), event_pixel,\n"
            "event_energy, event_energy_positive, event_time_detect and event_time_detect_positive (when the\n"
            "collection has time detect values), and per packet event_index, packet_gm and packet_header_word;\n"
            "/entry/data (NXdata) links event_id, event_energy and event_index.\n"
            "The configuration file named by --config, or else the configuration.dat beside photons.dat, adds\n"
            "its system and GM settings under /entry/configuration, and its pixel mapping and packet list are\n"
            "used: packets without photons are kept when that list holds exactly the photons of photons.dat.\n"
            "Without one, a packet is a run of records with the same GM and header word. The output name\n"
            "must end in .h5, .hdf5, .nxs or .nx5; an existing file of that name is replaced."));
    QCommandLineParser& parser = line.parser();
    parser.addPositionalArgument(QStringLiteral("photons.dat"), QStringLiteral("Binary collection file."));
    parser.addPositionalArgument(QStringLiteral("run.h5"), QStringLiteral("HDF5 file to write."));
    CommandLine::addOptions(&parser, {
        {QStringLiteral("config"), QStringLiteral("Configuration file of the collection (default: configuration.dat "
                                                  "beside photons.dat, if there is one)."),
         QStringLiteral("file")},
        {QStringLiteral("no-config"), QStringLiteral("Use no configuration file.")},
    });
    int exitCode = ExitSuccess;
    if (!line.parseOrExit(a_Arguments, &exitCode))
        return exitCode;
    const QStringList files = parser.positionalArguments();
    if (files.size() != 2)
        return line.usageError(QStringLiteral("expected a binary collection file and an HDF5 file name"));
    if (parser.isSet(QStringLiteral("config")) && parser.isSet(QStringLiteral("no-config")))
        return line.usageError(QStringLiteral("--config and --no-config exclude each other"));
    ConvertRequest request;
    request.photons = files[0];
    request.output = files[1];
    if (!PhotonConverter::isHdf5Name(request.output))
        return line.usageError(QStringLiteral("%1: the HDF5 file needs a .h5, .hdf5, .nxs or .nx5 name").arg(request.output));
    if (parser.isSet(QStringLiteral("config"))) {
        request.configuration = parser.value(QStringLiteral("config"));
    } else if (!parser.isSet(QStringLiteral("no-config"))) {
        const QString beside = QFileInfo(request.photons).absoluteDir().filePath(QStringLiteral("configuration.dat"));
        if (QFileInfo(beside).isFile())
            request.configuration = beside;
    }

    ConvertResult result;
    QString error;
    if (!PhotonConverter::convert(request, &result, &error))
        return line.failure(error);
    SummaryTable table(QStringLiteral("Converted %1").arg(request.photons));
    table.add(QStringLiteral("Events"), Terminal::grouped(qint64(result.events)));
    table.add(QStringLiteral("Packets"), QStringLiteral("%1 (from the %2)")
                                             .arg(Terminal::grouped(qint64(result.packets)), result.packetsFrom));
    table.add(QStringLiteral("Pixel numbers"), result.pixelNumbers);
    if (result.unplaced > 0)
        table.add(QStringLiteral("Not placed"), QStringLiteral("%1 events").arg(Terminal::grouped(qint64(result.unplaced))));
    table.add(QStringLiteral("Time detect"), result.timeDetect ? QStringLiteral("yes") : QStringLiteral("no"));
    table.add(QStringLiteral("Configuration"), request.configuration.isEmpty() ? QStringLiteral("none")
                                                                               : request.configuration);
    table.add(QStringLiteral("HDF5 file"), request.output);
    table.print();
    return ExitSuccess;
}

} // namespace tool
