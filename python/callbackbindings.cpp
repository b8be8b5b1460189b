// The callback setters take Python callables (or None); Close also makes the
// module forget them, as the library does.
#include "python/binder.h"

#include "quorveldll.h"

namespace quorvelpy {

namespace {

void defSetter(py::module_& a_Module, const char* a_Name, const char* a_PythonName, CallbackQueue::Kind a_Kind,
               const char* a_Doc)
{
    const py::cpp_function setter(
        [a_Name, a_Kind](py::object a_Callable) {
            checkClientThread(a_Name);
            CallbackQueue::GetInstance().SetCallable(a_Kind, std::move(a_Callable));
        },
        py::name(a_Name), py::scope(a_Module), py::arg("callback").none(true), py::doc(a_Doc));
    a_Module.add_object(a_Name, setter);
    a_Module.add_object(a_PythonName, setter);
}

} // namespace

void bindCallbacks(py::module_& m)
{
    using Q = CallbackQueue;
    defSetter(m, "SetConnectStatusFunction", "set_connect_status_function", Q::ConnectStatus,
              "callback(text): connection status texts.");
    defSetter(m, "SetSysStatusFunction", "set_sys_status_function", Q::SysStatus,
              "callback(text): system status texts.");
    defSetter(m, "SetToolbarStatusFunction", "set_toolbar_status_function", Q::ToolbarStatus,
              "callback(text): short status texts.");
    defSetter(m, "SetOperationErrorFunction", "set_operation_error_function", Q::OperationError,
              "callback(text): errors of background operations.");
    defSetter(m, "SetOperationProgressFunction", "set_operation_progress_function", Q::OperationProgress,
              "callback(percent): progress of a background operation.");
    defSetter(m, "SetOperationCompleteFunction", "set_operation_complete_function", Q::OperationComplete,
              "callback(): a background operation has finished.");

    const py::cpp_function close(
        [] {
            checkClientThread("Close");
            {
                py::gil_scoped_release unlocked;
                QuorvelDll::Close();
            }
            CallbackQueue::GetInstance().Deliver();
            CallbackQueue::GetInstance().Forget();
        },
        py::name("Close"), py::scope(m),
        py::doc("Destroys the library's controller; the next call starts afresh with default settings and no callbacks."));
    m.add_object("Close", close);
    m.add_object("close", close);
}

} // namespace quorvelpy
