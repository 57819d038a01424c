#include "mGlobSub.h"

#include <gtest/gtest.h>

namespace {

using Pieces = std::vector<std::string>;

TEST(Split, Table) {
    struct Row {
        const char* text;
        const char* separator;
        Pieces expected;
    };
    const Row rows[] = {
        /* 0 */ {"a|b|", "|", {"a", "b"}},
        /* 1 */ {"a||b", "|", {"a", "", "b"}},
        /* 2 */ {"|", "|", {""}},
        /* 3 */ {"x},{y", "},{", {"x", "y"}},
        /* 4 */ {"},{", "},{", {""}},
        /* 5 */ {"abc", "|", {"abc"}},
        /* 6 */ {"a||", "|", {"a", ""}},
        /* 7 */ {"Grüße|Äpfel", "|", {"Grüße", "Äpfel"}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        Pieces result{"sentinel"};
        Split(rows[i].text, rows[i].separator, result);
        EXPECT_EQ(result, rows[i].expected);
    }
}

TEST(Split, EmptyTextErasesTheArray) {
    Pieces result{"old"};
    Split("", "|", result);
    EXPECT_TRUE(result.empty());
}

TEST(Split, OverlongTextLeavesTheArrayAsPassedIn) {
    Pieces result{"untouched"};
    Split(std::string(32768, 'a') + "|b", "|", result);
    EXPECT_EQ(result, Pieces{"untouched"});
    // 32,767 characters is still split, counted in characters, not bytes.
    std::string text = std::string(32765, 'a') + "|ä";  // 32,767 characters, 32,768 bytes
    Split(text, "|", result);
    EXPECT_EQ(result.size(), 2u);
}

TEST(Replace, ContinuesAfterTheInsertedReplacement) {
    EXPECT_EQ(Replace("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(Replace("a|b|c", "|", "&#124;"), "a&#124;b&#124;c");
    EXPECT_EQ(Replace("xAxa", "a", "-", 1, -1, 1), "x-x-");
    EXPECT_EQ(Replace("xAxa", "a", "-", 1, -1, 0), "xAx-");
    EXPECT_EQ(Replace("ÄäÄ", "ä", "e", 1, -1, 1), "eee");
    // Text before the start position stays as it is.
    EXPECT_EQ(Replace("aXaXa", "a", "b", 3), "aXbXb");
    EXPECT_EQ(Replace("abc", "", "z"), "abc");
}

TEST(InStrRev, Table) {
    struct Row {
        const char* text;
        const char* find;
        std::int32_t start;
        std::int16_t compare;
        std::int32_t expected;
    };
    const Row rows[] = {
        /* 0 */ {"abcabc", "bc", 1, 0, 5},
        /* 1 */ {"abcabc", "bc", 4, 0, 2},
        /* 2 */ {"abcabc", "bc", 5, 0, 5},
        /* 3 */ {"abcabc", "BC", 0, 0, 0},
        /* 4 */ {"abcabc", "BC", 0, 1, 5},
        /* 5 */ {"abcabc", "bc", 99, 0, 5},
        /* 6 */ {"", "a", 1, 0, 0},
        /* 7 */ {"äbä", "ä", 2, 0, 1},
        /* 8 */ {"äbä", "b", 3, 0, 2},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        std::int16_t compare = rows[i].compare;
        EXPECT_EQ(InStrRev(rows[i].text, rows[i].find, rows[i].start, compare), rows[i].expected);
    }
}

TEST(TextBetween, Table) {
    EXPECT_EQ(TextBetween("[A]x[B]", "[a]", "[b]"), "x");
    EXPECT_EQ(TextBetween("[A]xyz", "[a]", "[b]"), "xyz");
    EXPECT_EQ(TextBetween("no marker", "[a]", "[b]"), "");
    EXPECT_EQ(TextBetween("<r>1</r><r>2</r>", "<R>", "</R>"), "1");
}

}  // namespace
