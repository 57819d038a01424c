#include "FileTime.h"

#include <gtest/gtest.h>

#include "FileTime_test.h"

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace platform {
namespace {

using platform::testing::TicksOf;

std::vector<int> Parts(const SystemTime& t) {
    return {t.wYear, t.wMonth,  t.wDayOfWeek, t.wDay,
            t.wHour, t.wMinute, t.wSecond,    t.wMilliseconds};
}

TEST(FileTime, ToSystemTimeGivesCalendarParts) {
    struct Row {
        std::uint64_t ticks;
        SystemTime expected;
    };
    const Row rows[] = {
        {0, {1601, 1, 1, 1, 0, 0, 0, 0}},
        {kUnixEpochTicks, {1970, 1, 4, 1, 0, 0, 0, 0}},
        {TicksOf(2026, 12, 5, 18, 3, 34) + 1'239'999, {2026, 12, 6, 5, 18, 3, 34, 123}},
        {TicksOf(2000, 2, 29, 23, 59, 59), {2000, 2, 2, 29, 23, 59, 59, 0}},
        {TicksOf(2100, 3, 1, 0, 0, 0), {2100, 3, 1, 1, 0, 0, 0, 0}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        SystemTime out;
        ASSERT_TRUE(FileTimeToSystemTime(FileTime::FromTicks(rows[i].ticks), out));
        EXPECT_EQ(Parts(out), Parts(rows[i].expected));
    }
    SystemTime untouched;
    EXPECT_FALSE(FileTimeToSystemTime(FileTime::FromTicks(~0ull), untouched));
}

class LocalZone : public ::testing::Test {
  private:
    platform::testing::ScopedTimeZone zone_;
};

TEST_F(LocalZone, LocalFileTimeUsesTheOffsetAtThatInstant) {
    struct Row {
        std::uint64_t utc;
        std::uint64_t local;
    };
    const Row rows[] = {
        {TicksOf(2026, 1, 15, 12, 0, 0), TicksOf(2026, 1, 15, 13, 0, 0)},   // winter: +1 h
        {TicksOf(2026, 7, 15, 12, 0, 0), TicksOf(2026, 7, 15, 14, 0, 0)},   // summer: +2 h
        {TicksOf(2026, 12, 31, 23, 30, 0), TicksOf(2027, 1, 1, 0, 30, 0)},  // over the new year
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        FileTime local;
        ASSERT_TRUE(FileTimeToLocalFileTime(FileTime::FromTicks(rows[i].utc + 5), local));
        EXPECT_EQ(local.Ticks(), rows[i].local + 5);
    }
}

TEST(FileTime, NowFollowsTheSystemClock) {
    const auto before = static_cast<std::uint64_t>(std::time(nullptr));
    const std::uint64_t now = FileTimeNow().Ticks();
    const auto after = static_cast<std::uint64_t>(std::time(nullptr));
    EXPECT_GE(now, kUnixEpochTicks + before * 10'000'000);
    EXPECT_LT(now, kUnixEpochTicks + (after + 1) * 10'000'000);
}

}  // namespace
}  // namespace platform
