// quorvel-camsim: the virtual camera as a standalone program.
#include "camsim/virtualcamera.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

bool parseNumbers(const QString& text, QVector<double>* out)
{
    out->clear();
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        out->append(part.trimmed().toDouble(&ok));
        if (!ok)
            return false;
    }
    return true;
}

bool parseConfig(const QCommandLineParser& parser, camsim::CameraConfig* config, QString* error)
{
    using namespace camsim;
    config->address = parser.value(QStringLiteral("address"));
    config->gmIds.clear();
    for (const QString& id : parser.value(QStringLiteral("gms")).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int value = id.trimmed().toInt(&ok);
        if (!ok || value < 1 || value > 255) {
            *error = QStringLiteral("Bad GM ID: %1").arg(id);
            return false;
        }
        config->gmIds.append(value);
    }
    bool ok = true;
    config->seed = parser.value(QStringLiteral("seed")).toUInt(&ok);
    if (!ok) {
        *error = QStringLiteral("Bad seed");
        return false;
    }
    const QString rate = parser.value(QStringLiteral("rate"));
    config->rateOverride = rate == QLatin1String("max") ? -1 : rate.toInt(&ok);
    if (!ok || config->rateOverride < -1) {
        *error = QStringLiteral("Bad rate: %1").arg(rate);
        return false;
    }
    config->packetsPerDatagram = qMax(1, parser.value(QStringLiteral("packets-per-datagram")).toInt());
    config->photonsPerPacket = qMax(0, parser.value(QStringLiteral("photons-per-packet")).toInt());

    SourceConfig& source = config->source;
    const QString kind = parser.value(QStringLiteral("source"));
    if (kind == QLatin1String("flood")) {
        source.kind = SourceKind::Flood;
    } else if (kind == QLatin1String("bars")) {
        source.kind = SourceKind::Bars;
    } else if (kind.startsWith(QLatin1String("points"))) {
        source.kind = SourceKind::Points;
        if (parser.isSet(QStringLiteral("point"))) {
            source.points.clear();
            for (const QString& point : parser.values(QStringLiteral("point"))) {
                QVector<double> v;
                if (!parseNumbers(point, &v) || v.size() < 2) {
                    *error = QStringLiteral("Bad point source: %1").arg(point);
                    return false;
                }
                source.points.append({v[0], v[1], v.value(2, 0.7), v.value(3, 1.0)});
            }
        }
    } else {
        *error = QStringLiteral("Unknown source: %1").arg(kind);
        return false;
    }
    QVector<double> spectrum;
    if (!parseNumbers(parser.value(QStringLiteral("peak")), &spectrum) || spectrum.size() != 2) {
        *error = QStringLiteral("Bad photopeak, expected centre,fwhm");
        return false;
    }
    source.peakAdc = spectrum[0];
    source.fwhmAdc = spectrum[1];
    if (parser.isSet(QStringLiteral("bars")) && !parseNumbers(parser.value(QStringLiteral("bars")), &source.barWidths)) {
        *error = QStringLiteral("Bad bar widths");
        return false;
    }
    source.background = parser.value(QStringLiteral("background")).toDouble();
    source.peakShare = parser.value(QStringLiteral("peak-share")).toDouble();
    source.comptonShare = parser.value(QStringLiteral("compton-share")).toDouble();
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvel-camsim"));
    const camsim::CameraConfig defaults;

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Virtual gamma camera: answers register requests on TCP 20483 (control) and 20484 (simulator),\n"
        "sends status records on TCP 20485 and streams data packets over UDP while collecting."));
    parser.addHelpOption();
    parser.addOptions({
        {{QStringLiteral("a"), QStringLiteral("address")}, QStringLiteral("Listen address."), QStringLiteral("ip"), defaults.address},
        {{QStringLiteral("g"), QStringLiteral("gms")}, QStringLiteral("GM IDs in power-up order, comma separated."),
         QStringLiteral("ids"), QStringLiteral("1,2,3,4")},
        {QStringLiteral("seed"), QStringLiteral("Seed of the physics and fault randomness."), QStringLiteral("n"), QStringLiteral("1")},
        {QStringLiteral("rate"), QStringLiteral("Packets per second; 0 follows the GBE control register, max sends flat out."),
         QStringLiteral("n|max"), QStringLiteral("0")},
        {QStringLiteral("source"), QStringLiteral("Photon source: flood, points or bars."), QStringLiteral("kind"), QStringLiteral("flood")},
        {QStringLiteral("point"), QStringLiteral("A point source (repeatable): column,row[,sigma[,weight]] in pixels, 0..22."),
         QStringLiteral("c,r,s,w")},
        {QStringLiteral("bars"), QStringLiteral("Bar widths in pixels for the four quadrants."), QStringLiteral("w1,w2,w3,w4"),
         QStringLiteral("1,2,3,4")},
        {QStringLiteral("background"), QStringLiteral("Share of counts outside the points, or passing the bars."),
         QStringLiteral("share"), QString::number(defaults.source.background)},
        {QStringLiteral("peak"), QStringLiteral("Photopeak centre and FWHM in ADC units."), QStringLiteral("centre,fwhm"),
         QStringLiteral("%1,%2").arg(defaults.source.peakAdc).arg(defaults.source.fwhmAdc)},
        {QStringLiteral("peak-share"), QStringLiteral("Share of photons in the photopeak."), QStringLiteral("share"),
         QString::number(defaults.source.peakShare)},
        {QStringLiteral("compton-share"), QStringLiteral("Share of photons in the Compton continuum; the rest is noise."),
         QStringLiteral("share"), QString::number(defaults.source.comptonShare)},
        {QStringLiteral("photons-per-packet"), QStringLiteral("Photons per packet; 0 fills packets to about 660 bytes."),
         QStringLiteral("n"), QStringLiteral("0")},
        {QStringLiteral("packets-per-datagram"), QStringLiteral("Whole packets per UDP datagram."), QStringLiteral("n"),
         QStringLiteral("1")},
    });
    parser.process(app);

    camsim::CameraConfig config;
    QString error;
    QTextStream err(stderr);
    if (!parseConfig(parser, &config, &error)) {
        err << error << Qt::endl;
        return 2;
    }
    camsim::VirtualCamera camera(config);
    if (!camera.start(&error)) {
        err << error << Qt::endl;
        return 1;
    }
    err << "quorvel-camsim listening on " << config.address << Qt::endl;

    // Quit cleanly on SIGINT/SIGTERM so the sockets and threads close in order.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) == 0) {
        auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
    }
    const int result = app.exec();
    camera.stop();
    err << "sent " << camera.packetsSent() << " packets, " << camera.photonsSent() << " photons in "
        << camera.datagramsSent() << " datagrams" << Qt::endl;
    return result;
}
