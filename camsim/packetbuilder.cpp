#include "camsim/packetbuilder.h"

#include <cstring>

namespace camsim {

namespace {
void encodeValue(int value, int magnitudeMask, quint8 posBit, quint8 negBit, bool negativeEnable, quint8* out)
{
    quint8 flag = 0;
    if (value < 0) {
        value = negativeEnable ? -value : 0;
        flag = negativeEnable ? negBit : 0;
    } else if (negativeEnable) {
        flag = posBit;
    }
    value &= magnitudeMask;
    out[0] = static_cast<quint8>(flag | (value >> 8));
    out[1] = static_cast<quint8>(value & 0xFF);
}
} // namespace

void encodePhoton(const PhotonRecord& photon, bool timeDetect, bool negativeEnable, quint8* out)
{
    using namespace packetformat;
    out[0] = photon.channel;
    // 13 magnitude bits for energy and 12 for time detect keep clear of the flag bits.
    encodeValue(photon.energy, 0x1FFF, posEnergyBit, negEnergyBit, negativeEnable, out + 1);
    if (timeDetect)
        encodeValue(photon.timeDetect, 0x0FFF, posTimeDetectBit, negTimeDetectBit, negativeEnable, out + 3);
}

int framePacket(quint8* out, int gmId, quint16 headerWord, quint8 headerByte, const quint8* records,
                int recordLength, quint64 recordSum)
{
    using namespace packetformat;
    out[0] = header1;
    out[1] = header2;
    out[2] = static_cast<quint8>(gmId);
    out[3] = static_cast<quint8>(headerWord >> 8);
    out[4] = static_cast<quint8>(headerWord & 0xFF);
    out[5] = headerByte;
    if (recordLength > 0)
        std::memcpy(out + 6, records, static_cast<size_t>(recordLength));
    const quint64 sum = recordSum + out[0] + out[1] + out[2] + out[3] + out[4] + out[5];
    quint8* tail = out + 6 + recordLength;
    tail[0] = static_cast<quint8>((sum >> 8) & 0xFF);
    tail[1] = static_cast<quint8>(sum & 0xFF);
    tail[2] = footer1;
    tail[3] = footer2;
    return frameBytes + recordLength;
}

QByteArray buildPacket(int gmId, quint16 headerWord, quint8 headerByte, const QVector<PhotonRecord>& photons,
                       bool timeDetect, bool negativeEnable)
{
    const int recordSize = packetformat::recordBytes(timeDetect);
    QByteArray records(photons.size() * recordSize, '\0');
    auto* recordBytes = reinterpret_cast<quint8*>(records.data());
    for (int i = 0; i < photons.size(); ++i)
        encodePhoton(photons.at(i), timeDetect, negativeEnable, recordBytes + i * recordSize);
    quint64 sum = 0;
    for (int i = 0; i < records.size(); ++i)
        sum += recordBytes[i];
    QByteArray packet(packetformat::frameBytes + records.size(), '\0');
    framePacket(reinterpret_cast<quint8*>(packet.data()), gmId, headerWord, headerByte, recordBytes, records.size(), sum);
    return packet;
}

} // namespace camsim
