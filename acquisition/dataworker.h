// The data channel: on the data thread, gathers the camera's datagrams from
// the data socket into a batch and hands full (or old enough) batches to the
// ReadBuffer, and reports what could not be kept.
#ifndef QUORVEL_DATAWORKER_H
#define QUORVEL_DATAWORKER_H

#include "acquisition/lossreport.h"
#include "transport/datagramsocket.h"

#include <QAbstractSocket>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class QTimer;

class DataWorker : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 DEFAULT_BUFFER_SIZE = 1048576;
    // Asked for at bind time; the kernel grants at most twice net.core.rmem_max
    // unless the process may force more.
    static constexpr int DEFAULT_RECEIVE_BUFFER_REQUEST = 64 * 1024 * 1024;

    // Datagrams are taken only from a_CameraIPAddress; an empty one takes any sender.
    explicit DataWorker(const QString& a_HostIPAddress, const QString& a_CameraIPAddress = QString());
    ~DataWorker() override;

    qint64 GetBufferSize() const;
    // Zeroes the used part of the batch buffer and empties the batch.
    void Reset();

    // Addresses for the next Init(); called on the worker's thread, or before it starts.
    void SetHostAddress(const QString& a_HostIPAddress);
    void SetAddresses(const QString& a_HostIPAddress, const QString& a_CameraIPAddress);

    // Longest time a batch that is not full waits before it is handed over
    // (0: only full batches and stops hand one over); set before the thread starts.
    void SetMaxBatchAge(int a_Ms);

    // Receive buffer size to ask the kernel for; set before the thread starts.
    void SetReceiveBufferRequest(int a_Bytes);
    // What the kernel granted at the last bind (as getsockopt reports it), or 0.
    qint64 GetReceiveBufferSize() const;
    // Datagrams the kernel dropped on the data socket because it was full.
    qint64 GetDroppedDatagrams() const;
    // Datagrams received since construction (any thread may ask).
    qint64 GetReceivedDatagrams() const;
    // Datagrams from senders other than the camera, not decoded (any thread may ask).
    qint64 GetForeignDatagrams() const;
    // Datagrams that arrived between collections and were dropped when the next
    // one started (any thread may ask).
    qint64 GetDiscardedDatagrams() const;
    // Datagrams larger than the whole batch buffer, dropped (any thread may ask).
    qint64 GetOversizedDatagrams() const;

    // Closes and deletes the socket; called on the worker's own thread as the
    // thread finishes, so the socket dies where it lives.
    void ReleaseSocket();

signals:
    // First thing Init() does: every later signal belongs to the new socket.
    void initStarting();
    void portSet(quint16 a_PortNo);
    void error(QString a_Error);
    void readBufferReady(qint64 a_Bytes);
    void bufferSizeChanged();
    // Emitted at the very end of onCollectStopped(), after the final batch was handed over.
    void collectStopFinished();
    // Emitted by OnCollectStarting() once nothing received before is held any more.
    void collectStartReady();
    // A text for the client's sys status: data that could not be kept.
    void dataLost(const QString& a_Text);

public slots:
    void Init();
    void SetBufferSize(qint64 a_Bytes);
    void Stop();
    virtual void OnDataReady() = 0;
    virtual void onCollectStopped() = 0;
    // A collection is about to start: whatever arrived since the last one
    // stopped (late datagrams, the partial batch) is dropped and counted, so it
    // cannot land in the new collection.
    void OnCollectStarting();

protected slots:
    void OnError(QAbstractSocket::SocketError a_SockErr);

protected:
    // Reads the datagrams pending on the socket into the batch, flushing as it
    // fills, at most a_MaxDatagrams of them; returns the number read.
    qint64 DrainSocket(qint64 a_MaxDatagrams);
    // Adds one datagram to the batch, flushing first when it would fill it.
    void AppendDatagram(const char* a_Data, qint64 a_Bytes);
    // Hands the batch to the ReadBuffer (if not empty), emits readBufferReady
    // with its length and empties it.
    void FlushBatch();
    // Reports each kind of lost or ignored datagram that grew since its last
    // report; unless forced, each at most once a second.
    void ReportLosses(bool a_Force);
    // Drains the socket until nothing arrived for a_QuietMs, for at most a_LimitMs:
    // datagrams the camera sent just before it took a stop are still on their way.
    void DrainUntilQuiet(int a_QuietMs, int a_LimitMs);

    DatagramSocket m_Socket;
    std::unique_ptr<char[]> m_pBuffer;
    qint64 m_BytesInBuffer = 0;
    qint64 m_BufferSize = DEFAULT_BUFFER_SIZE;

private:
    QString m_HostIPAddress;
    QTimer* m_pBatchAgeTimer = nullptr;   // lives on the worker's thread
    int m_MaxBatchAgeMs = 0;
    qint64 m_DatagramsInBatch = 0;
    bool m_Discarding = false;            // while a collection starts: read and drop
    qint64 m_DiscardedWhileStarting = 0;
    std::atomic<qint64> m_DiscardedDatagrams {0};
    std::atomic<qint64> m_OversizedDatagrams {0};
    int m_ReceiveBufferRequest = DEFAULT_RECEIVE_BUFFER_REQUEST;
    bool m_ErrorDuringBind = false;
    LossReport m_KernelDropReport {"Data lost: the data socket dropped %1 datagrams (total: %2)"};
    LossReport m_ForeignReport {"Data ignored: %1 datagrams from addresses other than the camera's (total: %2)"};
    LossReport m_OversizedReport {"Data lost: %1 datagrams larger than the batch buffer were dropped (total: %2)"};
};

#endif
