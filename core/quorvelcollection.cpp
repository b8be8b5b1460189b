// Controller operations on photon collection: starting and stopping it, the
// camera update mode, and the client's queries of the collected packets.
#include "core/quorvel.h"
#include "core/registermap.h"

#include "acquisition/collectedpackets.h"
#include "acquisition/photonstream.h"
#include "acquisition/readbuffer.h"
#include "acquisition/waitloop.h"
#include "gammamodule/gammamodules.h"
#include "transport/register.h"

bool Quorvel::StartPhotonCollection()
{
    // The data worker first drops what arrived since the last collection
    // stopped: late datagrams, and the final batch of a stop that timed out
    // (its answer is queued ahead of this request). None of it may land in the
    // new collection. A data thread that is not running holds nothing.
    if (m_WorkerMGR.IsDataThreadRunning()) {
        const quint64 request = ++m_CollectStartsRequested;
        const bool answered = WaitLoop::WaitFor(
            m_WaitTimeoutMs,
            [this, request](WaitLoop* a_pLoop) {
                connect(&m_WorkerMGR, &WorkerMGR::collectStartReady, a_pLoop, [this, request, a_pLoop] {
                    if (m_CollectStartsAnswered < request)
                        return;
                    a_pLoop->OnWaitConditionRecvd();
                    a_pLoop->quit();
                });
            },
            [this] { emit collectStarting(); });
        if (!answered)
            return FailOp(QStringLiteral("Timed out waiting for the data thread before collecting"));
    }

    // Lock order: ReadBuffer, GammaModules, CollectedPackets. All three are
    // held until the store and the buffer are empty, so no batch of the new
    // collection is decoded into the old packets or cleared away. The store's
    // lock is taken before the camera is told to collect: a CSV save holds it
    // for its whole run, and waiting for it only after the camera had started
    // would stall the data thread (it needs the ReadBuffer lock to hand over)
    // while the camera's datagrams pile up and overflow the socket.
    ReadBuffer* readBuffer = ReadBuffer::GetInstance();
    const auto readBufferLock = readBuffer->AccessLock();
    GammaModules* gms = GammaModules::GetInstance();
    const auto gmLock = gms->AccessLock();
    CollectedPackets* store = CollectedPackets::GetInstance();
    const auto storeLock = store->AccessLock();

    // The camera is asked first: a refused start keeps the client's packets.
    m_SysControlBits |= RegisterMap::COLLECT;
    if (!WriteGBEControlImmediately()) {
        m_SysControlBits &= ~RegisterMap::COLLECT;
        return false;
    }
    gms->SetActiveGMs(GAMMA_MODULES_TYPE_DEVICE);
    ClearStoreHeld(store);
    readBuffer->Reset();
    m_PacketDecoder.RestartPacketNumbers();
    PhotonStream::Instance().BeginCollection();
    ReportToolbarStatus(QStringLiteral("Collecting ..."));
    return true;
}

bool Quorvel::StopPhotonCollection()
{
    m_SysControlBits &= ~RegisterMap::COLLECT;
    if (!WriteGBEControlImmediately()) {
        m_SysControlBits |= RegisterMap::COLLECT;
        // Without its control link the camera can no longer be told anything:
        // a stream reader waiting for the end of the collection is released.
        if (!m_CommunicationMGR.IsSysControlLinkUp())
            EndStreamedCollection();
        return false;
    }
    // Waits for the data worker's answer to this stop: neither an earlier batch
    // signal nor the late answer to an earlier stop may end the wait before the
    // final batch is handed over. The answers are counted by a connection made
    // in SetupSlots, which runs before the one made here. Without a data worker
    // the request reaches no one and is not counted.
    const quint64 request = m_WorkerMGR.GetDataWorker() ? ++m_CollectStopsRequested : m_CollectStopsRequested + 1;
    const bool answered = WaitLoop::WaitFor(
        m_WaitTimeoutMs,
        [this, request](WaitLoop* a_pLoop) {
            connect(&m_WorkerMGR, &WorkerMGR::collectStopFinished, a_pLoop, [this, request, a_pLoop] {
                if (m_CollectStopsAnswered < request)
                    return;
                a_pLoop->OnWaitConditionRecvd();
                a_pLoop->quit();
            });
        },
        [this] { emit collectStopped(); });
    EndStreamedCollection();
    if (!answered)
        return FailOp(QStringLiteral("Timed out waiting for read buffer read"));
    ReportToolbarStatus(QStringLiteral("Finished collecting"));
    return true;
}

bool Quorvel::IsSystemCollectingPhotons()
{
    Register request(RegisterMap::GBE_CONTROL, REGISTER_OP_READ);
    request.AddReadBytes(2);
    QByteArray reply;
    if (!m_CommunicationMGR.ReadSysControlRegister(request, &reply))
        return false;
    return (Register::ReplyByte(reply, 2) & RegisterMap::COLLECT) != 0;
}

bool Quorvel::SetCameraUpdateMode(CameraUpdateMode a_Mode)
{
    if (a_Mode == CAMERA_UPDATE_MODE_UNDEFINED)
        return FailOp(QStringLiteral("Undefined camera update mode detected"));
    m_CameraUpdateMode = a_Mode;
    return true;
}

CameraUpdateMode Quorvel::GetCameraUpdateMode() const
{
    return m_CameraUpdateMode;
}

int Quorvel::GetNoOfCollectedPackets()
{
    return CollectedPackets::GetInstance()->GetNoOfCollectedPackets();
}

bool Quorvel::GetPacketData(int a_PacketNo, PacketData a_Type, int* a_Value)
{
    return CollectedPackets::GetInstance()->GetPacketData(a_PacketNo, a_Type, a_Value, &m_LastError);
}

bool Quorvel::GetPhotonData(int a_PacketNo, int a_PhotonNo, PhotonData a_Type, int* a_Value)
{
    return CollectedPackets::GetInstance()->GetPhotonData(a_PacketNo, a_PhotonNo, a_Type, a_Value, &m_LastError);
}

void Quorvel::ClearCollectedPackets()
{
    CollectedPackets* store = CollectedPackets::GetInstance();
    const auto lock = store->AccessLock();
    ClearStoreHeld(store);
}

void Quorvel::ClearStoreHeld(CollectedPackets* a_pStore)
{
    ReportToolbarStatus(CollectedPackets::ClearingPacketsText());
    a_pStore->Clear();
    ReportToolbarStatus(CollectedPackets::PacketsClearedText());
}

void Quorvel::OnDecodingPackets()
{
    ReportStatus(CollectedPackets::DecodingPacketsText());
}

void Quorvel::OnPacketsDecoded(int a_NoOfPackets)
{
    ReportStatus(CollectedPackets::GetInstance()->PacketsDecodedText(a_NoOfPackets));
}
