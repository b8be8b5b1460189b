#include "files/packetoperations.h"

#include <QCoreApplication>
#include <QFile>

#include <string>

#include "acquisition/collectedpackets.h"
#include "files/collectionformat.h"

namespace {
// Lines are written in pieces of about this size.
constexpr size_t WRITE_PIECE = 1 << 20;
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

void PacketOperations::OnOperationCancelled()
{
    m_Cancelled = true;
}

void PacketOperations::Save(const QString& a_FileName)
{
    m_Cancelled = false;
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
        if (m_Cancelled)
            break;
        CollectionFormat::AppendCsvLines(*store->GetPacket(index), &lines);
        if (lines.size() >= WRITE_PIECE)
            writeLines();
        const int progress = static_cast<int>(static_cast<double>(index) / count * 100.0);
        if (progress != lastProgress)
            emit progressUpdate(progress);
        lastProgress = progress;
        // A queued cancel request is handled here, between two packets.
        QCoreApplication::processEvents();
    }
    if (!m_Cancelled) {
        writeLines();
        emit progressUpdate(100);
    }
    file.close();
    if (m_Cancelled)
        file.remove();
    else if (file.error() != QFileDevice::NoError && !writeFailed)
        emit errorDuringOperation(QString::fromLatin1(WRITE_ERROR_TEXT));
    emit savePacketsComplete();
}
