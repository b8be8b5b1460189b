// Settings of the virtual camera: network, GMs, photon source and spectrum, stream shape.
#ifndef CAMSIM_CAMERACONFIG_H
#define CAMSIM_CAMERACONFIG_H

#include <QString>
#include <QVector>

namespace camsim {

enum class Channel { Control, Simulator, Status };

enum class SourceKind {
    Flood,  // uniform over the whole camera
    Points, // Gaussian spots
    Bars    // four-quadrant bar phantom in front of a flood
};

// Positions are in camera pixel units: column and row from 0 to 22, (0, 0) the
// top-left corner of camera pixel 1; pixel centres sit at .5.
struct PointSource {
    double column = 11.0;
    double row = 11.0;
    double sigma = 0.7;  // pixels
    double weight = 1.0; // relative intensity
};

struct SourceConfig {
    SourceKind kind = SourceKind::Flood;
    QVector<PointSource> points {{5.5, 5.5, 0.7, 1.0}, {16.5, 16.5, 0.7, 1.0}};
    // Bar phantom: bar width (and gap) per quadrant, in pixels; bars run
    // vertically in the quadrants of GM 1 and 3, horizontally in the others.
    QVector<double> barWidths {1.0, 2.0, 3.0, 4.0};
    double background = 0.02; // share of counts spread evenly under points or bars

    // Energy spectrum in ADC units (12 bits).
    double peakAdc = 2000.0;
    double fwhmAdc = 120.0;
    double peakShare = 0.6;     // photopeak
    double comptonShare = 0.3;  // continuum up to the Compton edge; the rest is noise
    double comptonEdgeAdc = 0.0; // 0: the edge of a 140 keV line, 0.356 x peak
    double noiseSigmaAdc = 40.0; // electronic noise around zero
    int timeDetectMax = 3000;    // time-detect values run from about 100 to this
};

struct CameraConfig {
    QString address = QStringLiteral("127.0.0.1"); // listen address for TCP 20483, 20484, 20485
    QVector<int> gmIds {1, 2, 3, 4};               // GM IDs in the order they power up
    quint32 seed = 1;                               // physics and fault randomness are deterministic per seed
    SourceConfig source;

    int photonsPerPacket = 0;   // 0: fill each packet to about 660 bytes (216 or 130 records)
    int packetsPerDatagram = 1; // whole packets per datagram
    int rateOverride = 0;       // packets/s; 0: the GBE image's rate; -1: flat out
    quint16 controlPort = 20483; // simulator and status follow at +1 and +2

    quint16 firmwareVersion = 0x0015; // system register 127
    quint8 gmFirmwareVersion = 0x05;  // GM register 127
    quint8 gmStatus = 0x10;           // GM register 19
    bool recordSentPackets = true;    // keep the per-packet ground-truth list
    bool idleAfterEachGm = false;     // power-up: idle record after every GM instead of once after all
};

// Read-reply faults, for tests of the host's reply handling.
enum class ReplyFault {
    None,
    WrongEcho, // first byte is not the register number
    Short,     // the last byte of the reply is missing
    EchoOnly,  // only the echo byte
    NoReply,   // the read is not answered
    Split,     // first byte at once, the rest after the delay, in a second segment
    Delay      // the whole reply after the delay
};

// Shares (0.0 to 1.0) of datagrams hit by each fault; drawn per datagram.
struct DatagramFaults {
    double drop = 0.0;
    double duplicate = 0.0; // sent twice in a row
    double reorder = 0.0;   // held back and sent after the next datagram
    double corrupt = 0.0;   // one byte of one packet altered so its checksum fails
    double truncate = 0.0;  // cut inside a packet
};

// What became of a packet on the wire.
enum class PacketFate { Delivered, Dropped, Duplicated, Reordered, Corrupted, Truncated };

struct SentPacket {
    int gmId = 0;
    quint16 headerWord = 0;
    int photons = 0;
    PacketFate fate = PacketFate::Delivered;
};

} // namespace camsim

#endif
