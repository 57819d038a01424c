#pragma once
// A command button: a caption; Click by mouse, Space or Enter; mouse and focus events.
#include "Control.h"

namespace forms {

class CommandButton : public Control {
  public:
    explicit CommandButton(std::string name) : Control(std::move(name)) {}
    std::string_view TypeName() const override { return "CommandButton"; }
    bool TakesFocus() const override { return true; }

    const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(std::string value);

    void UserKey(std::int16_t keyCode, std::int16_t shiftState) override;

    rt::DispId GetIdOfName(std::string_view name) override;
    rt::Variant Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) override;
    static const rt::DispatchTable<CommandButton>& Members();

  protected:
    void CopyPropertiesFrom(const Control& source) override;

  private:
    std::string caption_;
};

}  // namespace forms
