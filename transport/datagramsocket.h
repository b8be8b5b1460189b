// The UDP half of the camera link: a socket bound to the host address with a
// large receive buffer, read in batches with recvmmsg, that takes datagrams
// only from the camera's address. It counts the datagrams it handed on, those
// from other senders, and those the kernel dropped because its buffer was full.
//
// Open, Bind, Drain, WaitReadable, UpdateKernelDrops and Release run on the
// socket's own thread; the counters may be read from any thread.
#ifndef QUORVEL_DATAGRAMSOCKET_H
#define QUORVEL_DATAGRAMSOCKET_H

#include <QHostAddress>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QUdpSocket;

class DatagramSocket
{
public:
    static constexpr int BATCH_DATAGRAMS = 64;  // datagrams one recvmmsg call takes at most
    static constexpr int SLOT_BYTES = 65536;    // above the largest UDP payload, so nothing is cut

    DatagramSocket();
    ~DatagramSocket();
    DatagramSocket(const DatagramSocket&) = delete;
    DatagramSocket& operator=(const DatagramSocket&) = delete;

    // The Qt socket, made on the calling thread the first time, for its
    // readyRead and errorOccurred signals.
    QUdpSocket* Open();
    // Closes and deletes the Qt socket, on the thread that opened it.
    void Release();

    // Binds anew to a_Host on a port the system chooses and asks for a receive
    // buffer of a_ReceiveBufferRequest bytes. False if the bind failed; the Qt
    // socket reports why.
    bool Bind(const QHostAddress& a_Host, int a_ReceiveBufferRequest);
    void Close();
    bool IsBound() const;
    quint16 GetLocalPort() const;

    // Datagrams from any other address are read, dropped and counted; an empty
    // address takes every sender.
    void SetSender(const QString& a_Address);

    // Reads at most a_Max pending datagrams and hands each from the sender to
    // a_Take; returns how many were read, taken or not.
    qint64 Drain(qint64 a_Max, const std::function<void(const char*, qint64)>& a_Take);
    // Waits up to a_Ms for a datagram; true if one is pending.
    bool WaitReadable(int a_Ms);
    // A bound for draining everything the socket can hold at once.
    qint64 GetCapacityInDatagrams() const;
    // Adds what the kernel dropped on the socket since the last call to the count.
    void UpdateKernelDrops();

    qint64 GetReceiveBufferSize() const; // granted at the last bind, or 0
    qint64 GetTaken() const;             // handed on since construction
    qint64 GetForeign() const;           // from other senders, dropped
    qint64 GetKernelDrops() const;       // dropped by the kernel

private:
    struct ReceiveSlots;
    struct SenderFilter;

    int ReadBatch(int a_Fd, int a_Count, const std::function<void(const char*, qint64)>& a_Take);
    bool ReadOneThroughQt(const std::function<void(const char*, qint64)>& a_Take);
    bool IsFromSender(const struct sockaddr* a_pSender) const;

    QUdpSocket* m_pSocket = nullptr;
    std::unique_ptr<ReceiveSlots> m_pSlots;
    std::unique_ptr<SenderFilter> m_pFilter;
    quint32 m_KernelDropCounter = 0; // the kernel's cumulative count for the current socket
    std::atomic<qint64> m_ReceiveBufferSize {0};
    std::atomic<qint64> m_Taken {0};
    std::atomic<qint64> m_Foreign {0};
    std::atomic<qint64> m_KernelDrops {0};
};

#endif // QUORVEL_DATAGRAMSOCKET_H
