#pragma once
// The command line of the telmora program.
#include <optional>
#include <string>
#include <vector>

#include "Clock.h"
#include "HostApplication.h"

namespace telmora {

struct Options {
    HostSettings settings;
    std::string progId = "Perlowan.cITelmora";
    std::string registryFolder;              // "" = the registry's default folder
    std::string registerLibrary;             // register this library before loading
    std::string unregisterLibrary;           // unregister this library and stop
    std::string script;                      // "" = the default session, "-" = standard input
    bool gui = false;                        // the graphical session instead of the headless one
    std::optional<rt::LocalDateTime> today;  // a fixed date for "today" (the time of day runs)
    bool help = false;
};

// Parses the arguments (without the program name). Returns the options, or nothing with the
// reason in `error`.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error);

// "YYYY-MM-DD" of a day that exists; false for anything else.
bool ParseIsoDate(const std::string& text, int& year, int& month, int& day);

// The text of --help, the script commands included.
std::string Usage();

}  // namespace telmora
