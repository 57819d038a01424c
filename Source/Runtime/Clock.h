#pragma once
// The clock of the system: the wall-clock time (for "today") and the millisecond tick count.
// Tests and the UI toolkit's message loop install a virtual clock.
#include <cstdint>

#include "Role.h"

namespace rt {

struct LocalDateTime {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

class Clock {
  public:
    virtual ~Clock() = default;
    virtual LocalDateTime Now() = 0;        // local time
    virtual std::uint32_t TickCount() = 0;  // milliseconds, wraps around like the classic counter
};

}  // namespace rt

PERLOWAN_DECLARE_ROLE(rt::Clock);

namespace rt {

inline Clock& CurrentClock() {
    return Role<Clock>::Get();
}

// A clock that moves only when told to: for tests and the toolkit's virtual time.
class ManualClock : public Clock {
  public:
    explicit ManualClock(LocalDateTime now = {2026, 1, 15, 12, 0, 0}, std::uint32_t ticks = 0)
        : now_(now), ticks_(ticks) {}
    LocalDateTime Now() override { return now_; }
    std::uint32_t TickCount() override { return ticks_; }
    void SetNow(LocalDateTime now) { now_ = now; }
    void Advance(std::uint32_t milliseconds) { ticks_ += milliseconds; }

  private:
    LocalDateTime now_;
    std::uint32_t ticks_;
};

}  // namespace rt
