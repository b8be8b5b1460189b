// The data channel: binding, batching datagrams into the read buffer, the
// flush at stop and at resize, and the hand-over to a consumer that is late.
#include "acquisition/quorveldataworker.h"
#include "acquisition/readbuffer.h"
#include "support/testsupport.h"
#include "test_workersrig.h"

#include <gtest/gtest.h>

#include <QHostAddress>
#include <QUdpSocket>

#include <future>

namespace {

using testsupport::waitUntil;
using testsupport::waitWithoutEvents;

// Datagram i carries i in its first four bytes and i's low byte after that.
QByteArray SequencedDatagram(quint32 a_Index, int a_Bytes)
{
    QByteArray datagram(a_Bytes, static_cast<char>(a_Index & 0xFF));
    for (int b = 0; b < 4 && b < a_Bytes; ++b)
        datagram[b] = static_cast<char>((a_Index >> (8 * b)) & 0xFF);
    return datagram;
}

class DataWorkerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ReadBuffer::DeleteInstance();
        m_pReadBuffer = ReadBuffer::GetInstance();
        m_Address = testsupport::testLoopbackAddress();
    }

    void TearDown() override
    {
        m_pRig.reset();
        ReadBuffer::DeleteInstance();
    }

    void StartWorker(const QString& a_Address, int a_ReceiveBufferRequest = 0)
    {
        m_pRig.reset(new WorkerRig<QuorvelDataWorker>(new QuorvelDataWorker(a_Address)));
        QuorvelDataWorker* worker = m_pRig->Get();
        if (a_ReceiveBufferRequest > 0)
            worker->SetReceiveBufferRequest(a_ReceiveBufferRequest);
        // Batches end only where the tests say, unless a test asks for an age limit.
        worker->SetMaxBatchAge(m_MaxBatchAgeMs);
        QObject* context = m_pRig->Context();
        QObject::connect(worker, &DataWorker::portSet, context, [this](quint16 a_Port) { m_Ports << a_Port; });
        QObject::connect(worker, &DataWorker::error, context, [this](QString a_Error) { m_Errors << a_Error; });
        QObject::connect(worker, &DataWorker::readBufferReady, context, [this](qint64 a_Bytes) { m_Ready << a_Bytes; });
        QObject::connect(worker, &DataWorker::bufferSizeChanged, context, [this] { ++m_SizeChanged; });
        QObject::connect(worker, &DataWorker::collectStopFinished, context, [this] { ++m_StopFinished; });
        QObject::connect(worker, &DataWorker::dataLost, context, [this](const QString& a_Text) { m_Lost << a_Text; });
        m_pRig->Start();
    }

    void StartBoundWorker(int a_ReceiveBufferRequest = 0)
    {
        StartWorker(m_Address, a_ReceiveBufferRequest);
        ASSERT_TRUE(waitUntil([&] { return !m_Ports.isEmpty(); }, 5000));
        ASSERT_TRUE(m_Sender.bind(QHostAddress(m_Address), 0));
    }

    void Send(const QByteArray& a_Datagram)
    {
        ASSERT_EQ(m_Sender.writeDatagram(a_Datagram, QHostAddress(m_Address), m_Ports.last()), a_Datagram.size());
    }

    // Sends and waits until the worker has read them.
    void SendAndWait(const QList<QByteArray>& a_Datagrams)
    {
        const qint64 before = m_pRig->Get()->GetReceivedDatagrams();
        for (const QByteArray& datagram : a_Datagrams)
            Send(datagram);
        ASSERT_TRUE(waitUntil([&] { return m_pRig->Get()->GetReceivedDatagrams() == before + a_Datagrams.size(); }, 5000));
    }

    void SetWorkerBufferSize(qint64 a_Bytes)
    {
        const int changed = m_SizeChanged;
        m_pRig->Run([w = m_pRig->Get(), a_Bytes] { w->SetBufferSize(a_Bytes); });
        ASSERT_TRUE(waitUntil([&] { return m_SizeChanged == changed + 1; }, 5000));
    }

    void StopCollection()
    {
        const int finished = m_StopFinished;
        m_pRig->Run([w = m_pRig->Get()] { w->onCollectStopped(); });
        ASSERT_TRUE(waitUntil([&] { return m_StopFinished == finished + 1; }, 5000));
    }

    // Takes the pending batch as the decoder does.
    QByteArray TakeBatch()
    {
        auto lock = m_pReadBuffer->AccessLock();
        const qint64 bytes = m_pReadBuffer->TakeBatch();
        return QByteArray(m_pReadBuffer->GetBuffer(), static_cast<int>(bytes));
    }

    qint64 PendingBytes()
    {
        auto lock = m_pReadBuffer->AccessLock();
        return m_pReadBuffer->GetPendingBytes();
    }

    void SetHandOverTimeout(int a_Ms)
    {
        auto lock = m_pReadBuffer->AccessLock();
        m_pReadBuffer->SetHandOverTimeout(a_Ms);
    }

    ReadBuffer* m_pReadBuffer = nullptr;
    int m_MaxBatchAgeMs = 0;
    QString m_Address;
    std::unique_ptr<WorkerRig<QuorvelDataWorker>> m_pRig;
    QUdpSocket m_Sender;
    QList<quint16> m_Ports;
    QStringList m_Errors;
    QList<qint64> m_Ready;
    QStringList m_Lost;
    int m_SizeChanged = 0;
    int m_StopFinished = 0;
};

TEST_F(DataWorkerTest, BindsReportsItsPortAndTheGrantedReceiveBuffer)
{
    StartBoundWorker();
    EXPECT_NE(m_Ports.first(), 0);
    EXPECT_GT(m_pRig->Get()->GetReceiveBufferSize(), 0);
    // The port is really ours: nobody else can bind it.
    QUdpSocket other;
    EXPECT_FALSE(other.bind(QHostAddress(m_Address), m_Ports.first()));
    EXPECT_TRUE(m_Errors.isEmpty());
}

TEST_F(DataWorkerTest, BindFailuresAreReportedAsErrors)
{
    StartWorker(QStringLiteral("not an address"));
    ASSERT_TRUE(waitUntil([&] { return !m_Errors.isEmpty(); }, 5000));
    EXPECT_EQ(m_Errors.first(), QStringLiteral("Failed to bind to local ip"));
    m_pRig.reset();
    m_Errors.clear();

    StartWorker(QStringLiteral("192.0.2.1"));   // a documentation address no interface has
    ASSERT_TRUE(waitUntil([&] { return !m_Errors.isEmpty(); }, 5000));
    EXPECT_EQ(m_Errors.first(), QStringLiteral("Socket Error: %1").arg(int(QAbstractSocket::SocketAddressNotAvailableError)));
    EXPECT_TRUE(m_Ports.isEmpty());
}

TEST_F(DataWorkerTest, BatchFlushesWhenTheNextDatagramWouldFillIt)
{
    StartBoundWorker();
    SetWorkerBufferSize(1000);

    // 424 + 575 stays below 1000: no flush.
    SendAndWait({SequencedDatagram(0, 424), SequencedDatagram(1, 575)});
    EXPECT_TRUE(m_Ready.isEmpty());

    // One more byte would reach 1000: the held 999 bytes go first.
    SendAndWait({SequencedDatagram(2, 1)});
    ASSERT_TRUE(waitUntil([&] { return m_Ready.size() == 1; }, 5000));
    EXPECT_EQ(m_Ready.first(), 999);
    EXPECT_EQ(TakeBatch(), SequencedDatagram(0, 424) + SequencedDatagram(1, 575));

    // A datagram of exactly the buffer size flushes the 1 byte, then fills a batch on its own.
    SendAndWait({SequencedDatagram(3, 1000)});
    ASSERT_TRUE(waitUntil([&] { return m_Ready.size() == 2; }, 5000));
    EXPECT_EQ(m_Ready[1], 1);
    EXPECT_EQ(TakeBatch(), SequencedDatagram(2, 1));

    // One byte more than the buffer: the held batch is flushed, the datagram dropped,
    // counted and reported.
    SendAndWait({SequencedDatagram(4, 1001)});
    ASSERT_TRUE(waitUntil([&] { return m_Ready.size() == 3; }, 5000));
    EXPECT_EQ(m_Ready[2], 1000);
    EXPECT_EQ(TakeBatch(), SequencedDatagram(3, 1000));

    StopCollection();
    EXPECT_EQ(m_Ready.last(), 0);   // nothing was held
    EXPECT_EQ(m_Lost, QStringList({QStringLiteral(
                          "Data lost: 1 datagrams larger than the batch buffer were dropped (total: 1)")}));
}

TEST_F(DataWorkerTest, BatchThatIsNotFullIsHandedOverOnceItIsOldEnough)
{
    m_MaxBatchAgeMs = 20;
    StartBoundWorker();
    // A trickle of data: each batch goes over without a stop, by its age.
    SendAndWait({SequencedDatagram(0, 100)});
    ASSERT_TRUE(waitUntil([&] { return !m_Ready.isEmpty(); }, 5000));
    EXPECT_EQ(m_Ready, QList<qint64> {100});
    EXPECT_EQ(TakeBatch(), SequencedDatagram(0, 100));

    SendAndWait({SequencedDatagram(2, 70)});
    ASSERT_TRUE(waitUntil([&] { return m_Ready.size() == 2; }, 5000));
    EXPECT_EQ(TakeBatch(), SequencedDatagram(2, 70));
    StopCollection();
    EXPECT_EQ(m_Ready.last(), 0);
}

TEST_F(DataWorkerTest, DatagramsPendingAtStopGoIntoTheFinalBatch)
{
    StartBoundWorker();
    SendAndWait({SequencedDatagram(0, 100)});

    // Hold the data thread so the next datagrams stay queued on the socket,
    // then stop collection on that thread before it ever reads them.
    std::promise<void> sent;
    std::shared_future<void> sentFuture = sent.get_future().share();
    m_pRig->Run([w = m_pRig->Get(), sentFuture] {
        sentFuture.wait();
        w->onCollectStopped();
    });
    for (quint32 i = 1; i <= 5; ++i)
        Send(SequencedDatagram(i, 100));
    sent.set_value();
    ASSERT_TRUE(waitUntil([&] { return m_StopFinished == 1; }, 5000));

    QByteArray expected;
    for (quint32 i = 0; i <= 5; ++i)
        expected += SequencedDatagram(i, 100);
    EXPECT_EQ(m_Ready, QList<qint64> {600});
    EXPECT_EQ(TakeBatch(), expected);

    // The socket was left empty: a later stop hands over nothing.
    StopCollection();
    EXPECT_EQ(m_Ready.last(), 0);
}

TEST_F(DataWorkerTest, ResizeHandsOverTheHeldBatchFirst)
{
    StartBoundWorker();
    SendAndWait({SequencedDatagram(0, 640), SequencedDatagram(1, 640)});
    SetWorkerBufferSize(2 * 1048576);
    EXPECT_EQ(m_Ready, QList<qint64> {1280});
    EXPECT_EQ(TakeBatch(), SequencedDatagram(0, 640) + SequencedDatagram(1, 640));
    EXPECT_EQ(m_pRig->Get()->GetBufferSize(), 2 * 1048576);

    // A size that cannot be had is refused and the old buffer kept.
    m_pRig->Run([w = m_pRig->Get()] { w->SetBufferSize(-1); });
    ASSERT_TRUE(waitUntil([&] { return !m_Errors.isEmpty(); }, 5000));
    EXPECT_EQ(m_Errors.first(), QStringLiteral("Failed to resize buffer to -1"));
    EXPECT_EQ(m_pRig->Get()->GetBufferSize(), 2 * 1048576);
}

TEST_F(DataWorkerTest, NoBatchIsOverwrittenWhileTheConsumerIsLate)
{
    SetHandOverTimeout(10000);
    StartBoundWorker();
    SetWorkerBufferSize(1000);

    // 300 datagrams of 100 bytes make about 33 batches; the consumer takes
    // each one only after the next flush is already waiting for it.
    const int count = 300;
    for (int i = 0; i < count; ++i)
        Send(SequencedDatagram(static_cast<quint32>(i), 100));

    QByteArray received;
    while (m_pRig->Get()->GetReceivedDatagrams() < count || PendingBytes() > 0) {
        // The last datagrams may end in a batch that is not full: it comes with the stop.
        ASSERT_TRUE(waitWithoutEvents([&] {
            return PendingBytes() > 0 || m_pRig->Get()->GetReceivedDatagrams() >= count;
        }, 5000)) << "received " << received.size();
        received += TakeBatch();
    }
    StopCollection();
    received += TakeBatch();

    QByteArray expected;
    for (int i = 0; i < count; ++i)
        expected += SequencedDatagram(static_cast<quint32>(i), 100);
    EXPECT_EQ(received.size(), expected.size());
    EXPECT_TRUE(received == expected);
    auto lock = m_pReadBuffer->AccessLock();
    EXPECT_EQ(m_pReadBuffer->GetLostBatches(), 0);
    EXPECT_TRUE(m_Lost.isEmpty());
}

TEST_F(DataWorkerTest, BatchThatCannotBeHandedOverIsCountedAndReported)
{
    SetHandOverTimeout(20);
    StartBoundWorker();
    SetWorkerBufferSize(1000);
    // Nobody takes the first batch, so the second cannot be handed over.
    SendAndWait({SequencedDatagram(0, 600), SequencedDatagram(1, 600), SequencedDatagram(2, 600)});
    ASSERT_TRUE(waitUntil([&] { return m_Lost.size() == 1; }, 5000));
    EXPECT_EQ(m_Lost.first(), QStringLiteral("Data lost: 600 bytes dropped, decoder did not take the previous batch in time (total lost: 600 bytes)"));
    EXPECT_EQ(TakeBatch(), SequencedDatagram(0, 600));
    auto lock = m_pReadBuffer->AccessLock();
    EXPECT_EQ(m_pReadBuffer->GetLostBatches(), 1);
}

TEST_F(DataWorkerTest, DatagramsTheKernelDroppedAreCountedAndReported)
{
    // A tiny receive buffer, and a data thread held busy while 200 datagrams arrive.
    StartBoundWorker(4096);
    std::promise<void> sent;
    std::shared_future<void> sentFuture = sent.get_future().share();
    m_pRig->Run([w = m_pRig->Get(), sentFuture] {
        sentFuture.wait();
        w->onCollectStopped();
    });
    const int count = 200;
    for (int i = 0; i < count; ++i)
        Send(SequencedDatagram(static_cast<quint32>(i), 500));
    sent.set_value();
    ASSERT_TRUE(waitUntil([&] { return m_StopFinished == 1; }, 5000));

    const qint64 received = m_pRig->Get()->GetReceivedDatagrams();
    const qint64 dropped = m_pRig->Get()->GetDroppedDatagrams();
    EXPECT_GT(dropped, 0);
    EXPECT_EQ(received + dropped, count);
    EXPECT_EQ(m_Ready.last(), received * 500);
    ASSERT_EQ(m_Lost.size(), 1);
    EXPECT_EQ(m_Lost.first(), QStringLiteral("Data lost: the data socket dropped %1 datagrams (total: %1)").arg(dropped));
}

TEST_F(DataWorkerTest, StopReleasesThePortAndInitBindsANewOne)
{
    StartBoundWorker();
    const quint16 first = m_Ports.first();
    m_pRig->Run([w = m_pRig->Get()] { w->Stop(); });
    QUdpSocket probe;
    ASSERT_TRUE(waitUntil([&] { return probe.bind(QHostAddress(m_Address), first); }, 5000));
    probe.close();
    m_pRig->Run([w = m_pRig->Get()] { w->Stop(); });   // not bound: nothing happens
    m_pRig->Run([w = m_pRig->Get()] { w->Init(); });
    ASSERT_TRUE(waitUntil([&] { return m_Ports.size() == 2; }, 5000));
    SendAndWait({SequencedDatagram(7, 50)});
    StopCollection();
    EXPECT_EQ(TakeBatch(), SequencedDatagram(7, 50));
    EXPECT_TRUE(m_Errors.isEmpty());
}

} // namespace
