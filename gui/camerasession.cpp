#include "gui/camerasession.h"

#include "quorveldll.h"
#include "tools/camera/cameralink.h"
#include "tools/commands/acquiresettings.h"

namespace gui {

CameraSession::CameraSession() = default;
CameraSession::~CameraSession() = default;

bool CameraSession::connect(const tool::CameraOptions& a_Options, QString* a_Error)
{
    disconnect();
    auto link = std::make_unique<tool::CameraLink>(a_Options);
    if (!link->connect(a_Error) || !link->powerUp(a_Error))
        return false; // the link's destructor takes down what was set up
    m_Link = std::move(link);
    return true;
}

void CameraSession::disconnect()
{
    m_Link.reset();
}

QString CameraSession::describe() const
{
    return m_Link ? m_Link->describe() : QStringLiteral("not connected");
}

camsim::VirtualCamera* CameraSession::virtualCamera() const
{
    return m_Link ? m_Link->virtualCamera() : nullptr;
}

bool CameraSession::readGMs(QList<tool::GMReadings>* a_Readings, QVector<GMReadout>* a_Readout, QString* a_Error) const
{
    a_Readings->clear();
    a_Readout->clear();
    for (int id : tool::CameraLink::gmIDs()) {
        tool::GMReadings readings;
        GMReadout readout;
        readout.id = id;
        GMReadoutMode mode = GM_READOUT_MODE_UNDEFINED;
        if (!tool::GMReadings::read(id, &readings, a_Error))
            return false;
        if (!QuorvelDll::GetGMReadoutMode(&mode) || !QuorvelDll::GetGMReadoutOptions(&readout.options)) {
            *a_Error = QStringLiteral("cannot read the readout of GM %1: %2").arg(id).arg(tool::CameraLink::lastError());
            return false;
        }
        readout.mode = mode;
        a_Readings->append(readings);
        a_Readout->append(readout);
    }
    return true;
}

bool CameraSession::apply(const SystemSettings& a_Settings, QString* a_Error)
{
    tool::AcquireSettings system;
    system.numbers = a_Settings.numbers;
    system.packetRate = a_Settings.packetRate;
    if (!system.apply(false, a_Error))
        return false;
    // Choosing a GM sets the update type to that GM alone.
    for (const GMReadout& gm : a_Settings.gms) {
        if (!QuorvelDll::SetActiveGM(gm.id) || !QuorvelDll::SetGMReadoutMode(static_cast<GMReadoutMode>(gm.mode))
            || !QuorvelDll::SetGMReadoutOptions(gm.options) || !QuorvelDll::SendGMData()) {
            *a_Error = QStringLiteral("cannot set the readout of GM %1: %2").arg(gm.id).arg(tool::CameraLink::lastError());
            return false;
        }
    }
    return true;
}

} // namespace gui
