#include "files/packetsectionreader.h"

#include "files/recordreader.h"

namespace {

bool inRange(int a_Value, int a_Max)
{
    return a_Value >= 0 && a_Value <= a_Max;
}

} // namespace

bool PacketSectionReader::LoadPackets(RecordReader& a_Reader, ParsedPackets* a_pPackets, bool a_KeepPhotons)
{
    if (a_Reader.AtEnd())
        return true;
    const int count = a_Reader.Int();
    if (!a_Reader.Ok())
        return a_Reader.Truncated(QStringLiteral("the packet count"));
    if (count < 0)
        return a_Reader.Fail(QStringLiteral("Configuration file holds a negative packet count (%1)").arg(count));
    for (int index = 0; index < count; ++index) {
        if (!LoadPacket(a_Reader, index, a_pPackets, a_KeepPhotons))
            return false;
    }
    a_pPackets->m_Present = count > 0;
    return true;
}

bool PacketSectionReader::LoadPacket(RecordReader& a_Reader, int a_Index, ParsedPackets* a_pPackets,
                                     bool a_KeepPhotons)
{
    const int gmID = a_Reader.Int();
    const int headerWord = a_Reader.Int();
    const int headerByte = a_Reader.Int();
    const int noOfPhotons = a_Reader.Int();
    if (!a_Reader.Ok())
        return a_Reader.Truncated(QStringLiteral("packet record %1").arg(a_Index + 1));
    if (!inRange(gmID, 0xFF) || !inRange(headerWord, 0xFFFF) || !inRange(headerByte, 0xFF) || noOfPhotons < 0)
        return a_Reader.Fail(QStringLiteral("Configuration file holds an invalid packet record (packet %1)")
                                 .arg(a_Index + 1));
    for (int photonIndex = 0; photonIndex < noOfPhotons; ++photonIndex) {
        const int pixel = a_Reader.Int();
        const int energy = a_Reader.Int();
        const bool positiveEnergy = a_Reader.Bool();
        const int timeDetect = a_Reader.Int();
        const bool positiveTimeDetect = a_Reader.Bool();
        if (!a_Reader.Ok())
            return a_Reader.Truncated(
                QStringLiteral("photon record %1 of packet %2").arg(photonIndex + 1).arg(a_Index + 1));
        if (!inRange(pixel, 0xFFFF) || !inRange(energy, 0xFFFF) || !inRange(timeDetect, 0xFFFF))
            return a_Reader.Fail(QStringLiteral("Configuration file holds an invalid photon record "
                                                "(photon %1 of packet %2)")
                                     .arg(photonIndex + 1)
                                     .arg(a_Index + 1));
        if (!a_KeepPhotons)
            continue;
        Photon photon;
        photon.m_Pixel = static_cast<qint16>(static_cast<quint16>(pixel));
        photon.m_Energy = static_cast<quint16>(energy);
        photon.m_PositiveEnergy = positiveEnergy ? 1 : 0;
        photon.m_TimeDetect = static_cast<quint16>(timeDetect);
        photon.m_PositiveTimeDetect = positiveTimeDetect ? 1 : 0;
        a_pPackets->m_Photons.push_back(photon);
    }
    ParsedPacket packet;
    packet.m_GMID = static_cast<quint8>(gmID);
    packet.m_HeaderWord = static_cast<quint16>(headerWord);
    packet.m_HeaderByte = static_cast<quint8>(headerByte);
    packet.m_NoOfPhotons = noOfPhotons;
    a_pPackets->m_Packets.push_back(packet);
    return true;
}
