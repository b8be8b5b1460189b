// Data packet framing, camera side: header FE 7E, GM ID, header word, header byte,
// photon records, 16-bit additive checksum, footer FD 7F.
#ifndef CAMSIM_PACKETBUILDER_H
#define CAMSIM_PACKETBUILDER_H

#include <QByteArray>
#include <QVector>

namespace camsim {

struct PhotonRecord {
    quint8 channel = 0;
    qint16 energy = 0;     // ADC units; negative values only go out with NEGATIVE_EN
    qint16 timeDetect = 0; // only sent in 5-byte records (TD_EN)
};

namespace packetformat {
constexpr quint8 header1 = 0xFE;
constexpr quint8 header2 = 0x7E;
constexpr quint8 footer1 = 0xFD;
constexpr quint8 footer2 = 0x7F;
constexpr int frameBytes = 10; // header, GM ID, word, byte, checksum, footer
constexpr quint8 posEnergyBit = 0x80;
constexpr quint8 negEnergyBit = 0x20;
constexpr quint8 posTimeDetectBit = 0x40;
constexpr quint8 negTimeDetectBit = 0x10;
constexpr quint8 negativeEnable = 0x08; // GM register 21
constexpr quint8 timeDetectEnable = 0x10; // GM register 21
inline int recordBytes(bool timeDetect) { return timeDetect ? 5 : 3; }
} // namespace packetformat

// Writes one photon record (3 or 5 bytes) at out. With negativeEnable the sign
// flags are set; without it negative values are sent as 0.
void encodePhoton(const PhotonRecord& photon, bool timeDetect, bool negativeEnable, quint8* out);

// A whole packet; also used by tests to make valid packets.
QByteArray buildPacket(int gmId, quint16 headerWord, quint8 headerByte, const QVector<PhotonRecord>& photons,
                       bool timeDetect, bool negativeEnable);

// Frame around record bytes that are already encoded; recordSum is the sum of
// those bytes. Writes 10 + recordLength bytes at out and returns that count.
int framePacket(quint8* out, int gmId, quint16 headerWord, quint8 headerByte, const quint8* records,
                int recordLength, quint64 recordSum);

} // namespace camsim

#endif
