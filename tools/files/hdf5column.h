// One growing column of integers in an HDF5 file: a one-dimensional chunked,
// shuffled and deflate-compressed dataset without a size limit. Values are
// gathered in memory and written a chunk at a time; HDF5 narrows them to the
// dataset's stored type.
#ifndef TOOLS_HDF5COLUMN_H
#define TOOLS_HDF5COLUMN_H

#include "tools/files/hdf5handle.h"

#include <QString>
#include <QtGlobal>
#include <vector>

namespace tool {

class Hdf5Column {
public:
    static constexpr hsize_t chunkValues = 65536;

    // Creates the empty dataset a_Name in a_Group stored as a_Type (a standard
    // integer type such as H5T_STD_U16LE). False with a one-line reason.
    bool create(hid_t a_Group, const char* a_Name, hid_t a_Type, QString* a_Error);
    void append(quint64 a_Value)
    {
        m_Pending.push_back(a_Value);
        if (m_Pending.size() >= chunkValues)
            flush();
    }
    // Writes what is gathered; false (and failed() from then on) if HDF5 refused.
    bool flush();
    bool failed() const { return m_Failed; }
    const QString& name() const { return m_Name; }
    hid_t dataset() const { return m_Dataset.id(); }
    quint64 size() const { return m_Written + m_Pending.size(); }
    void close() { m_Dataset.close(); }

private:
    Hdf5Handle m_Dataset;
    QString m_Name;
    std::vector<quint64> m_Pending;
    quint64 m_Written = 0;
    bool m_Failed = false;
};

} // namespace tool

#endif
