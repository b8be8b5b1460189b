#include "core/quorvelsysconfig.h"

namespace {

// Camera codes of the multiplexer address types; other stored values go out as they are.
struct MultiplexerCode {
    MBMultiplexerAddrType type;
    int code;
};
constexpr MultiplexerCode multiplexerCodes[] = {
    {MB_MULTIPLEXER_ADDR_TYPE_0, 0},
    {MB_MULTIPLEXER_ADDR_TYPE_1, 2},
    {MB_MULTIPLEXER_ADDR_TYPE_2, 3},
    {MB_MULTIPLEXER_ADDR_TYPE_3, 1},
};

constexpr int multiplexerCodeMask = 0x0F;

struct ClockCode {
    SysClockSpeed speed;
    int code;
};
constexpr ClockCode clockCodes[] = {
    {SYS_CLOCK_SPEED_2, 1},
    {SYS_CLOCK_SPEED_3, 2},
    {SYS_CLOCK_SPEED_4, 3},
};

constexpr int tokenType2Bit = 0x08;
constexpr int debugModeBit = 0x04;

} // namespace

void QuorvelSysConfig::SetDebugMode(bool a_Active)
{
    m_DebugMode = a_Active;
}

bool QuorvelSysConfig::IsDebugModeActive() const
{
    return m_DebugMode;
}

bool QuorvelSysConfig::SetTokenType(SysTokenType a_Type)
{
    if (a_Type == SYS_TOKEN_TYPE_UNDEFINED) {
        m_LastError = QStringLiteral("Undefined sys token type detected");
        return false;
    }
    m_TokenType = a_Type;
    return true;
}

SysTokenType QuorvelSysConfig::GetTokenType() const
{
    return m_TokenType;
}

bool QuorvelSysConfig::SetMBMultiplexerAddressType(MBMultiplexerAddrType a_Type)
{
    if (a_Type == MB_MULTIPLEXER_ADDR_TYPE_UNDEFINED) {
        m_LastError = QStringLiteral("Undefined MB multiplexer addresss type detected");
        return false;
    }
    m_MBMultiplexerAddrType = a_Type;
    return true;
}

MBMultiplexerAddrType QuorvelSysConfig::GetMBMultiplexerAddress() const
{
    return m_MBMultiplexerAddrType;
}

bool QuorvelSysConfig::SetPacketTransferRate(int a_Rate)
{
    if (a_Rate % PacketTransferRateStep != 0) {
        m_LastError = QStringLiteral("Packet Transfer value must be a multiple of %1").arg(PacketTransferRateStep);
        return false;
    }
    if (a_Rate < MinPacketTransferRate || a_Rate > MaxPacketTransferRate) {
        m_LastError = QStringLiteral("Packet Transfer must be between %1 and %2").arg(MinPacketTransferRate).arg(MaxPacketTransferRate);
        return false;
    }
    m_PacketTransferRate = a_Rate;
    return true;
}

int QuorvelSysConfig::GetPacketTransferRate() const
{
    return m_PacketTransferRate;
}

bool QuorvelSysConfig::SetBiasVoltage(int a_Volts)
{
    if (a_Volts < MinBiasVoltage || a_Volts > MaxBiasVoltage) {
        m_LastError = QStringLiteral("Bias Voltage value must be between %1 and %2").arg(MinBiasVoltage).arg(MaxBiasVoltage);
        return false;
    }
    m_BiasVoltage = a_Volts;
    return true;
}

int QuorvelSysConfig::GetBiasVoltage() const
{
    return m_BiasVoltage;
}

bool QuorvelSysConfig::SetSysClockSpeed(SysClockSpeed a_Speed)
{
    if (a_Speed == SYS_CLOCK_SPEED_UNDEFINED) {
        m_LastError = QStringLiteral("Undefined clock speed detected");
        return false;
    }
    m_SysClockSpeed = a_Speed;
    return true;
}

SysClockSpeed QuorvelSysConfig::GetSysClockSpeed() const
{
    return m_SysClockSpeed;
}

bool QuorvelSysConfig::SetPixelMappingMode(PixelMappingMode a_Mode)
{
    if (static_cast<int>(a_Mode) == 0) {
        m_LastError = QStringLiteral("Undefined pixel mapping mode detected");
        return false;
    }
    m_PixelMappingMode = a_Mode;
    return true;
}

PixelMappingMode QuorvelSysConfig::GetPixelMappingMode() const
{
    return m_PixelMappingMode;
}

int QuorvelSysConfig::GetMBMultiplexerAddrTypeBits() const
{
    for (const MultiplexerCode& entry : multiplexerCodes) {
        if (entry.type == m_MBMultiplexerAddrType)
            return entry.code;
    }
    return m_MBMultiplexerAddrType;
}

int QuorvelSysConfig::GetSysClockSpeedBits() const
{
    for (const ClockCode& entry : clockCodes) {
        if (entry.speed == m_SysClockSpeed)
            return entry.code;
    }
    return 0;
}

QByteArray QuorvelSysConfig::GetDataArray() const
{
    // Byte 0: rate / 1000 - 1 in bits 7..2, the code's upper bits below.
    // Byte 1: the code's low two bits on top, clock code, token and debug bits.
    // The code field is four bits wide: a stored type outside the defined ones
    // must not reach the rate bits of byte 0 or beyond byte 1's top bits.
    const int code = GetMBMultiplexerAddrTypeBits() & multiplexerCodeMask;
    const int codeHigh = code >> 2;
    const int byte0 = ((m_PacketTransferRate / PacketTransferRateStep) * 4 - 4) | codeHigh;
    // Unsigned, so an odd stored type cannot overflow; only eight bits are kept.
    unsigned int byte1 = (static_cast<unsigned int>(code) * 64u) | static_cast<unsigned int>(GetSysClockSpeedBits() * 16);
    if (m_TokenType == SYS_TOKEN_TYPE_2)
        byte1 |= tokenType2Bit;
    if (m_DebugMode)
        byte1 |= debugModeBit;
    QByteArray image;
    image.append(static_cast<char>(byte0 & 0xFF));
    image.append(static_cast<char>(byte1 & 0xFF));
    return image;
}

const QString& QuorvelSysConfig::GetLastError() const
{
    return m_LastError;
}
