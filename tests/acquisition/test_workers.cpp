// The worker manager against the virtual camera: start-up waits, failures,
// restarts, relays, the direct hand-over to a consumer, and shutdown.
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
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QUdpSocket>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <mutex>

namespace {

using testsupport::waitUntil;
using testsupport::waitWithoutEvents;

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

TEST_F(WorkerManagerTest, RestartReconnectsRebindsAndWaitsLikeTheFirstStart)
{
    StartCamera();
    ASSERT_TRUE(m_pManager->StartWorkers(m_Address, m_Address));
    m_pManager->StopWorkers();
    ASSERT_TRUE(waitUntil([&] { return m_Disconnected == 1; }, 5000));

    ASSERT_TRUE(m_pManager->StartWorkers(m_Address, m_Address)) << m_pManager->GetLastError().toStdString();
    EXPECT_EQ(m_Restarts, 1);
    EXPECT_EQ(m_Ports.size(), 2);       // the new port was known before StartWorkers returned
    EXPECT_EQ(m_Connected.size(), 2);
    EXPECT_TRUE(m_pCamera->waitForConnections(camsim::Channel::Status, 2, 5000));

    // Restarting while running also works, and creates no new workers.
    DataWorker* worker = m_pManager->GetDataWorker();
    ASSERT_TRUE(m_pManager->StartWorkers(m_Address, m_Address));
    EXPECT_EQ(m_pManager->GetDataWorker(), worker);
    EXPECT_EQ(m_Ports.size(), 3);
}

TEST_F(WorkerManagerTest, StopWorkersReturnsBeforeTheSocketsClose)
{
    StartCamera();
    ASSERT_TRUE(m_pManager->StartWorkers(m_Address, m_Address));
    m_pManager->StopWorkers();
    EXPECT_EQ(m_Disconnected, 0);   // the disconnect arrives later, queued
    ASSERT_TRUE(waitUntil([&] { return m_Disconnected == 1; }, 5000));
    QUdpSocket probe;
    ASSERT_TRUE(waitUntil([&] { return probe.bind(QHostAddress(m_Address), m_Ports.first()); }, 5000));
}

TEST_F(WorkerManagerTest, CollectStopIsAnsweredAfterTheFinalBatch)
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
}

TEST_F(WorkerManagerTest, BufferResizeAndItsFailureAreRelayed)
{
    StartCamera();
    ASSERT_TRUE(m_pManager->StartWorkers(m_Address, m_Address));
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

TEST_F(WorkerManagerTest, DestructionEndsBothThreadsAndDeletesTheWorkers)
{
    StartCamera();
    ASSERT_TRUE(m_pManager->StartWorkers(m_Address, m_Address));
    QPointer<DataWorker> worker = m_pManager->GetDataWorker();
    ASSERT_FALSE(worker.isNull());
    m_pManager.reset();
    EXPECT_TRUE(worker.isNull());
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
