#include "gui/screenshotrun.h"

#include "gui/acquisitioncontroller.h"
#include "gui/acquisitionpanel.h"
#include "gui/mainwindow.h"
#include "gui/spectrumplot.h"

#include <QDir>
#include <QPixmap>
#include <QTimer>

namespace gui {

ScreenshotRun::ScreenshotRun(MainWindow* a_Window, const QString& a_File, double a_Seconds)
    : QObject(a_Window)
    , m_Window(a_Window)
    , m_File(a_File)
    , m_Seconds(a_Seconds)
{
}

void ScreenshotRun::start(const tool::CameraOptions& a_Options)
{
    if (!m_Window->connectCamera(a_Options)) {
        emit finished(false, m_Window->lastError());
        return;
    }
    m_Window->acquisitionPanel()->setSeconds(m_Seconds);
    connect(m_Window->acquisition(), &AcquisitionController::stateChanged, this, [this] {
        if (m_Started && m_Window->isIdle())
            QTimer::singleShot(0, this, &ScreenshotRun::save);
    });
    m_Started = m_Window->startCollecting();
    if (!m_Started)
        emit finished(false, m_Window->lastError());
}

void ScreenshotRun::save()
{
    m_Window->refresh();
    SpectrumPlot* spectrum = m_Window->spectrumPlot();
    if (spectrum->peak().found)
        spectrum->setEnergyWindow(spectrum->peak().centre - spectrum->peak().fwhm,
                                  spectrum->peak().centre + spectrum->peak().fwhm);
    const QPixmap picture = m_Window->grab();
    const QString folder = QFileInfo(m_File).absolutePath();
    if (!QDir().mkpath(folder) || !picture.save(m_File, "PNG")) {
        emit finished(false, QStringLiteral("cannot write %1").arg(m_File));
        return;
    }
    emit finished(true, QStringLiteral("Saved %1 (%2 x %3)").arg(m_File).arg(picture.width()).arg(picture.height()));
}

} // namespace gui
