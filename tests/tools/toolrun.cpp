#include "tests/tools/toolrun.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace tooltest {

QString toolPath()
{
    return QStringLiteral(QUORVEL_TOOL_PATH);
}

QStringList words(const char* a_Line)
{
    return QString::fromLatin1(a_Line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

ToolRun run(const QString& a_Program, const QStringList& a_Arguments, int a_TimeoutMs)
{
    QProcess process;
    process.start(a_Program, a_Arguments);
    ToolRun result;
    if (!process.waitForStarted(10000)) {
        result.err = QStringLiteral("cannot start %1").arg(a_Program);
        return result;
    }
    result.finished = process.waitForFinished(a_TimeoutMs);
    if (!result.finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

ToolRun runTool(const QStringList& a_Arguments, int a_TimeoutMs)
{
    return run(toolPath(), a_Arguments, a_TimeoutMs);
}

QString ToolRun::value(const QString& a_Key) const
{
    const QRegularExpression row(QStringLiteral("^  %1  +(.*)$").arg(QRegularExpression::escape(a_Key)),
                                 QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = row.match(out);
    return match.hasMatch() ? match.captured(1).trimmed() : QString();
}

qint64 ToolRun::number(const QString& a_Key, int a_Index) const
{
    QString text = value(a_Key);
    text.remove(QLatin1Char(','));
    static const QRegularExpression numberPattern(QStringLiteral("\\d+"));
    QRegularExpressionMatchIterator it = numberPattern.globalMatch(text);
    for (int i = 0; it.hasNext(); ++i) {
        const QRegularExpressionMatch match = it.next();
        if (i == a_Index)
            return match.captured(0).toLongLong();
    }
    return -1;
}

QString ToolRun::describe() const
{
    return QStringLiteral("exit %1\n--- stdout\n%2\n--- stderr\n%3").arg(exitCode).arg(out, err);
}

ScratchFolder::ScratchFolder()
{
    QTemporaryDir dir(QDir::temp().filePath(QStringLiteral("quorvel-tool-test-XXXXXX")));
    dir.setAutoRemove(false);
    m_Path = dir.path();
}

ScratchFolder::~ScratchFolder()
{
    if (!m_Path.isEmpty())
        QDir(m_Path).removeRecursively();
}

QString ScratchFolder::file(const QString& a_Name) const
{
    return QDir(m_Path).filePath(a_Name);
}

} // namespace tooltest
