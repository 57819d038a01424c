#include "Form.h"

#include <cmath>

#include "Application.h"
#include "Focus.h"
#include "MemberRows.h"

namespace forms {

Form::Form(std::string name) : Container(std::move(name)), caption_(Name()) {
    visible_ = false;
}

Form::~Form() {
    std::erase(App().forms_, this);
}

void Form::SetCaption(std::string value) {
    if (caption_ == value) return;
    caption_ = std::move(value);
    Changed("Caption");
}

Control* Form::ActiveControl() const {
    return activeControl_.lock().get();
}

PixelRect Form::PixelBounds() const {
    return {0, 0, Width() / TwipsPerPixel, Height() / TwipsPerPixel};
}

platform::Rect Form::WindowRect() const {
    const auto px = [](float twips) {
        return static_cast<std::int32_t>(std::lround(twips / TwipsPerPixel));
    };
    return {px(Left()), px(Top()), px(Left() + Width()), px(Top() + Height())};
}

void Form::SizeChanged() {
    if (loaded_) Resize();
}

void Form::Show() {
    forms::Load(*this);
    const bool first = !shownSinceLoad_;
    shownSinceLoad_ = true;
    SetVisible(true);
    if (first) Resize();
    if (!first || !Loaded()) return;
    // Shown for the first time, the form takes the focus: the first control in its tab order
    // that can take it gets it, unless one of the form's controls has it already.
    for (Control* c = App().FocusedControl(); c; c = c->Parent())
        if (c == this) return;
    if (Control* start = NextInTabOrder(*this, nullptr, false)) App().MoveFocus(start);
}

void Form::Hide() {
    SetVisible(false);
}

void Load(Form& form) {
    if (form.loaded_) return;
    form.loaded_ = true;
    form.wasUnloaded_ = false;
    App().forms_.push_back(&form);
    form.shownSinceLoad_ = false;
    form.hWnd();
    form.ForEachDescendant([](Control& c) { c.hWnd(); });
    form.ForEachDescendant([](Control& c) { c.FormLoadChanged(true); });
    App().NotifyChanged(form, "Loaded");
    form.Load();
}

bool Unload(Form& form) {
    if (!form.loaded_) return true;
    auto keepAlive = form.weak_from_this().lock();  // empty for a form not held by a FormRef
    std::int16_t cancel = 0;
    form.Unload(cancel);
    if (cancel != 0) return false;
    // The focus leaves the form without events: its controls are going.
    bool focusInside = false;
    for (Control* c = App().FocusedControl(); c; c = c->Parent()) focusInside |= c == &form;
    if (focusInside) App().Forget(*App().FocusedControl());
    form.visible_ = false;
    form.loaded_ = false;
    std::erase(App().forms_, &form);
    form.wasUnloaded_ = true;
    form.activeControl_.reset();
    form.ForEachDescendant([](Control& c) { c.FormLoadChanged(false); });
    form.DestroyWindows();
    App().NotifyChanged(form, "Loaded");
    return true;
}

rt::DispId Form::GetIdOfName(std::string_view name) {
    return ChainedIdOfName<Form, Container>(name);
}

rt::Variant Form::Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) {
    return ChainedInvoke<Form, Container>(id, type, args);
}

const rt::DispatchTable<Form>& Form::Members() {
    using F = Form;
    static const rt::DispatchTable<Form> table{
        rows::Property<F>("Caption", 100, &F::Caption, &F::SetCaption),
        rows::Method<F>("Show", 101, [](F& f, std::span<rt::Variant>) { f.Show(); }),
        rows::Method<F>("Hide", 102, [](F& f, std::span<rt::Variant>) { f.Hide(); }),
        rows::ReadOnly<F>("Loaded", 103, [](F& f) { return f.Loaded(); }),
    };
    return table;
}

}  // namespace forms
