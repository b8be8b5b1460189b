#include "support/testsupport.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include <thread>

namespace testsupport {

QByteArray bytes(std::initializer_list<int> a_Values)
{
    QByteArray result;
    for (int value : a_Values)
        result.append(static_cast<char>(value));
    return result;
}

QString loopbackAddressFor(const QString& a_Key)
{
    const QByteArray hash = QCryptographicHash::hash(a_Key.toUtf8(), QCryptographicHash::Sha1);
    const auto byteAt = [&](int i) { return static_cast<unsigned char>(hash.at(i)); };
    // Avoid 127.0.0.x (used by people's own services) and the .0/.255 ends.
    const int a = 1 + byteAt(0) % 254;
    const int b = byteAt(1);
    const int c = 1 + byteAt(2) % 254;
    return QStringLiteral("127.%1.%2.%3").arg(a).arg(b).arg(c);
}

QString testLoopbackAddress()
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const QString name = info ? QString::fromUtf8(info->test_suite_name()) + QLatin1Char('.') + QString::fromUtf8(info->name())
                              : QStringLiteral("no-test");
    return loopbackAddressFor(name);
}

bool waitUntil(const std::function<bool()>& a_Condition, int a_TimeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!a_Condition()) {
        if (timer.elapsed() > a_TimeoutMs)
            return a_Condition();
        // Block in an event loop for a short slice so queued signals arrive
        // without spinning the CPU.
        QEventLoop loop;
        QTimer::singleShot(2, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

bool waitWithoutEvents(const std::function<bool()>& a_Condition, int a_TimeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!a_Condition()) {
        if (timer.elapsed() > a_TimeoutMs)
            return a_Condition();
        std::this_thread::yield();
    }
    return true;
}

} // namespace testsupport
