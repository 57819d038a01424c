#pragma once
// The telmora program as a function, so that tests run it in-process.
#include <iosfwd>
#include <string>
#include <vector>

#include "Installation.h"

namespace telmora {

// Runs the program with `args` (without the program name); `script` is read when the options
// name "-" as the script. An installed program passes the add-in installed with it, which it
// registers on its first start (unless the command line registers a library itself).
// Returns the exit status: 0 success, 1 failure, 2 bad command line.
int RunTelmora(const std::vector<std::string>& args, std::istream& script, std::ostream& out,
               std::ostream& err, const Installation& installation = {});

}  // namespace telmora
