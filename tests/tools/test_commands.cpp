// The tool's commands as a user meets them: help for each, one clear line and a
// non-zero status on every failure, and the camera commands against a camera
// reached by address.
#include "camsim/virtualcamera.h"
#include "support/testsupport.h"
#include "tests/tools/toolrun.h"

#include <QFile>
#include <gtest/gtest.h>
#include <utility>

using namespace tooltest;

namespace {

// stderr holds exactly one line, starting with a_Start.
void expectOneErrorLine(const ToolRun& a_Run, int a_ExitCode, const QString& a_Start)
{
    EXPECT_EQ(a_Run.exitCode, a_ExitCode) << a_Run.describe().toStdString();
    EXPECT_EQ(a_Run.err.count(QLatin1Char('\n')), 1) << a_Run.describe().toStdString();
    EXPECT_TRUE(a_Run.err.startsWith(a_Start)) << a_Run.describe().toStdString();
}

TEST(QuorvelCommands, EveryCommandHasHelp)
{
    for (const char* command : {"acquire", "show", "convert", "status", "reg", "config", "camsim"}) {
        const ToolRun run = runTool({QString::fromLatin1(command), QStringLiteral("--help")});
        EXPECT_EQ(run.exitCode, 0) << command;
        EXPECT_TRUE(run.out.startsWith(QStringLiteral("Usage: quorvel %1 ").arg(QLatin1String(command)))) << run.describe().toStdString();
    }
    const ToolRun overview = runTool({QStringLiteral("--help")});
    EXPECT_EQ(overview.exitCode, 0);
    for (const char* command : {"acquire", "show", "status", "reg", "config", "camsim"})
        EXPECT_TRUE(overview.out.contains(QStringLiteral("  %1 ").arg(QLatin1String(command)))) << command;
}

TEST(QuorvelCommands, FailuresEndWithOneLineAndANonZeroStatus)
{
    ScratchFolder folder;
    // Nothing listens on this test's own address: the library's error is passed on.
    const QString nobody = testsupport::testLoopbackAddress();
    const QStringList at = {QStringLiteral("--camera"), nobody, QStringLiteral("--host"), nobody};
    expectOneErrorLine(runTool(words("acquire --out") + QStringList {folder.path()} + at), 1,
                       QStringLiteral("quorvel acquire: cannot connect to camera %1: Failed to connect").arg(nobody));
    expectOneErrorLine(runTool(words("acquire --source bars") + at), 2,
                       QStringLiteral("quorvel acquire: --source applies to the virtual camera only"));
    expectOneErrorLine(runTool(words("acquire --camera") + QStringList {nobody}), 2,
                       QStringLiteral("quorvel acquire: --camera needs --host"));
    for (const auto& c : {std::make_pair("acquire --seconds 0", "quorvel acquire: --seconds"),
                          {"acquire --point 30,1", "quorvel acquire: bad --point 30,1"},
                          {"acquire --nonsense", "quorvel acquire: Unknown option 'nonsense'"},
                          {"frobnicate", "quorvel: unknown command frobnicate"},
                          {"reg read 300", "quorvel reg: bad register 300"}})
        expectOneErrorLine(runTool(words(c.first)), 2, QLatin1String(c.second));

    // A file that is not a whole number of photon records is refused, not half drawn.
    QFile odd(folder.file(QStringLiteral("odd.dat")));
    ASSERT_TRUE(odd.open(QIODevice::WriteOnly));
    odd.write(QByteArray(12, '\0'));
    odd.close();
    expectOneErrorLine(runTool({QStringLiteral("show"), odd.fileName()}), 1,
                       QStringLiteral("quorvel show: %1 is not a photon collection").arg(odd.fileName()));
    expectOneErrorLine(runTool({QStringLiteral("config"), QStringLiteral("load"), odd.fileName()}), 1,
                       QStringLiteral("quorvel config: %1 is not a configuration file").arg(odd.fileName()));
}

TEST(QuorvelCommands, StatusAndRegistersReachACameraByAddress)
{
    camsim::CameraConfig config;
    config.address = testsupport::testLoopbackAddress();
    // GM IDs that are not 1..n: the tool names GMs by ID, never by position.
    config.gmIds = {2, 4};
    camsim::VirtualCamera camera(config);
    ASSERT_TRUE(camera.start());
    camera.setAdcReading(4, 1, 2048);
    const QStringList at = {QStringLiteral("--camera"), config.address, QStringLiteral("--host"), config.address};

    const ToolRun status = runTool(words("status") + at);
    ASSERT_EQ(status.exitCode, 0) << status.describe().toStdString();
    EXPECT_EQ(status.value(QStringLiteral("GBE firmware")), QStringLiteral("0x0015 (21)"));
    EXPECT_EQ(status.value(QStringLiteral("GMs")), QStringLiteral("2 (IDs 2, 4)"));
    EXPECT_TRUE(status.value(QStringLiteral("GM 4")).contains(QLatin1String("ADC 1 2048 (1.000 V)")))
        << status.describe().toStdString();

    const ToolRun write = runTool(words("reg write 23 0x2A --gm 4") + at);
    ASSERT_EQ(write.exitCode, 0) << write.describe().toStdString();
    EXPECT_EQ(camera.gmRegister(4, 23), 0x2A);
    expectOneErrorLine(runTool(words("reg read 23 --gm 1") + at), 1, QStringLiteral("quorvel reg: the camera has no GM with ID 1 (its GMs: 2, 4)"));
    const ToolRun read = runTool(words("reg read 127") + at);
    ASSERT_EQ(read.exitCode, 0) << read.describe().toStdString();
    EXPECT_EQ(read.out.trimmed(), QStringLiteral("register 127 = 0x0015 (21)"));
}

} // namespace
