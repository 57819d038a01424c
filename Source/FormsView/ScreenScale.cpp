#include "ScreenScale.h"

#include <cmath>

namespace formsview {

namespace {
constexpr float kModelDpi = 96.0f;
}

ScreenScale::ScreenScale(float dpi) : dpi_(dpi >= 48.0f && dpi <= 480.0f ? dpi : kModelDpi) {}

int ScreenScale::ToScreen(float modelPixels) const {
    return static_cast<int>(std::lround(modelPixels * dpi_ / kModelDpi));
}

float ScreenScale::ToModel(int screenPixels) const {
    return static_cast<float>(screenPixels) * kModelDpi / dpi_;
}

int ScreenScale::TwipsToPixels(float twips) const {
    return static_cast<int>(std::lround(twips / TwipsPerPixel()));
}

float ScreenScale::PixelsToTwips(int pixels) const {
    return static_cast<float>(pixels) * TwipsPerPixel();
}

int ScreenScale::ModelFontPixels(float points) {
    return static_cast<int>(std::lround(points * kModelDpi / 72.0f));
}

int ScreenScale::FontPixels(float points) const {
    return static_cast<int>(std::lround(points * dpi_ / 72.0f));
}

}  // namespace formsview
