// Start and stop a collection (or give it a duration), the output folder and the
// files to write.
#ifndef GUI_ACQUISITIONPANEL_H
#define GUI_ACQUISITIONPANEL_H

#include "gui/acquisitionrequest.h"

#include <QGroupBox>

class QCheckBox;
class QDoubleSpinBox;
class QLineEdit;
class QPushButton;

namespace gui {

class AcquisitionPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit AcquisitionPanel(QWidget* a_Parent = nullptr);

    AcquisitionRequest request() const; // the numbering and caption are the window's
    void setSeconds(double a_Seconds);
    void setFolder(const QString& a_Folder);
    void setRunning(bool a_Running, bool a_CanStart);

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
};

} // namespace gui

#endif
