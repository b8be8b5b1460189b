#include "tools/files/photonfile.h"

#include <QFile>

namespace tool {

bool PhotonFile::read(const QString& a_Path, PhotonTally* a_Tally, QString* a_Error)
{
    QFile file(a_Path);
    if (!file.open(QIODevice::ReadOnly)) {
        *a_Error = QStringLiteral("cannot open %1: %2").arg(a_Path, file.errorString());
        return false;
    }
    const qint64 size = file.size();
    if (size % recordBytes != 0) {
        *a_Error = QStringLiteral("%1 is not a photon collection: %2 bytes is not a whole number of %3-byte records")
                       .arg(a_Path).arg(size).arg(recordBytes);
        return false;
    }
    // Whole records per chunk, so no record straddles two reads.
    constexpr qint64 chunkBytes = recordBytes * 65536;
    QByteArray chunk;
    qint64 done = 0;
    while (done < size) {
        chunk = file.read(qMin(chunkBytes, size - done));
        if (chunk.isEmpty() || chunk.size() % recordBytes != 0) {
            *a_Error = QStringLiteral("cannot read %1: %2").arg(a_Path, file.errorString());
            return false;
        }
        const auto* bytes = reinterpret_cast<const uchar*>(chunk.constData());
        for (int offset = 0; offset < chunk.size(); offset += recordBytes) {
            const uchar* record = bytes + offset;
            const int pixel = record[3] << 8 | record[4];
            const int energy = record[5] << 8 | record[6];
            a_Tally->add(record[0], pixel, energy, record[7] != 0);
        }
        done += chunk.size();
    }
    return true;
}

} // namespace tool
