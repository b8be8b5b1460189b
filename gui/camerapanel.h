// Which camera to use and how to set it up: the virtual camera with its source,
// or a real camera by address; connect and disconnect; the GMs found with their
// firmware, status and ADC readings; packet rate, pixel mapping and each GM's
// readout mode and options.
#ifndef GUI_CAMERAPANEL_H
#define GUI_CAMERAPANEL_H

#include "gui/systemsettings.h"
#include "tools/camera/gmreadings.h"
#include "tools/commands/cameraoptions.h"

#include <QGroupBox>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace gui {

class CameraPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit CameraPanel(QWidget* a_Parent = nullptr);

    // The options as entered; false with a reason if a field is wrong.
    bool options(tool::CameraOptions* a_Options, QString* a_Error) const;
    SystemSettings settings() const;
    void setPacketRate(int a_Rate);

    void showConnected(const QString& a_Description, const QList<tool::GMReadings>& a_Readings,
                       const QVector<GMReadout>& a_Readout);
    void showDisconnected();
    void setBusy(bool a_Busy); // while collecting: the camera stays as it is

signals:
    void connectRequested();
    void disconnectRequested();
    void applyRequested();

private:
    void updateEnabled();

    QComboBox* m_Kind;
    QLineEdit* m_CameraAddress;
    QLineEdit* m_HostAddress;
    QComboBox* m_Source;
    QLineEdit* m_Points;
    QLineEdit* m_Peak;
    QPushButton* m_Connect;
    QPushButton* m_Disconnect;
    QPushButton* m_Apply;
    QLabel* m_Status;
    QTableWidget* m_GMs;
    QSpinBox* m_PacketRate;
    QComboBox* m_Mapping;
    bool m_Connected = false;
    bool m_Busy = false;
};

} // namespace gui

#endif
