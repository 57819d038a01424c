#include "Label.h"

#include "MemberRows.h"

namespace forms {

void Label::SetCaption(std::string value) {
    if (caption_ == value) return;
    caption_ = std::move(value);
    Changed("Caption");
}

void Label::SetAlignment(int value) {
    if (value < 0 || value > 2) rt::Raise(err::InvalidPropertyValue, Name());
    alignment_ = value;
    Changed("Alignment");
}

void Label::CopyPropertiesFrom(const Control& source) {
    Control::CopyPropertiesFrom(source);
    const auto& other = static_cast<const Label&>(source);
    caption_ = other.caption_;
    alignment_ = other.alignment_;
}

rt::DispId Label::GetIdOfName(std::string_view name) {
    return ChainedIdOfName<Label, Control>(name);
}

rt::Variant Label::Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) {
    return ChainedInvoke<Label, Control>(id, type, args);
}

const rt::DispatchTable<Label>& Label::Members() {
    static const rt::DispatchTable<Label> table{
        rows::Property<Label>("Caption", 100, &Label::Caption, &Label::SetCaption),
        rows::Property<Label>(
            "Alignment", 101, [](Label& l) { return static_cast<std::int16_t>(l.Alignment()); },
            [](Label& l, std::int16_t v) { l.SetAlignment(v); }),
    };
    return table;
}

}  // namespace forms
