#include "gammamodule/gammamodules.h"

std::atomic<GammaModules*> GammaModules::m_pInstance { nullptr };
std::mutex GammaModules::m_InstanceLock;

GammaModules::GammaModules()
    : m_ActiveType(GAMMA_MODULES_TYPE_DEVICE)
{
}

GammaModules::~GammaModules()
{
    Clear(GAMMA_MODULES_TYPE_DEVICE);
    Clear(GAMMA_MODULES_TYPE_LOADED);
}

GammaModules* GammaModules::GetInstance()
{
    GammaModules* instance = m_pInstance.load(std::memory_order_acquire);
    if (instance != nullptr)
        return instance;
    std::lock_guard<std::mutex> guard(m_InstanceLock);
    instance = m_pInstance.load(std::memory_order_relaxed);
    if (instance == nullptr) {
        instance = new GammaModules();
        m_pInstance.store(instance, std::memory_order_release);
    }
    return instance;
}

void GammaModules::DeleteInstance()
{
    std::lock_guard<std::mutex> guard(m_InstanceLock);
    delete m_pInstance.exchange(nullptr, std::memory_order_acq_rel);
}

std::unique_lock<std::mutex> GammaModules::AccessLock()
{
    return std::unique_lock<std::mutex>(m_Lock);
}

std::vector<GammaModule*>& GammaModules::GetGMs(GammaModulesType a_Type)
{
    return a_Type == GAMMA_MODULES_TYPE_DEVICE ? m_DeviceGMs : m_LoadedTypeGMs;
}

int GammaModules::GetNoOfGMs(GammaModulesType a_Type)
{
    return static_cast<int>(GetGMs(a_Type).size());
}

GammaModule* GammaModules::GetGM(GammaModulesType a_Type, int a_ID)
{
    const std::vector<GammaModule*>& gms = GetGMs(a_Type);
    if (gms.empty())
        return nullptr;
    for (GammaModule* gm : gms) {
        if (gm->GetID() == a_ID)
            return gm;
    }
    // The packet decoder relies on getting the last GM for an unknown ID.
    return gms.back();
}

GammaModule* GammaModules::GetGM(int a_ID)
{
    return GetGM(m_ActiveType, a_ID);
}

void GammaModules::AddGammaModule(GammaModulesType a_Type, GammaModule* a_GM)
{
    if (a_GM != nullptr)
        GetGMs(a_Type).push_back(a_GM);
}

void GammaModules::Clear(GammaModulesType a_Type)
{
    std::vector<GammaModule*>& gms = GetGMs(a_Type);
    for (GammaModule* gm : gms)
        delete gm;
    gms.clear();
}

void GammaModules::SetActiveGMs(GammaModulesType a_Type)
{
    m_ActiveType = a_Type;
}

GammaModulesType GammaModules::GetActiveType()
{
    return m_ActiveType;
}
