#include "cBase64.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CodePage.h"
#include "RuntimeError.h"

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

std::vector<std::uint8_t> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

int DecodeError(const std::string& input) {
    cBase64 coder;
    std::string text = input;
    try {
        coder.Decode(text);
    } catch (const rt::RuntimeError& e) {
        return e.Number();
    }
    return 0;
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

TEST(cBase64, TextsGoThroughTheEightBitCodePage) {
    struct Row {
        std::string text, encoded;
    };
    const std::vector<Row> rows = {
        {"äöü", "5Pb8"},  // E4 F6 FC
        {"€", "gA=="},    // 80
        {"Ω", "Pw=="},    // not in the code page: "?"
        {"ÿ", "/w=="},    // FF
    };
    cBase64 coder;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        std::string text = rows[i].text;
        EXPECT_EQ(coder.Encode(text), rows[i].encoded);
    }
    std::string umlauts = "5Pb8";
    EXPECT_EQ(coder.Decode(umlauts), "äöü");
}

TEST(cBase64, DecodeGivesEveryTextOfTheCodePageBack) {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    std::string text = rt::Win1252ToUtf8(bytes);
    cBase64 coder;
    for (std::size_t length :
         {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{100}, text.size()}) {
        SCOPED_TRACE("characters " + std::to_string(length));
        std::string piece = rt::Win1252ToUtf8(bytes.substr(0, std::min<std::size_t>(length, 256)));
        std::string encoded = coder.Encode(piece);
        EXPECT_EQ(coder.Decode(encoded), piece);
    }
    const std::vector<std::string> samples = {"a", "ab", "abc", "Grüße aus Köln", "€‚ƒ„…"};
    for (std::size_t i = 0; i < samples.size(); ++i) {
        SCOPED_TRACE("sample " + std::to_string(i));
        std::string sample = samples[i];
        std::string encoded = coder.Encode(sample);
        EXPECT_EQ(encoded.size() % 4, 0u);
        EXPECT_EQ(coder.Decode(encoded), sample);
    }
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
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        EXPECT_EQ(DecodeError(rows[i]), rt::err::SubscriptOutOfRange);
    }
    EXPECT_EQ(DecodeError("Zm9vYmFy"), 0);
}

TEST(cBase64, LongTextsRoundTripWhereAsciiAndOtherCharactersAlternate) {
    // Runs long enough to span many thousand decoded bytes each: ASCII only, then umlauts and
    // three-byte characters, then ASCII again, in every order.
    const std::string ascii(10000, 'x');
    std::string wide;
    while (wide.size() < 10000) wide += "ä€ß„x";
    const std::vector<std::string> rows = {
        ascii + wide,        wide + ascii, ascii + wide + ascii,
        wide + ascii + wide, ascii + "é",  "é" + ascii,
    };
    cBase64 coder;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        std::string text = rows[i];
        std::string encoded = coder.Encode(text);
        const std::string decoded = coder.Decode(encoded);
        EXPECT_EQ(decoded.size(), text.size());
        EXPECT_TRUE(decoded == text);
    }
}

TEST(cBase64, LargeInputsRoundTrip) {
    std::vector<std::uint8_t> bytes(1 << 20);
    std::uint32_t seed = 12345;
    for (auto& b : bytes) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(seed >> 16);
    }
    cBase64 coder;
    std::string encoded = coder.EncodeBytes(bytes);
    ASSERT_EQ(encoded.size(), (bytes.size() + 2) / 3 * 4);
    EXPECT_EQ(encoded.find_first_of("\r\n"), std::string::npos);
    const std::string decoded = rt::Utf8ToWin1252(coder.Decode(encoded));
    EXPECT_TRUE(decoded == std::string(bytes.begin(), bytes.end()));
}

}  // namespace
