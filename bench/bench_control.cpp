// Control over loopback against the virtual camera: one register read round
// trip (against a plain TCP round trip of the same sizes), the all-GMs
// all-channels fan-out in immediate mode, 4 GMs x 128 channels = 512 image
// writes (against the goal of 100 ms and a plain TCP stream of the same
// writes), and configuration save and load with 10 million photons in the
// store (against a plain write and read of the same file; the file holds the
// collected packets too, and loading connects and starts the camera). Each file
// figure is the fastest of three.
// Options: --quick, --json PATH (bench_control.json).
#include "bench/benchsupport.h"
#include "bench/camerarig.h"
#include "bench/tcpechopeer.h"
#include "quorveldll.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int FAN_OUT_WRITES = 4 * 128;
constexpr double FAN_OUT_GOAL_SECONDS = 0.1;
constexpr int RUNS = 5;

struct Row
{
    QString m_Name;
    double m_Seconds;
    double m_Baseline;
    QString m_BaselineName;
};

double Median(std::vector<double> a_Values)
{
    std::sort(a_Values.begin(), a_Values.end());
    return a_Values.empty() ? 0.0 : a_Values[a_Values.size() / 2];
}

double ReadRoundTrip(int a_Count)
{
    unsigned char msb = 0;
    unsigned char lsb = 0;
    const double start = bench::Now();
    for (int i = 0; i < a_Count; ++i) {
        if (!QuorvelDll::RegRead(127, &msb, &lsb))
            return -1.0;
    }
    return (bench::Now() - start) / a_Count;
}

// One fan-out: from the call until the camera has taken in every image write.
double FanOut(camsim::VirtualCamera& a_Camera, bool a_Mask, int* a_pRequestBytes)
{
    a_Camera.clearRecords();
    const double start = bench::Now();
    if (!QuorvelDll::MaskChannel(a_Mask) || !a_Camera.waitForRequests(FAN_OUT_WRITES, 10000))
        return -1.0;
    const double seconds = bench::Now() - start;
    const QList<QByteArray> requests = a_Camera.requests();
    *a_pRequestBytes = requests.first().size();
    return requests.size() == FAN_OUT_WRITES ? seconds : -1.0;
}

double PlainWrite(const QString& a_Path, qint64 a_Bytes)
{
    const QByteArray bytes(static_cast<int>(a_Bytes), 'x');
    const double start = bench::Now();
    QFile file(a_Path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
    file.close();
    return bench::Now() - start;
}

double PlainRead(const QString& a_Path)
{
    const double start = bench::Now();
    QFile file(a_Path);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    return bytes.isEmpty() ? 0.0 : bench::Now() - start;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const bool quick = bench::HasFlag(arguments, "quick");
    const QString jsonPath = bench::Option(arguments, "json", "bench_control.json");
    const QJsonObject machine = bench::MachineDescription();
    std::printf("machine: %s\n", bench::MachineLine(machine).toUtf8().constData());

    CameraRig rig(QStringLiteral("127.0.90.6"), StreamShape::Small());
    QString error;
    if (!rig.Connect(&error)) {
        std::fprintf(stderr, "%s\n", error.toUtf8().constData());
        return 1;
    }
    camsim::VirtualCamera& camera = rig.Camera();
    TcpEchoPeer echo(QStringLiteral("127.0.90.7"));
    std::vector<Row> rows;
    bool ok = true;

    // Register read round trip.
    const int reads = quick ? 200 : 2000;
    camera.clearRecords();
    ReadRoundTrip(1);
    const int readBytes = camera.requests().isEmpty() ? 2 : camera.requests().last().size();
    const double read = ReadRoundTrip(reads);
    rows.push_back({QStringLiteral("register read round trip"), read, echo.RoundTrip(readBytes, 3, reads),
                    QStringLiteral("plain TCP round trip, same sizes")});
    ok = ok && read > 0;

    // Fan-out: every anode channel of every GM, immediate mode.
    ok = ok && QuorvelDll::SetCameraUpdateMode(CAMERA_UPDATE_MODE_IMMEDIATE)
         && QuorvelDll::SetGMUpdateType(GM_UPDATE_TYPE_ALL_GMS);
    QuorvelDll::SetActiveChannelType(CHANNEL_TYPE_ANODE);
    QuorvelDll::SetChannelUpdateType(CHANNEL_UPDATE_TYPE_ALL);
    std::vector<double> fanOuts;
    int writeBytes = 0;
    for (int run = 0; ok && run < RUNS; ++run) {
        const double seconds = FanOut(camera, run % 2 == 0, &writeBytes);
        ok = seconds > 0;
        fanOuts.push_back(seconds);
    }
    const double fanOut = Median(fanOuts);
    rows.push_back({QStringLiteral("fan-out, 512 image writes"), fanOut, FAN_OUT_GOAL_SECONDS,
                    QStringLiteral("goal 100 ms")});
    rows.push_back({QStringLiteral("fan-out, 512 image writes"), fanOut, echo.Stream(writeBytes, FAN_OUT_WRITES),
                    QStringLiteral("plain TCP stream of the same writes")});
    QuorvelDll::SetChannelUpdateType(CHANNEL_UPDATE_TYPE_SINGLE);
    QuorvelDll::SetGMUpdateType(GM_UPDATE_TYPE_ACTIVE_GM);
    QuorvelDll::SetCameraUpdateMode(CAMERA_UPDATE_MODE_DEFERRED);

    // Configuration save and load with ten million photons in the store.
    const qint64 photons = quick ? 1000000 : 10000000;
    const int perPacket = rig.Shape().m_PhotonsPerPacket;
    ok = ok && QuorvelDll::StartPhotonCollection();
    ok = ok && bench::WaitUntil([&] { return qint64(QuorvelDll::GetNoOfCollectedPackets()) * perPacket >= photons; }, 120000);
    rig.PauseStream();
    rig.WaitStored(camera.packetsSent(), 30000);
    ok = QuorvelDll::StopPhotonCollection() && ok;
    rig.WaitStored(camera.packetsSent(), 30000);
    const qint64 stored = qint64(QuorvelDll::GetNoOfCollectedPackets()) * perPacket;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.dat"));
    const std::string file = path.toStdString();
    std::vector<double> saves, loads;
    for (int run = 0; ok && run < 3; ++run) {
        double start = bench::Now();
        ok = QuorvelDll::SaveConfiguration(file.c_str());
        saves.push_back(bench::Now() - start);
        // Loading needs the camera disconnected; it connects and starts the system itself.
        QuorvelDll::Disconnect();
        start = bench::Now();
        ok = ok && QuorvelDll::LoadConfiguration(file.c_str());
        loads.push_back(bench::Now() - start);
    }
    if (!ok)
        std::fprintf(stderr, "error: %s\n", QuorvelDll::GetLastError().c_str());
    saves.push_back(saves.empty() ? 0.0 : saves.front());
    loads.push_back(loads.empty() ? 0.0 : loads.front());
    const qint64 fileBytes = QFileInfo(path).size();
    const QString plainPath = dir.filePath(QStringLiteral("plain.bin"));
    double plainWrite = 1e30;
    double plainRead = 1e30;
    for (int run = 0; run < 3; ++run) {
        plainWrite = std::min(plainWrite, PlainWrite(plainPath, fileBytes));
        plainRead = std::min(plainRead, PlainRead(plainPath));
    }
    const bool kept = qint64(QuorvelDll::GetNoOfCollectedPackets()) * perPacket == stored;
    rows.push_back({QStringLiteral("configuration save"), *std::min_element(saves.begin(), saves.end()), plainWrite,
                    QStringLiteral("plain write of the file's %1 bytes").arg(fileBytes)});
    rows.push_back({QStringLiteral("configuration load"), *std::min_element(loads.begin(), loads.end()), plainRead,
                    QStringLiteral("plain read of the same file (load also connects and starts the camera)")});

    std::printf("\n%-28s %12s %10s  %s\n", "control", "ms", "ratio", "baseline (same run)");
    QJsonArray json;
    for (const Row& row : rows) {
        const double ratio = row.m_Baseline > 0 ? row.m_Seconds / row.m_Baseline : 0.0;
        std::printf("%-28s %12.3f %10.2f  %s (%.3f ms)\n", row.m_Name.toUtf8().constData(), row.m_Seconds * 1e3, ratio,
                    row.m_BaselineName.toUtf8().constData(), row.m_Baseline * 1e3);
        json.append(QJsonObject{{"name", row.m_Name}, {"ms", row.m_Seconds * 1e3}, {"baseline_ms", row.m_Baseline * 1e3},
                                {"ratio_to_baseline", ratio}, {"baseline", row.m_BaselineName}});
    }
    std::printf("%lld photons in the store during save and load; still there after: %s\n",
                static_cast<long long>(stored), kept ? "yes" : "NO");
    bench::WriteJson(jsonPath, QJsonObject{{"machine", machine}, {"control", json}, {"photons_in_store", stored},
                                           {"store_kept", kept}, {"ok", ok}});
    return ok ? 0 : 1;
}
