// The status record parser across reads: the stream of two-byte records is
// handed over in reads split at fuzzer-chosen points, as TCP may deliver it.
// Whatever the split, the signals must be those of the records of the whole
// stream taken two bytes at a time, decoded literally from the record layout.
//
// Input: one byte n (number of cuts, modulo 8), n bytes of cut offsets, then
// the stream. Cut k falls at the offset's byte modulo the remaining length.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <QByteArray>
#include <QString>

#include "acquisition/quorvelstatusworker.h"

namespace {

struct Event
{
    int m_Kind = 0;     // 0 status line, 1 GM determined, 2 powered up
    int m_GM = 0;
    QString m_Line;
    bool operator==(const Event& a_Other) const
    {
        return m_Kind == a_Other.m_Kind && m_GM == a_Other.m_GM && m_Line == a_Other.m_Line;
    }
};

const char* const STATUS_TEXTS[] = {"Sys Off", "Power Up", "Idle", "Collecting", "JTAG", "Debug",
                                    "Unknown Status", "Unknown Status"};
const char* const ERROR_TEXTS[] = {"No Error", "Packet CRC Error", "Unknown Error", "Incomplete Packet",
                                   "Wrong Command", "EEPROM Error (Power Up Load)", "ID Setup Error",
                                   "Unknown Error"};

// The events of one record, straight from the record layout.
void Expect(unsigned char a_Status, unsigned char a_GMByte, std::vector<Event>* a_pEvents)
{
    const int gm = static_cast<signed char>(a_GMByte);
    const int error = a_Status & 7;
    const int status = (a_Status >> 3) & 7;
    if (gm > 0 && status == 1) {
        if (error == 0)
            a_pEvents->push_back({1, gm, QString()});
    } else if (error == 0 && status == 2) {
        a_pEvents->push_back({2, 0, QString()});
    }
    QString line;
    if (gm > 0)
        line = QStringLiteral("GM:%1\t").arg(gm);
    line += QStringLiteral("Status:%1\tError:%2").arg(QLatin1String(STATUS_TEXTS[status]),
                                                      QLatin1String(ERROR_TEXTS[error]));
    a_pEvents->push_back({0, 0, line});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* a_pData, size_t a_Size)
{
    if (a_Size < 1)
        return 0;
    const size_t noOfCuts = a_pData[0] % 8;
    if (a_Size < 1 + noOfCuts)
        return 0;
    const uint8_t* cuts = a_pData + 1;
    const QByteArray stream(reinterpret_cast<const char*>(a_pData + 1 + noOfCuts),
                            static_cast<int>(a_Size - 1 - noOfCuts));

    std::vector<Event> events;
    QuorvelStatusWorker worker(QStringLiteral("127.0.0.1"), QStringLiteral("127.0.0.1"));
    QObject::connect(&worker, &QuorvelStatusWorker::statusUpdate,
                     [&](const QString& a_Line) { events.push_back({0, 0, a_Line}); });
    QObject::connect(&worker, &QuorvelStatusWorker::GMDetermined,
                     [&](int a_GM) { events.push_back({1, a_GM, QString()}); });
    QObject::connect(&worker, &QuorvelStatusWorker::PoweredUp, [&] { events.push_back({2, 0, QString()}); });

    // Each read is its own exactly sized array (no terminating zero), so a
    // read past it is caught.
    int at = 0;
    for (size_t k = 0; k <= noOfCuts; ++k) {
        const int left = stream.size() - at;
        const int length = k == noOfCuts ? left : (left > 0 ? cuts[k] % (left + 1) : 0);
        const std::unique_ptr<char[]> bytes(new char[static_cast<size_t>(length)]);
        std::memcpy(bytes.get(), stream.constData() + at, static_cast<size_t>(length));
        worker.DecodeRecords(QByteArray::fromRawData(bytes.get(), length));
        at += length;
    }

    std::vector<Event> expected;
    for (int i = 0; i + 1 < stream.size(); i += 2)
        Expect(static_cast<unsigned char>(stream[i]), static_cast<unsigned char>(stream[i + 1]), &expected);
    if (events != expected) {
        std::fprintf(stderr, "status events differ: %zu seen, %zu expected\n", events.size(), expected.size());
        std::abort();
    }
    return 0;
}
