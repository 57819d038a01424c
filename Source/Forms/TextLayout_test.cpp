// The lines of a text box and the word under a double click, measured with the headless width
// table (8.25 points: most lower-case letters 6 pixels, space 4, capitals 7, "l" 2).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "CodePage.h"
#include "TextLayout.h"

namespace forms {
namespace {

// The characters [start, start + length) of a UTF-8 text.
std::string Chars(std::string_view text, int start, int length) {
    std::string out;
    std::size_t pos = 0;
    for (int i = 0; pos < text.size() && i < start + length; ++i) {
        const std::size_t from = pos;
        rt::DecodeUtf8(text, pos);
        if (i >= start) out.append(text.substr(from, pos - from));
    }
    return out;
}

TEST(TextLayoutTest, LinesBreakAtLineBreaksAndWrapAfterTheLastSpaceThatFits) {
    struct Row {
        int line;
        const char* text;
        float wrapWidth;
        std::vector<std::string> lines;
    };
    const Row rows[] = {
        {1, "", 100, {""}},
        {2, "ab\r\ncd", 0, {"ab", "cd"}},
        {3, "ab\rcd\nef", 0, {"ab", "cd", "ef"}},
        {4, "ab\r\n", 0, {"ab", ""}},
        {5, "aaaa bbbb cccc", 0, {"aaaa bbbb cccc"}},
        // "aaaa bbbb " is 56 pixels, with the next "c" 62.
        {6, "aaaa bbbb cccc", 60, {"aaaa bbbb ", "cccc"}},
        {7, "aaaa bbbb cccc", 56, {"aaaa bbbb ", "cccc"}},
        {8, "aaaa bbbb cccc", 51, {"aaaa ", "bbbb ", "cccc"}},
        // A word wider than the box breaks between characters.
        {9, "bbbbbbbbbbbb", 30, {"bbbbb", "bbbbb", "bb"}},
        // Spaces at a break stay on the line, even past the edge.
        {10, "bb    cc", 20, {"bb    ", "cc"}},
        {11, "bbb bbb\r\nbb", 30, {"bbb ", "bbb", "bb"}},
        {12, "\u00e4\u00e4 \u00e4\u00e4", 14, {"\u00e4\u00e4 ", "\u00e4\u00e4"}},
        // Narrower than one character: one character a line.
        {13, "ab", 1, {"a", "b"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        std::vector<std::string> got;
        for (const TextLine& l : LayoutLines(row.text, 8.25f, row.wrapWidth))
            got.push_back(Chars(row.text, l.start, l.length));
        EXPECT_EQ(got, row.lines);
    }
    // Positions count characters: the second line of row 12 starts at character 3, not byte 5.
    const auto lines = LayoutLines("\u00e4\u00e4 \u00e4\u00e4", 8.25f, 14);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], (TextLine{3, 2}));
    EXPECT_EQ(LineOfPosition(lines, 2), 0);
    EXPECT_EQ(LineOfPosition(lines, 3), 1);  // a caret at the wrap starts the next line
    EXPECT_EQ(LineOfPosition(lines, 5), 1);
}

TEST(TextLayoutTest, TheCaretGoesToTheNearestCharacterBoundary) {
    // "Tipp gelesen": boundaries at 0, 7, 9, 15, 21, 25, 31 ... 63 pixels.
    const std::string text = "x\r\nTipp gelesen";
    const TextLine line = LayoutLines(text, 8.25f, 0)[1];
    struct Row {
        int line;
        float x;
        int position;
    };
    const Row rows[] = {{1, -5, 3}, {2, 0, 3},  {3, 3, 3},   {4, 4, 4},
                        {5, 11, 5}, {6, 26, 8}, {7, 66, 15}, {8, 500, 15}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        const int position = PositionInLine(text, line, 8.25f, row.x);
        EXPECT_EQ(position, row.position);
        // The caret's pixel offset is the one the position was chosen by.
        EXPECT_LE(
            std::abs(OffsetInLine(text, line, 8.25f, position) - std::clamp(row.x, 0.0f, 63.0f)),
            3.5f);
    }
}

TEST(TextLayoutTest, ADoubleClickSelectsAWordWithTheSpacesAfterIt) {
    const std::string text = "Tipp gelesen, \u00fcber_all  ok";
    struct Row {
        int line;
        int position;
        const char* word;
    };
    const Row rows[] = {
        {1, 0, "Tipp "},   {2, 3, "Tipp "}, {3, 4, "Tipp "},
        {4, 8, "gelesen"}, {5, 12, ", "},   {6, 14, "\u00fcber_all  "},
        {7, 24, "ok"},     {8, 99, "ok"},   {9, -3, "Tipp "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        const auto [start, length] = WordAt(text, row.position);
        EXPECT_EQ(Chars(text, start, length), row.word);
    }
    EXPECT_EQ(WordAt("", 0), (std::pair<int, int>{0, 0}));
}

}  // namespace
}  // namespace forms
