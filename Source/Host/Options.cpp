#include "Options.h"

#include "DateTime.h"
#include "ScriptRunner.h"

namespace telmora {

std::string Usage() {
    return R"(usage: telmora [options]
Loads the add-in registered under a programmatic identifier and drives it as the Telmora
diary would. Without --script it starts the add-in, opens its window, hides it, ends it and
prints the host's call log.
An installed telmora registers the add-in installed with it for the user when the registry
has no usable registration of Perlowan.cITelmora (on its first start, or after a move).

options:
  --progid ID           the add-in to load (default Perlowan.cITelmora)
  --registry DIR        the registry folder (default: $PERLOWAN_REGISTRY_DIR or the user's)
  --register LIB        register the component library LIB first (DllRegisterServer)
  --unregister LIB      unregister the component library LIB (DllUnregisterServer) and stop
  --settings DIR        the host's settings folder (created on demand)
  --language de|en      the host's language (default de)
  --tips SOURCE         what the upload returns: sample (default), file:PATH, fail:TEXT,
                        timeout or timeout:TEXT
  --refuse-menu TEXT    refuse the add-in's menu entry with this message
  --without-addmenu     a host application object that has no AddMenu
  --trace-log FILE      where trace lines go besides standard error
                        (default: Trace.log in the settings folder)
  --quiet-trace         no trace lines on standard error
  --today YYYY-MM-DD    take this day as today (the time of day and the timers run on)
  --script FILE         run the script FILE ("-" for standard input); see below
  --gui                 open the diary's window on the desktop (needs a display); the add-in's
                        menu entry shows the add-in window inside it, the call log is printed
                        when the window is closed
  --help                show this text

script commands (one a line):
)" + ScriptRunner::CommandsHelp() +
           R"(
exit status: 0 success, 1 the add-in could not be loaded or the script failed,
2 bad command line.
)";
}

bool ParseIsoDate(const std::string& text, int& year, int& month, int& day) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text[i] < '0' || text[i] > '9') return false;
    year = std::stoi(text.substr(0, 4));
    month = std::stoi(text.substr(5, 2));
    day = std::stoi(text.substr(8, 2));
    if (year < 100 || month < 1 || month > 12 || day < 1 || day > 31) return false;
    // The calendar rolls an impossible day over (30 February is 1 or 2 March): it must stay.
    const rt::Date date = rt::DateSerial(year, month, day);
    return rt::Year(date) == year && rt::Month(date) == month && rt::Day(date) == day;
}

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error) {
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& target) {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                error = "option " + arg + " needs a value";
                return false;
            }
            target = args[++i];
            return true;
        };
        std::string text;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--progid") {
            if (!value(options.progId)) return std::nullopt;
        } else if (arg == "--registry") {
            if (!value(options.registryFolder)) return std::nullopt;
        } else if (arg == "--register") {
            if (!value(options.registerLibrary)) return std::nullopt;
        } else if (arg == "--unregister") {
            if (!value(options.unregisterLibrary)) return std::nullopt;
        } else if (arg == "--settings") {
            if (!value(options.settings.settingsFolder)) return std::nullopt;
        } else if (arg == "--language") {
            if (!value(text)) return std::nullopt;
            const auto language = ParseLanguage(text);
            if (!language) {
                error = "unknown language " + text + " (de or en)";
                return std::nullopt;
            }
            options.settings.language = *language;
        } else if (arg == "--tips") {
            if (!value(text)) return std::nullopt;
            if (!ParseTipsSource(text, options.settings.tips)) {
                error = "unknown tips source " + text +
                        " (sample, file:PATH, fail:TEXT, timeout or timeout:TEXT)";
                return std::nullopt;
            }
        } else if (arg == "--refuse-menu") {
            if (!value(options.settings.refuseMenuText)) return std::nullopt;
            options.settings.refuseMenu = true;
        } else if (arg == "--without-addmenu") {
            options.settings.withoutAddMenu = true;
        } else if (arg == "--trace-log") {
            if (!value(options.settings.traceFile)) return std::nullopt;
        } else if (arg == "--quiet-trace") {
            options.settings.traceToStderr = false;
        } else if (arg == "--today") {
            if (!value(text)) return std::nullopt;
            rt::LocalDateTime today;
            if (!ParseIsoDate(text, today.year, today.month, today.day)) {
                error = "not a date (YYYY-MM-DD): " + text;
                return std::nullopt;
            }
            options.today = today;
        } else if (arg == "--gui") {
            options.gui = true;
        } else if (arg == "--script") {
            if (!value(options.script)) return std::nullopt;
        } else {
            error = "unknown option " + arg + " (try --help)";
            return std::nullopt;
        }
    }
    if (options.gui && !options.script.empty()) {
        error = "--gui and --script exclude each other";
        return std::nullopt;
    }
    return options;
}

}  // namespace telmora
