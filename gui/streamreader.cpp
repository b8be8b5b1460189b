#include "gui/streamreader.h"

#include "gui/livehistograms.h"
#include "quorveldll.h"

#include <vector>

namespace gui {

namespace {
constexpr long long batchRecords = 1 << 17; // 2 MiB: few calls, and the histograms' lock taken rarely
constexpr int readTimeoutMs = 100; // how soon a stop request is seen
} // namespace

StreamReader::StreamReader(LiveHistograms* a_Histograms)
    : m_Histograms(a_Histograms)
{
}

StreamReader::~StreamReader()
{
    abandon();
}

bool StreamReader::start(const QString& a_PhotonFile, QString* a_Error)
{
    if (!a_PhotonFile.isEmpty() && !m_Writer.open(a_PhotonFile, a_Error))
        return false;
    m_Thread = std::thread(&StreamReader::run, this);
    return true;
}

void StreamReader::run()
{
    std::vector<PhotonRecord> batch(static_cast<size_t>(batchRecords));
    QString error;
    while (!m_Stop.load()) {
        const long long count = QuorvelDll::ReadPhotons(batch.data(), batchRecords, readTimeoutMs);
        if (count == PHOTON_STREAM_ENDED)
            break;
        if (count < 0) {
            error = QStringLiteral("the photon stream closed before the collection ended");
            break;
        }
        if (count == 0)
            continue;
        m_Histograms->add(batch.data(), count);
        m_Photons += count;
        if (m_Writer.isOpen()) {
            if (!m_Writer.append(batch.data(), count))
                break; // close() says why
            m_Written += count;
        }
    }
    QString closeError;
    if (!m_Writer.close(&closeError) && error.isEmpty())
        error = closeError;
    m_Error = error;
    m_Finished = true;
}

bool StreamReader::join(QString* a_Error)
{
    if (m_Thread.joinable())
        m_Thread.join();
    if (!m_Error.isEmpty() && a_Error)
        *a_Error = m_Error;
    return m_Error.isEmpty();
}

void StreamReader::abandon()
{
    m_Stop = true;
    if (m_Thread.joinable())
        m_Thread.join();
}

} // namespace gui
