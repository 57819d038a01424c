#include "Variant.h"

#include <gtest/gtest.h>

#include "RuntimeError_test.h"

#include <cmath>
#include <functional>

#include "DateTime.h"
#include "Dispatch.h"
#include "Regional.h"
#include "RuntimeError.h"

namespace {

using rt::Variant;
using rt::VarType;

using rt::testing::ErrorOf;

TEST(Variant, TypesOfTheAlternatives) {
    struct Row {
        Variant value;
        VarType expected;
    };
    const Row rows[] = {
        /* 0 */ {Variant(), VarType::Empty},
        /* 1 */ {Variant::Null(), VarType::Null},
        /* 2 */ {Variant(true), VarType::Boolean},
        /* 3 */ {Variant(std::int16_t{1}), VarType::Integer},
        /* 4 */ {Variant(std::int32_t{1}), VarType::Long},
        /* 5 */ {Variant(1.0f), VarType::Single},
        /* 6 */ {Variant(1.0), VarType::Double},
        /* 7 */ {Variant(rt::Date{1}), VarType::Date},
        /* 8 */ {Variant("x"), VarType::String},
        /* 9 */ {Variant::Nothing(), VarType::Object},
        /* 10 */ {Variant(Variant::Array{1, 2}), VarType::Array},
        /* 11 */ {Variant::Missing(), VarType::Error},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i].value.Type(), rows[i].expected);
    }
}

TEST(Variant, IntegerConversionRoundsHalfToEvenAndOverflowsWith6) {
    struct Row {
        Variant value;
        int expected;  // the value, or -100000 - error number
    };
    const Row rows[] = {
        /* 0 */ {Variant(2.5), 2},
        /* 1 */ {Variant(3.5), 4},
        /* 2 */ {Variant(-2.5), -2},
        /* 3 */ {Variant(0.5), 0},
        /* 4 */ {Variant(1.5), 2},
        /* 5 */ {Variant(2.6), 3},
        /* 6 */ {Variant("  12  "), 12},
        /* 7 */ {Variant("&H7FFF"), 32767},
        /* 8 */ {Variant(32767.4), 32767},
        /* 9 */ {Variant(32767.5), -100006},
        /* 10 */ {Variant(-32768.0), -32768},
        /* 11 */ {Variant(std::int32_t{40000}), -100006},
        /* 12 */ {Variant("40000"), -100006},
        /* 13 */ {Variant("12abc"), -100013},
        /* 14 */ {Variant(""), -100013},
        /* 15 */ {Variant(true), -1},
        /* 16 */ {Variant(), 0},
        /* 17 */ {Variant::Nothing(), -100013},
        /* 18 */ {Variant(Variant::Array{}), -100013},
        /* 19 */ {Variant::Null(), -100094},
        /* 20 */ {Variant(std::nan("")), -100006},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        const int error = ErrorOf([&] { rows[i].value.ToInteger(); });
        if (rows[i].expected <= -100000) {
            EXPECT_EQ(error, -100000 - rows[i].expected);
        } else {
            EXPECT_EQ(error, 0);
            if (error == 0) {
                EXPECT_EQ(rows[i].value.ToInteger(), rows[i].expected);
            }
        }
    }
}

TEST(Variant, LongConversion) {
    EXPECT_EQ(Variant(2147483647.0).ToLong(), 2147483647);
    EXPECT_EQ(ErrorOf([] { Variant(2147483647.5).ToLong(); }), 6);
    EXPECT_EQ(Variant(-0.5).ToLong(), 0);
    EXPECT_EQ(Variant("-7").ToLong(), -7);
    EXPECT_EQ(ErrorOf([] { Variant("seven").ToLong(); }), 13);
}

TEST(Variant, BooleanConversions) {
    struct Row {
        Variant value;
        int expected;  // 1 true, 0 false, 13 type mismatch
    };
    const Row rows[] = {
        /* 0 */ {Variant("True"), 1},
        /* 1 */ {Variant(" false "), 0},
        /* 2 */ {Variant("TRUE"), 1},
        /* 3 */ {Variant("-1"), 1},
        /* 4 */ {Variant("0"), 0},
        /* 5 */ {Variant("2"), 1},
        /* 6 */ {Variant("ja"), 13},
        /* 7 */ {Variant(""), 13},
        /* 8 */ {Variant(0.0), 0},
        /* 9 */ {Variant(std::int16_t{-1}), 1},
        /* 10 */ {Variant(), 0},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        const int error = ErrorOf([&] { rows[i].value.ToBool(); });
        if (rows[i].expected == 13) {
            EXPECT_EQ(error, 13);
        } else {
            ASSERT_EQ(error, 0);
            EXPECT_EQ(rows[i].value.ToBool(), rows[i].expected == 1);
        }
    }
    // The automation boolean has all bits set for true.
    EXPECT_EQ(Variant(true).ToAutomationBool(), -1);
    EXPECT_EQ(Variant(false).ToAutomationBool(), 0);
    EXPECT_EQ(Variant(true).ToString(), "True");
    EXPECT_EQ(Variant(false).ToString(), "False");
}

TEST(Variant, StringConversions) {
    rt::ScopedRegion region("en_US.UTF-8");
    EXPECT_EQ(Variant(std::int16_t{-5}).ToString(), "-5");
    EXPECT_EQ(Variant(std::int32_t{123456}).ToString(), "123456");
    EXPECT_EQ(Variant(1.25).ToString(), "1.25");
    EXPECT_EQ(Variant(0.1f).ToString(), "0.1");
    EXPECT_EQ(Variant().ToString(), "");
    EXPECT_EQ(Variant("Grüße").ToString(), "Grüße");
    EXPECT_EQ(ErrorOf([] { Variant::Null().ToString(); }), 94);
    EXPECT_EQ(ErrorOf([] { Variant::Nothing().ToString(); }), 13);
    EXPECT_EQ(ErrorOf([] { Variant::Missing().ToString(); }), 13);
}

TEST(Variant, NumericTexts) {
    struct Row {
        const char* text;
        bool numeric;
        double value;
    };
    const Row rows[] = {
        /* 0 */ {"12", true, 12},
        /* 1 */ {" -1.5e2 ", true, -150},
        /* 2 */ {"&HFF", true, 255},
        /* 3 */ {"&H", false, 0},
        /* 4 */ {"1.2.3", false, 0},
        /* 5 */ {"", false, 0},
        /* 6 */ {"1e", false, 0},
        /* 7 */ {".", false, 0},
        /* 8 */ {"1e999", false, 0},
    };
    rt::ScopedRegion region("en_US.UTF-8");
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        double value = -99;
        EXPECT_EQ(rt::ParseNumericText(rows[i].text, value), rows[i].numeric);
        EXPECT_EQ(Variant(rows[i].text).IsNumeric(), rows[i].numeric);
        if (rows[i].numeric) {
            EXPECT_DOUBLE_EQ(value, rows[i].value);
        }
    }
}

TEST(Variant, DateConversions) {
    // Texts in the region's order: the regional tests.
    EXPECT_EQ(Variant(2.0).ToDate(), rt::DateSerial(1900, 1, 1));
    EXPECT_EQ(ErrorOf([] { Variant("31.02.2026").ToDate(); }), 13);
    EXPECT_EQ(ErrorOf([] { Variant("").ToDate(); }), 13);
    EXPECT_EQ(Variant(rt::DateSerial(2026, 12, 5)).ToDouble(), rt::DateSerial(2026, 12, 5).serial);
}

TEST(Variant, ArraysCopyOnWrite) {
    Variant a(Variant::Array{1, 2, 3});
    Variant b = a;
    b.MutableArray()[0] = Variant("changed");
    EXPECT_EQ(a.ToArray()[0], Variant(1));
    EXPECT_EQ(b.ToArray()[0], Variant("changed"));
    EXPECT_EQ(ErrorOf([] { Variant(1).ToArray(); }), 13);
    EXPECT_EQ(ErrorOf([] { Variant("x").ToObject(); }), 13);
}

TEST(Variant, EqualityComparesTypeAndValue) {
    EXPECT_EQ(Variant("a"), Variant("a"));
    EXPECT_FALSE(Variant(std::int16_t{1}) == Variant(std::int32_t{1}));
    EXPECT_FALSE(Variant() == Variant::Null());
    EXPECT_EQ(Variant(Variant::Array{1, "x"}), Variant(Variant::Array{1, "x"}));
}

}  // namespace
