#pragma once
// An event of a control: one handler, assigned like `cmdStart.Click = [this] { ... };`.
// Raising an event without a handler does nothing. By-reference parameters (a cancel flag, a key
// code) are declared as references so the handler can change them.
#include <functional>
#include <utility>

namespace forms {

template <class... Args>
class Event {
  public:
    using Handler = std::function<void(Args...)>;

    Event() = default;
    template <class F>
    requires std::is_constructible_v<Handler, F> Event& operator=(F&& handler) {
        handler_ = std::forward<F>(handler);
        return *this;
    }

    explicit operator bool() const noexcept { return static_cast<bool>(handler_); }

    // The handler runs on a copy, so it may replace itself while it runs.
    void operator()(Args... args) const {
        if (!handler_) return;
        Handler running = handler_;
        running(std::forward<Args>(args)...);
    }

  private:
    Handler handler_;
};

}  // namespace forms
