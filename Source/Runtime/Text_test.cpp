#include "Text.h"

#include <gtest/gtest.h>

#include "RuntimeError_test.h"

#include <cmath>
#include <functional>
#include <vector>

#include "RuntimeError.h"

namespace {

using rt::Compare;
using namespace std::string_literals;

using rt::testing::ErrorOf;

TEST(Text, CaseFoldingCoversTheWholeCodePage) {
    struct Row {
        std::string lower;
        std::string upper;
    };
    const Row rows[] = {
        /* 0 */ {"äöü", "ÄÖÜ"},
        /* 1 */ {"š", "Š"},
        /* 2 */ {"ÿ", "Ÿ"},
        /* 3 */ {"œ", "Œ"},
        /* 4 */ {"ž", "Ž"},
        /* 5 */ {"àéîõø", "ÀÉÎÕØ"},
        /* 6 */ {"abc xyz", "ABC XYZ"},
        /* 7 */ {"grüße", "GRÜßE"},  // ß has no capital in the code page
        /* 8 */ {"×÷", "×÷"},        // signs, not letters
        /* 9 */ {"жﬀ€", "жﬀ€"},      // outside the code page or not letters: unchanged
        /* 10 */ {"a\xC3\0\xFF\x62"s, "A\xC3\0\xFF\x42"s},  // invalid UTF-8 and NUL stay
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rt::UCase(rows[i].lower), rows[i].upper);
        EXPECT_EQ(rt::LCase(rows[i].upper), rows[i].lower);
        EXPECT_TRUE(rt::TextEquals(rows[i].lower, rows[i].upper, Compare::Text));
    }
    EXPECT_FALSE(rt::TextEquals("ä", "Ä", Compare::Binary));
    EXPECT_FALSE(rt::TextEquals("ä", "a", Compare::Text));
    EXPECT_EQ(rt::StrComp("Äpfel", "äPFEL", Compare::Text), 0);
    EXPECT_NE(rt::StrComp("Äpfel", "äPFEL", Compare::Binary), 0);
}

TEST(Text, LeftMidRightCountCharacters) {
    const std::string text = "Grüße, Ärger";  // 12 characters, 15 bytes
    EXPECT_EQ(rt::Len(text), 12);
    struct Row {
        std::string got;
        const char* expected;
    };
    const Row rows[] = {
        /* 0 */ {rt::Left(text, 4), "Grüß"},
        /* 1 */ {rt::Left(text, 0), ""},
        /* 2 */ {rt::Left(text, 99), "Grüße, Ärger"},
        /* 3 */ {rt::Right(text, 5), "Ärger"},
        /* 4 */ {rt::Right(text, 0), ""},
        /* 5 */ {rt::Right(text, 99), "Grüße, Ärger"},
        /* 6 */ {rt::Mid(text, 3, 3), "üße"},
        /* 7 */ {rt::Mid(text, 8), "Ärger"},
        /* 8 */ {rt::Mid(text, 12, 5), "r"},
        /* 9 */ {rt::Mid(text, 13), ""},
        /* 10 */ {rt::Mid(text, 99, 1), ""},
        /* 11 */ {rt::Mid(text, 1, 0), ""},
        /* 12 */ {rt::Mid("", 1, 1), ""},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i].got, rows[i].expected);
    }
}

TEST(Text, InvalidArgumentsRaise5) {
    EXPECT_EQ(ErrorOf([] { rt::Left("abc", -1); }), 5);
    EXPECT_EQ(ErrorOf([] { rt::Right("abc", -1); }), 5);
    EXPECT_EQ(ErrorOf([] { rt::Mid("abc", 0); }), 5);
    EXPECT_EQ(ErrorOf([] { rt::Mid("abc", 1, -2); }), 5);
    EXPECT_EQ(ErrorOf([] { rt::InStr(0, "abc", "a"); }), 5);
    EXPECT_EQ(ErrorOf([] { rt::InStrRevClassic("abc", "a", 0); }), 5);
}

TEST(Text, InStrAndInStrRevTable) {
    enum Direction { Forward, Back };  // InStr, or InStrRev with its start at the end
    struct Row {
        Direction direction;
        std::int32_t start;  // -1: InStrRev from the end
        const char* text;
        const char* find;
        Compare compare;
        std::int32_t expected;
    };
    const Row rows[] = {
        /* 0 */ {Forward, 1, "abcabc", "bc", Compare::Binary, 2},
        /* 1 */ {Forward, 3, "abcabc", "bc", Compare::Binary, 5},
        /* 2 */ {Forward, 1, "abcabc", "BC", Compare::Binary, 0},
        /* 3 */ {Forward, 1, "abcabc", "BC", Compare::Text, 2},
        /* 4 */ {Forward, 1, "Straße Ärger", "ärger", Compare::Text, 8},
        /* 5 */ {Forward, 1, "Straße Ärger", "ärger", Compare::Binary, 0},
        /* 6 */ {Forward, 2, "ŠšŠš", "Š", Compare::Text, 2},
        /* 7 */ {Forward, 1, "äbc", "c", Compare::Binary, 3},
        /* 8 */ {Forward, 4, "abc", "", Compare::Binary, 4},
        /* 9 */ {Forward, 5, "abc", "", Compare::Binary, 0},
        /* 10 */ {Forward, 9, "abc", "a", Compare::Binary, 0},
        /* 11 */ {Forward, 1, "", "a", Compare::Binary, 0},
        /* 12 */ {Forward, 1, "ab\xE2\x82", "\x82", Compare::Binary, 4},  // a euro sign cut short
        /* 13 */ {Back, -1, "abcabc", "bc", Compare::Binary, 5},
        /* 14 */ {Back, 5, "abcabc", "bc", Compare::Binary, 2},  // a match must end by the start
        /* 15 */ {Back, 6, "abcabc", "bc", Compare::Binary, 5},
        /* 16 */ {Back, -1, "äbcÄbc", "äB", Compare::Text, 4},
        /* 17 */ {Back, -1, "abc", "x", Compare::Binary, 0},
        /* 18 */ {Back, 9, "abc", "a", Compare::Binary, 0},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        const auto& r = rows[i];
        EXPECT_EQ(r.direction == Forward ? rt::InStr(r.start, r.text, r.find, r.compare)
                                         : rt::InStrRevClassic(r.text, r.find, r.start, r.compare),
                  r.expected);
    }
}

TEST(Text, TrimRemovesBlanksOnly) {
    EXPECT_EQ(rt::Trim("  a b  "), "a b");
    EXPECT_EQ(rt::LTrim("  a "), "a ");
    EXPECT_EQ(rt::RTrim("  a "), "  a");
    EXPECT_EQ(rt::Trim("\ta\t"), "\ta\t");
    EXPECT_EQ(rt::Trim("    "), "");
}

TEST(Text, ValReadsTheLeadingNumber) {
    struct Row {
        const char* text;
        double expected;
    };
    const Row rows[] = {
        /* 0 */ {"42", 42},
        /* 1 */ {"  42abc", 42},
        /* 2 */ {"1 2 3", 123},
        /* 3 */ {"-3.5e2x", -350},
        /* 4 */ {".5", 0.5},
        /* 5 */ {"abc", 0},
        /* 6 */ {"", 0},
        /* 7 */ {"&H10", 16},
        /* 8 */ {"&hFF", 255},
        /* 9 */ {"&HFFFF", -1},
        /* 10 */ {"&O17", 15},
        /* 11 */ {"&H", 0},
        /* 12 */ {"1,5", 1},  // the decimal sign is always "."
        /* 13 */ {"12.34.56", 12.34},
        /* 14 */ {"1e999", 0},
        /* 15 */ {"+7", 7},
        /* 16 */ {"&HFFFFFFFF", -1},
        /* 17 */ {"&H10000", 65536},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        EXPECT_DOUBLE_EQ(rt::Val(rows[i].text), rows[i].expected);
    }
    EXPECT_DOUBLE_EQ(rt::Val(std::string("7\0"
                                         "8",
                                         3)),
                     7);
}

TEST(Text, NumberTextAndFormat) {
    EXPECT_EQ(rt::NumberText(42), "42");
    EXPECT_EQ(rt::NumberText(1.5), "1.5");
    EXPECT_EQ(rt::NumberText(0.5), "0.5");
    EXPECT_EQ(rt::NumberText(-0.25), "-0.25");
    EXPECT_EQ(rt::NumberText(1e20), "1E+20");
    EXPECT_EQ(rt::Str(0.5), " .5");
    EXPECT_EQ(rt::Str(-0.25), "-.25");
    EXPECT_EQ(rt::Str(3), " 3");
    EXPECT_EQ(rt::Str(-3), "-3");
    struct Row {
        double value;
        const char* pattern;
        const char* expected;
    };
    const Row rows[] = {
        /* 0 */ {42, "00000", "00042"},
        /* 1 */ {123456, "00000", "123456"},
        /* 2 */ {3.14159, "0.00", "3.14"},
        /* 3 */ {1234567, "#,##0", "1,234,567"},
        /* 4 */ {0, "#", ""},
        /* 5 */ {-5, "000", "-005"},
        /* 6 */ {2.5, "0.0#", "2.5"},
        /* 7 */ {2.126, "0.0#", "2.13"},
        /* 8 */ {5, "0.##", "5."},
        /* 9 */ {-0.001, "0.00", "0.00"},
        /* 10 */ {7, "ID 000", "ID 007"},
        /* 11 */ {1234.5, "#,##0.00", "1,234.50"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rt::FormatNumber(rows[i].value, rows[i].pattern), rows[i].expected);
    }
}

TEST(Text, ByteAndCharacterPositions) {
    const std::string text = "aäb";
    EXPECT_EQ(rt::ByteOffsetOfChar(text, 1), 0u);
    EXPECT_EQ(rt::ByteOffsetOfChar(text, 3), 3u);
    EXPECT_EQ(rt::ByteOffsetOfChar(text, 9), text.size());
    EXPECT_EQ(rt::CharPosOfByte(text, 3), 3);
}

// Texts that must not trip any routine: empty, invalid and truncated UTF-8, embedded NUL,
// characters of every length, a long text.
std::vector<std::string> NastyTexts() {
    return {
        "",
        std::string("\0", 1),
        std::string("a\0b\0", 4),
        "\xff\xfe\xfd",
        "\xC3",
        "\xE2\x82",
        "\xF0\x9F\x98",
        "\xC0\x80",      // overlong NUL
        "\xED\xA0\x80",  // a surrogate
        "Ä\xC3Š\x80ÿ€😀",
        std::string(70000, 'x') + "ä\xff",
    };
}

TEST(Text, EveryRoutineStaysWithinTheTextForNastyInput) {
    const auto texts = NastyTexts();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        SCOPED_TRACE(i);
        const std::string& t = texts[i];
        const std::int32_t len = rt::Len(t);
        EXPECT_GE(len, 0);
        EXPECT_LE(static_cast<std::size_t>(len), t.size());
        // Splitting at any character position and joining again gives the text back.
        for (const std::int32_t n : {0, 1, 2, len / 2, len, len + 1}) {
            SCOPED_TRACE(n);
            EXPECT_EQ(rt::Left(t, n) + rt::Mid(t, n + 1), t);
            EXPECT_EQ(rt::Left(t, len - std::min(n, len)) + rt::Right(t, n), t);
            EXPECT_LE(rt::Len(rt::Left(t, n)), n);
        }
        // Case mapping keeps bytes it does not know and the byte length.
        EXPECT_EQ(rt::UCase(t).size(), t.size());
        EXPECT_EQ(rt::LCase(rt::UCase(t)), rt::LCase(t));
        EXPECT_TRUE(rt::TextEquals(t, rt::UCase(t), rt::Compare::Text));
        // A text is found in itself at 1, both ways.
        if (!t.empty()) {
            EXPECT_EQ(rt::InStr(t, t, rt::Compare::Text), 1);
            EXPECT_EQ(rt::InStrRevClassic(t, t, -1, rt::Compare::Binary), 1);
        }
        EXPECT_EQ(rt::CharPosOfByte(t, t.size()), len + 1);
        EXPECT_EQ(rt::ByteOffsetOfChar(t, len + 1), t.size());
        EXPECT_TRUE(std::isfinite(rt::Val(t)));
        EXPECT_EQ(rt::Trim(t).size() <= t.size(), true);
    }
}

}  // namespace
