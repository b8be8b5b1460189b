// System configuration and control.
#include "quorveldll.h"

#include "core/quorvel.h"

bool QuorvelDll::StartSys()
{
    return Quorvel::GetInstance()->StartSys();
}

bool QuorvelDll::StopSys()
{
    return Quorvel::GetInstance()->StopSys();
}

bool QuorvelDll::SetDebugMode(bool a_Active)
{
    return Quorvel::GetInstance()->SetDebugMode(a_Active);
}

bool QuorvelDll::IsDebugModeActive()
{
    return Quorvel::GetInstance()->IsDebugModeActive();
}

bool QuorvelDll::SetMBMultiplexerAddressType(MBMultiplexerAddrType a_Type)
{
    return Quorvel::GetInstance()->SetMBMultiplexerAddressType(a_Type);
}

MBMultiplexerAddrType QuorvelDll::GetMBMultiplexerAddressType()
{
    return Quorvel::GetInstance()->GetMBMultiplexerAddressType();
}

bool QuorvelDll::SetPacketTransferRate(int a_Rate)
{
    return Quorvel::GetInstance()->SetPacketTransferRate(a_Rate);
}

int QuorvelDll::GetPacketTransferRate()
{
    return Quorvel::GetInstance()->GetPacketTransferRate();
}

bool QuorvelDll::SetSysTokenType(SysTokenType a_Type)
{
    return Quorvel::GetInstance()->SetSysTokenType(a_Type);
}

SysTokenType QuorvelDll::GetSysTokenType()
{
    return Quorvel::GetInstance()->GetSysTokenType();
}

bool QuorvelDll::SetPixelMappingMode(PixelMappingMode a_Mode)
{
    return Quorvel::GetInstance()->SetPixelMappingMode(a_Mode);
}

PixelMappingMode QuorvelDll::GetPixelMappingMode()
{
    return Quorvel::GetInstance()->GetPixelMappingMode();
}

bool QuorvelDll::SendGBEControlData()
{
    return Quorvel::GetInstance()->SendGBEControlData();
}

bool QuorvelDll::SetCameraUpdateMode(CameraUpdateMode a_Mode)
{
    return Quorvel::GetInstance()->SetCameraUpdateMode(a_Mode);
}

CameraUpdateMode QuorvelDll::GetCameraUpdateMode()
{
    return Quorvel::GetInstance()->GetCameraUpdateMode();
}
