// The configuration file loader on untrusted files, along the path of
// LoadData with the camera steps (connecting, register writes, the power-up
// wait) left out: the file is read whole into a parsed configuration, then
// applied to a system configuration, the device GMs (or loaded GMs when the
// counts differ) and the packet store.
//
// Whatever the file, reading must fail with a message or succeed; and what a
// successful load leaves behind, saved and loaded again, must save to the very
// same bytes (the writer's files are always readable and loading is exact).
//
// Input: one byte (bits 0-1 device GMs minus one, bit 2 GMs reported in
// descending ID order), then the file.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include <QBuffer>
#include <QByteArray>

#include "acquisition/collectedpackets.h"
#include "core/quorvelsysconfig.h"
#include "files/configurationapplier.h"
#include "files/configurationreader.h"
#include "files/configurationwriter.h"
#include "files/gmapplier.h"
#include "gammamodule/gammamodule.h"

namespace {

[[noreturn]] void Fail(const char* a_What, const QString& a_Detail = QString())
{
    std::fprintf(stderr, "configuration load: %s %s\n", a_What, qPrintable(a_Detail));
    std::abort();
}

// The state a load leaves behind: system configuration, device GMs and the
// GMs loaded from the file when the counts differ.
struct Loaded
{
    ParsedConfiguration m_Config;
    QuorvelSysConfig m_SysConfig;
    std::vector<std::unique_ptr<GammaModule>> m_Devices;
    std::vector<std::unique_ptr<GammaModule>> m_LoadedGMs;
    QString m_Error; // why the file was refused

    std::vector<GammaModule*> Devices() const
    {
        std::vector<GammaModule*> gms;
        for (const auto& gm : m_Devices)
            gms.push_back(gm.get());
        return gms;
    }
};

// Reads and applies as LoadData does; false if the file was refused.
bool Load(const QByteArray& a_File, int a_NoOfDevices, bool a_Descending, Loaded* a_pLoaded)
{
    QBuffer buffer;
    buffer.setData(a_File);
    if (!buffer.open(QIODevice::ReadOnly))
        Fail("cannot open the buffer");
    ConfigurationReader reader;
    if (!reader.Read(&buffer, &a_pLoaded->m_Config)) {
        a_pLoaded->m_Error = reader.GetLastError();
        if (a_pLoaded->m_Error.isEmpty())
            Fail("refused without a message");
        return false;
    }
    const ParsedConfiguration& config = a_pLoaded->m_Config;
    ConfigurationApplier::ApplySysConfig(config.m_SysConfig, &a_pLoaded->m_SysConfig);

    for (int index = 0; index < a_NoOfDevices; ++index) {
        const int id = a_Descending ? a_NoOfDevices - index : index + 1;
        a_pLoaded->m_Devices.emplace_back(new GammaModule(id));
    }
    const std::vector<ParsedGM>& records = config.m_GMs;
    std::vector<GammaModule*> targets;
    if (records.size() == a_pLoaded->m_Devices.size()) {
        targets = GMApplier::PairRecords(records, a_pLoaded->Devices());
    } else {
        for (size_t id = 1; id <= records.size(); ++id) {
            a_pLoaded->m_LoadedGMs.emplace_back(new GammaModule(static_cast<int>(id)));
            targets.push_back(a_pLoaded->m_LoadedGMs.back().get());
        }
    }
    if (targets.size() != records.size())
        Fail("GM records and GMs not paired one to one");
    for (size_t index = 0; index < targets.size(); ++index)
        GMApplier::ApplyGM(records[index], targets[index]);

    CollectedPackets* store = CollectedPackets::GetInstance();
    auto lock = store->AccessLock();
    store->Clear();
    if (!ConfigurationApplier::ApplyPackets(config.m_Packets, store))
        Fail("out of memory for a small file's packets");
    const qint64 expectedPackets = config.m_Packets.m_Present ? qint64(config.m_Packets.m_Packets.size()) : 0;
    if (store->GetSize() != expectedPackets)
        Fail("packet store does not hold the file's packets");
    return true;
}

QByteArray Save(const Loaded& a_Loaded)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ConfigurationWriter writer(&buffer);
    writer.SaveHeader(a_Loaded.m_Config.m_CameraIPAddress, a_Loaded.m_Config.m_GMUpdateType);
    writer.SaveSysConfig(a_Loaded.m_SysConfig);
    writer.SaveGammaModules(a_Loaded.Devices());
    {
        CollectedPackets* store = CollectedPackets::GetInstance();
        auto lock = store->AccessLock();
        writer.SavePackets(*store);
    }
    if (!writer.Ok())
        Fail("writing to memory failed");
    return buffer.data();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* a_pData, size_t a_Size)
{
    if (a_Size < 1)
        return 0;
    const int noOfDevices = (a_pData[0] & 3) + 1;
    const bool descending = a_pData[0] & 4;
    // Read in place: the reader sees exactly the file's bytes.
    const QByteArray file = QByteArray::fromRawData(reinterpret_cast<const char*>(a_pData + 1),
                                                    static_cast<int>(a_Size - 1));
    Loaded first;
    if (!Load(file, noOfDevices, descending, &first))
        return 0;
    const QByteArray saved = Save(first);

    Loaded second;
    if (!Load(saved, noOfDevices, descending, &second))
        Fail("a saved configuration does not load:", second.m_Error);
    if (Save(second) != saved)
        Fail("a saved configuration loads to different settings");
    CollectedPackets* store = CollectedPackets::GetInstance();
    auto lock = store->AccessLock();
    store->Clear();
    return 0;
}
