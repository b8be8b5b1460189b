// The output folder of `quorvel acquire`: made ready before the camera is
// touched (created, or emptied of an old run's files with --overwrite, and
// checked for writing), checked for room once the packet rate is known, and
// removed again at the end if this run created it and left it empty.
#ifndef TOOLS_OUTPUTFOLDER_H
#define TOOLS_OUTPUTFOLDER_H

#include <QString>
#include <QStringList>

namespace tool {

class OutputFolder {
public:
    OutputFolder() = default;
    ~OutputFolder(); // removes the folders this run created, if still empty
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;

    // The names a run writes.
    static const QStringList& runFiles();

    // False with a one-line reason. A folder with files is refused unless
    // a_Overwrite, which removes a run's files first (a symbolic link stays and is
    // written through) and refuses a folder holding anything else.
    bool prepare(const QString& a_Path, bool a_Overwrite, QString* a_Error);
    // Free bytes for an unprivileged writer; -1 if unknown.
    qint64 freeBytes() const;
    QString filePath(const QString& a_Name) const;

    static QString bytesText(qint64 a_Bytes); // "1.5 GB"

private:
    QString m_Path;
    QStringList m_Created; // folders made by this run, outermost first
};

} // namespace tool

#endif
