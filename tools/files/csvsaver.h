// Saves the collection as CSV through the library, which writes it on its own
// thread: shows a progress bar fed by the progress callback, cancels on Ctrl-C,
// and counts the lines written.
#ifndef TOOLS_CSVSAVER_H
#define TOOLS_CSVSAVER_H

#include <QString>

namespace tool {

class InterruptWatcher;

class CsvSaver {
public:
    struct Result {
        bool ok = false;
        qint64 lines = -1; // lines in the file; -1 if there is no file
        QString note;      // why it failed, or that it was cancelled
    };

    static Result save(const QString& a_Path, const InterruptWatcher& a_Interrupts);
    // Lines in a text file (newline characters); -1 if it cannot be read.
    static qint64 countLines(const QString& a_Path);
};

} // namespace tool

#endif
