// One gamma module: its GM-level settings, its ASIC, and the one-byte images
// of the GM registers built from them.
#ifndef QUORVEL_GAMMAMODULE_H
#define QUORVEL_GAMMAMODULE_H

#include <QString>

#include "asic/asic.h"
#include "quorveldll.h"

class GammaModule
{
public:
    static constexpr int DEFAULT_OPTIONS = 8;
    static constexpr int DELAY_TIME_STEP = 20;
    static constexpr int DELAY_TIME_MAX = 5100;
    static constexpr int TIMESTAMP_RESOLUTION_STEP = 100;
    static constexpr int TIMESTAMP_RESOLUTION_MAX = 25500;
    static constexpr int NO_OF_PULSES_MAX = 15;

    // Option bits that shape the photon records a GM sends.
    static constexpr int READOUT_OPTION_NEGATIVE_ENABLE = 1;    // readout options: signed energies
    static constexpr int READOUT_OPTION_TIME_DETECT_ENABLE = 2; // readout options: 5-byte records
    static constexpr int OPTION_MAP_LOCAL_PIXELS = 8;           // options: channels mapped to pixels
    // The same answers for option values read from elsewhere (a file).
    static bool HasTimeDetect(int a_ReadoutOptions)
    {
        return (a_ReadoutOptions & READOUT_OPTION_TIME_DETECT_ENABLE) != 0;
    }
    static bool HasNegativeEnergies(int a_ReadoutOptions)
    {
        return (a_ReadoutOptions & READOUT_OPTION_NEGATIVE_ENABLE) != 0;
    }
    static bool MapsLocalPixels(int a_Options) { return (a_Options & OPTION_MAP_LOCAL_PIXELS) != 0; }

    explicit GammaModule(int a_ID);
    GammaModule(const GammaModule&) = delete;

    bool SetReadoutMode(GMReadoutMode a_Mode);
    bool SetCathodeMode(GMCathodeMode a_Mode);
    bool SetPulserFrequency(GMPulserFrequency a_Frequency);
    bool SetDelayTime(int a_Time);
    bool SetTimestampResolution(int a_Resolution);
    bool SetNoOfPulses(int a_Count);
    bool SetADC1Channel(int a_Channel);
    bool SetADC2Channel(int a_Channel);
    bool SetOptions(int a_Options);
    bool SetReadoutOptions(int a_Options);
    bool SetPulserOptions(int a_Options);
    void SetDefaultGM(int a_ID);

    int GetID() const;
    int GetOptions() const;
    int GetReadoutOption() const;
    GMReadoutMode GetReadoutMode() const;
    GMCathodeMode GetCathodeMode() const;
    GMPulserFrequency GetPulserFrequency() const;
    int GetPulserOption() const;
    int GetDelayTime() const;
    int GetTimestampResolution() const;
    int GetNoOfPulses() const;
    int GetDefaultGM() const;
    int GetADC1Channel() const;
    int GetADC2Channel() const;
    const QString& GetLastError() const;
    bool HasTimeDetect() const { return HasTimeDetect(m_ReadoutOptions); }
    bool HasNegativeEnergies() const { return HasNegativeEnergies(m_ReadoutOptions); }
    bool MapsLocalPixels() const { return MapsLocalPixels(m_Options); }

    bool IsValidADCChannel(int a_Channel);

    ASIC* AccessASIC();
    const ASIC& GetASIC() const;

    // Register images, each the register byte (0 to 255).
    int GetControlData() const;               // register 18
    int GetGMASICModeData() const;            // register 21
    int GetGMPulserModeData() const;          // register 22
    int GetDelayTimeData() const;             // register 23
    int GetTimeStampResolutionData() const;   // register 24

    // Copies every setting and the ASIC; the ID and the last error stay.
    GammaModule& operator=(const GammaModule& a_Other);

private:
    bool Fail(const QString& a_Message);

    int m_ID;
    int m_Options;
    int m_ReadoutOptions;
    GMReadoutMode m_ReadoutMode;
    GMCathodeMode m_CathodeMode;
    GMPulserFrequency m_PulserFrequency;
    int m_PulserOptions;
    int m_DelayTime;
    int m_TimestampResolution;
    int m_NoOfPulses;
    int m_DefaultGM;
    int m_ADC1Channel;
    int m_ADC2Channel;
    ASIC m_ASIC;
    QString m_LastError;
};

#endif // QUORVEL_GAMMAMODULE_H
