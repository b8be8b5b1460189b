// The CSV and binary exports of collected photons: exact lines and bytes,
// progress, cancellation, write errors, and a second save requested while one
// runs on the packet operations thread.
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "acquisition/collectedpackets.h"
#include "files/packetoperations.h"
#include "quorveldll.h"
#include "support/testsupport.h"
#include "tests/files/filetestsupport.h"

using namespace filetest;

namespace {

// What the client's callbacks received, in order: "progress N", "error TEXT", "complete".
std::vector<std::string> events;

void onProgress(int a_Progress)
{
    events.push_back("progress " + std::to_string(a_Progress));
}

void onError(const char* a_Text)
{
    events.push_back(std::string("error ") + a_Text);
}

void onComplete()
{
    events.emplace_back("complete");
}

std::vector<std::string> progressEvents(int a_From, int a_To)
{
    std::vector<std::string> result;
    for (int value = a_From; value <= a_To; ++value)
        result.push_back("progress " + std::to_string(value));
    return result;
}

using testsupport::bytes;

void storeWorkedExample()
{
    CollectedPackets* store = CollectedPackets::GetInstance();
    const auto lock = store->AccessLock();
    store->Clear();
    const Photon photons[] = {photon(17, 300, true, 0, false), photon(18, 40, false, 0, false)};
    store->AddPacket(2, 513, 0, photons, 2);
}

// A PacketOperations on a thread of its own, as after initialisation, whose
// signals are recorded on the test's thread.
class ThreadedOperations
{
public:
    ThreadedOperations()
    {
        m_Operations.moveToThread(&m_Thread);
        QObject::connect(&m_Operations, &PacketOperations::progressUpdate, &m_Receiver,
                         [](int a_Progress) { onProgress(a_Progress); });
        QObject::connect(&m_Operations, &PacketOperations::errorDuringOperation, &m_Receiver,
                         [](const QString& a_Err) { onError(a_Err.toUtf8().constData()); });
        QObject::connect(&m_Operations, &PacketOperations::savePacketsComplete, &m_Receiver, [] { onComplete(); });
    }
    ~ThreadedOperations()
    {
        m_Thread.quit();
        m_Thread.wait();
    }
    PacketOperations& Operations() { return m_Operations; }
    void Request(const QString& a_FileName)
    {
        QMetaObject::invokeMethod(&m_Operations, "SaveFile", Qt::QueuedConnection, Q_ARG(QString, a_FileName));
    }
    void Start() { m_Thread.start(); }

private:
    QObject m_Receiver;
    PacketOperations m_Operations;
    QThread m_Thread;
};

int completions()
{
    int count = 0;
    for (const std::string& event : events)
        count += event == "complete";
    return count;
}

class CollectionExportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QuorvelDll::Close();
        events.clear();
        clearStore();
        QuorvelDll::SetOperationProgressFunction(onProgress);
        QuorvelDll::SetOperationErrorFunction(onError);
        QuorvelDll::SetOperationCompleteFunction(onComplete);
    }
    void TearDown() override
    {
        QuorvelDll::Close();
        clearStore();
    }
};

} // namespace

TEST_F(CollectionExportTest, WorkedExampleGivesItsLinesAndBytes)
{
    storeWorkedExample();
    const QString csv = tempPath("example.csv");
    // Before Initialize the save runs at once, inside the call.
    ASSERT_TRUE(QuorvelDll::SaveCollection(csv.toUtf8().constData())) << QuorvelDll::GetLastError();
    EXPECT_EQ(events, (std::vector<std::string>{"progress 100", "complete"}));
    EXPECT_EQ(readFile(csv), QByteArray("2,513,0,17,300,1,0,0\n2,513,1,18,40,0,0,0\n"));

    const QString binary = tempPath("example.dat");
    ASSERT_TRUE(QuorvelDll::SaveBinaryCollection(binary.toUtf8().constData())) << QuorvelDll::GetLastError();
    EXPECT_EQ(readFile(binary), bytes({0x02, 0x02, 0x01, 0x00, 0x11, 0x01, 0x2C, 0x01, 0x00, 0x00, 0x00,
                                       0x02, 0x02, 0x01, 0x00, 0x12, 0x00, 0x28, 0x00, 0x00, 0x00, 0x00}));
}

TEST_F(CollectionExportTest, TwoHundredPacketsReportEachPercentOnceThenHundred)
{
    fillStore(200, 3);
    {
        // An empty packet gives no line but counts for the progress.
        CollectedPackets* store = CollectedPackets::GetInstance();
        const auto lock = store->AccessLock();
        store->AddPacket(7, 7, 7, nullptr, 0);
        ASSERT_EQ(store->GetSize(), 201);
    }
    const QString csv = tempPath("twohundred.csv");
    ASSERT_TRUE(QuorvelDll::SaveCollection(csv.toUtf8().constData()));
    std::vector<std::string> expected = progressEvents(1, 99);
    expected.push_back("progress 100");
    expected.push_back("complete");
    EXPECT_EQ(events, expected);
    const QByteArray file = readFile(csv);
    EXPECT_EQ(file.count('\n'), 600);
    EXPECT_TRUE(file.startsWith("1,0,0,0,0,1,0,1\n1,0,1,1,3,0,1,0\n1,0,2,2,6,1,2,0\n2,1,0,7,1,1,0,1\n"));
    EXPECT_TRUE(file.endsWith("4,199,2,1395,205,1,2,0\n"));
}

TEST_F(CollectionExportTest, ControllerChecksComeBeforeAnyFile)
{
    EXPECT_FALSE(QuorvelDll::SaveCollection(tempPath("nothing.csv").toUtf8().constData()));
    EXPECT_EQ(QuorvelDll::GetLastError(), "No collected data to save to file");
    EXPECT_FALSE(QuorvelDll::SaveBinaryCollection(tempPath("nothing.dat").toUtf8().constData()));
    EXPECT_EQ(QuorvelDll::GetLastError(), "No collected data to save to file");
    EXPECT_FALSE(QFile::exists(tempPath("nothing.csv")));
    EXPECT_FALSE(QFile::exists(tempPath("nothing.dat")));

    storeWorkedExample();
    EXPECT_FALSE(QuorvelDll::SaveCollection(tempPath("upper.CSV").toUtf8().constData()));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Function requires a filename with .csv suffix");
    EXPECT_FALSE(QuorvelDll::SaveBinaryCollection(tempPath("upper.DAT").toUtf8().constData()));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Function requires a filename with .dat suffix");
    EXPECT_FALSE(QuorvelDll::SaveBinaryCollection("/nonexistent-directory/x.dat"));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Failed to open .dat file for writing");
    EXPECT_TRUE(events.empty());
    // No save is running: a cancel changes nothing.
    QuorvelDll::CancelPacketSave();
    EXPECT_TRUE(events.empty());
}

TEST_F(CollectionExportTest, FailuresOfTheCsvSaveAreReportedBeforeItsCompletion)
{
    storeWorkedExample();
    ASSERT_TRUE(QuorvelDll::SaveCollection("/nonexistent-directory/x.csv"));
    EXPECT_EQ(events, (std::vector<std::string>{"error Failed to open file to save packets to", "complete"}));

    // Every write to /dev/full fails with "no space left".
    events.clear();
    fillStore(50, 200);
    const QString full = tempPath("full.csv");
    QFile::remove(full);
    ASSERT_TRUE(QFile::link("/dev/full", full));
    ASSERT_TRUE(QuorvelDll::SaveCollection(full.toUtf8().constData()));
    const auto error = std::find(events.begin(), events.end(), "error An error occurred when writing to the file");
    EXPECT_NE(error, events.end());
    EXPECT_NE(std::find(events.begin(), events.end(), "progress 100"), events.end());
    EXPECT_EQ(events.back(), "complete");
    EXPECT_EQ(completions(), 1);
}

TEST_F(CollectionExportTest, FailedBinaryWriteIsReportedAndTheFileRemoved)
{
    fillStore(20, 10);
    const QString full = tempPath("full.dat");
    QFile::remove(full);
    ASSERT_TRUE(QFile::link("/dev/full", full));
    EXPECT_FALSE(QuorvelDll::SaveBinaryCollection(full.toUtf8().constData()));
    EXPECT_EQ(QuorvelDll::GetLastError().rfind("Failed to write " + full.toStdString() + ": ", 0), 0u)
        << QuorvelDll::GetLastError();
    EXPECT_FALSE(QFile::exists(full));
}

TEST_F(CollectionExportTest, CancellingDeletesTheFileAndStillCompletes)
{
    fillStore(200, 3);
    const QString csv = tempPath("cancelled.csv");
    ThreadedOperations threaded;
    // The cancel is queued to the save's own thread when 50 % is reported and
    // reaches the save at its next event processing.
    const QMetaObject::Connection cancelAtHalf = QObject::connect(
        &threaded.Operations(), &PacketOperations::progressUpdate, &threaded.Operations(),
                     [&threaded](int a_Progress) {
                         if (a_Progress == 50)
                             QMetaObject::invokeMethod(&threaded.Operations(), "OnOperationCancelled",
                                                       Qt::QueuedConnection);
                     },
                     Qt::DirectConnection);
    threaded.Request(csv);
    threaded.Start();
    ASSERT_TRUE(testsupport::waitUntil([] { return completions() == 1; }));
    std::vector<std::string> expected = progressEvents(1, 50);
    expected.push_back("complete");
    EXPECT_EQ(events, expected);
    EXPECT_FALSE(QFile::exists(csv));

    // The next save starts uncancelled.
    ASSERT_TRUE(QObject::disconnect(cancelAtHalf));
    events.clear();
    threaded.Request(csv);
    ASSERT_TRUE(testsupport::waitUntil([] { return completions() == 1; }));
    EXPECT_EQ(events.size(), 101u);
    EXPECT_EQ(readFile(csv).count('\n'), 600);
}

TEST_F(CollectionExportTest, SecondSaveRequestedDuringASaveRunsAfterIt)
{
    fillStore(300, 4);
    ThreadedOperations threaded;
    // Both requests are queued before the thread runs, so the second arrives
    // inside the first save's event processing.
    threaded.Request(tempPath("first.csv"));
    threaded.Request(tempPath("second.csv"));
    threaded.Start();
    ASSERT_TRUE(testsupport::waitUntil([] { return completions() == 2; }));
    std::vector<std::string> oneSave = progressEvents(1, 99);
    oneSave.push_back("progress 100");
    oneSave.push_back("complete");
    std::vector<std::string> expected = oneSave;
    expected.insert(expected.end(), oneSave.begin(), oneSave.end());
    EXPECT_EQ(events, expected);
    const QByteArray first = readFile(tempPath("first.csv"));
    EXPECT_EQ(first.count('\n'), 1200);
    EXPECT_TRUE(first == readFile(tempPath("second.csv")));
}
