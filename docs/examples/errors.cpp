// Error handling: a function that returns false leaves its reason in
// GetLastError; the reason stays until the next failure.
// Arguments: camera address [host address].
#include <QCoreApplication>
#include <cstdio>
#include <string>
#include "quorveldll.h"

// Prints the call's reason and returns whether the call failed as it should.
static bool refused(const char* a_What, bool a_Result)
{
    std::printf("%s: %s\n", a_What, a_Result ? "accepted" : QuorvelDll::GetLastError().c_str());
    return !a_Result;
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const char* camera = argc > 1 ? argv[1] : "192.168.0.20";
    const char* host = argc > 2 ? argv[2] : camera;

    bool ok = refused("rate 1500", QuorvelDll::SetPacketTransferRate(1500));
    ok = refused("active GM before power-up", QuorvelDll::SetActiveGM(1)) && ok;
    int value = 0;
    ok = refused("packet 1 of an empty store", QuorvelDll::GetPacketData(1, PACKET_DATA_GM_ID, &value)) && ok;
    ok = refused("CSV file name", QuorvelDll::SaveCollection("photons.txt")) && ok;

    // Success does not clear the text: read it only after a false.
    QuorvelDll::SetHostIPAddress(host);
    QuorvelDll::SetCameraIPAddress(camera);
    const bool connected = QuorvelDll::Initialize();
    std::printf("connected: %s (last error still \"%s\")\n", connected ? "yes" : "no",
                QuorvelDll::GetLastError().c_str());
    ok = refused("second Initialize", QuorvelDll::Initialize()) && connected && ok;

    QuorvelDll::Disconnect();
    QuorvelDll::Close();
    return ok ? 0 : 1;
}
