#include "tools/files/hdf5column.h"

namespace tool {

bool Hdf5Column::create(hid_t a_Group, const char* a_Name, hid_t a_Type, QString* a_Error)
{
    m_Name = QString::fromLatin1(a_Name);
    const hsize_t empty = 0;
    const hsize_t unlimited = H5S_UNLIMITED;
    Hdf5Handle space(H5Screate_simple(1, &empty, &unlimited), H5Sclose);
    Hdf5Handle properties(H5Pcreate(H5P_DATASET_CREATE), H5Pclose);
    const hsize_t chunk = chunkValues;
    if (!space.valid() || !properties.valid() || H5Pset_chunk(properties.id(), 1, &chunk) < 0
        || H5Pset_shuffle(properties.id()) < 0 || H5Pset_deflate(properties.id(), 4) < 0) {
        *a_Error = QStringLiteral("cannot prepare the dataset %1").arg(m_Name);
        return false;
    }
    m_Dataset = Hdf5Handle(H5Dcreate2(a_Group, a_Name, a_Type, space.id(), H5P_DEFAULT, properties.id(), H5P_DEFAULT),
                           H5Dclose);
    if (!m_Dataset.valid()) {
        *a_Error = QStringLiteral("cannot create the dataset %1").arg(m_Name);
        return false;
    }
    m_Pending.reserve(chunkValues);
    return true;
}

bool Hdf5Column::flush()
{
    if (m_Failed || m_Pending.empty())
        return !m_Failed;
    const hsize_t start = m_Written;
    const hsize_t count = m_Pending.size();
    const hsize_t total = start + count;
    Hdf5Handle memory(H5Screate_simple(1, &count, nullptr), H5Sclose);
    if (!memory.valid() || H5Dset_extent(m_Dataset.id(), &total) < 0) {
        m_Failed = true;
        return false;
    }
    Hdf5Handle file(H5Dget_space(m_Dataset.id()), H5Sclose);
    if (!file.valid() || H5Sselect_hyperslab(file.id(), H5S_SELECT_SET, &start, nullptr, &count, nullptr) < 0
        || H5Dwrite(m_Dataset.id(), H5T_NATIVE_UINT64, memory.id(), file.id(), H5P_DEFAULT, m_Pending.data()) < 0) {
        m_Failed = true;
        return false;
    }
    m_Written = total;
    m_Pending.clear();
    return true;
}

} // namespace tool
