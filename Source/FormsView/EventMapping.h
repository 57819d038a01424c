#pragma once
// FLTK's keyboard and mouse vocabulary in the toolkit's terms: virtual keys, shift states, mouse
// buttons and wheel distances. Pure functions: they need no display.
#include <cstdint>

namespace formsview {

// The virtual key of an FLTK key (Fl::event_key()); 0 for a key the toolkit has no code for.
// Letters give their capital, digits their own character, as on the desktop.
std::int16_t VirtualKeyOf(int flKey);
// The shift state (forms::shift bits) of FLTK's event state.
std::int16_t ShiftOf(int flState);
// The toolkit's button of an FLTK button number (1 left, 2 middle, 3 right); 0 for others.
std::int16_t ButtonOf(int flButton);
// The buttons held (forms::button bits) in FLTK's event state.
std::int16_t ButtonsHeld(int flState);
// The WM_MOUSEWHEEL distance of FLTK's vertical wheel steps (positive dy scrolls down, which the
// desktop reports as a negative distance), clamped to 16 bits.
std::int16_t WheelDistance(int flDy);
// Whether a key opens the list of a focused drop-down list, as F4 and Alt with Up or Down do.
bool OpensDropDownList(std::int16_t keyCode, std::int16_t shift);
// Whether an FLTK event text is a character to type (not a control character).
bool IsTypedText(const char* text, int length);

}  // namespace formsview
