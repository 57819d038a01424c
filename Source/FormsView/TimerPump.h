#pragma once
// The toolkit's message loop on FLTK's loop, in real time: posted work and due timers run from an
// FLTK timeout that is set again after every run and every piece of input.
namespace formsview {

// (Re)arms the pump for the next due timer (at the latest a quarter second from now, so that
// timers started outside the view's input are not missed).
void ScheduleTimers();
// Disarms it.
void StopTimers();

}  // namespace formsview
