#include "cStringBuilder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RuntimeError_test.h"

namespace {

int ByteCharError(const cStringBuilder& builder, std::int32_t index) {
    return rt::testing::ErrorOf([&] { builder.ByteChar(index); });
}

TEST(cStringBuilder, ANewBuilderHoldsNothingInItsKilobyte) {
    cStringBuilder builder;
    EXPECT_EQ(builder.NumChars(), 0);
    EXPECT_EQ(builder.ToString(), "");
    EXPECT_EQ(builder.ByteChar(0), 0);
    EXPECT_EQ(builder.ByteChar(1023), 0);
    EXPECT_EQ(ByteCharError(builder, 1024), rt::err::SubscriptOutOfRange);
    EXPECT_EQ(ByteCharError(builder, -1), rt::err::SubscriptOutOfRange);
    builder.Add("");
    EXPECT_EQ(builder.NumChars(), 0);
    EXPECT_EQ(ByteCharError(builder, 1024), rt::err::SubscriptOutOfRange);
}

TEST(cStringBuilder, CountsBytesOfUtf16) {
    struct Row {
        std::vector<std::string> pieces;
        std::int32_t numChars;
        std::vector<std::uint8_t> firstBytes;
    };
    const std::vector<Row> rows = {
        {{"abc"}, 6, {'a', 0, 'b', 0, 'c', 0, 0, 0}},
        {{"ä", "€"}, 4, {0xE4, 0, 0xAC, 0x20, 0, 0}},
        {{"😀"}, 4, {0x3D, 0xD8, 0x00, 0xDE, 0, 0}},  // a surrogate pair
        {{"", "x", ""}, 2, {'x', 0, 0}},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        cStringBuilder builder;
        std::string joined;
        for (const auto& piece : rows[i].pieces) {
            builder.Add(piece);
            joined += piece;
        }
        EXPECT_EQ(builder.NumChars(), rows[i].numChars);
        EXPECT_EQ(builder.ToString(), joined);
        for (std::size_t b = 0; b < rows[i].firstBytes.size(); ++b)
            EXPECT_EQ(builder.ByteChar(static_cast<std::int32_t>(b)), rows[i].firstBytes[b])
                << "byte " << b;
    }
}

TEST(cStringBuilder, GrowsOnlyWhenTheTextDoesNotFit) {
    cStringBuilder builder;
    builder.Add(std::string(512, 'a'));
    EXPECT_EQ(builder.NumChars(), 1024);
    EXPECT_EQ(builder.ByteChar(1022), 'a');
    EXPECT_EQ(ByteCharError(builder, 1024), rt::err::SubscriptOutOfRange) << "filled exactly";

    builder.Add("xy");  // 4 bytes: the buffer becomes 1024 + 4 + 1024
    EXPECT_EQ(builder.NumChars(), 1028);
    EXPECT_EQ(builder.ByteChar(1024), 'x');
    EXPECT_EQ(builder.ByteChar(2051), 0);
    EXPECT_EQ(ByteCharError(builder, 2052), rt::err::SubscriptOutOfRange);

    builder.Add(std::string(511, 'b'));  // 1022 bytes still fit into the 1024 spare ones
    EXPECT_EQ(builder.NumChars(), 2050);
    EXPECT_EQ(ByteCharError(builder, 2052), rt::err::SubscriptOutOfRange);

    cStringBuilder big;
    big.Add(std::string(600, 'c'));  // 1200 bytes on a new builder: 0 + 1200 + 1024
    EXPECT_EQ(big.ByteChar(2223), 0);
    EXPECT_EQ(ByteCharError(big, 2224), rt::err::SubscriptOutOfRange);
}

TEST(cStringBuilder, KeepsManyPiecesInOrder) {
    cStringBuilder builder;
    std::string expected;
    for (int i = 0; i < 20000; ++i) {
        const std::string piece = std::to_string(i) + (i % 7 == 0 ? "ü" : ",");
        builder.Add(piece);
        expected += piece;
    }
    EXPECT_EQ(builder.ToString(), expected);
}

}  // namespace
