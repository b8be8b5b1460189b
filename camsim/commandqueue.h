// Calls from any thread into the camera thread, waited for with std::mutex and a
// condition variable, and woken through an eventfd: no Qt cross-thread event is
// involved, so ThreadSanitizer sees every hand-over.
#ifndef CAMSIM_COMMANDQUEUE_H
#define CAMSIM_COMMANDQUEUE_H

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace camsim {

class CommandQueue {
public:
    CommandQueue();
    ~CommandQueue();
    CommandQueue(const CommandQueue&) = delete;
    CommandQueue& operator=(const CommandQueue&) = delete;

    int wakeDescriptor() const { return m_EventFd; } // readable when commands wait

    void open();
    // Any thread but the owner's: runs the function on the owner thread and waits for it.
    // Returns false (without running it) when the queue is closed.
    bool run(const std::function<void()>& function);
    // Owner thread: runs every waiting command.
    void drain();
    // Refuses new commands; waiting callers return false.
    void close();

private:
    enum State { Waiting, Ran, Cancelled };
    struct Command {
        const std::function<void()>* function;
        State* state;
    };
    std::mutex m_Mutex;
    std::condition_variable m_Done;
    std::deque<Command> m_Commands;
    bool m_Open = false;
    int m_EventFd = -1;
};

} // namespace camsim

#endif
