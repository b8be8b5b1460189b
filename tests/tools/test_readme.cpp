// The README's client program is the one built here, and it works as written
// against a camera.
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

TEST(Readme, ShowsTheClientProgramTheTestsBuild)
{
    const QString readme = readText(QStringLiteral(QUORVEL_SOURCE_DIR "/README.md"));
    const QString client = readText(QStringLiteral(QUORVEL_SOURCE_DIR "/tests/tools/readme_client.cpp"));
    ASSERT_FALSE(client.isEmpty());
    const QRegularExpression block(QStringLiteral("```cpp\\n(.*?)```"), QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = block.match(readme);
    ASSERT_TRUE(match.hasMatch()) << "README.md has no cpp block";
    EXPECT_EQ(match.captured(1).toStdString(), client.toStdString())
        << "the client program in README.md and tests/tools/readme_client.cpp differ";
}

TEST(Readme, ClientProgramCollectsPhotonsFromACamera)
{
    camsim::CameraConfig config;
    config.address = testsupport::testLoopbackAddress();
    camsim::VirtualCamera camera(config);
    ASSERT_TRUE(camera.start());

    const ToolRun run = tooltest::run(QStringLiteral(QUORVEL_README_CLIENT), {config.address, config.address});
    ASSERT_EQ(run.exitCode, 0) << run.describe().toStdString();
    const QRegularExpressionMatch result =
        QRegularExpression(QStringLiteral("^(\\d+) packets, (\\d+) photons from 4 GMs$"), QRegularExpression::MultilineOption)
            .match(run.out);
    ASSERT_TRUE(result.hasMatch()) << run.describe().toStdString();
    EXPECT_GT(result.captured(1).toInt(), 0);
    EXPECT_GT(result.captured(2).toLongLong(), result.captured(1).toLongLong());
    EXPECT_TRUE(run.out.contains(QLatin1String("status: Packets decoded"))) << run.describe().toStdString();
}

} // namespace
