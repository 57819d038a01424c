#pragma once
// The clock every benchmark times with, and milliseconds since a point of it.
#include <chrono>

using Clock = std::chrono::steady_clock;

inline double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}
