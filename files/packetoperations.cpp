#include "files/packetoperations.h"

#include <QCoreApplication>
#include <QFile>

#include <string>

#include "acquisition/collectedpackets.h"
#include "files/collectionformat.h"

namespace {
// Lines are written in pieces of about this size.
constexpr size_t WRITE_PIECE = 1 << 20;
// Raises a_pValue to at least a_Floor; other threads may raise it meanwhile.
void raiseTo(std::atomic<quint64>* a_pValue, quint64 a_Floor)
{
    quint64 current = a_pValue->load();
    while (current < a_Floor && !a_pValue->compare_exchange_weak(current, a_Floor)) {
    }
}
} // namespace

const char* const PacketOperations::OPEN_ERROR_TEXT = "Failed to open file to save packets to";
const char* const PacketOperations::WRITE_ERROR_TEXT = "An error occurred when writing to the file";

PacketOperations::PacketOperations()
    : QObject(nullptr)
{
}

void PacketOperations::SaveFile(QString const& a_FileName)
{
    m_PendingFileNames.push_back(a_FileName);
    if (m_Saving)
        return;
    m_Saving = true;
    while (!m_PendingFileNames.empty()) {
        const QString fileName = m_PendingFileNames.front();
        m_PendingFileNames.pop_front();
        Save(fileName);
    }
    m_Saving = false;
}

void PacketOperations::NoteSaveRequested()
{
    ++m_Requested;
}

void PacketOperations::CancelOldestSave()
{
    const quint64 finished = m_Finished.load();
    if (finished < m_Requested.load())
        raiseTo(&m_CancelledUpTo, finished + 1);
}

void PacketOperations::CancelAllSaves()
{
    raiseTo(&m_CancelledUpTo, m_Requested.load());
}

void PacketOperations::OnOperationCancelled()
{
    CancelOldestSave();
}

bool PacketOperations::IsCancelled() const
{
    return m_Current <= m_CancelledUpTo.load();
}

void PacketOperations::Save(const QString& a_FileName)
{
    m_Current = m_Finished.load() + 1;
    // A request that was not counted when it was queued counts from now on.
    raiseTo(&m_Requested, m_Current);
    struct Finish {
        std::atomic<quint64>& finished;
        quint64 save;
        ~Finish() { finished.store(save); }
    } finish {m_Finished, m_Current};
    // A save cancelled before it began leaves any file of that name alone.
    if (IsCancelled()) {
        emit savePacketsComplete();
        return;
    }
    CollectedPackets* store = CollectedPackets::GetInstance();
    const auto lock = store->AccessLock();

    QFile file(a_FileName);
    // Lines are gathered here and written in large pieces.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        emit errorDuringOperation(QString::fromLatin1(OPEN_ERROR_TEXT));
        emit savePacketsComplete();
        return;
    }

    const int count = store->GetSize();
    bool writeFailed = false;
    int lastProgress = 0;
    std::string lines;
    lines.reserve(WRITE_PIECE + 64 * 1024);
    auto writeLines = [&] {
        const qint64 size = static_cast<qint64>(lines.size());
        const bool written = size == 0 || file.write(lines.data(), size) == size;
        lines.clear();
        if (!written) {
            writeFailed = true;
            emit errorDuringOperation(QString::fromLatin1(WRITE_ERROR_TEXT));
        }
    };
    for (int index = 0; index < count; ++index) {
        if (IsCancelled())
            break;
        CollectionFormat::AppendCsvLines(*store->GetPacket(index), &lines);
        if (lines.size() >= WRITE_PIECE)
            writeLines();
        const int progress = static_cast<int>(static_cast<double>(index) / count * 100.0);
        if (progress != lastProgress)
            emit progressUpdate(progress);
        lastProgress = progress;
        // Requests queued meanwhile are taken in here, between two packets.
        QCoreApplication::processEvents();
    }
    const bool cancelled = IsCancelled();
    if (!cancelled) {
        writeLines();
        emit progressUpdate(100);
    }
    file.close();
    if (cancelled)
        file.remove();
    else if (file.error() != QFileDevice::NoError && !writeFailed)
        emit errorDuringOperation(QString::fromLatin1(WRITE_ERROR_TEXT));
    emit savePacketsComplete();
}
