// The two export forms of collected photons, one packet at a time: CSV lines
// "gm,headerword,index,pixel,energy,posenergy,timedetect,postimedetect\n" and
// 11-byte big-endian binary records. A packet without photons gives nothing.
#ifndef QUORVEL_COLLECTIONFORMAT_H
#define QUORVEL_COLLECTIONFORMAT_H

#include <string>

#include "files/photoncoding.h"

class Packet;

class CollectionFormat
{
public:
    static constexpr int BINARY_RECORD_SIZE = PhotonCoding::BINARY_RECORD_BYTES;

    static void AppendCsvLines(const Packet& a_Packet, std::string* a_pOut);
    static void AppendBinaryRecords(const Packet& a_Packet, std::string* a_pOut);
};

#endif // QUORVEL_COLLECTIONFORMAT_H
