// What a GM reports about itself: firmware version, status and both ADC readings.
#ifndef TOOLS_GMREADINGS_H
#define TOOLS_GMREADINGS_H

#include <QString>

namespace tool {

struct GMReadings {
    int id = 0;
    int firmware = 0;
    int status = 0;
    int adc1 = 0;
    int adc2 = 0;

    // Makes a_GMID the active GM and reads it; false with the library's reason.
    static bool read(int a_GMID, GMReadings* a_Readings, QString* a_Error);
    // "0x05" and the like.
    static QString hex(int a_Value, int a_Digits);
    // 12-bit ADC over a 2 V span; the library's own volts are whole volts only.
    static QString adcText(int a_Reading);
    // "firmware 0x05, status 0x10, ADC 1 ..., ADC 2 ..."
    QString describe() const;
};

} // namespace tool

#endif
