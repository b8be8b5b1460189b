#include "python/collectiontables.h"

#include "python/binder.h"
#include "quorveldll.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

namespace quorvelpy {

using namespace pybind11::literals;

namespace {

// The numpy twins of the library's records, field for field and byte for byte.
py::dtype recordType(const std::vector<std::tuple<const char*, const char*, size_t>>& a_Fields, size_t a_Size)
{
    py::list names;
    py::list formats;
    py::list offsets;
    for (const auto& [name, format, offset] : a_Fields) {
        names.append(name);
        formats.append(format);
        offsets.append(offset);
    }
    py::dict description("names"_a = names, "formats"_a = formats, "offsets"_a = offsets, "itemsize"_a = a_Size);
    return py::dtype::from_args(description);
}

} // namespace

py::dtype photonType()
{
    // Held for the life of the process, like the module: never released after
    // the interpreter has gone.
    static const py::handle type = recordType({{"packet", "<u4", offsetof(PhotonRecord, packetNo)},
                                              {"header_word", "<u2", offsetof(PhotonRecord, headerWord)},
                                              {"pixel", "<u2", offsetof(PhotonRecord, pixel)},
                                              {"energy", "<u2", offsetof(PhotonRecord, energy)},
                                              {"time_detect", "<u2", offsetof(PhotonRecord, timeDetect)},
                                              {"gm_id", "u1", offsetof(PhotonRecord, gmID)},
                                              {"positive_energy", "?", offsetof(PhotonRecord, positiveEnergy)},
                                              {"positive_time_detect", "?", offsetof(PhotonRecord, positiveTimeDetect)},
                                              {"header_byte", "u1", offsetof(PhotonRecord, headerByte)}},
                                             sizeof(PhotonRecord))
                                      .release();
    return py::reinterpret_borrow<py::dtype>(type);
}

namespace {

py::dtype packetType()
{
    static const py::handle type = recordType({{"packet", "<u4", offsetof(PacketRecord, packetNo)},
                                              {"no_of_photons", "<u4", offsetof(PacketRecord, noOfPhotons)},
                                              {"header_word", "<u2", offsetof(PacketRecord, headerWord)},
                                              {"gm_id", "u1", offsetof(PacketRecord, gmID)},
                                              {"header_byte", "u1", offsetof(PacketRecord, headerByte)}},
                                             sizeof(PacketRecord))
                                      .release();
    return py::reinterpret_borrow<py::dtype>(type);
}

// Fills a new array of a_Count records by a_Read without the GIL (the array
// is ours alone until returned); a negative result raises the last error.
template <typename Read>
py::array readTable(const py::dtype& a_Type, long long a_Count, const char* a_Function, Read a_Read)
{
    py::array table(a_Type, py::array::ShapeContainer{static_cast<py::ssize_t>(a_Count)});
    long long read = 0;
    {
        py::gil_scoped_release unlocked;
        read = a_Count > 0 ? a_Read(table.mutable_data(), a_Count) : 0;
    }
    if (read < 0)
        raiseError(a_Function, QuorvelDll::GetLastError());
    return table;
}

py::array readCollectedPhotons(int a_First, int a_Last)
{
    checkClientThread("ReadCollectedPhotons");
    const long long count = QuorvelDll::GetNoOfPhotonsInPackets(a_First, a_Last);
    if (count < 0)
        raiseError("ReadCollectedPhotons", QuorvelDll::GetLastError());
    return readTable(photonType(), count, "ReadCollectedPhotons", [=](void* a_pData, long long a_Count) {
        return QuorvelDll::ReadCollectedPhotons(a_First, a_Last, static_cast<PhotonRecord*>(a_pData), a_Count);
    });
}

py::array readCollectedPackets(int a_First, int a_Last)
{
    checkClientThread("ReadCollectedPackets");
    // A bad range gets a buffer of one, so the library names what is wrong.
    const int stored = QuorvelDll::GetNoOfCollectedPackets();
    const bool valid = a_First >= 1 && a_First <= a_Last && a_Last <= stored;
    return readTable(packetType(), valid ? a_Last - a_First + 1 : 1, "ReadCollectedPackets",
                     [=](void* a_pData, long long a_Count) {
                         return QuorvelDll::ReadCollectedPackets(a_First, a_Last, static_cast<PacketRecord*>(a_pData),
                                                                 a_Count);
                     });
}

// Packets arriving while these run are left for the next call: the store
// only grows behind the count read first, and only this thread clears it.
py::array photonsTable()
{
    checkClientThread("photons");
    const int packets = QuorvelDll::GetNoOfCollectedPackets();
    if (packets == 0)
        return py::array(photonType(), py::array::ShapeContainer{py::ssize_t(0)});
    return readCollectedPhotons(1, packets);
}

py::array packetsTable()
{
    checkClientThread("packets");
    const int packets = QuorvelDll::GetNoOfCollectedPackets();
    if (packets == 0)
        return py::array(packetType(), py::array::ShapeContainer{py::ssize_t(0)});
    return readCollectedPackets(1, packets);
}

void defBoth(py::module_& a_Module, const char* a_Name, const char* a_PythonName, const py::cpp_function& a_Function)
{
    a_Module.add_object(a_Name, a_Function);
    a_Module.add_object(a_PythonName, a_Function);
}

} // namespace

void bindCollectionTables(py::module_& a_Module)
{
    a_Module.attr("photon_dtype") = photonType();
    a_Module.attr("packet_dtype") = packetType();
    defBoth(a_Module, "ReadCollectedPhotons", "read_collected_photons",
            py::cpp_function(&readCollectedPhotons, py::name("ReadCollectedPhotons"), py::scope(a_Module),
                             py::arg("first_packet_no"), py::arg("last_packet_no"),
                             "The photons of packets first..last (1-based, inclusive) as an array of photon_dtype."));
    defBoth(a_Module, "ReadCollectedPackets", "read_collected_packets",
            py::cpp_function(&readCollectedPackets, py::name("ReadCollectedPackets"), py::scope(a_Module),
                             py::arg("first_packet_no"), py::arg("last_packet_no"),
                             "Packets first..last (1-based, inclusive) as an array of packet_dtype."));
    a_Module.def("photons", &photonsTable,
                 "Every collected photon as one array of photon_dtype (16 bytes a row): packet (1-based packet\n"
                 "number), header_word, pixel, energy, time_detect, gm_id, positive_energy,\n"
                 "positive_time_detect and header_byte. Read in one call, in C++.");
    a_Module.def("packets", &packetsTable,
                 "Every collected packet as one array of packet_dtype (12 bytes a row): packet (1-based),\n"
                 "no_of_photons, header_word, gm_id and header_byte.");
}

} // namespace quorvelpy
