// The host program's command line and script parsers on arbitrary bytes. Before the first NUL
// byte: arguments, one a line, for the option parser; after it: a script, run against a host
// session that has loaded no add-in. Options parse or say why not; a script runs through or
// stops with "line N: ..." naming one of its lines; nothing crashes or hangs.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "Options.h"
#include "ScriptRunner.h"
#include "TelmoraHost.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    std::istringstream in{std::string(text)};
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

void CheckOptions(std::string_view text) {
    std::string error;
    const auto options = telmora::ParseOptions(Lines(text), error);
    Check(options.has_value() == error.empty());
}

// The host's settings folder for the whole run, removed when the run ends.
struct ScratchFolder {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("fuzz_host_" + std::to_string(::getpid()));
    ScratchFolder() { std::filesystem::create_directories(path); }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

std::string SettingsFolder() {
    static const ScratchFolder folder;
    return folder.path.string() + "/";
}

void CheckScript(std::string_view script) {
    telmora::HostSettings settings;
    settings.settingsFolder = SettingsFolder();
    settings.traceToStderr = false;
    telmora::TelmoraHost host(settings);
    std::ostringstream out;
    telmora::ScriptRunner runner(host, out);
    std::istringstream in{std::string(script)};
    std::string error;
    if (runner.Run(in, error)) {
        Check(error.empty());
        return;
    }
    Check(error.starts_with("line "));
    const std::size_t colon = error.find(": ");
    Check(colon != std::string::npos);
    const long line = std::strtol(error.c_str() + 5, nullptr, 10);
    Check(line >= 1 && static_cast<std::size_t>(line) <= Lines(script).size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = input.find('\0');
    CheckOptions(input.substr(0, nul));
    if (nul != std::string_view::npos) CheckScript(input.substr(nul + 1));
    return 0;
}
