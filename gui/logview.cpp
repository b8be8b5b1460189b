#include "gui/logview.h"

#include <QTime>

namespace gui {

LogView::LogView(QWidget* a_Parent)
    : QPlainTextEdit(a_Parent)
{
    setReadOnly(true);
    setMaximumBlockCount(5000);
    setPlaceholderText(QStringLiteral("The library's status texts and errors appear here."));
}

void LogView::add(const QString& a_Kind, const QString& a_Text)
{
    const bool bad = a_Kind == QLatin1String("error") || a_Text.startsWith(QLatin1String("Data lost"))
                     || a_Text.startsWith(QLatin1String("Stream overflow"));
    const QString line = QStringLiteral("%1 [%2] %3")
                             .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")), a_Kind, a_Text);
    appendHtml(QStringLiteral("<span style=\"color:%1\">%2</span>")
                   .arg(bad ? QStringLiteral("#c00000") : QStringLiteral("#202020"), line.toHtmlEscaped()));
}

} // namespace gui
