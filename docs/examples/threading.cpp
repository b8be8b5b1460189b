// The threading rule: every call from the thread that runs the Qt
// application object; callbacks only take note. A worker thread that needs
// the library asks the application's thread to make the call for it.
// Arguments: camera address [host address].
#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <future>
#include <thread>
#include <vector>
#include "quorveldll.h"

static std::mutex textsLock;
static std::vector<std::string> texts;

// Called on the application's thread, perhaps while the library holds a
// lock: it must not call the library. It copies the text (valid only during
// the call) and returns.
static void onStatus(const char* a_Text)
{
    std::lock_guard<std::mutex> lock(textsLock);
    texts.emplace_back(a_Text);
}

static bool seen(const char* a_Prefix)
{
    std::lock_guard<std::mutex> lock(textsLock);
    for (const std::string& text : texts) {
        if (text.compare(0, std::strlen(a_Prefix), a_Prefix) == 0)
            return true;
    }
    return false;
}

static void runEvents(int a_Ms)
{
    QEventLoop loop;
    QTimer::singleShot(a_Ms, &loop, &QEventLoop::quit);
    loop.exec();
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const char* camera = argc > 1 ? argv[1] : "192.168.0.20";
    const char* host = argc > 2 ? argv[2] : camera;

    QuorvelDll::SetSysStatusFunction(onStatus);
    QuorvelDll::SetHostIPAddress(host);
    QuorvelDll::SetCameraIPAddress(camera);
    bool ok = QuorvelDll::Initialize() && QuorvelDll::StartSys();

    // A worker thread wants the number of GMs: it queues the call to the
    // application's thread and waits for the answer there.
    std::atomic<int> gms {-1};
    std::thread worker([&] {
        while (!seen("Status:Idle"))
            std::this_thread::yield();
        // The answer comes back through a promise: plain C++ synchronisation
        // that thread checkers can follow.
        std::promise<int> answer;
        std::future<int> result = answer.get_future();
        QMetaObject::invokeMethod(
            &app, [&answer] { answer.set_value(QuorvelDll::GetNoOfGMs()); }, Qt::QueuedConnection);
        gms = result.get();
    });
    // The application's thread runs events: the status texts arrive, and the
    // worker's call is made here.
    for (int i = 0; ok && gms < 0 && i < 200; ++i)
        runEvents(50);
    if (gms < 0) // the worker still waits for a text: let it see one
        onStatus("Status:Idle (gave up)");
    while (gms < 0)
        runEvents(10);
    worker.join();

    std::printf("worker thread learnt of %d GMs\n", gms.load());
    if (!ok)
        std::printf("error: %s\n", QuorvelDll::GetLastError().c_str());
    QuorvelDll::Disconnect();
    QuorvelDll::Close();
    return ok && gms > 0 ? 0 : 1;
}
