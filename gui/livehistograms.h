// The histograms the stream reader fills while photons arrive and the window
// copies several times a second; a std::mutex guards them between the two threads.
#ifndef GUI_LIVEHISTOGRAMS_H
#define GUI_LIVEHISTOGRAMS_H

#include "gui/histogramsnapshot.h"
#include "quorveldll.h"
#include "tools/pictures/photontally.h"

#include <mutex>

namespace gui {

class LiveHistograms {
public:
    // Empties the histograms; a_Numbers says how the coming photons number their pixels.
    void reset(tool::PixelNumbers a_Numbers);
    void add(const PhotonRecord* a_Records, qint64 a_Count);
    // Copies the histograms unless a_Snapshot already holds this generation;
    // true if it copied.
    bool copyTo(HistogramSnapshot* a_Snapshot) const;

    // The camera pixel (1..484) of a photon's pixel, 0 if it has no place.
    static int cameraPixelOf(int a_GMID, int a_Pixel, tool::PixelNumbers a_Numbers);

private:
    mutable std::mutex m_Mutex;
    tool::PixelNumbers m_Numbers = tool::PixelNumbers::Camera;
    HistogramSnapshot m_Data;
};

} // namespace gui

#endif
