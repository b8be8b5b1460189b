#include "tools/camera/cameralink.h"

#include "camsim/virtualcamera.h"
#include "quorveldll.h"
#include "tools/files/configfileheader.h"
#include "tools/camera/embeddedcamera.h"
#include "tools/camera/eventwait.h"
#include "tools/camera/libraryevents.h"

#include <QHostAddress>
#include <QRegularExpression>

namespace tool {

namespace {
// The library waits up to 10 s for each step of its own; the tool allows the
// camera as long to announce its GMs.
constexpr int powerUpTimeoutMs = 10000;
} // namespace

CameraLink::CameraLink(const CameraOptions& a_Options)
    : m_Options(a_Options)
{
    LibraryEvents::install(a_Options.verbose);
}

CameraLink::~CameraLink()
{
    if (m_Connected)
        QuorvelDll::Disconnect();
    QuorvelDll::Close();
    LibraryEvents::uninstall();
    if (m_Camera)
        m_Camera->stop();
}

QList<int> CameraLink::gmIDs()
{
    // A GM ID is one byte in the packet header; 0 is never used.
    QList<int> ids;
    const int expected = QuorvelDll::GetNoOfGMs();
    for (int id = 1; id <= 255 && ids.size() < expected; ++id) {
        if (QuorvelDll::SetActiveGM(id))
            ids.append(id);
    }
    return ids;
}

QString CameraLink::lastError(const QString& a_Fallback)
{
    const QString text = QString::fromStdString(QuorvelDll::GetLastError());
    // The library says the same when there never was a connection and when the
    // camera closed it; the tool knows which.
    static const QRegularExpression unwritten(QStringLiteral("^Failed to write to register (\\d+)$"));
    const QRegularExpressionMatch match = unwritten.match(text);
    if (match.hasMatch())
        return LibraryEvents::controlLinkDropped()
            ? QStringLiteral("the camera closed the control connection (register %1 not written)").arg(match.captured(1))
            : QStringLiteral("not connected to the camera (register %1 not written)").arg(match.captured(1));
    return text.isEmpty() ? a_Fallback : text;
}

QString CameraLink::describe() const
{
    return m_Camera ? QStringLiteral("virtual camera at %1").arg(m_CameraAddress)
                    : QStringLiteral("camera %1").arg(m_CameraAddress);
}

bool CameraLink::startVirtualCamera(const QString& a_Address, QString* a_Error)
{
    camsim::CameraConfig config = m_Options.virtualCamera;
    config.address = a_Address;
    m_Camera = EmbeddedCamera::start(config, a_Address.isEmpty(), a_Error);
    if (!m_Camera)
        return false;
    m_CameraAddress = m_Camera->config().address;
    return true;
}

bool CameraLink::connect(QString* a_Error)
{
    QString host = m_Options.hostAddress;
    m_CameraAddress = m_Options.cameraAddress;
    if (m_Options.isEmbedded()) {
        if (!startVirtualCamera(m_Options.virtualAddress, a_Error))
            return false;
        host = m_CameraAddress; // host and camera share the loopback address
    }
    QuorvelDll::SetHostIPAddress(host.toUtf8().constData());
    QuorvelDll::SetCameraIPAddress(m_CameraAddress.toUtf8().constData());
    m_Connected = true; // a half-done Initialize still leaves sockets to close
    if (!QuorvelDll::Initialize()) {
        *a_Error = QStringLiteral("cannot connect to %1: %2").arg(describe(), lastError());
        return false;
    }
    return true;
}

bool CameraLink::powerUp(QString* a_Error)
{
    const int poweredUpBefore = LibraryEvents::poweredUpCount();
    if (!QuorvelDll::StartSys()) {
        *a_Error = QStringLiteral("cannot start the system: %1").arg(lastError());
        return false;
    }
    return waitForPowerUp(poweredUpBefore, a_Error);
}

bool CameraLink::waitForPowerUp(int a_PoweredUpBefore, QString* a_Error)
{
    // The status channel announces each GM and then one idle record; the GMs are
    // created from the announcements, which arrive before the idle record.
    waitFor([&] { return LibraryEvents::poweredUpCount() > a_PoweredUpBefore; }, powerUpTimeoutMs);
    if (QuorvelDll::GetNoOfGMs() < 1) {
        *a_Error = QStringLiteral("%1 reported no gamma modules within %2 s").arg(describe()).arg(powerUpTimeoutMs / 1000);
        return false;
    }
    return true;
}

bool CameraLink::load(const QString& a_Path, QString* a_Error)
{
    ConfigFileHeader header;
    if (!ConfigFileHeader::read(a_Path, &header, a_Error))
        return false;
    QString host = m_Options.hostAddress;
    m_CameraAddress = header.cameraAddress;
    if (m_Options.isEmbedded()) {
        if (!QHostAddress(header.cameraAddress).isLoopback()) {
            *a_Error = QStringLiteral("%1 names camera %2; give --camera %2 --host IP to load it into that camera")
                           .arg(a_Path, header.cameraAddress);
            return false;
        }
        if (!startVirtualCamera(header.cameraAddress, a_Error))
            return false;
        host = m_CameraAddress;
    } else if (header.cameraAddress != m_Options.cameraAddress) {
        *a_Error = QStringLiteral("%1 names camera %2, not %3; loading connects to the camera the file names")
                       .arg(a_Path, header.cameraAddress, m_Options.cameraAddress);
        return false;
    }
    QuorvelDll::SetHostIPAddress(host.toUtf8().constData());
    const int poweredUpBefore = LibraryEvents::poweredUpCount();
    m_Connected = true;
    if (!QuorvelDll::LoadConfiguration(a_Path.toUtf8().constData())) {
        *a_Error = QStringLiteral("cannot load %1: %2").arg(a_Path, lastError());
        return false;
    }
    return waitForPowerUp(poweredUpBefore, a_Error);
}

} // namespace tool
