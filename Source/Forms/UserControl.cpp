#include "UserControl.h"

#include <algorithm>
#include <vector>

#include "Application.h"
#include "Focus.h"
#include "MemberRows.h"
#include "TextMetrics.h"

namespace forms {

UserControl::UserControl(std::string name) : Container(std::move(name)) {}

void UserControl::PropertyChanged(std::string_view name) {
    PropertyChangedNotify(std::string(name));
}

void UserControl::InitNew() {
    InitProperties();
}
void UserControl::LoadProperties(PropertyBag& bag) {
    ReadProperties(bag);
}
void UserControl::SaveProperties(PropertyBag& bag) {
    WriteProperties(bag);
}

float UserControl::TextWidth(std::string_view text) const {
    return Metrics().TextWidth(text, FontSize());
}

float UserControl::TextHeight(std::string_view) const {
    return Metrics().TextHeight(FontSize());
}

Control* UserControl::ActiveControl() const {
    Control* focused = App().FocusedControl();
    for (Control* c = focused ? focused->Parent() : nullptr; c; c = c->Parent())
        if (c == this) return focused;
    return nullptr;
}

void UserControl::SetFocus() {
    for (Control* c : TabOrder(*this)) {
        if (c->CanReceiveFocus()) {
            App().MoveFocus(c);
            return;
        }
    }
    Control::SetFocus();
}

rt::DispId UserControl::GetIdOfName(std::string_view name) {
    return ChainedIdOfName<UserControl, Container>(name);
}

rt::Variant UserControl::Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) {
    return ChainedInvoke<UserControl, Container>(id, type, args);
}

const rt::DispatchTable<UserControl>& UserControl::Members() {
    using U = UserControl;
    static const rt::DispatchTable<UserControl> table{
        rows::Method<U>(
            "TextWidth", 60,
            [](U& u, std::span<rt::Variant> a) { return u.TextWidth(rt::Arg(a, 0).ToString()); }),
        rows::Method<U>(
            "PropertyChanged", 61,
            [](U& u, std::span<rt::Variant> a) { u.PropertyChanged(rt::Arg(a, 0).ToString()); }),
    };
    return table;
}

}  // namespace forms
