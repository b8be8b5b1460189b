// Controller operations on files: the configuration file (save and load), the
// GMs loaded from a file, and the CSV and binary exports of collected photons.
#include "core/quorvel.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTimer>

#include "acquisition/collectedpackets.h"
#include "acquisition/waitloop.h"
#include "files/binarycollectionwriter.h"
#include "files/configurationapplier.h"
#include "files/configurationreader.h"
#include "files/configurationwriter.h"
#include "files/gmapplier.h"
#include "gammamodule/gammamodules.h"

namespace {

const char* const datSuffixText = "Function requires a filename with .dat suffix";
const char* const csvSuffixText = "Function requires a filename with .csv suffix";
const char* const noDataText = "No collected data to save to file";

// Case-sensitive, as the suffix checks have always been.
bool hasSuffix(const QString& a_FileName, const char* a_Suffix)
{
    return QFileInfo(a_FileName).suffix() == QLatin1String(a_Suffix);
}

} // namespace

// ---- Configuration file ----

bool Quorvel::SaveCurrentData(const QString& a_FileName)
{
    if (!hasSuffix(a_FileName, "dat"))
        return FailOp(QString::fromLatin1(datSuffixText));
    // Without device GMs (before the camera powers up, after StopSys or
    // Disconnect) the file would hold no GM and a later load would apply
    // nothing: refuse, and leave an existing file as it is.
    if (GetNoOfGMs() == 0)
        return FailOp(QString::fromLatin1(NoGMsText));
    // Written beside the old file and renamed over it on success, so a failed
    // save leaves the previous file as it was.
    QSaveFile file(a_FileName);
    if (!file.open(QIODevice::WriteOnly))
        return FailOp(QStringLiteral("Failed to open %1 for writing").arg(a_FileName));
    ConfigurationWriter writer(&file);
    writer.SaveHeader(m_CommunicationMGR.GetRemoteIPAddress().toUtf8(), m_GMUpdateType);
    writer.SaveSysConfig(m_SysConfig);
    {
        GammaModules* gms = GammaModules::GetInstance();
        const auto lock = gms->AccessLock();
        writer.SaveGammaModules(gms->GetGMs(GAMMA_MODULES_TYPE_DEVICE));
    }
    {
        CollectedPackets* store = CollectedPackets::GetInstance();
        const auto lock = store->AccessLock();
        writer.SavePackets(*store);
    }
    // The explicit flush matters: commit() alone renames the file even when
    // writing out the last buffered bytes failed. Without a commit the
    // temporary file is discarded.
    if (!writer.Ok() || !file.flush() || !file.commit())
        return FailOp(QStringLiteral("Failed to write %1: %2").arg(a_FileName, file.errorString()));
    return true;
}

bool Quorvel::LoadData(const QString& a_FileName)
{
    const CameraUpdateMode mode = m_CameraUpdateMode;
    m_CameraUpdateMode = CAMERA_UPDATE_MODE_IMMEDIATE;
    ReportToolbarStatus(QStringLiteral("Loading configuration ..."));
    const bool loaded = LoadDataFromFile(a_FileName);
    ReportToolbarStatus(loaded ? QStringLiteral("Configuration loaded") : QStringLiteral("Configuration load failed"));
    m_CameraUpdateMode = mode;
    return loaded;
}

// The whole file is read and checked before anything of it is applied: a file
// that is unrecognised, truncated or corrupt fails before the camera is
// connected or any setting changes.
bool Quorvel::LoadDataFromFile(const QString& a_FileName)
{
    if (m_CommunicationMGR.SocketsConnected())
        return FailOp(QStringLiteral("System must be disconnected prior to load"));
    if (!hasSuffix(a_FileName, "dat"))
        return FailOp(QString::fromLatin1(datSuffixText));
    QFile file(a_FileName);
    if (!file.open(QIODevice::ReadOnly))
        return FailOp(QStringLiteral("Failed to open %1 for reading").arg(a_FileName));
    ParsedConfiguration config;
    ConfigurationReader reader;
    if (!reader.Read(&file, &config))
        return FailOp(reader.GetLastError());
    file.close();

    m_CommunicationMGR.SetRemoteIPAddress(QString::fromUtf8(config.m_CameraIPAddress));
    if (m_CommunicationMGR.GetHostIPAddress().isEmpty())
        return FailOp(QStringLiteral("Host IP address must have been set prior to loading file to enable connection"));
    if (!Init())
        return false;
    m_GMUpdateType = static_cast<GMUpdateType>(config.m_GMUpdateType);
    ConfigurationApplier::ApplySysConfig(config.m_SysConfig, &m_SysConfig);
    // The decoder maps pixels by the loaded mode from now on.
    emit pixelMappingModeChanged(m_SysConfig.GetPixelMappingMode());

    WaitLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&m_WorkerMGR, &QuorvelWorkerMGR::PoweredUp, &loop, &WaitLoop::OnWaitConditionRecvd);
    connect(&m_WorkerMGR, &QuorvelWorkerMGR::PoweredUp, &loop, &WaitLoop::quit);
    connect(&timer, &QTimer::timeout, &loop, &WaitLoop::quit);
    if (!SetBiasVoltage(m_SysConfig.GetBiasVoltage()))
        return FailOp(QStringLiteral("Failed to set bias voltage"));
    if (!UpdateGBEControlRegister())
        return FailOp(QStringLiteral("Failed to update sys status register from file"));
    if (!StartSys())
        return FailOp(QStringLiteral("Failed to start system after file load"));
    // Power-up or the time-out, whichever comes first; a time-out alone is no error.
    timer.start(m_WaitTimeoutMs);
    loop.Exec();

    if (GetNoOfGMs() == 0)
        return FailOp(QStringLiteral("No Gamma modules to load"));
    return LoadGammaModules(config.m_GMs) && LoadPackets(config.m_Packets);
}

bool Quorvel::LoadGammaModules(const std::vector<ParsedGM>& a_Records)
{
    ClearLoadedGMs();
    const int fileCount = static_cast<int>(a_Records.size());
    GammaModules* gms = GammaModules::GetInstance();
    const auto lock = gms->AccessLock();
    std::vector<GammaModule*>& devices = gms->GetGMs(GAMMA_MODULES_TYPE_DEVICE);
    const int deviceCount = static_cast<int>(devices.size());
    QString status = QStringLiteral("No of GM's loaded: %1, No of GM's in device: %2").arg(fileCount).arg(deviceCount);
    std::vector<GammaModule*> targets;
    if (fileCount == deviceCount) {
        targets = GMApplier::PairRecords(a_Records, devices);
    } else {
        for (int id = 1; id <= fileCount; ++id)
            m_LoadedGMs.push_back(new GammaModule(id));
        targets = m_LoadedGMs;
        status += QStringLiteral(", use CopyLoadedGMToGM() to set up GMs");
    }
    ReportStatus(status);
    for (size_t index = 0; index < targets.size(); ++index)
        GMApplier::ApplyGM(a_Records[index], targets[index]);

    // Every GM is written even after a failure; the first failure is reported.
    QString writeError;
    for (GammaModule* gm : devices) {
        if (!UpdateGMAndASICRegisters(*gm) && writeError.isEmpty())
            writeError = m_LastError;
    }
    if (!writeError.isEmpty())
        return FailOp(writeError);
    return true;
}

bool Quorvel::LoadPackets(const ParsedPackets& a_Packets)
{
    CollectedPackets* store = CollectedPackets::GetInstance();
    const auto lock = store->AccessLock();
    if (!ConfigurationApplier::ApplyPackets(a_Packets, store))
        return FailOp(QStringLiteral("Not enough memory to load the collected packets"));
    return true;
}

// ---- Loaded GMs ----

int Quorvel::GetNoOfLoadedGMs() const
{
    return static_cast<int>(m_LoadedGMs.size());
}

bool Quorvel::CopyLoadedGMToGM(int a_LoadedGM, int a_GMID)
{
    if (m_LoadedGMs.empty())
        return FailOp(QStringLiteral("No loaded GMs to copy from"));
    if (!IsValidGMID(a_GMID, GM_CONTAINER_TYPE_DEVICE))
        return false;
    const int loadedCount = GetNoOfLoadedGMs();
    if (a_LoadedGM < 1 || a_LoadedGM > loadedCount)
        return FailOp(QStringLiteral("GM ID out of range, valid range 1 to %2").arg(loadedCount));

    GammaModules* gms = GammaModules::GetInstance();
    const auto lock = gms->AccessLock();
    GammaModule* target = nullptr;
    for (GammaModule* gm : gms->GetGMs(GAMMA_MODULES_TYPE_DEVICE)) {
        if (gm->GetID() == a_GMID) {
            target = gm;
            break;
        }
    }
    if (!target)
        return FailOp(QStringLiteral("GM ID out of range, valid range 1 to %2")
                          .arg(gms->GetNoOfGMs(GAMMA_MODULES_TYPE_DEVICE)));
    *target = *m_LoadedGMs[static_cast<size_t>(a_LoadedGM - 1)];
    const int activeGM = m_ActiveGM;
    m_ActiveGM = a_GMID;
    const bool written = UpdateGMAndASICRegisters(*target);
    m_ActiveGM = activeGM;
    return written;
}

void Quorvel::ClearLoadedGMs()
{
    for (GammaModule* gm : m_LoadedGMs)
        delete gm;
    m_LoadedGMs.clear();
}

// ---- Collection export ----

bool Quorvel::SaveCollection(const QString& a_FileName)
{
    if (!hasSuffix(a_FileName, "csv"))
        return FailOp(QString::fromLatin1(csvSuffixText));
    if (GetNoOfCollectedPackets() == 0)
        return FailOp(QString::fromLatin1(noDataText));
    m_PacketOperations.NoteSaveRequested();
    emit packetSaveRequested(a_FileName);
    return true;
}

void Quorvel::CancelPacketSave()
{
    // Set directly, not queued: the save may not have begun yet, and a queued
    // cancel would reach its thread only after that save had run in full.
    m_PacketOperations.CancelOldestSave();
}

bool Quorvel::SaveBinaryCollection(const QString& a_FileName)
{
    if (!hasSuffix(a_FileName, "dat"))
        return FailOp(QString::fromLatin1(datSuffixText));
    CollectedPackets* store = CollectedPackets::GetInstance();
    const auto lock = store->AccessLock();
    if (store->GetSize() == 0)
        return FailOp(QString::fromLatin1(noDataText));
    QFile file(a_FileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return FailOp(QStringLiteral("Failed to open .dat file for writing"));
    const bool written = BinaryCollectionWriter::Write(*store, &file) && file.flush();
    if (written) {
        file.close();
        if (file.error() == QFileDevice::NoError)
            return true;
    }
    // The file has no header or count to tell a cut-off file from a whole one.
    const QString reason = file.errorString();
    file.close();
    file.remove();
    return FailOp(QStringLiteral("Failed to write %1: %2; the incomplete file was removed").arg(a_FileName, reason));
}
