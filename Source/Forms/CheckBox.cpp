#include "CheckBox.h"

#include "MemberRows.h"

namespace forms {

void CheckBox::SetCaption(std::string value) {
    if (caption_ == value) return;
    caption_ = std::move(value);
    Changed("Caption");
}

void CheckBox::SetValue(int value) {
    if (value < 0 || value > 2) rt::Raise(err::InvalidPropertyValue, Name());
    if (value_ == value) return;
    value_ = value;
    Changed("Value");
    Click();
}

void CheckBox::UserKey(std::int16_t keyCode, std::int16_t) {
    if (keyCode == key::Space) UserClick();
}

void CheckBox::CopyPropertiesFrom(const Control& source) {
    Control::CopyPropertiesFrom(source);
    const auto& other = static_cast<const CheckBox&>(source);
    caption_ = other.caption_;
    value_ = other.value_;
}

rt::DispId CheckBox::GetIdOfName(std::string_view name) {
    return ChainedIdOfName<CheckBox, Control>(name);
}

rt::Variant CheckBox::Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) {
    return ChainedInvoke<CheckBox, Control>(id, type, args);
}

const rt::DispatchTable<CheckBox>& CheckBox::Members() {
    using K = CheckBox;
    static const rt::DispatchTable<CheckBox> table{
        rows::Property<K>("Caption", 100, &K::Caption, &K::SetCaption),
        rows::Property<K>(
            "Value", 101, [](K& k) { return static_cast<std::int16_t>(k.Value()); },
            [](K& k, std::int16_t v) { k.SetValue(v); }),
    };
    return table;
}

}  // namespace forms
