#include "TimerPump.h"

#include <FL/Fl.H>

#include <algorithm>

#include "Application.h"

namespace formsview {

namespace {

constexpr double kLongestWait = 0.25;

void Pump(void*) {
    forms::App().Loop().RunDue();
    ScheduleTimers();
}

}  // namespace

void ScheduleTimers() {
    Fl::remove_timeout(Pump);
    auto& loop = forms::App().Loop();
    double wait = kLongestWait;
    if (loop.HasPostedWork())
        wait = 0;
    else if (auto due = loop.NextTimerDueIn())
        wait = std::min(wait, *due / 1000.0);
    Fl::add_timeout(wait, Pump);
}

void StopTimers() {
    Fl::remove_timeout(Pump);
}

}  // namespace formsview
