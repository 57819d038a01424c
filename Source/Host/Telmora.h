#pragma once
// The telmora program as a function, so that tests run it in-process.
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "Installation.h"

namespace telmora {

class TelmoraHost;
struct Options;

// The graphical session (--gui) on a loaded add-in; returns the exit status. Programs that
// offer the graphical mode pass one to RunTelmora; the host library itself knows no desktop.
using InteractiveSession = std::function<int(TelmoraHost& host, const Options& options,
                                             std::ostream& out, std::ostream& err)>;

// Runs the program with `args` (without the program name); `script` is read when the options
// name "-" as the script. Returns the exit status: 0 success, 1 failure, 2 bad command line.
// With --gui the session `gui` runs; without one, --gui is refused (status 2). An installed
// program passes the add-in installed with it, which it registers on its first start (unless the
// command line registers a library itself).
int RunTelmora(const std::vector<std::string>& args, std::istream& script, std::ostream& out,
               std::ostream& err, const InteractiveSession& gui = {},
               const Installation& installation = {});

}  // namespace telmora
