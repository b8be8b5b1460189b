// The program's window: the camera and acquisition panels on the left, the flood,
// the spectrum, the count rate and the log on the right. A timer copies the live
// histograms several times a second and redraws what changed.
#ifndef GUI_MAINWINDOW_H
#define GUI_MAINWINDOW_H

#include "gui/camerasession.h"
#include "gui/histogramsnapshot.h"
#include "gui/livehistograms.h"
#include "quorveldll.h"

#include <QMainWindow>
#include <QTimer>

class QCheckBox;
class QLabel;

namespace gui {

class AcquisitionController;
class AcquisitionPanel;
class CameraPanel;
class FiguresBar;
class FloodPlot;
class LibraryTexts;
class LogView;
class RatePlot;
class SpectrumPlot;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int refreshMs = 100;
    static QSize defaultSize() { return QSize(1560, 940); }

    explicit MainWindow(QWidget* a_Parent = nullptr);
    ~MainWindow() override;

    // Each false shows the reason (the library's last error where it has one).
    bool connectCamera(const tool::CameraOptions& a_Options);
    bool connectCamera(); // with the options of the camera panel
    void disconnectCamera();
    bool applySettings();
    bool startCollecting(); // applies the settings, then starts
    void stopCollecting();
    bool isCollecting() const;
    bool isIdle() const;
    void selectSpectrum(const SpectrumSelection& a_Selection);
    SpectrumSelection selection() const { return m_Selection; }
    void refresh();

    QString lastError() const;
    qint64 refreshes() const { return m_Refreshes; }
    const HistogramSnapshot& snapshot() const { return m_Snapshot; }
    CameraSession& session() { return m_Session; }
    CameraPanel* cameraPanel() const { return m_CameraPanel; }
    AcquisitionPanel* acquisitionPanel() const { return m_AcquisitionPanel; }
    AcquisitionController* acquisition() const { return m_Acquisition; }
    FloodPlot* floodPlot() const { return m_Flood; }
    SpectrumPlot* spectrumPlot() const { return m_Spectrum; }
    LogView* logView() const { return m_Log; }
    FiguresBar* figuresBar() const { return m_Figures; }

signals:
    void refreshed(); // the pictures were redrawn with new data

protected:
    void closeEvent(QCloseEvent* a_Event) override;

private:
    QWidget* buildPlots();
    void showError(const QString& a_Text);
    void onLibraryText(const QString& a_Kind, const QString& a_Text);
    void updateControls();
    void updateFigures();

    LiveHistograms m_Histograms;
    HistogramSnapshot m_Snapshot;
    CameraSession m_Session;
    SpectrumSelection m_Selection;
    PhotonStreamCounters m_CountersAtStart {};
    bool m_SelectionChanged = false;
    qint64 m_Refreshes = 0;

    LibraryTexts* m_Texts;
    AcquisitionController* m_Acquisition;
    CameraPanel* m_CameraPanel;
    AcquisitionPanel* m_AcquisitionPanel;
    FloodPlot* m_Flood;
    SpectrumPlot* m_Spectrum;
    RatePlot* m_Rate;
    LogView* m_Log;
    FiguresBar* m_Figures;
    QLabel* m_Error;
    QLabel* m_SelectionText;
    QCheckBox* m_LogFlood;
    QCheckBox* m_LogCounts;
    QTimer m_Timer;
};

} // namespace gui

#endif
