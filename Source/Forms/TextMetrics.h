#pragma once
// Text measuring behind one interface: without a screen a deterministic width table of the
// default font stands in; the view installs real metrics (rt::ScopedRole or Role::Install).
#include <string_view>

#include "Role.h"

namespace forms {

class TextMetrics {
  public:
    virtual ~TextMetrics() = default;
    // Width of a UTF-8 text in pixels at the font size (points).
    virtual float TextWidth(std::string_view text, float fontSize) = 0;
    // Height of a line in pixels at the font size.
    virtual float TextHeight(float fontSize) = 0;
};

}  // namespace forms

PERLOWAN_DECLARE_ROLE(forms::TextMetrics);

namespace forms {

inline TextMetrics& Metrics() {
    return rt::Role<TextMetrics>::Get();
}

// The headless table: each character has a fixed width at 8.25 points, scaled linearly with the
// size; characters outside ASCII count as 6 pixels.
class TableTextMetrics : public TextMetrics {
  public:
    float TextWidth(std::string_view text, float fontSize) override;
    float TextHeight(float fontSize) override;
    // Width of one character at 8.25 points.
    static int CharWidth(char32_t c);
};

}  // namespace forms
