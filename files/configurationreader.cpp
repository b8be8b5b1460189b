#include "files/configurationreader.h"

#include <QDataStream>

#include <climits>

#include "files/configurationformat.h"
#include "files/gmsectionreader.h"
#include "files/packetsectionreader.h"
#include "files/recordreader.h"

using namespace ConfigurationFormat;

const char* const ConfigurationReader::UNRECOGNISED_FILE_TEXT = "Unrecognised file passed to Quorvel";

bool ConfigurationReader::Read(QIODevice* a_pDevice, ParsedConfiguration* a_pConfig)
{
    *a_pConfig = ParsedConfiguration();
    RecordReader reader(a_pDevice);
    if (!LoadHeader(reader, a_pConfig))
        return false;
    LoadSysConfig(reader, a_pConfig->m_FormatVersion, &a_pConfig->m_SysConfig);
    if (!reader.Ok()) {
        reader.Truncated(QStringLiteral("the system configuration"));
        return Fail(reader.GetLastError());
    }
    if (!GMSectionReader::LoadGammaModules(reader, a_pConfig->m_FormatVersion, &a_pConfig->m_GMs)
        || !PacketSectionReader::LoadPackets(reader, &a_pConfig->m_Packets, m_KeepPhotons))
        return Fail(reader.GetLastError());
    // Nothing follows the last section; more bytes mean the layout was not understood.
    if (!reader.AtEnd())
        return Fail(QStringLiteral("Configuration file holds unexpected data after its last section"));
    return true;
}

void ConfigurationReader::SetKeepPhotons(bool a_Keep)
{
    m_KeepPhotons = a_Keep;
}

const QString& ConfigurationReader::GetLastError() const
{
    return m_LastError;
}

bool ConfigurationReader::LoadHeader(RecordReader& a_Reader, ParsedConfiguration* a_pConfig)
{
    const int magic = a_Reader.Int();
    if (!a_Reader.Ok() || magic != MAGIC)
        return Fail(QString::fromLatin1(UNRECOGNISED_FILE_TEXT));
    a_pConfig->m_FormatVersion = a_Reader.Int();
    a_pConfig->m_StreamVersion = a_Reader.Int();
    if (!a_Reader.Ok()) {
        a_Reader.Truncated(QStringLiteral("the file header"));
        return Fail(a_Reader.GetLastError());
    }
    // Another format version would be read with the wrong layout.
    if (a_pConfig->m_FormatVersion < OLDEST_FORMAT_VERSION || a_pConfig->m_FormatVersion > FORMAT_VERSION)
        return Fail(QString::fromLatin1(UNRECOGNISED_FILE_TEXT));
    if (a_pConfig->m_StreamVersion < QDataStream::Qt_1_0
        || a_pConfig->m_StreamVersion > QDataStream::Qt_DefaultCompiledVersion)
        return Fail(QStringLiteral("Configuration file has an unsupported stream version (%1)")
                        .arg(a_pConfig->m_StreamVersion));
    a_Reader.SetStreamVersion(a_pConfig->m_StreamVersion);
    a_pConfig->m_CameraIPAddress = a_Reader.ZeroTerminatedString();
    if (a_pConfig->m_FormatVersion <= LAST_WITH_HEADER_SPARE_INT)
        a_Reader.Int();
    a_pConfig->m_GMUpdateType = a_Reader.Int();
    if (!a_Reader.Ok()) {
        a_Reader.Truncated(QStringLiteral("the file header"));
        return Fail(a_Reader.GetLastError());
    }
    return true;
}

void ConfigurationReader::LoadSysConfig(RecordReader& a_Reader, int a_FormatVersion, ParsedSysConfig* a_pSysConfig)
{
    a_pSysConfig->m_DebugMode = a_Reader.Bool();
    a_pSysConfig->m_MBMultiplexerAddressType = a_Reader.Int();
    const int rate = a_Reader.Int();
    // Old formats stored the rate minus 1000, except the top rate itself.
    if (a_FormatVersion <= LAST_WITH_RATE_OFFSET && rate != RATE_STORED_AS_IS)
        a_pSysConfig->m_PacketTransferRate = rate <= INT_MAX - RATE_OFFSET ? rate + RATE_OFFSET : rate;
    else
        a_pSysConfig->m_PacketTransferRate = rate;
    if (a_FormatVersion < FIRST_WITH_PLAIN_TOKEN_TYPE) {
        a_Reader.Int();
        a_Reader.Int();
    }
    a_pSysConfig->m_TokenType = a_Reader.Int();
    if (a_FormatVersion >= FIRST_WITH_PIXEL_MAPPING_MODE) {
        a_pSysConfig->m_HasPixelMappingMode = true;
        a_pSysConfig->m_PixelMappingMode = a_Reader.Int();
    }
}

bool ConfigurationReader::Fail(const QString& a_Message)
{
    m_LastError = a_Message;
    return false;
}
