// Photons counted by GM, pixel and energy: all the pictures need, in fixed memory
// however long the collection was.
#ifndef TOOLS_PHOTONTALLY_H
#define TOOLS_PHOTONTALLY_H

#include "gammamodule/cameralayout.h"
#include <QtGlobal>
#include <array>
#include <vector>

namespace tool {

// How the pixel numbers of a collection were assigned.
enum class PixelNumbers {
    Camera, // 1..484 over the whole 22 x 22 camera (global mapping)
    GM      // 1..121 within each GM's 11 x 11 pixels (local mapping)
};

class PhotonTally {
public:
    static constexpr int cameraSide = CameraLayout::CAMERA_SIDE;
    static constexpr int cameraPixels = CameraLayout::CAMERA_PIXELS;
    static constexpr int gmSide = CameraLayout::GM_SIDE;
    static constexpr int gmPixels = CameraLayout::GM_PIXELS;

    PhotonTally();

    void add(int a_GMID, int a_Pixel, int a_Energy, bool a_PositiveEnergy);

    qint64 photons() const { return m_Photons; }
    qint64 photonsOfGM(int a_GMID) const;
    qint64 negativeEnergies() const { return m_NegativeEnergies; }
    // Photons with a positive energy, by energy value 0..65535.
    const std::vector<qint64>& energies() const { return m_Energies; }

    // Which numbering fits the pixels seen: camera numbers if every photon lies in
    // its GM's quadrant, else GM numbers if all are 1..121.
    PixelNumbers detectNumbers() const;
    // Counts of the 484 camera pixels, row by row; photons whose pixel cannot be
    // placed (numbers out of range, unknown GM) are added to *a_Unplaced.
    std::array<qint64, cameraPixels> cameraCounts(PixelNumbers a_Numbers, qint64* a_Unplaced) const;

    // Camera pixel (1..484) of pixel a_Pixel (1..121) of GM a_GMID (1..4): GM 1
    // top left, GM 2 top right, GM 3 bottom right, GM 4 bottom left.
    static int cameraPixelOf(int a_Pixel, int a_GMID);
    // The GM (1..4) whose quadrant holds camera pixel a_Pixel (1..484).
    static int gmOfCameraPixel(int a_Pixel);

private:
    static constexpr int pixelSlots = cameraPixels + 2; // 0..484 and one for anything larger
    qint64 countAt(int a_GMID, int a_Pixel) const { return m_ByGMPixel[size_t(a_GMID * pixelSlots + a_Pixel)]; }

    qint64 m_Photons = 0;
    qint64 m_NegativeEnergies = 0;
    std::vector<qint64> m_ByGMPixel; // 256 GM IDs x pixelSlots
    std::vector<qint64> m_Energies;
};

} // namespace tool

#endif
