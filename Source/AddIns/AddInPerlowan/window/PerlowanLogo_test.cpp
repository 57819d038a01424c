#include "PerlowanLogo.h"

#include <gtest/gtest.h>

#include <set>

#include "Image.h"

namespace {

// A GIF decoder for one image with a global palette, written from the format's rules: it
// checks the header and gives back the colour indexes of the pixels.
struct Decoded {
    int width = 0, height = 0, colours = 0;
    std::vector<std::uint8_t> pixels;
};

Decoded DecodeGif(const std::string& gif) {
    Decoded out;
    auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(gif.at(i)); };
    EXPECT_EQ(gif.substr(0, 6), "GIF89a");
    out.width = byte(6) | byte(7) << 8;
    out.height = byte(8) | byte(9) << 8;
    const std::uint8_t flags = byte(10);
    EXPECT_TRUE(flags & 0x80);  // a global palette
    out.colours = 2 << (flags & 7);
    std::size_t at = 13 + 3 * static_cast<std::size_t>(out.colours);
    EXPECT_EQ(gif.at(at), ',');
    EXPECT_EQ(byte(at + 9), 0);  // no local palette, not interlaced
    at += 10;
    const int minCodeSize = byte(at++);
    std::string data;
    for (std::size_t size = byte(at++); size != 0; size = byte(at++)) {
        data += gif.substr(at, size);
        at += size;
    }
    EXPECT_EQ(gif.at(at), ';');
    EXPECT_EQ(at + 1, gif.size());

    const int clear = 1 << minCodeSize, end = clear + 1;
    std::vector<std::vector<std::uint8_t>> table;
    auto reset = [&] {
        table.clear();
        for (int i = 0; i < clear + 2; ++i) table.push_back({static_cast<std::uint8_t>(i)});
    };
    reset();
    int width = minCodeSize + 1, previous = -1;
    std::size_t bit = 0;
    while (true) {
        int code = 0;
        for (int b = 0; b < width; ++b, ++bit)
            code |= ((static_cast<std::uint8_t>(data.at(bit / 8)) >> (bit % 8)) & 1) << b;
        if (code == clear) {
            reset();
            width = minCodeSize + 1;
            previous = -1;
            continue;
        }
        if (code == end) break;
        std::vector<std::uint8_t> entry;
        if (code < static_cast<int>(table.size())) {
            entry = table[static_cast<std::size_t>(code)];
        } else {
            EXPECT_EQ(code, static_cast<int>(table.size()));
            entry = table.at(static_cast<std::size_t>(previous));
            entry.push_back(entry.front());
        }
        if (previous >= 0 && table.size() < 4096) {
            auto added = table[static_cast<std::size_t>(previous)];
            added.push_back(entry.front());
            table.push_back(added);
            if (static_cast<int>(table.size()) == (1 << width) && width < 12) ++width;
        }
        out.pixels.insert(out.pixels.end(), entry.begin(), entry.end());
        previous = code;
    }
    return out;
}

TEST(PerlowanLogo, AGifOfItsNaturalSizeWhosePixelsDecodeBack) {
    const std::string gif = PerlowanLogoGif();
    const Decoded decoded = DecodeGif(gif);
    EXPECT_EQ(decoded.width, 129);
    EXPECT_EQ(decoded.height, 108);
    EXPECT_EQ(decoded.colours, 8);
    EXPECT_EQ(decoded.pixels, PerlowanLogoPixels());
    // A picture, not a blank: several colours, the corners white.
    const auto pixels = PerlowanLogoPixels();
    EXPECT_GE(std::set<std::uint8_t>(pixels.begin(), pixels.end()).size(), 4u);
    EXPECT_EQ(pixels.front(), 0);
    EXPECT_EQ(pixels.back(), 0);
    // Compressed: far below one byte a pixel.
    EXPECT_LT(gif.size(), pixels.size() / 3);
    const forms::Picture picture = forms::LoadPictureBytes(gif);
    EXPECT_EQ(picture.widthPixels, 129);
    EXPECT_EQ(picture.heightPixels, 108);
}

}  // namespace
