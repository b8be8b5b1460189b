#include "tools/camera/gmreadings.h"

#include "quorveldll.h"
#include "tools/camera/cameralink.h"

namespace tool {

bool GMReadings::read(int a_GMID, GMReadings* a_Readings, QString* a_Error)
{
    GMReadings readings;
    readings.id = a_GMID;
    int volts = 0;
    if (!QuorvelDll::SetActiveGM(a_GMID) || !QuorvelDll::GetGMFirmwareVersion(&readings.firmware)
        || !QuorvelDll::GetGMStatus(&readings.status) || !QuorvelDll::ReadGMADC1(&readings.adc1, &volts)
        || !QuorvelDll::ReadGMADC2(&readings.adc2, &volts)) {
        *a_Error = QStringLiteral("cannot read GM %1: %2").arg(a_GMID).arg(CameraLink::lastError());
        return false;
    }
    *a_Readings = readings;
    return true;
}

QString GMReadings::hex(int a_Value, int a_Digits)
{
    return QStringLiteral("0x%1").arg(a_Value, a_Digits, 16, QLatin1Char('0'));
}

QString GMReadings::adcText(int a_Reading)
{
    return QStringLiteral("%1 (%2 V)").arg(a_Reading).arg(2.0 * a_Reading / 4096.0, 0, 'f', 3);
}

QString GMReadings::describe() const
{
    return QStringLiteral("firmware %1, status %2, ADC 1 %3, ADC 2 %4")
        .arg(hex(firmware & 0xFF, 2), hex(status & 0xFF, 2), adcText(adc1), adcText(adc2));
}

} // namespace tool
