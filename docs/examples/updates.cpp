// Deferred and immediate updates: in the deferred mode a setter changes the
// library's copy and a send function writes it; in the immediate mode the
// setter writes at once. GM register 23 holds the delay time / 20.
// Arguments: camera address [host address].
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include "quorveldll.h"

static bool poweredUp = false;

static void onStatus(const char* a_Text)
{
    if (std::strncmp(a_Text, "Status:Idle", 11) == 0)
        poweredUp = true;
}

static void runEvents(int a_Ms)
{
    QEventLoop loop;
    QTimer::singleShot(a_Ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The delay time register of the active GM, as the camera holds it.
static int delayRegister()
{
    unsigned char value = 0;
    return QuorvelDll::GMRegRead(23, &value) ? value : -1;
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const char* camera = argc > 1 ? argv[1] : "192.168.0.20";
    const char* host = argc > 2 ? argv[2] : camera;

    QuorvelDll::SetSysStatusFunction(onStatus);
    QuorvelDll::SetHostIPAddress(host);
    QuorvelDll::SetCameraIPAddress(camera);
    bool ok = QuorvelDll::Initialize() && QuorvelDll::StartSys();
    for (int i = 0; ok && !poweredUp && i < 100; ++i)
        runEvents(100);
    ok = ok && QuorvelDll::SetActiveGM(1);

    // Deferred (the default): the camera keeps its value until SendGMData.
    ok = ok && QuorvelDll::SetCameraUpdateMode(CAMERA_UPDATE_MODE_DEFERRED) && QuorvelDll::SetDelayTime(100);
    const int beforeSend = delayRegister();
    ok = ok && QuorvelDll::SendGMData(); // registers 18 to 24 of the active GM
    const int afterSend = delayRegister();

    // Immediate: the setter writes register 23 itself.
    ok = ok && QuorvelDll::SetCameraUpdateMode(CAMERA_UPDATE_MODE_IMMEDIATE) && QuorvelDll::SetDelayTime(200);
    const int immediate = delayRegister();

    // The same for every GM at once: the GM update type.
    ok = ok && QuorvelDll::SetGMUpdateType(GM_UPDATE_TYPE_ALL_GMS) && QuorvelDll::SetGMReadoutMode(GM_READOUT_MODE_SPARSIFIED);

    std::printf("deferred: register 23 was %d before SendGMData, %d after; immediate: %d\n", beforeSend, afterSend,
                immediate);
    if (!ok)
        std::printf("error: %s\n", QuorvelDll::GetLastError().c_str());
    QuorvelDll::Disconnect();
    QuorvelDll::Close();
    return ok && beforeSend != 5 && afterSend == 5 && immediate == 10 ? 0 : 1;
}
