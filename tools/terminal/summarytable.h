// A short two-column table on stdout: a title line, then "  key   value" rows
// with the values aligned.
#ifndef TOOLS_SUMMARYTABLE_H
#define TOOLS_SUMMARYTABLE_H

#include <QPair>
#include <QString>
#include <QVector>

namespace tool {

class SummaryTable {
public:
    explicit SummaryTable(const QString& a_Title);
    void add(const QString& a_Key, const QString& a_Value);
    void print() const;
    QString text() const;

private:
    QString m_Title;
    QVector<QPair<QString, QString>> m_Rows;
};

} // namespace tool

#endif
