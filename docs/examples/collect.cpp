// Collecting and reading photons: a one-second collection, then the store
// read value by value and in one bulk copy. Arguments: camera address [host address].
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <vector>
#include "quorveldll.h"

static bool poweredUp = false;
static int decodedTexts = 0;

static void onStatus(const char* a_Text)
{
    if (std::strncmp(a_Text, "Status:Idle", 11) == 0)
        poweredUp = true;
    if (std::strncmp(a_Text, "Packets decoded", 15) == 0)
        ++decodedTexts;
}

static void runEvents(int a_Ms)
{
    QEventLoop loop;
    QTimer::singleShot(a_Ms, &loop, &QEventLoop::quit);
    loop.exec();
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

    ok = ok && QuorvelDll::SetPixelMappingMode(PIXEL_MAPPING_MODE_GLOBAL) && QuorvelDll::StartPhotonCollection();
    runEvents(1000); // photons are decoded while events run
    const int texts = decodedTexts;
    ok = ok && QuorvelDll::StopPhotonCollection();
    for (int i = 0; ok && decodedTexts == texts && i < 50; ++i)
        runEvents(100); // the last batch is decoded after the stop

    // One value at a time: packet and photon numbers are 1-based.
    const int packets = QuorvelDll::GetNoOfCollectedPackets();
    int gm = 0, photonsInFirst = 0, pixel = 0, energy = 0;
    ok = ok && packets > 0 && QuorvelDll::GetPacketData(1, PACKET_DATA_GM_ID, &gm)
        && QuorvelDll::GetPacketData(1, PACKET_DATA_NO_OF_PHOTONS, &photonsInFirst) && photonsInFirst > 0
        && QuorvelDll::GetPhotonData(1, 1, PHOTON_DATA_PIXEL, &pixel)
        && QuorvelDll::GetPhotonData(1, 1, PHOTON_DATA_ENERGY, &energy);

    // The whole store in one copy: ask how much room it needs first.
    std::vector<PhotonRecord> photons;
    long long copied = -1;
    if (ok) {
        photons.resize(static_cast<size_t>(QuorvelDll::GetNoOfPhotonsInPackets(1, packets)));
        copied = QuorvelDll::ReadCollectedPhotons(1, packets, photons.data(), static_cast<long long>(photons.size()));
        ok = copied == static_cast<long long>(photons.size()) && photons[0].pixel == pixel
            && photons[0].energy == energy;
    }
    long long counts[485] = {};
    for (const PhotonRecord& photon : photons)
        ++counts[photon.pixel <= 484 ? photon.pixel : 0];
    int busiest = 1;
    for (int p = 1; p <= 484; ++p)
        busiest = counts[p] > counts[busiest] ? p : busiest;

    if (ok)
        std::printf("%d packets, %lld photons; first from GM %d, pixel %d, energy %d; busiest pixel %d\n", packets,
                    copied, gm, pixel, energy, busiest);
    else
        std::printf("error: %s\n", QuorvelDll::GetLastError().c_str());
    QuorvelDll::Disconnect();
    QuorvelDll::Close();
    return ok ? 0 : 1;
}
