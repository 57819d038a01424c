#pragma once
// The add-in's logo, drawn by the add-in itself: a drop beside a large "P" over a bar, on white,
// 129 x 108 pixels, as the bytes of a GIF picture.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr int kLogoWidth = 129;
inline constexpr int kLogoHeight = 108;

// The logo's pixels, row by row from the top, as indexes into its palette.
std::vector<std::uint8_t> PerlowanLogoPixels();
// The logo's palette: red, green and blue of each index the pixels use.
std::array<std::array<std::uint8_t, 3>, 8> PerlowanLogoPalette();
// The logo as a GIF89a picture (global palette of eight colours, LZW-compressed image data).
std::string PerlowanLogoGif();
