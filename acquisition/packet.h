// One decoded data packet: its header fields and a view of its photons, which
// live in the packet store's photon arena (see CollectedPackets).
#ifndef QUORVEL_PACKET_H
#define QUORVEL_PACKET_H

#include <QtGlobal>

#include "acquisition/photon.h"
#include "quorveldll.h"

// Framing bytes of a data packet.
constexpr unsigned char packetHeader1 = 0xFE;
constexpr unsigned char packetHeader2 = 0x7E;
constexpr unsigned char packetFooter1 = 0xFD;
constexpr unsigned char packetFooter2 = 0x7F;

class Packet
{
public:
    quint8 m_GMID = 0;
    quint8 m_HeaderByte = 0;
    quint16 m_HeaderWord = 0;

    int GetNoOfPhotons() const { return static_cast<int>(m_NoOfPhotons); }
    // 0-based; the caller checks the index against GetNoOfPhotons().
    const Photon& GetPhoton(int a_Index) const { return m_pPhotons[a_Index]; }
    const Photon* begin() const { return m_pPhotons; }
    const Photon* end() const { return m_pPhotons + m_NoOfPhotons; }

    // Writes the selected field as a non-negative int. False, with a_Value
    // untouched, for a selector that names no field.
    bool GetData(PacketData a_Type, int* a_Value) const;

private:
    friend class CollectedPackets;

    quint32 m_NoOfPhotons = 0;
    const Photon* m_pPhotons = nullptr;   // owned by the store, stable until it is cleared
};

static_assert(sizeof(Packet) == 16, "packets are stored by value and must stay compact");

#endif // QUORVEL_PACKET_H
