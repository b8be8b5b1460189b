// Reads the optional packet section at the end of a configuration file: the
// packet count and every packet with its photons, each field checked against
// the range of the store's field it will fill.
#ifndef QUORVEL_PACKETSECTIONREADER_H
#define QUORVEL_PACKETSECTIONREADER_H

#include "files/parsedconfiguration.h"

class RecordReader;

class PacketSectionReader
{
public:
    // A file that ends here has no packet section: true, m_Present false.
    // False with the reason in the reader's last error.
    // Without a_KeepPhotons the photon records are checked but not kept.
    static bool LoadPackets(RecordReader& a_Reader, ParsedPackets* a_pPackets, bool a_KeepPhotons = true);

private:
    static bool LoadPacket(RecordReader& a_Reader, int a_Index, ParsedPackets* a_pPackets, bool a_KeepPhotons);
};

#endif // QUORVEL_PACKETSECTIONREADER_H
