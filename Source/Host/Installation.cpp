#include "Installation.h"

#include <filesystem>

#include "AddInLoader.h"
#include "Debug.h"

namespace telmora {

namespace fs = std::filesystem;

std::string InstalledAddInLibrary(const std::string& programPath, const std::string& relativeFolder,
                                  const std::string& fileName) {
    if (programPath.empty()) return {};
    const fs::path library =
        (fs::path(programPath).parent_path() / relativeFolder / fileName).lexically_normal();
    std::error_code ec;
    if (!fs::is_regular_file(library, ec)) {
        PERLOWAN_DEBUG("host", "No add-in library installed at " + library.string() +
                                   (ec ? " (" + ec.message() + ")" : ""));
        return {};
    }
    return library.string();
}

std::string FirstStartRegistrationReason(const std::string& progId) {
    try {
        const Registration found = LookUpProgId(progId);
        std::error_code ec;
        // A file that cannot be looked at is left for the loader to report.
        if (fs::exists(found.libraryPath, ec) || ec) return {};
        return "its registration names the missing library " + found.libraryPath;
    } catch (const rt::RuntimeError& e) {
        if (e.Number() != rt::err::CannotCreateObject) {
            PERLOWAN_DEBUG("host",
                           "Registration of " + progId + " not checked: " + e.Description());
            return {};
        }
        return e.Description();
    }
}

}  // namespace telmora
