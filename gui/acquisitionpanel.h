// Start and stop a collection (or give it a duration), the output folder and the
// files to write, and the running figures: time, packets, photons, count rate and
// any data the library reports lost.
#ifndef GUI_ACQUISITIONPANEL_H
#define GUI_ACQUISITIONPANEL_H

#include "gui/acquisitionrequest.h"

#include <QGroupBox>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace gui {

struct AcquisitionFigures {
    double seconds = 0.0;
    qint64 packets = 0;
    qint64 photons = 0;
    double rate = 0.0;     // photons per second lately
    qint64 dropped = 0;    // photons the stream dropped
    QStringList lossTexts; // the library's reports of lost data
};

class AcquisitionPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit AcquisitionPanel(QWidget* a_Parent = nullptr);

    AcquisitionRequest request() const; // the numbering and caption are the window's
    void setSeconds(double a_Seconds);
    void setFolder(const QString& a_Folder);
    void setRunning(bool a_Running, bool a_CanStart);
    void showFigures(const AcquisitionFigures& a_Figures);
    QString lossText() const; // what the loss line says, empty without loss

signals:
    void startRequested();
    void stopRequested();

private:
    QDoubleSpinBox* m_Seconds;
    QLineEdit* m_Folder;
    QCheckBox* m_PhotonFile;
    QCheckBox* m_ConfigurationFile;
    QCheckBox* m_Pictures;
    QPushButton* m_Start;
    QPushButton* m_Stop;
    QLabel* m_Elapsed;
    QLabel* m_Packets;
    QLabel* m_Photons;
    QLabel* m_Rate;
    QLabel* m_Loss;
};

} // namespace gui

#endif
