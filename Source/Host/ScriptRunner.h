#pragma once
// The host's script mode: one command a line, run against a host session and the add-in's
// window through the toolkit's input simulation; what a command shows goes to `out`.
//
//   start | stop | menu | hide        AppInit, AppDeInit, the menu entry, AddInHide
//   event ID                          deliver host event ID (when the add-in registered it)
//   language de|en                    switch the host's language (LanguageChange)
//   tips SOURCE                       sample | file:PATH | fail:TEXT | timeout[:TEXT]
//   refuse-menu [TEXT] | accept-menu  how the host answers the next AddMenu
//   focus CONTROL                     give the control the focus
//   click CONTROL                     click the control
//   text CONTROL TEXT                 focus the control and type TEXT over its contents
//   choose CONTROL INDEX              choose the list entry INDEX (from 0)
//   type TEXT                         type into the focused control
//   key KEY [shift] [ctrl] [alt]      press a key (Tab, Return, Escape, Space, Up, Down, Left,
//                                     Right, Home, End, PageUp, PageDown, Delete, Back, F2 or a
//                                     key code) on the focused control
//   select GRID COLUMN ROW            select a grid cell
//   resize WIDTH HEIGHT               the host resizes the add-in's window (twips)
//   clock MS                          advance the clock by MS milliseconds (timers run)
//   today YYYY-MM-DD                  set today's date
//   dump CONTROL                      print the control's properties
//   store                             print the store file
//   log                               print the host's call log since the last "log" (message
//                                     boxes the add-in shows are in it)
//   echo TEXT                         print TEXT
// CONTROL is a name as the window knows it: cboZeitraum, optStatus(1), frmAddIn for the window.
// Empty lines and lines starting with "#" are skipped.
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "Clock.h"
#include "TelmoraHost.h"

namespace telmora {

class ScriptRunner {
  public:
    ScriptRunner(TelmoraHost& host, std::ostream& out);
    ~ScriptRunner();

    // Runs the script; stops at the first failing line with a message "line N: ..." in `error`.
    bool Run(std::istream& script, std::string& error);
    // Runs one command line. Raises rt::RuntimeError with the reason when it fails.
    void Execute(const std::string& line);

    // Prints the call log entries not printed yet.
    void PrintLog();

  private:
    TelmoraHost& host_;
    std::ostream& out_;
    std::shared_ptr<rt::ManualClock> clock_;
    std::unique_ptr<rt::ScopedRole<rt::Clock>> clockRole_;
    std::size_t logShown_ = 0;
};

}  // namespace telmora
