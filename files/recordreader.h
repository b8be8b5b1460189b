// Reads the values of a configuration file from an untrusted device: the
// QDataStream encoding (big-endian ints, one-byte bools, IEEE doubles, floats
// as the file's stream version stores them, zero-terminated strings), with the
// stream status kept so a section can check it after each record. Nothing is
// allocated from a length before the bytes it announces have been read.
#ifndef QUORVEL_RECORDREADER_H
#define QUORVEL_RECORDREADER_H

#include <QByteArray>
#include <QDataStream>
#include <QString>

class QIODevice;

class RecordReader
{
public:
    explicit RecordReader(QIODevice* a_pDevice);
    RecordReader(const RecordReader&) = delete;
    RecordReader& operator=(const RecordReader&) = delete;

    // The stream version decides only how floats are stored (4 or 8 bytes).
    void SetStreamVersion(int a_Version);

    // Each returns 0 (false, empty) once the data has run out; Ok() tells.
    int Int();
    bool Bool();
    double Double();
    float Float();
    QByteArray ZeroTerminatedString();

    bool Ok() const;
    bool AtEnd() const;

    // Records the first failure and returns false.
    bool Fail(const QString& a_Message);
    // Fail() with the text for a file that ends (or breaks off) inside a_Where.
    bool Truncated(const QString& a_Where);
    const QString& GetLastError() const;

private:
    QDataStream m_Stream;
    int m_StreamVersion = 0;
    QString m_LastError;
};

#endif // QUORVEL_RECORDREADER_H
