#include "bench/rateladder.h"

#include <QJsonArray>

#include <algorithm>
#include <cstdio>

namespace {
void Report(const QString& a_Label, const char* a_Kind, const ProbeResult& a_Result)
{
    std::fprintf(stderr, "  %-22s %-7s asked %7.1f MB/s sent %7.1f MB/s %6.1f s: sent %lld received %lld lost %lld extra %lld"
                         " socket drops %lld%s%s\n",
                 a_Label.toUtf8().constData(), a_Kind, a_Result.m_RequestedMBps, a_Result.m_SentMBps, a_Result.m_Seconds,
                 static_cast<long long>(a_Result.m_Sent), static_cast<long long>(a_Result.m_Received),
                 static_cast<long long>(a_Result.m_Lost), static_cast<long long>(a_Result.m_Extra),
                 static_cast<long long>(a_Result.m_SocketDrops), a_Result.m_Error.isEmpty() ? "" : " error: ",
                 a_Result.m_Error.toUtf8().constData());
}
} // namespace

QJsonObject RateLadder::Outcome::ToJson() const
{
    QJsonArray probes;
    for (const ProbeResult& probe : m_Probes)
        probes.append(probe.ToJson());
    QJsonArray confirmations;
    for (const ProbeResult& run : m_Confirmations)
        confirmations.append(run.ToJson());
    return QJsonObject{{"loss_free_MBps", m_EdgeMBps}, {"sender_limited", m_SenderLimited}, {"confirmed", m_Confirmed},
                       {"probes", probes}, {"confirmations", confirmations}};
}

RateLadder::RateLadder(const QVector<double>& a_RungsMBps, double a_ProbeSeconds, double a_ConfirmSeconds)
    : m_Rungs(a_RungsMBps)
    , m_ProbeSeconds(a_ProbeSeconds)
    , m_ConfirmSeconds(a_ConfirmSeconds)
{
}

RateLadder::Outcome RateLadder::Climb(const QString& a_Label, const Probe& a_Probe) const
{
    Outcome outcome;
    int clean = -1; // index of the highest rung without loss
    for (int index = 0; index < m_Rungs.size(); ++index) {
        const ProbeResult result = a_Probe(m_Rungs[index], m_ProbeSeconds);
        outcome.m_Probes.append(result);
        Report(a_Label, "probe", result);
        if (!result.Lossless())
            break;
        clean = index;
        if (result.SenderLimited())
            break; // higher rungs would only measure the sender
    }
    // Confirm the edge with a long run; up to two rungs lower while it loses.
    for (int index = clean; index >= 0 && index >= clean - 2; --index) {
        const ProbeResult run = a_Probe(m_Rungs[index], m_ConfirmSeconds);
        outcome.m_Confirmations.append(run);
        Report(a_Label, "confirm", run);
        if (run.Lossless()) {
            outcome.m_Confirmed = true;
            outcome.m_SenderLimited = run.SenderLimited();
            outcome.m_EdgeMBps = run.SenderLimited() ? run.m_SentMBps : m_Rungs[index];
            break;
        }
    }
    return outcome;
}
