// Runs the quorvel tool (or another test program) as a child process and reads
// its summary table.
#ifndef TESTS_TOOLS_TOOLRUN_H
#define TESTS_TOOLS_TOOLRUN_H

#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>

namespace tooltest {

struct ToolRun {
    bool finished = false; // false: killed at the time-out
    int exitCode = -1;
    QString out;
    QString err;

    // The value of a summary row "  <key>  <value>", or an empty string.
    QString value(const QString& a_Key) const;
    // The first number in that value, thousands separators removed; -1 if none.
    qint64 number(const QString& a_Key, int a_Index = 0) const;
    QString describe() const; // exit code and output, for failure messages
};

QString toolPath();
// The words of a_Line split at spaces: arguments written as one line.
QStringList words(const char* a_Line);
// Runs the program to its end (killed after a_TimeoutMs).
ToolRun run(const QString& a_Program, const QStringList& a_Arguments, int a_TimeoutMs = 60000);
ToolRun runTool(const QStringList& a_Arguments, int a_TimeoutMs = 60000);

// A fresh temporary folder for one test's files, removed with the object.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    QString path() const { return m_Path; }
    QString file(const QString& a_Name) const;

private:
    QString m_Path;
};

} // namespace tooltest

#endif
