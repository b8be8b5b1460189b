#include "camsim/registerfile.h"

namespace camsim {

RegisterFile::RegisterFile(const CameraConfig& config)
    : m_GmIds(config.gmIds)
{
    m_System.insert(firmwareRegister, config.firmwareVersion);
    for (int id : config.gmIds) {
        GmRegisters gm;
        gm.bytes.insert(19, config.gmStatus);
        gm.bytes.insert(gmIdRegister, static_cast<quint8>(id));
        gm.bytes.insert(firmwareRegister, config.gmFirmwareVersion);
        // A plausible supply reading: near 0.9 V and 0.5 V on a 2 V, 12-bit scale.
        gm.adc[0] = static_cast<quint16>(1843 + id);
        gm.adc[1] = static_cast<quint16>(1024 + 3 * id);
        gm.globalImage = QByteArray(RequestParser::globalImageBytes, '\0');
        gm.channelImage = QByteArray(RequestParser::channelImageBytes, '\0');
        m_Gms.insert(id, gm);
    }
}

void RegisterFile::setSystem(int reg, quint16 value)
{
    m_System.insert(reg, value);
    if (reg == hvRegister)
        m_HvCommands.append(value);
}

quint8 RegisterFile::gm(int gmId, int reg) const
{
    const auto it = m_Gms.constFind(gmId);
    return it == m_Gms.constEnd() ? quint8(0) : it->bytes.value(reg, 0);
}

void RegisterFile::setGm(int gmId, int reg, quint8 value)
{
    auto it = m_Gms.find(gmId);
    if (it != m_Gms.end())
        it->bytes.insert(reg, value);
}

quint16 RegisterFile::adc(int gmId, int adc) const
{
    const auto it = m_Gms.constFind(gmId);
    return (it == m_Gms.constEnd() || adc < 1 || adc > 2) ? quint16(0) : it->adc[adc - 1];
}

void RegisterFile::setAdc(int gmId, int adc, quint16 value)
{
    auto it = m_Gms.find(gmId);
    if (it != m_Gms.end() && adc >= 1 && adc <= 2)
        it->adc[adc - 1] = value;
}

QByteArray RegisterFile::asicImage(int gmId, int reg) const
{
    const auto it = m_Gms.constFind(gmId);
    if (it == m_Gms.constEnd())
        return {};
    return reg == globalImageRegister ? it->globalImage : reg == channelImageRegister ? it->channelImage : QByteArray();
}

void RegisterFile::setAsicImage(int gmId, int reg, const QByteArray& image)
{
    auto it = m_Gms.find(gmId);
    if (it == m_Gms.end())
        return;
    // Own copies: the caller's array may live on another thread.
    if (reg == globalImageRegister && image.size() == RequestParser::globalImageBytes)
        it->globalImage = QByteArray(image.constData(), image.size());
    else if (reg == channelImageRegister && image.size() == RequestParser::channelImageBytes)
        it->channelImage = QByteArray(image.constData(), image.size());
}

void RegisterFile::apply(const ParsedRequest& request)
{
    switch (request.kind) {
    case ParsedRequest::SystemWrite:
        setSystem(request.reg, request.value);
        break;
    case ParsedRequest::GmWrite:
        setGm(request.gmId, request.reg, static_cast<quint8>(request.value));
        break;
    case ParsedRequest::AsicWrite:
        setAsicImage(request.gmId, request.reg, request.image);
        break;
    default:
        break;
    }
}

QByteArray RegisterFile::readReply(const ParsedRequest& request) const
{
    QByteArray reply;
    reply.append(static_cast<char>(request.reg));
    switch (request.kind) {
    case ParsedRequest::SystemRead: {
        const quint16 value = system(request.reg);
        reply.append(static_cast<char>(value >> 8));
        reply.append(static_cast<char>(value & 0xFF));
        break;
    }
    case ParsedRequest::GmRead:
        reply.append(static_cast<char>(request.gmId));
        if (request.reg == adc1Register || request.reg == adc2Register) {
            const quint16 value = adc(request.gmId, request.reg - adc1Register + 1);
            reply.append(static_cast<char>(value >> 8));
            reply.append(static_cast<char>(value & 0xFF));
        } else {
            reply.append(static_cast<char>(gm(request.gmId, request.reg)));
        }
        break;
    default:
        break;
    }
    return reply;
}

int RegisterFile::imagePacketRate() const
{
    const int code = (system(gbeControlRegister) >> 8) >> 2;
    return (code + 1) * 1000;
}

bool RegisterFile::isChannelMasked(int gmId, int channel) const
{
    const auto it = m_Gms.constFind(gmId);
    return it != m_Gms.constEnd() && isChannelMasked(it->channelImage, channel);
}

bool RegisterFile::isChannelMasked(const QByteArray& channelImage, int channel)
{
    if (channelImage.size() != RequestParser::channelImageBytes || channel < 0 || channel > 129)
        return false;
    // Channel bytes 0..127 are anodes 1..128, 128 and 129 the two cathodes; bit 0
    // of each channel word is its mask bit.
    int bit;
    if (channel < 64)
        bit = 4 + 13 * channel;
    else if (channel < 128)
        bit = 888 + 13 * (channel - 64);
    else
        bit = channel == 128 ? 836 : 862;
    const int byteIndex = RequestParser::channelImageBytes - 1 - bit / 8;
    return (static_cast<quint8>(channelImage.at(byteIndex)) >> (bit % 8)) & 1;
}

} // namespace camsim
