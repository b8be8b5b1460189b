#include "tools/commands/cameraoptions.h"

#include "tools/commands/camsimoptions.h"
#include "tools/commands/commandline.h"

#include <QHostAddress>

namespace tool {

void CameraOptions::add(QCommandLineParser* a_Parser, bool a_SourceOptions)
{
    CommandLine::addOptions(a_Parser, {
        {QStringLiteral("camera"), QStringLiteral("IP address of a real camera. Without it the tool runs the "
                                                  "virtual camera in-process on a free loopback address."),
         QStringLiteral("ip")},
        {QStringLiteral("host"), QStringLiteral("IP address of this machine on the camera's network "
                                                "(needed with --camera)."),
         QStringLiteral("ip")},
        {{QStringLiteral("v"), QStringLiteral("verbose")}, QStringLiteral("Print the library's status texts.")},
    });
    if (a_SourceOptions)
        CamsimOptions::add(a_Parser, CamsimOptions::Embedded);
}

bool CameraOptions::read(const QCommandLineParser& a_Parser, bool a_SourceOptions, CameraOptions* a_Options,
                         QString* a_Error)
{
    a_Options->cameraAddress = a_Parser.value(QStringLiteral("camera"));
    a_Options->hostAddress = a_Parser.value(QStringLiteral("host"));
    a_Options->verbose = a_Parser.isSet(QStringLiteral("verbose"));
    for (const QString& name : {QStringLiteral("camera"), QStringLiteral("host")}) {
        const QString value = a_Parser.value(name);
        if (a_Parser.isSet(name) && QHostAddress(value).protocol() != QAbstractSocket::IPv4Protocol) {
            *a_Error = QStringLiteral("--%1 %2 is not an IPv4 address").arg(name, value);
            return false;
        }
    }
    if (a_Options->isEmbedded()) {
        if (a_Parser.isSet(QStringLiteral("host"))) {
            *a_Error = QStringLiteral("--host needs --camera (the virtual camera picks its own address)");
            return false;
        }
        return !a_SourceOptions || CamsimOptions::read(a_Parser, CamsimOptions::Embedded, &a_Options->virtualCamera, a_Error);
    }
    if (a_Options->hostAddress.isEmpty()) {
        *a_Error = QStringLiteral("--camera needs --host, the address of this machine on the camera's network");
        return false;
    }
    if (a_SourceOptions) {
        for (const QString& name : CamsimOptions::sourceOptionNames()) {
            if (a_Parser.isSet(name)) {
                *a_Error = QStringLiteral("--%1 applies to the virtual camera only, not with --camera").arg(name);
                return false;
            }
        }
    }
    return true;
}

} // namespace tool
