// Counts the packets and photons the library has collected, reading only the
// packets added since the last look, so the count can follow a running collection.
#ifndef TOOLS_COLLECTIONMONITOR_H
#define TOOLS_COLLECTIONMONITOR_H

#include <QList>
#include <QMap>

namespace tool {

class CollectionMonitor {
public:
    void update();
    int packets() const { return m_Packets; }
    qint64 photons() const { return m_Photons; }
    QList<int> gmIds() const { return m_PacketsByGM.keys(); }
    int packetsOfGM(int a_GMID) const { return m_PacketsByGM.value(a_GMID); }
    qint64 photonsOfGM(int a_GMID) const { return m_PhotonsByGM.value(a_GMID); }

private:
    int m_Packets = 0;
    qint64 m_Photons = 0;
    QMap<int, int> m_PacketsByGM;
    QMap<int, qint64> m_PhotonsByGM;
};

} // namespace tool

#endif
