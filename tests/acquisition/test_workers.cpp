// The acquisition workers against the virtual camera. The status worker:
// connecting, status records, power-up announcements, records split across
// reads. The data worker: binding, batching datagrams into the read buffer, the
// flush at stop and at resize, and the hand-over to a consumer that is late.
// The worker manager: start-up waits, failures, restarts, relays, the direct
// hand-over to a consumer, and shutdown.
#include "acquisition/quorveldataworker.h"
#include "acquisition/quorvelstatusworker.h"
#include "acquisition/quorvelworkermgr.h"
#include "acquisition/readbuffer.h"
#include "acquisition/waitloop.h"
#include "camsim/virtualcamera.h"
#include "support/testsupport.h"
#include "test_workersrig.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QHostAddress>
#include <QPointer>
#include <QStringList>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QUdpSocket>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <future>
#include <mutex>

namespace {

using testsupport::waitUntil;
using testsupport::waitWithoutEvents;

struct StatusRecorder
{
    QStringList lines;
    QList<int> gms;
    int poweredUp = 0;
    int connected = 0;
    int disconnected = 0;
    QStringList connectedTexts;
    QStringList errors;

    void Attach(QuorvelStatusWorker* a_pWorker, QObject* a_pContext)
    {
        QObject::connect(a_pWorker, &QuorvelStatusWorker::statusUpdate, a_pContext, [this](const QString& a_Line) { lines << a_Line; });
        QObject::connect(a_pWorker, &QuorvelStatusWorker::GMDetermined, a_pContext, [this](int a_GM) { gms << a_GM; });
        QObject::connect(a_pWorker, &QuorvelStatusWorker::PoweredUp, a_pContext, [this] { ++poweredUp; });
        QObject::connect(a_pWorker, &QuorvelStatusWorker::connected, a_pContext, [this] { ++connected; });
        QObject::connect(a_pWorker, &QuorvelStatusWorker::statusSockDisconnected, a_pContext, [this] { ++disconnected; });
        QObject::connect(a_pWorker, &QuorvelStatusWorker::statusSockConnected, a_pContext, [this](QString a_Text) { connectedTexts << a_Text; });
        QObject::connect(a_pWorker, &QuorvelStatusWorker::error, a_pContext, [this](QString a_Text) { errors << a_Text; });
    }
};

class StatusWorkerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Address = testsupport::testLoopbackAddress();
        camsim::CameraConfig config;
        config.address = m_Address;
        m_pCamera.reset(new camsim::VirtualCamera(config));
    }

    void StartCamera()
    {
        QString error;
        ASSERT_TRUE(m_pCamera->start(&error)) << error.toStdString();
    }

    void StartWorker()
    {
        m_pRig.reset(new WorkerRig<QuorvelStatusWorker>(new QuorvelStatusWorker(m_Address, m_Address)));
        m_Recorder.Attach(m_pRig->Get(), m_pRig->Context());
        m_pRig->Start();
    }

    void TearDown() override
    {
        m_pRig.reset();
        m_pCamera.reset();
    }

    QString m_Address;
    std::unique_ptr<camsim::VirtualCamera> m_pCamera;
    std::unique_ptr<WorkerRig<QuorvelStatusWorker>> m_pRig;
    StatusRecorder m_Recorder;
};

QString Line(const QString& a_GM, const QString& a_Status, const QString& a_Error)
{
    return (a_GM.isEmpty() ? QString() : QStringLiteral("GM:%1\t").arg(a_GM)) + QStringLiteral("Status:%1\t").arg(a_Status)
           + QStringLiteral("Error:%1").arg(a_Error);
}

TEST_F(StatusWorkerTest, ConnectsAndAnnouncesEachGMOfThePowerUpAndThenIdle)
{
    StartCamera();
    StartWorker();
    ASSERT_TRUE(waitUntil([&] { return m_Recorder.connected == 1; }, 5000));
    ASSERT_EQ(m_Recorder.connectedTexts.size(), 1);
    EXPECT_TRUE(m_Recorder.connectedTexts[0].startsWith(m_Address + QLatin1Char(':')));
    EXPECT_TRUE(m_Recorder.connectedTexts[0].endsWith(QStringLiteral(" connected to %1:20485").arg(m_Address)));
    ASSERT_TRUE(m_pCamera->waitForConnections(camsim::Channel::Status, 1, 5000));
    m_pCamera->setSystemRegister(16, 0x0001);
    ASSERT_TRUE(waitUntil([&] { return m_Recorder.poweredUp >= 1; }, 5000));
    EXPECT_EQ(m_Recorder.gms, (QList<int> {1, 2, 3, 4}));
    EXPECT_EQ(m_Recorder.lines.first(), Line("1", "Power Up", "No Error"));
    EXPECT_EQ(m_Recorder.lines.last(), Line("", "Idle", "No Error"));
    EXPECT_TRUE(m_Recorder.errors.isEmpty());
}

TEST_F(StatusWorkerTest, StopClosesAndInitConnectsTheSameWorkerAgain)
{
    StartCamera();
    StartWorker();
    ASSERT_TRUE(waitUntil([&] { return m_Recorder.connected == 1; }, 5000));
    m_pRig->Run([w = m_pRig->Get()] { w->Stop(); });
    ASSERT_TRUE(waitUntil([&] { return m_Recorder.disconnected == 1; }, 5000));
    m_pRig->Run([w = m_pRig->Get()] { w->Init(); });
    ASSERT_TRUE(waitUntil([&] { return m_Recorder.connected == 2; }, 5000));
    ASSERT_TRUE(m_pCamera->waitForConnections(camsim::Channel::Status, 2, 5000));
    m_pCamera->sendStatusBytes(QByteArray::fromHex("1000"));
    ASSERT_TRUE(waitUntil([&] { return m_Recorder.poweredUp == 1; }, 5000));
}

// Record decoding on its own, without a socket: the table of status and error
// codes, GM bytes, and what each record emits.
TEST(StatusRecordDecoding, RecordsGiveTheirLinesAndSignals)
{
    QuorvelStatusWorker worker(QStringLiteral("127.0.0.1"), QStringLiteral("127.0.0.1"));
    QStringList lines;
    QList<int> gms;
    int poweredUp = 0;
    QObject::connect(&worker, &QuorvelStatusWorker::statusUpdate, [&](const QString& a_Line) { lines << a_Line; });
    QObject::connect(&worker, &QuorvelStatusWorker::GMDetermined, [&](int a_GM) { gms << a_GM; });
    QObject::connect(&worker, &QuorvelStatusWorker::PoweredUp, [&] { ++poweredUp; });

    worker.DecodeRecords(QByteArray::fromHex("08801001"));   // GM byte 0x80: no GM
    EXPECT_EQ(lines, (QStringList {Line("", "Power Up", "No Error"), Line("1", "Idle", "No Error")}));
    EXPECT_TRUE(gms.isEmpty());
    EXPECT_EQ(poweredUp, 1);

    lines.clear();
    worker.DecodeRecords(QByteArray::fromHex("0903"));       // power up with a CRC error
    EXPECT_EQ(lines, QStringList {Line("3", "Power Up", "Packet CRC Error")});
    EXPECT_TRUE(gms.isEmpty());
    EXPECT_EQ(poweredUp, 1);

    lines.clear();
    worker.DecodeRecords(QByteArray::fromHex("0a00" "3000" "3f00" "c801" "1d00" "2c00" "2e00"));
    EXPECT_EQ(lines, (QStringList {Line("", "Power Up", "Unknown Error"), Line("", "Unknown Status", "No Error"),
                                   Line("", "Unknown Status", "Unknown Error"), Line("1", "Power Up", "No Error"),
                                   Line("", "Collecting", "EEPROM Error (Power Up Load)"), Line("", "Debug", "Wrong Command"),
                                   Line("", "Debug", "ID Setup Error")}));
    EXPECT_EQ(gms, QList<int> {1});   // status bits 6 and 7 change nothing

    // An odd byte waits for its partner in the next read.
    lines.clear();
    gms.clear();
    worker.DecodeRecords(QByteArray::fromHex("100008"));
    EXPECT_EQ(lines.size(), 1);
    worker.DecodeRecords(QByteArray::fromHex("04"));
    EXPECT_EQ(lines.size(), 2);
    EXPECT_EQ(lines.last(), Line("4", "Power Up", "No Error"));
    EXPECT_EQ(gms, QList<int> {4});
}

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

// Takes every batch it is told about, on a thread of its own, as the decoder does.
class BatchConsumer : public QObject
{
    Q_OBJECT
public:
    void OnReadBufferReady(qint64)
    {
        ReadBuffer* readBuffer = ReadBuffer::GetInstance();
        auto lock = readBuffer->AccessLock();
        const qint64 bytes = readBuffer->TakeBatch();
        m_Bytes += bytes;
        if (bytes > 0)
            ++m_Batches;
    }
    std::atomic<qint64> m_Bytes {0};
    std::atomic<int> m_Batches {0};
};

class WorkerManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ReadBuffer::DeleteInstance();
        ReadBuffer::GetInstance();
        m_Address = testsupport::testLoopbackAddress();
        camsim::CameraConfig config;
        config.address = m_Address;
        config.rateOverride = 20000;
        m_pCamera.reset(new camsim::VirtualCamera(config));
        m_pManager.reset(new QuorvelWorkerMGR());
        m_pManager->SetStartupTimeout(3000);
        QuorvelWorkerMGR* manager = m_pManager.get();
        QObject::connect(manager, &WorkerMGR::dataPortSet, [this](quint16 a_Port) { m_Ports << a_Port; });
        QObject::connect(manager, &WorkerMGR::statusSocketConnected, [this](QString a_Text) { m_Connected << a_Text; });
        QObject::connect(manager, &WorkerMGR::statusSocketDisconnected, [this] { ++m_Disconnected; });
        QObject::connect(manager, &WorkerMGR::restartWorkers, [this] { ++m_Restarts; });
        QObject::connect(manager, &WorkerMGR::statusUpdate, [this](const QString& a_Line) { m_Lines << a_Line; });
        QObject::connect(manager, &WorkerMGR::readBufferReady, [this](qint64 a_Bytes) { m_Ready << a_Bytes; });
        QObject::connect(manager, &WorkerMGR::collectStopFinished, [this] { m_StopFinishedAfter << m_Ready.size(); });
        QObject::connect(manager, &WorkerMGR::bufferSizeChanged, [this] { ++m_SizeChanged; });
        QObject::connect(manager, &WorkerMGR::dataWorkerError, [this] { m_DataErrors << m_pManager->GetLastError(); });
        QObject::connect(manager, &QuorvelWorkerMGR::GMDetermined, [this](int a_GM) { m_GMs << a_GM; });
        QObject::connect(manager, &QuorvelWorkerMGR::PoweredUp, [this] { ++m_PoweredUp; });
    }

    void TearDown() override
    {
        m_pManager.reset();
        m_pCamera.reset();
        ReadBuffer::DeleteInstance();
    }

    void StartCamera()
    {
        QString error;
        ASSERT_TRUE(m_pCamera->start(&error)) << error.toStdString();
    }

    // The camera streams to the host of its control connection.
    void ConnectControl()
    {
        ASSERT_TRUE(m_Control.bind(QHostAddress(m_Address), 0));
        m_Control.connectToHost(m_Address, 20483);
        ASSERT_TRUE(m_Control.waitForConnected(5000));
        ASSERT_TRUE(m_pCamera->waitForConnections(camsim::Channel::Control, 1, 5000));
    }

    // Stops collection as the controller does: waits for the data worker's answer.
    bool StopCollection()
    {
        WaitLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(m_pManager.get(), &WorkerMGR::collectStopFinished, &loop, &WaitLoop::OnWaitConditionRecvd);
        QObject::connect(m_pManager.get(), &WorkerMGR::collectStopFinished, &loop, &WaitLoop::quit);
        QObject::connect(&timer, &QTimer::timeout, &loop, &WaitLoop::quit);
        emit m_pManager->collectStopped();
        timer.start(5000);
        loop.Exec();
        return loop.IsWaitConditionRecvd();
    }

    QString m_Address;
    std::unique_ptr<camsim::VirtualCamera> m_pCamera;
    std::unique_ptr<QuorvelWorkerMGR> m_pManager;
    QTcpSocket m_Control;
    QList<quint16> m_Ports;
    QStringList m_Connected;
    QStringList m_Lines;
    QStringList m_DataErrors;
    QList<qint64> m_Ready;
    QList<int> m_StopFinishedAfter;
    QList<int> m_GMs;
    int m_Disconnected = 0;
    int m_Restarts = 0;
    int m_SizeChanged = 0;
    int m_PoweredUp = 0;
};

TEST_F(WorkerManagerTest, StartWaitsForTheStatusConnectionAndTheDataPort)
{
    StartCamera();
    ASSERT_TRUE(m_pManager->StartWorkers(m_Address, m_Address)) << m_pManager->GetLastError().toStdString();
    // Both answers were delivered inside the wait.
    ASSERT_EQ(m_Ports.size(), 1);
    EXPECT_NE(m_Ports.first(), 0);
    ASSERT_EQ(m_Connected.size(), 1);
    EXPECT_TRUE(m_Connected.first().endsWith(QStringLiteral("connected to %1:20485").arg(m_Address)));
    EXPECT_TRUE(m_pManager->IsStatusThreadRunning());
    EXPECT_TRUE(m_pManager->IsDataThreadRunning());
    EXPECT_TRUE(m_pManager->GetLastError().isEmpty());

    // Status records reach the manager's relays.
    ASSERT_TRUE(m_pCamera->waitForConnections(camsim::Channel::Status, 1, 5000));
    m_pCamera->setSystemRegister(16, 0x0001);
    ASSERT_TRUE(waitUntil([&] { return m_PoweredUp == 1; }, 5000));
    EXPECT_EQ(m_GMs, (QList<int> {1, 2, 3, 4}));
    EXPECT_EQ(m_Lines.first(), QStringLiteral("GM:1\tStatus:Power Up\tError:No Error"));
}

TEST_F(WorkerManagerTest, RefusedStatusConnectionFailsAtOnceAndRestartStartsTheDataThread)
{
    StartCamera();
    // No camera listens at the first camera address.
    const QString nowhere = testsupport::loopbackAddressFor(m_Address + QStringLiteral("-nowhere"));
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_FALSE(m_pManager->StartWorkers(m_Address, nowhere));
    EXPECT_LT(elapsed.elapsed(), 2000);
    EXPECT_EQ(m_pManager->GetLastError(), QStringLiteral("Status port setup error: Socket Error: 0"));
    EXPECT_FALSE(m_pManager->IsDataThreadRunning());
    EXPECT_TRUE(m_Ports.isEmpty());

    // The restart uses the new camera address, starts the data thread that
    // never ran, and waits for both answers.
    ASSERT_TRUE(m_pManager->StartWorkers(m_Address, m_Address)) << m_pManager->GetLastError().toStdString();
    EXPECT_TRUE(m_pManager->IsDataThreadRunning());
    ASSERT_EQ(m_Ports.size(), 1);   // the data worker bound once, not twice
    ASSERT_EQ(m_Connected.size(), 1);
    EXPECT_TRUE(m_Connected.first().endsWith(QStringLiteral("connected to %1:20485").arg(m_Address)));
}

// A status port whose accept queue is full: connection attempts neither
// succeed nor fail, they hang.
class HangingListener
{
public:
    explicit HangingListener(const QString& a_Address)
    {
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_port = htons(20485);
        inet_pton(AF_INET, a_Address.toLatin1().constData(), &address.sin_addr);
        m_Listener = socket(AF_INET, SOCK_STREAM, 0);
        m_Ok = bind(m_Listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 && listen(m_Listener, 0) == 0;
        m_Filler = socket(AF_INET, SOCK_STREAM, 0);
        m_Ok = m_Ok && ::connect(m_Filler, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    }
    ~HangingListener()
    {
        close(m_Filler);
        close(m_Listener);
    }
    bool IsOk() const { return m_Ok; }

private:
    int m_Listener = -1;
    int m_Filler = -1;
    bool m_Ok = false;
};

TEST_F(WorkerManagerTest, StatusConnectionThatHangsTimesOut)
{
    HangingListener listener(m_Address);
    ASSERT_TRUE(listener.IsOk());
    m_pManager->SetStartupTimeout(200);
    m_pManager->SetStatusConnectTimeout(600);
    EXPECT_FALSE(m_pManager->StartWorkers(m_Address, m_Address));
    EXPECT_EQ(m_pManager->GetLastError(), QStringLiteral("Timed out waiting for connection to status socket"));
    EXPECT_FALSE(m_pManager->IsDataThreadRunning());
    // The worker gives up on its own later; that only updates the last error.
    ASSERT_TRUE(waitUntil([&] { return m_pManager->GetLastError() != QStringLiteral("Timed out waiting for connection to status socket"); }, 5000));
    EXPECT_EQ(m_pManager->GetLastError(), QStringLiteral("Status port setup error: Failed to connect to remote ip address"));
}

// StopWorkers returns before the sockets close; a restart reconnects, rebinds and
// waits like the first start; destruction ends both threads and deletes the workers.
TEST_F(WorkerManagerTest, StopRestartAndDestructionOfTheWorkers)
{
    StartCamera();
    ASSERT_TRUE(m_pManager->StartWorkers(m_Address, m_Address));
    m_pManager->StopWorkers();
    EXPECT_EQ(m_Disconnected, 0);   // the disconnect arrives later, queued
    ASSERT_TRUE(waitUntil([&] { return m_Disconnected == 1; }, 5000));
    {
        QUdpSocket probe;
        ASSERT_TRUE(waitUntil([&] { return probe.bind(QHostAddress(m_Address), m_Ports.first()); }, 5000));
    }

    ASSERT_TRUE(m_pManager->StartWorkers(m_Address, m_Address)) << m_pManager->GetLastError().toStdString();
    EXPECT_EQ(m_Restarts, 1);
    EXPECT_EQ(m_Ports.size(), 2);       // the new port was known before StartWorkers returned
    EXPECT_EQ(m_Connected.size(), 2);
    EXPECT_TRUE(m_pCamera->waitForConnections(camsim::Channel::Status, 2, 5000));

    // Restarting while running also works, and creates no new workers.
    QPointer<DataWorker> worker = m_pManager->GetDataWorker();
    ASSERT_TRUE(m_pManager->StartWorkers(m_Address, m_Address));
    EXPECT_EQ(m_pManager->GetDataWorker(), worker.data());
    EXPECT_EQ(m_Ports.size(), 3);

    m_pManager.reset();
    EXPECT_TRUE(worker.isNull());
}

// The data worker's answers reach the manager's relays: the stop comes after the
// final batch, and a resize and its failure are reported.
TEST_F(WorkerManagerTest, CollectStopAndBufferResizeAreRelayed)
{
    StartCamera();
    ASSERT_TRUE(m_pManager->StartWorkers(m_Address, m_Address));
    ASSERT_TRUE(StopCollection());
    EXPECT_EQ(m_Ready, QList<qint64> {0});
    EXPECT_EQ(m_StopFinishedAfter, QList<int> {1});   // readBufferReady came first

    QUdpSocket sender;
    ASSERT_TRUE(sender.bind(QHostAddress(m_Address), 0));
    ASSERT_EQ(sender.writeDatagram(QByteArray(660, 'p'), QHostAddress(m_Address), m_Ports.first()), 660);
    ASSERT_TRUE(waitUntil([&] { return m_pManager->GetDataWorker()->GetReceivedDatagrams() == 1; }, 5000));
    ASSERT_TRUE(StopCollection());
    EXPECT_EQ(m_Ready.last(), 660);
    EXPECT_EQ(m_StopFinishedAfter.last(), 2);

    emit m_pManager->bufferSizeChangeRequest(2 * 1048576);
    ASSERT_TRUE(waitUntil([&] { return m_SizeChanged == 1; }, 5000));
    EXPECT_EQ(m_pManager->GetDataWorker()->GetBufferSize(), 2 * 1048576);
    emit m_pManager->bufferSizeChangeRequest(-1);
    ASSERT_TRUE(waitUntil([&] { return m_DataErrors.size() == 1; }, 5000));
    // The text is stored before dataWorkerError is emitted.
    EXPECT_EQ(m_DataErrors.first(), QStringLiteral("Data port setup error: Failed to resize buffer to -1"));
}

// The consumer gets every batch on its own thread even while the client's
// thread runs no event loop at all.
TEST_F(WorkerManagerTest, BatchesReachTheConsumerWithoutTheClientsEventLoop)
{
    StartCamera();
    ConnectControl();
    BatchConsumer consumer;
    QThread consumerThread;
    consumer.moveToThread(&consumerThread);
    consumerThread.start();
    m_pManager->SetReadBufferConsumer(&consumer, &BatchConsumer::OnReadBufferReady);
    ASSERT_TRUE(m_pManager->StartWorkers(m_Address, m_Address));

    m_pCamera->setSystemRegister(14, m_Ports.first());
    m_pCamera->setSystemRegister(16, 0x0002);
    // About 3 MB: several batches, none of which the client's thread relays.
    EXPECT_TRUE(waitWithoutEvents([&] { return consumer.m_Batches.load() >= 3; }, 10000));
    m_pCamera->setSystemRegister(16, 0x0000);
    DataWorker* worker = m_pManager->GetDataWorker();
    ASSERT_TRUE(waitWithoutEvents([&] { return worker->GetReceivedDatagrams() == m_pCamera->datagramsSent(); }, 5000));
    ASSERT_TRUE(StopCollection());
    ASSERT_TRUE(waitUntil([&] {
        auto lock = ReadBuffer::GetInstance()->AccessLock();
        return ReadBuffer::GetInstance()->GetPendingBytes() == 0;
    }, 5000));

    EXPECT_EQ(worker->GetReceivedDatagrams(), m_pCamera->datagramsSent());
    EXPECT_EQ(worker->GetDroppedDatagrams(), 0);
    {
        auto lock = ReadBuffer::GetInstance()->AccessLock();
        EXPECT_EQ(ReadBuffer::GetInstance()->GetLostBatches(), 0);
    }
    qint64 relayed = 0;
    for (qint64 bytes : m_Ready)
        relayed += bytes;
    EXPECT_EQ(consumer.m_Bytes.load(), relayed);
    m_pManager.reset();
    consumerThread.quit();
    consumerThread.wait();
}

TEST(WaitLoopTest, ExecReturnsAtOnceWhenTheSignalCameFirst)
{
    WaitLoop loop;
    loop.OnWaitConditionRecvd();
    QElapsedTimer elapsed;
    elapsed.start();
    loop.Exec();   // would block forever if it entered the loop
    EXPECT_TRUE(loop.IsWaitConditionRecvd());
    EXPECT_LT(elapsed.elapsed(), 1000);
}

} // namespace

#include "test_workers.moc"
