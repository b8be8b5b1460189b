#include "tools/commands/statuscommand.h"

#include "quorveldll.h"
#include "tools/camera/cameralink.h"
#include "tools/commands/commandline.h"
#include "tools/terminal/summarytable.h"

namespace tool {

namespace {
QString hex(int a_Value, int a_Digits)
{
    return QStringLiteral("0x%1").arg(a_Value, a_Digits, 16, QLatin1Char('0'));
}

// 12-bit ADC over a 2 V span; the library's own volts are whole volts only.
QString adc(int a_Reading)
{
    return QStringLiteral("%1 (%2 V)").arg(a_Reading).arg(2.0 * a_Reading / 4096.0, 0, 'f', 3);
}

bool describeGM(int a_GMID, QString* a_Text, QString* a_Error)
{
    int firmware = 0;
    int status = 0;
    int adc1 = 0;
    int adc2 = 0;
    int volts = 0;
    if (!QuorvelDll::SetActiveGM(a_GMID) || !QuorvelDll::GetGMFirmwareVersion(&firmware)
        || !QuorvelDll::GetGMStatus(&status) || !QuorvelDll::ReadGMADC1(&adc1, &volts)
        || !QuorvelDll::ReadGMADC2(&adc2, &volts)) {
        *a_Error = QStringLiteral("cannot read GM %1: %2").arg(a_GMID).arg(CameraLink::lastError());
        return false;
    }
    *a_Text = QStringLiteral("firmware %1, status %2, ADC 1 %3, ADC 2 %4")
                  .arg(hex(firmware & 0xFF, 2), hex(status & 0xFF, 2), adc(adc1), adc(adc2));
    return true;
}
} // namespace

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
    table.add(QStringLiteral("GBE firmware"), QStringLiteral("%1 (%2)").arg(hex(gbe, 4)).arg(gbe));
    const QList<int> ids = CameraLink::gmIDs();
    QStringList idTexts;
    for (int id : ids)
        idTexts.append(QString::number(id));
    table.add(QStringLiteral("GMs"), QStringLiteral("%1 (IDs %2)").arg(ids.size()).arg(idTexts.join(QStringLiteral(", "))));
    for (int id : ids) {
        QString text;
        if (!describeGM(id, &text, &error))
            return line.failure(error);
        table.add(QStringLiteral("GM %1").arg(id), text);
    }
    table.print();
    return ExitSuccess;
}

} // namespace tool
