#include "tools/files/csvwriter.h"

#include "files/photoncoding.h"
#include "tools/files/photonrecordreader.h"
#include "tools/terminal/terminal.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tool {

namespace {
bool writeAll(int a_Fd, const char* a_Bytes, size_t a_Size)
{
    while (a_Size > 0) {
        const ssize_t wrote = ::write(a_Fd, a_Bytes, a_Size);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0) {
            if (wrote == 0)
                errno = ENOSPC;
            return false;
        }
        a_Bytes += wrote;
        a_Size -= size_t(wrote);
    }
    return true;
}
} // namespace

CsvWriter::Result CsvWriter::write(const QString& a_Photons, const QString& a_Csv, const std::function<bool()>& a_Stop)
{
    Result result;
    PhotonRecordReader reader;
    QString error;
    if (!reader.open(a_Photons, &error, true)) {
        result.note = error;
        return result;
    }
    const int fd = ::open(a_Csv.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        result.note = QStringLiteral("cannot create %1: %2").arg(a_Csv, QString::fromLocal8Bit(std::strerror(errno)));
        return result;
    }
    const QString name = QFileInfo(a_Csv).fileName();
    std::vector<PhotonRecord> batch;
    std::vector<char> text;
    unsigned index = 0;
    PhotonRecord previous {};
    bool first = true;
    int lastPercent = -1;
    for (;;) {
        if (!reader.next(&batch, &error)) {
            result.note = error;
            break;
        }
        if (batch.empty()) {
            result.ok = true;
            break;
        }
        if (a_Stop()) {
            result.note = QStringLiteral("stopped early");
            break;
        }
        text.resize(batch.size() * PhotonCoding::MAX_CSV_LINE);
        char* p = text.data();
        for (const PhotonRecord& r : batch) {
            index = !first && r.gmId == previous.gmId && r.headerWord == previous.headerWord ? index + 1 : 0;
            first = false;
            previous = r;
            p = PhotonCoding::EncodeCsvPacketColumns(p, r.gmId, r.headerWord);
            p = PhotonCoding::EncodeCsvPhotonColumns(p, index, r.pixel, r.energy, r.positiveEnergy, r.timeDetect,
                                                     r.positiveTimeDetect);
        }
        if (!writeAll(fd, text.data(), size_t(p - text.data()))) {
            result.note = QString::fromLocal8Bit(std::strerror(errno));
            break;
        }
        result.lines += qint64(batch.size());
        const int percent = int(100 * result.lines / qMax<qint64>(1, reader.records()));
        if (percent != lastPercent) {
            lastPercent = percent;
            Terminal::live(QStringLiteral("Writing %1 %2").arg(name, Terminal::progressBar(percent)));
        }
    }
    if (::close(fd) != 0 && result.ok) {
        result.ok = false;
        result.note = QString::fromLocal8Bit(std::strerror(errno));
    }
    Terminal::live(QStringLiteral("Writing %1 %2").arg(name, Terminal::progressBar(qMax(0, lastPercent))), true);
    Terminal::endLive();
    if (!result.ok) {
        result.partialPath = a_Csv + QStringLiteral(".partial");
        QFile::remove(result.partialPath);
        if (!QFile::rename(a_Csv, result.partialPath)) {
            QFile::remove(a_Csv);
            result.partialPath.clear();
        }
    }
    return result;
}

} // namespace tool
