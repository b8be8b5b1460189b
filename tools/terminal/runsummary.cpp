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
    table.add(QStringLiteral("Collection time"),
              QStringLiteral("%1 s%2").arg(seconds, 0, 'f', 2)
                  .arg(stoppedEarlyBy.isEmpty() ? QString() : QStringLiteral(" (stopped early by %1)").arg(stoppedEarlyBy)));
    table.add(QStringLiteral("Packets"), Terminal::grouped(packets));
    table.add(QStringLiteral("Photons"), Terminal::grouped(photons));
    table.add(QStringLiteral("Photon rate"),
              QStringLiteral("%1 photons/s").arg(Terminal::grouped(seconds > 0 ? qint64(photons / seconds) : 0)));
    for (auto gm = photonsByGM.cbegin(); gm != photonsByGM.cend(); ++gm)
        table.add(QStringLiteral("GM %1").arg(gm.key()), QStringLiteral("%1 photons in %2 packets")
                                                            .arg(Terminal::grouped(gm.value()),
                                                                 Terminal::grouped(packetsByGM.value(gm.key()))));
    if (photonsSaved != photons)
        table.add(QStringLiteral("Not saved"), QStringLiteral("%1 photons after the write failed")
                                                   .arg(Terminal::grouped(photons - photonsSaved)));
    if (virtualCamera) {
        const qint64 sentPackets = virtualCamera->packetsSent();
        const qint64 sentPhotons = virtualCamera->photonsSent();
        table.add(QStringLiteral("Camera sent"), QStringLiteral("%1 packets, %2 photons")
                                                     .arg(Terminal::grouped(sentPackets), Terminal::grouped(sentPhotons)));
        if (sentPackets != packets || sentPhotons != photons)
            table.add(QStringLiteral("Not collected"), QStringLiteral("%1 packets, %2 photons of those sent")
                                                           .arg(Terminal::grouped(sentPackets - packets),
                                                                Terminal::grouped(sentPhotons - photons)));
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
    table.add(QStringLiteral("photons.dat"), QStringLiteral("%1, %2 photons")
                                                 .arg(fileSize(dir.filePath(QStringLiteral("photons.dat"))),
                                                      Terminal::grouped(photonsSaved)));
    table.add(QStringLiteral("configuration.dat"),
              QStringLiteral("%1 (settings only: the photons are in photons.dat)")
                  .arg(fileSize(dir.filePath(QStringLiteral("configuration.dat")))));
    table.add(QStringLiteral("photons.csv"), csvText);
    if (!hdf5Text.isEmpty())
        table.add(QStringLiteral("photons.h5"), hdf5Text);
    if (!pictures.floodPath.isEmpty()) {
        table.add(QStringLiteral("flood.png"), QStringLiteral("%1 x %2 pixels").arg(FloodImage::size().width()).arg(FloodImage::size().height()));
        table.add(QStringLiteral("spectrum.png"), QStringLiteral("%1 x %2 pixels").arg(SpectrumPlot::size().width()).arg(SpectrumPlot::size().height()));
    }
    table.print();
}

} // namespace tool
