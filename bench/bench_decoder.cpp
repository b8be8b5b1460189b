// Decoder throughput, each figure a ratio to memcpy of the same batch in the
// same run, and the memory the packet store takes per photon and per packet.
// Prints one table and writes bench_decoder.json (or the path after --json=).
#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "acquisition/collectedpackets.h"
#include "acquisition/pixelmap.h"
#include "acquisition/quorvelpacketdecoder.h"
#include "gammamodule/gammamodules.h"

namespace {

constexpr int BATCH_BYTES = 1 << 20;
constexpr int PACKET_BYTES = 660;   // the virtual camera's default packet

void SetGM(int a_ReadoutOptions)
{
    GammaModules* gms = GammaModules::GetInstance();
    auto lock = gms->AccessLock();
    gms->Clear(GAMMA_MODULES_TYPE_DEVICE);
    for (int id = 1; id <= 4; ++id) {
        auto* gm = new GammaModule(id);
        gm->SetReadoutOptions(a_ReadoutOptions);
        gms->AddGammaModule(GAMMA_MODULES_TYPE_DEVICE, gm);
    }
    gms->SetActiveGMs(GAMMA_MODULES_TYPE_DEVICE);
}

void AppendPacket(QByteArray* a_pBatch, int a_GMID, int a_Word, const std::vector<unsigned char>& a_Records)
{
    const int start = a_pBatch->size();
    const unsigned char header[] = {0xFE, 0x7E, static_cast<unsigned char>(a_GMID),
                                    static_cast<unsigned char>(a_Word >> 8), static_cast<unsigned char>(a_Word), 0};
    a_pBatch->append(reinterpret_cast<const char*>(header), sizeof(header));
    a_pBatch->append(reinterpret_cast<const char*>(a_Records.data()), static_cast<int>(a_Records.size()));
    unsigned sum = 0;
    for (int index = start; index < a_pBatch->size(); ++index)
        sum += static_cast<unsigned char>(a_pBatch->at(index));
    const unsigned char footer[] = {static_cast<unsigned char>(sum >> 8), static_cast<unsigned char>(sum), 0xFD, 0x7F};
    a_pBatch->append(reinterpret_cast<const char*>(footer), sizeof(footer));
}

// Packets of a_Records records each, mapped channels, random energies and times.
QByteArray ValidBatch(int a_RecordSize, int a_Records, qint64 a_Bytes)
{
    std::mt19937 random(7);
    QByteArray batch;
    batch.reserve(static_cast<int>(a_Bytes) + PACKET_BYTES);
    std::vector<unsigned char> records;
    for (int packet = 0; batch.size() + 10 + a_Records * a_RecordSize <= a_Bytes; ++packet) {
        records.clear();
        for (int k = 0; k < a_Records; ++k) {
            records.push_back(PixelMap::CHANNEL_AT_GM_PIXEL[random() % PixelMap::NO_OF_GM_PIXELS]);
            records.push_back(static_cast<unsigned char>(0x80 | (random() & 0x3F)));
            records.push_back(static_cast<unsigned char>(random()));
            if (a_RecordSize == 5) {
                records.push_back(static_cast<unsigned char>(0x40 | (random() & 0x0F)));
                records.push_back(static_cast<unsigned char>(random()));
            }
        }
        AppendPacket(&batch, 1 + packet % 4, packet, records);
    }
    return batch;
}

QByteArray RepeatedBatch(const std::vector<unsigned char>& a_Pattern, qint64 a_Bytes)
{
    QByteArray batch;
    while (batch.size() + static_cast<qint64>(a_Pattern.size()) <= a_Bytes)
        batch.append(reinterpret_cast<const char*>(a_Pattern.data()), static_cast<int>(a_Pattern.size()));
    return batch;
}

struct Batch
{
    std::string m_Name;
    QByteArray m_Bytes;
    int m_ReadoutOptions;
};

std::vector<Batch>& Batches()
{
    static std::vector<Batch> batches = {
        {"valid, 3-byte records", ValidBatch(3, (PACKET_BYTES - 10) / 3, BATCH_BYTES), 0},
        {"valid, 5-byte records", ValidBatch(5, (PACKET_BYTES - 10) / 5, BATCH_BYTES), 2},
        {"hostile, FE 7E 01 00 05 00 01 83 FD 7F",
         RepeatedBatch({0xFE, 0x7E, 0x01, 0x00, 0x05, 0x00, 0x01, 0x83, 0xFD, 0x7F}, BATCH_BYTES), 2},
        {"hostile, FE 7E 01 FD 7F", RepeatedBatch({0xFE, 0x7E, 0x01, 0xFD, 0x7F}, BATCH_BYTES), 2},
        {"hostile, FE 7E 01 00 00 00 FD 7F FD 7F",
         RepeatedBatch({0xFE, 0x7E, 0x01, 0x00, 0x00, 0x00, 0xFD, 0x7F, 0xFD, 0x7F}, BATCH_BYTES), 2},
    };
    return batches;
}

void BM_Memcpy(benchmark::State& a_State)
{
    const QByteArray& source = Batches()[0].m_Bytes;
    std::vector<char> target(static_cast<size_t>(source.size()));
    for (auto _ : a_State) {
        std::memcpy(target.data(), source.constData(), target.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    a_State.SetBytesProcessed(a_State.iterations() * source.size());
}

// Decodes one batch into a store that is emptied between iterations, so its
// memory is warm: the decoder's own cost.
void BM_Decode(benchmark::State& a_State)
{
    const Batch& batch = Batches()[static_cast<size_t>(a_State.range(0))];
    SetGM(batch.m_ReadoutOptions);
    CollectedPackets::DeleteInstance();
    CollectedPackets* store = CollectedPackets::GetInstance();
    QuorvelPacketDecoder decoder;
    int packets = 0;
    for (auto _ : a_State) {
        packets = decoder.Decode(batch.m_Bytes.constData(), batch.m_Bytes.size());
        a_State.PauseTiming();
        {
            auto lock = store->AccessLock();
            store->Clear();
        }
        a_State.ResumeTiming();
    }
    a_State.counters["packets"] = packets;
    a_State.SetBytesProcessed(a_State.iterations() * batch.m_Bytes.size());
    a_State.SetLabel(batch.m_Name);
}

long ResidentBytes()
{
    long pages = 0;
    long resident = 0;
    FILE* file = std::fopen("/proc/self/statm", "r");
    if (file) {
        if (std::fscanf(file, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(file);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

struct Growth
{
    double m_Seconds = 0;
    double m_Bytes = 0;
    double m_ResidentBytes = 0;
    qint64 m_Packets = 0;
    qint64 m_Photons = 0;
};

// Decodes a_Copies copies of a batch into a new store: fresh memory, page
// faults included, and the resident memory the store grew by.
Growth DecodeIntoFreshStore(const QByteArray& a_Batch, int a_Copies)
{
    CollectedPackets::DeleteInstance();
    CollectedPackets* store = CollectedPackets::GetInstance();
    QuorvelPacketDecoder decoder;
    const long before = ResidentBytes();
    const auto start = std::chrono::steady_clock::now();
    for (int copy = 0; copy < a_Copies; ++copy)
        decoder.Decode(a_Batch.constData(), a_Batch.size());
    Growth growth;
    growth.m_Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    growth.m_ResidentBytes = static_cast<double>(ResidentBytes() - before);
    growth.m_Bytes = static_cast<double>(a_Batch.size()) * a_Copies;
    auto lock = store->AccessLock();
    growth.m_Packets = store->GetSize();
    growth.m_Photons = store->GetNoOfPhotons();
    return growth;
}

class CollectingReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& a_Runs) override
    {
        for (const Run& run : a_Runs)
            m_Runs.push_back(run);
        ConsoleReporter::ReportRuns(a_Runs);
    }
    std::vector<Run> m_Runs;
};

} // namespace

// The machine is shared: the fastest of several repetitions, in CPU time, is
// the figure least disturbed by other processes.
double Fastest(const std::vector<double>& a_Values)
{
    return a_Values.empty() ? 0.0 : *std::min_element(a_Values.begin(), a_Values.end());
}

BENCHMARK(BM_Memcpy)->Repetitions(7)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_Decode)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond)->Repetitions(7)->ComputeStatistics("min", Fastest);

int main(int argc, char** argv)
{
    std::string jsonPath = "bench_decoder.json";
    bool measureMemory = true;
    std::vector<char*> args;
    for (int index = 0; index < argc; ++index) {
        if (std::strncmp(argv[index], "--json=", 7) == 0)
            jsonPath = argv[index] + 7;
        else if (std::strcmp(argv[index], "--no-memory") == 0)
            measureMemory = false;
        else
            args.push_back(argv[index]);
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    // CPU seconds per batch: the fastest repetition of each benchmark.
    std::map<std::string, double> secondsPerBatch;
    for (const auto& run : reporter.m_Runs) {
        if (run.run_type != benchmark::BenchmarkReporter::Run::RT_Iteration || run.iterations <= 0)
            continue;
        const std::string name = run.run_name.function_name
            + (run.run_name.args.empty() ? std::string() : "/" + run.run_name.args);
        const double seconds = run.cpu_accumulated_time / static_cast<double>(run.iterations);
        if (secondsPerBatch.count(name) == 0 || seconds < secondsPerBatch[name])
            secondsPerBatch[name] = seconds;
    }
    const double memcpySeconds = secondsPerBatch["BM_Memcpy"];
    const double batchBytes = Batches()[0].m_Bytes.size();
    const double memcpyRate = batchBytes / memcpySeconds / 1e6;
    const double valid3 = secondsPerBatch["BM_Decode/0"];
    QJsonArray rows;
    std::printf("\n%-44s %10s %14s %16s\n", "1 MiB batch (fastest run, CPU time)", "MB/s", "rate / memcpy",
                "time / valid-3");
    std::printf("%-44s %10.0f %14.4f %16s\n", "memcpy of the valid 3-byte batch", memcpyRate, 1.0, "");
    for (size_t index = 0; index < Batches().size(); ++index) {
        const double seconds = secondsPerBatch["BM_Decode/" + std::to_string(index)];
        if (seconds <= 0 || memcpySeconds <= 0 || valid3 <= 0)
            continue;
        const double rate = Batches()[index].m_Bytes.size() / seconds / 1e6;
        std::printf("%-44s %10.0f %14.4f %16.2f\n", Batches()[index].m_Name.c_str(), rate, rate / memcpyRate,
                    seconds / valid3);
        rows.append(QJsonObject{{"batch", QString::fromStdString(Batches()[index].m_Name)},
                                {"megabytes_per_second", rate},
                                {"rate_vs_memcpy", rate / memcpyRate},
                                {"time_vs_valid_3_byte", seconds / valid3}});
    }

    if (!measureMemory) {
        QFile file(QString::fromStdString(jsonPath));
        if (file.open(QIODevice::WriteOnly))
            file.write(QJsonDocument(QJsonObject{{"memcpy_megabytes_per_second", memcpyRate}, {"decode", rows}}).toJson());
        benchmark::Shutdown();
        return 0;
    }

    // Memory: packets without photons give the cost of a packet; packets of
    // 256 records then give the cost of a photon.
    SetGM(0);
    QByteArray empty;
    for (int packet = 0; packet < 100000; ++packet)
        AppendPacket(&empty, 1, packet, {});
    const Growth packets = DecodeIntoFreshStore(empty, 40);
    const double perPacket = packets.m_ResidentBytes / static_cast<double>(packets.m_Packets);
    const Growth photons = DecodeIntoFreshStore(ValidBatch(3, 256, 8 << 20), 24);
    const double perPhoton = (photons.m_ResidentBytes - perPacket * static_cast<double>(photons.m_Packets))
        / static_cast<double>(photons.m_Photons);
    const double freshRate = photons.m_Bytes / photons.m_Seconds / 1e6;
    CollectedPackets::DeleteInstance();
    std::printf("%-44s %10.0f %14.4f\n", "valid 3-byte, into fresh memory (page faults)", freshRate,
                freshRate / memcpyRate);
    std::printf("store memory: %.1f bytes per packet, %.2f bytes per photon (%lld packets, %lld photons)\n",
                perPacket, perPhoton, static_cast<long long>(packets.m_Packets),
                static_cast<long long>(photons.m_Photons));

    QJsonObject report{{"memcpy_megabytes_per_second", memcpyRate},
                       {"decode", rows},
                       {"fresh_memory_megabytes_per_second", freshRate},
                       {"fresh_memory_rate_vs_memcpy", freshRate / memcpyRate},
                       {"bytes_per_packet", perPacket},
                       {"bytes_per_photon", perPhoton}};
    QFile file(QString::fromStdString(jsonPath));
    if (file.open(QIODevice::WriteOnly))
        file.write(QJsonDocument(report).toJson());
    benchmark::Shutdown();
    return 0;
}
