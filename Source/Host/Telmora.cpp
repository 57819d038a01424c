#include "Telmora.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>

#include "Options.h"
#include "Registry.h"
#include "ScriptRunner.h"
#include "TelmoraHost.h"

namespace telmora {

namespace {

// Registers or unregisters a library through its exports; false with a message on failure.
bool SelfRegister(const std::string& path, bool enrol, std::ostream& out, std::ostream& err) {
    try {
        ComponentLibrary library(path);
        const com::HResult hr = enrol ? library.RegisterServer() : library.UnregisterServer();
        const char* what = enrol ? "DllRegisterServer" : "DllUnregisterServer";
        if (!com::Succeeded(hr)) {
            const std::string detail = platform::SystemRegistry().LastErrorDetail();
            err << "telmora: " << what << " of " << path << " failed (" << HResultText(hr) << ")"
                << (detail.empty() ? "" : ": " + detail) << '\n';
            return false;
        }
        out << (enrol ? "Registered " : "Unregistered ") << path << '\n';
        return true;
    } catch (const rt::RuntimeError& e) {
        err << "telmora: " << e.Description() << '\n';
        return false;
    }
}

// The system's clock on a fixed day: the date stays, the time of day and the tick count run,
// so the window's timers behave as on any day.
class FixedDayClock final : public rt::Clock {
  public:
    FixedDayClock(rt::LocalDateTime day, std::shared_ptr<rt::Clock> system)
        : day_(day), system_(std::move(system)) {}
    rt::LocalDateTime Now() override {
        rt::LocalDateTime now = system_->Now();
        now.year = day_.year;
        now.month = day_.month;
        now.day = day_.day;
        return now;
    }
    std::uint32_t TickCount() override { return system_->TickCount(); }

  private:
    rt::LocalDateTime day_;
    std::shared_ptr<rt::Clock> system_;
};

}  // namespace

int RunTelmora(const std::vector<std::string>& args, std::istream& script, std::ostream& out,
               std::ostream& err, const InteractiveSession& gui, const Installation& installation) {
    std::string error;
    const std::optional<Options> parsed = ParseOptions(args, error);
    if (!parsed) {
        err << "telmora: " << error << '\n';
        return 2;
    }
    const Options& options = *parsed;
    if (options.help) {
        out << Usage();
        return 0;
    }
    if (options.gui && !gui) {
        err << "telmora: this program has no graphical mode\n";
        return 2;
    }

    std::ifstream file;
    std::istream* in = &script;
    // The script is opened first: a wrong path is told before anything is loaded.
    if (!options.script.empty() && options.script != "-") {
        std::error_code ec;
        if (std::filesystem::is_directory(options.script, ec)) {
            err << "telmora: the script " << options.script << " is a folder, not a file\n";
            return 1;
        }
        file.open(options.script);
        if (!file) {
            err << "telmora: cannot read the script " << options.script << '\n';
            return 1;
        }
        in = &file;
    }

    std::optional<rt::ScopedRole<rt::Clock>> clock;
    if (options.today)
        clock.emplace(
            std::make_shared<FixedDayClock>(*options.today, rt::MakeDefaultRole<rt::Clock>()));

    std::optional<rt::ScopedRole<platform::Registry>> registry;
    if (!options.registryFolder.empty())
        registry.emplace(platform::MakeFileRegistry(options.registryFolder));

    if (!options.unregisterLibrary.empty())
        return SelfRegister(options.unregisterLibrary, false, out, err) ? 0 : 1;
    if (!options.registerLibrary.empty() && !SelfRegister(options.registerLibrary, true, out, err))
        return 1;
    if (options.registerLibrary.empty() && !installation.addInLibrary.empty() &&
        options.progId == installation.progId) {
        const std::string reason = FirstStartRegistrationReason(installation.progId);
        // Told on the error stream: the output belongs to the session.
        if (!reason.empty()) {
            err << "telmora: " << reason << "; registering the installed add-in\n";
            if (!SelfRegister(installation.addInLibrary, true, err, err)) return 1;
        }
    }

    TelmoraHost host(options.settings);
    try {
        host.Load(options.progId);
    } catch (const rt::RuntimeError& e) {
        err << "telmora: cannot load " << options.progId << ": " << e.Description() << '\n';
        return 1;
    }

    if (options.gui) return gui(host, options, out, err);

    if (options.script.empty()) {
        host.Start();
        host.ClickMenu();
        host.Hide();
        host.Stop();
        for (const auto& line : host.App().CallLog()) out << line << '\n';
        return 0;
    }

    ScriptRunner runner(host, out);
    if (!runner.Run(*in, error)) {
        err << "telmora: script " << (options.script == "-" ? "<stdin>" : options.script) << " "
            << error << '\n';
        return 1;
    }
    return 0;
}

}  // namespace telmora
