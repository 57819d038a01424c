#pragma once
// Test helper: a fixed local time zone for the scope, the previous one restored afterwards.
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace platform::testing {

// Central European time with its summer time, as the diary's users mostly have it.
inline constexpr const char* kCentralEuropeanTime = "CET-1CEST,M3.5.0,M10.5.0/3";

class ScopedTimeZone {
  public:
    explicit ScopedTimeZone(const char* zone = kCentralEuropeanTime) {
        if (const char* previous = std::getenv("TZ")) previous_ = previous;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ScopedTimeZone() {
        if (previous_)
            ::setenv("TZ", previous_->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

  private:
    std::optional<std::string> previous_;
};

}  // namespace platform::testing
