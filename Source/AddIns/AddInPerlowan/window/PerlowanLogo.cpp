#include "PerlowanLogo.h"

#include <array>
#include <cmath>
#include <map>
#include <utility>

namespace {

// Palette indexes; the palette has eight entries, the last three unused.
enum Colour : std::uint8_t { White, DarkBlue, LightBlue, Red, Grey };

constexpr std::array<std::array<std::uint8_t, 3>, 8> kPalette{{{255, 255, 255},
                                                               {31, 78, 121},
                                                               {91, 155, 213},
                                                               {200, 40, 50},
                                                               {160, 160, 160},
                                                               {0, 0, 0},
                                                               {0, 0, 0},
                                                               {0, 0, 0}}};
constexpr int kMinCodeSize = 3;  // eight colours

class Canvas {
  public:
    Canvas() : pixels_(static_cast<std::size_t>(kLogoWidth * kLogoHeight), White) {}
    void Set(int x, int y, std::uint8_t colour) {
        if (x >= 0 && x < kLogoWidth && y >= 0 && y < kLogoHeight)
            pixels_[static_cast<std::size_t>(y * kLogoWidth + x)] = colour;
    }
    void Rectangle(int left, int top, int right, int bottom, std::uint8_t colour) {
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) Set(x, y, colour);
    }
    // A ring between two radii around (cx, cy), only its right half when `rightHalf`.
    void Ring(double cx, double cy, double inner, double outer, bool rightHalf,
              std::uint8_t colour) {
        for (int y = 0; y < kLogoHeight; ++y)
            for (int x = 0; x < kLogoWidth; ++x) {
                const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                if (d >= inner && d < outer && (!rightHalf || x + 0.5 >= cx)) Set(x, y, colour);
            }
    }
    std::vector<std::uint8_t> Take() { return std::move(pixels_); }

  private:
    std::vector<std::uint8_t> pixels_;
};

// Codes of a variable width, packed from the lowest bit, cut into sub-blocks of at most 255.
class CodeWriter {
  public:
    void Write(int code, int width) {
        bits_ |= static_cast<std::uint32_t>(code) << count_;
        count_ += width;
        while (count_ >= 8) {
            bytes_.push_back(static_cast<char>(bits_ & 0xFF));
            bits_ >>= 8;
            count_ -= 8;
        }
    }
    std::string Blocks() {
        if (count_ > 0) bytes_.push_back(static_cast<char>(bits_ & 0xFF));
        std::string out;
        for (std::size_t at = 0; at < bytes_.size(); at += 255) {
            const std::size_t size = std::min<std::size_t>(255, bytes_.size() - at);
            out += static_cast<char>(size);
            out.append(bytes_, at, size);
        }
        return out + '\0';
    }

  private:
    std::string bytes_;
    std::uint32_t bits_ = 0;
    int count_ = 0;
};

std::string Lzw(const std::vector<std::uint8_t>& pixels) {
    const int clear = 1 << kMinCodeSize, end = clear + 1;
    CodeWriter out;
    std::map<std::pair<int, std::uint8_t>, int> table;
    int next = end + 1, width = kMinCodeSize + 1;
    out.Write(clear, width);
    int prefix = pixels.front();
    for (std::size_t i = 1; i < pixels.size(); ++i) {
        const auto found = table.find({prefix, pixels[i]});
        if (found != table.end()) {
            prefix = found->second;
            continue;
        }
        out.Write(prefix, width);
        if (next < 4095) {
            table.emplace(std::pair{prefix, pixels[i]}, next++);
            if (next > (1 << width) && width < 12) ++width;
        } else {
            out.Write(clear, width);
            table.clear();
            next = end + 1;
            width = kMinCodeSize + 1;
        }
        prefix = pixels[i];
    }
    out.Write(prefix, width);
    out.Write(end, width);
    return out.Blocks();
}

void Little16(std::string& out, int value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8 & 0xFF);
}

}  // namespace

std::vector<std::uint8_t> PerlowanLogoPixels() {
    Canvas c;
    // A drop: a circle and the triangle above it that narrows to its tip.
    const double cx = 34, cy = 62, r = 20, tipY = 16;
    for (int y = 0; y < kLogoHeight; ++y)
        for (int x = 0; x < kLogoWidth; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const bool inCircle = std::hypot(px - cx, py - cy) < r;
            const double halfWidth = (py - tipY) / (cy - tipY) * r * 0.93;
            const bool inCone = py >= tipY && py <= cy && std::fabs(px - cx) < halfWidth;
            if (inCircle || inCone) c.Set(x, y, Red);
        }
    c.Ring(cx - 7, cy + 2, 0, 5, false, White);  // its shine
    // The "P": a stem and a bowl.
    c.Rectangle(66, 16, 78, 86, DarkBlue);
    c.Rectangle(66, 16, 90, 27, DarkBlue);
    c.Rectangle(66, 51, 90, 62, DarkBlue);
    c.Ring(90, 39, 12, 23, true, DarkBlue);
    // The bar below, with a grey edge.
    c.Rectangle(8, 94, 121, 100, LightBlue);
    c.Rectangle(8, 100, 121, 101, Grey);
    return c.Take();
}

std::array<std::array<std::uint8_t, 3>, 8> PerlowanLogoPalette() {
    return kPalette;
}

std::string PerlowanLogoGif() {
    std::string gif = "GIF89a";
    Little16(gif, kLogoWidth);
    Little16(gif, kLogoHeight);
    // A global palette of 2^(2+1) colours, 8 bits per primary colour.
    gif += static_cast<char>(0x80 | 0x70 | (kMinCodeSize - 1));
    gif += '\0';  // background colour
    gif += '\0';  // square pixels
    for (const auto& rgb : kPalette)
        for (std::uint8_t v : rgb) gif += static_cast<char>(v);
    gif += ',';  // image descriptor: the whole picture, no local palette, not interlaced
    Little16(gif, 0);
    Little16(gif, 0);
    Little16(gif, kLogoWidth);
    Little16(gif, kLogoHeight);
    gif += '\0';
    gif += static_cast<char>(kMinCodeSize);
    gif += Lzw(PerlowanLogoPixels());
    gif += ';';
    return gif;
}
