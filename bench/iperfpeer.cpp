#include "bench/iperfpeer.h"

#include "bench/benchsupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

#include <cmath>

namespace {
constexpr int PORT = 5299;
}

IperfPeer::IperfPeer(const QString& a_Address, int a_DatagramBytes)
    : m_Address(a_Address)
    , m_DatagramBytes(a_DatagramBytes)
{
}

bool IperfPeer::Available()
{
    return !QStandardPaths::findExecutable(QStringLiteral("iperf3")).isEmpty();
}

ProbeResult IperfPeer::Probe(double a_MBps, double a_Seconds)
{
    ProbeResult result;
    result.m_RequestedMBps = a_MBps;
    const QString port = QString::number(PORT);
    QProcess server;
    server.start(QStringLiteral("iperf3"), {"-s", "-1", "-B", m_Address, "-p", port});
    if (!server.waitForStarted(3000)) {
        result.m_Error = QStringLiteral("iperf3 server did not start");
        return result;
    }
    bench::WaitUntil([&] { return server.waitForReadyRead(10) || server.state() != QProcess::Running; }, 3000);

    const int seconds = std::max(1, static_cast<int>(std::lround(a_Seconds)));
    QProcess client;
    client.start(QStringLiteral("iperf3"),
                 {"-c", m_Address, "-p", port, "-u", "-b", QString::number(static_cast<qint64>(a_MBps * 8e6)), "-l",
                  QString::number(m_DatagramBytes), "-t", QString::number(seconds), "-w", "4M", "-J"});
    client.waitForFinished(seconds * 1000 + 15000);
    server.waitForFinished(3000);
    if (server.state() != QProcess::NotRunning) {
        server.kill();
        server.waitForFinished(1000);
    }
    const QJsonObject end = QJsonDocument::fromJson(client.readAllStandardOutput()).object().value("end").toObject();
    const QJsonObject sum = end.value("sum").toObject();
    if (sum.isEmpty()) {
        result.m_Error = QStringLiteral("iperf3 gave no result");
        return result;
    }
    result.m_Seconds = sum.value("seconds").toDouble();
    result.m_Sent = static_cast<qint64>(sum.value("packets").toDouble());
    result.m_Lost = static_cast<qint64>(sum.value("lost_packets").toDouble());
    result.m_Received = result.m_Sent - result.m_Lost;
    result.m_SentMBps = sum.value("bits_per_second").toDouble() / 8e6;
    return result;
}
