// Cost of building the register images of four gamma modules (ASIC global and
// channel images, and the five one-byte GM images), each figure a ratio to
// allocating and zeroing the same byte arrays in the same run.
// Prints one table and writes bench_model.json (or the path after --json=).
#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "asic/asicregisterimage.h"
#include "gammamodule/gammamodule.h"

namespace {

constexpr int GM_COUNT = 4;

// Four GMs with every channel word non-zero, so every channel is packed.
std::vector<std::unique_ptr<GammaModule>> MakeGMs()
{
    std::vector<std::unique_ptr<GammaModule>> gms;
    for (int id = 1; id <= GM_COUNT; ++id) {
        auto gm = std::make_unique<GammaModule>(id);
        gm->SetDelayTime(200);
        gm->SetNoOfPulses(5);
        ASIC* asic = gm->AccessASIC();
        asic->SetChannelThresholdStep(CHANNEL_THRESHOLD_TYPE_ANODE_POSITIVE_ENERGY, 512);
        asic->SetPeakDetectTimeout(CHANNEL_TYPE_ANODE, 4);
        asic->SetAnodeChannelToMonitor(64);
        for (int no = 1; no <= ASIC_ANODE_CHANNEL_COUNT; ++no) {
            asic->SetChannelPositivePulseThresholdTrimStep(CHANNEL_TYPE_ANODE, no, no % 32);
            asic->SetAnodeChannelNegativePulseThresholdTrimStep(no, 31 - no % 32);
        }
        for (int no = 1; no <= ASIC_CATHODE_CHANNEL_COUNT; ++no)
            asic->SetCathodeTimingChannelTrimStep(CATHODE_TIMING_CHANNEL_TYPE_UNIPOLAR, no, 9);
        gms.push_back(std::move(gm));
    }
    return gms;
}

void BM_ZeroArrays(benchmark::State& a_State)
{
    for (auto _ : a_State) {
        for (int gm = 0; gm < GM_COUNT; ++gm) {
            QByteArray global(ASICRegisterImage::GLOBAL_IMAGE_SIZE, '\0');
            QByteArray channels(ASICRegisterImage::CHANNEL_IMAGE_SIZE, '\0');
            std::reverse(channels.begin(), channels.end());
            benchmark::DoNotOptimize(global.data());
            benchmark::DoNotOptimize(channels.data());
        }
    }
}

void BM_ASICImages(benchmark::State& a_State)
{
    const auto gms = MakeGMs();
    for (auto _ : a_State) {
        for (const auto& gm : gms) {
            QByteArray global = gm->GetASIC().GetGlobalDataArray();
            QByteArray channels = gm->GetASIC().GetChannelDataArray();
            benchmark::DoNotOptimize(global.data());
            benchmark::DoNotOptimize(channels.data());
        }
    }
}

void BM_GMImages(benchmark::State& a_State)
{
    const auto gms = MakeGMs();
    for (auto _ : a_State) {
        int sum = 0;
        for (const auto& gm : gms) {
            sum += gm->GetControlData() + gm->GetGMASICModeData() + gm->GetGMPulserModeData()
                + gm->GetDelayTimeData() + gm->GetTimeStampResolutionData() + (gm->GetDefaultGM() & 0xFF);
        }
        benchmark::DoNotOptimize(sum);
    }
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

BENCHMARK(BM_ZeroArrays)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ASICImages)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GMImages)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    std::string jsonPath = "bench_model.json";
    std::vector<char*> args;
    for (int index = 0; index < argc; ++index) {
        if (std::strncmp(argv[index], "--json=", 7) == 0)
            jsonPath = argv[index] + 7;
        else
            args.push_back(argv[index]);
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::map<std::string, double> seconds;
    for (const auto& run : reporter.m_Runs) {
        if (run.run_type == benchmark::BenchmarkReporter::Run::RT_Iteration && run.iterations > 0)
            seconds[run.benchmark_name()] = run.real_accumulated_time / static_cast<double>(run.iterations);
    }
    const double baseline = seconds["BM_ZeroArrays"];
    const struct {
        const char* m_Key;
        const char* m_Name;
    } rows[] = {
        { "BM_ZeroArrays", "zeroed arrays of four GMs (baseline)" },
        { "BM_ASICImages", "ASIC global + channel images, four GMs" },
        { "BM_GMImages", "GM register images, four GMs" },
    };
    QJsonArray table;
    std::printf("\n%-44s %12s %12s %14s\n", "image building", "us per call", "baseline x", "share of 1 ms");
    for (const auto& row : rows) {
        const double s = seconds[row.m_Key];
        const double ratio = baseline > 0 ? s / baseline : 0.0;
        std::printf("%-44s %12.3f %12.2f %14.4f\n", row.m_Name, s * 1e6, ratio, s / 1e-3);
        table.append(QJsonObject{ { "case", row.m_Name },
            { "microseconds", s * 1e6 },
            { "time_vs_zeroed_arrays", ratio },
            { "share_of_one_millisecond", s / 1e-3 } });
    }
    QFile file(QString::fromStdString(jsonPath));
    if (file.open(QIODevice::WriteOnly))
        file.write(QJsonDocument(QJsonObject{ { "image_building", table } }).toJson());
    benchmark::Shutdown();
    return 0;
}
