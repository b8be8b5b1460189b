#include "tools/camera/interruptwatcher.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace tool {

namespace {
int g_Pipe[2] = {-1, -1};
volatile std::sig_atomic_t g_Count = 0;
volatile std::sig_atomic_t g_First = 0;
constexpr int watched[] = {SIGINT, SIGTERM, SIGHUP};

void onSignal(int a_Signal)
{
    if (g_First == 0)
        g_First = a_Signal;
    g_Count = g_Count + 1;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_Pipe[1], &byte, 1);
}
} // namespace

InterruptWatcher::InterruptWatcher()
{
    if (g_Pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_Pipe) != 0)
        return;
    m_Notifier = std::make_unique<QSocketNotifier>(g_Pipe[0], QSocketNotifier::Read);
    QObject::connect(m_Notifier.get(), &QSocketNotifier::activated, [this] { onReadable(); });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : watched)
        ::sigaction(signal, &action, nullptr);
    // A file size limit makes a write fail with EFBIG, reported like a full disk,
    // instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
}

InterruptWatcher::~InterruptWatcher()
{
    for (const int signal : watched)
        std::signal(signal, SIG_DFL);
}

int InterruptWatcher::count() const
{
    return g_Count;
}

int InterruptWatcher::signal() const
{
    return g_First;
}

QString InterruptWatcher::describe() const
{
    switch (g_First) {
    case SIGINT: return QStringLiteral("Ctrl-C");
    case SIGTERM: return QStringLiteral("SIGTERM");
    case SIGHUP: return QStringLiteral("SIGHUP");
    default: return QStringLiteral("signal %1").arg(int(g_First));
    }
}

void InterruptWatcher::onReadable()
{
    char bytes[16];
    [[maybe_unused]] const ssize_t got = ::read(g_Pipe[0], bytes, sizeof bytes);
}

} // namespace tool
