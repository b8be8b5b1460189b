#include "files/binarycollectionwriter.h"

#include <QIODevice>

#include <string>

#include "acquisition/collectedpackets.h"
#include "files/collectionformat.h"

namespace {
constexpr size_t CHUNK_BYTES = 1 << 20;

bool writeAll(QIODevice* a_pDevice, const std::string& a_Bytes)
{
    const qint64 size = static_cast<qint64>(a_Bytes.size());
    return a_pDevice->write(a_Bytes.data(), size) == size;
}
} // namespace

bool BinaryCollectionWriter::Write(const CollectedPackets& a_Store, QIODevice* a_pDevice)
{
    std::string bytes;
    bytes.reserve(CHUNK_BYTES + 64 * 1024);
    for (const Packet& packet : a_Store.GetPackets()) {
        CollectionFormat::AppendBinaryRecords(packet, &bytes);
        if (bytes.size() >= CHUNK_BYTES) {
            if (!writeAll(a_pDevice, bytes))
                return false;
            bytes.clear();
        }
    }
    return writeAll(a_pDevice, bytes);
}
