#include "gui/livehistograms.h"

namespace gui {

void LiveHistograms::reset(tool::PixelNumbers a_Numbers)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    const quint64 generation = m_Data.generation;
    m_Data = HistogramSnapshot();
    m_Data.generation = generation + 1;
    m_Numbers = a_Numbers;
}

int LiveHistograms::cameraPixelOf(int a_GMID, int a_Pixel, tool::PixelNumbers a_Numbers)
{
    if (a_Numbers == tool::PixelNumbers::Camera)
        return (a_Pixel >= 1 && a_Pixel <= CameraLayout::CAMERA_PIXELS) ? a_Pixel : 0;
    if (a_Pixel < 1 || a_Pixel > CameraLayout::GM_PIXELS || a_GMID < 1 || a_GMID > CameraLayout::GM_COUNT)
        return 0;
    return CameraLayout::CameraPixelOf(a_Pixel, a_GMID);
}

void LiveHistograms::add(const PhotonRecord* a_Records, qint64 a_Count)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    HistogramSnapshot& data = m_Data;
    for (qint64 i = 0; i < a_Count; ++i) {
        const PhotonRecord& record = a_Records[i];
        const int pixel = cameraPixelOf(record.gmID, record.pixel, m_Numbers);
        if (pixel > 0)
            ++data.pixelCounts[size_t(pixel - 1)];
        else
            ++data.unplaced;
        if (!record.positiveEnergy)
            ++data.negativeEnergies;
        else if (record.energy >= HistogramSnapshot::bins * HistogramSnapshot::binWidth)
            ++data.aboveRange;
        else
            ++data.spectra[size_t(pixel) * HistogramSnapshot::bins + size_t(HistogramSnapshot::binOf(record.energy))];
    }
    data.photons += a_Count;
    ++data.generation;
}

bool LiveHistograms::copyTo(HistogramSnapshot* a_Snapshot) const
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (a_Snapshot->generation == m_Data.generation)
        return false;
    *a_Snapshot = m_Data;
    return true;
}

} // namespace gui
