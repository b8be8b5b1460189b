// The photon stream at line rate: 660-byte datagrams of three 70-photon
// packets from the virtual camera, the library collecting with its store off
// while a consumer thread writes every photon to a file, against the recvmmsg
// peer and the store path at the same rates in the same run.
// Options: --seconds N (the confirming run at 113 MB/s, default 60),
// --probe-seconds N (3), --file PATH (where the consumer writes; removed after),
// --json PATH (bench_streamreceive.json).
#include "bench/benchsupport.h"
#include "bench/camerarig.h"
#include "bench/libraryreceiver.h"
#include "bench/mmsgpeer.h"
#include "bench/streamreceiver.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>

#include <cstdio>

namespace {

constexpr double LINE_MBPS = 113.0;

void PrintProbe(const char* a_Name, const ProbeResult& a_Result)
{
    std::printf("  %-9s asked %6.1f MB/s, sent %6.1f MB/s for %5.1f s: %s (lost %lld, extra %lld, socket drops %lld)%s%s\n",
                a_Name, a_Result.m_RequestedMBps, a_Result.m_SentMBps, a_Result.m_Seconds,
                a_Result.Lossless() ? "nothing lost" : "LOSSY", static_cast<long long>(a_Result.m_Lost),
                static_cast<long long>(a_Result.m_Extra), static_cast<long long>(a_Result.m_SocketDrops),
                a_Result.m_Error.isEmpty() ? "" : " error: ", a_Result.m_Error.toUtf8().constData());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const double seconds = bench::Option(arguments, "seconds", "60").toDouble();
    const double probeSeconds = bench::Option(arguments, "probe-seconds", "3").toDouble();
    const QString file = bench::Option(arguments, "file", "bench_streamreceive.photons");
    const QString jsonPath = bench::Option(arguments, "json", "bench_streamreceive.json");
    const StreamShape shape = StreamShape::ThreePackets();
    const QVector<double> rungs{LINE_MBPS, 150, 200, 250};

    std::printf("machine: %s\n", bench::MachineLine(bench::MachineDescription()).toUtf8().constData());
    std::printf("%d-byte datagrams of %d packets of %d photons; probes of %.0f s\n", shape.DatagramBytes(),
                shape.m_PacketsPerDatagram, shape.m_PhotonsPerPacket, probeSeconds);
    QJsonArray rows;
    const auto record = [&](const char* a_Path, const ProbeResult& a_Result) {
        PrintProbe(a_Path, a_Result);
        QJsonObject row = a_Result.ToJson();
        row.insert("path", QString::fromLatin1(a_Path));
        rows.append(row);
    };
    {
        CameraRig rig(QStringLiteral("127.0.91.1"), shape);
        QString error;
        StreamReceiver stream(&rig, file);
        if (!rig.Connect(&error) || !stream.Enable(&error)) {
            std::fprintf(stderr, "stream: %s\n", error.toUtf8().constData());
            return 1;
        }
        for (const double rung : rungs)
            record("stream", stream.Probe(rung, probeSeconds));
        std::printf("confirming the stream at %.0f MB/s for %.0f s\n", LINE_MBPS, seconds);
        record("stream", stream.Probe(LINE_MBPS, seconds));
        std::printf("  peak resident memory while streaming: %.0f MiB\n", stream.PeakResidentMiB());
        QFile::remove(file);
    }
    {
        CameraRig rig(QStringLiteral("127.0.91.2"), shape);
        QString error;
        if (rig.Connect(&error)) {
            LibraryReceiver store(&rig, 4.0 * 1024 * 1024 * 1024);
            for (const double rung : rungs)
                record("store", store.Probe(rung, probeSeconds));
        } else {
            std::fprintf(stderr, "store: %s\n", error.toUtf8().constData());
        }
    }
    {
        MmsgPeer peer(QStringLiteral("127.0.91.3"), shape);
        QString error;
        if (peer.Start(&error)) {
            for (const double rung : rungs)
                record("recvmmsg", peer.Probe(rung, probeSeconds));
        } else {
            std::fprintf(stderr, "recvmmsg: %s\n", error.toUtf8().constData());
        }
    }
    bench::WriteJson(jsonPath, QJsonObject{{"machine", bench::MachineDescription()}, {"probes", rows}});
    return 0;
}
