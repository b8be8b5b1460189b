// Connecting: addresses, Initialize, power-up, the GMs the camera announces,
// then disconnecting. Arguments: camera address [host address].
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include "quorveldll.h"

static bool poweredUp = false;

// Runs on this thread while Qt events run; it only takes note.
static void onStatus(const char* a_Text)
{
    if (std::strncmp(a_Text, "Status:Idle", 11) == 0)
        poweredUp = true;
}

// Lets Qt deliver the library's queued work for a_Ms milliseconds.
static void runEvents(int a_Ms)
{
    QEventLoop loop;
    QTimer::singleShot(a_Ms, &loop, &QEventLoop::quit);
    loop.exec();
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv); // the library needs it, on the calling thread
    const char* camera = argc > 1 ? argv[1] : "192.168.0.20";
    const char* host = argc > 2 ? argv[2] : camera;

    QuorvelDll::SetSysStatusFunction(onStatus);
    QuorvelDll::SetHostIPAddress(host);
    QuorvelDll::SetCameraIPAddress(camera);
    if (!QuorvelDll::Initialize() || !QuorvelDll::StartSys()) {
        std::printf("error: %s\n", QuorvelDll::GetLastError().c_str());
        QuorvelDll::Close();
        return 1;
    }
    // The GMs announce themselves as the camera powers up.
    for (int i = 0; !poweredUp && i < 100; ++i)
        runEvents(100);

    int version = 0;
    QuorvelDll::GetGBEFirmwareVersion(&version);
    std::printf("library %s, camera %s, firmware %d, %d GMs\n", QuorvelDll::GetVersion().c_str(),
                QuorvelDll::GetCameraIPAddress().c_str(), version, QuorvelDll::GetNoOfGMs());
    for (int id = 1; id <= 4; ++id) {
        int status = 0;
        if (QuorvelDll::SetActiveGM(id) && QuorvelDll::GetGMStatus(&status))
            std::printf("GM %d status %d\n", id, status);
    }
    QuorvelDll::Disconnect();
    QuorvelDll::Close();
    return QuorvelDll::GetNoOfGMs() == 0 ? 0 : 1; // Disconnect forgets the GMs
}
