#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "AddInLoader.h"
#include "Installation.h"
#include "Registry.h"
#include "Telmora.h"
#include "TestSupport.h"

namespace {

namespace fs = std::filesystem;
namespace reg = platform::reg;

const std::string kLibrary = PERLOWAN_LIBRARY;
const std::string kOtherRuntimeLibrary = PERLOWAN_OTHER_RUNTIME_LIBRARY;
const std::string kProgId = "Perlowan.cITelmora";

TEST(InstalledAddInLibrary, IsTheLibraryInTheFolderRelativeToTheProgramWhenItExists) {
    testsupport::TempFolder temp("installation-test");
    const fs::path root = temp.Path();
    fs::create_directories(root / "usr" / "bin");
    fs::create_directories(root / "usr" / "lib" / "perlowan" / "libFolder.so");
    testsupport::WriteFile(root / "usr" / "lib" / "perlowan" / "libPerlowan.so", "library");
    const std::string program = (root / "usr" / "bin" / "telmora").string();
    struct Row {
        std::string program, folder, file, expected;
    };
    const Row rows[] = {
        /* 0 */ {program, "../lib/perlowan", "libPerlowan.so",
                 (root / "usr" / "lib" / "perlowan" / "libPerlowan.so").string()},
        /* 1 */ {program, "../lib/other", "libPerlowan.so", ""},
        /* 2 */ {program, "../lib/perlowan", "libFolder.so", ""},
        /* 3 */ {"", "../lib/perlowan", "libPerlowan.so", ""},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        EXPECT_EQ(telmora::InstalledAddInLibrary(rows[i].program, rows[i].folder, rows[i].file),
                  rows[i].expected);
    }
}

class FirstStartTest : public ::testing::Test {
  protected:
    struct RunResult {
        int status;
        std::string out, err;
    };
    RunResult Run(std::vector<std::string> more, const telmora::Installation& installation) {
        std::vector<std::string> args{"--registry", registry.string(), "--settings",
                                      (temp / "settings").string(), "--quiet-trace"};
        args.insert(args.end(), more.begin(), more.end());
        std::istringstream in;
        std::ostringstream out, err;
        const int status = telmora::RunTelmora(args, in, out, err, {}, installation);
        return {status, out.str(), err.str()};
    }
    // What the registry names for the add-in's identifier now ("" when nothing).
    std::string RegisteredLibrary() {
        rt::ScopedRole<platform::Registry> role(platform::MakeFileRegistry(registry.string()));
        try {
            return telmora::LookUpProgId(kProgId).libraryPath;
        } catch (const rt::RuntimeError& e) {
            return "error " + std::to_string(e.Number());
        }
    }
    void SetRegistryValue(const std::string& key, const std::string& value) {
        rt::ScopedRole<platform::Registry> role(platform::MakeFileRegistry(registry.string()));
        auto& r = platform::SystemRegistry();
        platform::HKey handle = 0;
        ASSERT_EQ(r.CreateKey(reg::ClassesRoot, key, reg::KeyAllAccess, handle, nullptr),
                  reg::Success);
        ASSERT_EQ(r.SetValue(handle, "", reg::Sz, value), reg::Success);
        r.CloseKey(handle);
    }
    void RegisterTheLibrary() {
        rt::ScopedRole<platform::Registry> role(platform::MakeFileRegistry(registry.string()));
        telmora::ComponentLibrary library(kLibrary);
        ASSERT_EQ(library.RegisterServer(), com::S_OK);
    }
    std::string ClassKeyOfTheAddIn() {
        rt::ScopedRole<platform::Registry> role(platform::MakeFileRegistry(registry.string()));
        platform::HKey key = 0;
        std::string clsid;
        if (platform::SystemRegistry().OpenKey(reg::ClassesRoot, kProgId + "\\Clsid", reg::KeyRead,
                                               key) == reg::Success) {
            platform::SystemRegistry().QueryValue(key, "", nullptr, &clsid);
            platform::SystemRegistry().CloseKey(key);
        }
        return "CLSID\\" + clsid + "\\InprocServer32";
    }

    testsupport::TempFolder temp{"first-start-test"};
    fs::path registry = temp / "registry";
    const std::string installed = fs::canonical(kLibrary).string();
    const telmora::Installation installation{kProgId, kLibrary};
};

TEST_F(FirstStartTest, TheInstalledAddInIsRegisteredWhenTheRegistryHasNoUsableRegistration) {
    const std::string gone = (temp / "gone" / "libPerlowan.so").string();
    struct Row {
        std::string name;
        std::function<void()> prepare;
        std::string told;  // in the error stream
    };
    const Row rows[] = {
        {"an empty registry", [] {}, kProgId + " is not registered"},
        {"a registration naming a library that is gone",
         [&] {
             RegisterTheLibrary();
             SetRegistryValue(ClassKeyOfTheAddIn(), gone);
         },
         "its registration names the missing library " + gone},
        {"a registration naming an invalid class",
         [&] { SetRegistryValue(kProgId + "\\Clsid", "no class"); }, "names an invalid class id"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(registry);
        row.prepare();
        const RunResult run = Run({}, installation);
        EXPECT_EQ(run.status, 0) << run.err;
        const std::size_t told = run.err.find(row.told);
        EXPECT_NE(told, std::string::npos) << run.err;
        EXPECT_NE(run.err.find("; registering the installed add-in\n", told), std::string::npos)
            << run.err;
        EXPECT_NE(run.err.find("Registered " + kLibrary), std::string::npos) << run.err;
        EXPECT_EQ(RegisteredLibrary(), installed);
        // The session ran as without the registration, its log on the output only.
        EXPECT_NE(run.out.find("> AppInit("), std::string::npos) << run.out;
        EXPECT_EQ(run.out.find("Registered"), std::string::npos) << run.out;
    }
}

TEST_F(FirstStartTest, AUsableOrUnreadableRegistrationIsLeftAsItIs) {
    struct Row {
        std::string name;
        std::function<void()> prepare;
        std::vector<std::string> args;
        int status;
        std::string told;
    };
    const Row rows[] = {
        {"registered before", [&] { RegisterTheLibrary(); }, {}, 0, ""},
        {"another existing library, the user's choice",
         [&] {
             RegisterTheLibrary();
             SetRegistryValue(ClassKeyOfTheAddIn(), kOtherRuntimeLibrary);
         },
         {},
         1,
         "it was compiled for runtime version"},
        {"an unreadable registry",
         [&] {
             RegisterTheLibrary();
             for (const auto& entry : fs::directory_iterator(registry))
                 testsupport::WriteFile(entry.path(), "\x01garbage[[[\n");
         },
         {},
         1,
         "The registry cannot be read"},
        {"another add-in asked for",
         [] {},
         {"--progid", "No.Such"},
         1,
         "No.Such is not registered"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(registry);
        row.prepare();
        std::vector<std::pair<fs::path, std::string>> before;
        if (fs::exists(registry))
            for (const auto& file : fs::directory_iterator(registry))
                before.emplace_back(file.path(), testsupport::ReadFile(file.path()));
        const RunResult run = Run(row.args, installation);
        EXPECT_EQ(run.status, row.status) << run.err;
        EXPECT_EQ(run.err.find("registering"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(row.told), std::string::npos) << run.err;
        for (const auto& [path, bytes] : before) EXPECT_EQ(testsupport::ReadFile(path), bytes);
    }
}

TEST_F(FirstStartTest, WithoutAnInstalledAddInNothingRegistersItself) {
    const RunResult run = Run({}, telmora::Installation{});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(kProgId + " is not registered"), std::string::npos) << run.err;
    EXPECT_EQ(RegisteredLibrary(), "error 429");
    // A library registered on the command line is what the session loads, as before.
    const RunResult registered = Run({"--register", kLibrary}, installation);
    EXPECT_EQ(registered.status, 0) << registered.err;
    EXPECT_EQ(registered.err.find("registering"), std::string::npos) << registered.err;
    EXPECT_NE(registered.out.find("Registered " + kLibrary), std::string::npos);
}

}  // namespace
