#include "CodePage.h"

#include <gtest/gtest.h>

namespace {

TEST(CodePage, EveryWin1252ByteRoundTripsThroughUtf8) {
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        const std::string byte(1, static_cast<char>(b));
        const std::string utf8 = rt::Win1252ToUtf8(byte);
        EXPECT_EQ(rt::Utf8ToWin1252(utf8), byte);
    }
}

TEST(CodePage, UndefinedBytesMapToC1Controls) {
    for (const unsigned char b : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        SCOPED_TRACE(int(b));
        EXPECT_EQ(rt::Win1252ToUnicode(b), char32_t(b));
    }
    EXPECT_EQ(rt::Win1252ToUtf8("\x80"), "\u20AC");
    EXPECT_EQ(rt::Win1252ToUtf8("\x8A\x9A\xE4\xDF"), "Šš\u00E4\u00DF");
}

TEST(CodePage, UnrepresentableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(rt::Utf8ToWin1252("a\u0416b\U0001F600c"), "a?b?c");
    // A malformed byte is one character that the code page cannot take.
    EXPECT_EQ(rt::Utf8ToWin1252(std::string("x\xC3", 2)), "x?");
    EXPECT_EQ(rt::Utf8ToWin1252(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(CodePage, Utf16LeRoundTripIncludingSurrogatePairs) {
    const std::string text = "Grüße \u20AC \U0001F600";
    const std::string utf16 = rt::Utf8ToUtf16Le(text);
    EXPECT_EQ(utf16.size(), 2u * (6 + 1 + 1 + 2));
    EXPECT_EQ(rt::Utf16LeToUtf8(utf16), text);
    // A lone surrogate and an odd trailing byte do not break the conversion.
    EXPECT_EQ(rt::Utf16LeToUtf8(std::string("\x00\xD8"
                                            "A\x00"
                                            "Z",
                                            5)),
              "\uFFFDA");
}

TEST(CodePage, CharCountCountsCodePointsAndMalformedBytes) {
    EXPECT_EQ(rt::CharCount(""), 0u);
    EXPECT_EQ(rt::CharCount("Ä€\U0001F600"), 3u);
    EXPECT_EQ(rt::CharCount(std::string("\xE2\x82", 2)), 2u);
}

}  // namespace
