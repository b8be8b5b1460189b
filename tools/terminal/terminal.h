// Terminal output of the tool: results on stdout, progress and errors on stderr.
// A live line is redrawn in place on a terminal and printed sparingly elsewhere.
#ifndef TOOLS_TERMINAL_H
#define TOOLS_TERMINAL_H

#include <QString>

namespace tool {

class Terminal {
public:
    static void out(const QString& a_Line);   // one line on stdout
    static void note(const QString& a_Line);  // one line on stderr
    static void error(const QString& a_Line); // "quorvel: <line>" on stderr
    // Replaces the live line on a terminal; elsewhere prints it only when a_Force
    // is set, so logs get a few lines instead of a flood of redraws.
    static void live(const QString& a_Line, bool a_Force = false);
    static void endLive(); // ends the live line (newline on a terminal)
    static bool isTerminal();

    // "[#########...........]  45 %"
    static QString progressBar(int a_Percent, int a_Width = 30);
    // 1234567 -> "1,234,567"
    static QString grouped(qint64 a_Value);

private:
    static bool s_LiveOpen;
};

} // namespace tool

#endif
