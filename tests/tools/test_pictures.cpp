// What the pictures are made from: the binary collection reader, the placing of
// pixels on the camera, the energy histogram and the photopeak estimate.
#include "tools/files/photonfile.h"
#include "tools/pictures/plotaxis.h"
#include "tools/pictures/photopeak.h"
#include "tools/pictures/photontally.h"
#include "tools/pictures/spectrumplot.h"
#include "tests/tools/toolrun.h"

#include <QFile>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

using namespace tool;

namespace {

// A camera-like spectrum: noise around zero, a Compton continuum up to 0.356 of
// the peak, and a Gaussian photopeak.
std::vector<qint64> spectrum(double a_Peak, double a_Fwhm, double a_PeakShare, int a_Photons, unsigned a_Seed)
{
    std::mt19937 random(a_Seed);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::normal_distribution<double> peak(a_Peak, a_Fwhm / 2.354820045);
    std::normal_distribution<double> noise(0.0, 40.0);
    std::vector<qint64> counts(65536, 0);
    for (int i = 0; i < a_Photons; ++i) {
        const double u = uniform(random);
        double energy = u < a_PeakShare ? peak(random)
                        : u < a_PeakShare + 0.3 ? uniform(random) * 0.356 * a_Peak
                                                : std::fabs(noise(random));
        ++counts[size_t(std::lround(std::max(0.0, energy)))];
    }
    return counts;
}

Photopeak findIn(const std::vector<qint64>& a_Counts)
{
    const EnergyHistogram histogram = EnergyHistogram::of(a_Counts);
    return Photopeak::find(histogram.counts, histogram.first, histogram.binWidth);
}

TEST(Photopeak, FitsTheHighestEnergyPeakThatStandsOut)
{
    for (const double centre : {300.0, 2000.0, 3500.0}) {
        const Photopeak peak = findIn(spectrum(centre, centre * 0.06, 0.6, 200000, 7));
        ASSERT_TRUE(peak.found) << centre;
        EXPECT_TRUE(peak.fitted);
        EXPECT_NEAR(peak.centre, centre, centre * 0.005) << centre;
        EXPECT_NEAR(peak.fwhm, centre * 0.06, centre * 0.06 * 0.05) << centre;
    }
    // A weak photopeak above a much taller noise peak is still the photopeak.
    const Photopeak weak = findIn(spectrum(2000.0, 100.0, 0.15, 200000, 8));
    ASSERT_TRUE(weak.found);
    EXPECT_NEAR(weak.centre, 2000.0, 10.0);
}

TEST(Photopeak, ReportsNoPeakRatherThanInventOne)
{
    EXPECT_FALSE(findIn(std::vector<qint64>(65536, 0)).found);
    std::vector<qint64> flat(65536, 0);
    for (int energy = 0; energy < 4000; ++energy)
        flat[size_t(energy)] = 50;
    EXPECT_FALSE(findIn(flat).found);
    EXPECT_FALSE(Photopeak::find({1, 2, 3}, 0, 1).found);
}

TEST(EnergyHistogram, CoversNearlyAllPhotonsAndCountsWildValuesAbove)
{
    std::vector<qint64> counts = spectrum(2000.0, 120.0, 0.6, 100000, 9);
    counts[60000] = 3;
    const EnergyHistogram histogram = EnergyHistogram::of(counts);
    const int end = histogram.first + int(histogram.counts.size()) * histogram.binWidth;
    EXPECT_GE(end, 2200);
    EXPECT_LE(end, 2600);
    EXPECT_GE(histogram.counts.size(), 100u);
    EXPECT_LE(histogram.counts.size(), 300u);
    EXPECT_EQ(histogram.above + histogram.photons, 100003);
    EXPECT_GE(histogram.above, 3);
}

TEST(PhotonTally, PlacesGMPixelsOnTheCameraAndTellsTheNumberingApart)
{
    // GM 1 top left, GM 2 top right, GM 3 bottom right, GM 4 bottom left.
    EXPECT_EQ(PhotonTally::cameraPixelOf(1, 1), 1);
    EXPECT_EQ(PhotonTally::cameraPixelOf(12, 1), 23);
    EXPECT_EQ(PhotonTally::cameraPixelOf(1, 2), 12);
    EXPECT_EQ(PhotonTally::cameraPixelOf(1, 4), 243);
    EXPECT_EQ(PhotonTally::cameraPixelOf(121, 3), 484);
    for (int pixel = 1; pixel <= 121; ++pixel)
        for (int gm = 1; gm <= 4; ++gm)
            ASSERT_EQ(PhotonTally::gmOfCameraPixel(PhotonTally::cameraPixelOf(pixel, gm)), gm);

    PhotonTally local;
    local.add(3, 121, 2000, true);
    local.add(4, 1, 2000, true);
    local.add(1, 60, 100, false);
    EXPECT_EQ(local.detectNumbers(), PixelNumbers::GM);
    qint64 unplaced = -1;
    const auto counts = local.cameraCounts(PixelNumbers::GM, &unplaced);
    EXPECT_EQ(counts[483], 1);
    EXPECT_EQ(counts[242], 1);
    EXPECT_EQ(unplaced, 0);
    EXPECT_EQ(local.negativeEnergies(), 1);

    // Camera numbers in their own GM's quadrant; one stray pixel is counted, not placed.
    PhotonTally global;
    global.add(3, 484, 2000, true);
    global.add(2, 12, 2000, true);
    global.add(2, 9000, 2000, true);
    EXPECT_EQ(global.detectNumbers(), PixelNumbers::Camera);
    global.cameraCounts(PixelNumbers::Camera, &unplaced);
    EXPECT_EQ(unplaced, 1);
}

TEST(PhotonFile, ReadsBigEndianRecordsAndLeavesOutACutOne)
{
    tooltest::ScratchFolder folder;
    QFile file(folder.file(QStringLiteral("photons.dat")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    // GM 2, header word 513, pixel 17, energy 300 positive; then pixel 18, energy 40 negative.
    file.write(QByteArray::fromHex("0202010011012c01000000" "0202010012002800000000"));
    file.close();
    PhotonTally tally;
    QString error;
    ASSERT_TRUE(PhotonFile::read(file.fileName(), &tally, &error)) << error.toStdString();
    EXPECT_EQ(tally.photons(), 2);
    EXPECT_EQ(tally.photonsOfGM(2), 2);
    EXPECT_EQ(tally.energies()[300], 1);
    EXPECT_EQ(tally.negativeEnergies(), 1);

    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(QByteArray(5, '\0'));
    file.close();
    PhotonTally partial;
    EXPECT_TRUE(PhotonFile::read(file.fileName(), &partial, &error)) << error.toStdString();
    EXPECT_EQ(partial.photons(), 2);
    EXPECT_FALSE(PhotonFile::read(folder.file(QStringLiteral("missing.dat")), &partial, &error));
}

TEST(PlotAxis, TicksAreRoundNumbersCoveringTheRange)
{
    EXPECT_EQ(PlotAxis::ticks(0, 2500, 10), QVector<double>({0, 250, 500, 750, 1000, 1250, 1500, 1750, 2000, 2250, 2500}));
    EXPECT_EQ(PlotAxis::ticks(0, 590000, 6), QVector<double>({0, 100000, 200000, 300000, 400000, 500000}));
    EXPECT_EQ(PlotAxis::ticks(0, 1, 4), QVector<double>({0, 0.25, 0.5, 0.75, 1}));
    EXPECT_DOUBLE_EQ(PlotAxis::niceCeiling(2376), 2400);
    EXPECT_DOUBLE_EQ(PlotAxis::niceCeiling(581890), 590000);
    EXPECT_DOUBLE_EQ(PlotAxis::niceCeiling(7), 7);
    EXPECT_EQ(PlotAxis::label(12500, 2500), QStringLiteral("12,500"));
    EXPECT_EQ(PlotAxis::label(0.25, 0.25), QStringLiteral("0.25"));
}

} // namespace
