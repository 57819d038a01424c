#include "TextMetrics.h"

#include <cmath>
#include <memory>
#include <string_view>

#include "CodePage.h"

namespace forms {

int TableTextMetrics::CharWidth(char32_t c) {
    static constexpr std::string_view narrow = "il.,:;'|!Ij";
    static constexpr std::string_view half = "ftr()[]{}-\"` ";
    static constexpr std::string_view wide = "mwMW@%";
    if (c >= 0x80) return 6;
    const char ch = static_cast<char>(c);
    if (c < 0x20) return 0;
    if (narrow.find(ch) != std::string_view::npos) return 2;
    if (half.find(ch) != std::string_view::npos) return 4;
    if (wide.find(ch) != std::string_view::npos) return 10;
    if (ch >= 'A' && ch <= 'Z') return 7;
    return 6;
}

float TableTextMetrics::TextWidth(std::string_view text, float fontSize) {
    float total = 0;
    for (std::size_t pos = 0; pos < text.size();)
        total += static_cast<float>(CharWidth(rt::DecodeUtf8(text, pos)));
    return total * fontSize / 8.25f;
}

float TableTextMetrics::TextHeight(float fontSize) {
    return std::ceil(13.0f * fontSize / 8.25f);
}

}  // namespace forms

template <>
std::shared_ptr<forms::TextMetrics> rt::MakeDefaultRole<forms::TextMetrics>() {
    return std::make_shared<forms::TableTextMetrics>();
}

PERLOWAN_DEFINE_ROLE(forms::TextMetrics);
