#include "Options.h"

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
