// Owns one HDF5 identifier (file, group, dataset, dataspace, type, property list
// or attribute) and closes it with the matching H5?close when it goes.
#ifndef TOOLS_HDF5HANDLE_H
#define TOOLS_HDF5HANDLE_H

#include <hdf5.h>

namespace tool {

class Hdf5Handle {
public:
    using Closer = herr_t (*)(hid_t);

    Hdf5Handle() = default;
    Hdf5Handle(hid_t a_Id, Closer a_Closer) : m_Id(a_Id), m_Closer(a_Closer) {}
    ~Hdf5Handle() { close(); }
    Hdf5Handle(Hdf5Handle&& a_Other) noexcept;
    Hdf5Handle& operator=(Hdf5Handle&& a_Other) noexcept;
    Hdf5Handle(const Hdf5Handle&) = delete;
    Hdf5Handle& operator=(const Hdf5Handle&) = delete;

    hid_t id() const { return m_Id; }
    bool valid() const { return m_Id >= 0; }
    // Closes now; false if HDF5 reports a failure (for a file: its last writes).
    bool close();

private:
    hid_t m_Id = H5I_INVALID_HID;
    Closer m_Closer = nullptr;
};

} // namespace tool

#endif
