#pragma once
// A text box: Text with Change on every change of the text (typed or set by code), a selection
// (SelStart, SelLength in characters) that always stays inside the text, Locked (the user cannot
// change the text, code can), multi-line, alignment and a vertical scroll bar. A multi-line box
// shows its lines (TextLayout.h) from its first visible line on; the wheel and its scroll bar
// move that line. The mouse places the caret, a drag selects, a double click selects a word.
#include <optional>
#include <vector>

#include "Control.h"
#include "TextLayout.h"

namespace forms {

// Pixels across a scroll bar of a text box (the system's standard width).
inline constexpr float ScrollBarThicknessPixels = 17;

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

    // --- what the box shows (pixels from the box's top-left corner)
    // The sunken border's width; 0 for the grid's flat cell editors.
    float BorderPixels() const;
    // The area the text is drawn in: inside the border, left of the vertical scroll bar.
    PixelRect TextArea() const;
    // The vertical scroll bar's place; empty without one.
    PixelRect VerticalScrollBarArea() const;
    // Wrapped at the text area's width in a multi-line box without a horizontal scroll bar.
    std::vector<TextLine> Lines() const;
    // Whole lines that fit into the text area (at least 1).
    int VisibleLineCount() const;
    // The line shown at the top, kept between 0 and the last line that still fills the box.
    int FirstVisibleLine() const;
    void SetFirstVisibleLine(int line);
    // Scrolls by `lines` (negative: up), within the text.
    void ScrollLines(int lines);
    // The caret position nearest to a point.
    int PositionAt(float x, float y) const;

    // Typing replaces the selection (ignored while locked); caret keys move the caret (in a
    // multi-line box Up, Down and the Page keys move between lines, Home and End keep to the line
    // unless Ctrl is held, and the box scrolls to show the caret); Back and Delete remove; Enter
    // starts a new line in a multi-line box.
    void UserChar(std::string_view character) override;
    void UserKey(std::int16_t keyCode, std::int16_t shiftState) override;
    void UserPress(std::int16_t button, std::int16_t shift, float x, float y) override;
    void UserMouseDrag(float x, float y) override;
    void UserDoubleClick(float x, float y) override;
    // The wheel over a multi-line box scrolls three lines a notch (WHEEL_DELTA).
    void UserWheel(std::int16_t delta);

    rt::DispId GetIdOfName(std::string_view name) override;
    rt::Variant Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) override;
    static const rt::DispatchTable<TextBox>& Members();

  protected:
    void CopyPropertiesFrom(const Control& source) override;
    platform::WindowProc WindowProcedure() const override;

  private:
    int Length() const;
    void Replace(int start, int length, std::string_view with, int caret);
    // Whether `position` stands between the CR and the LF of a line break.
    bool InsideLineBreak(int position) const;
    // The caret position `lines` lines below (negative: above) `position`, at the same offset;
    // `position` itself when there is no such line.
    int PositionOnLine(int position, int lines) const;
    // Scrolls a multi-line box so that the caret's line shows.
    void ScrollToCaret();
    // Selects from `anchor` to `caret` (either order).
    void Select(int anchor, int caret);

    std::string text_;
    int selStart_ = 0;
    int selLength_ = 0;
    bool locked_ = false;
    bool multiLine_ = false;
    int alignment_ = 0;
    int scrollBars_ = 0;
    int firstVisibleLine_ = 0;
    std::optional<int> dragAnchor_;  // where a drag selection started
};

}  // namespace forms
