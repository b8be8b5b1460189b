#include "acquisition/lossreport.h"

LossReport::LossReport(const char* a_Format)
    : m_Format(a_Format)
{
}

QString LossReport::Take(qint64 a_Total, bool a_Force)
{
    if (a_Total <= m_Reported)
        return QString();
    if (!a_Force && m_SinceReport.isValid() && m_SinceReport.elapsed() < 1000)
        return QString();
    m_SinceReport.start();
    const QString text = QString::fromLatin1(m_Format).arg(a_Total - m_Reported).arg(a_Total);
    m_Reported = a_Total;
    return text;
}
