// The telmora program run as its own process, as a person runs it: each scenario starts with a
// fresh toolkit, registry and settings folder, under the regional settings it names.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Session {
    int status = -1;
    std::string out, err;
};

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs telmora with `script` under the locale `locale`; extra options after the usual ones.
Session RunSession(const std::string& locale, const std::string& script,
                   const std::vector<std::string>& options = {}) {
    const fs::path work =
        fs::temp_directory_path() / ("telmora-session-" + std::to_string(std::random_device()()));
    fs::create_directories(work);
    std::ofstream(work / "script.txt") << script;
    std::string command = "env -u LANG -u LC_TIME LC_ALL=" + locale + " " +
                          Quoted(PERLOWAN_TELMORA) + " --registry " +
                          Quoted((work / "registry").string()) + " --register " +
                          Quoted(PERLOWAN_LIBRARY) + " --settings " +
                          Quoted((work / "settings").string()) + " --quiet-trace";
    for (const std::string& option : options) command += " " + Quoted(option);
    command += " --script " + Quoted((work / "script.txt").string()) + " > " +
               Quoted((work / "out.txt").string()) + " 2> " + Quoted((work / "err.txt").string());
    Session session;
    const int raw = std::system(command.c_str());
    session.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    session.out = ReadAll(work / "out.txt");
    session.err = ReadAll(work / "err.txt");
    fs::remove_all(work);
    return session;
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

TEST(ScriptSession, TheFirstMenuClickGivesTheWindowTheHostsSize) {
    const Session s = RunSession("de_DE.UTF-8", "start\nmenu\ndump frmAddIn\nstop\n");
    ASSERT_EQ(s.status, 0) << s.err;
    EXPECT_NE(s.out.find("  Width = 12045\n  Height = 6915\n"), std::string::npos) << s.out;
}

TEST(ScriptSession, DateBoxesFollowTheRegionalSettings) {
    const std::string warningDe =
        "MsgBox(\"Bitte geben Sie ein gültiges Datum ein (zum Beispiel 05.03.2016).\", buttons "
        "0, icon 48, \"Perlowan\") = 1";
    const std::string warningEn =
        "MsgBox(\"Please enter a valid date (for example 03/05/2016).\", buttons 0, icon 48, "
        "\"Perlowan\") = 1";
    struct Row {
        const char* locale;
        const char* language;
        const char* text;
        const std::string* warning;  // nullptr: accepted
    };
    const Row rows[] = {
        /* 0 */ {"de_DE.UTF-8", "de", "05.03", nullptr},
        /* 1 */ {"de_DE.UTF-8", "de", "5. März 2016", nullptr},
        /* 2 */ {"de_DE.UTF-8", "de", "5.3.16", nullptr},
        /* 3 */ {"de_DE.UTF-8", "de", "31.02.2016", &warningDe},
        /* 4 */ {"de_DE.UTF-8", "de", "abc", &warningDe},
        /* 5 */ {"de_DE.UTF-8", "de", "12/31/2016", &warningDe},
        /* 6 */ {"en_US.UTF-8", "en", "12/31/2016", nullptr},
        /* 7 */ {"en_US.UTF-8", "en", "3/5", nullptr},
        /* 8 */ {"en_US.UTF-8", "en", "March 5, 2016", nullptr},
        /* 9 */ {"en_US.UTF-8", "en", "31.12.2016", &warningEn},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        const std::string script = std::string("language ") + rows[i].language +
                                   "\nstart\nmenu\nlog\ntext txtFrom " + rows[i].text +
                                   "\nfocus txtTo\necho --\nlog\ndump txtFrom\nhide\nstop\n";
        const Session s = RunSession(rows[i].locale, script);
        ASSERT_EQ(s.status, 0) << s.err;
        const std::string after = s.out.substr(s.out.find("--\n"));
        EXPECT_EQ(Count(after, "MsgBox("), rows[i].warning ? 1u : 0u) << after;
        if (rows[i].warning) {
            EXPECT_NE(after.find(*rows[i].warning), std::string::npos) << after;
        }
        EXPECT_NE(after.find("Text = \"" + std::string(rows[i].text) + "\""), std::string::npos);
    }
}

TEST(ScriptSession, TheStartButtonSendsThePeriodAndComesBack) {
    const Session s = RunSession("de_DE.UTF-8",
                                 "today 2016-04-05\nstart\nmenu\n"
                                 "text txtFrom 5. März 2016\ntext txtTo 04.04\n"
                                 "click cmdStartExport\nlog\ndump cmdStartExport\n"
                                 "dump picWorkingArea\nhide\nstop\n");
    ASSERT_EQ(s.status, 0) << s.err;
    EXPECT_NE(s.out.find("PerlowanUpload(\"05032016\", \"04042016\", \"\", \"\", \"\") = True"),
              std::string::npos)
        << s.out;
    const std::string button = s.out.substr(s.out.find("cmdStartExport (CommandButton)"));
    EXPECT_NE(button.find("Enabled = True"), std::string::npos) << button;
    const std::string area = s.out.substr(s.out.find("picWorkingArea (PictureBox)"));
    EXPECT_NE(area.find("MousePointer = 0"), std::string::npos) << area;
}

TEST(ScriptSession, AWrongDateReachesTheUserNotTheHost) {
    const Session s = RunSession("de_DE.UTF-8",
                                 "start\nmenu\ntext txtTo abc\nclick cmdStartExport\nlog\n"
                                 "hide\nstop\n");
    ASSERT_EQ(s.status, 0) << s.err;
    EXPECT_EQ(Count(s.out, "PerlowanUpload("), 0u);
    EXPECT_NE(s.out.find("MsgBox(\"Bei der Kommunikation bzw. der Verarbeitung der Ergebnisse vom "
                         "Perlowan-Server ist ein Fehler aufgetreten: 13 - Type mismatch\", "
                         "buttons 0, icon 48, \"Perlowan\")"),
              std::string::npos)
        << s.out;
}

}  // namespace
