#pragma once
// A timer: raises Tick every Interval milliseconds while it is enabled, its interval is not 0 and
// its form is loaded. Setting Interval or Enabled starts the count again. It has no window and
// never shows.
#include <cstdint>

#include "Control.h"
#include "MessageLoop.h"

namespace forms {

class Timer : public Control {
  public:
    explicit Timer(std::string name) : Control(std::move(name)) {}
    ~Timer() override;
    std::string_view TypeName() const override { return "Timer"; }
    bool IsWindowed() const override { return false; }
    bool ShownAtRunTime() const override { return false; }

    Event<> Tick;

    int Interval() const noexcept { return interval_; }
    // 0 stops the timer. Raises 380 outside 0..65535.
    void SetInterval(int value);
    bool IsRunning() const noexcept { return running_ != 0; }

    rt::DispId GetIdOfName(std::string_view name) override;
    rt::Variant Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) override;
    static const rt::DispatchTable<Timer>& Members();

  protected:
    void EnabledChanged() override { Restart(); }
    void FormLoadChanged(bool) override { Restart(); }
    void CopyPropertiesFrom(const Control& source) override;

  private:
    void Restart();
    int interval_ = 0;
    MessageLoop::TimerId running_ = 0;
};

}  // namespace forms
