// Streaming: photons read in arrays by a thread of the program's own while
// the collection runs, without keeping them in the library's store.
// Arguments: camera address [host address].
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>
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

    // Before the collection, from this thread: a queue of the default size,
    // and no store, so memory stays flat however long the collection runs.
    ok = ok && QuorvelDll::EnablePhotonStream(0) && QuorvelDll::SetStorePhotons(false);

    // ReadPhotons is the one call any thread may make.
    std::atomic<long long> read {0};
    std::atomic<bool> ended {false};
    std::thread reader([&] {
        std::vector<PhotonRecord> records(65536);
        for (;;) {
            const long long n = QuorvelDll::ReadPhotons(records.data(), static_cast<long long>(records.size()), 500);
            if (n == PHOTON_STREAM_ENDED)
                ended = true;
            if (n < 0) // ended, closed or a bad argument
                break;
            read += n; // 0: nothing within 500 ms
        }
    });

    ok = ok && QuorvelDll::StartPhotonCollection();
    runEvents(1000);
    ok = QuorvelDll::StopPhotonCollection() && ok; // the stream ends behind the last photon
    if (!ok)
        QuorvelDll::DisablePhotonStream(); // a reader still waiting returns PHOTON_STREAM_CLOSED
    reader.join();

    const PhotonStreamCounters counters = QuorvelDll::GetPhotonStreamCounters();
    std::printf("%lld photons streamed from %llu packets, %llu dropped, %d packets stored\n", read.load(),
                static_cast<unsigned long long>(counters.packets),
                static_cast<unsigned long long>(counters.droppedPhotons), QuorvelDll::GetNoOfCollectedPackets());
    if (!ok)
        std::printf("error: %s\n", QuorvelDll::GetLastError().c_str());
    QuorvelDll::DisablePhotonStream();
    QuorvelDll::Disconnect();
    QuorvelDll::Close();
    return ok && ended && read > 0 && static_cast<unsigned long long>(read) == counters.photons
                   && counters.droppedPhotons == 0 && QuorvelDll::GetNoOfCollectedPackets() == 0
               ? 0
               : 1;
}
