// `quorvel-gui --screenshot FILE --seconds N`: connects to the camera, collects for
// N seconds, marks an energy window around the photopeak and saves the window as PNG.
#ifndef GUI_SCREENSHOTRUN_H
#define GUI_SCREENSHOTRUN_H

#include "tools/commands/cameraoptions.h"

#include <QObject>

namespace gui {

class MainWindow;

class ScreenshotRun : public QObject {
    Q_OBJECT
public:
    ScreenshotRun(MainWindow* a_Window, const QString& a_File, double a_Seconds);
    void start(const tool::CameraOptions& a_Options);

signals:
    void finished(bool a_Ok, const QString& a_Message);

private:
    void save();

    MainWindow* m_Window;
    QString m_File;
    double m_Seconds;
    bool m_Started = false;
};

} // namespace gui

#endif
