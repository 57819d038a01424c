#include "RuntimeVersion.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(RuntimeVersion, ALibraryRunsOnTheSameMajorVersionWithAtLeastItsMinorVersion) {
    struct Row {
        int line;
        std::uint16_t loadedMajor, loadedMinor, compiledMajor, compiledMinor;
        bool runs;
    };
    const Row rows[] = {
        {1, 1, 0, 1, 0, true},  {2, 1, 3, 1, 2, true},  {3, 1, 2, 1, 3, false},
        {4, 2, 0, 1, 0, false}, {5, 1, 0, 2, 0, false}, {6, 1, 65535, 1, 0, true},
        {7, 0, 9, 1, 0, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("row " + std::to_string(row.line));
        EXPECT_EQ(rt::RuntimeCanRun(rt::MakeRuntimeVersion(row.loadedMajor, row.loadedMinor),
                                    rt::MakeRuntimeVersion(row.compiledMajor, row.compiledMinor)),
                  row.runs);
    }
}

TEST(RuntimeVersion, TheLoadedRuntimeReportsItsVersionAsMajorDotMinor) {
    EXPECT_EQ(rt::RuntimeVersion(), rt::kRuntimeVersion);
    EXPECT_TRUE(rt::RuntimeCanRun(rt::RuntimeVersion(), rt::kRuntimeVersion));
    EXPECT_EQ(rt::RuntimeVersionText(rt::MakeRuntimeVersion(12, 345)), "12.345");
}

}  // namespace
