#include "gui/librarytexts.h"

#include "tools/camera/libraryevents.h"

#include <QTimer>

namespace gui {

LibraryTexts::LibraryTexts(QObject* a_Parent)
    : QObject(a_Parent)
{
    tool::LibraryEvents::setListener([this](const QString& a_Kind, const QString& a_Text) {
        if (m_Pending.isEmpty())
            QTimer::singleShot(0, this, &LibraryTexts::deliver);
        m_Pending.append({a_Kind, a_Text});
    });
}

LibraryTexts::~LibraryTexts()
{
    tool::LibraryEvents::setListener({});
}

bool LibraryTexts::reportsLoss(const QString& a_Text)
{
    return a_Text.startsWith(QLatin1String("Data lost")) || a_Text.startsWith(QLatin1String("Stream overflow"));
}

void LibraryTexts::deliver()
{
    const QVector<QPair<QString, QString>> pending = std::exchange(m_Pending, {});
    for (const auto& entry : pending) {
        if (reportsLoss(entry.second))
            m_LossTexts.append(entry.second);
        emit text(entry.first, entry.second);
    }
}

} // namespace gui
