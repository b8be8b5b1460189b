#include "acquisition/packet.h"

bool Packet::GetData(PacketData a_Type, int* a_Value) const
{
    switch (a_Type) {
    case PACKET_DATA_GM_ID:
        *a_Value = m_GMID;
        return true;
    case PACKET_DATA_HEADER_WORD:
        *a_Value = m_HeaderWord;
        return true;
    case PACKET_DATA_HEADER_BYTE:
        *a_Value = m_HeaderByte;
        return true;
    case PACKET_DATA_NO_OF_PHOTONS:
        *a_Value = GetNoOfPhotons();
        return true;
    }
    return false;
}
