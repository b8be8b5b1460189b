#include "tools/files/photonconverter.h"

#include "gammamodule/gammamodule.h"
#include "tools/files/configfilereader.h"
#include "tools/files/nexuswriter.h"
#include "tools/files/photonrecordreader.h"
#include "tools/pictures/photontally.h"
#include "tools/terminal/failures.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <array>
#include <cstdio>

namespace tool {

namespace {

// What one pass over the records tells before anything is written.
struct Survey {
    PhotonTally tally;
    bool timeDetect = false;
    bool packetsMatch = false; // the configuration's packets hold exactly these records
};

bool survey(const QString& a_Photons, const CameraConfiguration& a_Configuration, Survey* a_Survey, QString* a_Error)
{
    PhotonRecordReader reader;
    if (!reader.open(a_Photons, a_Error))
        return false;
    const std::vector<PacketRecord>& packets = a_Configuration.packets;
    size_t packet = 0;
    quint32 left = packets.empty() ? 0 : packets[0].photons;
    bool match = a_Configuration.hasPacketSection;
    std::vector<PhotonRecord> batch;
    do {
        if (!reader.next(&batch, a_Error))
            return false;
        for (const PhotonRecord& record : batch) {
            a_Survey->tally.add(record.gmId, record.pixel, record.energy, record.positiveEnergy != 0);
            a_Survey->timeDetect = a_Survey->timeDetect || record.timeDetect != 0 || record.positiveTimeDetect != 0;
            if (!match)
                continue;
            while (left == 0 && ++packet < packets.size())
                left = packets[packet].photons;
            match = packet < packets.size() && packets[packet].gmId == record.gmId
                && packets[packet].headerWord == record.headerWord;
            --left;
        }
    } while (!batch.empty());
    while (match && left == 0 && ++packet < packets.size())
        left = packets[packet].photons;
    a_Survey->packetsMatch = match && left == 0;
    return true;
}

// How each GM's pixel numbers become camera pixels.
class PixelPlacer {
public:
    PixelPlacer(bool a_Global, const CameraConfiguration& a_Configuration) : m_Global(a_Global)
    {
        // With local mapping a GM whose options lack the pixel-map bit sends
        // channel numbers, which are no pixels.
        for (int gm = 1; gm <= 4; ++gm) {
            const GMRecord* record = a_Configuration.gm(gm);
            m_ChannelNumbers[size_t(gm)] = record && !GammaModule::MapsLocalPixels(record->setting("options"));
        }
    }
    quint32 place(int a_GMID, int a_Pixel) const
    {
        if (m_Global)
            return a_Pixel >= 1 && a_Pixel <= PhotonTally::cameraPixels ? quint32(a_Pixel) : 0;
        if (a_GMID < 1 || a_GMID > 4 || m_ChannelNumbers[size_t(a_GMID)] || a_Pixel < 1 || a_Pixel > PhotonTally::gmPixels)
            return 0;
        return quint32(PhotonTally::cameraPixelOf(a_Pixel, a_GMID));
    }

private:
    bool m_Global;
    std::array<bool, 5> m_ChannelNumbers {};
};

bool writeEvents(const QString& a_Photons, const CameraConfiguration& a_Configuration, bool a_PacketsFromFile,
                 const PixelPlacer& a_Placer, NexusWriter* a_Writer, ConvertResult* a_Result, QString* a_Error)
{
    PhotonRecordReader reader;
    if (!reader.open(a_Photons, a_Error, true))
        return false;
    const std::vector<PacketRecord>& packets = a_Configuration.packets;
    size_t nextPacket = 0;
    quint32 left = 0;
    bool started = false;
    PhotonRecord previous {};
    std::vector<PhotonRecord> batch;
    do {
        if (!reader.next(&batch, a_Error))
            return false;
        for (const PhotonRecord& record : batch) {
            if (a_PacketsFromFile) {
                // Packets without photons come out here too, at the index of the next event.
                for (; left == 0 && nextPacket < packets.size(); ++nextPacket) {
                    a_Writer->addPacket(packets[nextPacket].gmId, packets[nextPacket].headerWord);
                    left = packets[nextPacket].photons;
                }
                --left;
            } else if (!started || record.gmId != previous.gmId || record.headerWord != previous.headerWord) {
                a_Writer->addPacket(record.gmId, record.headerWord);
            }
            started = true;
            previous = record;
            const quint32 id = a_Placer.place(record.gmId, record.pixel);
            a_Result->unplaced += id == 0 ? 1 : 0;
            a_Writer->addEvent({id, record.pixel, record.energy, record.positiveEnergy, record.timeDetect,
                                record.positiveTimeDetect});
        }
        const QString failed = a_Writer->failedColumn();
        if (!failed.isEmpty()) {
            *a_Error = QStringLiteral("cannot write %1 (is the disk full?)").arg(failed);
            return false;
        }
    } while (!batch.empty());
    for (; a_PacketsFromFile && nextPacket < packets.size(); ++nextPacket)
        a_Writer->addPacket(packets[nextPacket].gmId, packets[nextPacket].headerWord);
    return true;
}

bool sameFile(const QString& a_One, const QString& a_Other)
{
    const QFileInfo one(a_One);
    const QFileInfo other(a_Other);
    return !a_Other.isEmpty() && one.exists() && other.exists() && one.canonicalFilePath() == other.canonicalFilePath();
}

bool checkOutput(const ConvertRequest& a_Request, QString* a_Error)
{
    const QFileInfo output(a_Request.output);
    if (!PhotonConverter::isHdf5Name(a_Request.output))
        *a_Error = QStringLiteral("%1: the HDF5 file needs a .h5, .hdf5, .nxs or .nx5 name").arg(a_Request.output);
    else if (output.isDir())
        *a_Error = QStringLiteral("%1 is a folder").arg(a_Request.output);
    else if (!output.absoluteDir().exists())
        *a_Error = QStringLiteral("the folder of %1 does not exist").arg(a_Request.output);
    else if (sameFile(a_Request.output, a_Request.photons) || sameFile(a_Request.output, a_Request.configuration))
        *a_Error = QStringLiteral("%1 would overwrite an input file").arg(a_Request.output);
    else
        return true;
    return false;
}
} // namespace

bool PhotonConverter::isHdf5Name(const QString& a_Path)
{
    const QString suffix = QFileInfo(a_Path).suffix().toLower();
    return suffix == QLatin1String("h5") || suffix == QLatin1String("hdf5") || suffix == QLatin1String("nxs")
        || suffix == QLatin1String("nx5");
}

bool PhotonConverter::convert(const ConvertRequest& a_Request, ConvertResult* a_Result, QString* a_Error)
{
    *a_Result = ConvertResult();
    if (!checkOutput(a_Request, a_Error))
        return false;
    CameraConfiguration configuration;
    if (!a_Request.configuration.isEmpty() && !ConfigFileReader::read(a_Request.configuration, &configuration, a_Error))
        return false;
    Survey facts;
    if (!survey(a_Request.photons, configuration, &facts, a_Error))
        return false;
    if (facts.tally.photons() == 0) {
        *a_Error = Failures::text(Failure::EmptyCollection, {a_Request.photons});
        return false;
    }

    bool global = facts.tally.detectNumbers() == PixelNumbers::Camera;
    if (configuration.pixelMappingMode == 1 || configuration.pixelMappingMode == 2)
        global = configuration.pixelMappingMode == 1;
    a_Result->timeDetect = facts.timeDetect;
    for (const GMRecord& gm : configuration.gms)
        a_Result->timeDetect = a_Result->timeDetect || GammaModule::HasTimeDetect(gm.setting("readout_options"));
    a_Result->pixelNumbers = global ? QStringLiteral("global") : QStringLiteral("local");
    a_Result->packetsFrom = facts.packetsMatch ? QStringLiteral("configuration") : QStringLiteral("records");

    const QFileInfo target(a_Request.output);
    QTemporaryFile temporary(target.absoluteDir().filePath(target.fileName() + QStringLiteral(".XXXXXX.part")));
    if (!temporary.open()) {
        *a_Error = QStringLiteral("cannot write in the folder of %1: %2").arg(a_Request.output, temporary.errorString());
        return false;
    }
    temporary.close();
    NexusWriter writer;
    if (!writer.create(temporary.fileName(), target.fileName(), a_Result->timeDetect, a_Error))
        return false;
    if (!a_Request.configuration.isEmpty()
        && !writer.writeConfiguration(configuration, QFileInfo(a_Request.configuration).fileName(), a_Error))
        return false;
    if (!writeEvents(a_Request.photons, configuration, facts.packetsMatch, PixelPlacer(global, configuration), &writer,
                     a_Result, a_Error))
        return false;
    a_Result->events = writer.events();
    NexusEntryFacts entry;
    entry.title = QFileInfo(a_Request.photons).fileName();
    entry.seconds = a_Request.seconds;
    entry.startTime = a_Request.startTime;
    entry.pixelNumbers = a_Result->pixelNumbers;
    entry.packetsFrom = a_Result->packetsFrom;
    entry.unplacedEvents = a_Result->unplaced;
    if (!writer.finish(entry, a_Error))
        return false;
    a_Result->packets = writer.packets();
    temporary.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                             | QFileDevice::ReadOther);
    if (std::rename(QFile::encodeName(temporary.fileName()).constData(), QFile::encodeName(a_Request.output).constData())
        != 0) {
        *a_Error = QStringLiteral("cannot rename the finished file to %1").arg(a_Request.output);
        return false;
    }
    temporary.setAutoRemove(false);
    return true;
}

} // namespace tool
