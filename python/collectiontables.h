// The collected packets and photons as numpy structured arrays, filled in C++
// through the exported query functions (no Python call per photon).
#ifndef QUORVEL_PYTHON_COLLECTIONTABLES_H
#define QUORVEL_PYTHON_COLLECTIONTABLES_H

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

namespace quorvelpy {

namespace py = pybind11;

void bindCollectionTables(py::module_& a_Module);
void bindPhotonStream(py::module_& a_Module);
// The numpy twin of PhotonRecord.
py::dtype photonType();

} // namespace quorvelpy

#endif
