#include "mPerlowanStore.h"

#include <gtest/gtest.h>

namespace {

TEST(mPerlowanStore, StatusPrefixKeepsTheUsersDigit) {
    const std::pair<const char*, const char*> rows[] = {
        /* 0 */ {"", "0"},
        /* 1 */ {"0abc|", "0"},
        /* 2 */ {"1abc|", "1"},
        /* 3 */ {"2", "2"},
        /* 4 */ {"7x", "7"},
        /* 5 */ {"x1", "0"},
        /* 6 */ {"|1", "0"},
        /* 7 */ {"Ä", "0"},
        /* 8 */ {" 1", "0"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(StatusPrefix(rows[i].first), rows[i].second);
    }
}

TEST(mPerlowanStore, StoreKeysAreTheIdentifiersSaveWhatALineCannotHold) {
    const std::pair<const char*, const char*> rows[] = {
        /* 0 */ {"10422-20160329", "10422-20160329"},
        /* 1 */ {"[x]", "&#91;x]"},
        /* 2 */ {"x[1]", "x[1]"},
        /* 3 */ {"a=b=", "a&#61;b&#61;"},
        /* 4 */ {"a&#61;b", "a&#38;#61;b"},
        /* 5 */ {"a\r\nb\n", "a&#13;&#10;b&#10;"},
        /* 6 */ {"ä;b c", "ä;b c"},
        /* 7 */ {"", ""},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(StoreKey(rows[i].first), rows[i].second);
    }
}

TEST(mPerlowanStore, KnownListHoldsEachIdentifierOnce) {
    struct Row {
        const char* known;
        const char* id;
        bool isKnown;
        const char* after;
    };
    const Row rows[] = {
        /* 0 */ {"", "17", false, "17;"},
        /* 1 */ {"17;", "17", true, "17;"},
        /* 2 */ {"17;23;42;", "23", true, "17;23;42;"},
        /* 3 */ {"17;23;42;", "2", false, "17;23;42;2;"},  // whole identifiers only
        /* 4 */ {"17;23;42;", "3;4", false, "17;23;42;3;4;"},
        /* 5 */ {"abc;", "ABC", true, "abc;"},  // letter case ignored
        /* 6 */ {"tipp-ä;", "TIPP-Ä", true, "tipp-ä;"},
        // An empty identifier is always found: the list is searched between ";" and ";".
        /* 7 */ {"17;23;", "", true, "17;23;"},
        /* 8 */ {"", "", true, ""},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(IsKnownTipp(rows[i].known, rows[i].id), rows[i].isKnown);
        EXPECT_EQ(WithKnownTipp(rows[i].known, rows[i].id), rows[i].after);
    }
    // Two downloads of the same tips leave each identifier once.
    std::string known;
    for (const char* id : {"17", "23", "17", "42", "23"}) known = WithKnownTipp(known, id);
    EXPECT_EQ(known, "17;23;42;");
}

}  // namespace
