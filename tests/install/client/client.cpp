// A client of the installed library: connects to the camera at the address
// given, starts it, collects photons for a moment and prints what arrived.
// Exit status 0 only if every step worked and photons were collected.
#include "quorveldll.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <functional>

namespace {

void printStatus(const char* a_Text) { std::printf("status: %s\n", a_Text); }

int fail(const char* a_Step)
{
    std::fprintf(stderr, "%s failed: %s\n", a_Step, QuorvelDll::GetLastError().c_str());
    QuorvelDll::Close();
    return 1;
}

// Runs Qt events for a_Ms, or until a_Done holds.
bool runEvents(int a_Ms, const std::function<bool()>& a_Done = {})
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < a_Ms) {
        if (a_Done && a_Done())
            return true;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return a_Done && a_Done();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: quorvel-client <camera address>\n");
        return 2;
    }
    std::printf("library %s\n", QuorvelDll::GetVersion().c_str());
    QuorvelDll::SetConnectStatusFunction(printStatus);
    QuorvelDll::SetHostIPAddress(argv[1]);
    QuorvelDll::SetCameraIPAddress(argv[1]);
    if (!QuorvelDll::Initialize())
        return fail("Initialize");
    unsigned char msb = 0;
    unsigned char lsb = 0;
    if (!QuorvelDll::RegRead(127, &msb, &lsb))
        return fail("RegRead");
    std::printf("register 127: %02x %02x\n", msb, lsb);

    if (!QuorvelDll::StartSys())
        return fail("StartSys");
    if (!runEvents(5000, [] { return QuorvelDll::GetNoOfGMs() > 0; }))
        return fail("Waiting for the gamma modules");
    if (!QuorvelDll::StartPhotonCollection())
        return fail("StartPhotonCollection");
    runEvents(300);
    if (!QuorvelDll::StopPhotonCollection())
        return fail("StopPhotonCollection");
    // The decoder thread stores the last batch after the stop has returned.
    runEvents(5000, [] { return QuorvelDll::GetNoOfCollectedPackets() > 0; });

    const int packets = QuorvelDll::GetNoOfCollectedPackets();
    long photons = 0;
    for (int packet = 1; packet <= packets; ++packet) {
        int count = 0;
        if (!QuorvelDll::GetPacketData(packet, PACKET_DATA_NO_OF_PHOTONS, &count))
            return fail("GetPacketData");
        photons += count;
    }
    std::printf("collected %d packets, %ld photons from %d GMs\n", packets, photons, QuorvelDll::GetNoOfGMs());
    QuorvelDll::Disconnect();
    QuorvelDll::Close();
    return packets > 0 && photons > 0 ? 0 : 1;
}
