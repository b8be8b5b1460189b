// Saving and loading: the photons as binary records and as CSV (in the
// background), the configuration file, and loading it back, which connects
// to the camera the file names. Arguments: camera address, host address,
// output folder.
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <string>
#include "quorveldll.h"

static bool poweredUp = false;
static int decodedTexts = 0;
static bool csvDone = false;
static std::string csvError;

static void onStatus(const char* a_Text)
{
    if (std::strncmp(a_Text, "Status:Idle", 11) == 0)
        poweredUp = true;
    if (std::strncmp(a_Text, "Packets decoded", 15) == 0)
        ++decodedTexts;
}
static void onSaveError(const char* a_Text) { csvError = a_Text; }
static void onSaveComplete() { csvDone = true; }

static void runEvents(int a_Ms)
{
    QEventLoop loop;
    QTimer::singleShot(a_Ms, &loop, &QEventLoop::quit);
    loop.exec();
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 4) {
        std::printf("usage: files <camera address> <host address> <output folder>\n");
        return 2;
    }
    const std::string folder = argv[3];

    QuorvelDll::SetSysStatusFunction(onStatus);
    QuorvelDll::SetOperationErrorFunction(onSaveError);
    QuorvelDll::SetOperationCompleteFunction(onSaveComplete);
    QuorvelDll::SetHostIPAddress(argv[2]);
    QuorvelDll::SetCameraIPAddress(argv[1]);
    bool ok = QuorvelDll::Initialize() && QuorvelDll::StartSys();
    for (int i = 0; ok && !poweredUp && i < 100; ++i)
        runEvents(100);
    ok = ok && QuorvelDll::SetPixelMappingMode(PIXEL_MAPPING_MODE_GLOBAL) && QuorvelDll::StartPhotonCollection();
    runEvents(500);
    const int texts = decodedTexts;
    ok = ok && QuorvelDll::StopPhotonCollection();
    for (int i = 0; ok && decodedTexts == texts && i < 50; ++i)
        runEvents(100);
    const int packets = QuorvelDll::GetNoOfCollectedPackets();

    // Binary records at once; CSV in the background, its end reported by the callback.
    ok = ok && QuorvelDll::SaveBinaryCollection((folder + "/photons.dat").c_str())
        && QuorvelDll::SaveCollection((folder + "/photons.csv").c_str());
    for (int i = 0; ok && !csvDone && i < 300; ++i)
        runEvents(100);
    ok = ok && csvDone && csvError.empty();

    // The configuration with the collected packets; needs the device GMs, so before Disconnect.
    ok = ok && QuorvelDll::SaveConfiguration((folder + "/configuration.dat").c_str());
    QuorvelDll::Disconnect();

    // Loading needs a disconnected library and the host address; it connects,
    // powers up, applies every setting and restores the packets.
    ok = ok && QuorvelDll::LoadConfiguration((folder + "/configuration.dat").c_str());
    const int loaded = QuorvelDll::GetNoOfCollectedPackets();

    if (ok)
        std::printf("%d packets saved, %d loaded back, pixel mapping %s\n", packets, loaded,
                    QuorvelDll::GetPixelMappingMode() == PIXEL_MAPPING_MODE_GLOBAL ? "global" : "local");
    else
        std::printf("error: %s%s\n", QuorvelDll::GetLastError().c_str(), csvError.c_str());
    QuorvelDll::Disconnect();
    QuorvelDll::Close();
    return ok && packets > 0 && loaded == packets ? 0 : 1;
}
