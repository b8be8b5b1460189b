#include "tools/terminal/runsummary.h"

#include "camsim/virtualcamera.h"
#include "tools/pictures/floodimage.h"
#include "tools/camera/libraryevents.h"
#include "tools/pictures/spectrumplot.h"
#include "tools/terminal/summarytable.h"
#include "tools/terminal/terminal.h"

#include <QDir>
#include <QFileInfo>

namespace tool {

namespace {
QString fileSize(const QString& a_Path)
{
    const QFileInfo info(a_Path);
    return info.exists() ? QStringLiteral("%1 bytes").arg(Terminal::grouped(info.size())) : QStringLiteral("not written");
}
} // namespace

void RunSummary::print() const
{
    SummaryTable table(QStringLiteral("Acquisition summary"));
    table.add(QStringLiteral("Camera"), camera);
    table.add(QStringLiteral("Settings"), settings);
    table.add(QStringLiteral("GMs"), QString::number(gms));
    table.add(QStringLiteral("Collection time"), QStringLiteral("%1 s%2").arg(seconds, 0, 'f', 2)
                                                     .arg(interrupted ? QStringLiteral(" (stopped early by Ctrl-C)") : QString()));
    table.add(QStringLiteral("Packets"), Terminal::grouped(monitor.packets()));
    table.add(QStringLiteral("Photons"), Terminal::grouped(monitor.photons()));
    table.add(QStringLiteral("Photon rate"),
              QStringLiteral("%1 photons/s").arg(Terminal::grouped(seconds > 0 ? qint64(monitor.photons() / seconds) : 0)));
    for (const int gm : monitor.gmIds())
        table.add(QStringLiteral("GM %1").arg(gm), QStringLiteral("%1 photons in %2 packets")
                                                      .arg(Terminal::grouped(monitor.photonsOfGM(gm)),
                                                           Terminal::grouped(monitor.packetsOfGM(gm))));
    if (virtualCamera) {
        const qint64 sentPackets = virtualCamera->packetsSent();
        const qint64 sentPhotons = virtualCamera->photonsSent();
        table.add(QStringLiteral("Camera sent"), QStringLiteral("%1 packets, %2 photons")
                                                     .arg(Terminal::grouped(sentPackets), Terminal::grouped(sentPhotons)));
        if (sentPackets != monitor.packets() || sentPhotons != monitor.photons())
            table.add(QStringLiteral("Not collected"), QStringLiteral("%1 packets, %2 photons of those sent")
                                                           .arg(Terminal::grouped(sentPackets - monitor.packets()),
                                                                Terminal::grouped(sentPhotons - monitor.photons())));
    }
    if (LibraryEvents::droppedDatagrams() > 0)
        table.add(QStringLiteral("Datagrams lost"), Terminal::grouped(LibraryEvents::droppedDatagrams()));
    for (const QString& text : LibraryEvents::dataLostTexts())
        if (!text.contains(QLatin1String("datagrams (total")))
            table.add(QStringLiteral("Data lost"), text);
    if (!pictures.floodPath.isEmpty()) {
        table.add(QStringLiteral("Photopeak"), pictures.peakText());
        if (pictures.brightestPixel > 0)
            table.add(QStringLiteral("Brightest pixel"), pictures.brightestText());
    }
    const QDir dir(folder);
    table.add(QStringLiteral("Output folder"), dir.absolutePath() + QLatin1Char('/'));
    table.add(QStringLiteral("photons.csv"), csvLines >= 0 ? QStringLiteral("%1 lines").arg(Terminal::grouped(csvLines))
                                                           : csvNote.isEmpty() ? QStringLiteral("not written") : csvNote);
    table.add(QStringLiteral("photons.dat"), fileSize(dir.filePath(QStringLiteral("photons.dat"))));
    table.add(QStringLiteral("configuration.dat"), fileSize(dir.filePath(QStringLiteral("configuration.dat"))));
    if (!pictures.floodPath.isEmpty()) {
        table.add(QStringLiteral("flood.png"), QStringLiteral("%1 x %2 pixels").arg(FloodImage::size().width()).arg(FloodImage::size().height()));
        table.add(QStringLiteral("spectrum.png"), QStringLiteral("%1 x %2 pixels").arg(SpectrumPlot::size().width()).arg(SpectrumPlot::size().height()));
    }
    table.print();
}

} // namespace tool
