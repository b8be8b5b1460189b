// Process-wide container of the gamma modules the camera reported, behind one
// non-recursive lock. Hold AccessLock() around every lookup and every use of a
// GammaModule found; never call another locking operation while holding it.
#ifndef QUORVEL_GAMMAMODULES_H
#define QUORVEL_GAMMAMODULES_H

#include <atomic>
#include <mutex>
#include <vector>

#include "gammamodule/gammamodule.h"
#include "gammamodule/gmtypes.h"

class GammaModules
{
public:
    static GammaModules* GetInstance();
    static void DeleteInstance();

    [[nodiscard]] std::unique_lock<std::mutex> AccessLock();

    // The lock must be held for all of the following.
    std::vector<GammaModule*>& GetGMs(GammaModulesType a_Type);
    int GetNoOfGMs(GammaModulesType a_Type);
    // The GM with that ID; the last GM of the list if none has it; null if
    // the list is empty.
    GammaModule* GetGM(GammaModulesType a_Type, int a_ID);
    // The same in the active list.
    GammaModule* GetGM(int a_ID);
    // The list takes ownership of a_GM.
    void AddGammaModule(GammaModulesType a_Type, GammaModule* a_GM);
    void Clear(GammaModulesType a_Type);
    void SetActiveGMs(GammaModulesType a_Type);
    GammaModulesType GetActiveType();

private:
    GammaModules();
    ~GammaModules();
    GammaModules(const GammaModules&) = delete;
    GammaModules& operator=(const GammaModules&) = delete;

    std::vector<GammaModule*> m_DeviceGMs;
    std::vector<GammaModule*> m_LoadedTypeGMs;
    GammaModulesType m_ActiveType;
    std::mutex m_Lock;

    static std::atomic<GammaModules*> m_pInstance;
    static std::mutex m_InstanceLock;
};

#endif // QUORVEL_GAMMAMODULES_H
