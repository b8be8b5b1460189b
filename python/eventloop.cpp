#include "python/eventloop.h"

#include "python/binder.h"
#include "quorveldll.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace quorvelpy {

namespace {

// Slices short enough that Ctrl-C and the callbacks are served promptly.
constexpr int sliceMs = 20;

QCoreApplication* ownApplication = nullptr;

void createApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "python";
    static char* argv[] = {name, nullptr};
    ownApplication = new QCoreApplication(argc, argv);
}

// At interpreter exit: stop the library's threads while Python still exists,
// then drop the application object if the module made it.
void shutDown()
{
    if (libraryUsed() && QCoreApplication::instance()
        && QThread::currentThread() == QCoreApplication::instance()->thread())
        QuorvelDll::Close();
    CallbackQueue::GetInstance().Forget();
    delete ownApplication;
    ownApplication = nullptr;
}

int toMilliseconds(double a_Seconds)
{
    if (!std::isfinite(a_Seconds) || a_Seconds < 0)
        throw py::value_error("timeout must be a finite number of seconds, not negative");
    return a_Seconds > 1e6 ? 1000000000 : static_cast<int>(std::lround(a_Seconds * 1000.0));
}

// Runs Qt events for at most a_Ms (once at least), without the GIL.
void runEventsFor(int a_Ms)
{
    py::gil_scoped_release unlocked;
    if (a_Ms <= 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(a_Ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Serves events, the callbacks and Ctrl-C until a_Done or the deadline.
template <typename Done>
bool serve(const char* a_Function, double a_Timeout, Done a_Done)
{
    checkClientThread(a_Function);
    const QDeadlineTimer deadline(toMilliseconds(a_Timeout));
    while (true) {
        runEventsFor(static_cast<int>(std::min<qint64>(sliceMs, deadline.remainingTime())));
        CallbackQueue::GetInstance().Deliver();
        if (PyErr_CheckSignals() != 0)
            throw py::error_already_set();
        if (a_Done())
            return true;
        if (deadline.hasExpired())
            return false;
    }
}

} // namespace

void serveEventsOnce()
{
    runEventsFor(0);
    CallbackQueue::GetInstance().Deliver();
    if (PyErr_CheckSignals() != 0)
        throw py::error_already_set();
}

void bindEventLoop(py::module_& a_Module)
{
    createApplication();
    py::module_::import("atexit").attr("register")(py::cpp_function(&shutDown));

    a_Module.def(
        "process_events",
        [](double a_Timeout) { serve("process_events", a_Timeout, [] { return false; }); },
        py::arg("timeout") = 0.0,
        "Runs the Qt events of this thread for timeout seconds (0: what is pending) and calls the\n"
        "callbacks with the reports queued meanwhile.");
    a_Module.def(
        "wait_until",
        [](const py::function& a_Condition, double a_Timeout) {
            return serve("wait_until", a_Timeout, [&a_Condition] { return a_Condition().cast<bool>(); });
        },
        py::arg("condition"), py::arg("timeout") = 10.0,
        "Processes events (as process_events) until condition() is true or timeout seconds have passed;\n"
        "returns whether the condition held. condition may call the library.");
}

} // namespace quorvelpy
