#include "Application.h"

#include <algorithm>

#include "Control.h"
#include "Cursors.h"
#include "Form.h"
#include "UserControl.h"

namespace forms {

Application& App() {
    // Never destroyed: controls of global forms may go away after every other static.
    static auto* app = new Application;
    return *app;
}

namespace {
// The user controls around a control, innermost first; a focused user control counts itself.
std::vector<UserControl*> UserControlChain(Control* control) {
    std::vector<UserControl*> chain;
    for (Control* c = control; c; c = c->Parent())
        if (auto* uc = dynamic_cast<UserControl*>(c)) chain.push_back(uc);
    return chain;
}

bool Holds(const std::vector<UserControl*>& chain, UserControl* uc) {
    return std::find(chain.begin(), chain.end(), uc) != chain.end();
}

struct Flag {
    bool& flag;
    explicit Flag(bool& f) : flag(f) { flag = true; }
    ~Flag() { flag = false; }
};
}  // namespace

void Application::MoveFocus(Control* target) {
    if (moving_) {
        pendingMove_ = true;
        pendingTarget_ = target;
        return;
    }
    Flag moving(moving_);
    pendingMove_ = false;
    RunFocusMove(target);
    while (pendingMove_) {
        pendingMove_ = false;
        RunFocusMove(pendingTarget_);
    }
}

void Application::RunFocusMove(Control* target) {
    Control* old = focused_;
    if (old == target) return;
    const auto left = UserControlChain(old);
    const auto entered = UserControlChain(target);
    focused_ = target;
    if (target)
        if (Form* form = target->ParentForm()) form->activeControl_ = target->weak_from_this();
    // The view shows the focus (caret, focus rectangle): it hears of each move.
    if (old) NotifyChanged(*old, "Focus");
    if (target) NotifyChanged(*target, "Focus");
    if (old) old->LostFocus();
    for (UserControl* uc : left)
        if (!Holds(entered, uc)) uc->ExitFocus();
    for (auto it = entered.rbegin(); it != entered.rend(); ++it)
        if (!Holds(left, *it)) (*it)->EnterFocus();
    if (target && focused_ == target) target->GotFocus();
}

void Application::SetScreenMousePointer(int value) {
    screenPointer_ = value;
    RefreshCursor();
}

void Application::AddObserver(ChangeObserver* observer) {
    observers_.push_back(observer);
}

void Application::RemoveObserver(ChangeObserver* observer) {
    std::erase(observers_, observer);
}

void Application::NotifyAdded(Control& control) {
    for (auto* o : std::vector(observers_)) o->ControlAdded(control);
}

void Application::NotifyChanged(Control& control, std::string_view property) {
    for (auto* o : std::vector(observers_)) o->ControlChanged(control, property);
}

void Application::NotifyRemoved(Control& control) {
    for (auto* o : std::vector(observers_)) o->ControlRemoved(control);
}

void Application::NotifyPainted(Control& control) {
    for (auto* o : std::vector(observers_)) o->ControlPainted(control);
}

Form* Application::FormOfWindow(std::int32_t hWnd) const {
    if (hWnd == 0) return nullptr;
    for (Form* form : forms_)
        if (form->ExistingWindow() == hWnd) return form;
    return nullptr;
}

Control* Application::ControlOfWindow(std::int32_t hWnd) const {
    if (hWnd == 0) return nullptr;
    Control* found = nullptr;
    for (Form* form : forms_) {
        if (form->ExistingWindow() == hWnd) return form;
        form->ForEachDescendant([&](Control& c) {
            if (!found && c.ExistingWindow() == hWnd) found = &c;
        });
        if (found) return found;
    }
    return nullptr;
}

void Application::Forget(Control& control) noexcept {
    if (focused_ == &control) focused_ = nullptr;
    if (capture_ == &control) capture_ = nullptr;
    if (hover_ == &control) hover_ = nullptr;
    if (pendingTarget_ == &control) {
        pendingTarget_ = nullptr;
        pendingMove_ = false;
    }
}

void Application::ShowPointer(int pointerCode) {
    int id = platform::IDC_ARROW;
    switch (pointerCode) {
        case 3:
            id = platform::IDC_IBEAM;
            break;
        case pointer::SizeWE:
            id = platform::IDC_SIZEWE;
            break;
        case pointer::Hourglass:
            id = platform::IDC_WAIT;
            break;
        default:
            break;
    }
    auto& cursors = platform::Cursors();
    cursors.SetCursor(cursors.LoadCursor(id));
}

void Application::RefreshCursor() {
    if (screenPointer_ != pointer::Default) {
        ShowPointer(screenPointer_);
        return;
    }
    if (hover_) ShowPointer(hover_->MousePointer());
}

}  // namespace forms
