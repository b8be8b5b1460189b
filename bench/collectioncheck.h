// Compares what the library stored with the virtual camera's ground truth,
// through the exported queries only: per GM, the number of packets, and whether
// the header words run on one by one (a repeat or a gap breaks the run).
#ifndef BENCH_COLLECTIONCHECK_H
#define BENCH_COLLECTIONCHECK_H

#include <QString>

namespace camsim {
class VirtualCamera;
}

class CollectionCheck
{
public:
    struct Result
    {
        qint64 m_Sent = 0;
        qint64 m_Stored = 0;
        qint64 m_Missing = 0; // sent but not stored, summed over GMs
        qint64 m_Extra = 0;   // stored beyond what was sent, summed over GMs
        qint64 m_Breaks = 0;  // header words that do not follow the previous one of their GM
        qint64 m_BadAnswers = 0; // queries that failed or answered out of range
        qint64 m_Photons = 0;
        QString m_FirstBadAnswer; // what the first bad answer was, for the report
        bool Whole() const { return m_Missing == 0 && m_Extra == 0 && m_Breaks == 0 && m_BadAnswers == 0; }
    };

    // a_PhotonsPerPacket > 0 also checks every packet's photon count and the
    // first and last photon's pixel and energy ranges.
    static Result Compare(const camsim::VirtualCamera& a_Camera, int a_PhotonsPerPacket = 0);
};

#endif
