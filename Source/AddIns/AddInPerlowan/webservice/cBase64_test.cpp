#include "cBase64.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "CodePage.h"
#include "RuntimeError_test.h"

namespace {

// A plain bit-by-bit coder to compare against: every byte contributes eight bits, every six bits
// one character.
std::string ReferenceEncode(const std::string& bytes) {
    static const std::string alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bits;
    for (const char c : bytes)
        for (int b = 7; b >= 0; --b) bits += ((static_cast<unsigned char>(c) >> b) & 1) ? '1' : '0';
    while (bits.size() % 6 != 0) bits += '0';
    std::string out;
    for (std::size_t i = 0; i < bits.size(); i += 6)
        out += alphabet[std::stoi(bits.substr(i, 6), nullptr, 2)];
    while (out.size() % 4 != 0) out += '=';
    return out;
}

// The matching bit-by-bit decoder for texts of whole groups of four: characters outside the
// alphabet count as 0; a closing "==" leaves one byte of the last group, a closing "=" two.
std::string ReferenceDecode(const std::string& text) {
    static const std::string alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const std::size_t n = text.size();
    std::size_t lastGroupBytes = 3;
    if (n >= 4 && text[n - 1] == '=') lastGroupBytes = text[n - 2] == '=' ? 1 : 2;
    std::string out;
    for (std::size_t group = 0; group < n; group += 4) {
        std::string bits;
        for (std::size_t i = group; i < group + 4; ++i) {
            const std::size_t value = alphabet.find(text[i]);
            for (int b = 5; b >= 0; --b)
                bits += value != std::string::npos && ((value >> b) & 1) ? '1' : '0';
        }
        const std::size_t bytes = group + 4 == n ? lastGroupBytes : 3;
        for (std::size_t k = 0; k < bytes; ++k)
            out += static_cast<char>(std::stoi(bits.substr(8 * k, 8), nullptr, 2));
    }
    return out;
}

std::vector<std::uint8_t> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

int DecodeError(std::string text) {
    return rt::testing::ErrorOf([&] { cBase64().Decode(text); });
}

TEST(cBase64, EncodesTheRfcExamples) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    cBase64 coder;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        std::string text = rows[i].first;
        EXPECT_EQ(coder.Encode(text), rows[i].second);
        EXPECT_EQ(coder.EncodeBytes(Bytes(rows[i].first)), rows[i].second);
        std::string encoded = rows[i].second;
        EXPECT_EQ(coder.Decode(encoded), rows[i].first);
        EXPECT_EQ(text, rows[i].first) << "the argument stays as it was";
    }
}

TEST(cBase64, AgreesWithTheReferenceForEveryByteAndLength) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    // Lengths around the coder's internal strides, at every offset of the byte range.
    cBase64 coder;
    for (std::size_t length = 0; length <= 40; ++length) {
        for (std::size_t offset = 0; offset + length <= all.size(); offset += 37) {
            SCOPED_TRACE("length " + std::to_string(length) + " offset " + std::to_string(offset));
            const std::string bytes = all.substr(offset, length);
            ASSERT_EQ(coder.EncodeBytes(Bytes(bytes)), ReferenceEncode(bytes));
        }
    }
    EXPECT_EQ(coder.EncodeBytes(Bytes(all)), ReferenceEncode(all));
}

TEST(cBase64, TextsGoThroughTheEightBitCodePageAndComeBack) {
    std::string codePage;
    for (int b = 0; b < 256; ++b) codePage += static_cast<char>(b);
    // Runs long enough to span many thousand decoded bytes each: ASCII only, then umlauts and
    // three-byte characters, then ASCII again, in every order.
    const std::string ascii(10000, 'x');
    std::string wide;
    while (wide.size() < 10000) wide += "ä€ß„x";
    struct Row {
        std::string text, encoded;  // encoded "": not compared
    };
    std::vector<Row> rows = {
        {"äöü", "5Pb8"},  // E4 F6 FC
        {"€", "gA=="},    // 80
        {"ÿ", "/w=="},    // FF
        {"a", ""},
        {"ab", ""},
        {"abc", ""},
        {"Grüße aus Köln", ""},
        {"€‚ƒ„…", ""},
        {ascii + wide, ""},
        {wide + ascii, ""},
        {ascii + wide + ascii, ""},
        {wide + ascii + wide, ""},
        {ascii + "é", ""},
        {"é" + ascii, ""},
    };
    for (std::size_t length : {1u, 2u, 3u, 100u, 256u})
        rows.push_back({rt::Win1252ToUtf8(codePage.substr(0, length)), ""});
    cBase64 coder;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        std::string text = rows[i].text;
        std::string encoded = coder.Encode(text);
        if (!rows[i].encoded.empty()) {
            EXPECT_EQ(encoded, rows[i].encoded);
        }
        EXPECT_EQ(encoded.size() % 4, 0u);
        EXPECT_TRUE(coder.Decode(encoded) == rows[i].text);
    }
    std::string missing = "Ω";  // not in the code page: "?"
    EXPECT_EQ(coder.Encode(missing), "Pw==");
}

TEST(cBase64, DecodeDoesNotValidate) {
    struct Row {
        std::string input;
        std::string bytes;  // the result as 8-bit bytes
    };
    const std::vector<Row> rows = {
        {"!!!!", std::string(3, '\0')},  // outside the alphabet: 0
        {"AAAA", std::string(3, '\0')},
        {"A", std::string(1, '\0')},  // short: zero bytes computed from nothing
        {"AB", std::string(2, '\0')},
        {"ABC", std::string(2, '\0')},
        {"Zm9v====", std::string("foo\0", 4)},  // "==" at the end: one byte from "=="
        {"Zm9vYä==", "foo`"},  // groups counted in the code page, where "ä" is one byte
    };
    cBase64 coder;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        std::string input = rows[i].input;
        EXPECT_EQ(coder.Decode(input), rt::Win1252ToUtf8(rows[i].bytes));
    }
}

TEST(cBase64, DecodeRaisesNineWhenTheGroupsReachPastTheEnd) {
    const std::vector<std::string> rows = {
        "=",             // no byte before the "="
        "==",            // the last group would start before the text
        "Zg=",           // likewise
        "Zm9vY",         // the second group reads past the end
        "Zm9vYg==x",     // a third group past the end
        "Zm9v\r\nYg==",  // line breaks are not skipped; the groups outgrow the result
        "Zm9vä",         // five characters in the code page
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        EXPECT_EQ(DecodeError(rows[i]), rt::err::SubscriptOutOfRange);
    }
    EXPECT_EQ(DecodeError("Zm9vYmFy"), 0);
}

TEST(cBase64, DecodeAgreesWithTheReferenceOnRandomTextsWithStrayCharacters) {
    // Random bytes encoded, then some characters replaced by any byte of the code page, so that
    // blocks of groups with and without characters outside the alphabet mix at every position.
    std::mt19937 random(20261205);
    const auto randomBytes = [&](std::size_t n) {
        std::vector<std::uint8_t> bytes(n);
        for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
        return bytes;
    };
    std::vector<std::size_t> byteCounts;
    for (std::size_t n = 0; n <= 225; ++n) byteCounts.push_back(n);  // up to 300 characters
    for (std::size_t n : {3071u, 3072u, 3073u, 10000u, 10001u, 10002u, 24577u})
        byteCounts.push_back(n);
    cBase64 coder;
    int row = 0;
    for (const std::size_t count : byteCounts) {
        const std::vector<std::uint8_t> bytes = randomBytes(count);
        const std::string clean = coder.EncodeBytes(bytes);
        for (const std::size_t strays : {std::size_t{0}, std::size_t{1}, std::size_t{3},
                                         clean.size() / 40 + 1, clean.size()}) {
            SCOPED_TRACE("row " + std::to_string(++row) + ": " + std::to_string(count) +
                         " bytes, " + std::to_string(strays) + " stray characters");
            std::string text = clean;
            for (std::size_t k = 0; k < strays && !text.empty(); ++k)
                text[random() % text.size()] = static_cast<char>(random());
            std::string input = rt::Win1252ToUtf8(text);
            const std::string decoded = coder.Decode(input);
            ASSERT_TRUE(decoded == rt::Win1252ToUtf8(ReferenceDecode(text)));
            if (strays == 0) {
                ASSERT_TRUE(decoded == rt::Win1252ToUtf8(std::string(bytes.begin(), bytes.end())));
            }
        }
    }
}

TEST(cBase64, DecodeReadsEveryCharacterAtEveryPlaceOfABlock) {
    // Each byte of the code page at each of 40 places in a text of ten groups.
    cBase64 coder;
    for (int c = 0; c < 256; ++c) {
        for (std::size_t place = 0; place < 40; ++place) {
            std::string text(40, 'B');
            text[place] = static_cast<char>(c);
            if (text.back() == '=') continue;  // a closing "=" shortens the result instead
            SCOPED_TRACE("character " + std::to_string(c) + " at " + std::to_string(place));
            std::string input = rt::Win1252ToUtf8(text);
            ASSERT_TRUE(coder.Decode(input) == rt::Win1252ToUtf8(ReferenceDecode(text)));
        }
    }
}

}  // namespace
