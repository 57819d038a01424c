#include "TextBox.h"

#include <algorithm>

#include "CodePage.h"
#include "MemberRows.h"
#include "Text.h"

namespace forms {

TextBox::TextBox(std::string name) : Control(std::move(name)) {
    InitColors(color::SystemWindow, color::SystemWindowText);
}

int TextBox::Length() const {
    return static_cast<int>(rt::CharCount(text_));
}

void TextBox::SetText(std::string value) {
    selStart_ = 0;
    selLength_ = 0;
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

void TextBox::UserChar(std::string_view character) {
    if (locked_) return;
    if (!multiLine_ && (character == "\r" || character == "\n")) return;
    SetSelText(character);
}

void TextBox::UserKey(std::int16_t keyCode, std::int16_t) {
    const int length = Length();
    switch (keyCode) {
        case key::Left:
            selStart_ = selLength_ > 0 ? selStart_ : std::max(0, selStart_ - 1);
            selLength_ = 0;
            break;
        case key::Right:
            selStart_ = selLength_ > 0 ? selStart_ + selLength_ : std::min(length, selStart_ + 1);
            selLength_ = 0;
            break;
        case key::Home:
            selStart_ = 0;
            selLength_ = 0;
            break;
        case key::End:
            selStart_ = length;
            selLength_ = 0;
            break;
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
            if (!locked_ && multiLine_) SetSelText("\r\n");
            return;
        default:
            return;
    }
    Changed("SelStart");
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
