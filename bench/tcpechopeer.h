// The control baselines: a plain TCP peer on loopback, on a thread of its own,
// that answers each request of a fixed size with a reply of a fixed size, or
// only swallows a given number of bytes.
#ifndef BENCH_TCPECHOPEER_H
#define BENCH_TCPECHOPEER_H

#include <QString>

class TcpEchoPeer
{
public:
    explicit TcpEchoPeer(const QString& a_Address);
    ~TcpEchoPeer();

    // Mean seconds of a_Count round trips: a_RequestBytes out, a_ReplyBytes back.
    double RoundTrip(int a_RequestBytes, int a_ReplyBytes, int a_Count);
    // Seconds to write a_Count requests of a_RequestBytes and have the peer read them all.
    double Stream(int a_RequestBytes, int a_Count);

private:
    bool Connect(int* a_pClient, int* a_pServer);

    QString m_Address;
    int m_Listener = -1;
};

#endif
