#include "acquisition/dataworker.h"

#include "acquisition/readbuffer.h"

#include <QDebug>
#include <QHostAddress>
#include <QTimer>
#include <QUdpSocket>

#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>

#include <cerrno>
#include <cstring>
#include <new>

// Receive slots for batched reads: one recvmmsg call fills up to COUNT datagrams.
struct DataWorker::ReceiveSlots
{
    static constexpr int COUNT = 64;
    static constexpr int SLOT_BYTES = 65536;   // above the largest UDP payload, so nothing is cut

    std::unique_ptr<char[]> data {new char[static_cast<size_t>(COUNT) * SLOT_BYTES]};
    mmsghdr messages[COUNT];
    iovec vectors[COUNT];
    sockaddr_storage senders[COUNT];

    ReceiveSlots()
    {
        std::memset(messages, 0, sizeof(messages));
        for (int i = 0; i < COUNT; ++i) {
            vectors[i].iov_base = data.get() + static_cast<size_t>(i) * SLOT_BYTES;
            vectors[i].iov_len = SLOT_BYTES;
            messages[i].msg_hdr.msg_iov = &vectors[i];
            messages[i].msg_hdr.msg_iovlen = 1;
            messages[i].msg_hdr.msg_name = &senders[i];
        }
    }
    char* Slot(int a_Index) { return data.get() + static_cast<size_t>(a_Index) * SLOT_BYTES; }
};

// The camera's address as the kernel reports a sender, parsed once.
struct DataWorker::SenderFilter
{
    int family = AF_UNSPEC;   // AF_UNSPEC: any sender is taken
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

DataWorker::DataWorker(const QString& a_HostIPAddress, const QString& a_CameraIPAddress)
    : QObject(nullptr)
    , m_pBuffer(new char[DEFAULT_BUFFER_SIZE]())
    , m_HostIPAddress(a_HostIPAddress)
    , m_CameraIPAddress(a_CameraIPAddress)
    , m_pFilter(new SenderFilter(a_CameraIPAddress))
{
    ReadBuffer* readBuffer = ReadBuffer::GetInstance();
    auto lock = readBuffer->AccessLock();
    readBuffer->SetBufferSize(DEFAULT_BUFFER_SIZE);
}

DataWorker::~DataWorker()
{
    ReleaseSocket();
}

void DataWorker::ReleaseSocket()
{
    // The timer belongs to this thread too.
    delete m_pBatchAgeTimer;
    m_pBatchAgeTimer = nullptr;
    if (m_pDataSocket) {
        m_pDataSocket->blockSignals(true);
        m_pDataSocket->close();
        delete m_pDataSocket;
        m_pDataSocket = nullptr;
    }
}

qint64 DataWorker::GetBufferSize() const
{
    return m_BufferSize;
}

void DataWorker::Reset()
{
    std::memset(m_pBuffer.get(), 0, static_cast<size_t>(m_BytesInBuffer));
    m_BytesInBuffer = 0;
    m_DatagramsInBatch = 0;
}

void DataWorker::SetHostAddress(const QString& a_HostIPAddress)
{
    m_HostIPAddress = a_HostIPAddress;
}

void DataWorker::SetAddresses(const QString& a_HostIPAddress, const QString& a_CameraIPAddress)
{
    m_HostIPAddress = a_HostIPAddress;
    m_CameraIPAddress = a_CameraIPAddress;
    m_pFilter.reset(new SenderFilter(a_CameraIPAddress));
}

bool DataWorker::IsFromCamera(const sockaddr* a_pSender) const
{
    const SenderFilter& filter = *m_pFilter;
    if (filter.family == AF_UNSPEC)
        return true;
    if (a_pSender->sa_family == AF_INET) {
        const auto* sender = reinterpret_cast<const sockaddr_in*>(a_pSender);
        return filter.family == AF_INET && sender->sin_addr.s_addr == filter.ipv4.s_addr;
    }
    if (a_pSender->sa_family == AF_INET6) {
        const in6_addr& sender = reinterpret_cast<const sockaddr_in6*>(a_pSender)->sin6_addr;
        if (filter.family == AF_INET6)
            return std::memcmp(sender.s6_addr, filter.ipv6.s6_addr, sizeof(sender.s6_addr)) == 0;
        // An IPv4 camera seen through a dual-stack socket.
        return IN6_IS_ADDR_V4MAPPED(&sender) && std::memcmp(sender.s6_addr + 12, &filter.ipv4.s_addr, 4) == 0;
    }
    return false;
}

void DataWorker::SetMaxBatchAge(int a_Ms)
{
    m_MaxBatchAgeMs = a_Ms;
}

void DataWorker::SetReceiveBufferRequest(int a_Bytes)
{
    m_ReceiveBufferRequest = a_Bytes;
}

qint64 DataWorker::GetReceiveBufferSize() const
{
    return m_ReceiveBufferSize.load();
}

qint64 DataWorker::GetDroppedDatagrams() const
{
    return m_DroppedDatagrams.load();
}

qint64 DataWorker::GetReceivedDatagrams() const
{
    return m_ReceivedDatagrams.load();
}

qint64 DataWorker::GetForeignDatagrams() const
{
    return m_ForeignDatagrams.load();
}

qint64 DataWorker::GetDiscardedDatagrams() const
{
    return m_DiscardedDatagrams.load();
}

void DataWorker::Init()
{
    emit initStarting();
    if (!m_pDataSocket) {
        m_pDataSocket = new QUdpSocket();
        connect(m_pDataSocket, &QUdpSocket::errorOccurred, this, &DataWorker::OnError);
        connect(m_pDataSocket, &QUdpSocket::readyRead, this, &DataWorker::OnDataReady);
    }
    if (!m_pSlots)
        m_pSlots.reset(new ReceiveSlots());
    if (!m_pBatchAgeTimer && m_MaxBatchAgeMs > 0) {
        m_pBatchAgeTimer = new QTimer(this);
        m_pBatchAgeTimer->setSingleShot(true);
        m_pBatchAgeTimer->setInterval(m_MaxBatchAgeMs);
        connect(m_pBatchAgeTimer, &QTimer::timeout, this, [this] {
            if (m_BytesInBuffer > 0)
                FlushBatch();
        });
    }
    // A restart binds anew, on a new port.
    if (m_pDataSocket->state() != QAbstractSocket::UnconnectedState)
        m_pDataSocket->close();

    // An address that does not parse would otherwise bind to every interface.
    const QHostAddress address(m_HostIPAddress);
    if (address.isNull()) {
        OnError(QAbstractSocket::HostNotFoundError);
        return;
    }
    m_ErrorDuringBind = false;
    if (!m_pDataSocket->bind(address, 0)) {
        if (!m_ErrorDuringBind)
            OnError(m_pDataSocket->error());
        return;
    }
    ConfigureSocket();
    emit portSet(m_pDataSocket->localPort());
}

void DataWorker::ConfigureSocket()
{
    const int fd = static_cast<int>(m_pDataSocket->socketDescriptor());
    int request = m_ReceiveBufferRequest;
    // The forced variant passes net.core.rmem_max where the process may do so.
    if (setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &request, sizeof(request)) != 0)
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &request, sizeof(request));
    int granted = 0;
    socklen_t length = sizeof(granted);
    if (getsockopt(fd, SOL_SOCKET, SO_RCVBUF, &granted, &length) != 0)
        granted = 0;
    m_ReceiveBufferSize = granted;
    m_SocketDropCounter = 0;
}

void DataWorker::Stop()
{
    if (m_pDataSocket && m_pDataSocket->state() == QAbstractSocket::BoundState)
        m_pDataSocket->close();
}

void DataWorker::SetBufferSize(qint64 a_Bytes)
{
    // The batch gathered so far was received during the collection: keep it.
    if (m_BytesInBuffer > 0)
        FlushBatch();

    std::unique_ptr<char[]> buffer;
    if (a_Bytes > 0)
        buffer.reset(new (std::nothrow) char[static_cast<size_t>(a_Bytes)]);
    if (!buffer) {
        emit error(QStringLiteral("Failed to resize buffer to %1").arg(a_Bytes));
        return;
    }
    m_pBuffer = std::move(buffer);
    m_BufferSize = a_Bytes;
    m_BytesInBuffer = 0;
    emit bufferSizeChanged();
}

void DataWorker::OnError(QAbstractSocket::SocketError a_SockErr)
{
    m_ErrorDuringBind = true;
    if (a_SockErr == QAbstractSocket::HostNotFoundError)
        emit error(QStringLiteral("Failed to bind to local ip"));
    else
        emit error(QStringLiteral("Socket Error: %1").arg(static_cast<int>(a_SockErr)));
}

qint64 DataWorker::GetSocketCapacityInDatagrams() const
{
    // The kernel charges well over 256 bytes for the smallest queued datagram.
    return m_ReceiveBufferSize.load() / 256 + ReceiveSlots::COUNT;
}

int DataWorker::ReadBatchFromDescriptor(int a_Fd, int a_Count)
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
        if (IsFromCamera(reinterpret_cast<const sockaddr*>(&receive.senders[i])))
            AppendDatagram(receive.Slot(i), static_cast<qint64>(receive.messages[i].msg_len));
        else
            ++foreign;
    }
    m_ReceivedDatagrams += received - foreign;
    if (foreign > 0)
        m_ForeignDatagrams += foreign;
    return received;
}

bool DataWorker::ReadOneThroughQt()
{
    // Qt re-enables its read notifier only after a read through the socket, and
    // a read that finds nothing reports a temporary error: keep that quiet.
    m_pDataSocket->blockSignals(true);
    QHostAddress sender;
    const qint64 bytes = m_pDataSocket->readDatagram(m_pSlots->Slot(0), ReceiveSlots::SLOT_BYTES, &sender);
    m_pDataSocket->blockSignals(false);
    if (bytes < 0)
        return false;
    if (m_pFilter->family != AF_UNSPEC
        && !sender.isEqual(m_pFilter->address, QHostAddress::ConvertV4MappedToIPv4)) {
        ++m_ForeignDatagrams;
        return true;
    }
    ++m_ReceivedDatagrams;
    AppendDatagram(m_pSlots->Slot(0), bytes);
    return true;
}

qint64 DataWorker::DrainSocket(qint64 a_MaxDatagrams)
{
    if (!m_pDataSocket || !m_pSlots || m_pDataSocket->state() != QAbstractSocket::BoundState)
        return 0;
    const int fd = static_cast<int>(m_pDataSocket->socketDescriptor());
    qint64 total = 0;
    for (;;) {
        while (total < a_MaxDatagrams) {
            const int wanted = static_cast<int>(qMin<qint64>(ReceiveSlots::COUNT, a_MaxDatagrams - total));
            const int received = ReadBatchFromDescriptor(fd, wanted);
            total += received;
            if (received < wanted)
                break;
        }
        // Also re-arms the notifier, so whatever is left raises readyRead again.
        if (!ReadOneThroughQt())
            break;
        if (++total >= a_MaxDatagrams)
            break;
    }
    return total;
}

void DataWorker::AppendDatagram(const char* a_Data, qint64 a_Bytes)
{
    if (m_Discarding) {
        ++m_DiscardedWhileStarting;
        return;
    }
    if (m_BytesInBuffer + a_Bytes >= m_BufferSize)
        FlushBatch();
    if (a_Bytes > m_BufferSize) {
        qDebug().noquote() << QStringLiteral("Buffer is %1, incoming datagram is: %2").arg(m_BufferSize).arg(a_Bytes);
        return;
    }
    // The first datagram of a batch starts its clock.
    if (m_BytesInBuffer == 0 && m_pBatchAgeTimer)
        m_pBatchAgeTimer->start();
    std::memcpy(m_pBuffer.get() + m_BytesInBuffer, a_Data, static_cast<size_t>(a_Bytes));
    m_BytesInBuffer += a_Bytes;
    ++m_DatagramsInBatch;
}

void DataWorker::FlushBatch()
{
    const qint64 bytes = m_BytesInBuffer;
    if (bytes > 0) {
        ReadBuffer* readBuffer = ReadBuffer::GetInstance();
        const ReadBuffer::StoreResult result = readBuffer->StoreBatch(m_pBuffer.get(), bytes);
        if (result == ReadBuffer::StoreResult::TimedOut || result == ReadBuffer::StoreResult::NoMemory) {
            qint64 lostBytes = 0;
            {
                auto lock = readBuffer->AccessLock();
                lostBytes = readBuffer->GetLostBytes();
            }
            const QString reason = result == ReadBuffer::StoreResult::TimedOut
                                       ? QStringLiteral("decoder did not take the previous batch in time")
                                       : QStringLiteral("read buffer could not grow");
            emit dataLost(QStringLiteral("Data lost: %1 bytes dropped, %2 (total lost: %3 bytes)")
                              .arg(bytes)
                              .arg(reason)
                              .arg(lostBytes));
        }
    }
    ReportKernelDrops(false);
    ReportForeignDatagrams(false);
    if (m_pBatchAgeTimer)
        m_pBatchAgeTimer->stop();
    emit readBufferReady(bytes);
    Reset();
}

void DataWorker::OnCollectStarting()
{
    // Late datagrams of the last collection (or stray ones between
    // collections) are still queued or in the batch: drop them, counted.
    qint64 discarded = m_DatagramsInBatch;
    Reset();
    m_DiscardedWhileStarting = 0;
    m_Discarding = true;
    DrainSocket(GetSocketCapacityInDatagrams());
    m_Discarding = false;
    discarded += m_DiscardedWhileStarting;
    if (discarded > 0) {
        m_DiscardedDatagrams += discarded;
        emit dataLost(QStringLiteral("Data discarded: %1 datagrams arrived between collections (total: %2)")
                          .arg(discarded)
                          .arg(m_DiscardedDatagrams.load()));
    }
    ReportForeignDatagrams(true);
    emit collectStartReady();
}

void DataWorker::DrainUntilQuiet(int a_QuietMs, int a_LimitMs)
{
    if (!m_pDataSocket || !m_pSlots || m_pDataSocket->state() != QAbstractSocket::BoundState)
        return;
    pollfd socket {};
    socket.fd = static_cast<int>(m_pDataSocket->socketDescriptor());
    socket.events = POLLIN;
    QElapsedTimer elapsed;
    elapsed.start();
    const qint64 capacity = GetSocketCapacityInDatagrams();
    for (;;) {
        DrainSocket(capacity);
        const qint64 left = a_LimitMs - elapsed.elapsed();
        if (left <= 0)
            return;
        int ready;
        do {
            ready = poll(&socket, 1, static_cast<int>(qMin<qint64>(a_QuietMs, left)));
        } while (ready < 0 && errno == EINTR);
        if (ready <= 0)
            return;
    }
}

void DataWorker::UpdateKernelDrops()
{
    if (!m_pDataSocket || m_pDataSocket->state() != QAbstractSocket::BoundState)
        return;
    quint32 meminfo[SK_MEMINFO_VARS] = {};
    socklen_t length = sizeof(meminfo);
    const int fd = static_cast<int>(m_pDataSocket->socketDescriptor());
    if (getsockopt(fd, SOL_SOCKET, SO_MEMINFO, meminfo, &length) != 0 || length <= SK_MEMINFO_DROPS * sizeof(quint32))
        return;
    const quint32 drops = meminfo[SK_MEMINFO_DROPS];
    if (drops > m_SocketDropCounter) {
        m_DroppedDatagrams += drops - m_SocketDropCounter;
        m_SocketDropCounter = drops;
    }
}

void DataWorker::ReportForeignDatagrams(bool a_Force)
{
    const qint64 foreign = m_ForeignDatagrams.load();
    if (foreign <= m_ReportedForeign)
        return;
    if (!a_Force && m_SinceForeignReport.isValid() && m_SinceForeignReport.elapsed() < 1000)
        return;
    m_SinceForeignReport.start();
    emit dataLost(QStringLiteral("Data ignored: %1 datagrams from addresses other than the camera's (total: %2)")
                      .arg(foreign - m_ReportedForeign)
                      .arg(foreign));
    m_ReportedForeign = foreign;
}

void DataWorker::ReportKernelDrops(bool a_Force)
{
    UpdateKernelDrops();
    const qint64 dropped = m_DroppedDatagrams.load();
    if (dropped <= m_ReportedDrops)
        return;
    if (!a_Force && m_SinceDropReport.isValid() && m_SinceDropReport.elapsed() < 1000)
        return;
    m_SinceDropReport.start();
    emit dataLost(QStringLiteral("Data lost: the data socket dropped %1 datagrams (total: %2)")
                      .arg(dropped - m_ReportedDrops)
                      .arg(dropped));
    m_ReportedDrops = dropped;
}
