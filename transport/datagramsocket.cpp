#include "transport/datagramsocket.h"

#include <QUdpSocket>

#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>

#include <cerrno>
#include <cstring>

// Receive slots for batched reads: one recvmmsg call fills up to BATCH_DATAGRAMS.
struct DatagramSocket::ReceiveSlots
{
    std::unique_ptr<char[]> data {new char[static_cast<size_t>(BATCH_DATAGRAMS) * SLOT_BYTES]};
    mmsghdr messages[BATCH_DATAGRAMS];
    iovec vectors[BATCH_DATAGRAMS];
    sockaddr_storage senders[BATCH_DATAGRAMS];

    ReceiveSlots()
    {
        std::memset(messages, 0, sizeof(messages));
        for (int i = 0; i < BATCH_DATAGRAMS; ++i) {
            vectors[i].iov_base = Slot(i);
            vectors[i].iov_len = SLOT_BYTES;
            messages[i].msg_hdr.msg_iov = &vectors[i];
            messages[i].msg_hdr.msg_iovlen = 1;
            messages[i].msg_hdr.msg_name = &senders[i];
        }
    }
    char* Slot(int a_Index) { return data.get() + static_cast<size_t>(a_Index) * SLOT_BYTES; }
};

// The sender's address as the kernel reports a sender, parsed once.
struct DatagramSocket::SenderFilter
{
    int family = AF_UNSPEC; // AF_UNSPEC: any sender is taken
    in_addr ipv4 {};
    in6_addr ipv6 {};
    QHostAddress address;

    explicit SenderFilter(const QString& a_Address)
        : address(a_Address)
    {
        bool isIPv4 = false;
        const quint32 value = address.toIPv4Address(&isIPv4);
        if (isIPv4) {
            family = AF_INET;
            ipv4.s_addr = htonl(value);
        } else if (address.protocol() == QAbstractSocket::IPv6Protocol) {
            family = AF_INET6;
            const Q_IPV6ADDR bytes = address.toIPv6Address();
            std::memcpy(ipv6.s6_addr, bytes.c, sizeof(ipv6.s6_addr));
        }
    }
};

DatagramSocket::DatagramSocket()
    : m_pFilter(new SenderFilter(QString()))
{
}

DatagramSocket::~DatagramSocket()
{
    Release();
}

QUdpSocket* DatagramSocket::Open()
{
    if (!m_pSocket)
        m_pSocket = new QUdpSocket();
    if (!m_pSlots)
        m_pSlots.reset(new ReceiveSlots());
    return m_pSocket;
}

void DatagramSocket::Release()
{
    if (!m_pSocket)
        return;
    m_pSocket->blockSignals(true);
    m_pSocket->close();
    delete m_pSocket;
    m_pSocket = nullptr;
}

bool DatagramSocket::Bind(const QHostAddress& a_Host, int a_ReceiveBufferRequest)
{
    QUdpSocket* socket = Open();
    // A new bind takes a new port.
    if (socket->state() != QAbstractSocket::UnconnectedState)
        socket->close();
    if (!socket->bind(a_Host, 0))
        return false;
    const int fd = static_cast<int>(socket->socketDescriptor());
    int request = a_ReceiveBufferRequest;
    // The forced variant passes net.core.rmem_max where the process may do so.
    if (setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &request, sizeof(request)) != 0)
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &request, sizeof(request));
    int granted = 0;
    socklen_t length = sizeof(granted);
    if (getsockopt(fd, SOL_SOCKET, SO_RCVBUF, &granted, &length) != 0)
        granted = 0;
    m_ReceiveBufferSize = granted;
    m_KernelDropCounter = 0;
    return true;
}

void DatagramSocket::Close()
{
    if (IsBound())
        m_pSocket->close();
}

bool DatagramSocket::IsBound() const
{
    return m_pSocket && m_pSocket->state() == QAbstractSocket::BoundState;
}

quint16 DatagramSocket::GetLocalPort() const
{
    return m_pSocket ? m_pSocket->localPort() : 0;
}

void DatagramSocket::SetSender(const QString& a_Address)
{
    m_pFilter.reset(new SenderFilter(a_Address));
}

bool DatagramSocket::IsFromSender(const sockaddr* a_pSender) const
{
    const SenderFilter& filter = *m_pFilter;
    if (filter.family == AF_UNSPEC)
        return true;
    if (a_pSender->sa_family == AF_INET) {
        const auto* sender = reinterpret_cast<const sockaddr_in*>(a_pSender);
        return filter.family == AF_INET && sender->sin_addr.s_addr == filter.ipv4.s_addr;
    }
    if (a_pSender->sa_family == AF_INET6) {
        const auto* sender = reinterpret_cast<const sockaddr_in6*>(a_pSender);
        if (filter.family == AF_INET6)
            return std::memcmp(&sender->sin6_addr, &filter.ipv6, sizeof(in6_addr)) == 0;
        // An IPv4 sender seen through a dual-stack socket.
        return IN6_IS_ADDR_V4MAPPED(&sender->sin6_addr)
            && std::memcmp(&sender->sin6_addr.s6_addr[12], &filter.ipv4, sizeof(in_addr)) == 0;
    }
    return false;
}

int DatagramSocket::ReadBatch(int a_Fd, int a_Count, const std::function<void(const char*, qint64)>& a_Take)
{
    ReceiveSlots& receive = *m_pSlots;
    for (int i = 0; i < a_Count; ++i)
        receive.messages[i].msg_hdr.msg_namelen = sizeof(sockaddr_storage);
    int received;
    do {
        received = recvmmsg(a_Fd, receive.messages, static_cast<unsigned>(a_Count), MSG_DONTWAIT, nullptr);
    } while (received < 0 && errno == EINTR);
    if (received <= 0)
        return 0;

    qint64 foreign = 0;
    for (int i = 0; i < received; ++i) {
        if (IsFromSender(reinterpret_cast<const sockaddr*>(&receive.senders[i])))
            a_Take(receive.Slot(i), static_cast<qint64>(receive.messages[i].msg_len));
        else
            ++foreign;
    }
    m_Taken += received - foreign;
    if (foreign > 0)
        m_Foreign += foreign;
    return received;
}

bool DatagramSocket::ReadOneThroughQt(const std::function<void(const char*, qint64)>& a_Take)
{
    // Qt re-enables its read notifier only after a read through the socket, and
    // a read that finds nothing reports a temporary error: keep that quiet.
    m_pSocket->blockSignals(true);
    QHostAddress sender;
    const qint64 bytes = m_pSocket->readDatagram(m_pSlots->Slot(0), SLOT_BYTES, &sender);
    m_pSocket->blockSignals(false);
    if (bytes < 0)
        return false;
    if (m_pFilter->family != AF_UNSPEC && !sender.isEqual(m_pFilter->address, QHostAddress::ConvertV4MappedToIPv4)) {
        ++m_Foreign;
        return true;
    }
    ++m_Taken;
    a_Take(m_pSlots->Slot(0), bytes);
    return true;
}

qint64 DatagramSocket::Drain(qint64 a_Max, const std::function<void(const char*, qint64)>& a_Take)
{
    if (!IsBound() || !m_pSlots)
        return 0;
    const int fd = static_cast<int>(m_pSocket->socketDescriptor());
    qint64 total = 0;
    for (;;) {
        while (total < a_Max) {
            const int wanted = static_cast<int>(qMin<qint64>(BATCH_DATAGRAMS, a_Max - total));
            const int received = ReadBatch(fd, wanted, a_Take);
            total += received;
            if (received < wanted)
                break;
        }
        // Also re-arms the notifier, so whatever is left raises readyRead again.
        if (!ReadOneThroughQt(a_Take))
            break;
        if (++total >= a_Max)
            break;
    }
    return total;
}

bool DatagramSocket::WaitReadable(int a_Ms)
{
    if (!IsBound())
        return false;
    pollfd socket {};
    socket.fd = static_cast<int>(m_pSocket->socketDescriptor());
    socket.events = POLLIN;
    int ready;
    do {
        ready = poll(&socket, 1, a_Ms);
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

qint64 DatagramSocket::GetCapacityInDatagrams() const
{
    // The kernel charges well over 256 bytes for the smallest queued datagram.
    return m_ReceiveBufferSize.load() / 256 + BATCH_DATAGRAMS;
}

void DatagramSocket::UpdateKernelDrops()
{
    if (!IsBound())
        return;
    quint32 meminfo[SK_MEMINFO_VARS] = {};
    socklen_t length = sizeof(meminfo);
    const int fd = static_cast<int>(m_pSocket->socketDescriptor());
    if (getsockopt(fd, SOL_SOCKET, SO_MEMINFO, meminfo, &length) != 0 || length <= SK_MEMINFO_DROPS * sizeof(quint32))
        return;
    const quint32 drops = meminfo[SK_MEMINFO_DROPS];
    if (drops > m_KernelDropCounter) {
        m_KernelDrops += drops - m_KernelDropCounter;
        m_KernelDropCounter = drops;
    }
}

qint64 DatagramSocket::GetReceiveBufferSize() const
{
    return m_ReceiveBufferSize.load();
}

qint64 DatagramSocket::GetTaken() const
{
    return m_Taken.load();
}

qint64 DatagramSocket::GetForeign() const
{
    return m_Foreign.load();
}

qint64 DatagramSocket::GetKernelDrops() const
{
    return m_KernelDrops.load();
}
