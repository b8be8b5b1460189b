#include "python/binder.h"

#include <QCoreApplication>
#include <QThread>

#include <cstring>

namespace quorvelpy {

namespace {
struct Docstring {
    const char* name;
    const char* text;
};
const Docstring docstrings[] = {
#include "docstrings.inc"
};
} // namespace

const char* docstring(const char* a_Name)
{
    for (const Docstring& entry : docstrings) {
        if (std::strcmp(entry.name, a_Name) == 0)
            return entry.text;
    }
    return "";
}

namespace {
py::handle errorType;
bool used = false;
} // namespace

void bindErrorType(py::module_& a_Module)
{
    errorType = PyErr_NewExceptionWithDoc(
        "quorvel.QuorvelError",
        "A library operation failed. str() and last_error hold the library's last error, function the call.",
        PyExc_RuntimeError, nullptr);
    if (!errorType)
        throw py::error_already_set();
    a_Module.add_object("QuorvelError", errorType);
}

void raiseError(const char* a_Function, const std::string& a_Text)
{
    PyObject* text = PyUnicode_DecodeUTF8(a_Text.data(), static_cast<Py_ssize_t>(a_Text.size()), "replace");
    if (!text)
        throw py::error_already_set();
    py::object error = errorType(py::reinterpret_steal<py::str>(text));
    error.attr("last_error") = error.attr("args")[py::int_(0)];
    error.attr("function") = a_Function;
    PyErr_SetObject(errorType.ptr(), error.ptr());
    throw py::error_already_set();
}

void checkClientThread(const char* a_Function)
{
    const QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        raiseError(a_Function, "The Qt application object has gone");
    if (QThread::currentThread() != app->thread())
        raiseError(a_Function, "Library functions must be called from the thread of the Qt application object");
    used = true;
}

bool libraryUsed()
{
    return used;
}

} // namespace quorvelpy
