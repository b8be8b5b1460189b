// Receive through the photon stream: the virtual camera sends at a given rate
// while the library collects with its store off and a consumer thread reads
// every photon with ReadPhotons and writes it to a file. The photons read and
// the last packet number are checked against the camera's ground truth.
#ifndef BENCH_STREAMRECEIVER_H
#define BENCH_STREAMRECEIVER_H

#include "bench/proberesult.h"

#include <QString>

class CameraRig;

class StreamReceiver
{
public:
    StreamReceiver(CameraRig* a_pRig, const QString& a_FilePath);
    bool Enable(QString* a_pError);
    ProbeResult Probe(double a_MBps, double a_Seconds);
    double PeakResidentMiB() const { return m_PeakResidentMiB; }

private:
    CameraRig* m_pRig;
    QString m_FilePath;
    double m_PeakResidentMiB = 0;
};

#endif
