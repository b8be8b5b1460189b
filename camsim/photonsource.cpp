#include "camsim/photonsource.h"

#include "camsim/pixelmap.h"
#include "camsim/random.h"
#include "camsim/registerfile.h"

#include <algorithm>
#include <cmath>

namespace camsim {

namespace {
constexpr int side = PixelMap::cameraSide;
constexpr int subSamples = 4; // per pixel side, for bar edges that cut pixels

double gaussianShare(double from, double to, double mean, double sigma)
{
    const double s = sigma * std::sqrt(2.0);
    return 0.5 * (std::erf((to - mean) / s) - std::erf((from - mean) / s));
}

// Quadrant index 0..3 in GM order 1..4 (GM 1 top left, 2 top right, 3 bottom right, 4 bottom left).
int quadrantOf(double row, double column)
{
    const bool bottom = row >= PixelMap::gmSide;
    const bool right = column >= PixelMap::gmSide;
    if (!bottom)
        return right ? 1 : 0;
    return right ? 2 : 3;
}
} // namespace

PhotonSource::PhotonSource(const SourceConfig& config, quint32 seed)
    : m_Config(config)
    , m_Seed(seed)
{
    computeIntensity();
    Random gainRandom(Random::mix(seed, 0x6A1));
    for (double& gain : m_Gain)
        gain = 1.0 + 0.02 * gainRandom.normal();
}

double PhotonSource::pixelIntensity(int row, int column) const
{
    switch (m_Config.kind) {
    case SourceKind::Flood:
        return 1.0;
    case SourceKind::Points: {
        double total = 0.0;
        double weights = 0.0;
        for (const PointSource& point : m_Config.points) {
            const double sigma = std::max(point.sigma, 1e-3);
            total += point.weight * gaussianShare(column, column + 1, point.column, sigma)
                     * gaussianShare(row, row + 1, point.row, sigma);
            weights += point.weight;
        }
        const double points = weights > 0 ? total / weights : 0.0;
        return (1.0 - m_Config.background) * points + m_Config.background / (side * side);
    }
    case SourceKind::Bars: {
        // Lead bars in front of a flood: bars pass only the background share.
        double open = 0.0;
        for (int i = 0; i < subSamples; ++i) {
            for (int j = 0; j < subSamples; ++j) {
                const double r = row + (i + 0.5) / subSamples;
                const double c = column + (j + 0.5) / subSamples;
                const int quadrant = quadrantOf(r, c);
                const double width = std::max(0.25, m_Config.barWidths.value(quadrant, 1.0 + quadrant));
                const bool vertical = quadrant == 0 || quadrant == 2;
                const double along = std::fmod(vertical ? c : r, double(PixelMap::gmSide));
                const bool bar = static_cast<int>(std::floor(along / width)) % 2 == 0;
                open += bar ? m_Config.background : 1.0;
            }
        }
        return open / (subSamples * subSamples);
    }
    }
    return 1.0;
}

void PhotonSource::computeIntensity()
{
    double total = 0.0;
    for (int row = 0; row < side; ++row) {
        for (int column = 0; column < side; ++column) {
            const double value = std::max(0.0, pixelIntensity(row, column));
            m_Intensity[static_cast<size_t>(row * side + column)] = value;
            total += value;
        }
    }
    for (double& value : m_Intensity)
        value = total > 0 ? value / total : 1.0 / (side * side);
}

PhotonRecord PhotonSource::drawPhoton(Random& random, int channel, bool negativeEnable, bool timeDetect) const
{
    const double gain = m_Gain[static_cast<size_t>(channel & 0xFF)];
    const double sigma = m_Config.fwhmAdc / 2.3548;
    const double edge = m_Config.comptonEdgeAdc > 0 ? m_Config.comptonEdgeAdc : 0.356 * m_Config.peakAdc;
    PhotonRecord photon;
    photon.channel = static_cast<quint8>(channel);
    for (int attempt = 0; attempt < 16; ++attempt) {
        const double kind = random.uniform();
        double energy;
        bool noise = false;
        if (kind < m_Config.peakShare) {
            energy = gain * (m_Config.peakAdc + sigma * random.normal());
        } else if (kind < m_Config.peakShare + m_Config.comptonShare) {
            // Continuum rising towards the edge, blurred like the peak.
            energy = gain * (edge * (0.1 + 0.9 * std::pow(random.uniform(), 0.7)) + sigma * random.normal());
        } else {
            energy = m_Config.noiseSigmaAdc * random.normal();
            noise = true;
        }
        if (energy < 0 && !negativeEnable)
            continue;
        photon.energy = static_cast<qint16>(std::clamp(std::lround(energy), -4095L, 4095L));
        if (timeDetect) {
            const double td = noise ? 50.0 * random.normal()
                                    : 100.0 + random.uniform() * (m_Config.timeDetectMax - 100.0);
            photon.timeDetect = static_cast<qint16>(std::clamp(std::lround(td), negativeEnable ? -4095L : 0L, 4095L));
        }
        return photon;
    }
    photon.energy = 0;
    return photon;
}

PhotonPool PhotonSource::makePool(int gmId, quint8 asicMode, const QByteArray& channelImage, int padding,
                                  int records) const
{
    PhotonPool pool;
    pool.gmId = gmId;
    pool.asicMode = asicMode;
    pool.channelImage = channelImage;
    const bool timeDetect = asicMode & packetformat::timeDetectEnable;
    const bool negativeEnable = asicMode & packetformat::negativeEnable;
    pool.recordBytes = packetformat::recordBytes(timeDetect);

    // Cumulative intensity over the GM's unmasked pixels.
    std::array<double, PixelMap::gmPixels> cumulative {};
    double total = 0.0;
    const int top = PixelMap::quadrantRow(gmId);
    const int left = PixelMap::quadrantColumn(gmId);
    for (int p = 1; p <= PixelMap::gmPixels; ++p) {
        const int row = top + (p - 1) / PixelMap::gmSide;
        const int column = left + (p - 1) % PixelMap::gmSide;
        if (!RegisterFile::isChannelMasked(channelImage, PixelMap::channelOfPixel(p)))
            total += m_Intensity[static_cast<size_t>(row * side + column)];
        cumulative[static_cast<size_t>(p - 1)] = total;
    }
    pool.weight = total;
    if (total <= 0.0)
        return pool;

    Random random(Random::mix(m_Seed, static_cast<quint64>(gmId), asicMode));
    pool.records = records;
    const int stored = records + padding;
    pool.bytes.resize(static_cast<size_t>(stored * pool.recordBytes));
    pool.sums.resize(static_cast<size_t>(stored + 1));
    pool.sums[0] = 0;
    for (int i = 0; i < stored; ++i) {
        quint8* out = pool.bytes.data() + static_cast<size_t>(i * pool.recordBytes);
        if (i >= records) {
            const quint8* first = pool.bytes.data() + static_cast<size_t>((i % records) * pool.recordBytes);
            std::copy(first, first + pool.recordBytes, out);
            pool.sums[static_cast<size_t>(i + 1)] = pool.sums[static_cast<size_t>(i)]
                + (pool.sums[static_cast<size_t>(i % records + 1)] - pool.sums[static_cast<size_t>(i % records)]);
            continue;
        }
        const double target = random.uniform() * total;
        const auto hit = std::upper_bound(cumulative.begin(), cumulative.end(), target);
        const int pixel = static_cast<int>(std::min<std::ptrdiff_t>(hit - cumulative.begin(), PixelMap::gmPixels - 1)) + 1;
        const PhotonRecord photon = drawPhoton(random, PixelMap::channelOfPixel(pixel), negativeEnable, timeDetect);
        encodePhoton(photon, timeDetect, negativeEnable, out);
        quint64 sum = 0;
        for (int b = 0; b < pool.recordBytes; ++b)
            sum += out[b];
        pool.sums[static_cast<size_t>(i + 1)] = pool.sums[static_cast<size_t>(i)] + sum;
    }
    return pool;
}

} // namespace camsim
