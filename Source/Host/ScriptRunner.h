#pragma once
// The host's script mode: one command a line, run against a host session and the add-in's
// window through the toolkit's input simulation; what a command shows goes to `out`. The
// commands are one table (ScriptRunner::Commands) that runs them and that --help lists.
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "Clock.h"
#include "TelmoraHost.h"

namespace forms {
class Control;
}

namespace telmora {

class ScriptRunner {
  public:
    // A command line split into words.
    struct Line {
        std::string text;
        std::vector<std::string> words;  // words[0] is the command
        // The text after the first `n` words, spaces included ("" when there is none).
        std::string RestAfter(std::size_t n) const;
    };
    using Handler = void (ScriptRunner::*)(const Line&);

    struct Command {
        const char* name;
        const char* arguments;  // as the usage shows them: "CONTROL TEXT", "" for none
        std::size_t required;   // words that must follow the name
        const char* description;
        Handler handler;
    };
    // Every script command, in the order the help lists them.
    static const std::vector<Command>& Commands();
    // The script commands' part of --help: one line a command, then the notes.
    static std::string CommandsHelp();

    ScriptRunner(TelmoraHost& host, std::ostream& out);
    ~ScriptRunner();

    // Runs the script; stops at the first failing line with a message "line N: ..." in `error`.
    bool Run(std::istream& script, std::string& error);
    // Runs one command line. Raises rt::RuntimeError (5) with the reason when it fails.
    void Execute(const std::string& line);

    // Prints the call log entries not printed yet.
    void PrintLog();

  private:
    forms::Form& Window();
    forms::Control& ControlNamed(const std::string& name);

    void DoStart(const Line&);
    void DoStop(const Line&);
    void DoMenu(const Line&);
    void DoHide(const Line&);
    void DoEvent(const Line& line);
    void DoLanguage(const Line& line);
    void DoTips(const Line& line);
    void DoRefuseMenu(const Line& line);
    void DoAcceptMenu(const Line&);
    void DoFocus(const Line& line);
    void DoClick(const Line& line);
    void DoText(const Line& line);
    void DoChoose(const Line& line);
    void DoType(const Line& line);
    void DoKey(const Line& line);
    void DoSelect(const Line& line);
    void DoResize(const Line& line);
    void DoClock(const Line& line);
    void DoToday(const Line& line);
    void DoDump(const Line& line);
    void DoShow(const Line& line);
    void DoCells(const Line& line);
    void DoStore(const Line&);
    void DoLog(const Line&);
    void DoEcho(const Line& line);

    TelmoraHost& host_;
    std::ostream& out_;
    std::shared_ptr<rt::ManualClock> clock_;
    std::unique_ptr<rt::ScopedRole<rt::Clock>> clockRole_;
    std::size_t logShown_ = 0;
};

}  // namespace telmora
