#include "tools/files/outputfolder.h"

#include "tools/terminal/failures.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace tool {

namespace {
QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}
} // namespace

OutputFolder::~OutputFolder()
{
    for (int i = m_Created.size() - 1; i >= 0; --i)
        if (::rmdir(m_Created[i].toLocal8Bit().constData()) != 0)
            break;
}

const QStringList& OutputFolder::runFiles()
{
    static const QStringList names {QStringLiteral("photons.dat"),       QStringLiteral("photons.csv"),
                                    QStringLiteral("photons.csv.partial"), QStringLiteral("configuration.dat"),
                                    QStringLiteral("flood.png"),         QStringLiteral("spectrum.png"),
                                    QStringLiteral("photons.h5")};
    return names;
}

QString OutputFolder::filePath(const QString& a_Name) const
{
    return QDir(m_Path).filePath(a_Name);
}

bool OutputFolder::prepare(const QString& a_Path, bool a_Overwrite, QString* a_Error)
{
    m_Path = a_Path;
    const QString absolute = QDir::cleanPath(QDir(a_Path).absolutePath());
    QStringList missing;
    for (QString path = absolute; !QFileInfo::exists(path) && !QFileInfo(path).isSymLink() && path != QLatin1String("/");
         path = QFileInfo(path).absolutePath())
        missing.prepend(path);
    for (const QString& path : missing) {
        if (::mkdir(path.toLocal8Bit().constData(), 0755) != 0) {
            *a_Error = Failures::text(Failure::FolderCannotCreate, {a_Path, systemReason()});
            return false;
        }
        m_Created.append(path);
    }
    struct stat info {};
    if (::stat(absolute.toLocal8Bit().constData(), &info) != 0) {
        *a_Error = Failures::text(Failure::FolderCannotCreate, {a_Path, systemReason()});
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        *a_Error = Failures::text(Failure::FolderCannotCreate, {a_Path, QStringLiteral("a file of that name exists")});
        return false;
    }
    const QDir dir(absolute);
    const QFileInfoList entries = dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (!entries.isEmpty() && !a_Overwrite) {
        *a_Error = Failures::text(Failure::FolderNotEmpty, {a_Path});
        return false;
    }
    for (const QFileInfo& entry : entries) {
        if (!runFiles().contains(entry.fileName()) || (entry.isDir() && !entry.isSymLink())) {
            *a_Error = Failures::text(Failure::FolderHasOtherFiles, {a_Path, entry.fileName()});
            return false;
        }
    }
    for (const QFileInfo& entry : entries) {
        if (!entry.isSymLink() && ::unlink(entry.absoluteFilePath().toLocal8Bit().constData()) != 0) {
            *a_Error = Failures::text(Failure::FileCannotRemove, {entry.absoluteFilePath(), systemReason()});
            return false;
        }
    }
    // A test file proves the folder takes files (a read-only mount, permissions).
    QByteArray probe = dir.filePath(QStringLiteral(".quorvel-probe-XXXXXX")).toLocal8Bit();
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) {
        *a_Error = Failures::text(Failure::FolderNotWritable, {a_Path, systemReason()});
        return false;
    }
    ::close(fd);
    ::unlink(probe.constData());
    return true;
}

qint64 OutputFolder::freeBytes() const
{
    struct statvfs info {};
    if (::statvfs(QDir(m_Path).absolutePath().toLocal8Bit().constData(), &info) != 0)
        return -1;
    return qint64(info.f_bavail) * qint64(info.f_frsize);
}

QString OutputFolder::bytesText(qint64 a_Bytes)
{
    const char* units[] = {"bytes", "kB", "MB", "GB", "TB", "PB"};
    double value = double(a_Bytes);
    int unit = 0;
    while (value >= 1000.0 && unit < 5) {
        value /= 1000.0;
        ++unit;
    }
    return unit == 0 ? QStringLiteral("%1 bytes").arg(a_Bytes)
                     : QStringLiteral("%1 %2").arg(value, 0, 'f', 1).arg(QLatin1String(units[unit]));
}

} // namespace tool
