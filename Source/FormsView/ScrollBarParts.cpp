#include "ScrollBarParts.h"

#include <algorithm>
#include <cmath>

namespace formsview {

ScrollBarParts::ScrollBarParts(int length, int thickness, int min, int max, int value)
    : length_(length), min_(min), max_(max) {
    arrow = std::min(thickness, length / 2);
    const int track = std::max(0, length - 2 * arrow);
    thumbLength = std::min(track, std::max(8, thickness));
    const int span = max - min;
    const int travel = track - thumbLength;
    const double fraction = span == 0 ? 0.0 : static_cast<double>(value - min) / span;
    thumbStart = arrow + static_cast<int>(std::lround(std::clamp(fraction, 0.0, 1.0) * travel));
}

ScrollPart ScrollBarParts::PartAt(int position) const {
    if (position < 0 || position >= length_) return ScrollPart::Outside;
    if (position < arrow) return ScrollPart::LineUp;
    if (position >= length_ - arrow) return ScrollPart::LineDown;
    if (thumbLength == 0) return ScrollPart::Outside;
    if (position < thumbStart) return ScrollPart::PageUp;
    if (position >= thumbStart + thumbLength) return ScrollPart::PageDown;
    return ScrollPart::Thumb;
}

int ScrollBarParts::ValueAt(int thumbStartPosition) const {
    const int travel = length_ - 2 * arrow - thumbLength;
    if (travel <= 0) return min_;
    const double fraction =
        std::clamp(static_cast<double>(thumbStartPosition - arrow) / travel, 0.0, 1.0);
    return min_ + static_cast<int>(std::lround(fraction * (max_ - min_)));
}

}  // namespace formsview
