// Controller operations: host and camera addresses, direct register access and
// the GBE firmware version, all over the system control connection.
#include "core/quorvel.h"
#include "core/registermap.h"
#include "transport/register.h"

namespace {


struct SimTestWrite {
    int regNo;
    unsigned char msb;
    unsigned char lsb;
};
constexpr SimTestWrite simTestWrites[] = {
    {2, 0x22, 0x11}, {3, 0x01, 0x33}, {9, 0x55, 0x44}, {4, 0x8A, 0xAA}, {5, 0x8B, 0xBB},
    {6, 0x8C, 0xCC}, {7, 0x8D, 0xDD}, {8, 0x2E, 0xEE}, {10, 0x00, 0x64}, {1, 0x39, 0xBF},
};

} // namespace

void Quorvel::SetHostIPAddr(const std::string& a_Address)
{
    m_CommunicationMGR.SetHostIPAddress(QString::fromStdString(a_Address));
}

void Quorvel::SetCameraIPAddr(const std::string& a_Address)
{
    m_CommunicationMGR.SetRemoteIPAddress(QString::fromStdString(a_Address));
}

std::string Quorvel::GetCameraIPAddr() const
{
    return m_CommunicationMGR.GetRemoteIPAddress().toUtf8().toStdString();
}

bool Quorvel::IsValidRegisterNo(int a_Register)
{
    // Only seven bits carry the number: 144 would go out as a write of
    // register 16, the GBE control register.
    if (a_Register >= RegisterMap::FIRST && a_Register <= RegisterMap::LAST)
        return true;
    return FailOp(QStringLiteral("Register number must be between %1 and %2").arg(RegisterMap::FIRST).arg(RegisterMap::LAST));
}

bool Quorvel::RegDirectWrite(int a_Register, unsigned char a_MSB, unsigned char a_LSB)
{
    if (!IsValidRegisterNo(a_Register))
        return false;
    Register request(a_Register, REGISTER_OP_WRITE);
    request.AddByte(a_MSB);
    request.AddByte(a_LSB);
    if (!m_CommunicationMGR.WriteSysControlRegister(request))
        return FailOp(m_CommunicationMGR.GetLastError());
    return true;
}

bool Quorvel::RegDirectRead(int a_Register, unsigned char* a_MSB, unsigned char* a_LSB)
{
    if (!a_MSB || !a_LSB)
        return FailOp(QStringLiteral("MSB and LSB pointer arguments must point to objects"));
    if (!IsValidRegisterNo(a_Register))
        return false;
    Register request(a_Register, REGISTER_OP_READ);
    request.AddReadBytes(2);
    QByteArray reply;
    if (!m_CommunicationMGR.ReadSysControlRegister(request, &reply))
        return FailOp(m_CommunicationMGR.GetLastError());
    *a_MSB = Register::ReplyByte(reply, 1);
    *a_LSB = Register::ReplyByte(reply, 2);
    return true;
}

bool Quorvel::GetGBEFirmwareVersion(int* a_Version)
{
    if (!m_Initialized)
        return FailOp(QStringLiteral("System has not been initialized yet"));
    if (!a_Version)
        return false;
    Register request(RegisterMap::GBE_FIRMWARE, REGISTER_OP_READ);
    request.AddReadBytes(2);
    QByteArray reply;
    if (!m_CommunicationMGR.ReadSysControlRegister(request, &reply))
        return FailOp(m_CommunicationMGR.GetLastError());
    *a_Version = static_cast<signed char>(Register::ReplyByte(reply, 2));
    return true;
}

void Quorvel::DoSimTest()
{
    for (const SimTestWrite& write : simTestWrites) {
        Register request(write.regNo, REGISTER_OP_WRITE);
        request.AddByte(write.msb);
        request.AddByte(write.lsb);
        m_CommunicationMGR.WriteSimulatorRegister(request);
    }
}

void Quorvel::IncorrectRegisterTest()
{
    Register request(RegisterMap::DIAGNOSTIC, REGISTER_OP_READ);
    QByteArray reply;
    m_CommunicationMGR.ReadSysControlRegister(request, &reply);
}
