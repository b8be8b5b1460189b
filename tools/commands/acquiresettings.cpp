#include "tools/commands/acquiresettings.h"

#include "quorveldll.h"
#include "tools/camera/cameralink.h"
#include "tools/commands/commandline.h"

namespace tool {

void AcquireSettings::add(QCommandLineParser* a_Parser)
{
    CommandLine::addOptions(a_Parser, {
        {QStringLiteral("mapping"), QStringLiteral("Pixel mapping: global (camera pixels 1..484) or local "
                                                   "(pixels 1..121 of each GM)."),
         QStringLiteral("mode"), QStringLiteral("global")},
        {QStringLiteral("packet-rate"), QStringLiteral("Packet transfer rate, packets per second: a multiple of "
                                                       "1000 from 1000 to 63000."),
         QStringLiteral("n")},
        {QStringLiteral("readout-mode"), QStringLiteral("GM readout mode of every GM: read-all or sparsified."),
         QStringLiteral("mode")},
        {QStringLiteral("readout-options"), QStringLiteral("GM readout options of every GM: bit 0 negative "
                                                           "energies, bit 1 time detect values."),
         QStringLiteral("bits")},
    });
}

bool AcquireSettings::read(const QCommandLineParser& a_Parser, AcquireSettings* a_Settings, QString* a_Error)
{
    const QString mapping = a_Parser.value(QStringLiteral("mapping"));
    a_Settings->mappingGiven = a_Parser.isSet(QStringLiteral("mapping"));
    if (mapping == QLatin1String("global"))
        a_Settings->numbers = PixelNumbers::Camera;
    else if (mapping == QLatin1String("local"))
        a_Settings->numbers = PixelNumbers::GM;
    else {
        *a_Error = QStringLiteral("unknown --mapping %1: expected global or local").arg(mapping);
        return false;
    }
    // Checked here too, so a wrong rate ends the command before the camera is touched.
    if (a_Parser.isSet(QStringLiteral("packet-rate"))
        && (!CommandLine::toInt(a_Parser.value(QStringLiteral("packet-rate")), &a_Settings->packetRate)
            || a_Settings->packetRate < 1000 || a_Settings->packetRate > 63000 || a_Settings->packetRate % 1000 != 0)) {
        *a_Error = QStringLiteral("bad --packet-rate %1: expected a multiple of 1000 from 1000 to 63000")
                       .arg(a_Parser.value(QStringLiteral("packet-rate")));
        return false;
    }
    if (a_Parser.isSet(QStringLiteral("readout-mode"))) {
        const QString mode = a_Parser.value(QStringLiteral("readout-mode"));
        if (mode == QLatin1String("read-all"))
            a_Settings->readoutMode = GM_READOUT_MODE_READ_ALL;
        else if (mode == QLatin1String("sparsified"))
            a_Settings->readoutMode = GM_READOUT_MODE_SPARSIFIED;
        else {
            *a_Error = QStringLiteral("unknown --readout-mode %1: expected read-all or sparsified").arg(mode);
            return false;
        }
    }
    if (a_Parser.isSet(QStringLiteral("readout-options"))
        && (!CommandLine::toInt(a_Parser.value(QStringLiteral("readout-options")), &a_Settings->readoutOptions)
            || a_Settings->readoutOptions < 0 || a_Settings->readoutOptions > 3)) {
        *a_Error = QStringLiteral("bad --readout-options %1: expected 0 to 3").arg(a_Parser.value(QStringLiteral("readout-options")));
        return false;
    }
    return true;
}

bool AcquireSettings::apply(bool a_ConfigurationLoaded, QString* a_Error)
{
    const auto fail = [a_Error](const QString& a_What) {
        *a_Error = QStringLiteral("%1: %2").arg(a_What, CameraLink::lastError());
        return false;
    };
    if (a_ConfigurationLoaded && !mappingGiven)
        numbers = QuorvelDll::GetPixelMappingMode() == PIXEL_MAPPING_MODE_LOCAL ? PixelNumbers::GM : PixelNumbers::Camera;
    if (a_ConfigurationLoaded && packetRate == 0)
        packetRate = QuorvelDll::GetPacketTransferRate();
    const PixelMappingMode mode = numbers == PixelNumbers::Camera ? PIXEL_MAPPING_MODE_GLOBAL : PIXEL_MAPPING_MODE_LOCAL;
    if (!QuorvelDll::SetPixelMappingMode(mode))
        return fail(QStringLiteral("cannot set the pixel mapping"));
    if (packetRate != 0 && !QuorvelDll::SetPacketTransferRate(packetRate))
        return fail(QStringLiteral("cannot set packet rate %1").arg(packetRate));
    if (readoutMode == 0 && readoutOptions < 0)
        return true;
    // Every GM at once: choose any GM, then switch the update type to all GMs
    // (choosing a GM switches it back to the active GM only).
    if (!QuorvelDll::SetActiveGM(1) || !QuorvelDll::SetGMUpdateType(GM_UPDATE_TYPE_ALL_GMS))
        return fail(QStringLiteral("cannot address the GMs"));
    if (readoutMode != 0 && !QuorvelDll::SetGMReadoutMode(static_cast<GMReadoutMode>(readoutMode)))
        return fail(QStringLiteral("cannot set the readout mode"));
    if (readoutOptions >= 0 && !QuorvelDll::SetGMReadoutOptions(readoutOptions))
        return fail(QStringLiteral("cannot set the readout options"));
    if (!QuorvelDll::SendGMData())
        return fail(QStringLiteral("cannot send the GM settings"));
    return true;
}

QString AcquireSettings::describe() const
{
    QString text = numbers == PixelNumbers::Camera ? QStringLiteral("global pixel numbers")
                                                   : QStringLiteral("local pixel numbers");
    text += QStringLiteral(", %1 packets/s").arg(QuorvelDll::GetPacketTransferRate());
    return text;
}

} // namespace tool
