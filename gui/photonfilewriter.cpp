#include "gui/photonfilewriter.h"

#include "files/photoncoding.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace gui {

namespace {
constexpr size_t pageBytes = 4096;
static_assert(PhotonFileWriter::blockBytes % pageBytes == 0, "blocks are whole pages");
static_assert(PhotonFileWriter::recordBytes == PhotonCoding::BINARY_RECORD_BYTES, "the same records");
} // namespace

void PhotonFileWriter::BlockFree::operator()(char* a_Block) const
{
    std::free(a_Block);
}

PhotonFileWriter::~PhotonFileWriter()
{
    close(nullptr);
}

bool PhotonFileWriter::open(const QString& a_Path, QString* a_Error)
{
    m_Path = a_Path;
    const QByteArray path = a_Path.toLocal8Bit();
    const int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC;
    m_Fd = ::open(path.constData(), flags | O_DIRECT, 0644);
    m_Direct = m_Fd >= 0;
    if (m_Fd < 0 && errno == EINVAL) // a file system without direct writes
        m_Fd = ::open(path.constData(), flags, 0644);
    if (m_Fd < 0) {
        *a_Error = QStringLiteral("cannot create %1: %2").arg(a_Path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    m_Records = 0;
    m_CurrentBytes = 0;
    m_Closing = false;
    m_Error.clear();
    m_Failed = false;
    m_Thread = std::thread(&PhotonFileWriter::run, this);
    return true;
}

bool PhotonFileWriter::nextBlock()
{
    std::unique_lock<std::mutex> lock(m_Mutex);
    if (m_Current)
        m_Queue.push_back({std::move(m_Current), m_CurrentBytes});
    m_FilledCondition.notify_one();
    m_CurrentBytes = 0;
    if (m_Free.empty() && m_Allocated < maxBlocks) {
        lock.unlock();
        m_Current.reset(static_cast<char*>(std::aligned_alloc(pageBytes, size_t(blockBytes))));
        if (!m_Current) {
            lock.lock();
            if (m_Error.isEmpty())
                m_Error = QStringLiteral("cannot write %1: out of memory").arg(m_Path);
            m_Failed = true;
            return false;
        }
        ++m_Allocated;
        return true;
    }
    m_FreeCondition.wait(lock, [this] { return !m_Free.empty(); });
    m_Current = std::move(m_Free.back());
    m_Free.pop_back();
    return true;
}

bool PhotonFileWriter::append(const PhotonRecord* a_Records, qint64 a_Count)
{
    while (a_Count > 0 && !m_Failed.load()) {
        if (!m_Current || m_CurrentBytes == blockBytes) {
            if (!nextBlock())
                return false;
        }
        const qint64 count = qMin(a_Count, (blockBytes - m_CurrentBytes) / recordBytes);
        PhotonCoding::EncodeBinaryRecords(a_Records, count, m_Current.get() + m_CurrentBytes);
        m_CurrentBytes += count * recordBytes;
        m_Records += count;
        a_Records += count;
        a_Count -= count;
    }
    return !m_Failed.load();
}

bool PhotonFileWriter::writeAll(const char* a_Data, qint64 a_Bytes)
{
    // The last block's tail is not whole pages: that one goes through the page cache.
    if (m_Direct && a_Bytes % qint64(pageBytes) != 0) {
        m_Direct = false;
        ::fcntl(m_Fd, F_SETFL, ::fcntl(m_Fd, F_GETFL) & ~O_DIRECT);
    }
    while (a_Bytes > 0) {
        const ssize_t written = ::write(m_Fd, a_Data, size_t(a_Bytes));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno == EINVAL && m_Direct) { // alignment the device will not take
            m_Direct = false;
            ::fcntl(m_Fd, F_SETFL, ::fcntl(m_Fd, F_GETFL) & ~O_DIRECT);
            continue;
        }
        if (written <= 0) {
            const QString reason = written < 0 ? QString::fromLocal8Bit(std::strerror(errno)) : QStringLiteral("disk full");
            std::lock_guard<std::mutex> lock(m_Mutex);
            if (m_Error.isEmpty())
                m_Error = QStringLiteral("cannot write %1: %2").arg(m_Path, reason);
            m_Failed = true;
            return false;
        }
        a_Data += written;
        a_Bytes -= written;
    }
    return true;
}

void PhotonFileWriter::run()
{
    for (;;) {
        std::unique_lock<std::mutex> lock(m_Mutex);
        m_FilledCondition.wait(lock, [this] { return !m_Queue.empty() || m_Closing; });
        if (m_Queue.empty())
            return; // closing, and everything is written
        Filled filled = std::move(m_Queue.front());
        m_Queue.pop_front();
        lock.unlock();
        if (!m_Failed.load()) // after a failure the blocks only go back, so the reader never waits for good
            writeAll(filled.block.get(), filled.bytes);
        lock.lock();
        m_Free.push_back(std::move(filled.block));
        m_FreeCondition.notify_one();
    }
}

bool PhotonFileWriter::close(QString* a_Error)
{
    if (m_Fd < 0)
        return true;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (m_Current && m_CurrentBytes > 0)
            m_Queue.push_back({std::move(m_Current), m_CurrentBytes});
        m_CurrentBytes = 0;
        m_Closing = true;
    }
    m_FilledCondition.notify_one();
    m_Thread.join();
    if (::close(m_Fd) != 0 && !m_Failed.load()) {
        m_Error = QStringLiteral("cannot write %1: %2").arg(m_Path, QString::fromLocal8Bit(std::strerror(errno)));
        m_Failed = true;
    }
    m_Fd = -1;
    m_Current.reset();
    m_Free.clear();
    m_Allocated = 0;
    if (m_Failed.load() && a_Error)
        *a_Error = m_Error;
    return !m_Failed.load();
}

} // namespace gui
