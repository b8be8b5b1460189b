#include "tools/files/photonfile.h"

#include "tools/files/photonrecordreader.h"
#include "tools/terminal/failures.h"
#include "tools/terminal/terminal.h"

#include <QFile>

namespace tool {

bool PhotonFile::read(const QString& a_Path, PhotonTally* a_Tally, QString* a_Error, int a_MinPixel)
{
    QFile file(a_Path);
    if (!file.open(QIODevice::ReadOnly)) {
        *a_Error = QStringLiteral("cannot open %1: %2").arg(a_Path, file.errorString());
        return false;
    }
    const qint64 size = file.size() / recordBytes * recordBytes;
    if (file.size() != size)
        Terminal::note(Failures::text(Failure::PartialRecord, {a_Path, QString::number(file.size() - size)}));
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
            const QString fault = photonRecordFault(record, a_MinPixel);
            if (!fault.isEmpty()) {
                *a_Error = Failures::text(Failure::NotPhotonRecords, {a_Path, QString::number(done + offset), fault});
                return false;
            }
            const int pixel = record[3] << 8 | record[4];
            const int energy = record[5] << 8 | record[6];
            a_Tally->add(record[0], pixel, energy, record[7] != 0);
        }
        done += chunk.size();
    }
    if (a_Tally->photons() == 0) {
        *a_Error = Failures::text(Failure::EmptyCollection, {a_Path});
        return false;
    }
    return true;
}

} // namespace tool
