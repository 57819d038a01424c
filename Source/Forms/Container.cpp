#include "Container.h"

#include <algorithm>

#include "Application.h"
#include "Form.h"
#include "MemberRows.h"
#include "UserControl.h"

namespace forms {

Container::~Container() {
    // Children go first, while the container is still whole.
    auto children = std::move(children_);
    children.clear();
    unloaded_.clear();
}

void Container::Adopt(std::shared_ptr<Control> control) {
    control->parent_ = this;
    control->tabIndex_ = NextTabIndex();
    children_.push_back(control);
    App().NotifyAdded(*control);
    if (control->IsLoaded() && ParentForm()) {
        control->hWnd();
        if (auto* container = dynamic_cast<Container*>(control.get()))
            container->ForEachDescendant([](Control& c) { c.hWnd(); });
        control->FormLoadChanged(true);
    }
}

void Container::Release(Control& control) {
    control.DropFocusIfInside();
    control.FormLoadChanged(false);
    control.DestroyWindows();
    App().NotifyRemoved(control);
    auto it = std::find_if(children_.begin(), children_.end(),
                           [&](const auto& c) { return c.get() == &control; });
    if (it == children_.end()) return;
    unloaded_.push_back(std::move(*it));
    children_.erase(it);
}

void Container::BringToFront(Control& control) {
    auto it = std::find_if(children_.begin(), children_.end(),
                           [&](const auto& c) { return c.get() == &control; });
    if (it != children_.end()) std::rotate(it, it + 1, children_.end());
}

void Container::SendToBack(Control& control) {
    auto it = std::find_if(children_.begin(), children_.end(),
                           [&](const auto& c) { return c.get() == &control; });
    if (it != children_.end()) std::rotate(children_.begin(), it, it + 1);
}

int Container::NextTabIndex() {
    // Tab order is kept per form and per user control; new controls go to its end.
    Container* scope = this;
    for (Container* c = this; c; c = c->Parent()) {
        scope = c;
        if (dynamic_cast<Form*>(c) || dynamic_cast<UserControl*>(c)) break;
    }
    int next = 0;
    scope->ForEachDescendant([&](Control& c) { next = std::max(next, c.TabIndex() + 1); });
    return next;
}

void Container::ForEachDescendant(const std::function<void(Control&)>& visit) {
    // A copy: a visit may add or remove controls.
    const auto children = children_;
    for (const auto& child : children) {
        visit(*child);
        if (auto* container = dynamic_cast<Container*>(child.get()))
            container->ForEachDescendant(visit);
    }
}

Control* Container::FindControl(std::string_view name, int index) {
    Control* found = nullptr;
    ForEachDescendant([&](Control& c) {
        if (!found && rt::AsciiNamesEqual(c.Name(), name) && c.Index() == index) found = &c;
    });
    return found;
}

float Container::ChildUnitsPerPixel() const {
    return ParentUnitsPerPixel();
}

PixelRect Container::ClientArea() const {
    PixelRect r = PixelBounds();
    const float border = BorderPixels();
    return {r.left + border, r.top + border, std::max(0.0f, r.width - 2 * border),
            std::max(0.0f, r.height - 2 * border)};
}

float Container::ScaleWidth() const {
    const float parent = ParentUnitsPerPixel(), own = ChildUnitsPerPixel();
    return std::max(0.0f, Width() - 2 * BorderPixels() * parent) * own / parent;
}

float Container::ScaleHeight() const {
    const float parent = ParentUnitsPerPixel(), own = ChildUnitsPerPixel();
    return std::max(0.0f, Height() - 2 * BorderPixels() * parent) * own / parent;
}

Control* Container::ControlAt(float x, float y) {
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        Control& child = **it;
        if (!child.Visible() || !child.ShownAtRunTime()) continue;
        if (!child.PixelBounds().Contains(x, y)) continue;
        if (auto* container = dynamic_cast<Container*>(&child)) return container->ControlAt(x, y);
        return &child;
    }
    return this;
}

rt::DispId Container::GetIdOfName(std::string_view name) {
    return ChainedIdOfName<Container, Control>(name);
}

rt::Variant Container::Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) {
    return ChainedInvoke<Container, Control>(id, type, args);
}

const rt::DispatchTable<Container>& Container::Members() {
    using C = Container;
    static const rt::DispatchTable<Container> table{
        rows::ReadOnly<C>("ScaleWidth", 50, [](C& c) { return c.ScaleWidth(); }),
        rows::ReadOnly<C>("ScaleHeight", 51, [](C& c) { return c.ScaleHeight(); }),
    };
    return table;
}

void Container::CopyPropertiesFrom(const Control& source) {
    Control::CopyPropertiesFrom(source);
}

}  // namespace forms
