// Turns a binary collection file, with the configuration file that belongs to it
// if there is one, into a NeXus/HDF5 event file (see NexusWriter for the layout).
// The file is written under a temporary name beside the target and renamed at
// the end, so a failure leaves neither a partial file nor a damaged old one.
#ifndef TOOLS_PHOTONCONVERTER_H
#define TOOLS_PHOTONCONVERTER_H

#include <QString>

namespace tool {

struct ConvertRequest {
    QString photons;       // photons.dat
    QString configuration; // configuration.dat, or empty for none
    QString output;        // the .h5 file to write
    double seconds = -1.0; // collection time, when known
    QString startTime;     // ISO 8601, when known
};

struct ConvertResult {
    quint64 events = 0;
    quint64 packets = 0;
    quint64 unplaced = 0; // events whose pixel could not be placed on the camera
    bool timeDetect = false;
    QString pixelNumbers; // "global" or "local"
    QString packetsFrom;  // "configuration" or "records"
};

class PhotonConverter {
public:
    // False with a one-line reason; nothing is written then.
    static bool convert(const ConvertRequest& a_Request, ConvertResult* a_Result, QString* a_Error);
    // Whether a_Path has a suffix of an HDF5 file: h5, hdf5, nxs or nx5.
    static bool isHdf5Name(const QString& a_Path);
};

} // namespace tool

#endif
