// Controller operations: host and camera addresses, direct register access and
// the GBE firmware version, all over the system control connection.
#include "core/quorvel.h"
#include "transport/register.h"

namespace {

constexpr int minRegisterNo = 0;
constexpr int maxRegisterNo = 127;
constexpr int gbeFirmwareVersionRegister = 127;
constexpr int diagnosticRegister = 17;

struct SimTestWrite {
    int regNo;
    unsigned char msb;
    unsigned char lsb;
};
constexpr SimTestWrite simTestWrites[] = {
    {2, 0x22, 0x11}, {3, 0x01, 0x33}, {9, 0x55, 0x44}, {4, 0x8A, 0xAA}, {5, 0x8B, 0xBB},
    {6, 0x8C, 0xCC}, {7, 0x8D, 0xDD}, {8, 0x2E, 0xEE}, {10, 0x00, 0x64}, {1, 0x39, 0xBF},
};

unsigned char replyByte(const QByteArray& a_Reply, int a_Index)
{
    return a_Index < a_Reply.size() ? static_cast<unsigned char>(a_Reply.at(a_Index)) : 0;
}

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
    if (a_Register >= minRegisterNo && a_Register <= maxRegisterNo)
        return true;
    m_LastError = QStringLiteral("Register number must be between %1 and %2").arg(minRegisterNo).arg(maxRegisterNo);
    return false;
}

bool Quorvel::RegDirectWrite(int a_Register, unsigned char a_MSB, unsigned char a_LSB)
{
    if (!IsValidRegisterNo(a_Register))
        return false;
    Register request(a_Register, REGISTER_OP_WRITE);
    request.AddByte(a_MSB);
    request.AddByte(a_LSB);
    if (!m_CommunicationMGR.WriteSysControlRegister(request)) {
        m_LastError = m_CommunicationMGR.GetLastError();
        return false;
    }
    return true;
}

bool Quorvel::RegDirectRead(int a_Register, unsigned char* a_MSB, unsigned char* a_LSB)
{
    if (!a_MSB || !a_LSB) {
        m_LastError = QStringLiteral("MSB and LSB pointer arguments must point to objects");
        return false;
    }
    if (!IsValidRegisterNo(a_Register))
        return false;
    Register request(a_Register, REGISTER_OP_READ);
    request.AddReadBytes(2);
    QByteArray reply;
    if (!m_CommunicationMGR.ReadSysControlRegister(request, &reply)) {
        m_LastError = m_CommunicationMGR.GetLastError();
        return false;
    }
    *a_MSB = replyByte(reply, 1);
    *a_LSB = replyByte(reply, 2);
    return true;
}

bool Quorvel::GetGBEFirmwareVersion(int* a_Version)
{
    if (!m_Initialized) {
        m_LastError = QStringLiteral("System has not been initialized yet");
        return false;
    }
    if (!a_Version)
        return false;
    Register request(gbeFirmwareVersionRegister, REGISTER_OP_READ);
    request.AddReadBytes(2);
    QByteArray reply;
    if (!m_CommunicationMGR.ReadSysControlRegister(request, &reply)) {
        m_LastError = m_CommunicationMGR.GetLastError();
        return false;
    }
    *a_Version = static_cast<signed char>(replyByte(reply, 2));
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
    Register request(diagnosticRegister, REGISTER_OP_READ);
    QByteArray reply;
    m_CommunicationMGR.ReadSysControlRegister(request, &reply);
}
