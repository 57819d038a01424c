#include "Colors.h"

#include <array>
#include <string>

#include "Debug.h"

namespace formsview {

namespace {

constexpr Rgb FromBgr(std::uint32_t bgr) {
    return {static_cast<std::uint8_t>(bgr & 0xFF), static_cast<std::uint8_t>((bgr >> 8) & 0xFF),
            static_cast<std::uint8_t>((bgr >> 16) & 0xFF)};
}

// Indexes 0..24 of the system colours (scroll bar, desktop, ..., info background).
constexpr std::array<Rgb, 25> kSystemColors{{
    {200, 200, 200},  // 0 scroll bar
    {0, 0, 0},        // 1 desktop
    {153, 180, 209},  // 2 active title
    {191, 205, 219},  // 3 inactive title
    {240, 240, 240},  // 4 menu bar
    {255, 255, 255},  // 5 window background
    {100, 100, 100},  // 6 window frame
    {0, 0, 0},        // 7 menu text
    {0, 0, 0},        // 8 window text
    {0, 0, 0},        // 9 active title text
    {180, 180, 180},  // 10 active border
    {244, 247, 252},  // 11 inactive border
    {171, 171, 171},  // 12 application workspace
    {0, 120, 215},    // 13 highlight
    {255, 255, 255},  // 14 highlight text
    {240, 240, 240},  // 15 button face
    {160, 160, 160},  // 16 button shadow
    {109, 109, 109},  // 17 grey text
    {0, 0, 0},        // 18 button text
    {0, 0, 0},        // 19 inactive title text
    {255, 255, 255},  // 20 button highlight
    {105, 105, 105},  // 21 3D dark shadow
    {227, 227, 227},  // 22 3D light
    {0, 0, 0},        // 23 tooltip text
    {255, 255, 225},  // 24 tooltip background
}};

}  // namespace

Rgb ResolveColor(forms::Color color) {
    const auto value = static_cast<std::uint32_t>(color);
    if ((value & 0x80000000u) == 0) return FromBgr(value & 0xFFFFFFu);
    const std::uint32_t index = value & 0xFFFFFFu;
    if (index < kSystemColors.size()) return kSystemColors[index];
    PERLOWAN_DEBUG("view",
                   "unknown system colour index " + std::to_string(index) + ", shown black");
    return {};
}

}  // namespace formsview
