// Controller operations of the system level: settings, the GBE control
// register (16) and the HV register (15).
#include "core/quorvel.h"
#include "core/registermap.h"

#include "asic/detectorcalcs.h"
#include "gammamodule/gammamodules.h"
#include "transport/register.h"

namespace {

constexpr unsigned char hvInitCommand1 = 0xF0;
constexpr unsigned char hvInitCommand2 = 0xC8;
constexpr unsigned char hvBiasCommand = 0x90;
constexpr int biasDivisor = 500;
constexpr double biasReference = 2.425;


} // namespace

bool Quorvel::SetDebugMode(bool a_Active)
{
    m_SysConfig.SetDebugMode(a_Active);
    return UpdateGBEControlRegister();
}

bool Quorvel::IsDebugModeActive() const
{
    return m_SysConfig.IsDebugModeActive();
}

bool Quorvel::TakeSysConfigResult(bool a_Accepted)
{
    return a_Accepted || FailOp(m_SysConfig.GetLastError());
}

bool Quorvel::SetMBMultiplexerAddressType(MBMultiplexerAddrType a_Type)
{
    return TakeSysConfigResult(m_SysConfig.SetMBMultiplexerAddressType(a_Type)) && UpdateGBEControlRegister();
}

MBMultiplexerAddrType Quorvel::GetMBMultiplexerAddressType() const
{
    return m_SysConfig.GetMBMultiplexerAddress();
}

bool Quorvel::SetSysTokenType(SysTokenType a_Type)
{
    return TakeSysConfigResult(m_SysConfig.SetTokenType(a_Type)) && UpdateGBEControlRegister();
}

SysTokenType Quorvel::GetSysTokenType() const
{
    return m_SysConfig.GetTokenType();
}

bool Quorvel::SetSysClockSpeed(SysClockSpeed a_Speed)
{
    return TakeSysConfigResult(m_SysConfig.SetSysClockSpeed(a_Speed)) && UpdateGBEControlRegister();
}

SysClockSpeed Quorvel::GetSysClockSpeed() const
{
    return m_SysConfig.GetSysClockSpeed();
}

bool Quorvel::SetBiasVoltage(int a_Volts)
{
    // The refusal is copied up as well, so a false result always has its message.
    return TakeSysConfigResult(m_SysConfig.SetBiasVoltage(a_Volts)) && UpdateBiasVoltageRegister();
}

int Quorvel::GetBiasVoltage() const
{
    return m_SysConfig.GetBiasVoltage();
}

bool Quorvel::SetPixelMappingMode(PixelMappingMode a_Mode)
{
    if (!TakeSysConfigResult(m_SysConfig.SetPixelMappingMode(a_Mode)))
        return false;
    emit pixelMappingModeChanged(a_Mode);
    return true;
}

PixelMappingMode Quorvel::GetPixelMappingMode() const
{
    return m_SysConfig.GetPixelMappingMode();
}

bool Quorvel::UpdateGBEControlRegister()
{
    if (m_CameraUpdateMode != CAMERA_UPDATE_MODE_IMMEDIATE)
        return true;
    QByteArray image = m_SysConfig.GetDataArray();
    if (m_SysControlBits & RegisterMap::PWR_ON)
        image[1] = static_cast<char>(image.at(1) | RegisterMap::PWR_ON);
    if (m_SysControlBits & RegisterMap::COLLECT)
        image[1] = static_cast<char>(image.at(1) | RegisterMap::COLLECT);
    Register request(RegisterMap::GBE_CONTROL, REGISTER_OP_WRITE);
    request.AddBytes(image);
    if (!m_CommunicationMGR.WriteSysControlRegister(request))
        return FailOp(m_CommunicationMGR.GetLastError());
    return true;
}

bool Quorvel::UpdateBiasVoltageRegister()
{
    if (m_CameraUpdateMode != CAMERA_UPDATE_MODE_IMMEDIATE)
        return true;
    const int code = DetectorCalcs::VoltsToDAC(m_SysConfig.GetBiasVoltage(), biasDivisor, biasReference);
    Register request(RegisterMap::HV, REGISTER_OP_WRITE);
    request.AddByte(hvBiasCommand);
    request.AddByte(static_cast<unsigned char>(code & 0xFF));
    // Copied so that a failing SendGBEControlData names its cause.
    if (!m_CommunicationMGR.WriteSysControlRegister(request))
        return FailOp(m_CommunicationMGR.GetLastError());
    return true;
}

void Quorvel::InitHV()
{
    Register first(RegisterMap::HV, REGISTER_OP_WRITE);
    first.AddByte(hvInitCommand1);
    first.AddByte(0x00);
    if (!m_CommunicationMGR.WriteSysControlRegister(first))
        return;
    Register second(RegisterMap::HV, REGISTER_OP_WRITE);
    second.AddByte(hvInitCommand2);
    second.AddByte(0x00);
    m_CommunicationMGR.WriteSysControlRegister(second);
}

bool Quorvel::WriteGBEControlImmediately()
{
    const CameraUpdateMode mode = m_CameraUpdateMode;
    m_CameraUpdateMode = CAMERA_UPDATE_MODE_IMMEDIATE;
    const bool written = UpdateGBEControlRegister();
    m_CameraUpdateMode = mode;
    return written;
}

bool Quorvel::StartSys()
{
    m_SysControlBits |= RegisterMap::PWR_ON;
    const bool written = WriteGBEControlImmediately();
    if (!written)
        m_SysControlBits &= ~RegisterMap::PWR_ON;
    return written;
}

bool Quorvel::StopSys()
{
    m_SysControlBits &= ~RegisterMap::PWR_ON;
    const bool written = WriteGBEControlImmediately();
    if (written) {
        // The status channel reports the GMs again at the next power-up.
        GammaModules* gms = GammaModules::GetInstance();
        const auto lock = gms->AccessLock();
        gms->Clear(GAMMA_MODULES_TYPE_DEVICE);
    } else {
        m_SysControlBits |= RegisterMap::PWR_ON;
    }
    return written;
}

bool Quorvel::SendGBEControlData()
{
    const CameraUpdateMode mode = m_CameraUpdateMode;
    m_CameraUpdateMode = CAMERA_UPDATE_MODE_IMMEDIATE;
    const bool written = UpdateBiasVoltageRegister() && UpdateGBEControlRegister();
    m_CameraUpdateMode = mode;
    return written;
}
