// Reads a binary collection file: 11 bytes per photon, big-endian, no header:
// GM ID (1), header word (2), pixel (2), energy (2), positive energy (1),
// time detect (2), positive time detect (1).
#ifndef TOOLS_PHOTONFILE_H
#define TOOLS_PHOTONFILE_H

#include "files/photoncoding.h"
#include "tools/pictures/photontally.h"

#include <QString>

namespace tool {

class PhotonFile {
public:
    static constexpr int recordBytes = PhotonCoding::BINARY_RECORD_BYTES;

    // Adds every photon of the file to a_Tally. False with a one-line reason if the
    // file cannot be read, holds a record that is no photon (see photonRecordFault)
    // or holds none; a cut record at the end is left out with a warning.
    static bool read(const QString& a_Path, PhotonTally* a_Tally, QString* a_Error, int a_MinPixel = 0);
};

} // namespace tool

#endif
