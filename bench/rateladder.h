// Finds the highest rate at which a receiver loses nothing: short probes up a
// ladder of rates until the first loss (or until the sender cannot reach the
// rung), then one long run at the last clean rung to confirm it, and up to two
// rungs lower while that run loses.
#ifndef BENCH_RATELADDER_H
#define BENCH_RATELADDER_H

#include "bench/proberesult.h"

#include <QJsonObject>
#include <QString>
#include <QVector>

#include <functional>

class RateLadder
{
public:
    using Probe = std::function<ProbeResult(double a_MBps, double a_Seconds)>;

    struct Outcome
    {
        double m_EdgeMBps = 0.0;    // highest confirmed loss-free rate (what the sender reached)
        bool m_SenderLimited = false; // the ladder ended because the sender could not go faster
        bool m_Confirmed = false;
        QVector<ProbeResult> m_Probes;
        QVector<ProbeResult> m_Confirmations;
        QJsonObject ToJson() const;
    };

    RateLadder(const QVector<double>& a_RungsMBps, double a_ProbeSeconds, double a_ConfirmSeconds);
    Outcome Climb(const QString& a_Label, const Probe& a_Probe) const;

private:
    QVector<double> m_Rungs;
    double m_ProbeSeconds;
    double m_ConfirmSeconds;
};

#endif
