// Photon collection and collected data.
#include "quorveldll.h"

#include "core/quorvel.h"

bool QuorvelDll::StartPhotonCollection()
{
    return Quorvel::GetInstance()->StartPhotonCollection();
}

bool QuorvelDll::StopPhotonCollection()
{
    return Quorvel::GetInstance()->StopPhotonCollection();
}

bool QuorvelDll::IsSystemCollectingPhotons()
{
    return Quorvel::GetInstance()->IsSystemCollectingPhotons();
}

int QuorvelDll::GetNoOfCollectedPackets()
{
    return Quorvel::GetInstance()->GetNoOfCollectedPackets();
}

bool QuorvelDll::GetPacketData(int a_PacketNo, PacketData a_Type, int* a_Value)
{
    return Quorvel::GetInstance()->GetPacketData(a_PacketNo, a_Type, a_Value);
}

bool QuorvelDll::GetPhotonData(int a_PacketNo, int a_PhotonNo, PhotonData a_Type, int* a_Value)
{
    return Quorvel::GetInstance()->GetPhotonData(a_PacketNo, a_PhotonNo, a_Type, a_Value);
}
