// Reads an HDF5 file back with the HDF5 C library, for the tests of the files
// the tool writes: whole integer datasets, scalars and string attributes.
#ifndef TESTS_TOOLS_HDF5READBACK_H
#define TESTS_TOOLS_HDF5READBACK_H

#include <hdf5.h>

#include <QByteArray>
#include <QString>
#include <vector>

namespace tooltest {

class Hdf5Readback {
public:
    explicit Hdf5Readback(const QString& a_Path);
    ~Hdf5Readback();
    Hdf5Readback(const Hdf5Readback&) = delete;
    Hdf5Readback& operator=(const Hdf5Readback&) = delete;

    bool isOpen() const { return m_File >= 0; }
    bool exists(const char* a_Path) const; // a link at that path (every level must exist)
    // Every value of an integer dataset, widened; empty if there is none.
    std::vector<quint64> column(const char* a_Path) const;
    qint64 integer(const char* a_Path) const;  // a scalar integer dataset; -1 if none
    double number(const char* a_Path) const;   // a scalar floating-point dataset; -1 if none
    QString text(const char* a_Path) const;    // a scalar string dataset
    QString attribute(const char* a_Object, const char* a_Name) const; // a string attribute
    bool isChunkedAndDeflated(const char* a_Path) const;

private:
    bool scalar(const char* a_Path, hid_t a_Type, void* a_pValue) const; // false if missing or unreadable
    hid_t m_File = H5I_INVALID_HID;
};

// Compares every event and every packet of an HDF5 file with the binary
// collection (photons.dat) it came from; the packets must cover the records in order.
void expectEventsMatchTheCollection(const Hdf5Readback& a_File, const QByteArray& a_Dat, bool a_TimeDetect);

} // namespace tooltest

#endif
