// The program's link to one camera, on the thread that runs the Qt events: connect
// (starting the virtual camera when no address is given) and power up, read the
// GMs, apply the settings, disconnect.
#ifndef GUI_CAMERASESSION_H
#define GUI_CAMERASESSION_H

#include "gui/systemsettings.h"
#include "tools/camera/gmreadings.h"
#include "tools/commands/cameraoptions.h"

#include <QList>
#include <memory>

namespace camsim {
class VirtualCamera;
}
namespace tool {
class CameraLink;
}

namespace gui {

class CameraSession {
public:
    CameraSession();
    ~CameraSession();

    // False with a one-line reason naming the library's last error.
    bool connect(const tool::CameraOptions& a_Options, QString* a_Error);
    void disconnect();
    bool isConnected() const { return m_Link != nullptr; }
    QString describe() const;
    camsim::VirtualCamera* virtualCamera() const;

    // Firmware, status and ADC readings of every GM, and each GM's readout choices.
    bool readGMs(QList<tool::GMReadings>* a_Readings, QVector<GMReadout>* a_Readout, QString* a_Error) const;
    bool apply(const SystemSettings& a_Settings, QString* a_Error);

private:
    std::unique_ptr<tool::CameraLink> m_Link;
};

} // namespace gui

#endif
