#pragma once
// Test helpers for file times: ticks of a calendar time, and a fixed local time zone.
#include <cstdint>
#include <ctime>
#include <optional>

#include "FileTime.h"
#include "TestSupport.h"

namespace platform::testing {

// File-time ticks of a UTC calendar time, computed through the C library as an independent
// reference.
inline std::uint64_t TicksOf(int year, int month, int day, int hour, int minute, int second) {
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    return kUnixEpochTicks + static_cast<std::uint64_t>(::timegm(&parts)) * 10'000'000;
}

// Central European time with its summer time, as the diary's users mostly have it.
inline constexpr const char* kCentralEuropeanTime = "CET-1CEST,M3.5.0,M10.5.0/3";

// A fixed local time zone for the scope, the previous one restored afterwards.
class ScopedTimeZone {
  public:
    explicit ScopedTimeZone(const char* zone = kCentralEuropeanTime) {
        zone_.emplace("TZ", zone);
        ::tzset();
    }
    ~ScopedTimeZone() {
        zone_.reset();
        ::tzset();
    }

  private:
    std::optional<testsupport::ScopedEnvironment> zone_;
};

}  // namespace platform::testing
