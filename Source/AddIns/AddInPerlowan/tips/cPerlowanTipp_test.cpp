#include "cPerlowanTipp.h"

#include <gtest/gtest.h>

#include <optional>

#include "RuntimeError.h"

namespace {

cPerlowanTipp Record(const char* id, const char* type, const char* subType, const char* code,
                     const char* title, const char* text, const char* time, const char* view,
                     const char* status, const char* reference) {
    cPerlowanTipp t;
    t.tID = id;
    t.tType = type;
    t.tSubType = subType;
    t.tCode = code;
    t.tTitle = title;
    t.tText = text;
    t.tTime = time;
    t.tView = view;
    t.tStatus = status;
    t.tReference = reference;
    return t;
}

TEST(cPerlowanTipp, ToStorageEscapesEachValueInOrder) {
    struct Row {
        cPerlowanTipp record;
        const char* expected;
    };
    const Row rows[] = {
        /* 0 */ {Record("", "", "", "", "", "", "", "", "", ""), "||||||||||"},
        /* 1 */
        {Record("17", "hint", "bg", "H1", "Titel", "Text", "01.05.2024", "", "new", "https://x"),
         "17|hint|bg|H1|Titel|Text|01.05.2024||new|https://x|"},
        /* 2 */ {Record("1", "", "", "", "a|b", "", "", "", "", "|"), "1||||a&#124;b|||||&#124;|"},
        /* 3 */
        {Record("1", "", "", "", "", "eins\r\nzwei\rdrei\nvier", "", "", "", ""),
         "1|||||eins<br>zwei<br>drei<br>vier|||||"},
        // CR LF pairs first: CR, CR LF, LF are three breaks, not four.
        /* 4 */ {Record("", "", "", "", "", "\r\r\n\n", "", "", "", ""), "|||||<br><br><br>|||||"},
        /* 5 */ {Record("ä", "", "", "", "Grüße", "", "", "", "", ""), "ä||||Grüße||||||"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i].record.ToStorage(), rows[i].expected);
    }
}

TEST(cPerlowanTipp, FromStorageTakesExactlyTenParts) {
    struct Row {
        const char* storage;
        cPerlowanTipp expected;
    };
    const Row rows[] = {
        /* 0 */ {"17|hint|bg|H1|Titel|Text|01.05.2024||new|https://x|",
                 Record("17", "hint", "bg", "H1", "Titel", "Text", "01.05.2024", "", "new",
                        "https://x")},
        /* 1 */ {"1|2", Record("1", "2", "", "", "", "", "", "", "", "")},
        /* 2 */
        {"1|2|3|4|5|6|7|8|9|10|11|12|", Record("1", "2", "3", "4", "5", "6", "7", "8", "9", "10")},
        /* 3 */ {"1|2|3|4|5|6|7|8|9|10", Record("1", "2", "3", "4", "5", "6", "7", "8", "9", "10")},
        /* 4 */ {"", Record("", "", "", "", "", "", "", "", "", "")},
        /* 5 */ {"|", Record("", "", "", "", "", "", "", "", "", "")},
        /* 6 */
        {"a&#124;b|x<br>y<br>|&#124;&#124;||",
         Record("a|b", "x\r\ny\r\n", "||", "", "", "", "", "", "", "")},
        // Unescaping does not build new escapes from the pieces of old ones.
        /* 7 */
        {"&&#124;#124;|<<br>br>", Record("&|#124;", "<\r\nbr>", "", "", "", "", "", "", "", "")},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        cPerlowanTipp record = Record("s", "s", "s", "s", "s", "s", "s", "s", "s", "s");
        record.FromStorage(rows[i].storage);
        EXPECT_EQ(record, rows[i].expected);
    }
}

TEST(cPerlowanTipp, StorageRoundTripKeepsTheValues) {
    const cPerlowanTipp rows[] = {
        /* 0 */ Record("42", "t", "s", "c", "Messen | Notieren", "Zeile 1\r\nZeile 2", "02.05.2024",
                       "", "read", "https://example.org/?a=1|2"),
        /* 1 */ Record("x", "", "", "", "Größe €", "&#38; <b>", "", "", "", ""),
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        cPerlowanTipp copy;
        copy.FromStorage(rows[i].ToStorage());
        EXPECT_EQ(copy, rows[i]);
    }
    // Single CR and LF come back as CR LF.
    cPerlowanTipp record;
    record.tText = "a\rb\nc";
    cPerlowanTipp copy;
    copy.FromStorage(record.ToStorage());
    EXPECT_EQ(copy.tText, "a\r\nb\r\nc");
}

TEST(cPerlowanTipp, OverlongStorageTextRaises9AndKeepsTheValues) {
    struct Row {
        std::string storage;
        std::optional<int> error;
    };
    const Row rows[] = {
        /* 0 */ {std::string(32766, 'a') + "|", std::nullopt},
        /* 1 */ {std::string(32766, 'a') + "|b", 9},
        /* 2 */ {"x|" + std::string(32764, 'a') + "ä", std::nullopt},  // 32,767 characters, more
                                                                       // bytes
        /* 3 */ {"x|" + std::string(32764, 'a') + "äö", 9},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        cPerlowanTipp record;
        record.tID = "sentinel";
        std::optional<int> error;
        try {
            record.FromStorage(rows[i].storage);
        } catch (const rt::RuntimeError& e) {
            error = e.Number();
        }
        EXPECT_EQ(error, rows[i].error);
        EXPECT_EQ(record.tID == "sentinel", rows[i].error.has_value());
    }
}

}  // namespace
