#include "tools/camera/eventwait.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace tool {

bool waitFor(const std::function<bool()>& a_Condition, int a_TimeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!a_Condition()) {
        if (timer.elapsed() >= a_TimeoutMs)
            return a_Condition();
        runEventsFor(10);
    }
    return true;
}

void runEventsFor(int a_Ms)
{
    QEventLoop loop;
    QTimer::singleShot(a_Ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace tool
