// The guide's examples are the programs built here, and each works as written
// against the virtual camera; the files one also feeds the check of the
// photons.dat layout in docs/formats.md.
#include "camsim/virtualcamera.h"
#include "support/testsupport.h"
#include "tests/tools/toolrun.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace tooltest;

namespace {

QString readText(const QString& a_Path)
{
    QFile file(a_Path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Runs one example against a virtual camera on this test's own address.
ToolRun runExample(const char* a_Name, QStringList a_Extra = {})
{
    camsim::CameraConfig config;
    config.address = testsupport::testLoopbackAddress();
    camsim::VirtualCamera camera(config);
    QString error;
    if (!camera.start(&error)) {
        ADD_FAILURE() << error.toStdString();
        return {};
    }
    const QString program = QStringLiteral(QUORVEL_EXAMPLES_DIR "/example_") + QLatin1String(a_Name);
    return run(program, QStringList {config.address, config.address} + a_Extra);
}

TEST(GuideExamples, GuideIncludesEveryExampleFile)
{
    const QString guide = readText(QStringLiteral(QUORVEL_SOURCE_DIR "/docs/guide.md"));
    for (const char* name : {"connect", "threading", "updates", "collect", "stream", "files", "errors"}) {
        EXPECT_TRUE(guide.contains(QStringLiteral("\\include %1.cpp").arg(QLatin1String(name)))) << name;
        EXPECT_FALSE(readText(QStringLiteral(QUORVEL_SOURCE_DIR "/docs/examples/%1.cpp").arg(QLatin1String(name))).isEmpty())
            << name;
    }
}

TEST(GuideExamples, ConnectFindsTheFourGMs)
{
    const ToolRun r = runExample("connect");
    ASSERT_EQ(r.exitCode, 0) << r.describe().toStdString();
    EXPECT_TRUE(r.out.contains(QLatin1String(", 4 GMs"))) << r.describe().toStdString();
    EXPECT_EQ(r.out.count(QRegularExpression(QStringLiteral("^GM \\d status"), QRegularExpression::MultilineOption)), 4)
        << r.describe().toStdString();
}

TEST(GuideExamples, ThreadingAsksTheApplicationThread)
{
    const ToolRun r = runExample("threading");
    ASSERT_EQ(r.exitCode, 0) << r.describe().toStdString();
    EXPECT_TRUE(r.out.contains(QLatin1String("worker thread learnt of 4 GMs"))) << r.describe().toStdString();
}

TEST(GuideExamples, UpdatesWriteWhenSentOrAtOnce)
{
    const ToolRun r = runExample("updates");
    ASSERT_EQ(r.exitCode, 0) << r.describe().toStdString();
    EXPECT_TRUE(r.out.contains(QLatin1String("5 after; immediate: 10"))) << r.describe().toStdString();
}

TEST(GuideExamples, CollectReadsTheStoreBothWays)
{
    const ToolRun r = runExample("collect");
    ASSERT_EQ(r.exitCode, 0) << r.describe().toStdString();
    EXPECT_TRUE(r.out.contains(QLatin1String(" photons; first from GM "))) << r.describe().toStdString();
}

TEST(GuideExamples, StreamReadsEveryPhotonWithoutTheStore)
{
    const ToolRun r = runExample("stream");
    ASSERT_EQ(r.exitCode, 0) << r.describe().toStdString();
    EXPECT_TRUE(r.out.contains(QLatin1String(", 0 dropped, 0 packets stored"))) << r.describe().toStdString();
}

TEST(GuideExamples, ErrorsReportTheirReasons)
{
    const ToolRun r = runExample("errors");
    ASSERT_EQ(r.exitCode, 0) << r.describe().toStdString();
    EXPECT_TRUE(r.out.contains(QLatin1String("rate 1500: Packet Transfer value must be a multiple of 1000")))
        << r.describe().toStdString();
    EXPECT_TRUE(r.out.contains(QLatin1String("second Initialize: System is already connected")))
        << r.describe().toStdString();
}

// The files example saves and loads; its photons.dat is then read by the
// numpy dtype shown in docs/formats.md and compared with its CSV twin.
TEST(GuideExamples, FilesSaveAndLoadAndTheDocumentedDtypeReadsPhotonsDat)
{
    ScratchFolder folder;
    const ToolRun r = runExample("files", {folder.path()});
    ASSERT_EQ(r.exitCode, 0) << r.describe().toStdString();
    EXPECT_TRUE(r.out.contains(QLatin1String(" loaded back, pixel mapping global"))) << r.describe().toStdString();

    const ToolRun check = run(QStringLiteral("/usr/bin/python3"),
                              {QStringLiteral(QUORVEL_SOURCE_DIR "/tests/docs/check_photons_dat.py"),
                               QStringLiteral(QUORVEL_SOURCE_DIR "/docs/formats.md"), folder.file(QStringLiteral("photons.dat")),
                               folder.file(QStringLiteral("photons.csv"))});
    ASSERT_EQ(check.exitCode, 0) << check.describe().toStdString();
    EXPECT_TRUE(check.out.contains(QLatin1String("photons agree"))) << check.describe().toStdString();
}

} // namespace
