// Photon collection through the facade, against the virtual camera: the
// collect bit, the packet store and its queries, the buffer sizes, and the
// camera's ground truth of what it sent.
#include "tests/support/camerarig.h"
#include "tests/core/quorveltestaccess.h"

#include "acquisition/collectedpackets.h"
#include "acquisition/readbuffer.h"
#include "camsim/packetbuilder.h"

#include <QElapsedTimer>
#include <QString>
#include <QTemporaryDir>
#include <atomic>
#include <thread>

namespace {

using CollectionTest = CameraRig;

TEST_F(CollectionTest, StartAndStopDriveTheCollectBitAndReportTheirTexts)
{
    StartCamera();
    ASSERT_NO_FATAL_FAILURE(StartSystem());
    int before = SyncedRequestCount();
    ToolbarTexts().clear();

    ASSERT_TRUE(QuorvelDll::StartPhotonCollection()) << QuorvelDll::GetLastError();
    EXPECT_EQ(Requests(before + 1).mid(before), QList<QByteArray>({Bytes({0x90, 0x00, 0x03})}));
    EXPECT_TRUE(m_Camera->isCollecting());
    EXPECT_TRUE(QuorvelDll::IsSystemCollectingPhotons());
    EXPECT_EQ(ToolbarTexts(), (std::vector<std::string>{"Clearing packets ...", "Packets cleared", "Collecting ..."}));

    before = SyncedRequestCount();
    ASSERT_TRUE(QuorvelDll::StopPhotonCollection()) << QuorvelDll::GetLastError();
    EXPECT_EQ(Requests(before + 1).mid(before), QList<QByteArray>({Bytes({0x90, 0x00, 0x01})}));
    EXPECT_FALSE(m_Camera->isCollecting());
    EXPECT_FALSE(QuorvelDll::IsSystemCollectingPhotons());
    EXPECT_EQ(ToolbarTexts().back(), "Finished collecting");
}

TEST_F(CollectionTest, EveryPacketSentIsStoredExactlyOnce)
{
    camsim::CameraConfig config;
    config.rateOverride = 10000;   // about 6.6 MB/s: a dozen batches of the default 1 MiB in 2 s
    StartCamera(config);
    ASSERT_NO_FATAL_FAILURE(StartSystem());
    ASSERT_NO_FATAL_FAILURE(Collect(20000));
    ExpectStoreMatchesCamera();

    // A new collection starts from an empty store.
    ASSERT_NO_FATAL_FAILURE(Collect(2000));
    ExpectStoreMatchesCamera();
}

TEST_F(CollectionTest, RateChangeDuringCollectionLosesNoPacket)
{
    camsim::CameraConfig config;
    config.rateOverride = 4000;   // about 2.6 MB/s
    StartCamera(config);
    ASSERT_NO_FATAL_FAILURE(StartSystem());
    m_Camera->clearRecords();
    ASSERT_TRUE(QuorvelDll::StartPhotonCollection()) << QuorvelDll::GetLastError();
    // Both buffers are resized while datagrams keep arriving: the data worker
    // hands over what it holds first, and a batch of the larger buffer still
    // fits the read buffer after that has shrunk again.
    ASSERT_TRUE(m_Camera->waitForPacketsSent(3000, 30000));
    ASSERT_TRUE(QuorvelDll::SetPacketTransferRate(10000)) << QuorvelDll::GetLastError();
    EXPECT_EQ(Quorvel::GetInstance()->GetPacketBufferSize(), 7);
    ASSERT_TRUE(m_Camera->waitForPacketsSent(m_Camera->packetsSent() + 3000, 30000));
    ASSERT_TRUE(QuorvelDll::SetPacketTransferRate(1000)) << QuorvelDll::GetLastError();
    EXPECT_EQ(Quorvel::GetInstance()->GetPacketBufferSize(), 1);
    ASSERT_TRUE(m_Camera->waitForPacketsSent(m_Camera->packetsSent() + 3000, 30000));
    ASSERT_NO_FATAL_FAILURE(StopCollecting());
    ExpectStoreMatchesCamera();
}

TEST_F(CollectionTest, LateAnswerToATimedOutStopIsNotTakenForALaterOne)
{
    StartCamera();
    ASSERT_NO_FATAL_FAILURE(StartSystem());
    ReadBuffer* readBuffer = ReadBuffer::GetInstance();
    const auto storedBatches = [readBuffer] {
        const auto lock = readBuffer->AccessLock();
        return readBuffer->GetStoredBatches();
    };
    // The camera sends a burst by itself and stops again.
    const auto cameraBurst = [this] {
        m_Camera->setSystemRegister(16, m_Camera->systemRegister(16) | 0x0002);
        ASSERT_TRUE(m_Camera->waitForPacketsSent(m_Camera->packetsSent() + 20, waitMs));
        m_Camera->setSystemRegister(16, m_Camera->systemRegister(16) & ~0x0002);
        ASSERT_TRUE(m_Camera->waitForStreamStopped(waitMs));
    };
    // While the lock is held, the data worker cannot hand a batch over.
    const auto stopWithShortWait = [] {
        Quorvel::GetInstance()->SetWaitTimeout(300);
        const bool stopped = QuorvelDll::StopPhotonCollection();
        Quorvel::GetInstance()->SetWaitTimeout(10000);
        return stopped;
    };

    ASSERT_TRUE(QuorvelDll::StartPhotonCollection()) << QuorvelDll::GetLastError();
    ASSERT_NO_FATAL_FAILURE(cameraBurst());
    const qint64 batches = storedBatches();
    {
        const auto lock = readBuffer->AccessLock();
        EXPECT_FALSE(stopWithShortWait());
        EXPECT_EQ(QuorvelDll::GetLastError(), "Timed out waiting for read buffer read");
        // A second burst waits on the data socket meanwhile.
        ASSERT_NO_FATAL_FAILURE(cameraBurst());
    }

    // The late answer is now queued for the client's thread, which runs no
    // event loop until the next stop: that stop must wait for its own answer.
    QElapsedTimer clock;
    clock.start();
    while (storedBatches() == batches && clock.elapsed() < waitMs)
        std::this_thread::yield();
    ASSERT_GT(storedBatches(), batches);
    {
        const auto lock = readBuffer->AccessLock();
        EXPECT_FALSE(stopWithShortWait());
        EXPECT_EQ(QuorvelDll::GetLastError(), "Timed out waiting for read buffer read");
    }
    // Once the batches can be handed over, a stop gets its own answer and
    // both bursts are in the store.
    ASSERT_NO_FATAL_FAILURE(StopCollecting());
    ExpectStoreMatchesCamera();
}

TEST_F(CollectionTest, StartAfterATimedOutStopKeepsTheLateFinalBatchOut)
{
    StartCamera();
    ASSERT_NO_FATAL_FAILURE(StartSystem());
    ASSERT_TRUE(QuorvelDll::StartPhotonCollection()) << QuorvelDll::GetLastError();
    ASSERT_TRUE(m_Camera->waitForPacketsSent(20, waitMs));
    m_Camera->setSystemRegister(16, m_Camera->systemRegister(16) & ~0x0002);
    ASSERT_TRUE(m_Camera->waitForStreamStopped(waitMs));
    {
        // The data worker cannot hand its final batch over while the lock is held.
        ReadBuffer* readBuffer = ReadBuffer::GetInstance();
        const auto lock = readBuffer->AccessLock();
        Quorvel::GetInstance()->SetWaitTimeout(300);
        EXPECT_FALSE(QuorvelDll::StopPhotonCollection());
        Quorvel::GetInstance()->SetWaitTimeout(10000);
    }

    // The start lets that batch in before it empties the store, so the new
    // collection holds only what was sent after it.
    m_Camera->clearRecords();
    ASSERT_TRUE(QuorvelDll::StartPhotonCollection()) << QuorvelDll::GetLastError();
    ASSERT_TRUE(m_Camera->waitForPacketsSent(20, waitMs));
    ASSERT_NO_FATAL_FAILURE(StopCollecting());
    ExpectStoreMatchesCamera();
}

TEST_F(CollectionTest, FailedStartKeepsTheCollectedPackets)
{
    StartCamera();
    ASSERT_NO_FATAL_FAILURE(StartSystem());
    ASSERT_NO_FATAL_FAILURE(Collect(5));
    const int collected = QuorvelDll::GetNoOfCollectedPackets();
    ASSERT_GE(collected, 5);

    QuorvelDll::Disconnect();
    ToolbarTexts().clear();
    EXPECT_FALSE(QuorvelDll::StartPhotonCollection());
    EXPECT_EQ(QuorvelDll::GetLastError(), "Failed to write to register 16");
    EXPECT_EQ(QuorvelDll::GetNoOfCollectedPackets(), collected);
    EXPECT_TRUE(ToolbarTexts().empty());

    // The collect bit did not stay set: the next images have it clear.
    ASSERT_TRUE(QuorvelDll::Initialize()) << QuorvelDll::GetLastError();
    const int before = SyncedRequestCount();
    ASSERT_TRUE(QuorvelDll::StartSys());
    EXPECT_EQ(Requests(before + 1).mid(before), QList<QByteArray>({Bytes({0x90, 0x00, 0x01})}));
    EXPECT_EQ(QuorvelDll::GetNoOfCollectedPackets(), collected);
}

TEST_F(CollectionTest, QueriesCheckTheirArgumentsInOrder)
{
    int value = 77;
    EXPECT_FALSE(QuorvelDll::GetPacketData(1, PACKET_DATA_GM_ID, &value));
    EXPECT_EQ(QuorvelDll::GetLastError(), "No collected packets to query");
    EXPECT_FALSE(QuorvelDll::GetPhotonData(1, 1, PHOTON_DATA_PIXEL, nullptr));
    EXPECT_EQ(QuorvelDll::GetLastError(), "No collected packets to query");
    EXPECT_FALSE(QuorvelDll::GetPacketData(0, static_cast<PacketData>(0), nullptr));
    EXPECT_EQ(QuorvelDll::GetLastError(), "No collected packets to query");

    camsim::CameraConfig config;
    config.photonsPerPacket = 4;
    StartCamera(config);
    ASSERT_NO_FATAL_FAILURE(StartSystem());
    ASSERT_NO_FATAL_FAILURE(Collect(3));
    const int packets = QuorvelDll::GetNoOfCollectedPackets();
    ASSERT_GE(packets, 3);
    const std::string packetRange = "PacketNo out of range, valid range is 1 to " + std::to_string(packets);

    EXPECT_FALSE(QuorvelDll::GetPacketData(0, PACKET_DATA_GM_ID, &value));
    EXPECT_EQ(QuorvelDll::GetLastError(), packetRange);
    EXPECT_FALSE(QuorvelDll::GetPhotonData(packets + 1, 1, PHOTON_DATA_PIXEL, &value));
    EXPECT_EQ(QuorvelDll::GetLastError(), packetRange);
    EXPECT_FALSE(QuorvelDll::GetPhotonData(-1, 1, PHOTON_DATA_PIXEL, &value));
    EXPECT_EQ(QuorvelDll::GetLastError(), packetRange);
    EXPECT_FALSE(QuorvelDll::GetPacketData(packets + 1, static_cast<PacketData>(0), nullptr));
    EXPECT_EQ(QuorvelDll::GetLastError(), packetRange);
    EXPECT_FALSE(QuorvelDll::GetPacketData(1, static_cast<PacketData>(0), nullptr));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Null pointer passed to function");
    EXPECT_FALSE(QuorvelDll::GetPhotonData(1, 5, static_cast<PhotonData>(0), nullptr));
    EXPECT_EQ(QuorvelDll::GetLastError(), "PhotonNo out of range, valid range is 1 to 4");
    EXPECT_FALSE(QuorvelDll::GetPhotonData(1, 4, PHOTON_DATA_PIXEL, nullptr));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Null pointer passed to function");
    EXPECT_FALSE(QuorvelDll::GetPhotonData(1, 4, static_cast<PhotonData>(0), nullptr));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Null pointer passed to function");

    // Selectors outside the listed values fail and leave the variable alone.
    for (int type : {0, 5, 9, -1}) {
        EXPECT_FALSE(QuorvelDll::GetPacketData(1, static_cast<PacketData>(type), &value)) << type;
        EXPECT_EQ(QuorvelDll::GetLastError(), "Undefined packet data type detected");
    }
    for (int type : {0, 6, 9, -1}) {
        EXPECT_FALSE(QuorvelDll::GetPhotonData(1, 1, static_cast<PhotonData>(type), &value)) << type;
        EXPECT_EQ(QuorvelDll::GetLastError(), "Undefined packet data type detected");
    }
    EXPECT_EQ(value, 77);

    EXPECT_TRUE(QuorvelDll::GetPacketData(packets, PACKET_DATA_NO_OF_PHOTONS, &value));
    EXPECT_EQ(value, 4);
    EXPECT_TRUE(QuorvelDll::GetPhotonData(packets, 4, PHOTON_DATA_POSITIVE_ENERGY, &value));
    EXPECT_TRUE(value == 0 || value == 1);
}

TEST_F(CollectionTest, DecodingProgressReachesTheSysStatusCallback)
{
    StartCamera();
    ASSERT_NO_FATAL_FAILURE(StartSystem());
    SysTexts().clear();
    ASSERT_NO_FATAL_FAILURE(Collect(10));
    const int packets = QuorvelDll::GetNoOfCollectedPackets();
    const std::string total = "(Total: " + std::to_string(packets) + ")";
    const auto isFinalText = [&total](const std::string& a_Text) {
        return a_Text.size() > total.size() && a_Text.compare(a_Text.size() - total.size(), total.size(), total) == 0;
    };
    EXPECT_TRUE(testsupport::waitUntil([&] {
        return std::any_of(SysTexts().begin(), SysTexts().end(), isFinalText);
    }, waitMs));

    // One pair of texts per batch, and every packet counted in exactly one of them.
    const std::string decoded = "Packets decoded : ";
    int decoding = 0;
    int passes = 0;
    int sum = 0;
    for (const std::string& text : SysTexts()) {
        if (text == "Decoding packets ...")
            ++decoding;
        if (text.compare(0, decoded.size(), decoded) == 0) {
            ++passes;
            sum += std::stoi(text.substr(decoded.size()));
        }
    }
    EXPECT_GE(passes, 1);
    EXPECT_EQ(decoding, passes);
    EXPECT_EQ(sum, packets);
}

TEST_F(CollectionTest, PacketTransferRateSizesTheBuffersAndObeysTheUpdateMode)
{
    StartCamera();
    ASSERT_NO_FATAL_FAILURE(Initialize());
    EXPECT_EQ(Quorvel::GetInstance()->GetPacketBufferSize(), 1);

    // Deferred: the rate is stored and the buffers resized, nothing is sent.
    const int before = SyncedRequestCount();
    ASSERT_TRUE(QuorvelDll::SetPacketTransferRate(63000)) << QuorvelDll::GetLastError();
    EXPECT_EQ(QuorvelDll::GetPacketTransferRate(), 63000);
    EXPECT_EQ(Quorvel::GetInstance()->GetPacketBufferSize(), 40);

    EXPECT_FALSE(QuorvelDll::SetCameraUpdateMode(CAMERA_UPDATE_MODE_UNDEFINED));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Undefined camera update mode detected");
    EXPECT_EQ(QuorvelDll::GetCameraUpdateMode(), CAMERA_UPDATE_MODE_DEFERRED);
    ASSERT_TRUE(QuorvelDll::SetCameraUpdateMode(CAMERA_UPDATE_MODE_IMMEDIATE));
    EXPECT_EQ(QuorvelDll::GetCameraUpdateMode(), CAMERA_UPDATE_MODE_IMMEDIATE);

    // Immediate: the image with the new rate goes out at once.
    ASSERT_TRUE(QuorvelDll::SetPacketTransferRate(2000)) << QuorvelDll::GetLastError();
    EXPECT_EQ(Requests(before + 1).mid(before), QList<QByteArray>({Bytes({0x90, 0x04, 0x00})}));
    EXPECT_EQ(Quorvel::GetInstance()->GetPacketBufferSize(), 2);

    // A refused rate changes nothing.
    EXPECT_FALSE(QuorvelDll::SetPacketTransferRate(1500));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Packet Transfer value must be a multiple of 1000");
    EXPECT_EQ(QuorvelDll::GetPacketTransferRate(), 2000);
}

TEST_F(CollectionTest, WaitsForWorkersTimeOutBeforeInitialize)
{
    StartCamera();
    PrepareClient();
    Quorvel::GetInstance()->SetWaitTimeout(200);

    // No data worker answers yet: the rate stays stored all the same.
    EXPECT_FALSE(QuorvelDll::SetPacketTransferRate(2000));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Timed out when attempting to change buffer size, buffer size unchanged");
    EXPECT_EQ(QuorvelDll::GetPacketTransferRate(), 2000);

    // With the control connection but no workers, the stop is written and
    // its final batch never comes.
    ASSERT_TRUE(QuorvelTestAccess::ConnectTo(m_Address)) << QuorvelDll::GetLastError();
    EXPECT_FALSE(QuorvelDll::StopPhotonCollection());
    EXPECT_EQ(QuorvelDll::GetLastError(), "Timed out waiting for read buffer read");
    EXPECT_EQ(Requests(1), QList<QByteArray>({Bytes({0x90, 0x04, 0x00})}));
}

TEST_F(CollectionTest, CloseWhileCollectingStopsEveryThread)
{
    camsim::CameraConfig config;
    config.rateOverride = 20000;
    StartCamera(config);
    ASSERT_NO_FATAL_FAILURE(StartSystem());
    ASSERT_TRUE(QuorvelDll::StartPhotonCollection()) << QuorvelDll::GetLastError();
    ASSERT_TRUE(m_Camera->waitForPacketsSent(3000, 30000));
    QuorvelDll::Close();

    // A fresh controller starts from scratch against the same camera.
    m_Camera->setSystemRegister(16, 0);
    ASSERT_TRUE(m_Camera->waitForStreamStopped(waitMs));
    ASSERT_NO_FATAL_FAILURE(Initialize());
    EXPECT_EQ(QuorvelDll::GetNoOfCollectedPackets(), 0);
}

TEST_F(CollectionTest, StartWaitsForARunningCsvSaveBeforeTheCameraCollects)
{
    StartCamera();
    // Watches wired before the save's thread starts. On that thread, at 1 % the
    // save pauses until the camera collects (at most half a second), so a start
    // that does not wait for it is caught however fast the save would be.
    PacketOperations& operations = QuorvelTestAccess::Operations();
    std::atomic<bool> saveRunning {false};
    std::atomic<bool> saveFinished {false};
    const QMetaObject::Connection progress = QObject::connect(
        &operations, &PacketOperations::progressUpdate, [this, &saveRunning](int a_Progress) {
            saveRunning = true;
            if (a_Progress == 1)
                testsupport::waitWithoutEvents([this] { return m_Camera->isCollecting(); }, 500);
        });
    const QMetaObject::Connection complete = QObject::connect(
        &operations, &PacketOperations::savePacketsComplete, [&saveFinished] { saveFinished = true; });
    ASSERT_NO_FATAL_FAILURE(StartSystem());
    {
        // Enough photons that the CSV save runs for a good while.
        CollectedPackets* store = CollectedPackets::GetInstance();
        const auto lock = store->AccessLock();
        std::vector<Photon> photons(100);
        for (int index = 0; index < 20000; ++index)
            ASSERT_TRUE(store->AddPacket(1, static_cast<quint16>(index), 0, photons.data(), 100));
    }
    QTemporaryDir dir;
    ASSERT_TRUE(QuorvelDll::SaveCollection(dir.filePath(QStringLiteral("big.csv")).toUtf8().constData()));
    ASSERT_TRUE(testsupport::waitWithoutEvents([&saveRunning] { return saveRunning.load(); }, waitMs));

    // Watches the camera from another thread: the collect bit may reach it
    // only once the save has let go of the store.
    std::atomic<int> savedWhenCollecting {-1};
    std::thread watcher([&] {
        if (testsupport::waitWithoutEvents([this] { return m_Camera->isCollecting(); }, 60000))
            savedWhenCollecting = saveFinished ? 1 : 0;
    });
    const bool started = QuorvelDll::StartPhotonCollection();
    watcher.join();
    QObject::disconnect(progress);
    QObject::disconnect(complete);
    ASSERT_TRUE(started) << QuorvelDll::GetLastError();
    EXPECT_EQ(savedWhenCollecting, 1);
    EXPECT_EQ(QuorvelDll::GetNoOfCollectedPackets(), 0);
}

TEST_F(CollectionTest, DecodingTextsDoNotPileUpWhileTheClientRunsNoEvents)
{
    StartCamera();
    // Wired before the decoder's thread starts.
    QuorvelPacketDecoder& decoder = QuorvelTestAccess::Decoder();
    std::atomic<int> passes {0};
    const QMetaObject::Connection counter =
        QObject::connect(&decoder, &QuorvelPacketDecoder::packetsDecoded, [&passes] { ++passes; });
    ASSERT_NO_FATAL_FAILURE(StartSystem());
    QByteArray batch;
    for (int index = 0; index < 10; ++index)
        batch += camsim::buildPacket(1 + index % 4, static_cast<quint16>(index), 0, {{5, 100, 0}}, false, false);
    // The stop of the start-up hands over an empty batch: its pass comes first.
    ASSERT_TRUE(testsupport::waitUntil([] { return HasText(SysTexts(), "Packets decoded : 0 (Total: 0)"); }, waitMs));
    ASSERT_TRUE(testsupport::waitWithoutEvents([&passes] { return passes > 0; }, waitMs));
    ReadBuffer* buffer = ReadBuffer::GetInstance();
    SysTexts().clear();
    // Thirty decoding passes while this thread runs no events.
    const int before = passes;
    for (int round = 1; round <= 30; ++round) {
        ASSERT_EQ(buffer->StoreBatch(batch.constData(), batch.size()), ReadBuffer::StoreResult::Stored);
        QMetaObject::invokeMethod(&decoder, "DecodeReadBuffer", Qt::QueuedConnection, Q_ARG(qint64, batch.size()));
        ASSERT_TRUE(testsupport::waitWithoutEvents([&passes, before, round] { return passes == before + round; }, waitMs));
    }
    QObject::disconnect(counter);

    // One text of each kind was waiting, the count being every packet since.
    ASSERT_TRUE(testsupport::waitUntil([] { return HasText(SysTexts(), "Packets decoded : 300 (Total: 300)"); }, waitMs));
    const auto count = [](const std::string& a_Prefix) {
        return std::count_if(SysTexts().begin(), SysTexts().end(),
                             [&a_Prefix](const std::string& a_Text) { return a_Text.rfind(a_Prefix, 0) == 0; });
    };
    EXPECT_EQ(count("Decoding packets"), 1);
    EXPECT_EQ(count("Packets decoded"), 1);

    // A later pass is reported again.
    ASSERT_EQ(buffer->StoreBatch(batch.constData(), batch.size()), ReadBuffer::StoreResult::Stored);
    QMetaObject::invokeMethod(&decoder, "DecodeReadBuffer", Qt::QueuedConnection, Q_ARG(qint64, batch.size()));
    EXPECT_TRUE(testsupport::waitUntil([] { return HasText(SysTexts(), "Packets decoded : 10 (Total: 310)"); }, waitMs));
}

// The outcome of CSV saves as the client's callbacks saw it.
std::atomic<int> g_SaveCompletions {0};
std::atomic<int> g_SaveHundreds {0};

void FillStoreForSaving(int a_Packets, int a_Photons)
{
    CollectedPackets* store = CollectedPackets::GetInstance();
    const auto lock = store->AccessLock();
    std::vector<Photon> photons(static_cast<size_t>(a_Photons));
    for (int index = 0; index < a_Packets; ++index)
        store->AddPacket(1, static_cast<quint16>(index), 0, photons.data(), a_Photons);
}

void WatchSaves()
{
    g_SaveCompletions = 0;
    g_SaveHundreds = 0;
    QuorvelDll::SetOperationCompleteFunction([] { ++g_SaveCompletions; });
    QuorvelDll::SetOperationProgressFunction([](int a_Progress) {
        if (a_Progress == 100)
            ++g_SaveHundreds;
    });
}

TEST_F(CollectionTest, CancelRightAfterSaveCollectionCancelsThatSaveEveryTime)
{
    StartCamera();
    ASSERT_NO_FATAL_FAILURE(Initialize());
    FillStoreForSaving(20000, 10);
    WatchSaves();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cancelled.csv"));
    // The cancel is issued before the save's thread has taken the request.
    for (int round = 1; round <= 10; ++round) {
        ASSERT_TRUE(QuorvelDll::SaveCollection(path.toUtf8().constData())) << QuorvelDll::GetLastError();
        QuorvelDll::CancelPacketSave();
        ASSERT_TRUE(testsupport::waitUntil([round] { return g_SaveCompletions == round; }, 30000));
        EXPECT_EQ(g_SaveHundreds, 0) << "round " << round;
        EXPECT_FALSE(QFile::exists(path)) << "round " << round;
    }

    // The next save starts uncancelled and writes the whole file.
    ASSERT_TRUE(QuorvelDll::SaveCollection(path.toUtf8().constData()));
    ASSERT_TRUE(testsupport::waitUntil([] { return g_SaveCompletions == 11; }, 30000));
    EXPECT_EQ(g_SaveHundreds, 1);
    EXPECT_TRUE(QFile::exists(path));
}

TEST_F(CollectionTest, CloseCancelsTheRunningAndTheQueuedSaves)
{
    StartCamera();
    // Wired before the save's thread starts. On that thread, at 1 % the save
    // pauses until the client closes, so most of it is still to come when the
    // close begins; and the gate holds the thread up while both requests are
    // queued (a request made while a save runs would wait for the store).
    std::atomic<bool> saveRunning {false};
    std::atomic<bool> closing {false};
    std::atomic<bool> requested {false};
    PacketOperations& operations = QuorvelTestAccess::Operations();
    QObject::connect(&operations, &PacketOperations::progressUpdate, [&saveRunning, &closing](int a_Progress) {
        saveRunning = true;
        if (a_Progress == 1)
            testsupport::waitWithoutEvents([&closing] { return closing.load(); }, 10000);
    });
    QObject gate;
    QObject::connect(&gate, &QObject::objectNameChanged, &operations, [&requested] {
        testsupport::waitWithoutEvents([&requested] { return requested.load(); }, 10000);
    });
    ASSERT_NO_FATAL_FAILURE(Initialize());
    FillStoreForSaving(20000, 100);
    WatchSaves();
    gate.setObjectName(QStringLiteral("hold"));
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("first.csv"));
    const QString second = dir.filePath(QStringLiteral("second.csv"));
    QFile earlier(second);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("an earlier file\n");
    earlier.close();
    ASSERT_TRUE(QuorvelDll::SaveCollection(first.toUtf8().constData()));
    ASSERT_TRUE(QuorvelDll::SaveCollection(second.toUtf8().constData()));
    requested = true;
    ASSERT_TRUE(testsupport::waitWithoutEvents([&saveRunning] { return saveRunning.load(); }, waitMs));

    closing = true;
    QuorvelDll::Close();
    // The running save removed its file; the queued one never began and left
    // the file of its name alone.
    EXPECT_FALSE(QFile::exists(first));
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), QByteArray("an earlier file\n"));
}

} // namespace
