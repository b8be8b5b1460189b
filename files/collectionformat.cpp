#include "files/collectionformat.h"

#include <cstring>

#include "acquisition/packet.h"
#include "files/photoncoding.h"

namespace {

using namespace PhotonCoding;

// Room for a_Bytes more bytes at the end of a_pOut; returns where they start.
char* grow(std::string* a_pOut, size_t a_Bytes)
{
    const size_t start = a_pOut->size();
    a_pOut->resize(start + a_Bytes);
    return &(*a_pOut)[start];
}

} // namespace

void CollectionFormat::AppendCsvLines(const Packet& a_Packet, std::string* a_pOut)
{
    if (a_Packet.GetNoOfPhotons() == 0)
        return;
    // The packet's two columns are the same on every line.
    char prefix[16];
    const size_t prefixLength =
        static_cast<size_t>(EncodeCsvPacketColumns(prefix, a_Packet.m_GMID, a_Packet.m_HeaderWord) - prefix);

    const size_t start = a_pOut->size();
    char* p = grow(a_pOut, static_cast<size_t>(a_Packet.GetNoOfPhotons()) * MAX_CSV_LINE);
    char* const first = p;
    unsigned index = 0;
    for (const Photon& photon : a_Packet) {
        std::memcpy(p, prefix, prefixLength);
        p = EncodeCsvPhotonColumns(p + prefixLength, index++, static_cast<quint16>(photon.m_Pixel), photon.m_Energy,
                                   photon.m_PositiveEnergy, photon.m_TimeDetect, photon.m_PositiveTimeDetect);
    }
    a_pOut->resize(start + static_cast<size_t>(p - first));
}

void CollectionFormat::AppendBinaryRecords(const Packet& a_Packet, std::string* a_pOut)
{
    char* p = grow(a_pOut, static_cast<size_t>(a_Packet.GetNoOfPhotons()) * BINARY_RECORD_SIZE);
    for (const Photon& photon : a_Packet) {
        p = EncodeBinaryRecord(p, a_Packet.m_GMID, a_Packet.m_HeaderWord, static_cast<quint16>(photon.m_Pixel),
                               photon.m_Energy, photon.m_PositiveEnergy, photon.m_TimeDetect,
                               photon.m_PositiveTimeDetect);
    }
}
