// Ctrl-C (SIGINT), SIGTERM and SIGHUP turned into a count the commands poll
// between library calls: the signal handler notes the signal and writes a byte
// to a socket pair, whose notifier wakes the event loop.
#ifndef TOOLS_INTERRUPTWATCHER_H
#define TOOLS_INTERRUPTWATCHER_H

#include <QString>
#include <memory>

class QSocketNotifier;

namespace tool {

class InterruptWatcher {
public:
    InterruptWatcher();  // installs the handlers
    ~InterruptWatcher(); // restores the default handlers
    InterruptWatcher(const InterruptWatcher&) = delete;
    InterruptWatcher& operator=(const InterruptWatcher&) = delete;

    int count() const;  // signals seen so far
    int signal() const; // the first of them (SIGINT, SIGTERM or SIGHUP), 0 before any
    // The exit status of a command that stopped early for it: 128 + the signal.
    int exitCode() const { return 128 + signal(); }
    QString describe() const; // "Ctrl-C", "SIGTERM", "SIGHUP"

private:
    void onReadable();

    std::unique_ptr<QSocketNotifier> m_Notifier;
};

} // namespace tool

#endif
