// Collects the library's status texts and errors for the log. The library calls
// back on this thread, sometimes holding a lock, so the texts are only queued
// there and handed on from the event loop, where listeners may call the library.
#ifndef GUI_LIBRARYTEXTS_H
#define GUI_LIBRARYTEXTS_H

#include <QObject>
#include <QPair>
#include <QStringList>
#include <QVector>

namespace gui {

class LibraryTexts : public QObject {
    Q_OBJECT
public:
    explicit LibraryTexts(QObject* a_Parent = nullptr);
    ~LibraryTexts() override;

    // Texts that say collected data was lost: "Data lost: ..." and "Stream overflow: ...".
    static bool reportsLoss(const QString& a_Text);
    QStringList lossTexts() const { return m_LossTexts; }
    void clearLoss() { m_LossTexts.clear(); }

signals:
    void text(const QString& a_Kind, const QString& a_Text);

private:
    void deliver();

    QVector<QPair<QString, QString>> m_Pending;
    QStringList m_LossTexts;
};

} // namespace gui

#endif
