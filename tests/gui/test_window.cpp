// The window driven as a user would, against the virtual camera on the test's own
// loopback address: a short collection from a point source, then the flood, the
// spectrum selection, the energy window, the screenshot and the refusals.
#include "camsim/virtualcamera.h"
#include "gammamodule/cameralayout.h"
#include "gui/acquisitionpanel.h"
#include "gui/camerapanel.h"
#include "gui/floodplot.h"
#include "gui/mainwindow.h"
#include "gui/screenshotrun.h"
#include "gui/spectrumplot.h"
#include "support/testsupport.h"
#include "tools/files/photonrecordreader.h"

#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr int pointPixel = 16 * 22 + 5 + 1; // the centre of column 5.5, row 16.5, in GM 4

tool::CameraOptions virtualCamera()
{
    tool::CameraOptions options;
    options.virtualAddress = testsupport::testLoopbackAddress();
    options.virtualCamera.source.kind = camsim::SourceKind::Points;
    options.virtualCamera.source.points = {{5.5, 16.5, 0.7, 1.0}};
    return options;
}

std::vector<tool::PhotonRecord> readPhotons(const QString& a_Path)
{
    tool::PhotonRecordReader reader;
    QString error;
    std::vector<tool::PhotonRecord> all;
    std::vector<tool::PhotonRecord> batch;
    EXPECT_TRUE(reader.open(a_Path, &error)) << error.toStdString();
    while (reader.next(&batch, &error) && !batch.empty())
        all.insert(all.end(), batch.begin(), batch.end());
    return all;
}

// A window that has collected one second from a point source into a folder of its own.
class GuiCollectedWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Folder.isValid());
        m_Window.show();
        ASSERT_TRUE(m_Window.connectCamera(virtualCamera())) << m_Window.lastError().toStdString();
        m_Window.acquisitionPanel()->setSeconds(1.0);
        m_Window.acquisitionPanel()->setFolder(m_Folder.path());
        ASSERT_TRUE(m_Window.startCollecting()) << m_Window.lastError().toStdString();
        ASSERT_TRUE(testsupport::waitUntil([this] { return m_Window.isIdle(); }, 15000));
        m_Window.refresh();
        m_Photons = readPhotons(m_Folder.filePath(QStringLiteral("photons.dat")));
        ASSERT_GT(m_Photons.size(), 1000u);
    }

    // Sends a press, a move and a release to a plot's canvas, as a mouse drag would.
    static void drag(QWidget* a_Canvas, QPoint a_From, QPoint a_To)
    {
        QMouseEvent press(QEvent::MouseButtonPress, a_From, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent move(QEvent::MouseMove, a_To, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, a_To, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(a_Canvas, &press);
        QApplication::sendEvent(a_Canvas, &move);
        QApplication::sendEvent(a_Canvas, &release);
    }

    QTemporaryDir m_Folder;
    gui::MainWindow m_Window;
    std::vector<tool::PhotonRecord> m_Photons;
};

TEST_F(GuiCollectedWindow, FloodHoldsEveryStreamedPhotonWithThePointInItsPixel)
{
    const gui::FloodPlot* flood = m_Window.floodPlot();
    qint64 total = 0;
    int brightest = 1;
    for (int pixel = 1; pixel <= 484; ++pixel) {
        total += flood->countAt(pixel);
        if (flood->countAt(pixel) > flood->countAt(brightest))
            brightest = pixel;
    }
    // photons.dat is written from the same stream as the flood: the same photons,
    // and all the camera sent, GM by GM.
    EXPECT_EQ(total, qint64(m_Photons.size()));
    const camsim::VirtualCamera* camera = m_Window.session().virtualCamera();
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(total, camera->photonsSent());
    for (int gm = 1; gm <= CameraLayout::GM_COUNT; ++gm) {
        qint64 inGM = 0;
        for (int pixel = 1; pixel <= CameraLayout::GM_PIXELS; ++pixel)
            inGM += flood->countAt(CameraLayout::CameraPixelOf(pixel, gm));
        EXPECT_EQ(inGM, camera->photonsSent(gm)) << "GM " << gm;
    }
    EXPECT_EQ(brightest, pointPixel);
    EXPECT_GT(flood->countAt(pointPixel), total / 10);
    const QString hover = flood->describe(pointPixel);
    EXPECT_TRUE(hover.contains(QStringLiteral("Camera pixel 358"))) << hover.toStdString();
    EXPECT_TRUE(hover.contains(QStringLiteral("GM 4, pixel 61"))) << hover.toStdString(); // row 6, column 6 of GM 4
    EXPECT_TRUE(QFile::exists(m_Folder.filePath(QStringLiteral("configuration.dat"))));
}

TEST_F(GuiCollectedWindow, ClickingAPixelOrAGMRestrictsTheSpectrum)
{
    gui::FloodPlot* flood = m_Window.floodPlot();
    QTest::mouseClick(flood->canvas(), Qt::LeftButton, Qt::NoModifier, flood->canvasPositionOf(pointPixel));
    EXPECT_EQ(m_Window.selection(), gui::SpectrumSelection::pixel(pointPixel));
    qint64 inPixel = 0;
    for (const tool::PhotonRecord& photon : m_Photons)
        inPixel += photon.pixel == pointPixel && photon.positiveEnergy && photon.energy < 4096;
    m_Window.spectrumPlot()->setEnergyWindow(0, 4096);
    EXPECT_EQ(m_Window.spectrumPlot()->windowCounts(), inPixel);

    QTest::mouseClick(flood->canvas(), Qt::RightButton, Qt::NoModifier, flood->canvasPositionOf(1));
    EXPECT_EQ(m_Window.selection(), gui::SpectrumSelection::gm(1));
    EXPECT_LT(m_Window.spectrumPlot()->windowCounts(), inPixel / 10); // the point lies in GM 4
}

TEST_F(GuiCollectedWindow, DraggedEnergyWindowCountsThePhotonsInsideIt)
{
    gui::SpectrumPlot* spectrum = m_Window.spectrumPlot();
    ASSERT_TRUE(spectrum->peak().found);
    EXPECT_NEAR(spectrum->peak().centre, 2000.0, 30.0);
    const auto at = [spectrum](double a_Energy) {
        return QPoint(int(spectrum->transform(QwtPlot::xBottom, a_Energy)), spectrum->canvas()->height() / 2);
    };
    drag(spectrum->canvas(), at(1700), at(2300));
    ASSERT_TRUE(spectrum->hasEnergyWindow());
    EXPECT_NEAR(spectrum->windowLow(), 1700, 20);
    EXPECT_NEAR(spectrum->windowHigh(), 2300, 20);
    qint64 inside = 0;
    for (const tool::PhotonRecord& photon : m_Photons)
        inside += photon.positiveEnergy && photon.energy >= spectrum->windowLow() && photon.energy < spectrum->windowHigh();
    EXPECT_EQ(spectrum->windowCounts(), inside);
    EXPECT_TRUE(spectrum->summary().contains(QStringLiteral("/s")));
}

TEST(GuiScreenshot, SavesAPngOfTheWindowsSize)
{
    QTemporaryDir folder;
    gui::MainWindow window;
    window.show();
    window.acquisitionPanel()->setFolder(folder.filePath(QStringLiteral("run")));
    const QString file = folder.filePath(QStringLiteral("shot.png"));
    auto* run = new gui::ScreenshotRun(&window, file, 0.5);
    bool done = false;
    bool ok = false;
    QObject::connect(run, &gui::ScreenshotRun::finished, [&](bool a_Ok, const QString&) {
        done = true;
        ok = a_Ok;
    });
    run->start(virtualCamera());
    ASSERT_TRUE(testsupport::waitUntil([&] { return done; }, 15000));
    ASSERT_TRUE(ok) << window.lastError().toStdString();
    const QImage image(file);
    EXPECT_EQ(image.size(), window.size() * window.devicePixelRatioF());
}

TEST(GuiClosing, ClosingTheWindowWhileCollectingStopsAndKeepsEveryPhoton)
{
    QTemporaryDir folder;
    gui::MainWindow window;
    window.show();
    ASSERT_TRUE(window.connectCamera(virtualCamera())) << window.lastError().toStdString();
    window.acquisitionPanel()->setSeconds(60.0);
    window.acquisitionPanel()->setFolder(folder.path());
    ASSERT_TRUE(window.startCollecting()) << window.lastError().toStdString();
    const camsim::VirtualCamera* camera = window.session().virtualCamera();
    ASSERT_TRUE(testsupport::waitUntil([camera] { return camera->photonsSent() > 100000; }, 15000));
    window.close();
    ASSERT_TRUE(testsupport::waitUntil([&] { return window.isIdle(); }, 15000));
    EXPECT_FALSE(camera->isCollecting());
    EXPECT_EQ(qint64(readPhotons(folder.filePath(QStringLiteral("photons.dat"))).size()), camera->photonsSent());
}

TEST(GuiRefusals, ShowTheLibrarysLastError)
{
    gui::MainWindow window;
    tool::CameraOptions nobody;
    nobody.cameraAddress = testsupport::testLoopbackAddress(); // no camera listens there
    nobody.hostAddress = nobody.cameraAddress;
    EXPECT_FALSE(window.connectCamera(nobody));
    // The link is closed after the refusal, which clears the library's error: the window kept it.
    EXPECT_TRUE(window.lastError().contains(QStringLiteral(": Failed to connect"))) << window.lastError().toStdString();

    ASSERT_TRUE(window.connectCamera(virtualCamera())) << window.lastError().toStdString();
    window.cameraPanel()->setPacketRate(1500); // not a multiple of 1000
    EXPECT_FALSE(window.startCollecting());
    EXPECT_FALSE(QString::fromStdString(QuorvelDll::GetLastError()).isEmpty());
    EXPECT_TRUE(window.lastError().contains(QString::fromStdString(QuorvelDll::GetLastError())))
        << window.lastError().toStdString();
    EXPECT_TRUE(window.isIdle());
}

} // namespace
