#include "python/collectiontables.h"

#include "python/binder.h"
#include "quorveldll.h"

#include <pybind11/numpy.h>
#include <cstdint>
#include <vector>

namespace quorvelpy {

namespace {

struct PhotonRecord
{
    int32_t packet;
    int32_t gm_id;
    int32_t header_word;
    int32_t pixel;
    int32_t energy;
    bool positive_energy;
    int32_t time_detect;
    bool positive_time_detect;
};

struct PacketRecord
{
    int32_t packet;
    int32_t gm_id;
    int32_t header_word;
    int32_t header_byte;
    int32_t no_of_photons;
};

// Filled without the GIL; the first failing query names itself here.
struct Failure
{
    const char* function = nullptr;
    std::string error;

    bool Check(bool a_Ok, const char* a_Function)
    {
        if (!a_Ok && !function) {
            function = a_Function;
            error = QuorvelDll::GetLastError();
        }
        return a_Ok;
    }
};

bool readPacket(int a_PacketNo, PacketRecord* a_pRecord, Failure* a_pFailure)
{
    a_pRecord->packet = a_PacketNo;
    int value = 0;
    for (auto [field, target] : {std::pair{PACKET_DATA_GM_ID, &a_pRecord->gm_id},
                                 std::pair{PACKET_DATA_HEADER_WORD, &a_pRecord->header_word},
                                 std::pair{PACKET_DATA_HEADER_BYTE, &a_pRecord->header_byte},
                                 std::pair{PACKET_DATA_NO_OF_PHOTONS, &a_pRecord->no_of_photons}}) {
        if (!a_pFailure->Check(QuorvelDll::GetPacketData(a_PacketNo, field, &value), "GetPacketData"))
            return false;
        *target = value;
    }
    return true;
}

bool readPhoton(const PacketRecord& a_Packet, int a_PhotonNo, PhotonRecord* a_pRecord, Failure* a_pFailure)
{
    int value[5] = {};
    const PhotonData fields[5] = {PHOTON_DATA_PIXEL, PHOTON_DATA_ENERGY, PHOTON_DATA_POSITIVE_ENERGY,
                                  PHOTON_DATA_TIME_DETECT, PHOTON_DATA_POSITIVE_TIME_DETECT};
    for (int i = 0; i < 5; ++i) {
        if (!a_pFailure->Check(QuorvelDll::GetPhotonData(a_Packet.packet, a_PhotonNo, fields[i], &value[i]),
                               "GetPhotonData"))
            return false;
    }
    *a_pRecord = {a_Packet.packet, a_Packet.gm_id, a_Packet.header_word, value[0], value[1],
                  value[2] != 0, value[3], value[4] != 0};
    return true;
}

// Packets arriving while this runs are left for the next call: the store only
// grows behind the count read first, and only this thread clears it.
std::vector<PacketRecord> readPackets(Failure* a_pFailure)
{
    const int count = QuorvelDll::GetNoOfCollectedPackets();
    std::vector<PacketRecord> packets(static_cast<size_t>(count > 0 ? count : 0));
    for (int i = 0; i < count; ++i) {
        if (!readPacket(i + 1, &packets[static_cast<size_t>(i)], a_pFailure))
            return {};
    }
    return packets;
}

py::array packetsTable()
{
    checkClientThread("packets");
    Failure failure;
    std::vector<PacketRecord> packets;
    {
        py::gil_scoped_release unlocked;
        packets = readPackets(&failure);
    }
    if (failure.function)
        raiseError(failure.function, failure.error);
    py::array_t<PacketRecord> table(static_cast<py::ssize_t>(packets.size()));
    std::copy(packets.begin(), packets.end(), table.mutable_data());
    return std::move(table);
}

py::array photonsTable()
{
    checkClientThread("photons");
    Failure failure;
    std::vector<PacketRecord> packets;
    size_t total = 0;
    {
        py::gil_scoped_release unlocked;
        packets = readPackets(&failure);
        for (const PacketRecord& packet : packets)
            total += static_cast<size_t>(packet.no_of_photons > 0 ? packet.no_of_photons : 0);
    }
    if (failure.function)
        raiseError(failure.function, failure.error);

    py::array_t<PhotonRecord> table(static_cast<py::ssize_t>(total));
    PhotonRecord* out = table.mutable_data();
    {
        // The array is ours alone until returned, so it is filled without the GIL.
        py::gil_scoped_release unlocked;
        for (const PacketRecord& packet : packets) {
            for (int photon = 1; photon <= packet.no_of_photons; ++photon) {
                if (!readPhoton(packet, photon, out++, &failure))
                    break;
            }
            if (failure.function)
                break;
        }
    }
    if (failure.function)
        raiseError(failure.function, failure.error);
    return std::move(table);
}

} // namespace

void bindCollectionTables(py::module_& a_Module)
{
    PYBIND11_NUMPY_DTYPE(PhotonRecord, packet, gm_id, header_word, pixel, energy, positive_energy, time_detect,
                         positive_time_detect);
    PYBIND11_NUMPY_DTYPE(PacketRecord, packet, gm_id, header_word, header_byte, no_of_photons);

    a_Module.def("photons", &photonsTable,
                 "Every collected photon as one structured array with the fields packet (1-based packet number),\n"
                 "gm_id, header_word, pixel, energy, positive_energy, time_detect and positive_time_detect.");
    a_Module.def("packets", &packetsTable,
                 "Every collected packet as one structured array with the fields packet (1-based), gm_id,\n"
                 "header_word, header_byte and no_of_photons.");
}

} // namespace quorvelpy
