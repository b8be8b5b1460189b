// Option parsing shared by the commands: a parser per command with --help,
// one-line errors, and number parsing that accepts decimal and 0x hex.
#ifndef TOOLS_COMMANDLINE_H
#define TOOLS_COMMANDLINE_H

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

namespace tool {

enum ExitCode { ExitSuccess = 0, ExitFailure = 1, ExitUsage = 2 };

class CommandLine {
public:
    enum Result { Parsed, HelpShown, Failed };

    // a_Usage follows "quorvel <command>" in the usage line, e.g. "[options] FILE".
    CommandLine(const QString& a_Command, const QString& a_Usage, const QString& a_Description);

    QCommandLineParser& parser() { return m_Parser; }
    // Parses the arguments after the command name. Prints the help (HelpShown)
    // or one error line (Failed) itself.
    Result parse(const QStringList& a_Arguments);
    // The same for a command: false if it ends here, with *a_pExitCode set to
    // ExitSuccess after the help or ExitUsage after an error.
    bool parseOrExit(const QStringList& a_Arguments, int* a_pExitCode);
    // Prints "quorvel <command>: <text>" on stderr and returns ExitUsage.
    int usageError(const QString& a_Text) const;
    // Prints "quorvel <command>: <text>" on stderr and returns ExitFailure.
    int failure(const QString& a_Text) const;
    QString helpText() const;
    const QString& command() const { return m_Command; }

    // Adds options, with each default value named at the end of its description.
    static void addOptions(QCommandLineParser* a_Parser, QList<QCommandLineOption> a_Options);
    static bool toInt(const QString& a_Text, int* a_Value);      // decimal or 0x hex
    static bool toDouble(const QString& a_Text, double* a_Value);

private:
    QString m_Command;
    QString m_Usage;
    QCommandLineParser m_Parser;
};

} // namespace tool

#endif
