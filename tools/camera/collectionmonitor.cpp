#include "tools/camera/collectionmonitor.h"

#include "quorveldll.h"

namespace tool {

void CollectionMonitor::update()
{
    // The store only grows during a collection; packet numbers are 1-based.
    const int total = QuorvelDll::GetNoOfCollectedPackets();
    for (int packet = m_Packets + 1; packet <= total; ++packet) {
        int gm = 0;
        int photons = 0;
        if (!QuorvelDll::GetPacketData(packet, PACKET_DATA_GM_ID, &gm)
            || !QuorvelDll::GetPacketData(packet, PACKET_DATA_NO_OF_PHOTONS, &photons))
            return;
        ++m_Packets;
        m_Photons += photons;
        ++m_PacketsByGM[gm];
        m_PhotonsByGM[gm] += photons;
    }
}

} // namespace tool
