#include "tools/pictures/picturewriter.h"

#include "tools/pictures/floodimage.h"
#include "tools/pictures/spectrumplot.h"
#include "tools/terminal/terminal.h"

#include <QDir>
#include <QImage>

namespace tool {

QString PictureFacts::peakText() const
{
    if (!peak.found)
        return QStringLiteral("not found");
    return QStringLiteral("centre %1, FWHM %2 ADC units (%3 %)")
        .arg(peak.centre, 0, 'f', 1)
        .arg(peak.fwhm, 0, 'f', 1)
        .arg(100.0 * peak.fwhm / peak.centre, 0, 'f', 1);
}

QString PictureFacts::brightestText() const
{
    const int side = PhotonTally::cameraSide;
    return QStringLiteral("%1 (row %2, column %3), %4 photons")
        .arg(brightestPixel)
        .arg((brightestPixel - 1) / side + 1)
        .arg((brightestPixel - 1) % side + 1)
        .arg(Terminal::grouped(brightestCount));
}

bool PictureWriter::write(const PhotonTally& a_Tally, PixelNumbers a_Numbers, const QString& a_Folder,
                          const QString& a_Caption, PictureFacts* a_Facts, QString* a_Error)
{
    const QDir folder(a_Folder);
    a_Facts->numbers = a_Numbers;
    const FloodImage::Counts counts = a_Tally.cameraCounts(a_Numbers, &a_Facts->unplaced);
    a_Facts->brightestPixel = FloodImage::brightestPixel(counts);
    a_Facts->brightestCount = a_Facts->brightestPixel > 0 ? counts[size_t(a_Facts->brightestPixel - 1)] : 0;

    QString floodCaption = a_Caption;
    if (a_Facts->unplaced > 0)
        floodCaption += QStringLiteral("; %1 photons without a camera pixel not shown").arg(Terminal::grouped(a_Facts->unplaced));
    a_Facts->floodPath = folder.filePath(QString::fromLatin1(floodName));
    if (!FloodImage::render(counts, floodCaption).save(a_Facts->floodPath, "PNG")) {
        *a_Error = QStringLiteral("cannot write %1").arg(a_Facts->floodPath);
        return false;
    }

    const EnergyHistogram histogram = EnergyHistogram::of(a_Tally.energies());
    a_Facts->peak = Photopeak::find(histogram.counts, histogram.first, histogram.binWidth);
    a_Facts->spectrumPath = folder.filePath(QString::fromLatin1(spectrumName));
    if (!SpectrumPlot::render(histogram, a_Facts->peak, a_Caption, a_Tally.negativeEnergies())
             .save(a_Facts->spectrumPath, "PNG")) {
        *a_Error = QStringLiteral("cannot write %1").arg(a_Facts->spectrumPath);
        return false;
    }
    return true;
}

} // namespace tool
