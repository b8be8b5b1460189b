#include "tools/terminal/summarytable.h"

#include "tools/terminal/terminal.h"

namespace tool {

SummaryTable::SummaryTable(const QString& a_Title)
    : m_Title(a_Title)
{
}

void SummaryTable::add(const QString& a_Key, const QString& a_Value)
{
    m_Rows.append({a_Key, a_Value});
}

QString SummaryTable::text() const
{
    int keyWidth = 0;
    for (const auto& row : m_Rows)
        keyWidth = qMax(keyWidth, row.first.size());
    QString text = m_Title;
    for (const auto& row : m_Rows)
        text += QStringLiteral("\n  %1  %2").arg(row.first, -keyWidth).arg(row.second);
    return text;
}

void SummaryTable::print() const
{
    Terminal::out(text());
}

} // namespace tool
