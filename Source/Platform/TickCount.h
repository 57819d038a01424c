#pragma once
// Milliseconds since start, wrapping around like the classic counter; from the installed clock.
#include <cstdint>

#include "Clock.h"

namespace platform {

inline std::uint32_t GetTickCount() {
    return rt::CurrentClock().TickCount();
}

}  // namespace platform
