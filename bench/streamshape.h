// How the virtual camera fills its datagrams: photons of 3 bytes per packet and
// whole packets per datagram, and the conversions between MB/s and packets/s.
#ifndef BENCH_STREAMSHAPE_H
#define BENCH_STREAMSHAPE_H

struct StreamShape
{
    int m_PhotonsPerPacket = 216;  // 216 x 3 + 10 = 658-byte packets
    int m_PacketsPerDatagram = 1;

    int PacketBytes() const { return 10 + 3 * m_PhotonsPerPacket; }
    int DatagramBytes() const { return PacketBytes() * m_PacketsPerDatagram; }
    int PacketsPerSecond(double a_MBps) const { return static_cast<int>(a_MBps * 1e6 / PacketBytes() + 0.5); }
    double MBps(double a_PacketsPerSecond) const { return a_PacketsPerSecond * PacketBytes() / 1e6; }

    // The two shapes measured: one 658-byte packet per datagram, and two
    // 700-byte packets per 1400-byte datagram.
    static StreamShape Small() { return StreamShape{216, 1}; }
    static StreamShape Large() { return StreamShape{230, 2}; }
    // Three 220-byte packets of 70 photons in one 660-byte datagram.
    static StreamShape ThreePackets() { return StreamShape{70, 3}; }
};

#endif
