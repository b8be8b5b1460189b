// The photon stream's queue through the exported interface: a producer thread
// queues records in the decoder's blocks while the main thread takes them with
// QuorvelDll::ReadPhotons, against memcpy of the same bytes on one thread.
// Options: --photons N (default 200 million), --json PATH (bench_streamqueue.json).
#include "acquisition/photonstream.h"
#include "quorveldll.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <thread>
#include <vector>

namespace {

constexpr qint64 PRODUCER_BLOCK = 32 * 1024;   // the decoder's block
constexpr qint64 READ_BLOCK = 64 * 1024;

double Seconds(std::chrono::steady_clock::time_point a_Start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - a_Start).count();
}

double ThreadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// memcpy of the same bytes in read-sized blocks from a ring-sized source.
double MemcpyRate(qint64 a_Photons, const std::vector<PhotonRecord>& a_Source)
{
    std::vector<PhotonRecord> target(READ_BLOCK);
    const auto start = std::chrono::steady_clock::now();
    const qint64 ring = static_cast<qint64>(a_Source.size());
    for (qint64 done = 0; done < a_Photons; done += READ_BLOCK) {
        const qint64 offset = done % (ring - READ_BLOCK);
        std::memcpy(target.data(), a_Source.data() + offset, READ_BLOCK * sizeof(PhotonRecord));
        asm volatile("" : : "r"(target.data()) : "memory");
    }
    return static_cast<double>(a_Photons) / Seconds(start);
}

struct StreamRun
{
    double m_Rate = 0;          // photons per second of wall time
    double m_ReaderCpu = 0;     // seconds of the reader's CPU
    qint64 m_Read = 0;
    bool m_InOrder = true;
};

StreamRun StreamRate(qint64 a_Photons)
{
    PhotonStream& stream = PhotonStream::Instance();
    if (!QuorvelDll::EnablePhotonStream(0))
        return {};
    stream.BeginCollection();
    std::thread producer([&] {
        std::vector<PhotonRecord> block(PRODUCER_BLOCK);
        for (qint64 done = 0; done < a_Photons; done += PRODUCER_BLOCK) {
            block.front().packetNo = static_cast<uint32_t>(done / PRODUCER_BLOCK);
            stream.Push(block.data(), PRODUCER_BLOCK, 1);
        }
        stream.EndCollection();
    });
    std::vector<PhotonRecord> buffer(READ_BLOCK);
    StreamRun run;
    const double cpuStart = ThreadCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    qint64 next = 0;
    for (;;) {
        const long long read = QuorvelDll::ReadPhotons(buffer.data(), READ_BLOCK, 1000);
        if (read < 0)
            break;
        // The first record of each producer block carries its number.
        for (qint64 at = (PRODUCER_BLOCK - run.m_Read % PRODUCER_BLOCK) % PRODUCER_BLOCK; at < read;
             at += PRODUCER_BLOCK) {
            run.m_InOrder = run.m_InOrder && buffer[static_cast<size_t>(at)].packetNo == next;
            ++next;
        }
        run.m_Read += read;
    }
    run.m_Rate = static_cast<double>(run.m_Read) / Seconds(start);
    run.m_ReaderCpu = ThreadCpuSeconds() - cpuStart;
    producer.join();
    QuorvelDll::DisablePhotonStream();
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    qint64 photons = 200000000;
    const int jsonAt = arguments.indexOf(QStringLiteral("--json"));
    const QString jsonPath = jsonAt > 0 && jsonAt + 1 < arguments.size() ? arguments.at(jsonAt + 1)
                                                                         : QStringLiteral("bench_streamqueue.json");
    const int at = arguments.indexOf(QStringLiteral("--photons"));
    if (at > 0 && at + 1 < arguments.size())
        photons = arguments.at(at + 1).toLongLong();
    photons = (photons + PRODUCER_BLOCK - 1) / PRODUCER_BLOCK * PRODUCER_BLOCK;

    std::vector<PhotonRecord> source(static_cast<size_t>(PhotonStream::DEFAULT_CAPACITY));
    for (size_t index = 0; index < source.size(); ++index)
        source[index].energy = static_cast<uint16_t>(index);
    const double memcpyRate = MemcpyRate(photons, source);
    const StreamRun stream = StreamRate(photons);
    const double perCore = stream.m_ReaderCpu > 0 ? static_cast<double>(stream.m_Read) / stream.m_ReaderCpu : 0;

    std::printf("photon stream through ReadPhotons, %lld photons of 16 bytes (read blocks of %lld)\n",
                static_cast<long long>(photons), static_cast<long long>(READ_BLOCK));
    std::printf("  memcpy baseline      %8.1f M photons/s  (%6.0f MB/s)\n", memcpyRate / 1e6, memcpyRate * 16 / 1e6);
    std::printf("  stream, wall time    %8.1f M photons/s  (%.2f of memcpy)%s\n", stream.m_Rate / 1e6,
                stream.m_Rate / memcpyRate, stream.m_InOrder && stream.m_Read == photons ? "" : "  LOST OR OUT OF ORDER");
    std::printf("  stream, reader core  %8.1f M photons/s per CPU second of the reader\n", perCore / 1e6);
    QFile json(jsonPath);
    if (json.open(QIODevice::WriteOnly)) {
        json.write(QJsonDocument(QJsonObject{{"photons", photons},
                                             {"memcpy_photons_per_second", memcpyRate},
                                             {"stream_photons_per_second", stream.m_Rate},
                                             {"reader_core_photons_per_second", perCore},
                                             {"whole_and_in_order", stream.m_InOrder && stream.m_Read == photons}})
                       .toJson());
    }
    return stream.m_InOrder && stream.m_Read == photons ? 0 : 1;
}
