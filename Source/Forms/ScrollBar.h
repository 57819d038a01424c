#pragma once
// A scroll bar (vertical or horizontal): Value between Min and Max; Change after every change of
// the value (by code, keys, clicks), Scroll while the user drags the thumb.
#include <optional>

#include "Control.h"

namespace forms {

class ScrollBar : public Control {
  public:
    enum class Orientation { Vertical, Horizontal };
    explicit ScrollBar(std::string name, Orientation orientation = Orientation::Vertical)
        : Control(std::move(name)), orientation_(orientation) {}
    std::string_view TypeName() const override {
        return orientation_ == Orientation::Vertical ? "VScrollBar" : "HScrollBar";
    }
    bool TakesFocus() const override { return true; }
    Orientation GetOrientation() const noexcept { return orientation_; }

    Event<> Change;
    Event<> Scroll;

    int Min() const noexcept { return min_; }
    int Max() const noexcept { return max_; }
    int Value() const noexcept { return value_; }
    int SmallChange() const noexcept { return smallChange_; }
    int LargeChange() const noexcept { return largeChange_; }
    // Min and Max move the value into the new range (Change when it moves).
    void SetMin(int value);
    void SetMax(int value);
    // Raises 380 for a value outside Min..Max.
    void SetValue(int value);
    // Raise 380 for a value outside 1..32767.
    void SetSmallChange(int value);
    void SetLargeChange(int value);

    // Arrow keys step by SmallChange, Page keys by LargeChange, within the range.
    void UserKey(std::int16_t keyCode, std::int16_t shiftState) override;
    // The user drags the thumb to `value` (Scroll), then releases it there (Change).
    void UserDrag(int value);
    // The thumb, held by the mouse, moves to `value`: Scroll on each change of the value.
    void UserTrack(int value);
    // The thumb is released: Change when the value differs from where the drag began.
    void UserEndTrack();

    rt::DispId GetIdOfName(std::string_view name) override;
    rt::Variant Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) override;
    static const rt::DispatchTable<ScrollBar>& Members();

  protected:
    void CopyPropertiesFrom(const Control& source) override;

  private:
    int Clamp(int value) const;
    void Step(int delta);

    Orientation orientation_;
    int min_ = 0;
    int max_ = 32767;
    int value_ = 0;
    int smallChange_ = 1;
    int largeChange_ = 1;
    std::optional<int> trackedFrom_;  // the value when the thumb was taken
};

}  // namespace forms
