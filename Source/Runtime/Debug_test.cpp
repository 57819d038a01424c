#include "Debug.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DebugRecorder.h"

namespace {

TEST(DebugChannel, WritesOnlyTheAreasSwitchedOn) {
    testsupport::DebugRecorder debug(" ini , http");
    PERLOWAN_DEBUG("ini", "save failed");
    PERLOWAN_DEBUG("registry", "not shown");
    PERLOWAN_DEBUG("http", "time-out");
    EXPECT_EQ(debug.Lines(), (std::vector<std::string>{"ini: save failed", "http: time-out"}));
}

TEST(DebugChannel, OffBuildsNoMessage) {
    testsupport::DebugRecorder debug("");
    int built = 0;
    auto message = [&] {
        ++built;
        return std::string("x");
    };
    PERLOWAN_DEBUG("ini", message());
    EXPECT_EQ(built, 0);
    EXPECT_TRUE(debug.Lines().empty());
}

TEST(DebugChannel, AllSwitchesOnEveryAreaAndScopeRestores) {
    rt::debug::ScopedAreas outer("ini");
    {
        rt::debug::ScopedAreas inner("all");
        EXPECT_TRUE(rt::debug::Enabled("anything"));
    }
    EXPECT_TRUE(rt::debug::Enabled("ini"));
    EXPECT_FALSE(rt::debug::Enabled("anything"));
}

}  // namespace
