#include "Clock.h"

#include <time.h>

#include <memory>

namespace rt {

namespace {

class SystemClock final : public Clock {
  public:
    LocalDateTime Now() override {
        const time_t now = ::time(nullptr);
        struct tm local {};
        if (::localtime_r(&now, &local) == nullptr) return {};
        return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                local.tm_hour,        local.tm_min,     local.tm_sec};
    }
    std::uint32_t TickCount() override {
        struct timespec ts {};
        ::clock_gettime(CLOCK_MONOTONIC, &ts);
        const auto ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                        static_cast<std::uint64_t>(ts.tv_nsec) / 1'000'000u;
        return static_cast<std::uint32_t>(ms);  // wraps after 49.7 days, as the classic counter
    }
};

}  // namespace

}  // namespace rt

template <>
std::shared_ptr<rt::Clock> rt::MakeDefaultRole<rt::Clock>() {
    return std::make_shared<rt::SystemClock>();
}

PERLOWAN_DEFINE_ROLE(rt::Clock);
