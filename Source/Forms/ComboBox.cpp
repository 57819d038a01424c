#include "ComboBox.h"

#include <algorithm>

#include "MemberRows.h"

namespace forms {

ComboBox::ComboBox(std::string name) : Control(std::move(name)) {
    InitColors(color::SystemWindow, color::SystemWindowText);
}

void ComboBox::AddItem(std::string item, std::optional<int> index) {
    const int at = index.value_or(ListCount());
    if (at < 0 || at > ListCount()) rt::Raise(rt::err::InvalidProcedureCall, Name());
    items_.insert(items_.begin() + at, std::move(item));
    if (listIndex_ >= at) ++listIndex_;
    Changed("List");
}

void ComboBox::RemoveItem(int index) {
    if (index < 0 || index >= ListCount()) rt::Raise(rt::err::InvalidProcedureCall, Name());
    items_.erase(items_.begin() + index);
    if (listIndex_ == index)
        listIndex_ = -1;
    else if (listIndex_ > index)
        --listIndex_;
    Changed("List");
}

void ComboBox::Clear() {
    items_.clear();
    listIndex_ = -1;
    Changed("List");
}

const std::string& ComboBox::List(int index) const {
    if (index < 0 || index >= ListCount())
        rt::Raise(err::InvalidPropertyArrayIndex, Name(), "Invalid property array index");
    return items_[static_cast<std::size_t>(index)];
}

void ComboBox::SetList(int index, std::string item) {
    if (index < 0 || index >= ListCount())
        rt::Raise(err::InvalidPropertyArrayIndex, Name(), "Invalid property array index");
    items_[static_cast<std::size_t>(index)] = std::move(item);
    Changed("List");
}

void ComboBox::SetListIndex(int value) {
    if (value < -1 || value >= ListCount()) rt::Raise(err::InvalidPropertyValue, Name());
    if (listIndex_ == value) return;
    listIndex_ = value;
    Changed("ListIndex");
    Click();
}

std::string ComboBox::Text() const {
    return listIndex_ < 0 ? std::string() : List(listIndex_);
}

void ComboBox::UserKey(std::int16_t keyCode, std::int16_t shiftState) {
    // Alt with an arrow and F4 open the list: the view's part, nothing is selected here.
    if (shiftState & shift::Alt || ListCount() == 0) return;
    const int last = ListCount() - 1;
    switch (keyCode) {
        case key::Down:
        case key::Right:
            SetListIndex(std::min(listIndex_ + 1, last));
            break;
        case key::Up:
        case key::Left:
            // With nothing selected the first step up stays at the first item.
            SetListIndex(std::max(listIndex_ - 1, 0));
            break;
        case key::Home:
            SetListIndex(0);
            break;
        case key::End:
            SetListIndex(last);
            break;
        default:
            break;
    }
}

void ComboBox::CopyPropertiesFrom(const Control& source) {
    Control::CopyPropertiesFrom(source);
    items_ = static_cast<const ComboBox&>(source).items_;
}

rt::DispId ComboBox::GetIdOfName(std::string_view name) {
    return ChainedIdOfName<ComboBox, Control>(name);
}

rt::Variant ComboBox::Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) {
    return ChainedInvoke<ComboBox, Control>(id, type, args);
}

const rt::DispatchTable<ComboBox>& ComboBox::Members() {
    using B = ComboBox;
    static const rt::DispatchTable<ComboBox> table{
        rows::Method<B>("AddItem", 100,
                        [](B& b, std::span<rt::Variant> a) {
                            const rt::Variant at = rt::OptionalArg(a, 1);
                            b.AddItem(
                                rt::Arg(a, 0).ToString(),
                                at.IsMissing() ? std::nullopt : std::optional<int>(at.ToLong()));
                        }),
        rows::Method<B>(
            "RemoveItem", 101,
            [](B& b, std::span<rt::Variant> a) { b.RemoveItem(rt::Arg(a, 0).ToLong()); }),
        rows::Method<B>("Clear", 102, [](B& b, std::span<rt::Variant>) { b.Clear(); }),
        rows::ReadOnly<B>("ListCount", 103,
                          [](B& b) { return static_cast<std::int16_t>(b.ListCount()); }),
        {"List", 104,
         [](B& b, rt::CallType type, std::span<rt::Variant> a) -> rt::Variant {
             const int index = rt::Arg(a, 0).ToLong();
             if (rows::IsAssignment(type)) {
                 b.SetList(index, rows::AssignedValue(a).ToString());
                 return {};
             }
             return b.List(index);
         }},
        rows::Property<B>(
            "ListIndex", 105, [](B& b) { return static_cast<std::int16_t>(b.ListIndex()); },
            [](B& b, std::int16_t v) { b.SetListIndex(v); }),
        rows::ReadOnly<B>("Text", 106, &B::Text),
    };
    return table;
}

}  // namespace forms
