// A minimal client: connect, power up, collect photons for a second, count them.
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include "quorveldll.h"

// Callbacks only take note: they must not call back into the library.
static int decodedBatches = 0;
static void onStatus(const char* text)
{
    std::printf("status: %s\n", text);
    if (std::strncmp(text, "Packets decoded", 15) == 0)
        ++decodedBatches;
}

// Lets Qt deliver the library's queued work (status texts, GMs, decoded packets).
static void runEvents(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv); // the library needs this, on the calling thread
    const char* camera = argc > 1 ? argv[1] : "192.168.0.20";
    const char* host = argc > 2 ? argv[2] : "192.168.0.10";

    QuorvelDll::SetSysStatusFunction(onStatus);
    QuorvelDll::SetHostIPAddress(host);
    QuorvelDll::SetCameraIPAddress(camera);
    bool ok = QuorvelDll::Initialize() && QuorvelDll::StartSys();
    for (int i = 0; ok && QuorvelDll::GetNoOfGMs() == 0 && i < 100; ++i)
        runEvents(100); // the camera announces its GMs as it powers up
    ok = ok && QuorvelDll::SetPixelMappingMode(PIXEL_MAPPING_MODE_GLOBAL) && QuorvelDll::StartPhotonCollection();
    runEvents(1000);
    const int batches = decodedBatches;
    ok = ok && QuorvelDll::StopPhotonCollection();
    for (int i = 0; ok && decodedBatches == batches && i < 50; ++i)
        runEvents(100); // the last batch is decoded after the stop

    long photons = 0;
    const int packets = QuorvelDll::GetNoOfCollectedPackets();
    for (int packet = 1; ok && packet <= packets; ++packet) {
        int count = 0;
        ok = QuorvelDll::GetPacketData(packet, PACKET_DATA_NO_OF_PHOTONS, &count);
        photons += count;
    }
    if (ok)
        std::printf("%d packets, %ld photons from %d GMs\n", packets, photons, QuorvelDll::GetNoOfGMs());
    else
        std::printf("error: %s\n", QuorvelDll::GetLastError().c_str());
    QuorvelDll::Disconnect();
    QuorvelDll::Close();
    return ok ? 0 : 1;
}
