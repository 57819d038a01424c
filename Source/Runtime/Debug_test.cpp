#include "Debug.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

struct RecordingSink : rt::debug::Sink {
    std::vector<std::string> lines;
    void Write(std::string_view area, std::string_view message) override {
        lines.push_back(std::string(area) + ": " + std::string(message));
    }
};

TEST(DebugChannel, WritesOnlyTheAreasSwitchedOn) {
    auto sink = std::make_shared<RecordingSink>();
    rt::ScopedRole<rt::debug::Sink> installed(sink);
    rt::debug::ScopedAreas areas(" ini , http");
    PERLOWAN_DEBUG("ini", "save failed");
    PERLOWAN_DEBUG("registry", "not shown");
    PERLOWAN_DEBUG("http", "time-out");
    EXPECT_EQ(sink->lines, (std::vector<std::string>{"ini: save failed", "http: time-out"}));
}

TEST(DebugChannel, OffBuildsNoMessage) {
    auto sink = std::make_shared<RecordingSink>();
    rt::ScopedRole<rt::debug::Sink> installed(sink);
    rt::debug::ScopedAreas areas("");
    int built = 0;
    auto message = [&] {
        ++built;
        return std::string("x");
    };
    PERLOWAN_DEBUG("ini", message());
    EXPECT_EQ(built, 0);
    EXPECT_TRUE(sink->lines.empty());
}

TEST(DebugChannel, AllSwitchesOnEveryAreaAndScopeRestores) {
    auto sink = std::make_shared<RecordingSink>();
    rt::ScopedRole<rt::debug::Sink> installed(sink);
    rt::debug::ScopedAreas outer("ini");
    {
        rt::debug::ScopedAreas inner("all");
        EXPECT_TRUE(rt::debug::Enabled("anything"));
    }
    EXPECT_TRUE(rt::debug::Enabled("ini"));
    EXPECT_FALSE(rt::debug::Enabled("anything"));
}

}  // namespace
