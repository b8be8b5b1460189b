// Small helpers shared by the end-to-end benchmarks: clocks, resident memory,
// per-socket drop counts, the machine's description, waits that run Qt events,
// command-line options and JSON output.
#ifndef BENCH_BENCHSUPPORT_H
#define BENCH_BENCHSUPPORT_H

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <functional>

namespace bench {

double Now();                 // seconds on the steady clock
qint64 ResidentBytes();       // resident set of this process
qint64 SocketDrops(quint16 a_Port); // datagrams the kernel dropped at the UDP socket bound to a_Port, -1 if none
QJsonObject MachineDescription(); // nproc, CPU model, kernel
QString MachineLine(const QJsonObject& a_Machine);

void RunEvents(int a_Ms);
bool WaitUntil(const std::function<bool()>& a_Condition, int a_TimeoutMs);

// "--name=value" or "--name value" from the arguments; a_Default when absent.
QString Option(const QStringList& a_Arguments, const QString& a_Name, const QString& a_Default = QString());
bool HasFlag(const QStringList& a_Arguments, const QString& a_Name);

bool WriteJson(const QString& a_Path, const QJsonObject& a_Object);

} // namespace bench

#endif
