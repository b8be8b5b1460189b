#include "tools/terminal/terminal.h"

#include <QLocale>
#include <cstdio>
#include <unistd.h>

namespace tool {

bool Terminal::s_LiveOpen = false;

namespace {
void writeLine(FILE* a_Stream, const QString& a_Text)
{
    const QByteArray bytes = a_Text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), a_Stream);
    std::fputc('\n', a_Stream);
    std::fflush(a_Stream);
}
} // namespace

void Terminal::out(const QString& a_Line)
{
    endLive();
    writeLine(stdout, a_Line);
}

void Terminal::note(const QString& a_Line)
{
    endLive();
    writeLine(stderr, a_Line);
}

void Terminal::error(const QString& a_Line)
{
    note(QStringLiteral("quorvel: ") + a_Line);
}

bool Terminal::isTerminal()
{
    static const bool terminal = ::isatty(STDERR_FILENO) == 1;
    return terminal;
}

void Terminal::live(const QString& a_Line, bool a_Force)
{
    if (isTerminal()) {
        // Carriage return and clear to the end of the line, so a shorter text leaves no tail.
        const QByteArray bytes = "\r\033[K" + a_Line.toUtf8();
        std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
        std::fflush(stderr);
        s_LiveOpen = true;
    } else if (a_Force) {
        writeLine(stderr, a_Line);
    }
}

void Terminal::endLive()
{
    if (s_LiveOpen) {
        std::fputc('\n', stderr);
        std::fflush(stderr);
        s_LiveOpen = false;
    }
}

QString Terminal::progressBar(int a_Percent, int a_Width)
{
    const int percent = qBound(0, a_Percent, 100);
    const int filled = percent * a_Width / 100;
    return QStringLiteral("[%1%2] %3 %")
        .arg(QString(filled, QLatin1Char('#')), QString(a_Width - filled, QLatin1Char('.')))
        .arg(percent, 3);
}

QString Terminal::grouped(qint64 a_Value)
{
    QLocale locale(QLocale::English);
    return locale.toString(a_Value);
}

} // namespace tool
