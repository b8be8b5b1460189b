#include "quorveldll.h"
#include <gtest/gtest.h>

TEST(Facade, VersionIsFixed)
{
    EXPECT_EQ(QuorvelDll::GetVersion(), "42.1.21.49");
}
