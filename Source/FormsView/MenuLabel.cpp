#include "MenuLabel.h"

namespace formsview {

std::string EscapeMenuPathElement(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 4);
    for (char c : text) {
        if (c == '/' || c == '|' || c == '\\') out += '\\';
        if (c == '&') out += '&';
        out += c;
    }
    return out;
}

std::string EscapeMenuItemLabel(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    for (char c : text) {
        if (c == '&') out += '&';
        out += c;
    }
    return out;
}

}  // namespace formsview

namespace formsview {
std::string EscapeLabel(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    for (char c : text) {
        if (c == '@') out += c;
        out += c;
    }
    return out;
}

std::string EscapeButtonLabel(std::string_view text) {
    return EscapeMenuItemLabel(EscapeLabel(text));
}
}  // namespace formsview
