#pragma once
// What a held mouse button repeats on the toolkit's loop, as the desktop's scroll-bar arrows and
// tracks do: the step runs at the press, again after a pause, then at a steady rate until the
// release.
#include <cstdint>
#include <functional>

#include "MessageLoop.h"

namespace forms {

class HeldRepeat {
  public:
    static constexpr std::uint32_t PauseMs = 400;  // from the press to the first repeat
    static constexpr std::uint32_t RateMs = 50;    // between repeats

    HeldRepeat() = default;
    HeldRepeat(const HeldRepeat&) = delete;
    HeldRepeat& operator=(const HeldRepeat&) = delete;
    ~HeldRepeat() { Release(); }

    // Runs `step` now and repeats it while held; a press while held starts over.
    void Press(std::function<void()> step);
    void Release();
    bool Held() const noexcept { return timer_ != 0; }

  private:
    MessageLoop::TimerId timer_ = 0;
    std::uint32_t ticks_ = 0;
    std::function<void()> step_;
};

}  // namespace forms
