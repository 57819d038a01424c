#include "Regional.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "DateTime.h"
#include "RuntimeError_test.h"
#include "Text.h"
#include "Variant.h"

namespace {

using rt::Variant;
using rt::testing::ErrorOf;

// Runs `body` under each of these C library locales, as a desktop host may set them for its own
// process, and puts the previous one back. A locale the system lacks fails the test: the
// conversions would otherwise be tested under the locale they are meant to ignore.
template <typename Body>
void ForEachProcessLocale(Body body) {
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    for (const char* name : {"de_DE.UTF-8", "en_US.UTF-8", "C"}) {
        SCOPED_TRACE(name);
        EXPECT_NE(std::setlocale(LC_ALL, name), nullptr)
            << name << " is not installed (Debian locales-all)";
        body(std::string(name));
    }
    std::setlocale(LC_ALL, previous.c_str());
}

TEST(Regional, SettingsFromLocaleNames) {
    using Order = rt::RegionalSettings::Order;
    struct Row {
        const char* locale;
        const char* pattern;
        char separator;
        Order order;
        char decimalSign;
        char thousands;
    };
    const Row rows[] = {
        /* 0 */ {"de_DE.UTF-8", "dd.MM.yyyy", '.', Order::DayMonthYear, ',', '.'},
        /* 1 */ {"en_US.UTF-8", "M/d/yyyy", '/', Order::MonthDayYear, '.', ','},
        /* 2 */ {"en_GB", "dd/MM/yyyy", '/', Order::DayMonthYear, '.', ','},
        /* 3 */ {"de_CH.UTF-8", "dd.MM.yyyy", '.', Order::DayMonthYear, '.', '\''},
        /* 4 */ {"fr_FR@euro", "dd/MM/yyyy", '/', Order::DayMonthYear, ',', ' '},
        /* 5 */ {"sv_SE", "yyyy-MM-dd", '-', Order::YearMonthDay, ',', ' '},
        /* 6 */ {"C", "dd.MM.yyyy", '.', Order::DayMonthYear, ',', '.'},
        /* 7 */ {"", "dd.MM.yyyy", '.', Order::DayMonthYear, ',', '.'},
        /* 8 */ {"de_AT", "dd.MM.yyyy", '.', Order::DayMonthYear, ',', '.'},
        /* 9 */ {"de_DE@euro", "dd.MM.yyyy", '.', Order::DayMonthYear, ',', '.'},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        const rt::RegionalSettings region = rt::RegionFromLocaleName(rows[i].locale);
        EXPECT_EQ(region.shortDatePattern, rows[i].pattern);
        EXPECT_EQ(region.separator, rows[i].separator);
        EXPECT_EQ(region.order, rows[i].order);
        EXPECT_EQ(region.decimalSign, rows[i].decimalSign);
        EXPECT_EQ(region.thousandsSeparator, rows[i].thousands);
    }
}

TEST(Regional, ScopedRegionPutsBackTheSettingsBeforeIt) {
    rt::ScopedRegion outer("en_US");
    {
        rt::ScopedRegion inner("de_DE");
        EXPECT_EQ(rt::CurrentRegion().decimalSign, ',');
    }
    EXPECT_EQ(rt::CurrentRegion().decimalSign, '.');
    EXPECT_EQ(rt::CurrentRegion().shortDatePattern, "M/d/yyyy");
}

// What the conversions give depends on the regional settings only: each row is run under every
// process locale and must give the same text or number.
TEST(Regional, NumberConversionsIgnoreTheProcessLocale) {
    struct Row {
        const char* region;
        double number;     // converted to text
        const char* cstr;  // CStr
        const char* text;  // converted to a number by CDbl
        double cdbl;       // 0 with cdblError
        int cdblError;
    };
    const Row rows[] = {
        /* 0 */ {"en_US.UTF-8", 1.5, "1.5", "2.25", 2.25, 0},
        /* 1 */ {"en_US.UTF-8", -0.125, "-0.125", " -1.5e2 ", -150, 0},
        /* 2 */ {"en_US.UTF-8", 1e20, "1E+20", "2,25", 0, 13},
        /* 3 */ {"de_DE.UTF-8", 1.5, "1,5", "2,25", 2.25, 0},
        /* 4 */ {"de_DE.UTF-8", 1234567.25, "1234567,25", "2.25", 0, 13},
        /* 5 */ {"de_DE.UTF-8", 2.5e-7, "2,5E-7", "-0,5", -0.5, 0},
        /* 6 */ {"de_DE.UTF-8", 42, "42", "&H10", 16, 0},
    };
    ForEachProcessLocale([&](const std::string&) {
        for (std::size_t i = 0; i < std::size(rows); ++i) {
            SCOPED_TRACE("row " + std::to_string(i));
            rt::ScopedRegion region(rows[i].region);
            EXPECT_EQ(Variant(rows[i].number).ToString(), rows[i].cstr);
            EXPECT_EQ(ErrorOf([&] { Variant(rows[i].text).ToDouble(); }), rows[i].cdblError);
            if (rows[i].cdblError == 0) {
                EXPECT_DOUBLE_EQ(Variant(rows[i].text).ToDouble(), rows[i].cdbl);
            }
        }
    });
}

TEST(Regional, ValStrAndNumberTextReadAndWriteThePointEverywhere) {
    struct Row {
        const char* text;
        double val;
    };
    const Row rows[] = {
        /* 0 */ {"1.5", 1.5},
        /* 1 */ {"1,5", 1},
        /* 2 */ {" 2 . 25xyz", 2.25},
        /* 3 */ {"-3.75e1", -37.5},
        /* 4 */ {"&HFF", 255},
        /* 5 */ {"1e999", 0},
        /* 6 */ {"1e-999", 0},
    };
    ForEachProcessLocale([&](const std::string&) {
        for (const char* regionName : {"de_DE", "en_US"}) {
            SCOPED_TRACE(regionName);
            rt::ScopedRegion region(regionName);
            for (std::size_t i = 0; i < std::size(rows); ++i) {
                SCOPED_TRACE("row " + std::to_string(i));
                EXPECT_DOUBLE_EQ(rt::Val(rows[i].text), rows[i].val);
            }
            EXPECT_EQ(rt::NumberText(1.5), "1.5");
            EXPECT_EQ(rt::NumberText(123456789012345678.0), "1.23456789012346E+17");
            EXPECT_EQ(rt::Str(-0.25), "-.25");
            EXPECT_EQ(rt::FormatNumber(1234.5, "#,##0.00"), "1,234.50");
            EXPECT_EQ(rt::FormatNumber(42, "00000"), "00042");
            double parsed = 0;
            EXPECT_TRUE(rt::ParseNumericText("2.25", parsed));
            EXPECT_DOUBLE_EQ(parsed, 2.25);
        }
    });
}

TEST(Regional, DatesFollowTheRegionNotTheProcessLocale) {
    const rt::Date date = rt::DateSerial(2026, 12, 5);
    ForEachProcessLocale([&](const std::string&) {
        const std::pair<const char*, const char*> rows[] = {{"de_DE.UTF-8", "05.12.2026"},
                                                            {"en_US.UTF-8", "12/5/2026"}};
        for (const auto& [regionName, text] : rows) {
            SCOPED_TRACE(regionName);
            rt::ScopedRegion region(regionName);
            EXPECT_EQ(rt::ShortDateText(date), text);
            EXPECT_EQ(Variant(date).ToString(), text);
            EXPECT_EQ(Variant(text).ToDate(), date);
        }
    });
}

}  // namespace
