#pragma once
// The message loop of the user-interface thread: work posted for a later turn and repeating
// timers. Time is the tick count of the installed clock (rt::Clock): a rt::ManualClock in tests,
// which Advance moves timer by timer so that timers fire in the order they fall due; the real
// clock for the view, which pumps with RunDue.
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "Clock.h"

namespace forms {

class MessageLoop {
  public:
    using TimerId = std::uint64_t;

    // Runs `work` on a later turn of the loop, after the work posted before it.
    void Post(std::function<void()> work);
    // A repeating timer: `tick` runs every `intervalMs` (at least 1) from now until stopped.
    TimerId StartTimer(std::uint32_t intervalMs, std::function<void()> tick);
    void StopTimer(TimerId id);
    bool IsRunning(TimerId id) const;

    // Runs the posted work, then every timer due at the clock's present tick, in due order.
    // Returns whether anything ran.
    bool RunDue();
    // Moves a manual clock forward by `milliseconds`, stopping at each timer's due tick to run
    // the posted work and fire the timer, so timers fire in due order; posted work runs at the end.
    void Advance(rt::ManualClock& clock, std::uint32_t milliseconds);
    // Milliseconds until the next timer falls due (0 when one is due); nothing without timers.
    std::optional<std::uint32_t> NextTimerDueIn() const;
    bool HasPostedWork() const noexcept { return !posted_.empty(); }
    // Drops all posted work and timers (a fresh loop for the next test or session).
    void Clear();

  private:
    struct Timer {
        TimerId id;
        std::uint32_t interval;
        std::uint32_t due;
        std::function<void()> tick;
    };
    bool RunPosted();
    // The running timer due first at tick `now`, if any is due.
    Timer* FirstDue(std::uint32_t now);
    void Fire(Timer& timer, std::uint32_t now);

    std::deque<std::function<void()>> posted_;
    std::vector<Timer> timers_;
    TimerId nextId_ = 1;
};

}  // namespace forms
