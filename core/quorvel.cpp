#include "core/quorvel.h"

#include "acquisition/collectedpackets.h"
#include "acquisition/photonstream.h"
#include "acquisition/readbuffer.h"
#include "gammamodule/gammamodules.h"

Quorvel* Quorvel::m_pInstance = nullptr;

Quorvel* Quorvel::GetInstance()
{
    if (!m_pInstance)
        m_pInstance = new Quorvel();
    return m_pInstance;
}

void Quorvel::DeleteInstance()
{
    // Cleared first, so nothing reached during destruction finds a half-destroyed controller.
    Quorvel* instance = m_pInstance;
    m_pInstance = nullptr;
    delete instance;
}

Quorvel::Quorvel()
    : QObject(nullptr)
{
    // The singletons are made here, on the client's thread, so no worker or
    // decoder thread is ever the first to create one.
    GammaModules::GetInstance();
    ReadBuffer::GetInstance();
    CollectedPackets::GetInstance();
    SetupSlots();
    // The mode travels to the decoder's thread through a queued connection.
    qRegisterMetaType<PixelMappingMode>("PixelMappingMode");
}

Quorvel::~Quorvel()
{
    // The workers first: a data worker still running could store a batch into
    // the ReadBuffer after it is gone. Then the decoder, which reads all three
    // singletons, and the packet operations, which read the store. Saves still
    // running or queued are cancelled first, so closing does not wait for them.
    m_PacketOperations.CancelAllSaves();
    m_WorkerMGR.StopThreads();
    m_PacketDecoderThread.Stop();
    m_PacketOperationsThread.Stop();
    // A reader blocked on the stream returns; what was queued stays readable.
    PhotonStream::Instance().Close();

    ReadBuffer::DeleteInstance();
    GammaModules::DeleteInstance();
    CollectedPackets::DeleteInstance();

    for (GammaModule* gm : m_LoadedGMs)
        delete gm;
    m_LoadedGMs.clear();
    // The members are then destroyed in reverse order; m_CommunicationMGR
    // last, closing the control connections.
}

void Quorvel::SetupSlots()
{
    connect(&m_WorkerMGR, &WorkerMGR::statusUpdate, this, &Quorvel::OnStatusUpdate);
    connect(&m_WorkerMGR, &WorkerMGR::dataPortSet, this, &Quorvel::OnPortSet);
    connect(&m_WorkerMGR, &QuorvelWorkerMGR::GMDetermined, this, &Quorvel::OnGMDetermined);
    connect(this, &Quorvel::pixelMappingModeChanged, &m_PacketDecoder,
            &QuorvelPacketDecoder::OnPixelMappingModeChanged);
    // Batches go from the data thread straight to the decoder's thread: a relay
    // through the client's thread would hold them up whenever the client runs
    // no event loop.
    m_WorkerMGR.SetReadBufferConsumer(&m_PacketDecoder, &QuorvelPacketDecoder::DecodeReadBuffer);
    // Run on the decoder's thread; the relays queue at most one call each.
    connect(&m_PacketDecoder, &QuorvelPacketDecoder::decodingPackets, &m_DecodingTextRelay,
            [this] { m_DecodingTextRelay.Add(0); }, Qt::DirectConnection);
    connect(&m_PacketDecoder, &QuorvelPacketDecoder::streamLoss, this, &Quorvel::ReportStatus);
    connect(this, &Quorvel::streamCollectionEnding, &m_PacketDecoder,
            [](quint64 a_Generation) { PhotonStream::Instance().EndCollection(a_Generation); });
    connect(&m_PacketDecoder, &QuorvelPacketDecoder::packetsDecoded, &m_DecodedTextRelay,
            [this](int a_Packets) { m_DecodedTextRelay.Add(a_Packets); }, Qt::DirectConnection);
    connect(this, &Quorvel::packetSaveRequested, &m_PacketOperations, &PacketOperations::SaveFile);
    connect(&m_PacketOperations, &PacketOperations::errorDuringOperation, this, &Quorvel::OnOperationError);
    connect(&m_PacketOperations, &PacketOperations::progressUpdate, this, &Quorvel::OnOperationProgress);
    connect(&m_PacketOperations, &PacketOperations::savePacketsComplete, this, &Quorvel::OnOperationComplete);
    connect(this, &Quorvel::collectStopped, &m_WorkerMGR, &QuorvelWorkerMGR::collectStopped);
    connect(&m_WorkerMGR, &WorkerMGR::collectStopFinished, this, [this] { ++m_CollectStopsAnswered; });
    connect(this, &Quorvel::collectStarting, &m_WorkerMGR, &QuorvelWorkerMGR::collectStarting);
    connect(&m_WorkerMGR, &WorkerMGR::collectStartReady, this, [this] { ++m_CollectStartsAnswered; });
    connect(this, &Quorvel::bufferSizeChangeRequest, &m_WorkerMGR, &QuorvelWorkerMGR::bufferSizeChangeRequest);
}

// Every failing operation of the controller ends here: the message becomes the
// last error, and the result is false.
bool Quorvel::FailOp(const QString& a_Message)
{
    m_LastError = a_Message;
    return false;
}

std::string Quorvel::GetLastError() const
{
    return m_LastError.toUtf8().toStdString();
}

void Quorvel::SetConnectStatusFunc(void (*a_Func)(const char*))
{
    m_CommunicationMGR.SetControlStatusFunc(a_Func);
}

void Quorvel::SetSysStatusFunc(void (*a_Func)(const char*))
{
    m_SysStatusFunc = a_Func;
}

void Quorvel::SetToolbarStatusFunc(void (*a_Func)(const char*))
{
    m_ToolbarStatusFunc = a_Func;
}

void Quorvel::SetOperationErrorFunc(void (*a_Func)(const char*))
{
    m_OperationErrorFunc = a_Func;
}

void Quorvel::SetOperationProgressFunc(void (*a_Func)(int))
{
    m_OperationProgressFunc = a_Func;
}

void Quorvel::SetOperationCompleteFunc(void (*a_Func)())
{
    m_OperationCompleteFunc = a_Func;
}

namespace {
void passText(void (*a_Func)(const char*), const QString& a_Text)
{
    if (!a_Func)
        return;
    // The pointer is valid only during the call.
    const std::string text = a_Text.toUtf8().toStdString();
    a_Func(text.c_str());
}
} // namespace

void Quorvel::ReportStatus(const QString& a_Status)
{
    passText(m_SysStatusFunc, a_Status);
}

void Quorvel::ReportToolbarStatus(const QString& a_Status)
{
    passText(m_ToolbarStatusFunc, a_Status);
}

void Quorvel::OnStatusUpdate(QString a_Status)
{
    ReportStatus(a_Status);
}

void Quorvel::OnOperationError(const QString& a_Err)
{
    passText(m_OperationErrorFunc, a_Err);
}

void Quorvel::OnOperationProgress(int a_Progress)
{
    if (m_OperationProgressFunc)
        m_OperationProgressFunc(a_Progress);
}

void Quorvel::OnOperationComplete()
{
    if (m_OperationCompleteFunc)
        m_OperationCompleteFunc();
}
