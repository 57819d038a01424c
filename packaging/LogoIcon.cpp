#include "LogoIcon.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "PerlowanLogo.h"

namespace {

struct Share {
    int source;
    double weight;  // the part of the target pixel that this source pixel covers
};

// For each of `targets` pixels along one axis, the source pixels of `sources` it covers.
std::vector<std::vector<Share>> Shares(int sources, int targets) {
    std::vector<std::vector<Share>> shares(static_cast<std::size_t>(targets));
    const double step = static_cast<double>(sources) / targets;
    for (int t = 0; t < targets; ++t) {
        const double from = t * step, to = (t + 1) * step;
        for (int s = static_cast<int>(std::floor(from)); s < sources && s < to; ++s) {
            const double covered = std::min<double>(s + 1, to) - std::max<double>(s, from);
            if (covered > 0) shares[static_cast<std::size_t>(t)].push_back({s, covered / step});
        }
    }
    return shares;
}

}  // namespace

RgbaPicture LogoIcon(int size) {
    if (size < 1 || size > 1024)
        throw std::invalid_argument("icon size " + std::to_string(size) + " is not 1 to 1024");
    RgbaPicture icon{size, size,
                     std::vector<std::uint8_t>(static_cast<std::size_t>(size) * size * 4)};
    const int height = std::max(
        1, static_cast<int>(std::lround(static_cast<double>(kLogoHeight) * size / kLogoWidth)));
    const int top = (size - height) / 2;
    const auto pixels = PerlowanLogoPixels();
    const auto palette = PerlowanLogoPalette();
    const auto across = Shares(kLogoWidth, size), down = Shares(kLogoHeight, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < size; ++x) {
            double mean[3] = {0, 0, 0};
            for (const Share& row : down[static_cast<std::size_t>(y)])
                for (const Share& column : across[static_cast<std::size_t>(x)]) {
                    const auto& rgb = palette[pixels[static_cast<std::size_t>(
                        row.source * kLogoWidth + column.source)]];
                    for (int c = 0; c < 3; ++c) mean[c] += rgb[c] * row.weight * column.weight;
                }
            std::uint8_t* out = &icon.rgba[(static_cast<std::size_t>(top + y) * size +
                                            static_cast<std::size_t>(x)) *
                                           4];
            for (int c = 0; c < 3; ++c)
                out[c] = static_cast<std::uint8_t>(std::clamp(std::lround(mean[c]), 0L, 255L));
            out[3] = 255;
        }
    return icon;
}
