// The well-known peer: iperf3 in UDP mode on loopback at a given rate and
// datagram size, its server's count of lost datagrams as the result.
#ifndef BENCH_IPERFPEER_H
#define BENCH_IPERFPEER_H

#include "bench/proberesult.h"

#include <QString>

class IperfPeer
{
public:
    IperfPeer(const QString& a_Address, int a_DatagramBytes);
    static bool Available();
    ProbeResult Probe(double a_MBps, double a_Seconds);

private:
    QString m_Address;
    int m_DatagramBytes;
};

#endif
