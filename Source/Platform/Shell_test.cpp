#include "Shell.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

namespace {

namespace fs = std::filesystem;
using platform::DesktopShell;

// A scratch folder with a stand-in opener script that records its arguments, one per line
// ended by NUL, in "argv" beside it.
class ShellTest : public testing::Test {
  protected:
    void SetUp() override {
        recorder_ = Script("recorder", "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > '" +
                                           (dir_ / "argv").string() + "'\npwd > '" +
                                           (dir_ / "cwd").string() + "'\n");
    }

    // Writes an executable shell script with `body` and returns its path.
    std::string Script(const std::string& name, const std::string& body) {
        const fs::path path = dir_ / name;
        testsupport::WriteFile(path, "#!/bin/sh\n" + body);
        fs::permissions(path, fs::perms::owner_all);
        return path.string();
    }

    std::vector<std::string> RecordedArguments() const {
        std::istringstream in(testsupport::ReadFile(dir_ / "argv"));
        std::vector<std::string> args;
        for (std::string arg; std::getline(in, arg, '\0');) args.push_back(arg);
        return args;
    }

    std::string Read(const std::string& name) const { return testsupport::ReadFile(dir_ / name); }

    testsupport::TempFolder temp_{"perlowan-shell"};
    fs::path dir_ = temp_.Path();
    std::string recorder_;
};

TEST_F(ShellTest, ShellMetacharactersArriveAsOneLiteralArgument) {
    const std::string document =
        "; rm -rf x $(touch pwned) | & > < ' \" ` * `touch pwned2` && touch pwned3\n$HOME";
    DesktopShell shell(recorder_);
    EXPECT_GT(shell.ShellExecute(0, "Open", document, "", dir_.string(), platform::SW_SHOWNORMAL),
              32);
    EXPECT_EQ(RecordedArguments(), std::vector<std::string>{document});
    for (const char* name : {"pwned", "pwned2", "pwned3", "x"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(fs::exists(dir_ / name));
        EXPECT_FALSE(fs::exists(fs::current_path() / name));
    }
}

TEST_F(ShellTest, ParametersAreOneFurtherArgumentAndTheFolderIsTheWorkingFolder) {
    DesktopShell shell(recorder_);
    const fs::path work = dir_ / "work folder";
    fs::create_directory(work);
    EXPECT_GT(shell.ShellExecute(0, "open", "https://example.invalid/#login", "-a 'b c'",
                                 work.string(), 1),
              32);
    EXPECT_EQ(RecordedArguments(),
              (std::vector<std::string>{"https://example.invalid/#login", "-a 'b c'"}));
    EXPECT_EQ(Read("cwd"), work.string() + "\n");
}

TEST_F(ShellTest, ADocumentStartingWithADashIsNoOption) {
    DesktopShell shell(recorder_);
    EXPECT_GT(shell.ShellExecute(0, "Open", "--version", "", "", 1), 32);
    EXPECT_EQ(RecordedArguments(), std::vector<std::string>{"./--version"});
}

TEST_F(ShellTest, FailuresGiveResultsBelow32) {
    struct Row {
        std::string opener;
        const char* verb;
        std::string file;
        std::string directory;
        std::int32_t expected;
    };
    const Row rows[] = {
        /* 0 */ {Script("exit2", "exit 2\n"), "Open", "missing.pdf", "", platform::SE_ERR_FNF},
        /* 1 */ {Script("exit3", "exit 3\n"), "Open", "x.unknown", "", platform::SE_ERR_NOASSOC},
        /* 2 */ {Script("exit4", "exit 4\n"), "Open", "x", "", platform::SE_ERR_NOASSOC},
        /* 3 */ {Script("killed", "kill -9 $$\n"), "Open", "x", "", platform::SE_ERR_NOASSOC},
        /* 4 */ {(dir_ / "no-such-opener").string(), "Open", "x", "", platform::SE_ERR_NOASSOC},
        /* 5 */ {"perlowan-no-such-opener-anywhere", "Open", "x", "", platform::SE_ERR_NOASSOC},
        /* 6 */ {recorder_, "Print", "x", "", platform::SE_ERR_NOASSOC},
        /* 7 */ {recorder_, "Open", "", "", platform::SE_ERR_FNF},
        /* 8 */ {recorder_, "Open", "x", (dir_ / "nowhere").string(), platform::SE_ERR_PNF},
        /* 9 */ {recorder_, "Open", std::string("a\0b", 3), "", platform::SE_ERR_FNF},
        /* 10 */ {"", "Open", "x", "", platform::SE_ERR_FNF},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        DesktopShell shell(rows[i].opener);
        EXPECT_EQ(shell.ShellExecute(0, rows[i].verb, rows[i].file, "", rows[i].directory, 1),
                  rows[i].expected);
    }
    // None of the refused calls reached the recorder.
    EXPECT_FALSE(fs::exists(dir_ / "argv"));
}

TEST_F(ShellTest, AnOpenerStillRunningAfterTheWaitCountsAsStarted) {
    const std::string pidFile = (dir_ / "pid").string();
    const std::string lingering =
        Script("lingering", "echo $$ > '" + pidFile + ".part'\nmv '" + pidFile + ".part' '" +
                                pidFile + "'\nexec sleep 30\n");
    DesktopShell shell(lingering, std::chrono::milliseconds(1));
    EXPECT_GT(shell.ShellExecute(0, "Open", "x", "", "", 1), 32);
    // Stop the stand-in again; its exit is collected in the background.
    for (int i = 0; i < 500 && !fs::exists(pidFile); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const pid_t pid = std::stoi(Read("pid"));
    EXPECT_EQ(::kill(pid, SIGKILL), 0);
}

TEST(ShellOpener, XdgOpenUnlessTheEnvironmentNamesAnother) {
    const testsupport::ScopedEnvironment opener("PERLOWAN_OPENER", std::nullopt);
    EXPECT_EQ(DesktopShell::OpenerFromEnvironment(), "xdg-open");
    opener.Set("");
    EXPECT_EQ(DesktopShell::OpenerFromEnvironment(), "xdg-open");
    opener.Set("/opt/my opener");
    EXPECT_EQ(DesktopShell::OpenerFromEnvironment(), "/opt/my opener");
    EXPECT_EQ(DesktopShell().Opener(), "/opt/my opener");
    DesktopShell shell;
    shell.SetOpener("other");
    EXPECT_EQ(shell.Opener(), "other");
}

}  // namespace
