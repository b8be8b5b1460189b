// Command-line options turned into camera and run settings, and the refusals a
// user sees for values that make no sense.
#include "tools/commands/acquiresettings.h"
#include "tools/commands/cameraoptions.h"
#include "tools/commands/camsimoptions.h"
#include "tests/tools/toolrun.h"

#include <gtest/gtest.h>
#include <utility>

using namespace tool;

namespace {

// Parses a_Arguments with the options of `quorvel acquire`; false and the message
// on a refusal.
bool parseAcquire(const QStringList& a_Arguments, CameraOptions* a_Camera, AcquireSettings* a_Settings,
                  QString* a_Error)
{
    QCommandLineParser parser;
    CameraOptions::add(&parser, true);
    AcquireSettings::add(&parser);
    if (!parser.parse(QStringList {QStringLiteral("quorvel")} + a_Arguments)) {
        *a_Error = parser.errorText();
        return false;
    }
    return CameraOptions::read(parser, true, a_Camera, a_Error) && AcquireSettings::read(parser, a_Settings, a_Error);
}

QString refusal(const char* a_Arguments)
{
    CameraOptions camera;
    AcquireSettings settings;
    QString error;
    EXPECT_FALSE(parseAcquire(tooltest::words(a_Arguments), &camera, &settings, &error)) << a_Arguments;
    return error;
}

TEST(ToolOptions, VirtualCameraOptionsBecomeItsSettings)
{
    CameraOptions camera;
    AcquireSettings settings;
    QString error;
    ASSERT_TRUE(parseAcquire(tooltest::words("--point 5.5,16.5 --point 1,2,1.5,3 --peak 1500,90 --gms 2,4 --seed 7 "
                                             "--mapping local --readout-options 0x3"),
                             &camera, &settings, &error))
        << error.toStdString();
    EXPECT_TRUE(camera.isEmbedded());
    const camsim::CameraConfig& config = camera.virtualCamera;
    // A point without --source means a point source.
    EXPECT_EQ(config.source.kind, camsim::SourceKind::Points);
    ASSERT_EQ(config.source.points.size(), 2);
    EXPECT_DOUBLE_EQ(config.source.points[0].column, 5.5);
    EXPECT_DOUBLE_EQ(config.source.points[0].row, 16.5);
    EXPECT_DOUBLE_EQ(config.source.points[0].sigma, 0.7);
    EXPECT_DOUBLE_EQ(config.source.points[1].sigma, 1.5);
    EXPECT_DOUBLE_EQ(config.source.points[1].weight, 3.0);
    EXPECT_DOUBLE_EQ(config.source.peakAdc, 1500.0);
    EXPECT_DOUBLE_EQ(config.source.fwhmAdc, 90.0);
    EXPECT_EQ(config.gmIds, QVector<int>({2, 4}));
    EXPECT_EQ(config.seed, 7u);
    EXPECT_EQ(settings.numbers, PixelNumbers::GM);
    EXPECT_TRUE(settings.mappingGiven);
    EXPECT_EQ(settings.readoutOptions, 3);
    EXPECT_EQ(settings.packetRate, 0);

    // The defaults: a flood and global pixel numbers.
    CameraOptions plain;
    AcquireSettings defaults;
    ASSERT_TRUE(parseAcquire({}, &plain, &defaults, &error));
    EXPECT_EQ(plain.virtualCamera.source.kind, camsim::SourceKind::Flood);
    EXPECT_EQ(defaults.numbers, PixelNumbers::Camera);
    EXPECT_FALSE(defaults.mappingGiven);
}

TEST(ToolOptions, NonsenseIsRefusedWithTheOptionNamed)
{
    for (const auto& c : {std::make_pair("--point 23,1", "bad --point 23,1"), {"--point 1,1,0", "bad --point"},
                          {"--peak 2000", "bad --peak"}, {"--bars 1,2,3", "bad --bars"}, {"--gms 1,1", "bad --gms"},
                          {"--gms 5", "bad --gms"}, {"--source moon", "unknown --source"},
                          {"--mapping sideways", "unknown --mapping"}, {"--readout-options 4", "bad --readout-options"},
                          {"--packet-rate fast", "bad --packet-rate"},
                          // A real camera needs both addresses, and takes no virtual camera options.
                          {"--camera 10.0.0.2", "--camera needs --host"}, {"--host 10.0.0.1", "--host needs --camera"}})
        EXPECT_TRUE(refusal(c.first).startsWith(QLatin1String(c.second))) << c.first;
    EXPECT_EQ(refusal("--peak-share 0.8 --compton-share 0.3"), QStringLiteral("--peak-share and --compton-share together exceed 1"));
    EXPECT_TRUE(refusal("--camera camera.local --host 10.0.0.1").contains(QLatin1String("is not an IPv4 address")));
    EXPECT_EQ(refusal("--camera 10.0.0.2 --host 10.0.0.1 --seed 3"),
              QStringLiteral("--seed applies to the virtual camera only, not with --camera"));
}

TEST(ToolOptions, StandaloneCameraTakesAddressRateAndPacketShape)
{
    QCommandLineParser parser;
    CamsimOptions::add(&parser, CamsimOptions::Standalone);
    ASSERT_TRUE(parser.parse(
        tooltest::words("quorvel --address 127.0.0.9 --rate max --photons-per-packet 20 --packets-per-datagram 3")));
    camsim::CameraConfig config;
    QString error;
    ASSERT_TRUE(CamsimOptions::read(parser, CamsimOptions::Standalone, &config, &error)) << error.toStdString();
    EXPECT_EQ(config.address, QStringLiteral("127.0.0.9"));
    EXPECT_EQ(config.rateOverride, -1);
    EXPECT_EQ(config.photonsPerPacket, 20);
    EXPECT_EQ(config.packetsPerDatagram, 3);

    QCommandLineParser bad;
    CamsimOptions::add(&bad, CamsimOptions::Standalone);
    ASSERT_TRUE(bad.parse(tooltest::words("quorvel --rate -5")));
    EXPECT_FALSE(CamsimOptions::read(bad, CamsimOptions::Standalone, &config, &error));
    EXPECT_TRUE(error.startsWith(QLatin1String("bad --rate -5")));
}

} // namespace
