// The tool's commands as a user meets them: help for each, one clear line and a
// non-zero status on every failure, and the camera commands against a camera
// reached by address.
#include "camsim/virtualcamera.h"
#include "support/testsupport.h"
#include "tests/tools/toolrun.h"

#include <QFile>
#include <QFileInfo>
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
        // Initialising the camera stops another program's collection: the help says so.
        const bool initialises = QLatin1String(command) == QLatin1String("status") || QLatin1String(command) == QLatin1String("reg");
        EXPECT_EQ(run.out.simplified().contains(QLatin1String("which stops a collection another program is running")), initialises)
            << command;
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
    // A camera that cannot be reached leaves no output folder behind.
    const QString unused = folder.file(QStringLiteral("never/made"));
    expectOneErrorLine(runTool(words("acquire --out") + QStringList {unused} + at), 1,
                       QStringLiteral("quorvel acquire: cannot connect to camera %1: Failed to connect").arg(nobody));
    EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("never"))));
    expectOneErrorLine(runTool(words("acquire --source bars") + at), 2,
                       QStringLiteral("quorvel acquire: --source applies to the virtual camera only"));
    expectOneErrorLine(runTool(words("acquire --camera") + QStringList {nobody}), 2,
                       QStringLiteral("quorvel acquire: --camera needs --host"));
    for (const auto& c : {std::make_pair("acquire --seconds 0", "quorvel acquire: --seconds"),
                          {"acquire --point 30,1", "quorvel acquire: bad --point 30,1"},
                          {"acquire --nonsense", "quorvel acquire: Unknown option 'nonsense'"},
                          {"frobnicate", "quorvel: unknown command frobnicate"},
                          {"acquire --packet-rate 1500", "quorvel acquire: bad --packet-rate 1500"},
                          {"acquire --silence -1", "quorvel acquire: --silence"},
                          {"config save x.txt", "quorvel config: x.txt: a configuration file needs a .dat name"},
                          {"reg read 300", "quorvel reg: bad register 300"}})
        expectOneErrorLine(runTool(words(c.first)), 2, QLatin1String(c.second));

    // A file that is not photon records is refused, not half drawn.
    QFile odd(folder.file(QStringLiteral("odd.dat")));
    ASSERT_TRUE(odd.open(QIODevice::WriteOnly));
    odd.write(QByteArray(11, '\0'));
    odd.close();
    expectOneErrorLine(runTool({QStringLiteral("config"), QStringLiteral("load"), odd.fileName()}), 1,
                       QStringLiteral("quorvel config: %1 is not a configuration file").arg(odd.fileName()));
}

// show and convert check every record: a damaged or foreign file is refused
// with the first bad record's offset, and no picture or HDF5 file is made of it.
TEST(QuorvelCommands, ShowAndConvertCheckEveryRecord)
{
    ScratchFolder folder;
    // GM 1, header word 1, pixel 100, energy 2000 (positive), no time detect.
    const QByteArray good = testsupport::bytes({1, 0, 1, 0, 100, 0x07, 0xD0, 1, 0, 0, 0});
    const auto with = [&](int a_Record, int a_Byte, int a_Value) {
        QByteArray records = good + good + good;
        records[a_Record * 11 + a_Byte] = char(a_Value);
        return records;
    };
    const struct {
        QByteArray bytes;
        const char* fault; // empty: read
    } cases[] = {
        {with(2, 0, 5), "is not a photon collection: the record at byte 22 has GM ID 5"},
        {with(1, 3, 2), "is not a photon collection: the record at byte 11 has pixel 612"},
        {with(0, 7, 2), "is not a photon collection: the record at byte 0 has energy sign byte 2"},
        {with(0, 10, 9), "is not a photon collection: the record at byte 0 has time detect sign byte 9"},
        {QByteArray(), "holds no photons"},
        {QByteArray(7, '\1'), "holds no photons"},
        {good + good + good + QByteArray(4, '\0'), ""},
    };
    int index = 0;
    for (const auto& c : cases) {
        const QString dat = folder.file(QStringLiteral("case%1.dat").arg(index));
        const QString h5 = folder.file(QStringLiteral("case%1.h5").arg(index++));
        QFile file(dat);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.bytes);
        file.close();
        const ToolRun show = runTool({QStringLiteral("show"), dat, QStringLiteral("--out"), folder.file(QStringLiteral("pictures"))});
        const ToolRun convert = runTool({QStringLiteral("convert"), dat, h5});
        const QString fault = QLatin1String(c.fault);
        if (fault.isEmpty()) {
            // A cut record at the end is left out with a warning.
            EXPECT_EQ(show.exitCode, 0) << show.describe().toStdString();
            EXPECT_EQ(show.number(QStringLiteral("Photons")), 3);
            EXPECT_EQ(convert.exitCode, 0) << convert.describe().toStdString();
            EXPECT_EQ(convert.number(QStringLiteral("Events")), 3);
            for (const ToolRun& run : {show, convert})
                EXPECT_TRUE(run.err.startsWith(QStringLiteral("warning: %1 ends with 4 bytes of a cut record").arg(dat)))
                    << run.describe().toStdString();
            continue;
        }
        const int lines = c.bytes.size() % 11 != 0 ? 2 : 1; // the warning about a cut record first
        for (const auto& run : {std::make_pair("show", show), {"convert", convert}}) {
            EXPECT_EQ(run.second.exitCode, 1) << run.second.describe().toStdString();
            EXPECT_EQ(run.second.err.count(QLatin1Char('\n')), lines) << run.second.describe().toStdString();
            EXPECT_TRUE(run.second.err.contains(QStringLiteral("quorvel %1: %2 %3\n").arg(QLatin1String(run.first), dat, fault)))
                << run.second.describe().toStdString();
        }
        EXPECT_FALSE(QFileInfo::exists(h5)) << c.fault;
        EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("pictures/flood.png")))) << c.fault;
    }
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
