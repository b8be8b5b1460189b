// Loading configuration files into the virtual camera: every format version,
// files with fewer GMs than the camera, save and load of a whole
// configuration with its packets, and loads that must fail cleanly.
#include "acquisition/collectedpackets.h"
#include "tests/files/filetestsupport.h"
#include "tests/support/camerarig.h"

using namespace filetest;

namespace {

// The library's own wait for the camera in these tests.
constexpr int loadWaitMs = 3000;

class LoadConfigurationTest : public CameraRig
{
protected:
    void PrepareClient()
    {
        CameraRig::PrepareClient();
        Quorvel::GetInstance()->SetWaitTimeout(loadWaitMs);
    }

    // Drops the control connection right before the GM registers are written
    // (the GM count text comes just before them).
    void DropTheCameraBeforeTheGMWrites()
    {
        camsim::VirtualCamera* camera = m_Camera.get();
        OnSysText() = [camera](const std::string& a_Text) {
            if (a_Text.rfind("No of GM's loaded", 0) == 0)
                camera->closeConnection(camsim::Channel::Control);
        };
    }

    // A copy of a hand-made file that names this test's camera.
    QString FileForCamera(const char* a_Name)
    {
        const QString path = tempPath(m_Address + QLatin1Char('_') + QLatin1String(a_Name));
        writeFile(path, withCameraAddress(testData(a_Name), m_Address));
        return path;
    }

    bool Load(const QString& a_Path) { return QuorvelDll::LoadConfiguration(a_Path.toUtf8().constData()); }

    int DelayTimeOf(int a_GMID)
    {
        EXPECT_TRUE(QuorvelDll::SetActiveGM(a_GMID)) << QuorvelDll::GetLastError();
        int delay = -1;
        EXPECT_TRUE(QuorvelDll::GetDelayTime(&delay));
        return delay;
    }

    // The images the camera holds are the model's images.
    void ExpectCameraHoldsTheModel()
    {
        // A read round trip: every earlier write has reached the camera.
        QuorvelDll::IsSystemCollectingPhotons();
        GammaModules* gms = GammaModules::GetInstance();
        const auto lock = gms->AccessLock();
        for (GammaModule* gm : gms->GetGMs(GAMMA_MODULES_TYPE_DEVICE)) {
            const int id = gm->GetID();
            EXPECT_EQ(m_Camera->gmRegister(id, 23), gm->GetDelayTimeData()) << id;
            EXPECT_EQ(m_Camera->gmRegister(id, 21), gm->GetGMASICModeData()) << id;
            EXPECT_TRUE(m_Camera->asicImage(id, 29) == gm->GetASIC().GetGlobalDataArray()) << id;
            EXPECT_TRUE(m_Camera->asicImage(id, 30) == gm->GetASIC().GetChannelDataArray()) << id;
        }
    }

};

} // namespace

TEST_F(LoadConfigurationTest, EveryFormatVersionLoadsIntoTheCamera)
{
    ASSERT_NO_FATAL_FAILURE(StartCamera());
    PrepareClient();
    const int rates[] = {10000, 63000, 5000, 10000, 7000, 12000};
    const SysTokenType tokens[] = {SYS_TOKEN_TYPE_2, SYS_TOKEN_TYPE_1, SYS_TOKEN_TYPE_2,
                                   SYS_TOKEN_TYPE_1, SYS_TOKEN_TYPE_2, SYS_TOKEN_TYPE_2};
    for (int version = 1; version <= 6; ++version) {
        SCOPED_TRACE(version);
        ToolbarTexts().clear();
        const QString path = FileForCamera(QStringLiteral("configuration_v%1.dat").arg(version).toUtf8().constData());
        ASSERT_TRUE(Load(path)) << QuorvelDll::GetLastError();
        EXPECT_EQ(ToolbarTexts().front(), "Loading configuration ...");
        EXPECT_EQ(ToolbarTexts().back(), "Configuration loaded");
        EXPECT_EQ(QuorvelDll::GetCameraUpdateMode(), CAMERA_UPDATE_MODE_DEFERRED);
        EXPECT_EQ(QuorvelDll::GetPacketTransferRate(), rates[version - 1]);
        EXPECT_EQ(QuorvelDll::GetSysTokenType(), tokens[version - 1]);
        EXPECT_TRUE(QuorvelDll::IsDebugModeActive());
        EXPECT_EQ(QuorvelDll::GetMBMultiplexerAddressType(), MB_MULTIPLEXER_ADDR_TYPE_2);
        EXPECT_EQ(QuorvelDll::GetPixelMappingMode(), version == 6 ? PIXEL_MAPPING_MODE_GLOBAL : PIXEL_MAPPING_MODE_LOCAL);
        EXPECT_EQ(QuorvelDll::GetGMUpdateType(), GM_UPDATE_TYPE_ALL_GMS);
        ASSERT_EQ(QuorvelDll::GetNoOfGMs(), 4);
        EXPECT_EQ(QuorvelDll::GetNoOfLoadedGMs(), 0);
        for (int id = 1; id <= 4; ++id)
            EXPECT_EQ(DelayTimeOf(id), 100 * id);

        int value = 0;
        ASSERT_TRUE(QuorvelDll::GetChannelPositivePulseThresholdTrimStep(CHANNEL_TYPE_ANODE, 11, &value));
        EXPECT_EQ(value, version < 3 ? 26 : 11);
        ASSERT_TRUE(QuorvelDll::GetChannelThresholdStep(CHANNEL_THRESHOLD_TYPE_CATHODE_ENERGY, &value));
        EXPECT_EQ(value, version < 3 ? 221 : 400);
        ASSERT_TRUE(QuorvelDll::GetCathodeTimingChannelsSecondaryMultiThresholdsDisplacementStep(&value));
        EXPECT_EQ(value, version < 3 ? 14 : 7);
        ASSERT_TRUE(QuorvelDll::GetCathodeTimingChannelTrimStep(1, CATHODE_TIMING_CHANNEL_TYPE_UNIPOLAR, &value));
        EXPECT_EQ(value, version < 3 ? 13 : 1);
        ExpectCameraHoldsTheModel();

        // The link stays up after a load; the next one needs a disconnect first.
        EXPECT_FALSE(Load(path));
        EXPECT_EQ(QuorvelDll::GetLastError(), "System must be disconnected prior to load");
        QuorvelDll::Disconnect();
    }
}

TEST_F(LoadConfigurationTest, FewerGMsThanTheCameraGoToTheLoadedGMs)
{
    ASSERT_NO_FATAL_FAILURE(StartCamera());
    PrepareClient();
    ASSERT_TRUE(Load(FileForCamera("configuration_v6_three_gms.dat"))) << QuorvelDll::GetLastError();
    EXPECT_NE(std::find(SysTexts().begin(), SysTexts().end(),
                        "No of GM's loaded: 3, No of GM's in device: 4, use CopyLoadedGMToGM() to set up GMs"),
              SysTexts().end());
    EXPECT_EQ(QuorvelDll::GetNoOfLoadedGMs(), 3);
    for (int id = 1; id <= 4; ++id)
        EXPECT_EQ(DelayTimeOf(id), 0);

    ASSERT_TRUE(QuorvelDll::SetActiveGM(1));
    EXPECT_TRUE(QuorvelDll::CopyLoadedGMToGM(2, 4)) << QuorvelDll::GetLastError();
    EXPECT_EQ(QuorvelDll::GetActiveGM(), 1);
    EXPECT_EQ(DelayTimeOf(4), 200);
    EXPECT_EQ(DelayTimeOf(1), 0);
    // Deferred mode: only the model changed.
    EXPECT_EQ(m_Camera->gmRegister(4, 23), 0);

    EXPECT_FALSE(QuorvelDll::CopyLoadedGMToGM(4, 1));
    EXPECT_EQ(QuorvelDll::GetLastError(), "GM ID out of range, valid range 1 to 3");
    EXPECT_FALSE(QuorvelDll::CopyLoadedGMToGM(1, 5));
    EXPECT_EQ(QuorvelDll::GetLastError(), "GM ID out of range, valid range 1 to 4");

    ASSERT_TRUE(QuorvelDll::SetCameraUpdateMode(CAMERA_UPDATE_MODE_IMMEDIATE));
    EXPECT_TRUE(QuorvelDll::CopyLoadedGMToGM(3, 2)) << QuorvelDll::GetLastError();
    EXPECT_TRUE(testsupport::waitUntil([this] { return m_Camera->gmRegister(2, 23) == 15; }, loadWaitMs));

    // The next load starts with no loaded GMs.
    QuorvelDll::Disconnect();
    ASSERT_TRUE(Load(FileForCamera("configuration_v6.dat"))) << QuorvelDll::GetLastError();
    EXPECT_EQ(QuorvelDll::GetNoOfLoadedGMs(), 0);
    EXPECT_FALSE(QuorvelDll::CopyLoadedGMToGM(1, 1));
    EXPECT_EQ(QuorvelDll::GetLastError(), "No loaded GMs to copy from");
}

// The camera reports its GMs out of ID order: each GM gets its own settings
// back, and the whole configuration with its packets survives byte for byte.
TEST_F(LoadConfigurationTest, SavedConfigurationAndPacketsLoadBackOntoTheirOwnGMs)
{
    ASSERT_NO_FATAL_FAILURE(StartCameraWithGMs({3, 1, 4, 2}));
    PrepareClient();
    ASSERT_TRUE(QuorvelDll::Initialize()) << QuorvelDll::GetLastError();
    ASSERT_TRUE(QuorvelDll::StartSys()) << QuorvelDll::GetLastError();
    ASSERT_TRUE(testsupport::waitUntil([] { return QuorvelDll::GetNoOfGMs() == 4; }, loadWaitMs));
    for (int id = 1; id <= 4; ++id) {
        ASSERT_TRUE(QuorvelDll::SetActiveGM(id));
        ASSERT_TRUE(QuorvelDll::SetDelayTime(20 * id));
        ASSERT_TRUE(QuorvelDll::SetGMPulserFrequency(static_cast<GMPulserFrequency>(id)));
        QuorvelDll::SetActiveChannelType(CHANNEL_TYPE_ANODE);
        ASSERT_TRUE(QuorvelDll::SetActiveChannel(id * 30));
        ASSERT_TRUE(QuorvelDll::SetChannelPositivePulseThresholdTrimStep(id));
    }
    ASSERT_TRUE(QuorvelDll::SetPacketTransferRate(20000));
    ASSERT_TRUE(QuorvelDll::SetSysTokenType(SYS_TOKEN_TYPE_2));
    fillStore(25, 6);
    {
        CollectedPackets* store = CollectedPackets::GetInstance();
        const auto lock = store->AccessLock();
        ASSERT_TRUE(store->AddPacket(9, 0xFFFF, 0xFF, nullptr, 0));
    }
    const QString saved = tempPath(m_Address + "_saved.dat");
    ASSERT_TRUE(QuorvelDll::SaveConfiguration(saved.toUtf8().constData())) << QuorvelDll::GetLastError();
    QuorvelDll::Close();

    PrepareClient();
    ASSERT_TRUE(Load(saved)) << QuorvelDll::GetLastError();
    for (int id = 1; id <= 4; ++id) {
        EXPECT_EQ(DelayTimeOf(id), 20 * id);
        int trim = 0;
        ASSERT_TRUE(QuorvelDll::GetChannelPositivePulseThresholdTrimStep(CHANNEL_TYPE_ANODE, id * 30, &trim));
        EXPECT_EQ(trim, id);
    }
    EXPECT_EQ(QuorvelDll::GetPacketTransferRate(), 20000);
    EXPECT_EQ(QuorvelDll::GetNoOfCollectedPackets(), 26);
    ExpectCameraHoldsTheModel();

    const QString again = tempPath(m_Address + "_again.dat");
    ASSERT_TRUE(QuorvelDll::SaveConfiguration(again.toUtf8().constData()));
    const QByteArray first = readFile(saved);
    EXPECT_GT(first.size(), 46 + 4 * V6_GM_RECORD_SIZE);
    EXPECT_TRUE(readFile(again) == first);
}

TEST_F(LoadConfigurationTest, PixelMappingModeOfTheFileReachesTheDecoder)
{
    ASSERT_NO_FATAL_FAILURE(StartCamera());
    PrepareClient();
    // Version 6 with global pixel numbers: GMs 3 and 4 cover pixels 243 to 484.
    ASSERT_TRUE(Load(FileForCamera("configuration_v6.dat"))) << QuorvelDll::GetLastError();
    ASSERT_EQ(QuorvelDll::GetPixelMappingMode(), PIXEL_MAPPING_MODE_GLOBAL);
    ASSERT_TRUE(QuorvelDll::StartPhotonCollection()) << QuorvelDll::GetLastError();
    ASSERT_TRUE(testsupport::waitUntil([] { return QuorvelDll::GetNoOfCollectedPackets() >= 40; }, loadWaitMs));
    ASSERT_TRUE(QuorvelDll::StopPhotonCollection()) << QuorvelDll::GetLastError();

    int lowerHalfPhotons = 0;
    int globalPixels = 0;
    const int packets = QuorvelDll::GetNoOfCollectedPackets();
    for (int packet = 1; packet <= packets; ++packet) {
        int gm = 0;
        int photons = 0;
        ASSERT_TRUE(QuorvelDll::GetPacketData(packet, PACKET_DATA_GM_ID, &gm));
        ASSERT_TRUE(QuorvelDll::GetPacketData(packet, PACKET_DATA_NO_OF_PHOTONS, &photons));
        if (gm < 3)
            continue;
        for (int photon = 1; photon <= photons; ++photon) {
            int pixel = 0;
            ASSERT_TRUE(QuorvelDll::GetPhotonData(packet, photon, PHOTON_DATA_PIXEL, &pixel));
            ++lowerHalfPhotons;
            globalPixels += pixel >= 243 && pixel <= 484;
        }
    }
    ASSERT_GT(lowerHalfPhotons, 0);
    EXPECT_EQ(globalPixels, lowerHalfPhotons);
}

TEST_F(LoadConfigurationTest, CorruptFileFailsBeforeTheCameraIsTouched)
{
    ASSERT_NO_FATAL_FAILURE(StartCamera());
    PrepareClient();
    fillStore(5, 2);
    ASSERT_TRUE(QuorvelDll::SetCameraUpdateMode(CAMERA_UPDATE_MODE_IMMEDIATE));
    const QByteArray whole = withCameraAddress(testData("configuration_v6_packets.dat"), m_Address);
    const QString path = tempPath(m_Address + "_cut.dat");
    writeFile(path, whole.left(whole.size() - 3));

    EXPECT_FALSE(Load(path));
    EXPECT_EQ(QuorvelDll::GetLastError(),
              "Configuration file is truncated or corrupt: it ends inside packet record 2");
    EXPECT_EQ(ToolbarTexts(), (std::vector<std::string>{"Loading configuration ...", "Configuration load failed"}));
    EXPECT_EQ(QuorvelDll::GetCameraUpdateMode(), CAMERA_UPDATE_MODE_IMMEDIATE);
    EXPECT_EQ(QuorvelDll::GetNoOfCollectedPackets(), 5);
    EXPECT_FALSE(QuorvelDll::IsSystemInitialized());
    EXPECT_EQ(m_Camera->connectionCount(camsim::Channel::Control), 0);
    EXPECT_TRUE(m_Camera->requests().isEmpty());
}

TEST_F(LoadConfigurationTest, FailedRegisterWritesFailTheLoad)
{
    ASSERT_NO_FATAL_FAILURE(StartCamera());
    PrepareClient();
    DropTheCameraBeforeTheGMWrites();
    EXPECT_FALSE(Load(FileForCamera("configuration_v6.dat")));
    EXPECT_EQ(QuorvelDll::GetLastError(), "Failed to write to register 18");
    EXPECT_EQ(ToolbarTexts().back(), "Configuration load failed");
    // The settings themselves were taken.
    OnSysText() = nullptr;
    EXPECT_EQ(DelayTimeOf(3), 300);
}
