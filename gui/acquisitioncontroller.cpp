#include "gui/acquisitioncontroller.h"

#include "gui/livehistograms.h"
#include "gui/streamreader.h"
#include "quorveldll.h"
#include "tools/camera/cameralink.h"
#include "tools/files/photonfile.h"
#include "tools/pictures/picturewriter.h"

#include <QDir>

namespace gui {

namespace {
constexpr int finishTimeoutMs = 10000;
const QString photonsDat = QStringLiteral("photons.dat");
const QString configurationDat = QStringLiteral("configuration.dat");
} // namespace

AcquisitionController::AcquisitionController(LiveHistograms* a_Histograms, QObject* a_Parent)
    : QObject(a_Parent)
    , m_Histograms(a_Histograms)
{
}

AcquisitionController::~AcquisitionController()
{
    if (m_State == State::Collecting)
        QuorvelDll::StopPhotonCollection();
    m_Reader.reset();
}

bool AcquisitionController::start(const AcquisitionRequest& a_Request, QString* a_Error)
{
    if (m_State != State::Idle) {
        *a_Error = QStringLiteral("a collection is still running");
        return false;
    }
    const bool anyFile = a_Request.photonFile || a_Request.configurationFile;
    if (anyFile && !QDir().mkpath(a_Request.folder)) {
        *a_Error = QStringLiteral("cannot create the output folder %1").arg(a_Request.folder);
        return false;
    }
    if ((!QuorvelDll::IsPhotonStreamEnabled() && !QuorvelDll::EnablePhotonStream(streamCapacity))
        || !QuorvelDll::SetStorePhotons(false)) {
        *a_Error = QStringLiteral("cannot set up the photon stream: %1").arg(tool::CameraLink::lastError());
        return false;
    }
    m_Request = a_Request;
    m_Histograms->reset(a_Request.numbers);
    m_Reader = std::make_unique<StreamReader>(m_Histograms);
    const QString photonPath = a_Request.photonFile ? QDir(a_Request.folder).filePath(photonsDat) : QString();
    if (!m_Reader->start(photonPath, a_Error)) {
        m_Reader.reset();
        return false;
    }
    if (!QuorvelDll::StartPhotonCollection()) {
        *a_Error = QStringLiteral("cannot start the collection: %1").arg(tool::CameraLink::lastError());
        m_Reader.reset();
        return false;
    }
    m_Clock.start();
    m_ElapsedMs = 0;
    setState(State::Collecting);
    emit message(QStringLiteral("info"), a_Request.seconds > 0
                                             ? QStringLiteral("Collecting for %1 s").arg(a_Request.seconds)
                                             : QStringLiteral("Collecting until stopped"));
    return true;
}

void AcquisitionController::stop()
{
    if (m_State != State::Collecting)
        return;
    // Set first: the library runs events while it stops, and the timer must not stop twice.
    m_ElapsedMs = m_Clock.elapsed();
    setState(State::Finishing);
    m_Finishing.start();
    if (!QuorvelDll::StopPhotonCollection())
        emit message(QStringLiteral("error"),
                     QStringLiteral("cannot stop the collection cleanly: %1").arg(tool::CameraLink::lastError()));
}

void AcquisitionController::poll()
{
    if (m_State == State::Collecting && m_Request.seconds > 0 && m_Clock.elapsed() >= qint64(m_Request.seconds * 1000))
        stop();
    if (m_State != State::Finishing)
        return;
    if (m_Reader->isFinished())
        finish();
    else if (m_Finishing.elapsed() > finishTimeoutMs) {
        m_Reader->abandon();
        emit message(QStringLiteral("error"), QStringLiteral("the photon stream did not end after the stop"));
        finish();
    }
}

void AcquisitionController::finish()
{
    QString error;
    if (!m_Reader->join(&error))
        emit message(QStringLiteral("error"), error);
    const QString written = writeFiles();
    if (!written.isEmpty())
        emit message(QStringLiteral("info"), written);
    setState(State::Idle);
}

QString AcquisitionController::writeFiles()
{
    const QDir folder(m_Request.folder);
    QStringList done;
    if (m_Request.photonFile)
        done << QStringLiteral("%1 (%2 photons)").arg(folder.filePath(photonsDat)).arg(m_Reader->photonsWritten());
    if (m_Request.configurationFile) {
        const QString path = folder.filePath(configurationDat);
        if (QuorvelDll::SaveConfiguration(path.toUtf8().constData()))
            done << path;
        else
            emit message(QStringLiteral("error"),
                         QStringLiteral("cannot save %1: %2").arg(path, tool::CameraLink::lastError()));
    }
    if (m_Request.pictures && m_Request.photonFile && m_Reader->photonsWritten() > 0) {
        tool::PhotonTally tally;
        tool::PictureFacts facts;
        QString error;
        if (tool::PhotonFile::read(folder.filePath(photonsDat), &tally, &error)
            && tool::PictureWriter::write(tally, m_Request.numbers, m_Request.folder, m_Request.caption, &facts, &error))
            done << facts.floodPath << facts.spectrumPath;
        else
            emit message(QStringLiteral("error"), error);
    }
    return done.isEmpty() ? QString() : QStringLiteral("Wrote ") + done.join(QStringLiteral(", "));
}

double AcquisitionController::elapsedSeconds() const
{
    if (m_State == State::Collecting)
        return m_Clock.elapsed() / 1000.0;
    return m_ElapsedMs / 1000.0;
}

qint64 AcquisitionController::photonsRead() const
{
    return m_Reader ? m_Reader->photonsRead() : 0;
}

void AcquisitionController::setState(State a_State)
{
    m_State = a_State;
    emit stateChanged();
}

} // namespace gui
