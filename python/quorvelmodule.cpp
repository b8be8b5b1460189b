// The Python module quorvel: the library's exported functions, enumerations
// and callbacks, the collection as numpy arrays, and the Qt event handling
// the library needs.
#include "python/binder.h"
#include "python/collectiontables.h"
#include "python/eventloop.h"

#include "gammamodule/cameralayout.h"
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
    m.doc() = py::str(m.doc()) + py::str("\n\nThe library's rules (from quorveldll.h):\n\n") + py::str(docstring("__file__"));
    py::module_::import("numpy");
    bindErrorType(m);
    bindEnums(m);
    bindEventLoop(m);
    bindFunctions(m);
    bindCallbacks(m);
    bindCollectionTables(m);
    bindPhotonStream(m);
    m.attr("__version__") = QuorvelDll::GetVersion();
    // The camera's layout, for placing local pixel numbers in the flood image.
    m.attr("GM_SIDE") = CameraLayout::GM_SIDE;
    m.attr("CAMERA_SIDE") = CameraLayout::CAMERA_SIDE;
    m.def("camera_pixel", &CameraLayout::CameraPixelOf, py::arg("gm_pixel"), py::arg("gm_id"),
          "The camera pixel (1 to 484, row by row) of GM pixel gm_pixel (1 to 121) of GM gm_id (1 to 4).");
}
