#pragma once
// A check box: Value 0 unchecked, 1 checked, 2 grey; Click on every change of the value, by the
// user or by code.
#include "Control.h"

namespace forms {

class CheckBox : public Control {
  public:
    explicit CheckBox(std::string name) : Control(std::move(name)) {}
    std::string_view TypeName() const override { return "CheckBox"; }
    bool TakesFocus() const override { return true; }

    const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(std::string value);
    int Value() const noexcept { return value_; }
    // Raises 380 for a value other than 0, 1, 2.
    void SetValue(int value);

    // A click checks an unchecked box and clears a checked or grey one.
    void UserClick() override { SetValue(value_ == 0 ? 1 : 0); }
    void UserKey(std::int16_t keyCode, std::int16_t shiftState) override;

    rt::DispId GetIdOfName(std::string_view name) override;
    rt::Variant Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) override;
    static const rt::DispatchTable<CheckBox>& Members();

  protected:
    void CopyPropertiesFrom(const Control& source) override;

  private:
    std::string caption_;
    int value_ = 0;
};

}  // namespace forms
