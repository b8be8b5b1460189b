// The status channel against the virtual camera: connecting, status records,
// power-up announcements, records split across reads.
#include "acquisition/quorvelstatusworker.h"
#include "camsim/virtualcamera.h"
#include "support/testsupport.h"
#include "test_workersrig.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

using testsupport::waitUntil;

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

TEST_F(StatusWorkerTest, ConnectsToTheCameraAndAnnouncesTheConnection)
{
    StartCamera();
    StartWorker();
    ASSERT_TRUE(waitUntil([&] { return m_Recorder.connected == 1; }, 5000));
    ASSERT_EQ(m_Recorder.connectedTexts.size(), 1);
    EXPECT_TRUE(m_Recorder.connectedTexts[0].startsWith(m_Address + QLatin1Char(':')));
    EXPECT_TRUE(m_Recorder.connectedTexts[0].endsWith(QStringLiteral(" connected to %1:20485").arg(m_Address)));
    EXPECT_TRUE(m_Recorder.errors.isEmpty());
}

TEST_F(StatusWorkerTest, PowerUpOfTheCameraAnnouncesEachGMAndThenIdle)
{
    StartCamera();
    StartWorker();
    ASSERT_TRUE(waitUntil([&] { return m_Recorder.connected == 1; }, 5000));
    ASSERT_TRUE(m_pCamera->waitForConnections(camsim::Channel::Status, 1, 5000));
    m_pCamera->setSystemRegister(16, 0x0001);
    ASSERT_TRUE(waitUntil([&] { return m_Recorder.poweredUp >= 1; }, 5000));
    EXPECT_EQ(m_Recorder.gms, (QList<int> {1, 2, 3, 4}));
    EXPECT_EQ(m_Recorder.lines.first(), Line("1", "Power Up", "No Error"));
    EXPECT_EQ(m_Recorder.lines.last(), Line("", "Idle", "No Error"));
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

TEST_F(StatusWorkerTest, RefusedConnectionIsReportedAsAnError)
{
    StartWorker();   // no camera listening
    ASSERT_TRUE(waitUntil([&] { return !m_Recorder.errors.isEmpty(); }, 5000));
    EXPECT_EQ(m_Recorder.errors.first(), QStringLiteral("Socket Error: 0"));
    EXPECT_EQ(m_Recorder.connected, 0);
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

} // namespace
