#include "bench/mmsgreceiver.h"

#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr int BATCH = 64;
constexpr int SLOT_BYTES = 2048;
constexpr int RING_SLOTS = 4096;
constexpr int BUFFER_BYTES = 64 * 1024 * 1024;
} // namespace

MmsgReceiver::MmsgReceiver()
    : m_Ring(size_t(RING_SLOTS) * SLOT_BYTES)
{
}

MmsgReceiver::~MmsgReceiver()
{
    Stop();
    if (m_Socket >= 0)
        ::close(m_Socket);
}

bool MmsgReceiver::Open(const QString& a_Address, QString* a_pError)
{
    m_Socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    if (m_Socket < 0 || ::inet_pton(AF_INET, a_Address.toLatin1().constData(), &address.sin_addr) != 1
        || ::bind(m_Socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        *a_pError = QStringLiteral("cannot bind a UDP socket to %1: %2").arg(a_Address, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    // The same request as the library's: 64 MiB, forced past rmem_max as root.
    if (::setsockopt(m_Socket, SOL_SOCKET, SO_RCVBUFFORCE, &BUFFER_BYTES, sizeof(BUFFER_BYTES)) != 0)
        ::setsockopt(m_Socket, SOL_SOCKET, SO_RCVBUF, &BUFFER_BYTES, sizeof(BUFFER_BYTES));
    socklen_t length = sizeof(m_GrantedBytes);
    ::getsockopt(m_Socket, SOL_SOCKET, SO_RCVBUF, &m_GrantedBytes, &length);
    timeval timeout {0, 100000}; // lets the thread see Stop()
    ::setsockopt(m_Socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
    socklen_t addressLength = sizeof(address);
    ::getsockname(m_Socket, reinterpret_cast<sockaddr*>(&address), &addressLength);
    m_Port = ntohs(address.sin_port);
    return true;
}

void MmsgReceiver::Start()
{
    Stop();
    m_Stop = false;
    m_Thread = std::thread([this] { Run(); });
}

void MmsgReceiver::Stop()
{
    m_Stop = true;
    if (m_Thread.joinable())
        m_Thread.join();
}

void MmsgReceiver::Run()
{
    mmsghdr messages[BATCH];
    iovec vectors[BATCH];
    int slot = 0;
    while (!m_Stop.load(std::memory_order_relaxed)) {
        for (int i = 0; i < BATCH; ++i) {
            vectors[i].iov_base = m_Ring.data() + size_t((slot + i) % RING_SLOTS) * SLOT_BYTES;
            vectors[i].iov_len = SLOT_BYTES;
            std::memset(&messages[i], 0, sizeof(mmsghdr));
            messages[i].msg_hdr.msg_iov = &vectors[i];
            messages[i].msg_hdr.msg_iovlen = 1;
        }
        const int count = ::recvmmsg(m_Socket, messages, BATCH, MSG_WAITFORONE, nullptr);
        if (count <= 0)
            continue;
        qint64 bytes = 0;
        for (int i = 0; i < count; ++i)
            bytes += messages[i].msg_len;
        slot = (slot + count) % RING_SLOTS;
        m_Datagrams.fetch_add(count, std::memory_order_relaxed);
        m_Bytes.fetch_add(bytes, std::memory_order_relaxed);
    }
}
