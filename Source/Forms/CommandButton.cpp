#include "CommandButton.h"

#include "MemberRows.h"

namespace forms {

void CommandButton::SetCaption(std::string value) {
    if (caption_ == value) return;
    caption_ = std::move(value);
    Changed("Caption");
}

void CommandButton::UserKey(std::int16_t keyCode, std::int16_t) {
    if (keyCode == key::Space || keyCode == key::Return) Click();
}

void CommandButton::CopyPropertiesFrom(const Control& source) {
    Control::CopyPropertiesFrom(source);
    caption_ = static_cast<const CommandButton&>(source).caption_;
}

rt::DispId CommandButton::GetIdOfName(std::string_view name) {
    return ChainedIdOfName<CommandButton, Control>(name);
}

rt::Variant CommandButton::Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) {
    return ChainedInvoke<CommandButton, Control>(id, type, args);
}

const rt::DispatchTable<CommandButton>& CommandButton::Members() {
    using B = CommandButton;
    static const rt::DispatchTable<CommandButton> table{
        rows::Property<B>("Caption", 100, &B::Caption, &B::SetCaption),
    };
    return table;
}

}  // namespace forms
