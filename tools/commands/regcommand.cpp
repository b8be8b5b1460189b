#include "tools/commands/regcommand.h"

#include "core/registermap.h"
#include "quorveldll.h"
#include "tools/camera/cameralink.h"
#include "tools/commands/commandline.h"
#include "tools/terminal/terminal.h"

namespace tool {

namespace {
struct Access {
    bool write = false;
    int reg = 0;
    int value = 0;
    int gm = 0; // 0: a system register
};

int parse(CommandLine& a_Line, const QStringList& a_Arguments, Access* a_Access, CameraOptions* a_Options)
{
    QCommandLineParser& parser = a_Line.parser();
    parser.addPositionalArgument(QStringLiteral("read|write"), QStringLiteral("Read or write a register."));
    parser.addPositionalArgument(QStringLiteral("register"), QStringLiteral("Register number (decimal or 0x hex)."));
    parser.addPositionalArgument(QStringLiteral("value"), QStringLiteral("For write: the value, 16 bits for a system "
                                                                         "register, 8 bits for a GM register."));
    parser.addOption({QStringLiteral("gm"), QStringLiteral("Address a register of the GM with this ID (as `quorvel "
                                                           "status` lists them) instead of a system register."),
                      QStringLiteral("id")});
    CameraOptions::add(&parser, false);
    int exitCode = ExitSuccess;
    if (!a_Line.parseOrExit(a_Arguments, &exitCode))
        return exitCode;
    const QStringList args = parser.positionalArguments();
    if (args.isEmpty() || (args[0] != QLatin1String("read") && args[0] != QLatin1String("write")))
        return a_Line.usageError(QStringLiteral("expected read or write"));
    a_Access->write = args[0] == QLatin1String("write");
    if (args.size() != (a_Access->write ? 3 : 2))
        return a_Line.usageError(a_Access->write ? QStringLiteral("write needs a register and a value")
                                                 : QStringLiteral("read needs one register"));
    if (!CommandLine::toInt(args[1], &a_Access->reg) || a_Access->reg < RegisterMap::FIRST
        || a_Access->reg > RegisterMap::LAST)
        return a_Line.usageError(QStringLiteral("bad register %1: expected %2 to %3")
                                     .arg(args[1])
                                     .arg(RegisterMap::FIRST)
                                     .arg(RegisterMap::LAST));
    if (parser.isSet(QStringLiteral("gm"))
        && (!CommandLine::toInt(parser.value(QStringLiteral("gm")), &a_Access->gm) || a_Access->gm < 1))
        return a_Line.usageError(QStringLiteral("bad --gm %1").arg(parser.value(QStringLiteral("gm"))));
    const int limit = a_Access->gm > 0 ? 0xFF : 0xFFFF;
    if (a_Access->write && (!CommandLine::toInt(args[2], &a_Access->value) || a_Access->value < 0 || a_Access->value > limit))
        return a_Line.usageError(QStringLiteral("bad value %1: expected 0 to %2").arg(args[2]).arg(limit));
    QString error;
    if (!CameraOptions::read(parser, false, a_Options, &error))
        return a_Line.usageError(error);
    return -1;
}
} // namespace

int RegCommand::run(const QStringList& a_Arguments)
{
    CommandLine line(QStringLiteral("reg"), QStringLiteral("[options] read|write register [value]"),
                     QStringLiteral("Reads or writes one camera register: a system register (16 bits), or with --gm "
                                    "a register of one GM (8 bits).\nIt initialises the camera, which stops a collection another program is "
                                    "running on it."));
    Access access;
    CameraOptions options;
    const int parsed = parse(line, a_Arguments, &access, &options);
    if (parsed >= 0)
        return parsed;

    CameraLink link(options);
    QString error;
    // GM registers need the GMs, which the camera announces as it powers up.
    if (!link.connect(&error) || (access.gm > 0 && !link.powerUp(&error)))
        return line.failure(error);
    if (access.gm > 0 && !QuorvelDll::SetActiveGM(access.gm)) {
        QStringList ids;
        for (int id : CameraLink::gmIDs())
            ids.append(QString::number(id));
        return line.failure(QStringLiteral("the camera has no GM with ID %1 (its GMs: %2)")
                                .arg(access.gm)
                                .arg(ids.isEmpty() ? QStringLiteral("none") : ids.join(QStringLiteral(", "))));
    }

    const QString name = access.gm > 0 ? QStringLiteral("GM %1 register %2").arg(access.gm).arg(access.reg)
                                       : QStringLiteral("register %1").arg(access.reg);
    bool ok = false;
    int value = access.value;
    if (access.gm > 0 && access.write) {
        ok = QuorvelDll::GMRegWrite(access.reg, static_cast<unsigned char>(value));
    } else if (access.gm > 0) {
        unsigned char byte = 0;
        ok = QuorvelDll::GMRegRead(access.reg, &byte);
        value = byte;
    } else if (access.write) {
        ok = QuorvelDll::RegWrite(access.reg, static_cast<unsigned char>(value >> 8), static_cast<unsigned char>(value));
    } else {
        unsigned char msb = 0;
        unsigned char lsb = 0;
        ok = QuorvelDll::RegRead(access.reg, &msb, &lsb);
        value = msb << 8 | lsb;
    }
    if (!ok)
        return line.failure(CameraLink::lastError());
    const int digits = access.gm > 0 ? 2 : 4;
    Terminal::out(QStringLiteral("%1 %2 0x%3 (%4)")
                      .arg(name, access.write ? QStringLiteral("written:") : QStringLiteral("="))
                      .arg(value, digits, 16, QLatin1Char('0'))
                      .arg(value));
    return ExitSuccess;
}

} // namespace tool
