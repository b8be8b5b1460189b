#include "files/recordreader.h"

#include <QIODevice>

#include <cfloat>
#include <cmath>
#include <cstring>

#include "files/configurationformat.h"

namespace {
// Strings are read in pieces of this size, so a forged length costs at most one piece.
constexpr quint32 STRING_PIECE = 64 * 1024;
} // namespace

RecordReader::RecordReader(QIODevice* a_pDevice)
    : m_Stream(a_pDevice)
{
}

void RecordReader::SetStreamVersion(int a_Version)
{
    m_StreamVersion = a_Version;
}

int RecordReader::Int()
{
    qint32 value = 0;
    m_Stream >> value;
    return m_Stream.status() == QDataStream::Ok ? value : 0;
}

bool RecordReader::Bool()
{
    bool value = false;
    m_Stream >> value;
    return m_Stream.status() == QDataStream::Ok && value;
}

double RecordReader::Double()
{
    double value = 0.0;
    m_Stream >> value;
    return m_Stream.status() == QDataStream::Ok ? value : 0.0;
}

float RecordReader::Float()
{
    if (m_StreamVersion >= ConfigurationFormat::DOUBLE_FLOAT_STREAM_VERSION) {
        const double value = Double();
        // Out of float range is infinity, not an undefined conversion.
        if (std::isnan(value))
            return NAN;
        if (value > FLT_MAX)
            return INFINITY;
        if (value < -FLT_MAX)
            return -INFINITY;
        return static_cast<float>(value);
    }
    quint32 bits = 0;
    m_Stream >> bits;
    if (m_Stream.status() != QDataStream::Ok)
        return 0.0f;
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

QByteArray RecordReader::ZeroTerminatedString()
{
    quint32 length = 0;
    m_Stream >> length;
    QByteArray text;
    while (m_Stream.status() == QDataStream::Ok && static_cast<quint32>(text.size()) < length) {
        const int piece = static_cast<int>(qMin(STRING_PIECE, length - static_cast<quint32>(text.size())));
        const int start = text.size();
        text.resize(start + piece);
        if (m_Stream.readRawData(text.data() + start, piece) != piece) {
            m_Stream.setStatus(QDataStream::ReadPastEnd);
            return QByteArray();
        }
    }
    if (m_Stream.status() != QDataStream::Ok)
        return QByteArray();
    const int end = text.indexOf('\0');
    if (end >= 0)
        text.truncate(end);
    return text;
}

bool RecordReader::Ok() const
{
    return m_Stream.status() == QDataStream::Ok && m_LastError.isEmpty();
}

bool RecordReader::AtEnd() const
{
    return m_Stream.atEnd();
}

bool RecordReader::Fail(const QString& a_Message)
{
    if (m_LastError.isEmpty())
        m_LastError = a_Message;
    return false;
}

bool RecordReader::Truncated(const QString& a_Where)
{
    return Fail(QStringLiteral("Configuration file is truncated or corrupt: it ends inside %1").arg(a_Where));
}

const QString& RecordReader::GetLastError() const
{
    return m_LastError;
}
