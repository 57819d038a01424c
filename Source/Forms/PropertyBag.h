#pragma once
// The property bag a user control's settings are kept in by its container. A read gives the
// default when the bag has no entry; a write of a value equal to its default stores nothing (and
// removes an earlier entry), so only settings that differ from their defaults are kept.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Variant.h"

namespace forms {

class PropertyBag {
  public:
    rt::Variant ReadProperty(std::string_view name,
                             const rt::Variant& defaultValue = rt::Variant()) const;
    // Without a default the value is always stored.
    void WriteProperty(std::string_view name, const rt::Variant& value,
                       const rt::Variant& defaultValue = rt::Variant::Missing());

    bool Contains(std::string_view name) const;
    // The entries in the order they were first written.
    const std::vector<std::pair<std::string, rt::Variant>>& Entries() const noexcept {
        return entries_;
    }

    // Values compare as the language compares them: numbers (booleans included) by value, texts
    // exactly, an empty value equal to 0 and to "".
    static bool SameValue(const rt::Variant& a, const rt::Variant& b);

  private:
    std::vector<std::pair<std::string, rt::Variant>> entries_;
};

}  // namespace forms
