// Files: the configuration file, the photon exports, and the GMs loaded from
// a configuration file.
#include "quorveldll.h"

#include <QString>

#include "core/quorvel.h"

namespace {
// A null name counts as an empty one, which the suffix check refuses.
QString fileName(const char* a_FileName)
{
    return a_FileName ? QString::fromUtf8(a_FileName) : QString();
}
} // namespace

int QuorvelDll::GetNoOfLoadedGMs()
{
    return Quorvel::GetInstance()->GetNoOfLoadedGMs();
}

bool QuorvelDll::CopyLoadedGMToGM(int a_LoadedGMID, int a_GMID)
{
    return Quorvel::GetInstance()->CopyLoadedGMToGM(a_LoadedGMID, a_GMID);
}

bool QuorvelDll::SaveConfiguration(const char* a_FileName)
{
    return Quorvel::GetInstance()->SaveCurrentData(fileName(a_FileName));
}

bool QuorvelDll::LoadConfiguration(const char* a_FileName)
{
    return Quorvel::GetInstance()->LoadData(fileName(a_FileName));
}

bool QuorvelDll::SaveCollection(const char* a_FileName)
{
    return Quorvel::GetInstance()->SaveCollection(fileName(a_FileName));
}

bool QuorvelDll::SaveBinaryCollection(const char* a_FileName)
{
    return Quorvel::GetInstance()->SaveBinaryCollection(fileName(a_FileName));
}

void QuorvelDll::CancelPacketSave()
{
    Quorvel::GetInstance()->CancelPacketSave();
}
