// One kind of data that could not be kept, reported as a sys status text at
// most once a second (at once when forced): what came since the last report
// and the total, so heavy loss does not flood the client.
#ifndef QUORVEL_LOSSREPORT_H
#define QUORVEL_LOSSREPORT_H

#include <QElapsedTimer>
#include <QString>

class LossReport
{
public:
    // a_Format takes %1, the count since the last report, and %2, the total.
    explicit LossReport(const char* a_Format);

    // The text to report for a total of a_Total now, or a null string.
    QString Take(qint64 a_Total, bool a_Force);

private:
    const char* m_Format;
    qint64 m_Reported = 0;
    QElapsedTimer m_SinceReport;
};

#endif // QUORVEL_LOSSREPORT_H
