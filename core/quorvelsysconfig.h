// System-level settings of the camera and the two-byte image of its GBE
// control register (system register 16).
#ifndef QUORVEL_QUORVELSYSCONFIG_H
#define QUORVEL_QUORVELSYSCONFIG_H

#include "quorveldll.h"

#include <QByteArray>
#include <QString>

enum SysClockSpeed : int {
    SYS_CLOCK_SPEED_UNDEFINED = 0,
    SYS_CLOCK_SPEED_1 = 1,
    SYS_CLOCK_SPEED_2 = 2,
    SYS_CLOCK_SPEED_3 = 3,
    SYS_CLOCK_SPEED_4 = 4
};

class QuorvelSysConfig
{
public:
    static constexpr int PacketTransferRateStep = 1000;
    static constexpr int MinPacketTransferRate = 1000;
    static constexpr int MaxPacketTransferRate = 63000;
    static constexpr int MinBiasVoltage = 0;
    static constexpr int MaxBiasVoltage = 1200;

    void SetDebugMode(bool a_Active);
    bool IsDebugModeActive() const;
    bool SetTokenType(SysTokenType a_Type);
    SysTokenType GetTokenType() const;
    bool SetMBMultiplexerAddressType(MBMultiplexerAddrType a_Type);
    MBMultiplexerAddrType GetMBMultiplexerAddress() const;
    bool SetPacketTransferRate(int a_Rate);
    int GetPacketTransferRate() const;
    bool SetBiasVoltage(int a_Volts);
    int GetBiasVoltage() const;
    bool SetSysClockSpeed(SysClockSpeed a_Speed);
    SysClockSpeed GetSysClockSpeed() const;
    bool SetPixelMappingMode(PixelMappingMode a_Mode);
    PixelMappingMode GetPixelMappingMode() const;

    // The two-bit multiplexer code sent to the camera.
    int GetMBMultiplexerAddrTypeBits() const;
    // The GBE control image without the power and collect bits.
    QByteArray GetDataArray() const;
    const QString& GetLastError() const;

private:
    int GetSysClockSpeedBits() const;

    bool m_DebugMode = false;
    MBMultiplexerAddrType m_MBMultiplexerAddrType = MB_MULTIPLEXER_ADDR_TYPE_0;
    int m_PacketTransferRate = 1000;
    int m_BiasVoltage = 0;
    SysClockSpeed m_SysClockSpeed = SYS_CLOCK_SPEED_1;
    SysTokenType m_TokenType = SYS_TOKEN_TYPE_1;
    PixelMappingMode m_PixelMappingMode = PIXEL_MAPPING_MODE_LOCAL;
    QString m_LastError;
};

#endif // QUORVEL_QUORVELSYSCONFIG_H
