#include "tools/commands/camsimoptions.h"

#include "tools/commands/commandline.h"

#include <algorithm>

namespace tool {

namespace {
QString opt(const char* a_Name) { return QString::fromLatin1(a_Name); }

bool parseList(const QString& a_Text, QVector<double>* a_Values)
{
    a_Values->clear();
    for (const QString& part : a_Text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        double value = 0.0;
        if (!CommandLine::toDouble(part, &value))
            return false;
        a_Values->append(value);
    }
    return !a_Values->isEmpty();
}

bool readShare(const QCommandLineParser& a_Parser, const char* a_Name, double* a_Share, QString* a_Error)
{
    if (!a_Parser.isSet(opt(a_Name)))
        return true;
    double value = 0.0;
    if (!CommandLine::toDouble(a_Parser.value(opt(a_Name)), &value) || value < 0.0 || value > 1.0) {
        *a_Error = QStringLiteral("--%1 must be a share from 0 to 1").arg(opt(a_Name));
        return false;
    }
    *a_Share = value;
    return true;
}

bool readPoints(const QStringList& a_Texts, QVector<camsim::PointSource>* a_Points, QString* a_Error)
{
    a_Points->clear();
    for (const QString& text : a_Texts) {
        QVector<double> v;
        if (!parseList(text, &v) || v.size() < 2 || v.size() > 4 || v[0] < 0 || v[0] > 22 || v[1] < 0 || v[1] > 22
            || v.value(2, 0.7) <= 0 || v.value(3, 1.0) < 0) {
            *a_Error = QStringLiteral("bad --point %1: expected column,row[,sigma[,weight]] with column and row "
                                      "from 0 to 22, sigma above 0").arg(text);
            return false;
        }
        a_Points->append({v[0], v[1], v.value(2, 0.7), v.value(3, 1.0)});
    }
    return true;
}

bool readGms(const QString& a_Text, QVector<int>* a_Ids, QString* a_Error)
{
    a_Ids->clear();
    for (const QString& part : a_Text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        int id = 0;
        if (!CommandLine::toInt(part, &id) || id < 1 || id > 4 || a_Ids->contains(id)) {
            *a_Error = QStringLiteral("bad --gms %1: expected distinct GM IDs from 1 to 4").arg(a_Text);
            return false;
        }
        a_Ids->append(id);
    }
    if (a_Ids->isEmpty()) {
        *a_Error = QStringLiteral("--gms needs at least one GM ID");
        return false;
    }
    return true;
}

bool readSource(const QCommandLineParser& a_Parser, camsim::SourceConfig* a_Source, QString* a_Error)
{
    const QString kind = a_Parser.value(opt("source"));
    if (kind == QLatin1String("flood"))
        a_Source->kind = camsim::SourceKind::Flood;
    else if (kind == QLatin1String("points"))
        a_Source->kind = camsim::SourceKind::Points;
    else if (kind == QLatin1String("bars"))
        a_Source->kind = camsim::SourceKind::Bars;
    else {
        *a_Error = QStringLiteral("unknown --source %1: expected flood, points or bars").arg(kind);
        return false;
    }
    if (a_Parser.isSet(opt("point"))) {
        if (!readPoints(a_Parser.values(opt("point")), &a_Source->points, a_Error))
            return false;
        if (!a_Parser.isSet(opt("source")))
            a_Source->kind = camsim::SourceKind::Points; // a point implies a point source
    }
    if (a_Parser.isSet(opt("bars"))) {
        QVector<double> widths;
        if (!parseList(a_Parser.value(opt("bars")), &widths) || widths.size() != 4
            || std::any_of(widths.begin(), widths.end(), [](double w) { return w <= 0 || w > 11; })) {
            *a_Error = QStringLiteral("bad --bars: expected four widths in pixels, above 0 and up to 11");
            return false;
        }
        a_Source->barWidths = widths;
    }
    if (a_Parser.isSet(opt("peak"))) {
        QVector<double> peak;
        if (!parseList(a_Parser.value(opt("peak")), &peak) || peak.size() != 2 || peak[0] <= 0 || peak[0] > 4095
            || peak[1] <= 0 || peak[1] > 2000) {
            *a_Error = QStringLiteral("bad --peak: expected centre,fwhm in ADC units (centre 1 to 4095)");
            return false;
        }
        a_Source->peakAdc = peak[0];
        a_Source->fwhmAdc = peak[1];
    }
    if (!readShare(a_Parser, "background", &a_Source->background, a_Error)
        || !readShare(a_Parser, "peak-share", &a_Source->peakShare, a_Error)
        || !readShare(a_Parser, "compton-share", &a_Source->comptonShare, a_Error))
        return false;
    if (a_Source->peakShare + a_Source->comptonShare > 1.0) {
        *a_Error = QStringLiteral("--peak-share and --compton-share together exceed 1");
        return false;
    }
    return true;
}
} // namespace

void CamsimOptions::add(QCommandLineParser* a_Parser, Scope a_Scope)
{
    const camsim::CameraConfig defaults;
    const camsim::SourceConfig& source = defaults.source;
    if (a_Scope == Standalone) {
        CommandLine::addOptions(a_Parser, {
            {opt("address"), QStringLiteral("Listen address of the camera's TCP ports 20483, 20484, 20485."),
             QStringLiteral("ip"), defaults.address},
            {opt("rate"), QStringLiteral("Packets per second; 0 follows the packet transfer rate the host sets, "
                                         "max sends flat out."),
             QStringLiteral("n|max"), QStringLiteral("0")},
            {opt("photons-per-packet"), QStringLiteral("Photons per packet; 0 fills packets to about 660 bytes."),
             QStringLiteral("n"), QStringLiteral("0")},
            {opt("packets-per-datagram"), QStringLiteral("Whole packets per UDP datagram."), QStringLiteral("n"),
             QStringLiteral("1")},
        });
    }
    CommandLine::addOptions(a_Parser, {
        {opt("source"), QStringLiteral("Virtual camera source: flood, points or bars."), QStringLiteral("kind"),
         QStringLiteral("flood")},
        {opt("point"), QStringLiteral("A point source (repeatable; implies --source points): column,row[,sigma"
                                      "[,weight]] in pixels from 0 to 22, pixel centres at .5."),
         QStringLiteral("c,r[,s[,w]]")},
        {opt("bars"), QStringLiteral("Bar widths in pixels of the four quadrants (--source bars)."),
         QStringLiteral("w1,w2,w3,w4"), QStringLiteral("1,2,3,4")},
        {opt("background"), QStringLiteral("Share of photons spread evenly under points or bars."),
         QStringLiteral("share"), QString::number(source.background)},
        {opt("peak"), QStringLiteral("Photopeak centre and FWHM in ADC units."), QStringLiteral("centre,fwhm"),
         QStringLiteral("%1,%2").arg(source.peakAdc).arg(source.fwhmAdc)},
        {opt("peak-share"), QStringLiteral("Share of photons in the photopeak."), QStringLiteral("share"),
         QString::number(source.peakShare)},
        {opt("compton-share"), QStringLiteral("Share of photons in the Compton continuum; the rest is noise."),
         QStringLiteral("share"), QString::number(source.comptonShare)},
        {opt("gms"), QStringLiteral("GM IDs of the virtual camera in power-up order."), QStringLiteral("ids"),
         QStringLiteral("1,2,3,4")},
        {opt("seed"), QStringLiteral("Seed of the virtual camera's randomness."), QStringLiteral("n"),
         QStringLiteral("1")},
    });
}

QStringList CamsimOptions::sourceOptionNames()
{
    return {opt("source"), opt("point"), opt("bars"), opt("background"), opt("peak"), opt("peak-share"),
            opt("compton-share"), opt("gms"), opt("seed")};
}

bool CamsimOptions::read(const QCommandLineParser& a_Parser, Scope a_Scope, camsim::CameraConfig* a_Config,
                         QString* a_Error)
{
    if (!readSource(a_Parser, &a_Config->source, a_Error) || !readGms(a_Parser.value(opt("gms")), &a_Config->gmIds, a_Error))
        return false;
    bool ok = false;
    a_Config->seed = a_Parser.value(opt("seed")).toUInt(&ok);
    if (!ok) {
        *a_Error = QStringLiteral("bad --seed %1").arg(a_Parser.value(opt("seed")));
        return false;
    }
    if (a_Scope == Embedded)
        return true;

    a_Config->address = a_Parser.value(opt("address"));
    const QString rate = a_Parser.value(opt("rate"));
    int value = 0;
    if (rate == QLatin1String("max"))
        a_Config->rateOverride = -1;
    else if (CommandLine::toInt(rate, &value) && value >= 0)
        a_Config->rateOverride = value;
    else {
        *a_Error = QStringLiteral("bad --rate %1: expected packets per second or max").arg(rate);
        return false;
    }
    if (!CommandLine::toInt(a_Parser.value(opt("photons-per-packet")), &value) || value < 0 || value > 4096) {
        *a_Error = QStringLiteral("bad --photons-per-packet: expected 0 to 4096");
        return false;
    }
    a_Config->photonsPerPacket = value;
    if (!CommandLine::toInt(a_Parser.value(opt("packets-per-datagram")), &value) || value < 1 || value > 64) {
        *a_Error = QStringLiteral("bad --packets-per-datagram: expected 1 to 64");
        return false;
    }
    a_Config->packetsPerDatagram = value;
    return true;
}

QString CamsimOptions::describeSource(const camsim::SourceConfig& a_Source)
{
    switch (a_Source.kind) {
    case camsim::SourceKind::Flood:
        return QStringLiteral("flood");
    case camsim::SourceKind::Bars:
        return QStringLiteral("bars");
    case camsim::SourceKind::Points:
        break;
    }
    QStringList points;
    for (const camsim::PointSource& point : a_Source.points)
        points << QStringLiteral("(%1, %2)").arg(point.column).arg(point.row);
    return QStringLiteral("points at ") + points.join(QStringLiteral(", "));
}

} // namespace tool
