#include "DateTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "Clock.h"
#include "RuntimeError_test.h"

namespace {

using rt::Date;
using rt::DateSerial;

using rt::ScopedRegion;
using rt::testing::ErrorOf;

struct Ymd {
    int year, month, day;
    bool operator==(const Ymd&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Ymd& d) {
    return out << d.year << "-" << d.month << "-" << d.day;
}

Ymd PartsOf(Date d) {
    return {rt::Year(d), rt::Month(d), rt::Day(d)};
}

TEST(DateTime, SerialNumbersFollowTheAutomationEpoch) {
    EXPECT_EQ(DateSerial(1899, 12, 30).serial, 0);
    EXPECT_EQ(DateSerial(1900, 1, 1).serial, 2);
    EXPECT_EQ(DateSerial(2000, 1, 1).serial, 36526);
    EXPECT_EQ(DateSerial(1899, 12, 29).serial, -1);
}

TEST(DateTime, DateSerialRollsOverAndWindowsTwoDigitYears) {
    struct Row {
        int year, month, day;
        Ymd expected;
    };
    const Row rows[] = {
        /* 0 */ {2026, 13, 1, {2027, 1, 1}},
        /* 1 */ {2026, 0, 1, {2025, 12, 1}},
        /* 2 */ {2026, -11, 1, {2025, 1, 1}},
        /* 3 */ {2026, 2, 30, {2026, 3, 2}},
        /* 4 */ {2026, 3, 0, {2026, 2, 28}},
        /* 5 */ {29, 1, 1, {2029, 1, 1}},
        /* 6 */ {30, 1, 1, {1930, 1, 1}},
        /* 7 */ {0, 6, 15, {2000, 6, 15}},
        /* 8 */ {9999, 12, 31, {9999, 12, 31}},
        /* 9 */ {100, 1, 1, {100, 1, 1}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(PartsOf(DateSerial(rows[i].year, rows[i].month, rows[i].day)), rows[i].expected);
    }
}

TEST(DateTime, DatesOutsideTheCalendarRaise5) {
    for (const auto& [y, m, d] : {Ymd{10000, 1, 1}, Ymd{9999, 12, 32}, Ymd{-1, 1, 1}}) {
        SCOPED_TRACE(y);
        EXPECT_EQ(ErrorOf([&] { DateSerial(y, m, d); }), 5);
    }
}

TEST(DateTime, TimeOfDayParts) {
    const Date d{DateSerial(2026, 12, 5).serial + rt::TimeSerial(14, 30, 59).serial};
    EXPECT_EQ(rt::Hour(d), 14);
    EXPECT_EQ(rt::Minute(d), 30);
    EXPECT_EQ(rt::Second(d), 59);
    EXPECT_EQ(rt::Day(d), 5);
    // Before the epoch the fraction still counts forward from the day: -1.25 is 29.12.1899 6:00.
    const Date before{-1.25};
    EXPECT_EQ(rt::Day(before), 29);
    EXPECT_EQ(rt::Hour(before), 6);
}

TEST(DateTime, AddMonthsClampsToTheLastDayOfTheTargetMonth) {
    struct Row {
        Ymd from;
        int months;
        Ymd expected;
    };
    const Row rows[] = {
        /* 0 */ {{2026, 5, 31}, -3, {2026, 2, 28}},
        /* 1 */ {{2024, 5, 31}, -3, {2024, 2, 29}},  // leap year
        /* 2 */ {{2000, 5, 31}, -3, {2000, 2, 29}},  // divisible by 400: leap
        /* 3 */ {{1900, 5, 31}, -3, {1900, 2, 28}},  // divisible by 100 only: not leap
        /* 4 */ {{2026, 1, 31}, 1, {2026, 2, 28}},
        /* 5 */ {{2026, 3, 31}, 1, {2026, 4, 30}},
        /* 6 */ {{2026, 12, 15}, 1, {2027, 1, 15}},
        /* 7 */ {{2026, 1, 15}, -1, {2025, 12, 15}},
        /* 8 */ {{2026, 1, 15}, -25, {2023, 12, 15}},
        /* 9 */ {{2024, 2, 29}, 12, {2025, 2, 28}},
        /* 10 */ {{2026, 8, 31}, 0, {2026, 8, 31}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        const auto& r = rows[i];
        EXPECT_EQ(
            PartsOf(rt::AddMonths(DateSerial(r.from.year, r.from.month, r.from.day), r.months)),
            r.expected);
    }
}

TEST(DateTime, AddMonthsAndAddDaysKeepTheTimeOfDay) {
    const Date d{DateSerial(2026, 5, 31).serial + rt::TimeSerial(8, 15, 0).serial};
    const Date earlier = rt::AddMonths(d, -3);
    EXPECT_EQ(rt::Hour(earlier), 8);
    EXPECT_EQ(rt::Minute(earlier), 15);
    const Date later = rt::AddDays(d, 1);
    EXPECT_EQ(rt::Month(later), 6);
    EXPECT_EQ(rt::Day(later), 1);
    EXPECT_EQ(rt::Hour(later), 8);
    EXPECT_THROW(rt::AddMonths(DateSerial(9999, 12, 1), 1), rt::RuntimeError);
}

TEST(DateTime, FormatDatePatterns) {
    const Date d{DateSerial(2026, 3, 5).serial + rt::TimeSerial(7, 4, 9).serial};
    struct Row {
        const char* pattern;
        const char* expected;
    };
    const Row rows[] = {
        /* 0 */ {"ddMMyyyy", "05032026"},
        /* 1 */ {"d.M.yy", "5.3.26"},
        /* 2 */ {"yyyy-MM-dd", "2026-03-05"},
        /* 3 */ {"HH:mm:ss", "07:04:09"},
        /* 4 */ {"H:mm", "7:04"},
        /* 5 */ {"[dd]", "[05]"},
        /* 6 */ {"", ""},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rt::FormatDate(d, rows[i].pattern), rows[i].expected);
    }
    EXPECT_EQ(rt::FormatDate(DateSerial(2026, 12, 31), "ddMMyyyy"), "31122026");
}

TEST(DateTime, DateValuesAsTextShowTheTimeWhenThereIsOne) {
    ScopedRegion region("de_DE.UTF-8");
    const Date day = DateSerial(2026, 3, 5);
    const Date time = rt::TimeSerial(14, 30, 5);
    struct Row {
        Date value;
        const char* expected;
    };
    const Row rows[] = {
        /* 0 */ {day, "05.03.2026"},
        /* 1 */ {Date{day.serial + time.serial}, "05.03.2026 14:30:05"},
        /* 2 */ {time, "14:30:05"},
        /* 3 */ {Date{0}, "30.12.1899"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rt::DateTimeText(rows[i].value), rows[i].expected);
        EXPECT_EQ(rt::Variant(rows[i].value).ToString(), rows[i].expected);
    }
}

struct ParseRow {
    const char* text;
    bool accepted;
    Ymd expected;
};

void CheckParse(const ParseRow* rows, std::size_t count) {
    // Forms without a year take the current one.
    rt::ScopedRole<rt::Clock> clock{
        std::make_shared<rt::ManualClock>(rt::LocalDateTime{2016, 7, 14, 9, 0, 0})};
    for (std::size_t i = 0; i < count; ++i) {
        SCOPED_TRACE(testing::Message() << i << ": '" << rows[i].text << "'");
        Date got{-12345};  // sentinel: a rejected text leaves it alone
        const bool accepted = rt::TryParseDate(rows[i].text, got);
        ASSERT_EQ(accepted, rows[i].accepted);
        EXPECT_EQ(rt::IsDateText(rows[i].text), rows[i].accepted);
        if (!accepted) {
            EXPECT_EQ(got.serial, -12345);
            EXPECT_EQ(ErrorOf([&] { rt::DateFromText(rows[i].text); }), 13);
            continue;
        }
        const Ymd e = rows[i].expected;
        EXPECT_EQ(std::floor(got.serial), DateSerial(e.year, e.month, e.day).serial);
        EXPECT_EQ(rt::DateFromText(rows[i].text), got);
    }
}

TEST(DateTime, ParsingUnderGermanSettings) {
    ScopedRegion region("de_DE.UTF-8");
    const ParseRow rows[] = {
        /* 0 */ {"05.12.2026", true, {2026, 12, 5}},
        /* 1 */ {"5.3.2026", true, {2026, 3, 5}},
        /* 2 */ {"05/12/2026", true, {2026, 12, 5}},
        /* 3 */ {"05-12-2026", true, {2026, 12, 5}},
        /* 4 */ {"05.12.29", true, {2029, 12, 5}},
        /* 5 */ {"05.12.30", true, {1930, 12, 5}},
        /* 6 */ {"01.01.00", true, {2000, 1, 1}},
        /* 7 */ {"31.12.99", true, {1999, 12, 31}},
        /* 8 */ {"2026-12-05", true, {2026, 12, 5}},
        /* 9 */ {"29.02.2024", true, {2024, 2, 29}},
        /* 10 */ {" 05.12.2026 ", true, {2026, 12, 5}},
        /* 11 */ {"", false, {}},
        /* 12 */ {"   ", false, {}},
        /* 13 */ {"31.02.2026", false, {}},
        /* 14 */ {"29.02.2026", false, {}},
        /* 15 */ {"29.02.1900", false, {}},
        /* 16 */ {"05.12.2026x", false, {}},
        /* 17 */ {"05.12.2026 10:00", true, {2026, 12, 5}},  // the time is told apart below
        /* 18 */ {"12/31/2026", false, {}},                  // month 31 in the region's order
        /* 19 */ {"05.12", true, {2016, 12, 5}},             // this year
        /* 20 */ {"05.12.", true, {2016, 12, 5}},
        /* 21 */ {"05.12/2026", false, {}},  // mixed separators
        /* 22 */ {"00.12.2026", false, {}},
        /* 23 */ {"05.13.2026", false, {}},
        /* 24 */ {"05.12.202", false, {}},
        /* 25 */ {"05.12.20266", false, {}},
        /* 26 */ {"005.12.2026", false, {}},
        /* 27 */ {"heute", false, {}},
        /* 28 */ {"-5.12.2026", false, {}},
        /* 29 */ {"05..2026", false, {}},
        /* 30 */ {"05.12.0099", false, {}},
        /* 31 */ {"5. März 2016", true, {2016, 3, 5}},
        /* 32 */ {"5. MÄRZ 2016", true, {2016, 3, 5}},
        /* 33 */ {"5 Mrz 16", true, {2016, 3, 5}},
        /* 34 */ {"05-Mär-2016", true, {2016, 3, 5}},
        /* 35 */ {"Samstag, 5. März 2016", true, {2016, 3, 5}},
        /* 36 */ {"5. März", true, {2016, 3, 5}},
        /* 37 */ {"März 2016", true, {2016, 3, 1}},
        /* 38 */ {"03.2016", true, {2016, 3, 1}},
        /* 39 */ {"5. 3. 2016", true, {2016, 3, 5}},
        /* 40 */ {"March 5, 2016", true, {2016, 3, 5}},  // English names in every region
        /* 41 */ {"31. Februar 2016", false, {}},
        /* 42 */ {"5. Mätz 2016", false, {}},
        /* 43 */ {"5. März März", false, {}},
        /* 44 */ {"März", false, {}},
        /* 45 */ {"2016", false, {}},
        /* 46 */ {"5.3/2016", false, {}},
        /* 47 */ {"05.12.2026 25:00", false, {}},
        /* 48 */ {"05.12.2026 10:00:00:00", false, {}},
        /* 49 */ {"10:00", false, {}},  // a time alone is no date
        /* 50 */ {"Montag", false, {}},
        /* 51 */ {"5.3,2016", false, {}},
        /* 52 */ {"5. März 2016 x", false, {}},
        /* 53 */ {"05.12.2026,", false, {}},
        /* 54 */ {"05.12.2026 10:00x", false, {}},
        /* 55 */ {"5 @ März", false, {}},
    };
    CheckParse(rows, std::size(rows));
}

TEST(DateTime, ParsingUnderUsSettings) {
    ScopedRegion region("en_US.UTF-8");
    const ParseRow rows[] = {
        /* 0 */ {"12/5/2026", true, {2026, 12, 5}},
        /* 1 */ {"12.05.2026", true, {2026, 12, 5}},
        /* 2 */ {"12-05-26", true, {2026, 12, 5}},
        /* 3 */ {"2/29/24", true, {2024, 2, 29}},
        /* 4 */ {"2026-12-05", true, {2026, 12, 5}},
        /* 5 */ {"31/12/2026", false, {}},
        /* 6 */ {"2/29/25", false, {}},
        /* 7 */ {"", false, {}},
        /* 8 */ {"3/5", true, {2016, 3, 5}},  // this year
        /* 9 */ {"March 5, 2016", true, {2016, 3, 5}},
        /* 10 */ {"Sat, Mar 5 2016", true, {2016, 3, 5}},
        /* 11 */ {"5 March 2016", true, {2016, 3, 5}},
        /* 12 */ {"March 2016", true, {2016, 3, 1}},
        /* 13 */ {"3/2016", true, {2016, 3, 1}},
        /* 14 */ {"3/5/2016 7:05 ", true, {2016, 3, 5}},
        /* 15 */ {"5. März 2016", true, {2016, 3, 5}},
        /* 16 */ {"13/5", false, {}},
        /* 17 */ {"Smarch 5, 2016", false, {}},
    };
    CheckParse(rows, std::size(rows));
}

TEST(DateTime, ATimeOfDayAfterTheDateIsKept) {
    ScopedRegion region("de_DE.UTF-8");
    const std::pair<const char*, double> rows[] = {
        /* 0 */ {"05.12.2026 10:00", (10 * 60) / 1440.0},
        /* 1 */ {"5. Dezember 2026 10:00:30", (10 * 3600 + 30) / 86400.0},
        /* 2 */ {"05.12.2026", 0},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        Date got;
        ASSERT_TRUE(rt::TryParseDate(rows[i].first, got));
        EXPECT_NEAR(got.serial, DateSerial(2026, 12, 5).serial + rows[i].second, 1e-9);
        EXPECT_EQ(rt::FormatDate(got, "ddMMyyyy"), "05122026");
    }
}

TEST(DateTime, EmbeddedNulAndHugeTextsAreRejected) {
    Date d;
    EXPECT_FALSE(rt::TryParseDate(std::string_view("05.12.2026\0", 11), d));
    EXPECT_FALSE(rt::TryParseDate(std::string(100000, '9'), d));
    EXPECT_FALSE(rt::TryParseDate("\xff\xfe.12.2026", d));
}

TEST(DateTime, TodayAndNowComeFromTheInstalledClock) {
    auto clock = std::make_shared<rt::ManualClock>(rt::LocalDateTime{2024, 2, 29, 23, 59, 58});
    rt::ScopedRole<rt::Clock> installed(clock);
    EXPECT_EQ(rt::Today(), DateSerial(2024, 2, 29));
    const Date now = rt::Now();
    EXPECT_EQ(rt::Day(now), 29);
    EXPECT_EQ(rt::Hour(now), 23);
    EXPECT_EQ(rt::Second(now), 58);
    clock->SetNow({2026, 5, 31, 0, 0, 0});
    EXPECT_EQ(rt::Today(), DateSerial(2026, 5, 31));
}

}  // namespace
