// The outcome of one receive probe: what the sender sent, what the receiver
// kept, where the difference went, and the rate actually reached.
#ifndef BENCH_PROBERESULT_H
#define BENCH_PROBERESULT_H

#include <QJsonObject>
#include <QString>

struct ProbeResult
{
    double m_RequestedMBps = 0.0;
    double m_SentMBps = 0.0;   // what the sender reached (payload bytes / s)
    double m_Seconds = 0.0;
    qint64 m_Sent = 0;         // datagrams (peers) or packets (library)
    qint64 m_Received = 0;
    qint64 m_Lost = 0;         // sent but not received
    qint64 m_Extra = 0;        // received more than once, or out of sequence
    qint64 m_SocketDrops = -1; // dropped by the kernel at the receiving socket, -1 unknown
    int m_Segments = 1;        // collections the run was split into
    QString m_Error;

    bool Lossless() const { return m_Error.isEmpty() && m_Sent > 0 && m_Lost == 0 && m_Extra == 0; }
    // The sender fell short of the asked rate: the rung says nothing about the receiver.
    bool SenderLimited() const { return m_SentMBps < 0.9 * m_RequestedMBps; }
    QJsonObject ToJson() const
    {
        return QJsonObject{{"requested_MBps", m_RequestedMBps}, {"sent_MBps", m_SentMBps}, {"seconds", m_Seconds},
                           {"sent", m_Sent}, {"received", m_Received}, {"lost", m_Lost}, {"extra", m_Extra},
                           {"socket_drops", m_SocketDrops}, {"segments", m_Segments}, {"lossless", Lossless()},
                           {"error", m_Error}};
    }
};

#endif
