#include "Control.h"

#include <cmath>

#include "Application.h"
#include "Container.h"
#include "Form.h"
#include "MemberRows.h"
#include "UserControl.h"

namespace forms {

Control::Control(std::string name) : name_(std::move(name)) {}

// The window is left to the window manager: a control may outlive the installed manager (a
// global form at process exit); unloading destroys the windows explicitly.
Control::~Control() {
    App().Forget(*this);
}

Form* Control::ParentForm() {
    for (Control* c = this; c; c = c->parent_)
        if (auto* form = dynamic_cast<Form*>(c)) return form;
    return nullptr;
}

UserControl* Control::ParentUserControl() {
    for (Control* c = parent_; c; c = c->parent_)
        if (auto* uc = dynamic_cast<UserControl*>(c)) return uc;
    return nullptr;
}

bool Control::IsLoaded() const {
    for (const Control* c = this; c; c = c->parent_) {
        if (c->unloaded_) return false;
        if (auto* form = dynamic_cast<const Form*>(c)) return form->Loaded();
    }
    return true;  // outside any form (a user control on its own): always there
}

float Control::ParentUnitsPerPixel() const {
    return parent_ ? parent_->ChildUnitsPerPixel() : TwipsPerPixel;
}

PixelRect Control::PixelBounds() const {
    const float upp = ParentUnitsPerPixel();
    if (!parent_) return {0, 0, width_ / upp, height_ / upp};
    const PixelRect client = parent_->ClientArea();
    return {client.left + left_ / upp, client.top + top_ / upp, width_ / upp, height_ / upp};
}

void Control::Move(float left, std::optional<float> top, std::optional<float> width,
                   std::optional<float> height) {
    const float newTop = top.value_or(top_);
    const float newWidth = width.value_or(width_);
    const float newHeight = height.value_or(height_);
    if (newWidth < 0 || newHeight < 0) rt::Raise(err::InvalidPropertyValue, name_);
    const bool moved = left != left_ || newTop != top_;
    const bool sized = newWidth != width_ || newHeight != height_;
    if (!moved && !sized) return;
    const float oldLeft = left_, oldTop = top_, oldWidth = width_, oldHeight = height_;
    left_ = left;
    top_ = newTop;
    width_ = newWidth;
    height_ = newHeight;
    SyncWindow();
    if (left_ != oldLeft) Changed("Left");
    if (top_ != oldTop) Changed("Top");
    if (width_ != oldWidth) Changed("Width");
    if (height_ != oldHeight) Changed("Height");
    if (sized) SizeChanged();
}

void Control::SetVisible(bool value) {
    if (visible_ == value) return;
    visible_ = value;
    if (!value) DropFocusIfInside();
    SyncWindow();
    Changed("Visible");
}

void Control::SetEnabled(bool value) {
    if (enabled_ == value) return;
    enabled_ = value;
    if (!value) DropFocusIfInside();
    Changed("Enabled");
    EnabledChanged();
}

void Control::SetTag(std::string value) {
    if (tag_ == value) return;
    tag_ = std::move(value);
    App().NotifyChanged(*this, "Tag");  // nothing to repaint
}

void Control::SetToolTipText(std::string value) {
    if (toolTipText_ == value) return;
    toolTipText_ = std::move(value);
    App().NotifyChanged(*this, "ToolTipText");
}

void Control::SetMousePointer(int value) {
    if ((value < 0 || value > 15) && value != 99) rt::Raise(err::InvalidPropertyValue, name_);
    if (mousePointer_ == value) return;
    mousePointer_ = value;
    App().NotifyChanged(*this, "MousePointer");
    if (App().Hover() == this) App().RefreshCursor();  // the pointer over it changes at once
}

void Control::SetBackColor(Color value) {
    if (backColor_ == value) return;
    backColor_ = value;
    Changed("BackColor");
}

void Control::SetForeColor(Color value) {
    if (foreColor_ == value) return;
    foreColor_ = value;
    Changed("ForeColor");
}

void Control::SetFontSize(float value) {
    if (!(value > 0)) rt::Raise(err::InvalidPropertyValue, name_);
    if (fontSize_ == value) return;
    fontSize_ = value;
    Changed("FontSize");
}

void Control::SetTabIndex(int value) {
    if (value < 0) rt::Raise(err::InvalidPropertyValue, name_);
    tabIndex_ = value;
    App().NotifyChanged(*this, "TabIndex");
}

void Control::SetTabStop(bool value) {
    tabStop_ = value;
    App().NotifyChanged(*this, "TabStop");
}

bool Control::IsShowing() const {
    for (const Control* c = this; c; c = c->parent_) {
        if (!c->visible_ || !c->ShownAtRunTime()) return false;
    }
    return true;
}

bool Control::IsEnabledThrough() const {
    for (const Control* c = this; c; c = c->parent_)
        if (!c->enabled_) return false;
    return true;
}

void Control::ZOrder(int position) {
    if (!parent_) return;
    if (position == 0) {
        parent_->BringToFront(*this);
        if (window_) platform::Windows().BringWindowToTop(window_);
    } else {
        parent_->SendToBack(*this);
    }
    Changed("ZOrder");
}

bool Control::CanReceiveFocus() const {
    return TakesFocus() && IsLoaded() && IsShowing() && IsEnabledThrough();
}

void Control::SetFocus() {
    if (!CanReceiveFocus())
        rt::Raise(err::CannotFocus, name_,
                  "Can't move focus to a control because it is invisible, not enabled, or of a "
                  "type that does not accept the focus");
    App().MoveFocus(this);
}

bool Control::HasFocus() const {
    return App().FocusedControl() == this;
}

void Control::UserKey(std::int16_t, std::int16_t) {}
void Control::UserChar(std::string_view) {}

void Control::Changed(std::string_view property) {
    if (unloaded_) return;  // an unloaded element is no longer shown anywhere
    App().NotifyChanged(*this, property);
    if (!IsLoaded()) return;
    for (Control* c = this; c; c = c->parent_) {
        if (!c->IsWindowed()) continue;
        if (c->window_) platform::Windows().InvalidateWindow(c->window_);
        break;
    }
}

void Control::CopyPropertiesFrom(const Control& source) {
    left_ = source.left_;
    top_ = source.top_;
    width_ = source.width_;
    height_ = source.height_;
    enabled_ = source.enabled_;
    tag_ = source.tag_;
    toolTipText_ = source.toolTipText_;
    mousePointer_ = source.mousePointer_;
    backColor_ = source.backColor_;
    foreColor_ = source.foreColor_;
    fontSize_ = source.fontSize_;
    tabStop_ = source.tabStop_;
}

void Control::DropFocusIfInside() {
    for (Control* c = App().FocusedControl(); c; c = c->parent_) {
        if (c == this) {
            App().MoveFocus(nullptr);
            return;
        }
    }
}

platform::Rect Control::WindowRect() const {
    PixelRect r = PixelBounds();
    for (const Control* host = parent_; host; host = host->parent_) {
        if (!host->IsWindowed()) continue;
        const PixelRect origin = host->PixelBounds();
        r.left -= origin.left;
        r.top -= origin.top;
        break;
    }
    const auto px = [](float v) { return static_cast<std::int32_t>(std::lround(v)); };
    return {px(r.left), px(r.top), px(r.left + r.width), px(r.top + r.height)};
}

platform::WindowHandle Control::hWnd() {
    if (!IsWindowed()) return 0;
    auto& windows = platform::Windows();
    if (window_ && windows.IsWindow(window_)) return window_;
    platform::WindowCreation creation;
    for (Control* host = parent_; host; host = host->parent_) {
        if (!host->IsWindowed()) continue;
        creation.parent = host->hWnd();
        break;
    }
    creation.rect = WindowRect();
    creation.visible = visible_ && ShownAtRunTime();
    creation.procedure = WindowProcedure();
    std::weak_ptr<Control> self = weak_from_this();
    creation.paint = [self](platform::WindowHandle) {
        if (auto control = self.lock()) App().NotifyPainted(*control);
    };
    window_ = windows.CreateWindow(creation);
    return window_;
}

void Control::SyncWindow() {
    if (!window_) return;
    auto& windows = platform::Windows();
    if (!windows.IsWindow(window_)) return;
    windows.MoveWindow(window_, WindowRect());
    windows.ShowWindow(window_, visible_ && ShownAtRunTime());
}

void Control::DestroyWindows() {
    if (auto* container = dynamic_cast<Container*>(this))
        for (auto& child : container->children_) child->DestroyWindows();
    if (window_) {
        auto& windows = platform::Windows();
        if (windows.IsWindow(window_)) windows.DestroyWindow(window_);
        window_ = 0;
    }
}

rt::DispId Control::GetIdOfName(std::string_view name) {
    return Members().IdOf(name);
}

rt::Variant Control::Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) {
    return Members().Invoke(*this, id, type, args);
}

const rt::DispatchTable<Control>& Control::Members() {
    using C = Control;
    static const rt::DispatchTable<Control> table{
        rows::ReadOnly<C>("Name", 1, [](C& c) { return c.Name(); }),
        rows::ReadOnly<C>("Index", 2, [](C& c) { return static_cast<std::int16_t>(c.Index()); }),
        rows::Property<C>("Left", 3, &C::Left, &C::SetLeft),
        rows::Property<C>("Top", 4, &C::Top, &C::SetTop),
        rows::Property<C>("Width", 5, &C::Width, &C::SetWidth),
        rows::Property<C>("Height", 6, &C::Height, &C::SetHeight),
        rows::Property<C>("Visible", 7, &C::Visible, &C::SetVisible),
        rows::Property<C>("Enabled", 8, &C::Enabled, &C::SetEnabled),
        rows::Property<C>("Tag", 9, &C::Tag, &C::SetTag),
        rows::Property<C>("ToolTipText", 10, &C::ToolTipText, &C::SetToolTipText),
        rows::Property<C>(
            "MousePointer", 11, [](C& c) { return static_cast<std::int16_t>(c.MousePointer()); },
            [](C& c, std::int16_t v) { c.SetMousePointer(v); }),
        rows::Property<C>("BackColor", 12, &C::BackColor, &C::SetBackColor),
        rows::Property<C>("ForeColor", 13, &C::ForeColor, &C::SetForeColor),
        rows::Property<C>("FontSize", 14, &C::FontSize, &C::SetFontSize),
        rows::Property<C>(
            "TabIndex", 15, [](C& c) { return static_cast<std::int16_t>(c.TabIndex()); },
            [](C& c, std::int16_t v) { c.SetTabIndex(v); }),
        rows::Property<C>("TabStop", 16, &C::TabStop, &C::SetTabStop),
        rows::ReadOnly<C>("hWnd", 17, [](C& c) { return static_cast<std::int32_t>(c.hWnd()); }),
        rows::Method<C>("Move", 18,
                        [](C& c, std::span<rt::Variant> a) {
                            auto opt = [&](std::size_t i) -> std::optional<float> {
                                const rt::Variant v = rt::OptionalArg(a, i);
                                if (v.IsMissing()) return std::nullopt;
                                return v.ToSingle();
                            };
                            c.Move(rt::Arg(a, 0).ToSingle(), opt(1), opt(2), opt(3));
                        }),
        rows::Method<C>("SetFocus", 19, [](C& c, std::span<rt::Variant>) { c.SetFocus(); }),
        rows::Method<C>("ZOrder", 20,
                        [](C& c, std::span<rt::Variant> a) {
                            const rt::Variant v = rt::OptionalArg(a, 0);
                            c.ZOrder(v.IsMissing() ? 0 : v.ToLong());
                        }),
    };
    return table;
}

}  // namespace forms
