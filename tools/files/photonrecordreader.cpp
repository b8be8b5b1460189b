#include "tools/files/photonrecordreader.h"

#include "tools/terminal/failures.h"
#include "tools/terminal/terminal.h"

namespace tool {

QString photonRecordFault(const uchar* a_Record, int a_MinPixel)
{
    // The camera has four GMs, numbered 1 to 4; 484 camera pixels; sign bytes are flags.
    const int pixel = a_Record[3] << 8 | a_Record[4];
    if (a_Record[0] < 1 || a_Record[0] > 4)
        return QStringLiteral("GM ID %1").arg(a_Record[0]);
    if (pixel < a_MinPixel || pixel > 484)
        return QStringLiteral("pixel %1").arg(pixel);
    if (a_Record[7] > 1)
        return QStringLiteral("energy sign byte %1").arg(a_Record[7]);
    if (a_Record[10] > 1)
        return QStringLiteral("time detect sign byte %1").arg(a_Record[10]);
    return QString();
}

bool PhotonRecordReader::open(const QString& a_Path, QString* a_Error, bool a_Quiet)
{
    m_File.setFileName(a_Path);
    if (!m_File.open(QIODevice::ReadOnly)) {
        *a_Error = QStringLiteral("cannot open %1: %2").arg(a_Path, m_File.errorString());
        return false;
    }
    if (m_File.isSequential()) {
        *a_Error = QStringLiteral("%1 is not a regular file").arg(a_Path);
        return false;
    }
    const qint64 size = m_File.size();
    if (size % recordBytes != 0 && !a_Quiet)
        Terminal::note(Failures::text(Failure::PartialRecord, {a_Path, QString::number(size % recordBytes)}));
    m_Records = size / recordBytes;
    m_Done = 0;
    return true;
}

bool PhotonRecordReader::next(std::vector<PhotonRecord>* a_Batch, QString* a_Error)
{
    a_Batch->clear();
    const qint64 wanted = qMin<qint64>(batchRecords, m_Records - m_Done);
    if (wanted <= 0)
        return true;
    const QByteArray bytes = m_File.read(wanted * recordBytes);
    if (bytes.size() != wanted * recordBytes) {
        *a_Error = QStringLiteral("cannot read %1: it ended after %2 of %3 records")
                       .arg(m_File.fileName()).arg(m_Done + bytes.size() / recordBytes).arg(m_Records);
        return false;
    }
    a_Batch->reserve(size_t(wanted));
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    for (qint64 i = 0; i < wanted; ++i) {
        const uchar* r = data + i * recordBytes;
        const QString fault = photonRecordFault(r);
        if (!fault.isEmpty()) {
            *a_Error = Failures::text(Failure::NotPhotonRecords, {m_File.fileName(),
                                                                  QString::number((m_Done + i) * recordBytes), fault});
            return false;
        }
        a_Batch->push_back({r[0], quint16(r[1] << 8 | r[2]), quint16(r[3] << 8 | r[4]), quint16(r[5] << 8 | r[6]), r[7],
                            quint16(r[8] << 8 | r[9]), r[10]});
    }
    m_Done += wanted;
    return true;
}

} // namespace tool
