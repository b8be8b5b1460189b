// Photon collection and collected data.
#include "quorveldll.h"

#include "acquisition/photonstream.h"
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

bool QuorvelDll::EnablePhotonStream(long long a_CapacityPhotons)
{
    return Quorvel::GetInstance()->EnablePhotonStream(a_CapacityPhotons);
}

bool QuorvelDll::DisablePhotonStream()
{
    return Quorvel::GetInstance()->DisablePhotonStream();
}

bool QuorvelDll::IsPhotonStreamEnabled()
{
    return PhotonStream::Instance().IsEnabled();
}

bool QuorvelDll::SetStorePhotons(bool a_Store)
{
    return Quorvel::GetInstance()->SetStorePhotons(a_Store);
}

bool QuorvelDll::IsStoringPhotons()
{
    return PhotonStream::Instance().IsStoringPhotons();
}

// Reaches the stream only, never the controller: safe from any thread.
long long QuorvelDll::ReadPhotons(PhotonRecord* a_pRecords, long long a_Capacity, int a_TimeoutMs)
{
    return PhotonStream::Instance().Read(a_pRecords, a_Capacity, a_TimeoutMs);
}

PhotonStreamCounters QuorvelDll::GetPhotonStreamCounters()
{
    return PhotonStream::Instance().GetCounters();
}

long long QuorvelDll::GetNoOfPhotonsInPackets(int a_FirstPacketNo, int a_LastPacketNo)
{
    return Quorvel::GetInstance()->GetNoOfPhotonsInPackets(a_FirstPacketNo, a_LastPacketNo);
}

long long QuorvelDll::ReadCollectedPhotons(int a_FirstPacketNo, int a_LastPacketNo, PhotonRecord* a_pRecords,
                                           long long a_Capacity)
{
    return Quorvel::GetInstance()->ReadCollectedPhotons(a_FirstPacketNo, a_LastPacketNo, a_pRecords, a_Capacity);
}

long long QuorvelDll::ReadCollectedPackets(int a_FirstPacketNo, int a_LastPacketNo, PacketRecord* a_pRecords,
                                           long long a_Capacity)
{
    return Quorvel::GetInstance()->ReadCollectedPackets(a_FirstPacketNo, a_LastPacketNo, a_pRecords, a_Capacity);
}
