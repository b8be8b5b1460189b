// The packet store, filled by a real collection from the virtual camera at the
// highest packet transfer rate: resident memory growth per stored photon and
// per packet at 10 and 100 million photons (against the bytes on the wire),
// then GetPhotonData calls per second over the 100-million-photon store against
// random reads of a plain photon array of the same kind in the same run.
// Options: --quick (1 and 10 million photons), --json PATH (bench_store.json).
#include "bench/benchsupport.h"
#include "bench/camerarig.h"
#include "quorveldll.h"

#include <QCoreApplication>
#include <QJsonArray>

#include <algorithm>
#include <malloc.h>
#include <cstdio>
#include <vector>

namespace {

constexpr double QUERY_SECONDS = 2.0;

struct Sample
{
    qint64 m_Photons = 0;
    qint64 m_Packets = 0;
    qint64 m_Resident = 0;
};

// One collection of at least a_Photons photons: resident memory right after
// the start (the previous store emptied and handed back to the system) and
// after the stop, once the library has stored everything the camera sent. The
// library hands its batches over when its buffer is full and at the stop.
bool Collect(CameraRig* a_pRig, qint64 a_Photons, Sample* a_pBase, Sample* a_pFull)
{
    camsim::VirtualCamera& camera = a_pRig->Camera();
    const qint64 packets = (a_Photons + a_pRig->Shape().m_PhotonsPerPacket - 1) / a_pRig->Shape().m_PhotonsPerPacket;
    camera.clearRecords();
    if (!QuorvelDll::StartPhotonCollection())
        return false;
    ::malloc_trim(0);
    a_pBase->m_Resident = bench::ResidentBytes();
    camera.waitForPacketsSent(packets, 600000);
    a_pRig->PauseStream();
    const bool stopped = QuorvelDll::StopPhotonCollection();
    const qint64 sent = camera.packetsSent();
    a_pRig->WaitStored(sent, 60000);
    a_pFull->m_Packets = QuorvelDll::GetNoOfCollectedPackets();
    a_pFull->m_Photons = a_pFull->m_Packets * a_pRig->Shape().m_PhotonsPerPacket;
    a_pFull->m_Resident = bench::ResidentBytes();
    return stopped && a_pFull->m_Packets == sent;
}

quint32 NextRandom(quint32* a_pState)
{
    quint32 x = *a_pState;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return *a_pState = x;
}

// Random GetPhotonData calls for a while; calls per second, failures counted.
double QueryRate(int a_Packets, int a_PerPacket, qint64* a_pFailures)
{
    quint32 state = 12345;
    qint64 calls = 0;
    qint64 sum = 0;
    const double start = bench::Now();
    double elapsed = 0.0;
    while (elapsed < QUERY_SECONDS) {
        for (int k = 0; k < 4096; ++k) {
            int value = 0;
            const int packet = 1 + static_cast<int>(NextRandom(&state) % static_cast<quint32>(a_Packets));
            const int photon = 1 + static_cast<int>(NextRandom(&state) % static_cast<quint32>(a_PerPacket));
            const auto type = static_cast<PhotonData>(1 + NextRandom(&state) % 5);
            if (!QuorvelDll::GetPhotonData(packet, photon, type, &value))
                ++*a_pFailures;
            sum += value;
        }
        calls += 4096;
        elapsed = bench::Now() - start;
    }
    if (sum == -1)
        std::printf(" ");
    return static_cast<double>(calls) / elapsed;
}

// The same random reads, bounds-checked, from a plain array of photons.
double PlainRate(qint64 a_Photons, int a_PerPacket)
{
    struct Plain
    {
        qint16 m_Pixel;
        quint16 m_Energy;
        quint16 m_TimeDetect;
        quint8 m_PositiveEnergy;
        quint8 m_PositiveTimeDetect;
    };
    std::vector<Plain> photons(static_cast<size_t>(a_Photons));
    for (size_t i = 0; i < photons.size(); ++i)
        photons[i] = Plain{static_cast<qint16>(i % 484), static_cast<quint16>(i % 4096), 7, 1, 0};
    const qint64 packets = a_Photons / a_PerPacket;
    quint32 state = 12345;
    qint64 calls = 0;
    qint64 sum = 0;
    const double start = bench::Now();
    double elapsed = 0.0;
    while (elapsed < QUERY_SECONDS) {
        for (int k = 0; k < 4096; ++k) {
            const qint64 packet = 1 + NextRandom(&state) % static_cast<quint32>(packets);
            const int photon = 1 + static_cast<int>(NextRandom(&state) % static_cast<quint32>(a_PerPacket));
            const quint32 type = 1 + NextRandom(&state) % 5;
            const qint64 index = (packet - 1) * a_PerPacket + photon - 1;
            if (index < 0 || index >= a_Photons)
                continue;
            const Plain& p = photons[static_cast<size_t>(index)];
            sum += type == 1 ? p.m_Pixel : type == 2 ? p.m_Energy : type == 3 ? p.m_PositiveEnergy
                 : type == 4 ? p.m_TimeDetect : p.m_PositiveTimeDetect;
        }
        calls += 4096;
        elapsed = bench::Now() - start;
    }
    if (sum == -1)
        std::printf(" ");
    return static_cast<double>(calls) / elapsed;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const bool quick = bench::HasFlag(arguments, "quick");
    const QString jsonPath = bench::Option(arguments, "json", "bench_store.json");
    const QJsonObject machine = bench::MachineDescription();
    std::printf("machine: %s\n", bench::MachineLine(machine).toUtf8().constData());

    CameraRig rig(QStringLiteral("127.0.90.5"), StreamShape::Small());
    QString error;
    if (!rig.Connect(&error)) {
        std::fprintf(stderr, "%s\n", error.toUtf8().constData());
        return 1;
    }
    const StreamShape shape = rig.Shape();
    const double wirePerPhoton = static_cast<double>(shape.PacketBytes()) / shape.m_PhotonsPerPacket;
    const double goalPerPhoton = 12.0 + 48.0 / shape.m_PhotonsPerPacket;

    // A first collection puts every buffer of the library in place.
    Sample base;
    Sample sample;
    if (!Collect(&rig, 100000, &base, &sample)) {
        std::fprintf(stderr, "%s\n", QuorvelDll::GetLastError().c_str());
        return 1;
    }
    QJsonArray samples;
    std::printf("\n%-22s %14s %14s %12s %12s %12s\n", "store", "bytes/photon", "bytes/packet", "ratio wire",
                "ratio goal", "resident MB");
    const qint64 targets[] = {quick ? 1000000 : 10000000, quick ? 10000000 : 100000000};
    for (qint64 target : targets) {
        // Growth from the start of the first measured collection: what the store
        // keeps between collections is counted once, in the larger one.
        Sample start;
        if (!Collect(&rig, target, &start, &sample)) {
            std::fprintf(stderr, "the library did not store every packet of %lld photons: %s\n",
                         static_cast<long long>(target), QuorvelDll::GetLastError().c_str());
            break;
        }
        if (target == targets[0])
            base = start;
        const double growth = static_cast<double>(sample.m_Resident - base.m_Resident);
        const double perPhoton = growth / static_cast<double>(sample.m_Photons);
        const double perPacket = growth / static_cast<double>(sample.m_Packets);
        std::printf("%-22s %14.2f %14.1f %12.2f %12.2f %12.0f\n",
                    QStringLiteral("%1 M photons").arg(sample.m_Photons / 1e6, 0, 'f', 1).toUtf8().constData(),
                    perPhoton, perPacket, perPhoton / wirePerPhoton, perPhoton / goalPerPhoton, sample.m_Resident / 1e6);
        samples.append(QJsonObject{{"photons", sample.m_Photons}, {"packets", sample.m_Packets},
                                   {"bytes_per_photon", perPhoton}, {"bytes_per_packet", perPacket},
                                   {"ratio_to_wire_bytes", perPhoton / wirePerPhoton},
                                   {"ratio_to_goal", perPhoton / goalPerPhoton}, {"resident_bytes", sample.m_Resident}});
    }
    const int packets = QuorvelDll::GetNoOfCollectedPackets();
    qint64 failures = 0;
    const double queries = QueryRate(packets, shape.m_PhotonsPerPacket, &failures);
    int outside = 0;
    const bool refused = !QuorvelDll::GetPhotonData(packets + 1, 1, PHOTON_DATA_PIXEL, &outside)
                         && !QuorvelDll::GetPhotonData(1, shape.m_PhotonsPerPacket + 1, PHOTON_DATA_PIXEL, &outside);
    const double plain = PlainRate(std::min<qint64>(static_cast<qint64>(packets) * shape.m_PhotonsPerPacket, 10000000),
                                   shape.m_PhotonsPerPacket);
    std::printf("%-22s %14.0f calls/s, %.3f of plain array reads (%.0f/s); %lld failed; out of range refused: %s\n",
                "GetPhotonData random", queries, queries / plain, plain, static_cast<long long>(failures),
                refused ? "yes" : "NO");
    std::printf("wire bytes per photon %.2f; goal %.2f bytes per photon (12 + 48 per packet of %d)\n", wirePerPhoton,
                goalPerPhoton, shape.m_PhotonsPerPacket);
    bench::WriteJson(jsonPath,
                     QJsonObject{{"machine", machine},
                                 {"store", samples},
                                 {"wire_bytes_per_photon", wirePerPhoton},
                                 {"goal_bytes_per_photon", goalPerPhoton},
                                 {"queries", QJsonObject{{"per_second", queries}, {"ratio_to_plain", queries / plain},
                                                         {"plain_per_second", plain}, {"failures", failures},
                                                         {"stored_packets", packets},
                                                         {"out_of_range_refused", refused}}}});
    return failures == 0 && refused ? 0 : 1;
}
