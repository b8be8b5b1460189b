#include "tools/files/photonrecordwriter.h"

namespace tool {

namespace {
inline char* bigEndian16(char* a_Out, unsigned a_Value)
{
    a_Out[0] = char((a_Value >> 8) & 0xFF);
    a_Out[1] = char(a_Value & 0xFF);
    return a_Out + 2;
}
} // namespace

void PhotonRecordWriter::encode(const ::PhotonRecord* a_Records, qint64 a_Count, QByteArray* a_Out)
{
    const int start = a_Out->size();
    a_Out->resize(start + int(a_Count * recordBytes));
    encode(a_Records, a_Count, a_Out->data() + start);
}

char* PhotonRecordWriter::encode(const ::PhotonRecord* a_Records, qint64 a_Count, char* a_Out)
{
    char* p = a_Out;
    for (qint64 i = 0; i < a_Count; ++i) {
        const ::PhotonRecord& r = a_Records[i];
        *p = char(r.gmID);
        p = bigEndian16(p + 1, r.headerWord);
        p = bigEndian16(p, r.pixel);
        p = bigEndian16(p, r.energy);
        *p++ = char(r.positiveEnergy);
        p = bigEndian16(p, r.timeDetect);
        *p++ = char(r.positiveTimeDetect);
    }
    return p;
}

bool PhotonRecordWriter::open(const QString& a_Path, QString* a_Error)
{
    m_File.setFileName(a_Path);
    m_Records = 0;
    if (!m_File.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *a_Error = QStringLiteral("cannot create %1: %2").arg(a_Path, m_File.errorString());
        return false;
    }
    return true;
}

bool PhotonRecordWriter::write(const ::PhotonRecord* a_Records, qint64 a_Count, QString* a_Error)
{
    m_Buffer.clear();
    encode(a_Records, a_Count, &m_Buffer);
    if (m_File.write(m_Buffer) != m_Buffer.size()) {
        *a_Error = QStringLiteral("cannot write %1: %2").arg(m_File.fileName(), m_File.errorString());
        return false;
    }
    m_Records += a_Count;
    return true;
}

bool PhotonRecordWriter::close(QString* a_Error)
{
    if (!m_File.isOpen())
        return true;
    const bool flushed = m_File.flush();
    m_File.close();
    if (!flushed && a_Error)
        *a_Error = QStringLiteral("cannot write %1: %2").arg(m_File.fileName(), m_File.errorString());
    return flushed;
}

} // namespace tool
