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
    const char record[] = {char(a_Channel), char(a_EnergyHigh), char(a_EnergyLow)};
    return QByteArray(record, 3);
}

inline QByteArray Record5(int a_Channel, int a_EnergyHigh, int a_EnergyLow, int a_TimeHigh, int a_TimeLow)
{
    const char time[] = {char(a_TimeHigh), char(a_TimeLow)};
    return Record3(a_Channel, a_EnergyHigh, a_EnergyLow) + QByteArray(time, 2);
}

// A whole packet; a_ChecksumError is added to the correct checksum.
inline QByteArray MakePacket(int a_GMID, int a_HeaderWord, int a_HeaderByte, const QByteArray& a_Records,
                             int a_ChecksumError = 0)
{
    const char header[] = {char(0xFE), char(0x7E), char(a_GMID), char(a_HeaderWord >> 8), char(a_HeaderWord),
                           char(a_HeaderByte)};
    const QByteArray packet = QByteArray(header, 6) + a_Records;
    int sum = a_ChecksumError;
    for (char byte : packet)
        sum += static_cast<unsigned char>(byte);
    const char footer[] = {char(sum >> 8), char(sum), char(0xFD), char(0x7F)};
    return packet + QByteArray(footer, 4);
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

// The GM whose settings the decoder uses for a GM byte: that GM's, or the last GM's.
const RefGM* FindGM(const std::vector<RefGM>& a_GMs, int a_ID);

// Replaces the GMs of the process-wide list with a_GMs (the loaded or the device
// ones) and makes them active; false if a GM refused its options.
bool InstallGMs(const std::vector<RefGM>& a_GMs, bool a_Loaded);

// The packets of the store, as the reference decoder gives them.
std::vector<RefPacket> StoredPackets();

// What first differs between two packet lists (nullptr if nothing), and in
// which packet.
const char* FirstDifference(const std::vector<RefPacket>& a_Actual, const std::vector<RefPacket>& a_Expected,
                            size_t* a_pPacket);

// a_GMs is the active list (device list unless a_Loaded); a_Mode 2 is local.
std::vector<RefPacket> ReferenceDecode(const QByteArray& a_Batch, const std::vector<RefGM>& a_GMs, bool a_Loaded,
                                       int a_Mode);

} // namespace decodertest

#endif
