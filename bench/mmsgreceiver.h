// The near-limit peer: a plain UDP receiver with a large receive buffer that
// drains the socket with recvmmsg, 64 datagrams per call, into a preallocated
// ring on a thread of its own, and only counts what arrives.
#ifndef BENCH_MMSGRECEIVER_H
#define BENCH_MMSGRECEIVER_H

#include <QString>

#include <atomic>
#include <thread>
#include <vector>

class MmsgReceiver
{
public:
    MmsgReceiver();
    ~MmsgReceiver();

    bool Open(const QString& a_Address, QString* a_pError); // binds to a free port
    quint16 Port() const { return m_Port; }
    int GrantedBufferBytes() const { return m_GrantedBytes; }
    void Start();
    void Stop();
    qint64 Datagrams() const { return m_Datagrams.load(); }
    qint64 Bytes() const { return m_Bytes.load(); }

private:
    void Run();

    int m_Socket = -1;
    quint16 m_Port = 0;
    int m_GrantedBytes = 0;
    std::vector<char> m_Ring;
    std::thread m_Thread;
    std::atomic<bool> m_Stop {false};
    std::atomic<qint64> m_Datagrams {0};
    std::atomic<qint64> m_Bytes {0};
};

#endif
