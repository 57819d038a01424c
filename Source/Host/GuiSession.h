#pragma once
// telmora --gui: the diary's main window on the desktop, with the add-in's menu entry, a language
// menu and the add-in window shown inside the main window's client area.
#include <functional>
#include <iosfwd>

namespace formsview {
class FormView;
}

namespace telmora {

class TelmoraHost;
struct Options;

// Starts the add-in, shows the window and runs until it is closed; closing ends the add-in as the
// headless host does at its end (AddInHide, AppDeInit) and prints the call log. Returns 1 without
// a display.
int RunGuiSession(TelmoraHost& host, const Options& options, std::ostream& out, std::ostream& err);

// A program that drives the session itself (the benchmark): `drive` runs on FLTK's loop once the
// window shows and the add-in has started, with the pane that shows the add-in window and the
// window's close action.
using GuiDriver =
    std::function<void(formsview::FormView& pane, const std::function<void()>& close)>;
int RunDrivenGuiSession(TelmoraHost& host, const Options& options, std::ostream& out,
                        std::ostream& err, const GuiDriver& drive);

}  // namespace telmora
