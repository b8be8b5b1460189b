#include "acquisition/dataworker.h"

#include "acquisition/readbuffer.h"

#include <QDebug>
#include <QHostAddress>
#include <QUdpSocket>

#include <linux/sock_diag.h>
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

    ReceiveSlots()
    {
        std::memset(messages, 0, sizeof(messages));
        for (int i = 0; i < COUNT; ++i) {
            vectors[i].iov_base = data.get() + static_cast<size_t>(i) * SLOT_BYTES;
            vectors[i].iov_len = SLOT_BYTES;
            messages[i].msg_hdr.msg_iov = &vectors[i];
            messages[i].msg_hdr.msg_iovlen = 1;
        }
    }
    char* Slot(int a_Index) { return data.get() + static_cast<size_t>(a_Index) * SLOT_BYTES; }
};

DataWorker::DataWorker(const QString& a_HostIPAddress)
    : QObject(nullptr)
    , m_pBuffer(new char[DEFAULT_BUFFER_SIZE]())
    , m_HostIPAddress(a_HostIPAddress)
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
}

void DataWorker::SetHostAddress(const QString& a_HostIPAddress)
{
    m_HostIPAddress = a_HostIPAddress;
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

void DataWorker::Init()
{
    if (!m_pDataSocket) {
        m_pDataSocket = new QUdpSocket();
        connect(m_pDataSocket, &QUdpSocket::errorOccurred, this, &DataWorker::OnError);
        connect(m_pDataSocket, &QUdpSocket::readyRead, this, &DataWorker::OnDataReady);
    }
    if (!m_pSlots)
        m_pSlots.reset(new ReceiveSlots());
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
    int received;
    do {
        received = recvmmsg(a_Fd, receive.messages, static_cast<unsigned>(a_Count), MSG_DONTWAIT, nullptr);
    } while (received < 0 && errno == EINTR);
    if (received <= 0)
        return 0;

    for (int i = 0; i < received; ++i)
        AppendDatagram(receive.Slot(i), static_cast<qint64>(receive.messages[i].msg_len));
    m_ReceivedDatagrams += received;
    return received;
}

bool DataWorker::ReadOneThroughQt()
{
    // Qt re-enables its read notifier only after a read through the socket, and
    // a read that finds nothing reports a temporary error: keep that quiet.
    m_pDataSocket->blockSignals(true);
    const qint64 bytes = m_pDataSocket->readDatagram(m_pSlots->Slot(0), ReceiveSlots::SLOT_BYTES);
    m_pDataSocket->blockSignals(false);
    if (bytes < 0)
        return false;
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
    if (m_BytesInBuffer + a_Bytes >= m_BufferSize)
        FlushBatch();
    if (a_Bytes > m_BufferSize) {
        qDebug().noquote() << QStringLiteral("Buffer is %1, incoming datagram is: %2").arg(m_BufferSize).arg(a_Bytes);
        return;
    }
    std::memcpy(m_pBuffer.get() + m_BytesInBuffer, a_Data, static_cast<size_t>(a_Bytes));
    m_BytesInBuffer += a_Bytes;
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
    emit readBufferReady(bytes);
    Reset();
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
