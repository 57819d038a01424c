#include "TextBox.h"

#include <algorithm>

#include <cmath>

#include "Application.h"
#include "CodePage.h"
#include "MemberRows.h"
#include "Text.h"
#include "TextMetrics.h"
#include "UserControl.h"

namespace forms {

namespace {

// The edit window's own handling: a multi-line box scrolls on the wheel; everything else, and a
// single-line box's wheel, goes to the system (which hands the wheel on to the parent).
platform::LResult TextBoxWindowProc(platform::WindowHandle hWnd, platform::MessageId iMsg,
                                    platform::WParam wParam, platform::LParam lParam) {
    if (iMsg == platform::WM_MOUSEWHEEL)
        if (auto* box = dynamic_cast<TextBox*>(App().ControlOfWindow(hWnd));
            box && box->MultiLine()) {
            box->UserWheel(static_cast<std::int16_t>((wParam >> 16) & 0xFFFF));
            return 0;
        }
    return platform::Windows().DefWindowProc(hWnd, iMsg, wParam, lParam);
}

constexpr int WheelLinesPerNotch = 3;

}  // namespace

TextBox::TextBox(std::string name) : Control(std::move(name)) {
    InitColors(color::SystemWindow, color::SystemWindowText);
}

int TextBox::Length() const {
    return static_cast<int>(rt::CharCount(text_));
}

void TextBox::SetText(std::string value) {
    selStart_ = 0;
    selLength_ = 0;
    if (firstVisibleLine_ != 0) {
        firstVisibleLine_ = 0;
        Changed("FirstVisibleLine");
    }
    if (text_ == value) return;
    text_ = std::move(value);
    Changed("Text");
    Change();
}

void TextBox::SetSelStart(int value) {
    if (value < 0) rt::Raise(err::InvalidPropertyValue, Name());
    selStart_ = std::min(value, Length());
    selLength_ = 0;
    Changed("SelStart");
}

void TextBox::SetSelLength(int value) {
    if (value < 0) rt::Raise(err::InvalidPropertyValue, Name());
    selLength_ = std::min(value, Length() - selStart_);
    Changed("SelLength");
}

std::string TextBox::SelText() const {
    const std::size_t from = rt::ByteOffsetOfChar(text_, selStart_ + 1);
    const std::size_t to = rt::ByteOffsetOfChar(text_, selStart_ + selLength_ + 1);
    return text_.substr(from, to - from);
}

void TextBox::SetSelText(std::string_view value) {
    Replace(selStart_, selLength_, value, selStart_ + static_cast<int>(rt::CharCount(value)));
}

void TextBox::Replace(int start, int length, std::string_view with, int caret) {
    const std::size_t from = rt::ByteOffsetOfChar(text_, start + 1);
    const std::size_t to = rt::ByteOffsetOfChar(text_, start + length + 1);
    std::string changed = text_.substr(0, from);
    changed.append(with);
    changed.append(text_.substr(to));
    const bool differs = changed != text_;
    text_ = std::move(changed);
    selStart_ = std::clamp(caret, 0, Length());
    selLength_ = 0;
    if (!differs) return;
    Changed("Text");
    Change();
}

void TextBox::SetLocked(bool value) {
    locked_ = value;
    Changed("Locked");
}

void TextBox::SetMultiLine(bool value) {
    multiLine_ = value;
    Changed("MultiLine");
}

void TextBox::SetAlignment(int value) {
    if (value < 0 || value > 2) rt::Raise(err::InvalidPropertyValue, Name());
    alignment_ = value;
    Changed("Alignment");
}

void TextBox::SetScrollBars(int value) {
    if (value < 0 || value > 3) rt::Raise(err::InvalidPropertyValue, Name());
    scrollBars_ = value;
    Changed("ScrollBars");
}

float TextBox::BorderPixels() const {
    // The grid's cell editors are flat: the grid draws the lines between its cells itself.
    return const_cast<TextBox*>(this)->ParentUserControl() ? 0.0f : 2.0f;
}

PixelRect TextBox::TextArea() const {
    const PixelRect bounds = PixelBounds();
    const float border = BorderPixels();
    const float bar = VerticalScrollBarArea().width;
    return {border + 1, border, std::max(0.0f, bounds.width - 2 * border - 2 - bar),
            std::max(0.0f, bounds.height - 2 * border)};
}

PixelRect TextBox::VerticalScrollBarArea() const {
    if (!multiLine_ || !(scrollBars_ & 2)) return {};
    const PixelRect bounds = PixelBounds();
    const float border = BorderPixels();
    return {bounds.width - border - ScrollBarThicknessPixels, border, ScrollBarThicknessPixels,
            std::max(0.0f, bounds.height - 2 * border)};
}

std::vector<TextLine> TextBox::Lines() const {
    if (!multiLine_) return {{0, Length()}};
    const bool wraps = !(scrollBars_ & 1);
    return LayoutLines(text_, FontSize(), wraps ? std::max(1.0f, TextArea().width - 2) : 0.0f);
}

int TextBox::VisibleLineCount() const {
    const float lineHeight = Metrics().TextHeight(FontSize());
    if (lineHeight <= 0) return 1;
    return std::max(1, static_cast<int>(std::floor(TextArea().height / lineHeight)));
}

int TextBox::FirstVisibleLine() const {
    const int last = static_cast<int>(Lines().size()) - VisibleLineCount();
    return std::clamp(firstVisibleLine_, 0, std::max(0, last));
}

void TextBox::SetFirstVisibleLine(int line) {
    const int last = static_cast<int>(Lines().size()) - VisibleLineCount();
    const int target = std::clamp(line, 0, std::max(0, last));
    if (target == firstVisibleLine_) return;
    firstVisibleLine_ = target;
    Changed("FirstVisibleLine");
}

void TextBox::ScrollLines(int lines) {
    SetFirstVisibleLine(FirstVisibleLine() + lines);
}

int TextBox::PositionAt(float x, float y) const {
    const PixelRect area = TextArea();
    const std::vector<TextLine> lines = Lines();
    int index = 0;
    if (multiLine_) {
        const float lineHeight = std::max(1.0f, Metrics().TextHeight(FontSize()));
        index = FirstVisibleLine() + static_cast<int>(std::floor((y - area.top - 1) / lineHeight));
        index = std::clamp(index, 0, static_cast<int>(lines.size()) - 1);
    }
    const TextLine& line = lines[static_cast<std::size_t>(index)];
    float start = area.left + 1;
    if (!multiLine_ && alignment_ != 0) {
        const float free = area.width - 2 - Metrics().TextWidth(text_, FontSize());
        start += alignment_ == 1 ? free : free / 2;
    }
    return PositionInLine(text_, line, FontSize(), x - start);
}

void TextBox::Select(int anchor, int caret) {
    selStart_ = std::min(anchor, caret);
    selLength_ = std::abs(caret - anchor);
    Changed("SelStart");
}

void TextBox::UserPress(std::int16_t button, std::int16_t, float x, float y) {
    dragAnchor_.reset();
    if (button != button::Left || VerticalScrollBarArea().Contains(x, y)) return;
    const int position = PositionAt(x, y);
    dragAnchor_ = position;
    Select(position, position);
}

void TextBox::UserMouseDrag(float x, float y) {
    if (!dragAnchor_) return;
    if (multiLine_) {
        const PixelRect area = TextArea();
        if (y < area.top) ScrollLines(-1);
        if (y >= area.top + area.height) ScrollLines(1);
    }
    Select(*dragAnchor_, PositionAt(x, y));
}

void TextBox::UserDoubleClick(float x, float y) {
    dragAnchor_.reset();
    if (VerticalScrollBarArea().Contains(x, y)) return;
    const auto [start, length] = WordAt(text_, PositionAt(x, y));
    Select(start, start + length);
}

void TextBox::UserWheel(std::int16_t delta) {
    ScrollLines(-delta * WheelLinesPerNotch / platform::WHEEL_DELTA);
}

platform::WindowProc TextBox::WindowProcedure() const {
    return &TextBoxWindowProc;
}

void TextBox::UserChar(std::string_view character) {
    if (locked_) return;
    if (!multiLine_ && (character == "\r" || character == "\n")) return;
    SetSelText(character);
    ScrollToCaret();
}

bool TextBox::InsideLineBreak(int position) const {
    if (position <= 0 || position >= Length()) return false;
    const std::size_t at = rt::ByteOffsetOfChar(text_, position + 1);
    return text_[at - 1] == '\r' && text_[at] == '\n';
}

int TextBox::PositionOnLine(int position, int lines) const {
    const std::vector<TextLine> all = Lines();
    const int from = LineOfPosition(all, position);
    const int to = std::clamp(from + lines, 0, static_cast<int>(all.size()) - 1);
    if (to == from) return position;
    const float x = OffsetInLine(text_, all[static_cast<std::size_t>(from)], FontSize(), position);
    return PositionInLine(text_, all[static_cast<std::size_t>(to)], FontSize(), x);
}

void TextBox::ScrollToCaret() {
    if (!multiLine_) return;
    const int line = LineOfPosition(Lines(), selStart_ + selLength_);
    const int first = FirstVisibleLine();
    const int visible = VisibleLineCount();
    if (line < first) SetFirstVisibleLine(line);
    if (line >= first + visible) SetFirstVisibleLine(line - visible + 1);
}

void TextBox::UserKey(std::int16_t keyCode, std::int16_t shiftState) {
    const int length = Length();
    const bool wholeText = !multiLine_ || (shiftState & shift::Ctrl);
    switch (keyCode) {
        case key::Left:
            selStart_ = selLength_ > 0 ? selStart_ : std::max(0, selStart_ - 1);
            if (InsideLineBreak(selStart_)) --selStart_;  // CR LF is one step
            selLength_ = 0;
            break;
        case key::Right:
            selStart_ = selLength_ > 0 ? selStart_ + selLength_ : std::min(length, selStart_ + 1);
            if (InsideLineBreak(selStart_)) ++selStart_;
            selLength_ = 0;
            break;
        case key::Home: {
            // In a multi-line box Home and End keep to the caret's line; with Ctrl the whole text.
            const std::vector<TextLine> lines = Lines();
            selStart_ = wholeText ? 0 : lines[LineOfPosition(lines, selStart_)].start;
            selLength_ = 0;
            break;
        }
        case key::End: {
            const std::vector<TextLine> lines = Lines();
            const TextLine& line = lines[LineOfPosition(lines, selStart_ + selLength_)];
            selStart_ = wholeText ? length : line.start + line.length;
            selLength_ = 0;
            break;
        }
        case key::Up:
        case key::Down:
        case key::PageUp:
        case key::PageDown: {
            if (!multiLine_) return;
            const int page = VisibleLineCount();
            const int lines = keyCode == key::Up       ? -1
                              : keyCode == key::Down   ? 1
                              : keyCode == key::PageUp ? -page
                                                       : page;
            if (keyCode == key::PageUp || keyCode == key::PageDown) ScrollLines(lines);
            selStart_ = PositionOnLine(selStart_ + (lines > 0 ? selLength_ : 0), lines);
            selLength_ = 0;
            break;
        }
        case key::Back:
            if (locked_) return;
            if (selLength_ > 0)
                Replace(selStart_, selLength_, "", selStart_);
            else if (selStart_ > 0)
                Replace(selStart_ - 1, 1, "", selStart_ - 1);
            return;
        case key::Delete:
            if (locked_) return;
            Replace(selStart_, std::max(selLength_, selStart_ < length ? 1 : 0), "", selStart_);
            return;
        case key::Return:
            if (!locked_ && multiLine_) {
                SetSelText("\r\n");
                ScrollToCaret();
            }
            return;
        default:
            return;
    }
    Changed("SelStart");
    ScrollToCaret();
}

void TextBox::CopyPropertiesFrom(const Control& source) {
    Control::CopyPropertiesFrom(source);
    const auto& other = static_cast<const TextBox&>(source);
    text_ = other.text_;
    locked_ = other.locked_;
    multiLine_ = other.multiLine_;
    alignment_ = other.alignment_;
    scrollBars_ = other.scrollBars_;
}

rt::DispId TextBox::GetIdOfName(std::string_view name) {
    return ChainedIdOfName<TextBox, Control>(name);
}

rt::Variant TextBox::Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) {
    return ChainedInvoke<TextBox, Control>(id, type, args);
}

const rt::DispatchTable<TextBox>& TextBox::Members() {
    using T = TextBox;
    static const rt::DispatchTable<TextBox> table{
        rows::Property<T>("Text", 100, &T::Text, &T::SetText),
        rows::Property<T>("SelStart", 101, &T::SelStart, &T::SetSelStart),
        rows::Property<T>("SelLength", 102, &T::SelLength, &T::SetSelLength),
        rows::Property<T>("SelText", 103, &T::SelText,
                          [](T& t, const std::string& v) { t.SetSelText(v); }),
        rows::Property<T>("Locked", 104, &T::Locked, &T::SetLocked),
        rows::ReadOnly<T>("MultiLine", 105, &T::MultiLine),
        rows::Property<T>(
            "Alignment", 106, [](T& t) { return static_cast<std::int16_t>(t.Alignment()); },
            [](T& t, std::int16_t v) { t.SetAlignment(v); }),
        rows::ReadOnly<T>("ScrollBars", 107,
                          [](T& t) { return static_cast<std::int16_t>(t.ScrollBars()); }),
    };
    return table;
}

}  // namespace forms
