#include "gui/mainwindow.h"

#include "gui/acquisitioncontroller.h"
#include "gui/acquisitionpanel.h"
#include "gui/camerapanel.h"
#include "gui/figuresbar.h"
#include "gui/floodplot.h"
#include "gui/librarytexts.h"
#include "gui/logview.h"
#include "gui/rateplot.h"
#include "gui/spectrumplot.h"
#include "tools/camera/cameralink.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

namespace gui {

MainWindow::MainWindow(QWidget* a_Parent)
    : QMainWindow(a_Parent)
    , m_Texts(new LibraryTexts(this))
    , m_Acquisition(new AcquisitionController(&m_Histograms, this))
    , m_CameraPanel(new CameraPanel)
    , m_AcquisitionPanel(new AcquisitionPanel)
    , m_Flood(new FloodPlot)
    , m_Spectrum(new SpectrumPlot)
    , m_Rate(new RatePlot)
    , m_Log(new LogView)
    , m_Figures(new FiguresBar)
    , m_Error(new QLabel)
    , m_SelectionText(new QLabel)
    , m_LogFlood(new QCheckBox(QStringLiteral("Logarithmic flood")))
    , m_LogCounts(new QCheckBox(QStringLiteral("Logarithmic counts")))
{
    setWindowTitle(QStringLiteral("quorvel-gui, libQuorvelSharedLib %1").arg(QString::fromStdString(QuorvelDll::GetVersion())));
    auto* left = new QWidget;
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->addWidget(m_CameraPanel);
    leftLayout->addWidget(m_AcquisitionPanel);
    leftLayout->addStretch();
    auto* scroll = new QScrollArea;
    scroll->setWidget(left);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFixedWidth(470);

    auto* central = new QWidget;
    auto* layout = new QHBoxLayout(central);
    layout->addWidget(scroll);
    layout->addWidget(buildPlots(), 1);
    setCentralWidget(central);
    resize(defaultSize());

    connect(m_Texts, &LibraryTexts::text, this, &MainWindow::onLibraryText);
    connect(m_Acquisition, &AcquisitionController::message, this, [this](const QString& a_Kind, const QString& a_Text) {
        if (a_Kind == QLatin1String("error"))
            showError(a_Text);
        else
            m_Log->add(a_Kind, a_Text);
    });
    connect(m_Acquisition, &AcquisitionController::stateChanged, this, [this] {
        updateControls();
        refresh();
    });
    connect(m_CameraPanel, &CameraPanel::connectRequested, this, qOverload<>(&MainWindow::connectCamera));
    connect(m_CameraPanel, &CameraPanel::disconnectRequested, this, &MainWindow::disconnectCamera);
    connect(m_CameraPanel, &CameraPanel::applyRequested, this, &MainWindow::applySettings);
    connect(m_AcquisitionPanel, &AcquisitionPanel::startRequested, this, &MainWindow::startCollecting);
    connect(m_AcquisitionPanel, &AcquisitionPanel::stopRequested, this, &MainWindow::stopCollecting);
    connect(m_Flood, &FloodPlot::selectionRequested, this, &MainWindow::selectSpectrum);
    connect(m_LogFlood, &QCheckBox::toggled, m_Flood, &FloodPlot::setLogarithmic);
    connect(m_LogCounts, &QCheckBox::toggled, m_Spectrum, &SpectrumPlot::setLogarithmic);
    connect(&m_Timer, &QTimer::timeout, this, &MainWindow::refresh);
    m_Timer.start(refreshMs);
    updateControls();
}

MainWindow::~MainWindow()
{
    m_Timer.stop();
    delete m_Acquisition; // stops a collection before the camera goes
    m_Acquisition = nullptr;
}

QWidget* MainWindow::buildPlots()
{
    auto* allPixels = new QPushButton(QStringLiteral("All pixels"));
    auto* resetZoom = new QPushButton(QStringLiteral("Reset zoom"));
    connect(allPixels, &QPushButton::clicked, this, [this] { selectSpectrum(SpectrumSelection::total()); });
    connect(resetZoom, &QPushButton::clicked, this, [this] {
        m_Flood->resetZoom();
        m_Spectrum->resetZoom();
    });
    m_Error->setStyleSheet(QStringLiteral("color: #c00000; font-weight: bold;"));
    m_Error->setWordWrap(true);
    m_Error->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* controls = new QHBoxLayout;
    controls->addWidget(m_LogFlood);
    controls->addWidget(m_LogCounts);
    controls->addWidget(m_SelectionText);
    controls->addWidget(allPixels);
    controls->addWidget(resetZoom);
    controls->addStretch();
    auto* hint = new QLabel(QStringLiteral("Left click a pixel, right click a GM for its spectrum; "
                                           "wheel zooms, middle button pans. Spectrum: drag an energy window."));
    hint->setStyleSheet(QStringLiteral("color: #606060;"));
    hint->setWordWrap(true); // a long line would set the window's minimum width

    auto* top = new QSplitter(Qt::Horizontal);
    top->addWidget(m_Flood);
    top->addWidget(m_Spectrum);
    top->setSizes({520, 580});
    auto* bottom = new QSplitter(Qt::Horizontal);
    bottom->addWidget(m_Rate);
    bottom->addWidget(m_Log);
    bottom->setSizes({520, 520});
    auto* plots = new QSplitter(Qt::Vertical);
    plots->addWidget(top);
    plots->addWidget(bottom);
    plots->setSizes({600, 240});

    auto* panel = new QWidget;
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_Error);
    layout->addWidget(m_Figures);
    layout->addLayout(controls);
    layout->addWidget(hint);
    layout->addWidget(plots, 1);
    selectSpectrum(SpectrumSelection::total());
    return panel;
}

bool MainWindow::connectCamera()
{
    tool::CameraOptions options;
    QString error;
    if (!m_CameraPanel->options(&options, &error)) {
        showError(error);
        return false;
    }
    return connectCamera(options);
}

bool MainWindow::connectCamera(const tool::CameraOptions& a_Options)
{
    m_Error->clear();
    m_CameraPanel->setBusy(true); // no second click while the library waits
    QString error;
    QList<tool::GMReadings> readings;
    QVector<GMReadout> readout;
    const bool connected = m_Session.connect(a_Options, &error) && m_Session.readGMs(&readings, &readout, &error);
    m_CameraPanel->setBusy(false);
    if (!connected) {
        m_Session.disconnect();
        m_CameraPanel->showDisconnected();
        showError(error);
        updateControls();
        return false;
    }
    m_CameraPanel->setPacketRate(QuorvelDll::GetPacketTransferRate());
    m_CameraPanel->showConnected(m_Session.describe(), readings, readout);
    m_Log->add(QStringLiteral("info"), QStringLiteral("Connected to the %1").arg(m_Session.describe()));
    updateControls();
    return true;
}

void MainWindow::disconnectCamera()
{
    if (m_Acquisition->state() != AcquisitionController::State::Idle)
        return;
    m_Session.disconnect();
    m_CameraPanel->showDisconnected();
    m_Log->add(QStringLiteral("info"), QStringLiteral("Disconnected"));
    updateControls();
}

bool MainWindow::applySettings()
{
    QString error;
    if (!m_Session.apply(m_CameraPanel->settings(), &error)) {
        showError(error);
        return false;
    }
    m_Log->add(QStringLiteral("info"), QStringLiteral("Settings applied: %1 packets/s").arg(QuorvelDll::GetPacketTransferRate()));
    return true;
}

bool MainWindow::startCollecting()
{
    m_Error->clear();
    if (!m_Session.isConnected()) {
        showError(QStringLiteral("connect to a camera first"));
        return false;
    }
    if (!applySettings())
        return false;
    AcquisitionRequest request = m_AcquisitionPanel->request();
    request.numbers = m_CameraPanel->settings().numbers;
    request.caption = m_Session.describe();
    m_CountersAtStart = QuorvelDll::GetPhotonStreamCounters();
    m_Texts->clearLoss();
    m_Rate->clear();
    QString error;
    if (!m_Acquisition->start(request, &error)) {
        showError(error);
        return false;
    }
    return true;
}

void MainWindow::stopCollecting()
{
    m_Acquisition->stop();
}

bool MainWindow::isCollecting() const
{
    return m_Acquisition->state() == AcquisitionController::State::Collecting;
}

bool MainWindow::isIdle() const
{
    return m_Acquisition->state() == AcquisitionController::State::Idle;
}

void MainWindow::selectSpectrum(const SpectrumSelection& a_Selection)
{
    m_Selection = a_Selection;
    m_SelectionChanged = true;
    m_Flood->setSelection(a_Selection);
    m_SelectionText->setText(QStringLiteral("Spectrum of %1").arg(a_Selection.describe()));
    refresh();
}

void MainWindow::refresh()
{
    if (!m_Acquisition)
        return;
    m_Acquisition->poll();
    const bool copied = m_Histograms.copyTo(&m_Snapshot);
    if (copied || m_SelectionChanged) {
        m_SelectionChanged = false;
        m_Flood->setCounts(m_Snapshot.pixelCounts);
        m_Spectrum->setSpectrum(m_Snapshot.spectrum(m_Selection), m_Selection.describe(),
                                m_Acquisition->elapsedSeconds());
        ++m_Refreshes;
        emit refreshed();
    }
    updateFigures();
}

void MainWindow::updateFigures()
{
    CollectionFigures figures;
    figures.seconds = m_Acquisition->elapsedSeconds();
    figures.photons = m_Snapshot.photons;
    if (m_Session.isConnected() && QuorvelDll::IsPhotonStreamEnabled()) {
        const PhotonStreamCounters counters = QuorvelDll::GetPhotonStreamCounters();
        figures.packets = qint64(counters.packets - m_CountersAtStart.packets);
        figures.dropped = qint64(counters.droppedPhotons - m_CountersAtStart.droppedPhotons);
    }
    if (isCollecting())
        m_Rate->sample(figures.seconds, m_Acquisition->photonsRead());
    figures.rate = m_Rate->lastRate();
    figures.lossTexts = m_Texts->lossTexts();
    m_Figures->show(figures);
}

QString MainWindow::lastError() const
{
    return m_Error->text();
}

void MainWindow::showError(const QString& a_Text)
{
    m_Error->setText(a_Text);
    m_Log->add(QStringLiteral("error"), a_Text);
    statusBar()->showMessage(a_Text, 10000);
}

void MainWindow::onLibraryText(const QString& a_Kind, const QString& a_Text)
{
    // The decoder reports every batch; the figures above the plots say as much.
    if (!a_Text.startsWith(QLatin1String("Packets decoded")) && !a_Text.startsWith(QLatin1String("Decoding packets")))
        m_Log->add(a_Kind, a_Text);
}

void MainWindow::updateControls()
{
    const bool idle = isIdle();
    m_AcquisitionPanel->setRunning(!idle, m_Session.isConnected());
    m_CameraPanel->setBusy(!idle);
}

void MainWindow::closeEvent(QCloseEvent* a_Event)
{
    stopCollecting();
    a_Event->accept();
}

} // namespace gui
