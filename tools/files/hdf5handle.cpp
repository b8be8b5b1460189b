#include "tools/files/hdf5handle.h"

#include <utility>

namespace tool {

Hdf5Handle::Hdf5Handle(Hdf5Handle&& a_Other) noexcept
    : m_Id(std::exchange(a_Other.m_Id, H5I_INVALID_HID)), m_Closer(a_Other.m_Closer)
{
}

Hdf5Handle& Hdf5Handle::operator=(Hdf5Handle&& a_Other) noexcept
{
    if (this != &a_Other) {
        close();
        m_Id = std::exchange(a_Other.m_Id, H5I_INVALID_HID);
        m_Closer = a_Other.m_Closer;
    }
    return *this;
}

bool Hdf5Handle::close()
{
    if (m_Id < 0)
        return true;
    const herr_t result = m_Closer(m_Id);
    m_Id = H5I_INVALID_HID;
    return result >= 0;
}

} // namespace tool
