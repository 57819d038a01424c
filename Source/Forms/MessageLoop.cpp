#include "MessageLoop.h"

#include <algorithm>

namespace forms {

namespace {
// Signed distance from `now` to `due` on the wrapping tick counter.
std::int32_t Until(std::uint32_t due, std::uint32_t now) {
    return static_cast<std::int32_t>(due - now);
}
}  // namespace

void MessageLoop::Post(std::function<void()> work) {
    posted_.push_back(std::move(work));
}

MessageLoop::TimerId MessageLoop::StartTimer(std::uint32_t intervalMs, std::function<void()> tick) {
    const std::uint32_t interval = std::max<std::uint32_t>(intervalMs, 1);
    const TimerId id = nextId_++;
    timers_.push_back({id, interval, rt::CurrentClock().TickCount() + interval, std::move(tick)});
    return id;
}

void MessageLoop::StopTimer(TimerId id) {
    std::erase_if(timers_, [id](const Timer& t) { return t.id == id; });
}

bool MessageLoop::IsRunning(TimerId id) const {
    return std::any_of(timers_.begin(), timers_.end(), [id](const Timer& t) { return t.id == id; });
}

bool MessageLoop::RunPosted() {
    bool ran = false;
    while (!posted_.empty()) {
        auto work = std::move(posted_.front());
        posted_.pop_front();
        if (work) work();
        ran = true;
    }
    return ran;
}

MessageLoop::Timer* MessageLoop::FirstDue(std::uint32_t now) {
    Timer* first = nullptr;
    for (auto& t : timers_) {
        if (Until(t.due, now) > 0) continue;
        // Earlier due first; equal due ticks in the order the timers were started.
        if (!first || Until(t.due, first->due) < 0 || (t.due == first->due && t.id < first->id))
            first = &t;
    }
    return first;
}

void MessageLoop::Fire(Timer& timer, std::uint32_t now) {
    timer.due = now + timer.interval;
    auto tick = timer.tick;  // the handler may stop timers or start new ones
    if (tick) tick();
}

bool MessageLoop::RunDue() {
    bool ran = RunPosted();
    const std::uint32_t now = rt::CurrentClock().TickCount();
    // Each timer fires at most once per turn, as a real loop does.
    std::vector<TimerId> fired;
    while (Timer* t = FirstDue(now)) {
        if (std::find(fired.begin(), fired.end(), t->id) != fired.end()) break;
        fired.push_back(t->id);
        Fire(*t, now);
        ran = true;
        RunPosted();
    }
    return ran;
}

void MessageLoop::Advance(rt::ManualClock& clock, std::uint32_t milliseconds) {
    const std::uint32_t target = clock.TickCount() + milliseconds;
    RunPosted();
    for (;;) {
        Timer* next = nullptr;
        for (auto& t : timers_) {
            if (Until(t.due, target) > 0) continue;
            if (!next || Until(t.due, next->due) < 0 || (t.due == next->due && t.id < next->id))
                next = &t;
        }
        if (!next) break;
        const std::uint32_t now = clock.TickCount();
        if (Until(next->due, now) > 0) clock.Advance(next->due - now);
        Fire(*next, clock.TickCount());
        RunPosted();
    }
    clock.Advance(target - clock.TickCount());
    RunPosted();
}

std::optional<std::uint32_t> MessageLoop::NextTimerDueIn() const {
    if (timers_.empty()) return std::nullopt;
    const std::uint32_t now = rt::CurrentClock().TickCount();
    std::int32_t least = Until(timers_.front().due, now);
    for (const auto& t : timers_) least = std::min(least, Until(t.due, now));
    return static_cast<std::uint32_t>(std::max<std::int32_t>(least, 0));
}

void MessageLoop::Clear() {
    posted_.clear();
    timers_.clear();
}

}  // namespace forms
