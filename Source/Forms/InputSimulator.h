#pragma once
// What a user does, for tests and the host's script mode (the view feeds the same entry points):
// clicks, double clicks, typing, keys with a shift state, Tab, mouse moves, presses and releases
// at coordinates, and the wheel. Keys and mouse buttons also go to the key-state role, so code
// that asks GetAsyncKeyState sees them (a focus arriving by Tab sees Tab down); the mouse
// position goes to the window role, the shown cursor to the cursor role.
//
// Points are pixels relative to the form's client area.
#include <cstdint>
#include <string_view>

#include "Units.h"
#include "WindowManager.h"

namespace forms {

class Control;
class Form;

namespace input {

// The mouse at a point: the cursor follows the pointer of the control under it (or the screen's
// pointer), then MouseMove. While a button is held the control that got the press gets the moves.
void MouseMove(Form& form, float x, float y, std::int16_t buttons = 0, std::int16_t shift = 0);
// A press: the control under the point takes the focus if it can (LostFocus, GotFocus), then
// MouseDown; it holds the mouse until the release.
void MouseDown(Form& form, float x, float y, std::int16_t button = button::Left,
               std::int16_t shift = 0);
// A release: MouseUp, then for the left button over the pressed control its click (Click, or the
// value change of a check box or option button) unless `click` is false.
void MouseUp(Form& form, float x, float y, std::int16_t button = button::Left,
             std::int16_t shift = 0, bool click = true);
// The second press of a double click (the view's entry; DoubleClick below does the whole
// sequence): the control under the point raises DblClick instead of MouseDown and holds the
// mouse; the release that follows is a MouseUp with `click` false.
void DoubleClickPress(Form& form, float x, float y, std::int16_t shift = 0);

// Move, press and release at the control's centre.
void Click(Control& control, std::int16_t shift = 0);
// Press, release, Click, DblClick, release.
void DoubleClick(Control& control);

// Each character to the focused control: KeyPress (the handler may change or cancel it), then
// the text box takes it.
void TypeText(std::string_view text);
// A key to the focused control: KeyDown (a user control with KeyPreview, or a focused user
// control, first), the control's own reaction unless the handler set KeyCode to 0 (Tab moves the
// focus, backwards with Shift), then KeyUp.
void PressKey(std::int16_t keyCode, std::int16_t shift = 0);
void Tab(bool backwards = false);

// The wheel over the window under the point: WM_MOUSEWHEEL through the window role (so
// subclassed windows see it). Returns the window's answer; 0 when no window is there.
platform::LResult Wheel(Form& form, float x, float y, std::int16_t delta, std::uint16_t keys = 0);

}  // namespace input
}  // namespace forms
