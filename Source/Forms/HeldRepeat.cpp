#include "HeldRepeat.h"

#include "Application.h"

namespace forms {

void HeldRepeat::Press(std::function<void()> step) {
    Release();
    step_ = std::move(step);
    ticks_ = 0;
    timer_ = App().Loop().StartTimer(RateMs, [this] {
        if (++ticks_ * RateMs < PauseMs) return;
        // A copy: the step may release the repeat (and so drop the function it runs in).
        const auto step = step_;
        step();
    });
    const auto first = step_;
    first();
}

void HeldRepeat::Release() {
    if (timer_) App().Loop().StopTimer(timer_);
    timer_ = 0;
}

}  // namespace forms
