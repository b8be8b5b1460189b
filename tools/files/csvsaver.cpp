#include "tools/files/csvsaver.h"

#include "quorveldll.h"
#include "tools/camera/cameralink.h"
#include "tools/camera/eventwait.h"
#include "tools/camera/interruptwatcher.h"
#include "tools/camera/libraryevents.h"
#include "tools/terminal/terminal.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

namespace tool {

namespace {
// A save whose progress stands still this long is taken as hung.
constexpr int stallTimeoutMs = 120000;
} // namespace

CsvSaver::Result CsvSaver::save(const QString& a_Path, const InterruptWatcher& a_Interrupts)
{
    Result result;
    const QString name = QFileInfo(a_Path).fileName();
    LibraryEvents::resetSave();
    if (!QuorvelDll::SaveCollection(a_Path.toUtf8().constData())) {
        result.note = QStringLiteral("cannot save %1: %2").arg(a_Path, CameraLink::lastError());
        return result;
    }
    const int interruptsBefore = a_Interrupts.count();
    bool cancelled = false;
    int progress = -1;
    QElapsedTimer stall;
    stall.start();
    while (!LibraryEvents::saveComplete()) {
        runEventsFor(50);
        if (!cancelled && a_Interrupts.count() > interruptsBefore) {
            QuorvelDll::CancelPacketSave();
            cancelled = true;
        }
        if (LibraryEvents::saveProgress() != progress) {
            progress = LibraryEvents::saveProgress();
            stall.restart();
            Terminal::live(QStringLiteral("Saving %1 %2").arg(name, Terminal::progressBar(progress)));
        } else if (stall.elapsed() > stallTimeoutMs) {
            Terminal::endLive();
            result.note = QStringLiteral("saving %1 made no progress for %2 s").arg(a_Path).arg(stallTimeoutMs / 1000);
            return result;
        }
    }
    Terminal::live(QStringLiteral("Saving %1 %2").arg(name, Terminal::progressBar(LibraryEvents::saveProgress())),
                   true);
    Terminal::endLive();
    if (!LibraryEvents::saveErrors().isEmpty()) {
        result.note = QStringLiteral("saving %1: %2").arg(a_Path, LibraryEvents::saveErrors().first());
        return result;
    }
    result.ok = true;
    if (cancelled) {
        result.note = QStringLiteral("not written: cancelled by Ctrl-C");
        return result;
    }
    result.lines = countLines(a_Path);
    return result;
}

qint64 CsvSaver::countLines(const QString& a_Path)
{
    QFile file(a_Path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    qint64 lines = 0;
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(1 << 20);
        if (chunk.isEmpty())
            return -1;
        lines += chunk.count('\n');
    }
    return lines;
}

} // namespace tool
