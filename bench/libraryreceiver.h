// Receive through the library: the virtual camera sends at a given rate while
// the library collects (StartPhotonCollection .. StopPhotonCollection), then
// every stored packet is checked against the camera's ground truth. A run
// longer than the memory budget allows is split into back-to-back collections.
#ifndef BENCH_LIBRARYRECEIVER_H
#define BENCH_LIBRARYRECEIVER_H

#include "bench/proberesult.h"

class CameraRig;

class LibraryReceiver
{
public:
    LibraryReceiver(CameraRig* a_pRig, double a_StoreBudgetBytes);
    ProbeResult Probe(double a_MBps, double a_Seconds);

private:
    ProbeResult Collect(double a_MBps, double a_Seconds);

    CameraRig* m_pRig;
    double m_StoreBudgetBytes;
};

#endif
