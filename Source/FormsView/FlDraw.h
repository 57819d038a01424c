#pragma once
// FLTK's drawing functions. Their header brings in the X11 headers, whose macros (None,
// KeyPress, Status, ...) would replace names of the toolkit: they are removed again here.
#include <FL/fl_draw.H>

#undef None
#undef KeyPress
#undef KeyRelease
#undef ButtonPress
#undef ButtonRelease
#undef Button1
#undef Button2
#undef Button3
#undef Button4
#undef Button5
#undef Status
#undef Bool
#undef True
#undef False
#undef Always
#undef Success
#undef CurrentTime
