// The GammaModules container. The bytes of GM register requests are checked on
// the wire, against the virtual camera (tests/core).
#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "gammamodule/gammamodules.h"

namespace {

// Each test starts and ends with no instance.
class GammaModulesTest : public ::testing::Test
{
protected:
    void SetUp() override { GammaModules::DeleteInstance(); }
    void TearDown() override { GammaModules::DeleteInstance(); }
};

} // namespace

TEST_F(GammaModulesTest, InstanceIsCreatedOnceAndStartsEmptyOnTheDeviceList)
{
    GammaModules* gms = GammaModules::GetInstance();
    ASSERT_NE(gms, nullptr);
    EXPECT_EQ(GammaModules::GetInstance(), gms);
    auto lock = gms->AccessLock();
    EXPECT_EQ(gms->GetActiveType(), GAMMA_MODULES_TYPE_DEVICE);
    EXPECT_EQ(gms->GetNoOfGMs(GAMMA_MODULES_TYPE_DEVICE), 0);
    EXPECT_EQ(gms->GetNoOfGMs(GAMMA_MODULES_TYPE_LOADED), 0);
}

TEST_F(GammaModulesTest, GetGMFindsByIDAndFallsBackToTheLastGM)
{
    GammaModules* gms = GammaModules::GetInstance();
    auto lock = gms->AccessLock();
    EXPECT_EQ(gms->GetGM(GAMMA_MODULES_TYPE_DEVICE, 1), nullptr);
    EXPECT_EQ(gms->GetGM(1), nullptr);

    GammaModule* first = new GammaModule(1);
    GammaModule* second = new GammaModule(2);
    gms->AddGammaModule(GAMMA_MODULES_TYPE_DEVICE, first);
    gms->AddGammaModule(GAMMA_MODULES_TYPE_DEVICE, second);
    EXPECT_EQ(gms->GetGM(GAMMA_MODULES_TYPE_DEVICE, 1), first);
    EXPECT_EQ(gms->GetGM(GAMMA_MODULES_TYPE_DEVICE, 2), second);
    EXPECT_EQ(gms->GetGM(GAMMA_MODULES_TYPE_DEVICE, 5), second);
    EXPECT_EQ(gms->GetGM(1), first);
    EXPECT_EQ(gms->GetGM(GAMMA_MODULES_TYPE_LOADED, 1), nullptr);
    EXPECT_EQ(gms->GetNoOfGMs(GAMMA_MODULES_TYPE_DEVICE), 2);

    // Any type other than the device list selects the second list.
    gms->AddGammaModule(GAMMA_MODULES_TYPE_LOADED, new GammaModule(7));
    EXPECT_EQ(gms->GetNoOfGMs(static_cast<GammaModulesType>(0)), 1);
    gms->SetActiveGMs(GAMMA_MODULES_TYPE_LOADED);
    EXPECT_EQ(gms->GetGM(1)->GetID(), 7);

    gms->Clear(GAMMA_MODULES_TYPE_DEVICE);
    EXPECT_EQ(gms->GetNoOfGMs(GAMMA_MODULES_TYPE_DEVICE), 0);
    EXPECT_EQ(gms->GetNoOfGMs(GAMMA_MODULES_TYPE_LOADED), 1);
}

TEST_F(GammaModulesTest, LockGuardsLookupsAgainstAnotherThreadChangingTheList)
{
    // The shape of the real use: one thread adds and clears GMs while another
    // looks them up and reads their options, both under the lock.
    GammaModules* gms = GammaModules::GetInstance();
    std::atomic<bool> stop { false };
    std::thread reader([&] {
        while (!stop.load()) {
            auto lock = gms->AccessLock();
            if (GammaModule* gm = gms->GetGM(gms->GetActiveType(), 2)) {
                EXPECT_EQ(gm->GetReadoutOption(), gm->GetID());
            }
        }
    });
    for (int round = 0; round < 200; ++round) {
        auto lock = gms->AccessLock();
        if (round % 10 == 0)
            gms->Clear(GAMMA_MODULES_TYPE_DEVICE);
        GammaModule* gm = new GammaModule(round % 4 + 1);
        gm->SetReadoutOptions(gm->GetID());
        gms->AddGammaModule(GAMMA_MODULES_TYPE_DEVICE, gm);
    }
    stop = true;
    reader.join();
}
