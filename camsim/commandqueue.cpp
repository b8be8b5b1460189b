#include "camsim/commandqueue.h"

#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace camsim {

CommandQueue::CommandQueue()
    : m_EventFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
}

CommandQueue::~CommandQueue()
{
    close();
    if (m_EventFd >= 0)
        ::close(m_EventFd);
}

void CommandQueue::open()
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Open = true;
}

bool CommandQueue::run(const std::function<void()>& function)
{
    State state = Waiting;
    std::unique_lock<std::mutex> lock(m_Mutex);
    if (!m_Open)
        return false;
    m_Commands.push_back({&function, &state});
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_EventFd, &one, sizeof(one));
    m_Done.wait(lock, [&] { return state != Waiting; });
    return state == Ran;
}

void CommandQueue::drain()
{
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t read = ::read(m_EventFd, &count, sizeof(count));
    std::unique_lock<std::mutex> lock(m_Mutex);
    while (!m_Commands.empty()) {
        const Command command = m_Commands.front();
        m_Commands.pop_front();
        lock.unlock();
        (*command.function)();
        lock.lock();
        *command.state = Ran;
        m_Done.notify_all();
    }
}

void CommandQueue::close()
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Open = false;
    // Callers still waiting give up without their command running.
    for (const Command& command : m_Commands)
        *command.state = Cancelled;
    m_Commands.clear();
    m_Done.notify_all();
}

} // namespace camsim
