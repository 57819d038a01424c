#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <string>

#include "LogoIcon.h"
#include "PerlowanLogo.h"
#include "PngFile.h"
#include "TestSupport.h"

namespace {

std::array<std::uint8_t, 4> PixelAt(const RgbaPicture& picture, int x, int y) {
    const std::size_t at = (static_cast<std::size_t>(y) * picture.width + x) * 4;
    return {picture.rgba[at], picture.rgba[at + 1], picture.rgba[at + 2], picture.rgba[at + 3]};
}

// Rows of the picture whose pixels are all fully transparent, counted from the top and bottom.
std::pair<int, int> TransparentMargins(const RgbaPicture& picture) {
    auto clear = [&](int y) {
        for (int x = 0; x < picture.width; ++x)
            if (PixelAt(picture, x, y)[3] != 0) return false;
        return true;
    };
    int top = 0, bottom = 0;
    while (top < picture.height && clear(top)) ++top;
    while (bottom < picture.height && clear(picture.height - 1 - bottom)) ++bottom;
    return {top, bottom};
}

// The mean of each primary colour over the opaque pixels.
std::array<double, 3> MeanColour(const RgbaPicture& picture) {
    std::array<double, 3> sum{};
    double count = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const auto pixel = PixelAt(picture, x, y);
            if (pixel[3] == 0) continue;
            for (int c = 0; c < 3; ++c) sum[c] += pixel[c];
            ++count;
        }
    for (double& s : sum) s /= count;
    return sum;
}

RgbaPicture LogoAsDrawn() {
    RgbaPicture logo{kLogoWidth, kLogoHeight, {}};
    const auto palette = PerlowanLogoPalette();
    for (std::uint8_t index : PerlowanLogoPixels()) {
        logo.rgba.insert(logo.rgba.end(), palette[index].begin(), palette[index].end());
        logo.rgba.push_back(255);
    }
    return logo;
}

TEST(LogoIcon, AtTheLogosWidthTheLogoIsCopiedCentredBetweenTransparentRows) {
    const RgbaPicture icon = LogoIcon(kLogoWidth);
    const RgbaPicture logo = LogoAsDrawn();
    ASSERT_EQ(icon.width, kLogoWidth);
    ASSERT_EQ(icon.height, kLogoWidth);
    const int top = (kLogoWidth - kLogoHeight) / 2;
    EXPECT_EQ(TransparentMargins(icon), std::make_pair(top, kLogoWidth - kLogoHeight - top));
    int differing = 0;
    for (int y = 0; y < kLogoHeight; ++y)
        for (int x = 0; x < kLogoWidth; ++x)
            differing += PixelAt(icon, x, top + y) != PixelAt(logo, x, y);
    EXPECT_EQ(differing, 0);
}

TEST(LogoIcon, ScaledIconsKeepTheLogosProportionsAndColours) {
    const auto logoMean = MeanColour(LogoAsDrawn());
    const int sizes[] = {16, 48, 64, 128, 256, 512};
    for (std::size_t i = 0; i < std::size(sizes); ++i) {
        SCOPED_TRACE("row " + std::to_string(i) + ": size " + std::to_string(sizes[i]));
        const int size = sizes[i];
        const RgbaPicture icon = LogoIcon(size);
        ASSERT_EQ(icon.rgba.size(), static_cast<std::size_t>(size) * size * 4);
        const auto [top, bottom] = TransparentMargins(icon);
        const double expectedHeight = static_cast<double>(kLogoHeight) * size / kLogoWidth;
        EXPECT_NEAR(size - top - bottom, expectedHeight, 0.5);
        EXPECT_LE(std::abs(top - bottom), 1);
        // Every pixel of the logo's area is opaque; the colours are shared out, never lost.
        for (int y = top; y < size - bottom; ++y)
            for (int x = 0; x < size; ++x) ASSERT_EQ(PixelAt(icon, x, y)[3], 255) << x << "," << y;
        const auto mean = MeanColour(icon);
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(mean[c], logoMean[c], 1.5) << "colour " << c;
    }
}

TEST(LogoIcon, SizesOutsideTheRangeAreRefused) {
    for (int size : {0, -3, 1025}) EXPECT_THROW(LogoIcon(size), std::invalid_argument) << size;
    EXPECT_EQ(LogoIcon(1).rgba.size(), 4u);
}

TEST(PngFile, APictureComesBackFromItsFileAsItWasWritten) {
    testsupport::TempFolder temp("icon-test");
    const std::string path = (temp / "icon.png").string();
    const RgbaPicture icon = LogoIcon(48);
    WritePng(path, icon);
    EXPECT_EQ(testsupport::ReadFile(path).substr(0, 8), "\x89PNG\r\n\x1a\n");
    const RgbaPicture back = ReadPng(path);
    EXPECT_EQ(back.width, 48);
    EXPECT_EQ(back.height, 48);
    EXPECT_EQ(back.rgba, icon.rgba);
}

TEST(PngFile, FailuresNameTheFile) {
    testsupport::TempFolder temp("icon-test");
    const std::string noFolder = (temp / "missing" / "icon.png").string();
    const std::string notPng = (temp / "text.png").string();
    testsupport::WriteFile(notPng, "not a picture");
    auto messageOf = [](const auto& call) -> std::string {
        try {
            call();
        } catch (const std::runtime_error& e) {
            return e.what();
        }
        return "no error";
    };
    EXPECT_NE(messageOf([&] { WritePng(noFolder, LogoIcon(16)); }).find(noFolder),
              std::string::npos);
    EXPECT_NE(messageOf([&] { ReadPng(notPng); }).find(notPng), std::string::npos);
    EXPECT_NE(messageOf([&] {
                  WritePng(notPng, RgbaPicture{2, 2, {1, 2, 3}});
              }).find("size"),
              std::string::npos);
}

}  // namespace
