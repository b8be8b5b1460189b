// Parses a configuration file (format versions 1 to 6) into a
// ParsedConfiguration without touching the controller, the camera or the
// stores: a file that is unrecognised, truncated or corrupt anywhere is
// refused as a whole. Usable on its own, e.g. from a fuzz target.
#ifndef QUORVEL_CONFIGURATIONREADER_H
#define QUORVEL_CONFIGURATIONREADER_H

#include <QString>

#include "files/parsedconfiguration.h"

class QIODevice;
class RecordReader;

class ConfigurationReader
{
public:
    static const char* const UNRECOGNISED_FILE_TEXT;

    // Reads from the device's current position to its end. On false the
    // reason is in GetLastError() and *a_pConfig holds no complete result.
    bool Read(QIODevice* a_pDevice, ParsedConfiguration* a_pConfig);
    // Whether photon records are kept (the default) or only checked and
    // counted, for readers of large files that need the packets alone.
    void SetKeepPhotons(bool a_Keep);
    const QString& GetLastError() const;

private:
    bool LoadHeader(RecordReader& a_Reader, ParsedConfiguration* a_pConfig);
    static void LoadSysConfig(RecordReader& a_Reader, int a_FormatVersion, ParsedSysConfig* a_pSysConfig);
    bool Fail(const QString& a_Message);

    QString m_LastError;
    bool m_KeepPhotons = true;
};

#endif // QUORVEL_CONFIGURATIONREADER_H
