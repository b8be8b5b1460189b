// Writes every collected photon as an 11-byte binary record: no header and no
// counts, in store order.
#ifndef QUORVEL_BINARYCOLLECTIONWRITER_H
#define QUORVEL_BINARYCOLLECTIONWRITER_H

class CollectedPackets;
class QIODevice;

class BinaryCollectionWriter
{
public:
    // The store's lock held. False if the device refused a write.
    static bool Write(const CollectedPackets& a_Store, QIODevice* a_pDevice);
};

#endif // QUORVEL_BINARYCOLLECTIONWRITER_H
