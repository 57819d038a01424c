#include "ScrollBar.h"

#include <algorithm>
#include <utility>

#include "MemberRows.h"

namespace forms {

int ScrollBar::Clamp(int value) const {
    return std::clamp(value, std::min(min_, max_), std::max(min_, max_));
}

void ScrollBar::SetMin(int value) {
    min_ = value;
    Changed("Min");
    if (Clamp(value_) != value_) SetValue(Clamp(value_));
}

void ScrollBar::SetMax(int value) {
    max_ = value;
    Changed("Max");
    if (Clamp(value_) != value_) SetValue(Clamp(value_));
}

void ScrollBar::SetValue(int value) {
    if (Clamp(value) != value) rt::Raise(err::InvalidPropertyValue, Name());
    if (value_ == value) return;
    value_ = value;
    Changed("Value");
    Change();
}

void ScrollBar::SetSmallChange(int value) {
    if (value < 1 || value > 32767) rt::Raise(err::InvalidPropertyValue, Name());
    smallChange_ = value;
}

void ScrollBar::SetLargeChange(int value) {
    if (value < 1 || value > 32767) rt::Raise(err::InvalidPropertyValue, Name());
    largeChange_ = value;
}

void ScrollBar::Step(int delta) {
    const int direction = max_ >= min_ ? 1 : -1;
    SetValue(Clamp(value_ + delta * direction));
}

void ScrollBar::UserKey(std::int16_t keyCode, std::int16_t) {
    switch (keyCode) {
        case key::Up:
        case key::Left:
            Step(-smallChange_);
            break;
        case key::Down:
        case key::Right:
            Step(smallChange_);
            break;
        case key::PageUp:
            Step(-largeChange_);
            break;
        case key::PageDown:
            Step(largeChange_);
            break;
        default:
            break;
    }
}

void ScrollBar::UserDrag(int value) {
    UserTrack(value);
    UserEndTrack();
}

void ScrollBar::UserTrack(int value) {
    if (!trackedFrom_) trackedFrom_ = value_;
    const int target = Clamp(value);
    if (target == value_) return;
    value_ = target;
    Changed("Value");
    Scroll();
}

void ScrollBar::UserEndTrack() {
    const std::optional<int> from = std::exchange(trackedFrom_, std::nullopt);
    if (from && *from != value_) Change();
}

void ScrollBar::CopyPropertiesFrom(const Control& source) {
    Control::CopyPropertiesFrom(source);
    const auto& other = static_cast<const ScrollBar&>(source);
    min_ = other.min_;
    max_ = other.max_;
    value_ = other.value_;
    smallChange_ = other.smallChange_;
    largeChange_ = other.largeChange_;
}

rt::DispId ScrollBar::GetIdOfName(std::string_view name) {
    return ChainedIdOfName<ScrollBar, Control>(name);
}

rt::Variant ScrollBar::Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) {
    return ChainedInvoke<ScrollBar, Control>(id, type, args);
}

const rt::DispatchTable<ScrollBar>& ScrollBar::Members() {
    using S = ScrollBar;
    const auto prop = [](std::string name, rt::DispId id, int (S::*get)() const noexcept,
                         void (S::*set)(int)) {
        return rows::Property<S>(
            std::move(name), id, [get](S& s) { return static_cast<std::int32_t>((s.*get)()); },
            [set](S& s, std::int32_t v) { (s.*set)(v); });
    };
    static const rt::DispatchTable<ScrollBar> table{
        prop("Min", 100, &S::Min, &S::SetMin),
        prop("Max", 101, &S::Max, &S::SetMax),
        prop("Value", 102, &S::Value, &S::SetValue),
        prop("SmallChange", 103, &S::SmallChange, &S::SetSmallChange),
        prop("LargeChange", 104, &S::LargeChange, &S::SetLargeChange),
    };
    return table;
}

}  // namespace forms
