#pragma once
// The toolkit's colours as the screen shows them: plain colours (0x00BBGGRR) and the system
// colours (high bit set, the low byte names the system colour) of a light desktop theme.
#include <cstdint>

#include "Units.h"

namespace formsview {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A system colour index the desktop does not know shows black (written to the debug channel,
// area "view").
Rgb ResolveColor(forms::Color color);

}  // namespace formsview
