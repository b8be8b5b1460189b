// Data packets built by hand, and a plain reference decoder that follows the
// decoding rules literally (every header, every footer, a fresh checksum for
// each), for comparison with the real decoder on randomised batches.
#ifndef QUORVEL_TEST_DECODERREFERENCE_H
#define QUORVEL_TEST_DECODERREFERENCE_H

#include <QByteArray>

#include <vector>

#include "acquisition/photon.h"

namespace decodertest {

inline QByteArray Record3(int a_Channel, int a_EnergyHigh, int a_EnergyLow)
{
    QByteArray record;
    record.append(static_cast<char>(a_Channel));
    record.append(static_cast<char>(a_EnergyHigh));
    record.append(static_cast<char>(a_EnergyLow));
    return record;
}

inline QByteArray Record5(int a_Channel, int a_EnergyHigh, int a_EnergyLow, int a_TimeHigh, int a_TimeLow)
{
    QByteArray record = Record3(a_Channel, a_EnergyHigh, a_EnergyLow);
    record.append(static_cast<char>(a_TimeHigh));
    record.append(static_cast<char>(a_TimeLow));
    return record;
}

// A whole packet; a_ChecksumError is added to the correct checksum.
inline QByteArray MakePacket(int a_GMID, int a_HeaderWord, int a_HeaderByte, const QByteArray& a_Records,
                             int a_ChecksumError = 0)
{
    QByteArray packet;
    packet.append(static_cast<char>(0xFE));
    packet.append(static_cast<char>(0x7E));
    packet.append(static_cast<char>(a_GMID));
    packet.append(static_cast<char>(a_HeaderWord >> 8));
    packet.append(static_cast<char>(a_HeaderWord));
    packet.append(static_cast<char>(a_HeaderByte));
    packet.append(a_Records);
    int sum = a_ChecksumError;
    for (char byte : packet)
        sum += static_cast<unsigned char>(byte);
    packet.append(static_cast<char>((sum >> 8) & 0xFF));
    packet.append(static_cast<char>(sum & 0xFF));
    packet.append(static_cast<char>(0xFD));
    packet.append(static_cast<char>(0x7F));
    return packet;
}

struct RefGM
{
    int m_ID = 1;
    int m_Options = 8;
    int m_ReadoutOptions = 0;
};

struct RefPacket
{
    int m_GMID = 0;
    int m_HeaderWord = 0;
    int m_HeaderByte = 0;
    std::vector<Photon> m_Photons;
};

// a_GMs is the active list (device list unless a_Loaded); a_Mode 2 is local.
std::vector<RefPacket> ReferenceDecode(const QByteArray& a_Batch, const std::vector<RefGM>& a_GMs, bool a_Loaded,
                                       int a_Mode);

} // namespace decodertest

#endif
