#include "camsim/datastreamer.h"

#include "camsim/packetbuilder.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace camsim {

namespace {
constexpr int maxDatagramsPerBatch = 64;
constexpr int packetTargetBytes = 660; // what the host's buffer sizing assumes per packet
constexpr int sendBufferBytes = 4 * 1024 * 1024;

bool toSockaddr(const QHostAddress& address, quint16 port, sockaddr_storage* out, socklen_t* length)
{
    std::memset(out, 0, sizeof(*out));
    bool ipv4 = false;
    const quint32 v4 = address.toIPv4Address(&ipv4);
    if (ipv4) {
        auto* in = reinterpret_cast<sockaddr_in*>(out);
        in->sin_family = AF_INET;
        in->sin_port = htons(port);
        in->sin_addr.s_addr = htonl(v4);
        *length = sizeof(sockaddr_in);
        return true;
    }
    if (address.protocol() == QAbstractSocket::IPv6Protocol) {
        auto* in6 = reinterpret_cast<sockaddr_in6*>(out);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&in6->sin6_addr, bytes.c, 16);
        *length = sizeof(sockaddr_in6);
        return true;
    }
    return false;
}
} // namespace

DataStreamer::DataStreamer(CameraState* state)
    : m_State(state)
    , m_Source(state->config.source, state->config.seed)
    , m_Random(Random::mix(state->config.seed, 0x5E4D))
    , m_FaultRandom(Random::mix(state->config.seed, 0xFA17))
{
    m_Settings.version = 0;
}

DataStreamer::~DataStreamer()
{
    stop();
}

void DataStreamer::start()
{
    if (m_Thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(m_State->mutex);
        m_Stop = false;
    }
    m_Thread = std::thread([this] { run(); });
}

void DataStreamer::stop()
{
    if (!m_Thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(m_State->mutex);
        m_Stop = true;
        m_State->changed.notify_all();
    }
    m_Thread.join();
    {
        std::lock_guard<std::mutex> lock(m_State->mutex);
        m_State->senderIdleVersion = 0;
    }
    closeSocket();
    m_Held.clear();
    m_Settings = StreamSettings();
    m_Settings.version = 0;
}

int DataStreamer::photonsPerPacket(int recordBytes) const
{
    const int configured = m_State->config.photonsPerPacket;
    if (configured > 0)
        return std::min(configured, 4096);
    return (packetTargetBytes - packetformat::frameBytes) / recordBytes;
}

void DataStreamer::run()
{
    using Clock = std::chrono::steady_clock;
    std::unique_lock<std::mutex> lock(m_State->mutex);
    while (!m_Stop) {
        if (m_State->streamVersion != m_Settings.version) {
            const StreamSettings settings = m_State->streamSettingsLocked();
            lock.unlock();
            applySettings(settings);
            lock.lock();
            continue;
        }
        const bool active = m_Settings.collecting && m_Socket >= 0 && !m_GmCumulative.empty()
                            && m_GmCumulative.back() > 0.0;
        if (!active) {
            if (!m_Held.empty()) {
                lock.unlock();
                flushHeld();
                lock.lock();
                continue;
            }
            m_State->senderIdleVersion = m_Settings.version;
            m_State->changed.notify_all();
            m_State->changed.wait(lock, [this] { return m_Stop || m_State->streamVersion != m_Settings.version; });
            continue;
        }
        m_State->senderIdleVersion = 0;
        const int perDatagram = std::max(1, m_State->config.packetsPerDatagram);
        const qint64 maxBatch = qint64(maxDatagramsPerBatch) * perDatagram;
        qint64 due = maxBatch;
        if (m_Settings.rate >= 0) {
            const double rate = std::max(1, m_Settings.rate);
            const auto now = Clock::now();
            const double elapsed = std::chrono::duration<double>(now - m_PaceStart).count();
            due = static_cast<qint64>(rate * elapsed) - m_PacedPackets;
            if (due > std::max<qint64>(maxBatch, static_cast<qint64>(rate))) {
                // More than a second behind (the machine stalled us): resume from now. Shorter
                // stalls are caught up at full speed, as the camera's FIFO would send its backlog.
                m_PaceStart = now;
                m_PacedPackets = 0;
                due = perDatagram;
            }
            if (due < perDatagram) {
                // Wake for at least a whole datagram, and at most about 1000 times a second.
                const double minBatch = std::max<double>(perDatagram, std::ceil(rate / 1000.0));
                const auto wake = m_PaceStart + std::chrono::duration_cast<Clock::duration>(
                                      std::chrono::duration<double>((m_PacedPackets + minBatch) / rate));
                m_State->changed.wait_until(lock, wake, [this] {
                    return m_Stop || m_State->streamVersion != m_Settings.version;
                });
                continue;
            }
            // Whole datagrams only, so the grouping of packets never depends on timing.
            due = std::min(due, maxBatch) / perDatagram * perDatagram;
        }
        lock.unlock();
        sendBatch(static_cast<int>(due));
        lock.lock();
        m_PacedPackets += due;
    }
}

void DataStreamer::applySettings(const StreamSettings& settings)
{
    const bool restartPace = settings.collecting != m_Settings.collecting || settings.rate != m_Settings.rate;
    if (settings.target != m_SocketTarget || settings.port != m_SocketPort || m_Socket < 0)
        openSocket(settings);

    std::vector<PhotonPool> pools;
    for (const StreamSettings::Gm& gm : settings.gms) {
        const auto existing = std::find_if(m_Pools.begin(), m_Pools.end(), [&](const PhotonPool& pool) {
            return pool.gmId == gm.id && pool.asicMode == gm.asicMode && pool.channelImage == gm.channelImage;
        });
        if (existing != m_Pools.end()) {
            pools.push_back(std::move(*existing));
            continue;
        }
        const int recordBytes = packetformat::recordBytes(gm.asicMode & packetformat::timeDetectEnable);
        pools.push_back(m_Source.makePool(gm.id, gm.asicMode, gm.channelImage, photonsPerPacket(recordBytes)));
    }
    m_Pools = std::move(pools);
    m_GmCumulative.clear();
    double total = 0.0;
    for (const PhotonPool& pool : m_Pools) {
        total += pool.records > 0 ? pool.weight : 0.0;
        m_GmCumulative.push_back(total);
    }
    m_Settings = settings;
    if (restartPace) {
        m_PaceStart = std::chrono::steady_clock::now();
        m_PacedPackets = 0;
    }
}

bool DataStreamer::openSocket(const StreamSettings& settings)
{
    closeSocket();
    m_SocketTarget = settings.target;
    m_SocketPort = settings.port;
    sockaddr_storage target {};
    socklen_t targetLength = 0;
    if (settings.port == 0 || !toSockaddr(settings.target, settings.port, &target, &targetLength))
        return false;
    const int fd = ::socket(target.ss_family, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sendBufferBytes, sizeof(sendBufferBytes));
    // Send from the camera's own address when it is of the same family.
    sockaddr_storage local {};
    socklen_t localLength = 0;
    if (toSockaddr(QHostAddress(m_State->config.address), 0, &local, &localLength) && local.ss_family == target.ss_family)
        ::bind(fd, reinterpret_cast<sockaddr*>(&local), localLength);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&target), targetLength) != 0) {
        ::close(fd);
        return false;
    }
    m_Socket = fd;
    return true;
}

void DataStreamer::closeSocket()
{
    if (m_Socket >= 0)
        ::close(m_Socket);
    m_Socket = -1;
}

int DataStreamer::buildPacket(quint8* out, SentPacket* record)
{
    const double pick = m_Random.uniform() * m_GmCumulative.back();
    const size_t index = std::min<size_t>(
        static_cast<size_t>(std::upper_bound(m_GmCumulative.begin(), m_GmCumulative.end(), pick) - m_GmCumulative.begin()),
        m_Pools.size() - 1);
    const PhotonPool& pool = m_Pools[index];
    const int count = photonsPerPacket(pool.recordBytes);
    const int first = static_cast<int>(m_Random.below(static_cast<quint32>(pool.records)));
    quint16& word = m_HeaderWords[pool.gmId];
    record->gmId = pool.gmId;
    record->headerWord = word;
    record->photons = count;
    record->fate = PacketFate::Delivered;
    const int length = framePacket(out, pool.gmId, word, 0, pool.bytes.data() + size_t(first) * size_t(pool.recordBytes),
                                   count * pool.recordBytes, pool.sumOfRecords(first, count));
    ++word;
    return length;
}

void DataStreamer::sendBatch(int packets)
{
    const int perDatagram = std::max(1, m_State->config.packetsPerDatagram);
    const size_t maxPacketBytes = size_t(packetformat::frameBytes) + size_t(photonsPerPacket(3)) * 5;
    if (m_Buffer.size() < size_t(packets) * maxPacketBytes)
        m_Buffer.resize(size_t(packets) * maxPacketBytes);

    // Build the datagrams, each of whole packets.
    struct Built {
        size_t offset;
        int length;
        int firstRecord;
        int records;
    };
    std::vector<Built> built;
    m_Records.clear();
    size_t offset = 0;
    for (int p = 0; p < packets;) {
        Built datagram {offset, 0, static_cast<int>(m_Records.size()), 0};
        for (int k = 0; k < perDatagram && p < packets; ++k, ++p) {
            SentPacket record;
            const int length = buildPacket(m_Buffer.data() + offset, &record);
            offset += size_t(length);
            datagram.length += length;
            ++datagram.records;
            m_Records.push_back(record);
        }
        built.push_back(datagram);
    }

    // Apply the faults: at most one per datagram, drawn with one number.
    const DatagramFaults& faults = m_Settings.faults;
    std::vector<std::pair<const quint8*, int>> outgoing;
    std::vector<std::vector<quint8>> released;
    released.reserve(built.size());
    for (const Built& datagram : built) {
        quint8* bytes = m_Buffer.data() + datagram.offset;
        int length = datagram.length;
        SentPacket* records = m_Records.data() + datagram.firstRecord;
        const auto markAll = [&](PacketFate fate) {
            for (int i = 0; i < datagram.records; ++i)
                records[i].fate = fate;
        };
        double u = m_FaultRandom.uniform();
        int copies = 1;
        if ((u -= faults.drop) < 0) {
            markAll(PacketFate::Dropped);
            continue;
        } else if ((u -= faults.duplicate) < 0) {
            markAll(PacketFate::Duplicated);
            copies = 2;
        } else if ((u -= faults.reorder) < 0) {
            if (m_Held.empty()) {
                m_Held.assign(bytes, bytes + length);
                markAll(PacketFate::Reordered);
                continue;
            }
        } else if ((u -= faults.corrupt) < 0) {
            // Alter one byte between the GM ID and the checksum of one packet: its sum no longer matches.
            const int victim = static_cast<int>(m_FaultRandom.below(static_cast<quint32>(datagram.records)));
            quint8* packet = bytes;
            for (int i = 0; i < victim; ++i)
                packet += packetLength(records[i]);
            const int span = packetLength(records[victim]) - 6; // bytes 2 .. length - 5
            packet[2 + m_FaultRandom.below(static_cast<quint32>(span))] ^= static_cast<quint8>(1 + m_FaultRandom.below(255));
            records[victim].fate = PacketFate::Corrupted;
        } else if ((u -= faults.truncate) < 0 && length > 1) {
            const int cut = 1 + static_cast<int>(m_FaultRandom.below(static_cast<quint32>(length - 1)));
            int end = 0;
            for (int i = 0; i < datagram.records; ++i) {
                end += packetLength(records[i]);
                if (end > cut)
                    records[i].fate = PacketFate::Truncated;
            }
            length = cut;
        }
        for (int c = 0; c < copies; ++c)
            outgoing.emplace_back(bytes, length);
        if (!m_Held.empty()) {
            released.push_back(std::move(m_Held));
            m_Held.clear();
            outgoing.emplace_back(released.back().data(), static_cast<int>(released.back().size()));
        }
    }
    transmit(outgoing);
    recordSent(static_cast<qint64>(outgoing.size()));
}

int DataStreamer::packetLength(const SentPacket& record) const
{
    for (const PhotonPool& pool : m_Pools) {
        if (pool.gmId == record.gmId)
            return packetformat::frameBytes + record.photons * pool.recordBytes;
    }
    return packetformat::frameBytes;
}

void DataStreamer::recordSent(qint64 datagrams)
{
    std::lock_guard<std::mutex> lock(m_State->mutex);
    for (const SentPacket& record : m_Records) {
        ++m_State->packetsSent[record.gmId];
        m_State->photonsSent[record.gmId] += record.photons;
        const int intact = record.fate == PacketFate::Duplicated ? 2
            : (record.fate == PacketFate::Delivered || record.fate == PacketFate::Reordered) ? 1 : 0;
        m_State->intactPacketsSent[record.gmId] += intact;
        if (m_State->recordSentPackets)
            m_State->sentPackets.append(record);
    }
    m_State->datagramsSent += datagrams;
    m_State->changed.notify_all();
}

void DataStreamer::flushHeld()
{
    if (m_Held.empty())
        return;
    transmit({{m_Held.data(), static_cast<int>(m_Held.size())}});
    m_Held.clear();
    m_Records.clear();
    recordSent(1);
}

void DataStreamer::transmit(const std::vector<std::pair<const quint8*, int>>& datagrams)
{
    if (m_Socket < 0 || datagrams.empty())
        return;
    std::vector<iovec> vectors(datagrams.size());
    std::vector<mmsghdr> messages(datagrams.size());
    for (size_t i = 0; i < datagrams.size(); ++i) {
        vectors[i].iov_base = const_cast<quint8*>(datagrams[i].first);
        vectors[i].iov_len = size_t(datagrams[i].second);
        std::memset(&messages[i], 0, sizeof(mmsghdr));
        messages[i].msg_hdr.msg_iov = &vectors[i];
        messages[i].msg_hdr.msg_iovlen = 1;
    }
    size_t sent = 0;
    int failures = 0;
    while (sent < messages.size()) {
        const int n = ::sendmmsg(m_Socket, messages.data() + sent, static_cast<unsigned>(messages.size() - sent), 0);
        if (n > 0) {
            sent += size_t(n);
            continue;
        }
        // A refused port (no host listening yet) is reported once per ICMP reply; the
        // datagram is gone like any other lost on the way. Other errors: try a few times.
        if (errno == ECONNREFUSED || errno == EINTR || errno == ENOBUFS || errno == EAGAIN) {
            if (++failures > 8)
                ++sent;
            continue;
        }
        ++sent;
    }
}

} // namespace camsim
