// Controller operations on the photon stream and the store's bulk reads.
#include "core/quorvel.h"
#include "core/registermap.h"

#include "acquisition/collectedpackets.h"
#include "acquisition/photonstream.h"

bool Quorvel::RefuseWhileCollecting()
{
    if (m_SysControlBits & RegisterMap::COLLECT)
        return FailOp(QStringLiteral("Cannot change the photon stream while collecting"));
    return true;
}

bool Quorvel::EnablePhotonStream(qint64 a_CapacityPhotons)
{
    if (!RefuseWhileCollecting())
        return false;
    if (a_CapacityPhotons != 0
        && (a_CapacityPhotons < PhotonStream::MIN_CAPACITY || a_CapacityPhotons > PhotonStream::MAX_CAPACITY)) {
        return FailOp(QStringLiteral("Photon stream capacity must be 0 (the default, %1) or %2 to %3 photons")
                          .arg(PhotonStream::DEFAULT_CAPACITY)
                          .arg(PhotonStream::MIN_CAPACITY)
                          .arg(PhotonStream::MAX_CAPACITY));
    }
    if (!PhotonStream::Instance().Enable(a_CapacityPhotons))
        return FailOp(QStringLiteral("Not enough memory for a photon stream of %1 photons").arg(a_CapacityPhotons));
    return true;
}

bool Quorvel::DisablePhotonStream()
{
    if (!RefuseWhileCollecting())
        return false;
    PhotonStream::Instance().Disable();
    return true;
}

bool Quorvel::SetStorePhotons(bool a_Store)
{
    if (!RefuseWhileCollecting())
        return false;
    PhotonStream::Instance().SetStorePhotons(a_Store);
    return true;
}

void Quorvel::EndStreamedCollection()
{
    // Queued behind every batch already signalled to the decoder's thread,
    // and bound to this collection: it may run after the next one began.
    PhotonStream& stream = PhotonStream::Instance();
    const quint64 generation = stream.Generation();
    if (m_PacketDecoderThread.isRunning()) {
        emit streamCollectionEnding(generation);
    } else {
        stream.EndCollection(generation);
    }
}

qint64 Quorvel::GetNoOfPhotonsInPackets(int a_FirstPacketNo, int a_LastPacketNo)
{
    return CollectedPackets::GetInstance()->GetNoOfPhotonsInPackets(a_FirstPacketNo, a_LastPacketNo, &m_LastError);
}

qint64 Quorvel::ReadCollectedPhotons(int a_FirstPacketNo, int a_LastPacketNo, PhotonRecord* a_pRecords,
                                     qint64 a_Capacity)
{
    return CollectedPackets::GetInstance()->ReadPhotonRecords(a_FirstPacketNo, a_LastPacketNo, a_pRecords,
                                                              a_Capacity, &m_LastError);
}

qint64 Quorvel::ReadCollectedPackets(int a_FirstPacketNo, int a_LastPacketNo, PacketRecord* a_pRecords,
                                     qint64 a_Capacity)
{
    return CollectedPackets::GetInstance()->ReadPacketRecords(a_FirstPacketNo, a_LastPacketNo, a_pRecords,
                                                              a_Capacity, &m_LastError);
}
