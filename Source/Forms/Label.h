#pragma once
// A label: a caption without a window of its own; it never takes the focus.
#include "Control.h"

namespace forms {

class Label : public Control {
  public:
    explicit Label(std::string name) : Control(std::move(name)) {}
    std::string_view TypeName() const override { return "Label"; }
    bool IsWindowed() const override { return false; }

    const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(std::string value);
    // 0 left, 1 right, 2 centre. Raises 380 for another value.
    int Alignment() const noexcept { return alignment_; }
    void SetAlignment(int value);

    rt::DispId GetIdOfName(std::string_view name) override;
    rt::Variant Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) override;
    static const rt::DispatchTable<Label>& Members();

  protected:
    void CopyPropertiesFrom(const Control& source) override;

  private:
    std::string caption_;
    int alignment_ = 0;
};

}  // namespace forms
