// Soak: collects from the virtual camera for N minutes at the highest packet
// transfer rate, in back-to-back collections of a few seconds each (a whole
// run at full rate would not fit in memory). Per collection: the resident
// memory growth per stored photon, lost or extra packets against the camera's
// ground truth, socket drops, and whether every query answers correctly; over
// the run, whether the memory left after each collection stays put.
// Not a CI test. Options: --minutes N (10), --segment-seconds N (15),
// --json PATH (soak.json). Exit status 0 only if nothing was lost and every
// query answered correctly.
#include "bench/benchsupport.h"
#include "bench/camerarig.h"
#include "bench/collectioncheck.h"
#include "quorveldll.h"

#include <QCoreApplication>
#include <QJsonArray>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const double minutes = bench::Option(arguments, "minutes", "10").toDouble();
    const double segmentSeconds = bench::Option(arguments, "segment-seconds", "15").toDouble();
    const QString jsonPath = bench::Option(arguments, "json", "soak.json");
    const QJsonObject machine = bench::MachineDescription();
    std::printf("machine: %s\nsoak: %.1f minutes in collections of %.0f s at the highest packet transfer rate\n",
                bench::MachineLine(machine).toUtf8().constData(), minutes, segmentSeconds);

    CameraRig rig(QStringLiteral("127.0.90.8"), StreamShape::Small());
    QString error;
    if (!rig.Connect(&error)) {
        std::fprintf(stderr, "%s\n", error.toUtf8().constData());
        return 1;
    }
    camsim::VirtualCamera& camera = rig.Camera();
    const int perPacket = rig.Shape().m_PhotonsPerPacket;
    const double end = bench::Now() + minutes * 60.0;
    QJsonArray segments;
    qint64 sent = 0, lost = 0, extra = 0, badAnswers = 0, drops = 0, photons = 0;
    qint64 firstBase = -1, lastBase = -1;
    double maxPerPhoton = 0.0;
    std::printf("%4s %10s %10s %6s %6s %6s %6s %12s %12s %12s\n", "run", "sent", "stored", "lost", "extra", "bad", "drops",
                "base MB", "end MB", "B/photon");
    for (int run = 1; bench::Now() < end; ++run) {
        camera.clearRecords();
        if (!QuorvelDll::StartPhotonCollection()) {
            std::fprintf(stderr, "%s\n", QuorvelDll::GetLastError().c_str());
            return 1;
        }
        const qint64 base = bench::ResidentBytes();
        const qint64 dropsBefore = bench::SocketDrops(rig.DataPort());
        bench::RunEvents(static_cast<int>(std::min(segmentSeconds, std::max(1.0, end - bench::Now())) * 1000));
        rig.PauseStream();
        rig.WaitStored(camera.packetsSent(), 30000);
        QuorvelDll::StopPhotonCollection();
        rig.WaitStored(camera.packetsSent(), 30000);
        const qint64 resident = bench::ResidentBytes();
        const qint64 dropped = std::max<qint64>(0, bench::SocketDrops(rig.DataPort()) - std::max<qint64>(0, dropsBefore));
        const CollectionCheck::Result check = CollectionCheck::Compare(camera, perPacket);
        const double perPhoton = check.m_Photons > 0 ? double(resident - base) / double(check.m_Photons) : 0.0;
        std::printf("%4d %10lld %10lld %6lld %6lld %6lld %6lld %12.0f %12.0f %12.2f\n", run,
                    static_cast<long long>(check.m_Sent), static_cast<long long>(check.m_Stored),
                    static_cast<long long>(check.m_Missing), static_cast<long long>(check.m_Extra + check.m_Breaks),
                    static_cast<long long>(check.m_BadAnswers), static_cast<long long>(dropped), base / 1e6,
                    resident / 1e6, perPhoton);
        if (!check.m_FirstBadAnswer.isEmpty())
            std::printf("     first bad answer: %s\n", check.m_FirstBadAnswer.toUtf8().constData());
        std::fflush(stdout);
        sent += check.m_Sent;
        lost += check.m_Missing;
        extra += check.m_Extra + check.m_Breaks;
        badAnswers += check.m_BadAnswers;
        drops += dropped;
        photons += check.m_Photons;
        if (firstBase < 0)
            firstBase = base;
        lastBase = base;
        maxPerPhoton = std::max(maxPerPhoton, perPhoton);
        segments.append(QJsonObject{{"sent", check.m_Sent}, {"stored", check.m_Stored}, {"lost", check.m_Missing},
                                    {"extra", check.m_Extra + check.m_Breaks}, {"bad_answers", check.m_BadAnswers},
                                    {"socket_drops", dropped}, {"base_resident", base}, {"end_resident", resident},
                                    {"bytes_per_photon", perPhoton}});
    }
    // Out-of-range queries must still be refused at the end.
    int value = 0;
    const int packets = QuorvelDll::GetNoOfCollectedPackets();
    const bool refused = !QuorvelDll::GetPhotonData(packets + 1, 1, PHOTON_DATA_ENERGY, &value)
                         && !QuorvelDll::GetPacketData(0, PACKET_DATA_GM_ID, &value);
    const bool whole = lost == 0 && extra == 0 && badAnswers == 0 && refused && sent > 0;
    std::printf("\nsoak %s: %lld packets (%lld photons) sent, %lld lost, %lld extra, %lld bad answers, %lld socket drops;"
                " memory left between collections moved %.1f MB; at most %.2f bytes per stored photon;"
                " out-of-range queries refused: %s\n",
                whole ? "passed" : "FAILED", static_cast<long long>(sent), static_cast<long long>(photons),
                static_cast<long long>(lost), static_cast<long long>(extra), static_cast<long long>(badAnswers),
                static_cast<long long>(drops), (lastBase - firstBase) / 1e6, maxPerPhoton, refused ? "yes" : "NO");
    bench::WriteJson(jsonPath, QJsonObject{{"machine", machine}, {"minutes", minutes}, {"segments", segments},
                                           {"sent", sent}, {"lost", lost}, {"extra", extra}, {"bad_answers", badAnswers},
                                           {"socket_drops", drops}, {"base_drift_bytes", lastBase - firstBase},
                                           {"max_bytes_per_photon", maxPerPhoton}, {"passed", whole}});
    return whole ? 0 : 1;
}
