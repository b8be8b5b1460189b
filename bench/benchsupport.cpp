#include "bench/benchsupport.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QSysInfo>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <unistd.h>

namespace bench {

double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

qint64 ResidentBytes()
{
    QFile file(QStringLiteral("/proc/self/statm"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = file.readAll().split(' ');
    if (fields.size() < 2)
        return -1;
    return fields[1].toLongLong() * ::sysconf(_SC_PAGESIZE);
}

qint64 SocketDrops(quint16 a_Port)
{
    // /proc/net/udp: "sl local_address rem_address st ... drops", ports in hex.
    const QString port = QStringLiteral(":%1").arg(a_Port, 4, 16, QLatin1Char('0')).toUpper();
    QFile file(QStringLiteral("/proc/net/udp"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 13 && QString::fromLatin1(fields[1]).endsWith(port))
            return fields.last().toLongLong();
    }
    return -1;
}

QJsonObject MachineDescription()
{
    QString model;
    QFile cpu(QStringLiteral("/proc/cpuinfo"));
    if (cpu.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : cpu.readAll().split('\n')) {
            if (line.startsWith("model name")) {
                model = QString::fromLatin1(line.mid(line.indexOf(':') + 1)).trimmed();
                break;
            }
        }
    }
    QFile load(QStringLiteral("/proc/loadavg"));
    const QString loadAverage = load.open(QIODevice::ReadOnly) ? QString::fromLatin1(load.readAll()).section(' ', 0, 2) : QString();
    return QJsonObject{{"nproc", QThread::idealThreadCount()},
                       {"load_average", loadAverage},
                       {"cpu", model},
                       {"kernel", QSysInfo::kernelType() + QLatin1Char(' ') + QSysInfo::kernelVersion()}};
}

QString MachineLine(const QJsonObject& a_Machine)
{
    return QStringLiteral("%1 cores, %2, %3, load average %4")
        .arg(a_Machine.value("nproc").toInt())
        .arg(a_Machine.value("cpu").toString(), a_Machine.value("kernel").toString(),
             a_Machine.value("load_average").toString());
}

void RunEvents(int a_Ms)
{
    QEventLoop loop;
    QTimer::singleShot(a_Ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool WaitUntil(const std::function<bool()>& a_Condition, int a_TimeoutMs)
{
    const double end = Now() + a_TimeoutMs / 1000.0;
    while (!a_Condition()) {
        if (Now() >= end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(500);
    }
    return true;
}

QString Option(const QStringList& a_Arguments, const QString& a_Name, const QString& a_Default)
{
    const QString prefix = QStringLiteral("--") + a_Name;
    for (int index = 0; index < a_Arguments.size(); ++index) {
        const QString& argument = a_Arguments[index];
        if (argument.startsWith(prefix + QLatin1Char('=')))
            return argument.mid(prefix.size() + 1);
        if (argument == prefix && index + 1 < a_Arguments.size())
            return a_Arguments[index + 1];
    }
    return a_Default;
}

bool HasFlag(const QStringList& a_Arguments, const QString& a_Name)
{
    return a_Arguments.contains(QStringLiteral("--") + a_Name);
}

bool WriteJson(const QString& a_Path, const QJsonObject& a_Object)
{
    QFile file(a_Path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    file.write(QJsonDocument(a_Object).toJson());
    return true;
}

} // namespace bench
