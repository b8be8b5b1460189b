#include "acquisition/dataworker.h"

#include "acquisition/readbuffer.h"

#include <QDebug>
#include <QHostAddress>
#include <QTimer>
#include <QUdpSocket>

#include <cstring>
#include <new>

DataWorker::DataWorker(const QString& a_HostIPAddress, const QString& a_CameraIPAddress)
    : QObject(nullptr)
    , m_pBuffer(new char[DEFAULT_BUFFER_SIZE]())
    , m_HostIPAddress(a_HostIPAddress)
{
    m_Socket.SetSender(a_CameraIPAddress);
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
    m_Socket.Release();
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
    m_Socket.SetSender(a_CameraIPAddress);
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
    return m_Socket.GetReceiveBufferSize();
}

qint64 DataWorker::GetDroppedDatagrams() const
{
    return m_Socket.GetKernelDrops();
}

qint64 DataWorker::GetReceivedDatagrams() const
{
    return m_Socket.GetTaken();
}

qint64 DataWorker::GetForeignDatagrams() const
{
    return m_Socket.GetForeign();
}

qint64 DataWorker::GetDiscardedDatagrams() const
{
    return m_DiscardedDatagrams.load();
}

qint64 DataWorker::GetOversizedDatagrams() const
{
    return m_OversizedDatagrams.load();
}

void DataWorker::Init()
{
    emit initStarting();
    // The socket is made on this thread the first time; a restart keeps it.
    QUdpSocket* socket = m_Socket.Open();
    connect(socket, &QUdpSocket::errorOccurred, this, &DataWorker::OnError, Qt::UniqueConnection);
    connect(socket, &QUdpSocket::readyRead, this, &DataWorker::OnDataReady, Qt::UniqueConnection);
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
    m_Socket.Close();

    // An address that does not parse would otherwise bind to every interface.
    const QHostAddress address(m_HostIPAddress);
    if (address.isNull()) {
        OnError(QAbstractSocket::HostNotFoundError);
        return;
    }
    m_ErrorDuringBind = false;
    if (!m_Socket.Bind(address, m_ReceiveBufferRequest)) {
        if (!m_ErrorDuringBind)
            OnError(m_Socket.Open()->error());
        return;
    }
    emit portSet(m_Socket.GetLocalPort());
}

void DataWorker::Stop()
{
    m_Socket.Close();
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

qint64 DataWorker::DrainSocket(qint64 a_MaxDatagrams)
{
    return m_Socket.Drain(a_MaxDatagrams,
                          [this](const char* a_Data, qint64 a_Bytes) { AppendDatagram(a_Data, a_Bytes); });
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
        // Counted and reported with the other losses.
        qDebug().noquote() << QStringLiteral("Buffer is %1, incoming datagram is: %2").arg(m_BufferSize).arg(a_Bytes);
        ++m_OversizedDatagrams;
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
    ReportLosses(false);
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
    DrainSocket(m_Socket.GetCapacityInDatagrams());
    m_Discarding = false;
    discarded += m_DiscardedWhileStarting;
    if (discarded > 0) {
        m_DiscardedDatagrams += discarded;
        emit dataLost(QStringLiteral("Data discarded: %1 datagrams arrived between collections (total: %2)")
                          .arg(discarded)
                          .arg(m_DiscardedDatagrams.load()));
    }
    ReportLosses(true);
    emit collectStartReady();
}

void DataWorker::DrainUntilQuiet(int a_QuietMs, int a_LimitMs)
{
    if (!m_Socket.IsBound())
        return;
    QElapsedTimer elapsed;
    elapsed.start();
    const qint64 capacity = m_Socket.GetCapacityInDatagrams();
    for (;;) {
        DrainSocket(capacity);
        const qint64 left = a_LimitMs - elapsed.elapsed();
        if (left <= 0 || !m_Socket.WaitReadable(static_cast<int>(qMin<qint64>(a_QuietMs, left))))
            return;
    }
}

void DataWorker::ReportLosses(bool a_Force)
{
    m_Socket.UpdateKernelDrops();
    const QString texts[] = {m_KernelDropReport.Take(m_Socket.GetKernelDrops(), a_Force),
                             m_ForeignReport.Take(m_Socket.GetForeign(), a_Force),
                             m_OversizedReport.Take(m_OversizedDatagrams.load(), a_Force)};
    for (const QString& text : texts) {
        if (!text.isNull())
            emit dataLost(text);
    }
}
