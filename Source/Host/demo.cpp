// perlowan-demo: registers the add-in in a fresh registry and settings folder, loads it by its
// programmatic identifier through the substitute host and runs a whole exchange headless (see
// DemoScript.h), printing what a person would check; then unregisters it.
#include <filesystem>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "DemoScript.h"
#include "Module.h"
#include "Telmora.h"

namespace fs = std::filesystem;

int main() {
    // The component library sits in lib/ beside the bin/ folder of this program.
    const fs::path self = com::Modules().PathOfAddress(reinterpret_cast<const void*>(&main));
    const fs::path library = self.parent_path().parent_path() / "lib" / "libPerlowan.so";
    std::random_device random;
    const fs::path work = fs::temp_directory_path() / ("perlowan-demo-" + std::to_string(random()));
    const fs::path registry = work / "registry";
    const fs::path settings = work / "settings";

    std::istringstream script(telmora::DemoScript());
    std::cout << "perlowan-demo: fresh registry in " << registry.string() << '\n';
    int status =
        telmora::RunTelmora({"--registry", registry.string(), "--register", library.string(),
                             "--settings", settings.string(), "--quiet-trace", "--script", "-"},
                            script, std::cout, std::cerr);
    if (status == 0) {
        std::istringstream none;
        status =
            telmora::RunTelmora({"--registry", registry.string(), "--unregister", library.string()},
                                none, std::cout, std::cerr);
    }
    std::error_code ec;
    fs::remove_all(work, ec);
    return status;
}
