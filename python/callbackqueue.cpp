#include "python/callbackqueue.h"

#include "quorveldll.h"

namespace quorvelpy {

CallbackQueue& CallbackQueue::GetInstance()
{
    // Never destroyed: the Python objects it holds must not be released after
    // the interpreter has gone.
    static CallbackQueue* queue = new CallbackQueue;
    return *queue;
}

void CallbackQueue::SetCallable(Kind a_Kind, py::object a_Callable)
{
    const bool on = !a_Callable.is_none();
    if (on && !PyCallable_Check(a_Callable.ptr()))
        throw py::type_error("callback must be callable or None");
    m_Callables[a_Kind] = on ? std::move(a_Callable) : py::object();
    SetLibraryCallback(a_Kind, on);
    if (!on) {
        std::lock_guard<std::mutex> lock(m_Mutex);
        for (auto it = m_Reports.begin(); it != m_Reports.end();)
            it = it->kind == a_Kind ? m_Reports.erase(it) : it + 1;
    }
}

void CallbackQueue::Forget()
{
    for (auto& callable : m_Callables)
        callable = py::object();
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Reports.clear();
}

void CallbackQueue::Deliver()
{
    Report report;
    while (Pop(&report)) {
        // A copy: the callable may replace itself while it runs.
        const py::object callable = m_Callables[report.kind];
        if (!callable)
            continue;
        switch (report.kind) {
        case OperationProgress:
            callable(report.value);
            break;
        case OperationComplete:
            callable();
            break;
        default: {
            // The texts are UTF-8; a stray byte must not lose the whole report.
            PyObject* text = PyUnicode_DecodeUTF8(report.text.data(), static_cast<Py_ssize_t>(report.text.size()),
                                                  "replace");
            if (!text)
                throw py::error_already_set();
            callable(py::reinterpret_steal<py::str>(text));
            break;
        }
        }
    }
}

size_t CallbackQueue::Pending() const
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Reports.size();
}

void CallbackQueue::Push(Kind a_Kind, const char* a_Text, int a_Value)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Reports.push_back({a_Kind, a_Text ? a_Text : "", a_Value});
}

bool CallbackQueue::Pop(Report* a_pReport)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (m_Reports.empty())
        return false;
    *a_pReport = std::move(m_Reports.front());
    m_Reports.pop_front();
    return true;
}

void CallbackQueue::SetLibraryCallback(Kind a_Kind, bool a_On)
{
    switch (a_Kind) {
    case ConnectStatus:
        QuorvelDll::SetConnectStatusFunction(a_On ? &OnConnectStatus : nullptr);
        break;
    case SysStatus:
        QuorvelDll::SetSysStatusFunction(a_On ? &OnSysStatus : nullptr);
        break;
    case ToolbarStatus:
        QuorvelDll::SetToolbarStatusFunction(a_On ? &OnToolbarStatus : nullptr);
        break;
    case OperationError:
        QuorvelDll::SetOperationErrorFunction(a_On ? &OnOperationError : nullptr);
        break;
    case OperationProgress:
        QuorvelDll::SetOperationProgressFunction(a_On ? &OnOperationProgress : nullptr);
        break;
    case OperationComplete:
        QuorvelDll::SetOperationCompleteFunction(a_On ? &OnOperationComplete : nullptr);
        break;
    case KindCount:
        break;
    }
}

void CallbackQueue::OnConnectStatus(const char* a_Text) { GetInstance().Push(ConnectStatus, a_Text, 0); }
void CallbackQueue::OnSysStatus(const char* a_Text) { GetInstance().Push(SysStatus, a_Text, 0); }
void CallbackQueue::OnToolbarStatus(const char* a_Text) { GetInstance().Push(ToolbarStatus, a_Text, 0); }
void CallbackQueue::OnOperationError(const char* a_Text) { GetInstance().Push(OperationError, a_Text, 0); }
void CallbackQueue::OnOperationProgress(int a_Percent) { GetInstance().Push(OperationProgress, nullptr, a_Percent); }
void CallbackQueue::OnOperationComplete() { GetInstance().Push(OperationComplete, nullptr, 0); }

} // namespace quorvelpy
