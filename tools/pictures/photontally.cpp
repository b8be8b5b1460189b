#include "tools/pictures/photontally.h"

namespace tool {

PhotonTally::PhotonTally()
    : m_ByGMPixel(size_t(256 * pixelSlots), 0)
    , m_Energies(65536, 0)
{
}

void PhotonTally::add(int a_GMID, int a_Pixel, int a_Energy, bool a_PositiveEnergy)
{
    ++m_Photons;
    const int gm = qBound(0, a_GMID, 255);
    const int pixel = qBound(0, a_Pixel, pixelSlots - 1);
    ++m_ByGMPixel[size_t(gm * pixelSlots + pixel)];
    if (a_PositiveEnergy)
        ++m_Energies[size_t(qBound(0, a_Energy, 65535))];
    else
        ++m_NegativeEnergies;
}

qint64 PhotonTally::photonsOfGM(int a_GMID) const
{
    if (a_GMID < 0 || a_GMID > 255)
        return 0;
    qint64 sum = 0;
    for (int pixel = 0; pixel < pixelSlots; ++pixel)
        sum += countAt(a_GMID, pixel);
    return sum;
}

int PhotonTally::cameraPixelOf(int a_Pixel, int a_GMID)
{
    return CameraLayout::CameraPixelOf(a_Pixel, a_GMID);
}

int PhotonTally::gmOfCameraPixel(int a_Pixel)
{
    return CameraLayout::GMOfCameraPixel(a_Pixel);
}

PixelNumbers PhotonTally::detectNumbers() const
{
    bool cameraFits = true;
    bool gmFits = true;
    for (int gm = 0; gm < 256; ++gm) {
        for (int pixel = 0; pixel < pixelSlots; ++pixel) {
            if (countAt(gm, pixel) == 0)
                continue;
            if (pixel < 1 || pixel > cameraPixels || gmOfCameraPixel(pixel) != gm)
                cameraFits = false;
            if (pixel < 1 || pixel > gmPixels || gm < 1 || gm > 4)
                gmFits = false;
        }
    }
    return (!cameraFits && gmFits) ? PixelNumbers::GM : PixelNumbers::Camera;
}

std::array<qint64, PhotonTally::cameraPixels> PhotonTally::cameraCounts(PixelNumbers a_Numbers, qint64* a_Unplaced) const
{
    std::array<qint64, cameraPixels> counts {};
    qint64 unplaced = 0;
    for (int gm = 0; gm < 256; ++gm) {
        for (int pixel = 0; pixel < pixelSlots; ++pixel) {
            const qint64 count = countAt(gm, pixel);
            if (count == 0)
                continue;
            int cameraPixel = 0;
            if (a_Numbers == PixelNumbers::Camera && pixel >= 1 && pixel <= cameraPixels)
                cameraPixel = pixel;
            else if (a_Numbers == PixelNumbers::GM && pixel >= 1 && pixel <= gmPixels && gm >= 1 && gm <= 4)
                cameraPixel = cameraPixelOf(pixel, gm);
            if (cameraPixel > 0)
                counts[size_t(cameraPixel - 1)] += count;
            else
                unplaced += count;
        }
    }
    if (a_Unplaced)
        *a_Unplaced = unplaced;
    return counts;
}

} // namespace tool
