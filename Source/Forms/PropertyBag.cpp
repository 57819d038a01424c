#include "PropertyBag.h"

#include <algorithm>

#include "Dispatch.h"

namespace forms {

namespace {
bool IsNumberLike(const rt::Variant& v) {
    return v.IsNumeric() && !v.IsString();
}
}  // namespace

bool PropertyBag::SameValue(const rt::Variant& a, const rt::Variant& b) {
    if (a.IsEmpty() && b.IsString()) return b.ToString().empty();
    if (b.IsEmpty() && a.IsString()) return a.ToString().empty();
    if (IsNumberLike(a) && IsNumberLike(b)) return a.ToDouble() == b.ToDouble();
    return a == b;
}

rt::Variant PropertyBag::ReadProperty(std::string_view name,
                                      const rt::Variant& defaultValue) const {
    for (const auto& [key, value] : entries_)
        if (rt::AsciiNamesEqual(key, name)) return value;
    return defaultValue;
}

void PropertyBag::WriteProperty(std::string_view name, const rt::Variant& value,
                                const rt::Variant& defaultValue) {
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const auto& e) { return rt::AsciiNamesEqual(e.first, name); });
    if (!defaultValue.IsMissing() && SameValue(value, defaultValue)) {
        if (it != entries_.end()) entries_.erase(it);
        return;
    }
    if (it != entries_.end())
        it->second = value;
    else
        entries_.emplace_back(std::string(name), value);
}

bool PropertyBag::Contains(std::string_view name) const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [&](const auto& e) { return rt::AsciiNamesEqual(e.first, name); });
}

}  // namespace forms
