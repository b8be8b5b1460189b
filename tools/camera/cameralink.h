// The tool's connection to a camera through the library: start the virtual camera
// if there is no real one, initialise the link, power the camera up, and take it
// all down again in order at the end.
#ifndef TOOLS_CAMERALINK_H
#define TOOLS_CAMERALINK_H

#include "tools/commands/cameraoptions.h"

#include <QList>
#include <QString>
#include <memory>

namespace camsim {
class VirtualCamera;
}

namespace tool {

class CameraLink {
public:
    explicit CameraLink(const CameraOptions& a_Options);
    ~CameraLink(); // Disconnect and Close in the library, then stop the virtual camera
    CameraLink(const CameraLink&) = delete;
    CameraLink& operator=(const CameraLink&) = delete;

    // Starts the virtual camera (embedded), sets the addresses and initialises.
    bool connect(QString* a_Error);
    // Starts the system and waits until the camera has reported its GMs.
    bool powerUp(QString* a_Error);
    // Loads a configuration file, which connects to the camera the file names and
    // powers it up; the virtual camera is started at that address if it is a
    // loopback address.
    bool load(const QString& a_Path, QString* a_Error);

    camsim::VirtualCamera* virtualCamera() const { return m_Camera.get(); }
    const CameraOptions& options() const { return m_Options; }
    QString cameraAddress() const { return m_CameraAddress; }
    QString describe() const; // "virtual camera at 127.1.2.3" or "camera 192.168.0.20"

    // The IDs of the GMs the camera announced, in increasing order. The library
    // has no list of them, so the IDs a GM can have are tried in turn (a local
    // check, nothing is sent to the camera); the active GM is left unset.
    static QList<int> gmIDs();

    // The library's last error, or a_Fallback if it is empty.
    static QString lastError(const QString& a_Fallback = QString());

private:
    bool startVirtualCamera(const QString& a_Address, QString* a_Error);
    bool waitForPowerUp(int a_PoweredUpBefore, QString* a_Error);

    CameraOptions m_Options;
    std::unique_ptr<camsim::VirtualCamera> m_Camera;
    QString m_CameraAddress;
    bool m_Connected = false;
};

} // namespace tool

#endif
