// Builds the two ASIC register images from an ASIC's settings: the 16-byte
// global image (register 29) and the 215-byte channel image (register 30).
#ifndef QUORVEL_ASICREGISTERIMAGE_H
#define QUORVEL_ASICREGISTERIMAGE_H

#include <QByteArray>

class ASIC;
class ASICChannelData;

class ASICRegisterImage
{
public:
    static constexpr int GLOBAL_IMAGE_SIZE = 16;
    static constexpr int CHANNEL_IMAGE_SIZE = 215;

    static QByteArray Global(const ASIC& a_ASIC);
    static QByteArray Channels(const ASIC& a_ASIC);
    // The 7-bit code that selects what the ASIC routes to its analog output.
    static int MonitorSelect(const ASIC& a_ASIC);

    // Table indices of a group's timing values. 0 for a value of 0 and for a
    // value that matches no entry.
    static int PeakDetectTimeoutIndex(const ASICChannelData& a_Group, bool a_HighGain);
    static int TimeDetectRampLengthIndex(const ASICChannelData& a_Group, bool a_HighGain);
    static int PeakingTimeIndex(const ASICChannelData& a_Group, bool a_HighGain);
};

#endif // QUORVEL_ASICREGISTERIMAGE_H
