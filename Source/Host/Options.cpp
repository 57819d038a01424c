#include "Options.h"

namespace telmora {

const char* const kUsage =
    "usage: telmora [options]\n"
    "Loads the add-in registered under a programmatic identifier and drives it as the Telmora\n"
    "diary would. Without --script it starts the add-in, opens its window, hides it, ends it and\n"
    "prints the host's call log.\n"
    "\n"
    "options:\n"
    "  --progid ID           the add-in to load (default Perlowan.cITelmora)\n"
    "  --registry DIR        the registry folder (default: $PERLOWAN_REGISTRY_DIR or the user's)\n"
    "  --register LIB        register the component library LIB first (DllRegisterServer)\n"
    "  --unregister LIB      unregister the component library LIB (DllUnregisterServer) and stop\n"
    "  --settings DIR        the host's settings folder (created on demand)\n"
    "  --language de|en      the host's language (default de)\n"
    "  --tips SOURCE         what the upload returns: sample (default), file:PATH, fail:TEXT,\n"
    "                        timeout or timeout:TEXT\n"
    "  --refuse-menu TEXT    refuse the add-in's menu entry with this message\n"
    "  --without-addmenu     a host application object that has no AddMenu\n"
    "  --trace-log FILE      where trace lines go besides standard error\n"
    "                        (default: Trace.log in the settings folder)\n"
    "  --quiet-trace         no trace lines on standard error\n"
    "  --script FILE         run the script FILE (\"-\" for standard input); see below\n"
    "  --help                show this text\n"
    "\n"
    "script commands (one a line, # starts a comment):\n"
    "  start | stop | menu | hide       AppInit, AppDeInit, the menu entry, AddInHide\n"
    "  event ID | language de|en        deliver a host event / switch the language\n"
    "  tips SOURCE | refuse-menu [TEXT] | accept-menu\n"
    "  focus CONTROL | click CONTROL | text CONTROL TEXT | choose CONTROL INDEX\n"
    "  type TEXT | key KEY [shift] [ctrl] [alt] | select GRID COLUMN ROW\n"
    "  clock MS | today YYYY-MM-DD\n"
    "  dump CONTROL | store | log | echo TEXT\n"
    "\n"
    "exit status: 0 success, 1 the add-in could not be loaded or the script failed,\n"
    "2 bad command line.\n";

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
        } else if (arg == "--script") {
            if (!value(options.script)) return std::nullopt;
        } else {
            error = "unknown option " + arg + " (try --help)";
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace telmora
