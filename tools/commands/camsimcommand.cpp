#include "tools/commands/camsimcommand.h"

#include "camsim/virtualcamera.h"
#include "tools/commands/camsimoptions.h"
#include "tools/commands/commandline.h"
#include "tools/camera/embeddedcamera.h"
#include "tools/camera/eventwait.h"
#include "tools/camera/interruptwatcher.h"
#include "tools/terminal/terminal.h"


namespace tool {

int CamsimCommand::run(const QStringList& a_Arguments)
{
    CommandLine line(QStringLiteral("camsim"), QStringLiteral("[options]"),
                     QStringLiteral("Runs the virtual camera until Ctrl-C: register requests on TCP 20483 (control) "
                                    "and 20484 (simulator),\nstatus records on TCP 20485, data packets over UDP while "
                                    "collecting."));
    CamsimOptions::add(&line.parser(), CamsimOptions::Standalone);
    int exitCode = ExitSuccess;
    if (!line.parseOrExit(a_Arguments, &exitCode))
        return exitCode;
    camsim::CameraConfig config;
    QString error;
    if (!line.parser().positionalArguments().isEmpty())
        return line.usageError(QStringLiteral("unexpected argument %1").arg(line.parser().positionalArguments().first()));
    if (!CamsimOptions::read(line.parser(), CamsimOptions::Standalone, &config, &error))
        return line.usageError(error);

    InterruptWatcher interrupts;
    const std::unique_ptr<camsim::VirtualCamera> camera = EmbeddedCamera::start(config, false, &error);
    if (!camera)
        return line.failure(error);
    Terminal::note(QStringLiteral("Virtual camera listening on %1 (source %2); Ctrl-C stops it")
                       .arg(config.address, CamsimOptions::describeSource(config.source)));
    while (interrupts.count() == 0)
        runEventsFor(200);
    camera->stop();
    Terminal::out(QStringLiteral("Sent %1 packets, %2 photons in %3 datagrams")
                      .arg(Terminal::grouped(camera->packetsSent()), Terminal::grouped(camera->photonsSent()),
                           Terminal::grouped(camera->datagramsSent())));
    return ExitSuccess;
}

} // namespace tool
