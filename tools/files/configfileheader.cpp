#include "tools/files/configfileheader.h"

#include "tools/files/configfilereader.h"

namespace tool {

bool ConfigFileHeader::read(const QString& a_Path, ConfigFileHeader* a_Header, QString* a_Error)
{
    // The whole file is read and checked, so a damaged file is refused before
    // anything is started for it.
    CameraConfiguration configuration;
    if (!ConfigFileReader::read(a_Path, &configuration, a_Error))
        return false;
    a_Header->formatVersion = configuration.formatVersion;
    a_Header->cameraAddress = configuration.cameraAddress;
    return true;
}

} // namespace tool
