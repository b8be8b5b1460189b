#include "tools/commands/commandline.h"

#include "tools/terminal/terminal.h"

namespace tool {

CommandLine::CommandLine(const QString& a_Command, const QString& a_Usage, const QString& a_Description)
    : m_Command(a_Command)
    , m_Usage(a_Usage)
{
    m_Parser.setApplicationDescription(a_Description);
    m_Parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_Parser.addHelpOption();
}

CommandLine::Result CommandLine::parse(const QStringList& a_Arguments)
{
    // QCommandLineParser skips the first argument as the program name.
    if (!m_Parser.parse(QStringList {QStringLiteral("quorvel")} + a_Arguments)) {
        usageError(m_Parser.errorText() + QStringLiteral(" (see quorvel ") + m_Command + QStringLiteral(" --help)"));
        return Failed;
    }
    if (m_Parser.isSet(QStringLiteral("help"))) {
        Terminal::out(helpText());
        return HelpShown;
    }
    return Parsed;
}

bool CommandLine::parseOrExit(const QStringList& a_Arguments, int* a_pExitCode)
{
    switch (parse(a_Arguments)) {
    case HelpShown:
        *a_pExitCode = ExitSuccess;
        return false;
    case Failed:
        *a_pExitCode = ExitUsage;
        return false;
    case Parsed:
        break;
    }
    return true;
}

QString CommandLine::helpText() const
{
    // Replace Qt's usage line, which names the binary, with the command's own.
    QString text = m_Parser.helpText();
    const int firstLineEnd = text.indexOf(QLatin1Char('\n'));
    text = text.mid(firstLineEnd + 1);
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return QStringLiteral("Usage: quorvel %1 %2\n").arg(m_Command, m_Usage) + text;
}

int CommandLine::usageError(const QString& a_Text) const
{
    Terminal::note(QStringLiteral("quorvel %1: %2").arg(m_Command, a_Text));
    return ExitUsage;
}

int CommandLine::failure(const QString& a_Text) const
{
    Terminal::note(QStringLiteral("quorvel %1: %2").arg(m_Command, a_Text));
    return ExitFailure;
}

void CommandLine::addOptions(QCommandLineParser* a_Parser, QList<QCommandLineOption> a_Options)
{
    for (QCommandLineOption& option : a_Options) {
        if (!option.defaultValues().isEmpty())
            option.setDescription(option.description() + QStringLiteral(" Default: %1.").arg(option.defaultValues().join(QLatin1Char(','))));
    }
    a_Parser->addOptions(a_Options);
}

bool CommandLine::toInt(const QString& a_Text, int* a_Value)
{
    bool ok = false;
    const QString text = a_Text.trimmed();
    const int value = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? text.mid(2).toInt(&ok, 16)
                                                                                 : text.toInt(&ok, 10);
    if (ok)
        *a_Value = value;
    return ok;
}

bool CommandLine::toDouble(const QString& a_Text, double* a_Value)
{
    bool ok = false;
    const double value = a_Text.trimmed().toDouble(&ok);
    if (ok && qIsFinite(value))
        *a_Value = value;
    return ok && qIsFinite(value);
}

} // namespace tool
