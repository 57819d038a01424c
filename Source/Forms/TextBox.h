#pragma once
// A text box: Text with Change on every change of the text (typed or set by code), a selection
// (SelStart, SelLength in characters) that always stays inside the text, Locked (the user cannot
// change the text, code can), multi-line, alignment and a vertical scroll bar.
#include "Control.h"

namespace forms {

class TextBox : public Control {
  public:
    explicit TextBox(std::string name);
    std::string_view TypeName() const override { return "TextBox"; }
    bool TakesFocus() const override { return true; }

    Event<> Change;

    const std::string& Text() const noexcept { return text_; }
    // Puts the caret at the start; Change when the text differs.
    void SetText(std::string value);
    int SelStart() const noexcept { return selStart_; }
    // Clamped to the text's length; clears the selection. Raises 380 for a negative value.
    void SetSelStart(int value);
    int SelLength() const noexcept { return selLength_; }
    // Clamped to the rest of the text after SelStart. Raises 380 for a negative value.
    void SetSelLength(int value);
    std::string SelText() const;
    // Replaces the selection and puts the caret after it (Change when the text differs).
    void SetSelText(std::string_view value);

    bool Locked() const noexcept { return locked_; }
    void SetLocked(bool value);
    bool MultiLine() const noexcept { return multiLine_; }
    void SetMultiLine(bool value);
    // 0 left, 1 right, 2 centre. Raises 380 for another value.
    int Alignment() const noexcept { return alignment_; }
    void SetAlignment(int value);
    // 0 none, 1 horizontal, 2 vertical, 3 both. Raises 380 for another value.
    int ScrollBars() const noexcept { return scrollBars_; }
    void SetScrollBars(int value);

    // Typing replaces the selection (ignored while locked); caret keys move the caret; Back and
    // Delete remove; Enter starts a new line in a multi-line box.
    void UserChar(std::string_view character) override;
    void UserKey(std::int16_t keyCode, std::int16_t shiftState) override;

    rt::DispId GetIdOfName(std::string_view name) override;
    rt::Variant Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) override;
    static const rt::DispatchTable<TextBox>& Members();

  protected:
    void CopyPropertiesFrom(const Control& source) override;

  private:
    int Length() const;
    void Replace(int start, int length, std::string_view with, int caret);

    std::string text_;
    int selStart_ = 0;
    int selLength_ = 0;
    bool locked_ = false;
    bool multiLine_ = false;
    int alignment_ = 0;
    int scrollBars_ = 0;
};

}  // namespace forms
