// Holds what the library's callbacks report until the module hands it to the
// Python callables. The library may call its callbacks while it holds one of
// its locks, so Python code (which may call the library) runs only later, on
// the client's thread, from process_events() or after an exported call returns.
#ifndef QUORVEL_PYTHON_CALLBACKQUEUE_H
#define QUORVEL_PYTHON_CALLBACKQUEUE_H

#include <pybind11/pybind11.h>

#include <array>
#include <deque>
#include <mutex>
#include <string>

namespace quorvelpy {

namespace py = pybind11;

class CallbackQueue
{
public:
    enum Kind { ConnectStatus, SysStatus, ToolbarStatus, OperationError, OperationProgress, OperationComplete, KindCount };

    static CallbackQueue& GetInstance();

    // Sets (or with None clears) the Python callable of one kind and switches
    // the library's callback of that kind on or off. Needs the GIL.
    void SetCallable(Kind a_Kind, py::object a_Callable);
    // After QuorvelDll::Close the library has forgotten its callbacks: so does the module.
    void Forget();

    // Calls the Python callables with everything queued, in order. Needs the GIL.
    // A callable that raises stops the delivery; the rest stays queued.
    void Deliver();

    // Number of reports waiting (for tests and process_events).
    size_t Pending() const;

private:
    struct Report
    {
        Kind kind;
        std::string text;
        int value;
    };

    void Push(Kind a_Kind, const char* a_Text, int a_Value);
    bool Pop(Report* a_pReport);
    static void SetLibraryCallback(Kind a_Kind, bool a_On);

    static void OnConnectStatus(const char* a_Text);
    static void OnSysStatus(const char* a_Text);
    static void OnToolbarStatus(const char* a_Text);
    static void OnOperationError(const char* a_Text);
    static void OnOperationProgress(int a_Percent);
    static void OnOperationComplete();

    mutable std::mutex m_Mutex;
    std::deque<Report> m_Reports;
    std::array<py::object, KindCount> m_Callables;
};

} // namespace quorvelpy

#endif
