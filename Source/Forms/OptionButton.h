#pragma once
// An option button: selecting one (by the user or by code) clears the other option buttons of the
// same container and raises Click on the selected one.
#include "Control.h"

namespace forms {

class OptionButton : public Control {
  public:
    explicit OptionButton(std::string name) : Control(std::move(name)) {}
    std::string_view TypeName() const override { return "OptionButton"; }
    bool TakesFocus() const override { return true; }

    const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(std::string value);
    bool Value() const noexcept { return value_; }
    // True selects (Click when it was not selected); False only clears, without Click.
    void SetValue(bool value);

    void UserClick() override { SetValue(true); }
    void UserKey(std::int16_t keyCode, std::int16_t shiftState) override;

    rt::DispId GetIdOfName(std::string_view name) override;
    rt::Variant Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) override;
    static const rt::DispatchTable<OptionButton>& Members();

  protected:
    void CopyPropertiesFrom(const Control& source) override;

  private:
    std::string caption_;
    bool value_ = false;
};

}  // namespace forms
