// Export speed with ten million photons: CSV lines per second and binary
// records per second, each as a ratio to a plain write of the same number of
// bytes in the same run, plus CSV formatting alone against QString::arg.
// Prints one table and writes bench_export.json (or the path after --json=).
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "acquisition/collectedpackets.h"
#include "files/binarycollectionwriter.h"
#include "files/collectionformat.h"
#include "files/packetoperations.h"

namespace {

constexpr qint64 PHOTONS = 10000000;
constexpr int PHOTONS_PER_PACKET = 216;   // a full packet of 3-byte records
constexpr int RUNS = 3;

double now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void fillStore()
{
    CollectedPackets* store = CollectedPackets::GetInstance();
    const auto lock = store->AccessLock();
    store->Clear();
    std::vector<Photon> photons(PHOTONS_PER_PACKET);
    for (qint64 done = 0, packet = 0; done < PHOTONS; ++packet) {
        const int count = static_cast<int>(std::min<qint64>(PHOTONS_PER_PACKET, PHOTONS - done));
        for (int k = 0; k < count; ++k) {
            Photon& photon = photons[static_cast<size_t>(k)];
            photon.m_Pixel = static_cast<qint16>(1 + (packet * 31 + k * 7) % 484);
            photon.m_Energy = static_cast<quint16>((packet * 13 + k * 101) % 4096);
            photon.m_PositiveEnergy = static_cast<quint8>(k % 5 != 0);
            photon.m_TimeDetect = static_cast<quint16>((k * 37) % 3000);
            photon.m_PositiveTimeDetect = static_cast<quint8>(k % 3 != 0);
        }
        store->AddPacket(static_cast<quint8>(1 + packet % 4), static_cast<quint16>(packet),
                         static_cast<quint8>(packet), photons.data(), count);
        done += count;
    }
}

// Seconds to write a_Bytes bytes in 1 MiB pieces, flushed and closed.
double plainWrite(const QString& a_Path, qint64 a_Bytes)
{
    const QByteArray piece(1 << 20, 'x');
    const double start = now();
    QFile file(a_Path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    for (qint64 left = a_Bytes; left > 0; left -= piece.size())
        file.write(piece.constData(), std::min<qint64>(left, piece.size()));
    file.close();
    return now() - start;
}

template <typename Function>
double best(Function a_Run)
{
    double fastest = 1e30;
    for (int run = 0; run < RUNS; ++run)
        fastest = std::min(fastest, a_Run());
    return fastest;
}

struct Row
{
    std::string m_Name;
    double m_PerSecond;
    double m_Ratio;
    std::string m_Baseline;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::string jsonPath = "bench_export.json";
    for (int index = 1; index < argc; ++index) {
        if (std::strncmp(argv[index], "--json=", 7) == 0)
            jsonPath = argv[index] + 7;
    }
    QTemporaryDir dir;
    const QString csvPath = dir.filePath("photons.csv");
    const QString binaryPath = dir.filePath("photons.dat");
    const QString plainPath = dir.filePath("plain.bin");
    fillStore();
    CollectedPackets* store = CollectedPackets::GetInstance();
    const double photons = static_cast<double>(PHOTONS);

    // CSV through the packet operations, on this thread as before Initialize.
    PacketOperations operations;
    const double csvSeconds = best([&] {
        const double start = now();
        operations.SaveFile(csvPath);
        return now() - start;
    });
    const qint64 csvBytes = QFileInfo(csvPath).size();
    const double csvPlainSeconds = best([&] { return plainWrite(plainPath, csvBytes); });

    // CSV formatting alone, into memory, against QString::arg on a tenth.
    const double formatSeconds = best([&] {
        const auto lock = store->AccessLock();
        std::string lines;
        const double start = now();
        for (const Packet& packet : store->GetPackets()) {
            lines.clear();
            CollectionFormat::AppendCsvLines(packet, &lines);
        }
        return now() - start;
    });
    qint64 argLines = 0;
    const double argSeconds = best([&] {
        const auto lock = store->AccessLock();
        const QString format = QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8\n");
        QByteArray sink;
        argLines = 0;
        const double start = now();
        for (const Packet& packet : store->GetPackets()) {
            if (argLines >= PHOTONS / 10)
                break;
            int index = 0;
            for (const Photon& photon : packet) {
                sink = format.arg(packet.m_GMID).arg(packet.m_HeaderWord).arg(index++)
                           .arg(static_cast<quint16>(photon.m_Pixel)).arg(photon.m_Energy)
                           .arg(photon.m_PositiveEnergy).arg(photon.m_TimeDetect)
                           .arg(photon.m_PositiveTimeDetect).toUtf8();
                ++argLines;
            }
        }
        return now() - start;
    });

    // Binary records.
    const double binarySeconds = best([&] {
        const auto lock = store->AccessLock();
        const double start = now();
        QFile file(binaryPath);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        BinaryCollectionWriter::Write(*store, &file);
        file.close();
        return now() - start;
    });
    const qint64 binaryBytes = QFileInfo(binaryPath).size();
    const double binaryPlainSeconds = best([&] { return plainWrite(plainPath, binaryBytes); });

    const double argRate = static_cast<double>(argLines) / argSeconds;
    const std::vector<Row> rows = {
        {"CSV save (lines/s)", photons / csvSeconds, csvPlainSeconds / csvSeconds, "plain write of the CSV bytes"},
        {"CSV formatting only (lines/s)", photons / formatSeconds, (photons / formatSeconds) / argRate,
         "QString::arg per line"},
        {"binary save (records/s)", photons / binarySeconds, binaryPlainSeconds / binarySeconds,
         "plain write of the binary bytes"},
    };
    std::printf("\n%lld photons in %d packets; CSV %lld bytes, binary %lld bytes; fastest of %d runs\n",
                static_cast<long long>(PHOTONS), store->GetSize(), static_cast<long long>(csvBytes),
                static_cast<long long>(binaryBytes), RUNS);
    std::printf("%-32s %14s %10s  %s\n", "export", "per second", "ratio", "baseline (same run)");
    QJsonArray json;
    for (const Row& row : rows) {
        std::printf("%-32s %14.0f %10.3f  %s\n", row.m_Name.c_str(), row.m_PerSecond, row.m_Ratio,
                    row.m_Baseline.c_str());
        json.append(QJsonObject{{"export", QString::fromStdString(row.m_Name)},
                                {"per_second", row.m_PerSecond},
                                {"ratio_to_baseline", row.m_Ratio},
                                {"baseline", QString::fromStdString(row.m_Baseline)}});
    }
    std::printf("baselines: plain CSV-sized write %.0f MB/s, plain binary-sized write %.0f MB/s, "
                "QString::arg %.0f lines/s\n",
                static_cast<double>(csvBytes) / csvPlainSeconds / 1e6,
                static_cast<double>(binaryBytes) / binaryPlainSeconds / 1e6, argRate);
    QFile file(QString::fromStdString(jsonPath));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(QJsonDocument(QJsonObject{{"photons", static_cast<double>(PHOTONS)}, {"exports", json}}).toJson());
    return 0;
}
