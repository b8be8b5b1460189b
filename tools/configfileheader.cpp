#include "tools/configfileheader.h"

#include <QDataStream>
#include <QFile>

namespace tool {

bool ConfigFileHeader::read(const QString& a_Path, ConfigFileHeader* a_Header, QString* a_Error)
{
    QFile file(a_Path);
    if (!file.open(QIODevice::ReadOnly)) {
        *a_Error = QStringLiteral("cannot open %1: %2").arg(a_Path, file.errorString());
        return false;
    }
    // Big-endian ints: magic 0xBEEF, format version, stream version; then the
    // address as a length (counting its terminating zero) and the bytes.
    QDataStream in(&file);
    qint32 magic = 0;
    qint32 format = 0;
    qint32 stream = 0;
    quint32 length = 0;
    in >> magic >> format >> stream >> length;
    if (in.status() != QDataStream::Ok || magic != 0xBEEF) {
        *a_Error = QStringLiteral("%1 is not a configuration file").arg(a_Path);
        return false;
    }
    if (length < 1 || length > 256) {
        *a_Error = QStringLiteral("%1: bad camera address field").arg(a_Path);
        return false;
    }
    const QByteArray address = file.read(length);
    if (address.size() != static_cast<int>(length) || address.back() != '\0') {
        *a_Error = QStringLiteral("%1: bad camera address field").arg(a_Path);
        return false;
    }
    a_Header->formatVersion = format;
    a_Header->cameraAddress = QString::fromUtf8(address.left(address.size() - 1));
    return true;
}

} // namespace tool
