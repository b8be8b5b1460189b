// The camera's registers: system registers (16-bit values), per GM the one-byte
// registers 18..28 and 127, the two ADC readings and the ASIC images 29 and 30.
// Not thread-safe: CameraState guards it.
#ifndef CAMSIM_REGISTERFILE_H
#define CAMSIM_REGISTERFILE_H

#include "camsim/cameraconfig.h"
#include "camsim/requestparser.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QVector>

namespace camsim {

class RegisterFile {
public:
    static constexpr int dataPortRegister = 14;
    static constexpr int hvRegister = 15;
    static constexpr int gbeControlRegister = 16;
    static constexpr int firmwareRegister = 127;
    static constexpr int gmIdRegister = 20;
    static constexpr int asicModeRegister = 21;
    static constexpr int adc1Register = 26;
    static constexpr int adc2Register = 27;
    static constexpr int globalImageRegister = 29;
    static constexpr int channelImageRegister = 30;
    static constexpr quint16 pwrOn = 0x01;  // GBE control byte 1
    static constexpr quint16 collect = 0x02;

    explicit RegisterFile(const CameraConfig& config);

    const QVector<int>& gmIds() const { return m_GmIds; }
    bool hasGm(int gmId) const { return m_Gms.contains(gmId); }

    quint16 system(int reg) const { return m_System.value(reg, 0); }
    void setSystem(int reg, quint16 value);
    quint8 gm(int gmId, int reg) const;
    void setGm(int gmId, int reg, quint8 value);
    quint16 adc(int gmId, int adc) const;
    void setAdc(int gmId, int adc, quint16 value);
    QByteArray asicImage(int gmId, int reg) const;
    void setAsicImage(int gmId, int reg, const QByteArray& image);
    QList<quint16> hvCommands() const { return m_HvCommands; }

    // Applies a write request; reads leave the registers alone.
    void apply(const ParsedRequest& request);
    // The reply a read request gets: system [reg, MSB, LSB], GM [reg, GM ID, value],
    // ADC [reg, GM ID, high, low], diagnostic [reg].
    QByteArray readReply(const ParsedRequest& request) const;

    // Packet rate (packets/s) from the GBE image: bits 7..2 of its first byte hold rate / 1000 - 1.
    int imagePacketRate() const;
    // Whether a channel byte is masked in the GM's channel image (register 30): channel
    // bytes 0..127 are anodes 1..128, bytes 128 and 129 the cathodes 1 and 2.
    bool isChannelMasked(int gmId, int channel) const;
    static bool isChannelMasked(const QByteArray& channelImage, int channel);

private:
    struct GmRegisters {
        QMap<int, quint8> bytes;
        quint16 adc[2] {0, 0};
        QByteArray globalImage;
        QByteArray channelImage;
    };
    QVector<int> m_GmIds;
    QMap<int, quint16> m_System;
    QMap<int, GmRegisters> m_Gms;
    QList<quint16> m_HvCommands;
};

} // namespace camsim

#endif
