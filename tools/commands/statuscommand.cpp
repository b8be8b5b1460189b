#include "tools/commands/statuscommand.h"

#include "quorveldll.h"
#include "tools/camera/cameralink.h"
#include "tools/camera/gmreadings.h"
#include "tools/commands/commandline.h"
#include "tools/terminal/summarytable.h"

namespace tool {

int StatusCommand::run(const QStringList& a_Arguments)
{
    CommandLine line(QStringLiteral("status"), QStringLiteral("[options]"),
                     QStringLiteral("Powers the camera up and shows its GMs, firmware versions, GM status and the "
                                    "two ADC readings of each GM.\nIt initialises the camera, which stops a collection another program is running "
                                    "on it."));
    CameraOptions::add(&line.parser(), false);
    int exitCode = ExitSuccess;
    if (!line.parseOrExit(a_Arguments, &exitCode))
        return exitCode;
    CameraOptions options;
    QString error;
    if (!line.parser().positionalArguments().isEmpty())
        return line.usageError(QStringLiteral("unexpected argument %1").arg(line.parser().positionalArguments().first()));
    if (!CameraOptions::read(line.parser(), false, &options, &error))
        return line.usageError(error);

    CameraLink link(options);
    if (!link.connect(&error) || !link.powerUp(&error))
        return line.failure(error);
    int gbe = 0;
    if (!QuorvelDll::GetGBEFirmwareVersion(&gbe))
        return line.failure(QStringLiteral("cannot read the firmware version: %1").arg(CameraLink::lastError()));

    SummaryTable table(QStringLiteral("Camera status (%1)").arg(link.describe()));
    table.add(QStringLiteral("Library"), QString::fromStdString(QuorvelDll::GetVersion()));
    table.add(QStringLiteral("GBE firmware"), QStringLiteral("%1 (%2)").arg(GMReadings::hex(gbe, 4)).arg(gbe));
    const QList<int> ids = CameraLink::gmIDs();
    QStringList idTexts;
    for (int id : ids)
        idTexts.append(QString::number(id));
    table.add(QStringLiteral("GMs"), QStringLiteral("%1 (IDs %2)").arg(ids.size()).arg(idTexts.join(QStringLiteral(", "))));
    for (int id : ids) {
        GMReadings readings;
        if (!GMReadings::read(id, &readings, &error))
            return line.failure(error);
        table.add(QStringLiteral("GM %1").arg(id), readings.describe());
    }
    table.print();
    return ExitSuccess;
}

} // namespace tool
