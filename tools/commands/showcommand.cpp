#include "tools/commands/showcommand.h"

#include "tools/commands/commandline.h"
#include "tools/files/photonfile.h"
#include "tools/pictures/picturewriter.h"
#include "tools/terminal/summarytable.h"
#include "tools/terminal/terminal.h"

#include <QDir>
#include <QFileInfo>

namespace tool {

int ShowCommand::run(const QStringList& a_Arguments)
{
    CommandLine line(QStringLiteral("show"), QStringLiteral("[options] photons.dat"),
                     QStringLiteral("Draws flood.png and spectrum.png from a binary collection file "
                                    "(the photons.dat of quorvel acquire)."));
    QCommandLineParser& parser = line.parser();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("Binary collection file."));
    CommandLine::addOptions(&parser, {
        {QStringLiteral("out"), QStringLiteral("Folder for the pictures (default: the file's folder)."),
         QStringLiteral("dir")},
        {QStringLiteral("mapping"), QStringLiteral("Pixel numbers in the file: global (camera pixels 1..484), "
                                                   "local (1..121 per GM) or auto."),
         QStringLiteral("mode"), QStringLiteral("auto")},
    });
    int exitCode = ExitSuccess;
    if (!line.parseOrExit(a_Arguments, &exitCode))
        return exitCode;
    if (parser.positionalArguments().size() != 1)
        return line.usageError(QStringLiteral("expected one binary collection file"));
    const QString path = parser.positionalArguments().first();
    const QString mapping = parser.value(QStringLiteral("mapping"));
    if (mapping != QLatin1String("auto") && mapping != QLatin1String("global") && mapping != QLatin1String("local"))
        return line.usageError(QStringLiteral("unknown --mapping %1: expected auto, global or local").arg(mapping));
    const QString folder = parser.isSet(QStringLiteral("out")) ? parser.value(QStringLiteral("out"))
                                                               : QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return line.failure(QStringLiteral("cannot create the output folder %1").arg(folder));

    PhotonTally tally;
    QString error;
    if (!PhotonFile::read(path, &tally, &error, mapping == QLatin1String("global") ? 1 : 0))
        return line.failure(error);
    PixelNumbers numbers = tally.detectNumbers();
    if (mapping == QLatin1String("global"))
        numbers = PixelNumbers::Camera;
    else if (mapping == QLatin1String("local"))
        numbers = PixelNumbers::GM;
    const QString caption = QStringLiteral("from %1; %2 pixel numbers")
                                .arg(QFileInfo(path).fileName(), numbers == PixelNumbers::Camera ? QStringLiteral("global")
                                                                                                 : QStringLiteral("local"));
    PictureFacts facts;
    if (!PictureWriter::write(tally, numbers, folder, caption, &facts, &error))
        return line.failure(error);

    SummaryTable table(QStringLiteral("Collection %1").arg(path));
    table.add(QStringLiteral("Photons"), Terminal::grouped(tally.photons()));
    for (int gm = 1; gm <= 255; ++gm)
        if (tally.photonsOfGM(gm) > 0)
            table.add(QStringLiteral("GM %1").arg(gm), QStringLiteral("%1 photons").arg(Terminal::grouped(tally.photonsOfGM(gm))));
    table.add(QStringLiteral("Pixel numbers"), numbers == PixelNumbers::Camera ? QStringLiteral("global") : QStringLiteral("local"));
    table.add(QStringLiteral("Photopeak"), facts.peakText());
    if (facts.brightestPixel > 0)
        table.add(QStringLiteral("Brightest pixel"), facts.brightestText());
    if (facts.unplaced > 0)
        table.add(QStringLiteral("Not on the flood"), QStringLiteral("%1 photons").arg(Terminal::grouped(facts.unplaced)));
    table.add(QStringLiteral("flood.png"), facts.floodPath);
    table.add(QStringLiteral("spectrum.png"), facts.spectrumPath);
    table.print();
    return ExitSuccess;
}

} // namespace tool
