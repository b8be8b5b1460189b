#include "bench/collectioncheck.h"

#include "camsim/virtualcamera.h"
#include "quorveldll.h"

#include <array>

namespace {

bool PhotonInRange(int a_PacketNo, int a_PhotonNo, QString* a_pWhy)
{
    int pixel = -1;
    int energy = -1;
    const bool answered = QuorvelDll::GetPhotonData(a_PacketNo, a_PhotonNo, PHOTON_DATA_PIXEL, &pixel)
                          && QuorvelDll::GetPhotonData(a_PacketNo, a_PhotonNo, PHOTON_DATA_ENERGY, &energy);
    if (answered && pixel >= -32768 && pixel <= 65535 && energy >= 0 && energy < 4096)
        return true;
    *a_pWhy = QStringLiteral("packet %1 photon %2: %3, pixel %4, energy %5")
                  .arg(a_PacketNo)
                  .arg(a_PhotonNo)
                  .arg(answered ? QStringLiteral("answered") : QString::fromStdString(QuorvelDll::GetLastError()))
                  .arg(pixel)
                  .arg(energy);
    return false;
}

} // namespace

CollectionCheck::Result CollectionCheck::Compare(const camsim::VirtualCamera& a_Camera, int a_PhotonsPerPacket)
{
    Result result;
    std::array<qint64, 256> stored {};
    std::array<int, 256> lastWord;
    lastWord.fill(-1);
    const int packets = QuorvelDll::GetNoOfCollectedPackets();
    qint64 counted = 0;
    for (int packet = 1; packet <= packets; ++packet) {
        int gm = -1;
        int word = -1;
        if (!QuorvelDll::GetPacketData(packet, PACKET_DATA_GM_ID, &gm)
            || !QuorvelDll::GetPacketData(packet, PACKET_DATA_HEADER_WORD, &word) || gm < 0 || gm > 255) {
            ++result.m_BadAnswers;
            if (result.m_FirstBadAnswer.isEmpty())
                result.m_FirstBadAnswer = QStringLiteral("packet %1: GM ID %2, header word %3: %4")
                                              .arg(packet).arg(gm).arg(word)
                                              .arg(QString::fromStdString(QuorvelDll::GetLastError()));
            continue;
        }
        ++stored[static_cast<size_t>(gm)];
        ++counted;
        int& last = lastWord[static_cast<size_t>(gm)];
        if (last >= 0 && word != ((last + 1) & 0xFFFF))
            ++result.m_Breaks;
        last = word;
        if (a_PhotonsPerPacket > 0) {
            int photons = -1;
            QString why;
            if (!QuorvelDll::GetPacketData(packet, PACKET_DATA_NO_OF_PHOTONS, &photons) || photons != a_PhotonsPerPacket)
                why = QStringLiteral("packet %1 (GM %2, header word %3): %4 photons").arg(packet).arg(gm).arg(word).arg(photons);
            else if (PhotonInRange(packet, 1, &why))
                PhotonInRange(packet, photons, &why);
            if (!why.isEmpty()) {
                ++result.m_BadAnswers;
                if (result.m_FirstBadAnswer.isEmpty())
                    result.m_FirstBadAnswer = why;
            }
            result.m_Photons += photons;
        }
    }
    result.m_Stored = packets;
    result.m_Sent = a_Camera.packetsSent();
    qint64 accounted = 0;
    for (int gm : a_Camera.config().gmIds) {
        const qint64 sent = a_Camera.packetsSent(gm);
        const qint64 kept = stored[static_cast<size_t>(gm)];
        accounted += kept;
        if (kept > sent)
            result.m_Extra += kept - sent;
        else
            result.m_Missing += sent - kept;
    }
    result.m_Extra += counted - accounted; // packets of GMs the camera does not have
    return result;
}
