#include "tools/camera/interruptwatcher.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace tool {

namespace {
int g_Pipe[2] = {-1, -1};

void onSignal(int)
{
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
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

InterruptWatcher::~InterruptWatcher()
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

int InterruptWatcher::count() const
{
    return m_Count;
}

void InterruptWatcher::onReadable()
{
    char bytes[16];
    const ssize_t got = ::read(g_Pipe[0], bytes, sizeof bytes);
    if (got > 0)
        m_Count += static_cast<int>(got);
}

} // namespace tool
