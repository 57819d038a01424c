#pragma once
// The application icon, drawn from the add-in's logo: a square picture with the logo scaled to
// its width and centred, transparent above and below it.
#include <cstdint>
#include <vector>

struct RgbaPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // row by row from the top, four bytes a pixel
};

// The icon of `size` x `size` pixels (1 to 1024). Each pixel of the logo's area is the mean of
// the logo's pixels it covers, weighted by how much of each it covers; at the logo's own width
// the logo's pixels are copied as they are. Throws std::invalid_argument for another size.
RgbaPicture LogoIcon(int size);
