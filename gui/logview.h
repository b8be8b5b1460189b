// The log of the library's status texts, the program's own notes and errors.
#ifndef GUI_LOGVIEW_H
#define GUI_LOGVIEW_H

#include <QPlainTextEdit>

namespace gui {

class LogView : public QPlainTextEdit {
public:
    explicit LogView(QWidget* a_Parent = nullptr);
    // a_Kind: the library's "connect", "system", "toolbar", "error", or "info".
    void add(const QString& a_Kind, const QString& a_Text);
};

} // namespace gui

#endif
