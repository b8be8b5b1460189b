// The Qt side of the module: the application object when the process has
// none, and waits that run Qt events and hand queued reports to the callbacks.
#ifndef QUORVEL_PYTHON_EVENTLOOP_H
#define QUORVEL_PYTHON_EVENTLOOP_H

#include <pybind11/pybind11.h>

namespace quorvelpy {

namespace py = pybind11;

void bindEventLoop(py::module_& a_Module);
// Runs what Qt events are pending, hands queued reports to the callbacks and
// raises a pending Ctrl-C; on the application's thread only.
void serveEventsOnce();

} // namespace quorvelpy

#endif
