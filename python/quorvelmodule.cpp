// The Python module quorvel: the library's exported functions, enumerations
// and callbacks, the collection as numpy arrays, and the Qt event handling
// the library needs.
#include "python/binder.h"
#include "python/collectiontables.h"
#include "python/eventloop.h"

#include "quorveldll.h"

namespace quorvelpy {
void bindFunctions(py::module_& m);
void bindCallbacks(py::module_& m);
} // namespace quorvelpy

PYBIND11_MODULE(quorvel, m)
{
    using namespace quorvelpy;
    m.doc() = "Control and read-out of the pixelated gamma camera through libQuorvelSharedLib.\n\n"
              "Every exported function is here under its own name and a snake_case one. Operations raise\n"
              "QuorvelError with the library's last error instead of returning false; out-parameters are\n"
              "returned. Callbacks are called on this thread from process_events(), wait_until() and after\n"
              "each library call, never from inside the library.";
    py::module_::import("numpy");
    bindErrorType(m);
    bindEnums(m);
    bindEventLoop(m);
    bindFunctions(m);
    bindCallbacks(m);
    bindCollectionTables(m);
    m.attr("__version__") = QuorvelDll::GetVersion();
}
