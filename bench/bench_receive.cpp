// End-to-end receive: the highest rate at which a collection through the
// exported interface loses nothing, for 658-byte and 1400-byte datagrams from
// the virtual camera over loopback, against a recvmmsg receiver and iperf3 at
// the same rates in the same run, and the camera's own send speed on one core.
// Options: --seconds N (confirming run, default 60), --probe-seconds N (3),
// --quick (2 s probes, 5 s confirmation, fewer rungs), --store-budget-gib N (4),
// --json PATH (bench_receive.json).
#include "bench/benchsupport.h"
#include "bench/camerarig.h"
#include "bench/iperfpeer.h"
#include "bench/libraryreceiver.h"
#include "bench/mmsgpeer.h"
#include "bench/rateladder.h"

#include <QCoreApplication>
#include <QJsonArray>

#include <cstdio>

namespace {

struct Size
{
    const char* m_Name;
    StreamShape m_Shape;
    double m_LineMBps; // payload of a 1 Gb/s link at this datagram size
};

double SendSpeed(const StreamShape& a_Shape)
{
    MmsgPeer peer(QStringLiteral("127.0.90.4"), a_Shape, true);
    QString error;
    if (!peer.Start(&error)) {
        std::fprintf(stderr, "send speed: %s\n", error.toUtf8().constData());
        return 0.0;
    }
    return peer.Probe(-1, 3.0).m_SentMBps;
}

QJsonObject MeasureSize(const Size& a_Size, const RateLadder& a_Ladder, double a_BudgetBytes)
{
    const QString label = QString::fromLatin1(a_Size.m_Name);
    QJsonObject row{{"datagram_bytes", a_Size.m_Shape.DatagramBytes()}, {"line_MBps", a_Size.m_LineMBps}};
    const double camera = SendSpeed(a_Size.m_Shape);
    row.insert("camera_one_core_MBps", camera);
    std::fprintf(stderr, "%s: the camera sends %.1f MB/s flat out on one core\n", a_Size.m_Name, camera);

    RateLadder::Outcome library;
    {
        CameraRig rig(QStringLiteral("127.0.90.1"), a_Size.m_Shape);
        QString error;
        if (rig.Connect(&error)) {
            LibraryReceiver receiver(&rig, a_BudgetBytes);
            library = a_Ladder.Climb(QStringLiteral("library ") + label,
                                     [&](double a_MBps, double a_Seconds) { return receiver.Probe(a_MBps, a_Seconds); });
        } else {
            std::fprintf(stderr, "library: %s\n", error.toUtf8().constData());
        }
    }
    RateLadder::Outcome mmsg;
    {
        MmsgPeer peer(QStringLiteral("127.0.90.2"), a_Size.m_Shape);
        QString error;
        if (peer.Start(&error)) {
            row.insert("recvmmsg_buffer_bytes", peer.GrantedBufferBytes());
            mmsg = a_Ladder.Climb(QStringLiteral("recvmmsg ") + label,
                                  [&](double a_MBps, double a_Seconds) { return peer.Probe(a_MBps, a_Seconds); });
        } else {
            std::fprintf(stderr, "recvmmsg: %s\n", error.toUtf8().constData());
        }
    }
    RateLadder::Outcome iperf;
    if (IperfPeer::Available()) {
        IperfPeer peer(QStringLiteral("127.0.90.3"), a_Size.m_Shape.DatagramBytes());
        iperf = a_Ladder.Climb(QStringLiteral("iperf3 ") + label,
                               [&](double a_MBps, double a_Seconds) { return peer.Probe(a_MBps, a_Seconds); });
    }
    row.insert("library", library.ToJson());
    row.insert("recvmmsg", mmsg.ToJson());
    row.insert("iperf3", iperf.ToJson());
    return row;
}

void PrintRow(const char* a_Name, const QJsonObject& a_Row)
{
    const auto edge = [&](const char* a_Key) {
        return a_Row.value(a_Key).toObject().value("loss_free_MBps").toDouble();
    };
    const auto limited = [&](const char* a_Key) {
        return a_Row.value(a_Key).toObject().value("sender_limited").toBool() ? "+" : " ";
    };
    const double mmsg = edge("recvmmsg");
    const auto ratio = [&](double a_Value) { return mmsg > 0 ? a_Value / mmsg : 0.0; };
    std::printf("%-10s library %7.1f%s MB/s (%.2f of recvmmsg, %.2f of line)  recvmmsg %7.1f%s  iperf3 %7.1f%s (%.2f)"
                "  camera %7.1f MB/s on one core\n",
                a_Name, edge("library"), limited("library"), ratio(edge("library")),
                edge("library") / a_Row.value("line_MBps").toDouble(), mmsg, limited("recvmmsg"), edge("iperf3"),
                limited("iperf3"), ratio(edge("iperf3")), a_Row.value("camera_one_core_MBps").toDouble());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const bool quick = bench::HasFlag(arguments, "quick");
    const double seconds = bench::Option(arguments, "seconds", quick ? "5" : "60").toDouble();
    const double probeSeconds = bench::Option(arguments, "probe-seconds", quick ? "2" : "3").toDouble();
    const double budget = bench::Option(arguments, "store-budget-gib", "4").toDouble() * 1024 * 1024 * 1024;
    const QString jsonPath = bench::Option(arguments, "json", "bench_receive.json");

    const Size sizes[] = {{"658 B", StreamShape::Small(), 113.0}, {"1400 B", StreamShape::Large(), 119.0}};
    const QJsonObject machine = bench::MachineDescription();
    std::printf("machine: %s\n", bench::MachineLine(machine).toUtf8().constData());
    QJsonArray rows;
    for (const Size& size : sizes) {
        QVector<double> rungs = quick ? QVector<double>{20, 40, size.m_LineMBps, 200, 300}
                                      : QVector<double>{20, 40, 60, 80, 100, size.m_LineMBps, 150, 200, 250, 300, 400, 500, 700};
        const RateLadder ladder(rungs, probeSeconds, seconds);
        QJsonObject row = MeasureSize(size, ladder, budget);
        row.insert("size", QString::fromLatin1(size.m_Name));
        rows.append(row);
    }
    std::printf("\nloss-free receive rate (payload MB/s; + the sender could go no faster; confirming runs of %.0f s)\n",
                seconds);
    for (int index = 0; index < rows.size(); ++index)
        PrintRow(sizes[index].m_Name, rows[index].toObject());
    bench::WriteJson(jsonPath, QJsonObject{{"machine", machine}, {"confirm_seconds", seconds},
                                           {"probe_seconds", probeSeconds}, {"receive", rows}});
    return 0;
}
