// Ctrl-C (SIGINT) and SIGTERM turned into a count the commands poll between
// library calls: the signal handler only writes a byte to a socket pair, and the
// count rises when the event loop reads it.
#ifndef TOOLS_INTERRUPTWATCHER_H
#define TOOLS_INTERRUPTWATCHER_H

#include <memory>

class QSocketNotifier;

namespace tool {

class InterruptWatcher {
public:
    InterruptWatcher();  // installs the handlers
    ~InterruptWatcher(); // restores the default handlers
    InterruptWatcher(const InterruptWatcher&) = delete;
    InterruptWatcher& operator=(const InterruptWatcher&) = delete;

    int count() const; // signals seen so far (delivered through the event loop)

private:
    void onReadable();

    std::unique_ptr<QSocketNotifier> m_Notifier;
    int m_Count = 0;
};

} // namespace tool

#endif
