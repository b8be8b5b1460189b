// Bringing the link up and down through the facade, against the virtual
// camera: the wire sequence, the callbacks, failures, and the GMs that power up.
#include "tests/support/camerarig.h"
#include "tests/core/quorveltestaccess.h"

#include "acquisition/statusworker.h"
#include "gammamodule/gammamodules.h"

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <atomic>

namespace {

class InitTest : public CameraRig
{
protected:
    // The port named in the "Data Socket Port: %1" text, or 0.
    static int ReportedDataPort()
    {
        const std::string prefix = "Data Socket Port: ";
        for (const std::string& text : SysTexts()) {
            if (text.compare(0, prefix.size(), prefix) == 0)
                return std::stoi(text.substr(prefix.size()));
        }
        return 0;
    }

    // The data port is reported, then written to register 14 before the
    // camera is stopped twice (collection, then the system).
    void ExpectStartSequence()
    {
        const int port = ReportedDataPort();
        ASSERT_GT(port, 0);
        EXPECT_EQ(Requests(5), QList<QByteArray>({Bytes({0x8F, 0xF0, 0x00}), Bytes({0x8F, 0xC8, 0x00}),
                                                  Bytes({0x8E, port >> 8, port & 0xFF}), Bytes({0x90, 0x00, 0x00}),
                                                  Bytes({0x90, 0x00, 0x00})}));
        EXPECT_EQ(m_Camera->simulatorRequests(), QList<QByteArray>({Bytes({0x81, 0x12, 0x00})}));
        EXPECT_EQ(m_Camera->systemRegister(14), port);
    }

    // ID and default GM of each device GM, in list order.
    static std::vector<std::pair<int, int>> DeviceGMs()
    {
        GammaModules* gms = GammaModules::GetInstance();
        const auto lock = gms->AccessLock();
        std::vector<std::pair<int, int>> result;
        for (const GammaModule* gm : gms->GetGMs(GAMMA_MODULES_TYPE_DEVICE))
            result.emplace_back(gm->GetID(), gm->GetDefaultGM());
        return result;
    }
};

TEST_F(InitTest, InitializeWritesTheStartSequenceAndLeavesTheCameraStopped)
{
    StartCamera();
    ASSERT_NO_FATAL_FAILURE(Initialize());
    ASSERT_NO_FATAL_FAILURE(ExpectStartSequence());

    EXPECT_TRUE(QuorvelDll::IsSystemInitialized());
    EXPECT_FALSE(QuorvelDll::IsSystemCollectingPhotons());
    EXPECT_EQ(QuorvelDll::GetNoOfGMs(), 0);
    EXPECT_TRUE(HasText(ToolbarTexts(), "Finished collecting"));
}

TEST_F(InitTest, InitializeFailsAgainstAnUnreachableCamera)
{
    PrepareClient();
    EXPECT_FALSE(QuorvelDll::Initialize());
    EXPECT_EQ(QuorvelDll::GetLastError(), "Failed to connect to Camera IP address");
    EXPECT_FALSE(QuorvelDll::IsSystemInitialized());
}

TEST_F(InitTest, FailedWorkerStartClosesTheConnectionsAndALaterInitializeSucceeds)
{
    // Control and simulator ports accept, the status port refuses.
    QTcpServer control;
    QTcpServer simulator;
    ASSERT_TRUE(control.listen(QHostAddress(m_Address), 20483));
    ASSERT_TRUE(simulator.listen(QHostAddress(m_Address), 20484));
    PrepareClient();
    EXPECT_FALSE(QuorvelDll::Initialize());
    EXPECT_EQ(QuorvelDll::GetLastError(), "Status port setup error: Socket Error: 0");
    EXPECT_FALSE(QuorvelDll::IsSystemInitialized());

    // Both control connections were closed again by the library.
    QList<QTcpSocket*> accepted;
    ASSERT_TRUE(testsupport::waitUntil([&] {
        while (QTcpSocket* socket = control.nextPendingConnection())
            accepted.append(socket);
        while (QTcpSocket* socket = simulator.nextPendingConnection())
            accepted.append(socket);
        return accepted.size() == 2;
    }, waitMs));
    for (QTcpSocket* socket : accepted) {
        EXPECT_TRUE(socket->state() == QAbstractSocket::UnconnectedState || socket->waitForDisconnected(waitMs))
            << "a control connection was left open";
    }
    control.close();
    simulator.close();

    // The data worker never ran; the next Initialize starts it and waits for
    // its port, so collection can be stopped.
    StartCamera();
    ASSERT_TRUE(QuorvelDll::Initialize()) << QuorvelDll::GetLastError();
    EXPECT_TRUE(QuorvelDll::IsSystemInitialized());
    EXPECT_GT(ReportedDataPort(), 0);
    EXPECT_TRUE(QuorvelDll::StopPhotonCollection()) << QuorvelDll::GetLastError();

    // No stop of the failed attempt reaches the data worker after its first
    // start: its socket stays open, and photons arrive and are kept.
    ASSERT_TRUE(QuorvelDll::StartSys()) << QuorvelDll::GetLastError();
    ASSERT_TRUE(testsupport::waitUntil([] { return QuorvelDll::GetNoOfGMs() == 4; }, waitMs));
    ASSERT_NO_FATAL_FAILURE(Collect(40));
    ExpectStoreMatchesCamera();
}

TEST_F(InitTest, ErrorOfAnEarlierStatusConnectionDoesNotFailTheNextInitialize)
{
    StartCamera();
    ASSERT_NO_FATAL_FAILURE(Initialize());
    // The watch is wired while the workers' threads are stopped, so their next
    // start orders it before anything the status worker does.
    QuorvelTestAccess::Workers().StopThreads();
    static std::atomic<bool> errorSent;
    errorSent = false;
    QObject::connect(QuorvelTestAccess::Workers().GetStatusWorker(), &StatusWorker::error, [] { errorSent = true; });
    QuorvelDll::Disconnect();
    ASSERT_TRUE(QuorvelDll::Initialize()) << QuorvelDll::GetLastError();

    // The camera drops the status connection; the worker's error is still
    // queued for the client's thread when the client disconnects and starts
    // again without having run its events.
    m_Camera->closeConnection(camsim::Channel::Status);
    ASSERT_TRUE(testsupport::waitWithoutEvents([] { return errorSent.load(); }, waitMs));
    QuorvelDll::Disconnect();
    ASSERT_TRUE(QuorvelDll::Initialize()) << QuorvelDll::GetLastError();
    EXPECT_TRUE(m_Camera->waitForConnections(camsim::Channel::Status, 3, waitMs));
    EXPECT_TRUE(QuorvelDll::StopPhotonCollection()) << QuorvelDll::GetLastError();
}

TEST_F(InitTest, InitializeAfterTheCameraDroppedTheLinkConnectsAgainFromScratch)
{
    StartCamera();
    ASSERT_NO_FATAL_FAILURE(Initialize());
    // A power cycle closes every connection.
    m_Camera->closeConnection(camsim::Channel::Control);
    m_Camera->closeConnection(camsim::Channel::Simulator);
    m_Camera->closeConnection(camsim::Channel::Status);
    ASSERT_TRUE(testsupport::waitWithoutEvents(
        [] { return !QuorvelTestAccess::Communication().IsSysControlLinkUp(); }, waitMs));
    m_Camera->clearRecords();
    SysTexts().clear();

    ASSERT_TRUE(QuorvelDll::Initialize()) << QuorvelDll::GetLastError();
    EXPECT_EQ(m_Camera->connectionCount(camsim::Channel::Control), 2);
    EXPECT_EQ(m_Camera->connectionCount(camsim::Channel::Simulator), 2);
    EXPECT_TRUE(m_Camera->waitForConnections(camsim::Channel::Status, 2, waitMs));
    // The same start sequence as a first Initialize, with the new data port.
    ASSERT_NO_FATAL_FAILURE(ExpectStartSequence());

    ASSERT_TRUE(QuorvelDll::StartSys()) << QuorvelDll::GetLastError();
    ASSERT_TRUE(testsupport::waitUntil([] { return QuorvelDll::GetNoOfGMs() == 4; }, waitMs));
    ASSERT_NO_FATAL_FAILURE(Collect(20));
    ExpectStoreMatchesCamera();

    // An intact link is still refused.
    EXPECT_FALSE(QuorvelDll::Initialize());
    EXPECT_EQ(QuorvelDll::GetLastError(), "System is already connected, disconnect before initializing again");
}

TEST_F(InitTest, SavingAConfigurationNeedsTheDeviceGMsAndKeepsTheOldFileWithout)
{
    StartCamera();
    ASSERT_NO_FATAL_FAILURE(StartSystem());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("configuration.dat"));
    ASSERT_TRUE(QuorvelDll::SaveConfiguration(path.toUtf8().constData())) << QuorvelDll::GetLastError();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    file.close();

    ASSERT_TRUE(QuorvelDll::StopSys());
    EXPECT_FALSE(QuorvelDll::SaveConfiguration(path.toUtf8().constData()));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Number of gamma modules in device yet to be determined");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll() == saved);
}

TEST_F(InitTest, SecondInitializeIsRefusedUntilDisconnect)
{
    StartCamera();
    ASSERT_NO_FATAL_FAILURE(Initialize());
    EXPECT_FALSE(QuorvelDll::Initialize());
    EXPECT_EQ(QuorvelDll::GetLastError(), "System is already connected, disconnect before initializing again");
    int version = 0;
    EXPECT_TRUE(QuorvelDll::GetGBEFirmwareVersion(&version)) << QuorvelDll::GetLastError();
    EXPECT_EQ(m_Camera->connectionCount(camsim::Channel::Control), 1);

    // Disconnect stops the system, closes the HV and the connections, and
    // leaves the system marked initialised.
    const int before = m_Camera->requests().size();
    QuorvelDll::Disconnect();
    const QList<QByteArray> requests = Requests(before + 2);
    EXPECT_EQ(requests.mid(before), QList<QByteArray>({Bytes({0x90, 0x00, 0x00}), Bytes({0x8F, 0xE8, 0x00})}));
    EXPECT_TRUE(QuorvelDll::IsSystemInitialized());
    EXPECT_FALSE(QuorvelDll::GetGBEFirmwareVersion(&version));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Failed to read from register 127");

    // A new Initialize connects again and restarts the workers.
    ASSERT_TRUE(QuorvelDll::Initialize()) << QuorvelDll::GetLastError();
    EXPECT_TRUE(m_Camera->waitForConnections(camsim::Channel::Control, 2, waitMs));
    EXPECT_TRUE(m_Camera->waitForConnections(camsim::Channel::Status, 2, waitMs));
    EXPECT_TRUE(QuorvelDll::StopPhotonCollection()) << QuorvelDll::GetLastError();
}

TEST_F(InitTest, GMsJoinAsTheyPowerUpWithTheirDefaultGM)
{
    camsim::CameraConfig config;
    config.gmIds = {3, 1};
    StartCamera(config);
    m_Camera->setGmRegister(3, 20, 2);
    m_Camera->setGmRegister(1, 20, 0xFF);
    ASSERT_NO_FATAL_FAILURE(StartSystem());
    EXPECT_EQ(DeviceGMs(), (std::vector<std::pair<int, int>>{{3, 2}, {1, -1}}));
    // Each GM's ID register was read.
    const QList<QByteArray> requests = m_Camera->requests();
    EXPECT_TRUE(requests.contains(Bytes({0x14, 3, 0x00})));
    EXPECT_TRUE(requests.contains(Bytes({0x14, 1, 0x00})));

    // Stopping the system forgets them; the next power-up reports them again.
    ASSERT_TRUE(QuorvelDll::StopSys());
    EXPECT_EQ(QuorvelDll::GetNoOfGMs(), 0);
    ASSERT_TRUE(QuorvelDll::StartSys());
    EXPECT_TRUE(testsupport::waitUntil([] { return QuorvelDll::GetNoOfGMs() == 2; }, waitMs));
}

TEST_F(InitTest, RepeatedPowerUpKeepsOneEntryAndRereadsItsIDRegister)
{
    StartCamera();
    ASSERT_NO_FATAL_FAILURE(StartSystem());
    m_Camera->setGmRegister(2, 20, 3);
    m_Camera->sendStatusBytes(Bytes({0x08, 0x02}));
    ASSERT_TRUE(testsupport::waitUntil([] {
        const auto gms = DeviceGMs();
        return gms.size() > 1 && gms[1].second == 3;
    }, waitMs));
    EXPECT_EQ(DeviceGMs(), (std::vector<std::pair<int, int>>{{1, 1}, {2, 3}, {3, 3}, {4, 4}}));
}

} // namespace
