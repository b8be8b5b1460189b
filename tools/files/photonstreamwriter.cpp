#include "tools/files/photonstreamwriter.h"

#include "files/photoncoding.h"
#include "quorveldll.h"
#include "tools/files/photonfile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tool {

namespace {
constexpr long long batchPhotons = 65536;
constexpr int readTimeoutMs = 200;

} // namespace

PhotonStreamWriter::~PhotonStreamWriter()
{
    m_Abandon = true;
    finish();
}

bool PhotonStreamWriter::open(const QString& a_Path, QString* a_Error)
{
    m_Path = a_Path;
    m_Fd = ::open(a_Path.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (m_Fd < 0) {
        *a_Error = QStringLiteral("cannot create %1: %2").arg(a_Path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    return true;
}

void PhotonStreamWriter::start()
{
    m_Thread = std::thread([this] { run(); });
}

bool PhotonStreamWriter::finish()
{
    if (m_Thread.joinable())
        m_Thread.join();
    if (m_Fd < 0)
        return !m_Failed;
    if (::close(m_Fd) != 0 && !m_Failed) {
        m_Errno = errno;
        m_Failed = true;
    }
    m_Fd = -1;
    return !m_Failed;
}

QString PhotonStreamWriter::failure() const
{
    return m_Failed ? QString::fromLocal8Bit(std::strerror(m_Errno)) : QString();
}

bool PhotonStreamWriter::writeRecords(const char* a_Bytes, qint64 a_Count)
{
    const qint64 total = a_Count * PhotonFile::recordBytes;
    qint64 done = 0;
    while (done < total) {
        const ssize_t wrote = ::write(m_Fd, a_Bytes + done, size_t(total - done));
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0) {
            m_Errno = wrote < 0 ? errno : ENOSPC;
            // A record cut by the failure is taken off again, so the file ends
            // with its last whole record.
            const qint64 whole = done / PhotonFile::recordBytes;
            if (done % PhotonFile::recordBytes != 0) {
                struct stat info {};
                if (::fstat(m_Fd, &info) == 0 && S_ISREG(info.st_mode))
                    [[maybe_unused]] const int cut = ::ftruncate(m_Fd, (m_Written + whole) * PhotonFile::recordBytes);
            }
            m_Written += whole;
            m_Failed = true;
            return false;
        }
        done += wrote;
    }
    m_Written += a_Count;
    return true;
}

void PhotonStreamWriter::run()
{
    std::vector<::PhotonRecord> photons(static_cast<size_t>(batchPhotons));
    std::vector<char> bytes(static_cast<size_t>(batchPhotons) * PhotonFile::recordBytes);
    uint32_t lastPacket = 0;
    for (;;) {
        const long long got = QuorvelDll::ReadPhotons(photons.data(), batchPhotons, readTimeoutMs);
        if (got == PHOTON_STREAM_ENDED || got == PHOTON_STREAM_CLOSED)
            break;
        if (got <= 0) {
            if (m_Abandon)
                break;
            continue;
        }
        char* out = bytes.data();
        for (long long i = 0; i < got; ++i) {
            const ::PhotonRecord& photon = photons[size_t(i)];
            if (photon.packetNo != lastPacket) {
                lastPacket = photon.packetNo;
                ++m_PacketsByGM[photon.gmID];
            }
            m_Tally.add(photon.gmID, photon.pixel, photon.energy, photon.positiveEnergy != 0);
            out = PhotonCoding::EncodeBinaryRecord(out, photon.gmID, photon.headerWord, photon.pixel, photon.energy,
                                                   photon.positiveEnergy, photon.timeDetect, photon.positiveTimeDetect);
        }
        m_Received += got;
        // After a failure the stream is still read, and dropped, until it ends.
        if (!m_Failed)
            writeRecords(bytes.data(), got);
    }
    m_Ended = true;
}

} // namespace tool
