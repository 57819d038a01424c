#include "OptionButton.h"

#include "Container.h"
#include "MemberRows.h"

namespace forms {

void OptionButton::SetCaption(std::string value) {
    if (caption_ == value) return;
    caption_ = std::move(value);
    Changed("Caption");
}

void OptionButton::SetValue(bool value) {
    if (value_ == value) return;
    value_ = value;
    Changed("Value");
    if (!value) return;
    if (Parent()) {
        for (const auto& sibling : Parent()->Controls()) {
            auto* option = dynamic_cast<OptionButton*>(sibling.get());
            if (option && option != this && option->value_) {
                option->value_ = false;
                option->Changed("Value");
            }
        }
    }
    Click();
}

void OptionButton::UserKey(std::int16_t keyCode, std::int16_t) {
    if (keyCode == key::Space) SetValue(true);
}

void OptionButton::CopyPropertiesFrom(const Control& source) {
    Control::CopyPropertiesFrom(source);
    caption_ = static_cast<const OptionButton&>(source).caption_;
}

rt::DispId OptionButton::GetIdOfName(std::string_view name) {
    return ChainedIdOfName<OptionButton, Control>(name);
}

rt::Variant OptionButton::Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) {
    return ChainedInvoke<OptionButton, Control>(id, type, args);
}

const rt::DispatchTable<OptionButton>& OptionButton::Members() {
    using O = OptionButton;
    static const rt::DispatchTable<OptionButton> table{
        rows::Property<O>("Caption", 100, &O::Caption, &O::SetCaption),
        rows::Property<O>("Value", 101, &O::Value, &O::SetValue),
    };
    return table;
}

}  // namespace forms
