// Library, connection and errors; system control and direct register access.
// Every function forwards to one controller operation and returns its result.
#include "quorveldll.h"

#include "core/quorvel.h"

namespace {
// A null address counts as an empty one: the connection then fails cleanly.
std::string addressText(const char* a_Address)
{
    return a_Address ? std::string(a_Address) : std::string();
}
} // namespace

std::string QuorvelDll::GetVersion()
{
    return "42.1.21.49";
}

void QuorvelDll::SetHostIPAddress(const char* a_Address)
{
    Quorvel::GetInstance()->SetHostIPAddr(addressText(a_Address));
}

void QuorvelDll::SetCameraIPAddress(const char* a_Address)
{
    Quorvel::GetInstance()->SetCameraIPAddr(addressText(a_Address));
}

std::string QuorvelDll::GetCameraIPAddress()
{
    return Quorvel::GetInstance()->GetCameraIPAddr();
}

void QuorvelDll::Close()
{
    Quorvel::GetInstance();
    Quorvel::DeleteInstance();
}

std::string QuorvelDll::GetLastError()
{
    return Quorvel::GetInstance()->GetLastError();
}

void QuorvelDll::SetConnectStatusFunction(void (*a_Func)(const char*))
{
    Quorvel::GetInstance()->SetConnectStatusFunc(a_Func);
}

void QuorvelDll::SetSysStatusFunction(void (*a_Func)(const char*))
{
    Quorvel::GetInstance()->SetSysStatusFunc(a_Func);
}

void QuorvelDll::SetToolbarStatusFunction(void (*a_Func)(const char*))
{
    Quorvel::GetInstance()->SetToolbarStatusFunc(a_Func);
}

void QuorvelDll::SetOperationErrorFunction(void (*a_Func)(const char*))
{
    Quorvel::GetInstance()->SetOperationErrorFunc(a_Func);
}

void QuorvelDll::SetOperationProgressFunction(void (*a_Func)(int))
{
    Quorvel::GetInstance()->SetOperationProgressFunc(a_Func);
}

void QuorvelDll::SetOperationCompleteFunction(void (*a_Func)())
{
    Quorvel::GetInstance()->SetOperationCompleteFunc(a_Func);
}

bool QuorvelDll::GetGBEFirmwareVersion(int* a_Version)
{
    return Quorvel::GetInstance()->GetGBEFirmwareVersion(a_Version);
}

bool QuorvelDll::RegWrite(int a_Register, unsigned char a_MSB, unsigned char a_LSB)
{
    return Quorvel::GetInstance()->RegDirectWrite(a_Register, a_MSB, a_LSB);
}

bool QuorvelDll::RegRead(int a_Register, unsigned char* a_MSB, unsigned char* a_LSB)
{
    return Quorvel::GetInstance()->RegDirectRead(a_Register, a_MSB, a_LSB);
}
