// The physics: where photons hit the camera (flood, point sources, bar phantom)
// and what energy the ASIC measures (photopeak, Compton continuum, noise).
// Photons are drawn into pools of encoded records that the sender slices packets from.
#ifndef CAMSIM_PHOTONSOURCE_H
#define CAMSIM_PHOTONSOURCE_H

#include "camsim/cameraconfig.h"
#include "camsim/packetbuilder.h"

#include <QByteArray>
#include <array>
#include <vector>

namespace camsim {

class Random;

// Encoded photon records of one GM, with running byte sums so the checksum of any
// run of records costs one subtraction. The first records are repeated after the
// last (padding), so a run starting anywhere in the pool is contiguous.
struct PhotonPool {
    int gmId = 0;
    quint8 asicMode = 0;
    QByteArray channelImage;
    int recordBytes = 3;
    int records = 0;        // distinct records; bytes and sums also hold the padding
    double weight = 0.0;        // this GM's share of the source's intensity
    std::vector<quint8> bytes;  // records back to back
    std::vector<quint64> sums;  // sums[i] = sum of the bytes of records 0..i-1
    quint64 sumOfRecords(int first, int count) const { return sums[first + count] - sums[first]; }
};

class PhotonSource {
public:
    static constexpr int poolRecords = 32768;

    PhotonSource(const SourceConfig& config, quint32 seed);

    // Relative intensity on each camera pixel (row-major 22 x 22, summing to 1).
    const std::array<double, 484>& cameraIntensity() const { return m_Intensity; }
    // One photon of a GM: masked channels (register 30 image) never fire.
    // Fills a pool; with every pixel masked the pool is empty and its weight 0.
    PhotonPool makePool(int gmId, quint8 asicMode, const QByteArray& channelImage, int padding,
                        int records = poolRecords) const;
    // The energy (ADC units) of one detected photon on a channel.
    PhotonRecord drawPhoton(Random& random, int channel, bool negativeEnable, bool timeDetect) const;

private:
    void computeIntensity();
    double pixelIntensity(int row, int column) const;

    SourceConfig m_Config;
    quint32 m_Seed;
    std::array<double, 484> m_Intensity {};
    std::array<double, 256> m_Gain {}; // a fixed gain spread per channel, as a real detector has
};

} // namespace camsim

#endif
