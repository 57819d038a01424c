#include "Timer.h"

#include "Application.h"
#include "MemberRows.h"

namespace forms {

Timer::~Timer() {
    if (running_) App().Loop().StopTimer(running_);
}

void Timer::SetInterval(int value) {
    if (value < 0 || value > 65535) rt::Raise(err::InvalidPropertyValue, Name());
    interval_ = value;
    App().NotifyChanged(*this, "Interval");
    Restart();
}

void Timer::Restart() {
    if (running_) App().Loop().StopTimer(running_);
    running_ = 0;
    if (!Enabled() || interval_ == 0 || !IsLoaded()) return;
    running_ = App().Loop().StartTimer(static_cast<std::uint32_t>(interval_), [this] { Tick(); });
}

void Timer::CopyPropertiesFrom(const Control& source) {
    Control::CopyPropertiesFrom(source);
    interval_ = static_cast<const Timer&>(source).interval_;
}

rt::DispId Timer::GetIdOfName(std::string_view name) {
    return ChainedIdOfName<Timer, Control>(name);
}

rt::Variant Timer::Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) {
    return ChainedInvoke<Timer, Control>(id, type, args);
}

const rt::DispatchTable<Timer>& Timer::Members() {
    static const rt::DispatchTable<Timer> table{
        rows::Property<Timer>(
            "Interval", 100, [](Timer& t) { return static_cast<std::int32_t>(t.Interval()); },
            [](Timer& t, std::int32_t v) { t.SetInterval(v); }),
    };
    return table;
}

}  // namespace forms
