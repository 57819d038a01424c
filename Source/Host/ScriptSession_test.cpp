// The telmora program run as its own process, as a person runs it: each scenario starts with a
// fresh toolkit, registry and settings folder, under the regional settings it names.
#include <gtest/gtest.h>

#include "DemoScript.h"
#include "TestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Session {
    int status = -1;
    std::string out, err;
    std::string store;  // the bytes of Perlowan.dat in the settings folder at the end
};

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs telmora with `script` under the locale `locale`; extra options after the usual ones.
Session RunSession(const std::string& locale, const std::string& script,
                   const std::vector<std::string>& options = {}) {
    const testsupport::TempFolder temp("telmora-session");
    const fs::path& work = temp.Path();
    testsupport::WriteFile(work / "script.txt", script);
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
    session.out = testsupport::ReadFile(work / "out.txt");
    session.err = testsupport::ReadFile(work / "err.txt");
    session.store = testsupport::ReadFileIfAny(work / "settings" / "Perlowan.dat").value_or("");
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
        // The date order and the month names come from the process's locale; the window tests
        // hold the other forms a date box takes.
        /* 0 */ {"de_DE.UTF-8", "de", "5. März 2016", nullptr},
        /* 1 */ {"de_DE.UTF-8", "de", "12/31/2016", &warningDe},
        /* 2 */ {"en_US.UTF-8", "en", "12/31/2016", nullptr},
        /* 3 */ {"en_US.UTF-8", "en", "March 5, 2016", nullptr},
        /* 4 */ {"en_US.UTF-8", "en", "31.12.2016", &warningEn},
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

// The lines of the demo step whose "== " line starts with `heading`, up to the next step, with
// what changes from run to run cut out: the settings folder, the tips text the upload returns,
// and a grid row's text (its date stays).
std::vector<std::string> Step(const std::string& out, const std::string& heading) {
    const auto begin = out.find("== " + heading);
    if (begin == std::string::npos) return {"(no step " + heading + ")"};
    std::istringstream rest(out.substr(out.find('\n', begin) + 1));
    std::vector<std::string> lines;
    for (std::string line; std::getline(rest, line) && !line.starts_with("== ");) {
        if (line.starts_with("SettingFolderGet(3) = "))
            line = "SettingFolderGet(3)";
        else if (line.starts_with("PerlowanUpload("))
            line = line.substr(0, line.find("; arg 4 -> \"[{"));
        else if (line.starts_with("  Row("))
            line = line.substr(0, line.find(" | "));
        lines.push_back(line);
    }
    return lines;
}

// The store's "Tipp" entries as identifier and status digit, and its list of known tips.
std::vector<std::string> StoredStatus(const std::string& store, std::string& known) {
    std::vector<std::string> entries;
    std::istringstream lines(store);
    bool inTipp = false;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.starts_with("[")) inTipp = line == "[Tipp]";
        if (line.starts_with("All=")) known = line.substr(4);
        const auto equals = line.find('=');
        if (inTipp && equals != std::string::npos)
            entries.push_back(line.substr(0, equals) + " " + line.substr(equals + 1, 1));
    }
    return entries;
}

TEST(ScriptSession, TheDemoRunsAWholeExchangeAndTheTipReadLeavesTheUnreadList) {
    const Session s =
        RunSession("de_DE.UTF-8", std::string("today 2016-04-05\n") + telmora::DemoScript());
    ASSERT_EQ(s.status, 0) << s.err;
    // "Letzte 7 Tage" up to 5 April: the sample host's tips of 29 March to 5 April.
    const std::vector<std::string> rows{
        "  Row(0) = \"29.03.2016 09:30\"", "  Row(1) = \"30.03.2016 20:45\"",
        "  Row(2) = \"31.03.2016 18:05\"", "  Row(3) = \"01.04.2016 13:20\"",
        "  Row(4) = \"02.04.2016 11:02\"", "  Row(5) = \"03.04.2016 08:40\"",
        "  Row(6) = \"04.04.2016 10:00\"", "  Row(7) = \"05.04.2016 16:30\""};
    const std::vector<std::string> exchange{
        "PerlowanUpload(\"29032016\", \"05042016\", \"\", \"\", \"\") = True",
        "SettingFolderGet(3)", "ShowStatus(\"\", True)"};
    const auto concat = [](std::vector<std::vector<std::string>> parts) {
        std::vector<std::string> all;
        for (auto& part : parts) all.insert(all.end(), part.begin(), part.end());
        return all;
    };

    EXPECT_EQ(
        Step(s.out, "The period"),
        (std::vector<std::string>{"txtFrom.Text = \"29.03.2016\"", "txtTo.Text = \"05.04.2016\"",
                                  "cboTippFilter.Text = \"Nur ungelesene Tipps anzeigen\""}));
    EXPECT_EQ(Step(s.out, "The start button"),
              concat({exchange, {"cmdStartExport.Enabled = True", "grdTipps: 8 rows"}, rows}));
    EXPECT_NE(s.out.find("  Row(0) = \"29.03.2016 09:30\" | \"Samstags und sonntags haben Sie im "
                         "Schnitt nur 2 Werte pro Tag eingetragen.  Mehr Messungen helfen, Muster "
                         "zu erkennen.\"\n"),
              std::string::npos);
    EXPECT_EQ(Step(s.out, "The user selects the first row"),
              (std::vector<std::string>{
                  "SettingFolderGet(3)",
                  "txtDetails.Text = \"Samstags und sonntags haben Sie im Schnitt nur 2 Werte pro "
                  "Tag eingetragen.\\r\\nMehr Messungen helfen, Muster zu erkennen.\"",
                  "optStatus(0).Value = True", "optStatus(1).Value = False"}));
    const auto marked = Step(s.out, "The user marks it read");
    ASSERT_GE(marked.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(marked.begin(), marked.begin() + 2),
              (std::vector<std::string>{"SettingFolderGet(3)", "optStatus(1).Value = True"}));
    EXPECT_TRUE(marked[2].starts_with("--- ") && marked[2].ends_with("/settings/Perlowan.dat"))
        << marked[2];  // the store follows as text
    EXPECT_EQ(Step(s.out, "A second exchange"),
              concat({exchange,
                      {"grdTipps: 7 rows", "  Row(0) = \"30.03.2016 20:45\"",
                       "  Row(1) = \"31.03.2016 18:05\"", "  Row(2) = \"01.04.2016 13:20\"",
                       "  Row(3) = \"02.04.2016 11:02\"", "  Row(4) = \"03.04.2016 08:40\"",
                       "  Row(5) = \"04.04.2016 10:00\"", "  Row(6) = \"05.04.2016 16:30\""}}));
    EXPECT_EQ(Step(s.out, "With \"Alle Tipps anzeigen\""),
              concat({{"cboTippFilter.Text = \"Alle Tipps anzeigen\""},
                      exchange,
                      {"grdTipps: 8 rows"},
                      rows}));

    // The store file at the end: the tip read keeps its 1 through two more exchanges.
    std::string known;
    EXPECT_EQ(StoredStatus(s.store, known),
              (std::vector<std::string>{"10422-20160329 1", "10431-20160330 0", "10432-20160331 0",
                                        "10440-20160401 0", "10441-20160402 0", "10447-20160403 0",
                                        "10452-20160404 0", "10458-20160405 0"}));
    EXPECT_EQ(known,
              "10422-20160329;10431-20160330;10432-20160331;10440-20160401;10441-20160402;"
              "10447-20160403;10452-20160404;10458-20160405;");
    EXPECT_NE(s.store.find("10422-20160329=110422-20160329|Messung|H\xE4ufigkeit|MESS-01|"),
              std::string::npos);
}

}  // namespace
