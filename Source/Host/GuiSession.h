#pragma once
// telmora --gui: the diary's main window on the desktop, with the add-in's menu entry, a language
// menu and the add-in window shown inside the main window's client area.
#include <iosfwd>

namespace telmora {

class TelmoraHost;
struct Options;

// Starts the add-in, shows the window and runs until it is closed; closing ends the add-in as the
// headless host does at its end (AddInHide, AppDeInit) and prints the call log. Returns 1 without
// a display.
int RunGuiSession(TelmoraHost& host, const Options& options, std::ostream& out, std::ostream& err);

}  // namespace telmora
