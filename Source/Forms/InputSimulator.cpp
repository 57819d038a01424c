#include "InputSimulator.h"

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "Application.h"
#include "CodePage.h"
#include "Focus.h"
#include "Form.h"
#include "KeyState.h"
#include "UserControl.h"

namespace forms::input {

namespace {

struct LocalPoint {
    float x, y;
};

// The point in the control's own mouse units, from its top-left corner.
// The point in pixels from the control's top-left corner.
LocalPoint ToLocalPixels(Control& control, float x, float y) {
    const PixelRect bounds = control.PixelBounds();
    return {x - bounds.left, y - bounds.top};
}

LocalPoint ToLocal(Control& control, float x, float y) {
    const PixelRect bounds = control.PixelBounds();
    const float scale = control.MouseUnitsPerPixel();
    return {(x - bounds.left) * scale, (y - bounds.top) * scale};
}

platform::Point ToScreen(Form& form, float x, float y) {
    platform::Point point{static_cast<std::int32_t>(std::lround(x)),
                          static_cast<std::int32_t>(std::lround(y))};
    if (form.Loaded()) platform::Windows().ClientToScreen(form.hWnd(), point);
    return point;
}

int ButtonKey(std::int16_t button) {
    switch (button) {
        case button::Right:
            return platform::VK_RBUTTON;
        case button::Middle:
            return platform::VK_MBUTTON;
        default:
            return platform::VK_LBUTTON;
    }
}

// Holds the modifier keys of a shift state down for the length of an input.
class Modifiers {
  public:
    explicit Modifiers(std::int16_t shift) : shift_(shift) { Feed(true); }
    ~Modifiers() { Feed(false); }

  private:
    void Feed(bool down) {
        auto& keys = platform::KeyState();
        const std::pair<std::int16_t, int> map[] = {{shift::Shift, platform::VK_SHIFT},
                                                    {shift::Ctrl, platform::VK_CONTROL},
                                                    {shift::Alt, platform::VK_MENU}};
        for (auto [bit, vk] : map) {
            if (!(shift_ & bit)) continue;
            if (down)
                keys.KeyDown(vk);
            else
                keys.KeyUp(vk);
        }
    }
    std::int16_t shift_;
};

// Keeps a control and its form alive through one input: a handler may unload the form and drop
// the last reference to it while the input is still being delivered.
struct Hold {
    explicit Hold(Control* control) {
        if (!control) return;
        self = control->weak_from_this().lock();
        if (Form* form = control->ParentForm()) owner = form->weak_from_this().lock();
    }
    std::shared_ptr<Control> self, owner;
};

Control* Target(Form& form, float x, float y) {
    if (Control* held = App().Capture()) return held;
    return form.ControlAt(x, y);
}

void MoveOver(Control& target, float x, float y, std::int16_t buttons, std::int16_t shift) {
    App().SetHover(&target);
    App().RefreshCursor();
    if (!target.IsEnabledThrough()) return;
    const LocalPoint p = ToLocal(target, x, y);
    target.MouseMove(buttons, shift, p.x, p.y);
    if ((buttons & button::Left) && App().Capture() == &target && target.IsLoaded()) {
        const LocalPoint px = ToLocalPixels(target, x, y);
        target.UserMouseDrag(px.x, px.y);
    }
}

void PressOn(Control& target, float x, float y, std::int16_t button, std::int16_t shift) {
    if (!target.IsEnabledThrough()) return;
    platform::KeyState().KeyDown(ButtonKey(button));
    if (target.TakesFocus() && target.CanReceiveFocus() && !target.HasFocus()) target.SetFocus();
    App().SetCapture(&target);
    const LocalPoint p = ToLocal(target, x, y);
    target.MouseDown(button, shift, p.x, p.y);
    if (App().Capture() == &target && target.IsLoaded() && target.IsEnabledThrough()) {
        const LocalPoint px = ToLocalPixels(target, x, y);
        target.UserPress(button, shift, px.x, px.y);
    }
}

void ReleaseOn(Control& target, float x, float y, std::int16_t button, std::int16_t shift,
               bool click) {
    App().SetCapture(nullptr);
    platform::KeyState().KeyUp(ButtonKey(button));
    if (!target.IsEnabledThrough()) return;
    const LocalPoint p = ToLocal(target, x, y);
    target.MouseUp(button, shift, p.x, p.y);
    if (click && button == button::Left && target.PixelBounds().Contains(x, y) &&
        target.IsEnabledThrough())
        target.UserClick();
}

LocalPoint Centre(Control& control) {
    const PixelRect b = control.PixelBounds();
    return {b.left + b.width / 2, b.top + b.height / 2};
}

}  // namespace

void MouseMove(Form& form, float x, float y, std::int16_t buttons, std::int16_t shift) {
    platform::Windows().SetCursorPos(ToScreen(form, x, y));
    Modifiers held(shift);
    Hold hold(&form);
    if (Control* target = Target(form, x, y)) MoveOver(*target, x, y, buttons, shift);
}

void MouseDown(Form& form, float x, float y, std::int16_t button, std::int16_t shift) {
    platform::Windows().SetCursorPos(ToScreen(form, x, y));
    Modifiers held(shift);
    Hold hold(&form);
    if (Control* target = Target(form, x, y)) PressOn(*target, x, y, button, shift);
}

void MouseUp(Form& form, float x, float y, std::int16_t button, std::int16_t shift, bool click) {
    platform::Windows().SetCursorPos(ToScreen(form, x, y));
    Modifiers held(shift);
    Hold hold(&form);
    if (Control* target = Target(form, x, y)) ReleaseOn(*target, x, y, button, shift, click);
}

void DoubleClickPress(Form& form, float x, float y, std::int16_t shift) {
    platform::Windows().SetCursorPos(ToScreen(form, x, y));
    Modifiers held(shift);
    Hold hold(&form);
    Control* target = Target(form, x, y);
    if (!target || !target->IsEnabledThrough()) return;
    Hold control(target);
    platform::KeyState().KeyDown(platform::VK_LBUTTON);
    App().SetCapture(target);
    target->DblClick();
    if (target->IsLoaded() && target->IsEnabledThrough()) {
        const LocalPoint px = ToLocalPixels(*target, x, y);
        target->UserDoubleClick(px.x, px.y);
    }
}

void Click(Control& control, std::int16_t shift) {
    Hold hold(&control);
    const LocalPoint c = Centre(control);
    if (Form* form = control.ParentForm())
        platform::Windows().SetCursorPos(ToScreen(*form, c.x, c.y));
    Modifiers held(shift);
    MoveOver(control, c.x, c.y, 0, shift);
    PressOn(control, c.x, c.y, button::Left, shift);
    ReleaseOn(control, c.x, c.y, button::Left, shift, true);
}

void DoubleClick(Control& control) {
    Hold hold(&control);
    const LocalPoint c = Centre(control);
    MoveOver(control, c.x, c.y, 0, 0);
    PressOn(control, c.x, c.y, button::Left, 0);
    ReleaseOn(control, c.x, c.y, button::Left, 0, true);
    if (!control.IsLoaded()) return;  // the click closed its window
    if (control.IsEnabledThrough()) control.DblClick();
    if (control.IsLoaded() && control.IsEnabledThrough()) {
        const LocalPoint px = ToLocalPixels(control, c.x, c.y);
        control.UserDoubleClick(px.x, px.y);
    }
    ReleaseOn(control, c.x, c.y, button::Left, 0, false);
}

void TypeText(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t start = pos;
        const char32_t cp = rt::DecodeUtf8(text, pos);
        Control* target = App().FocusedControl();
        if (!target) return;
        Hold hold(target);
        const int byte = rt::UnicodeToWin1252(cp);
        std::int16_t keyAscii = static_cast<std::int16_t>(byte < 0 ? '?' : byte);
        const std::int16_t typed = keyAscii;
        target->KeyPress(keyAscii);
        if (keyAscii == 0) continue;
        if (keyAscii == typed) {
            target->UserChar(text.substr(start, pos - start));
        } else {
            std::string replaced;
            rt::AppendUtf8(replaced, rt::Win1252ToUnicode(static_cast<unsigned char>(keyAscii)));
            target->UserChar(replaced);
        }
    }
}

void PressKey(std::int16_t keyCode, std::int16_t shift) {
    Modifiers held(shift);
    auto& keys = platform::KeyState();
    keys.KeyDown(keyCode);
    Control* target = App().FocusedControl();
    Hold hold(target);
    std::int16_t code = keyCode;
    std::int16_t state = shift;
    if (target) {
        std::vector<UserControl*> previews;
        for (Control* c = target->Parent(); c; c = c->Parent())
            if (auto* uc = dynamic_cast<UserControl*>(c); uc && uc->KeyPreview())
                previews.insert(previews.begin(), uc);
        for (UserControl* uc : previews)
            if (code != 0) uc->KeyDown(code, state);
        if (code != 0) target->KeyDown(code, state);
        if (code == key::Tab) {
            if (Form* form = target->ParentForm())
                if (Control* next = NextInTabOrder(*form, target, (state & shift::Shift) != 0))
                    App().MoveFocus(next);
        } else if (code != 0 && App().FocusedControl() == target) {
            target->UserKey(code, state);
        }
    }
    keys.KeyUp(keyCode);
    if (Control* now = App().FocusedControl()) {
        std::int16_t upCode = keyCode;
        std::int16_t upState = shift;
        now->KeyUp(upCode, upState);
    }
}

void Tab(bool backwards) {
    PressKey(key::Tab, backwards ? shift::Shift : shift::None);
}

platform::LResult Wheel(Form& form, float x, float y, std::int16_t delta, std::uint16_t keys) {
    const platform::Point screen = ToScreen(form, x, y);
    auto& windows = platform::Windows();
    windows.SetCursorPos(screen);
    const platform::WindowHandle target = windows.WindowFromPoint(screen);
    if (!target) return 0;
    return windows.SendMessage(target, platform::WM_MOUSEWHEEL,
                               platform::MakeWParam(keys, static_cast<std::uint16_t>(delta)),
                               platform::MakeLParam(static_cast<std::int16_t>(screen.x),
                                                    static_cast<std::int16_t>(screen.y)));
}

}  // namespace forms::input
