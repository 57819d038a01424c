#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "AddInLoader.h"
#include "Application.h"
#include "DateTime.h"
#include "HostApplication.h"
#include "Registry.h"
#include "RuntimeVersion.h"
#include "SampleTips.h"
#include "ScriptRunner.h"
#include "Telmora.h"
#include "TelmoraHost.h"
#include "TestSupport.h"

namespace {

namespace fs = std::filesystem;
namespace reg = platform::reg;
using rt::Variant;

const std::string kLibrary = PERLOWAN_LIBRARY;
const std::string kOtherRuntimeLibrary = PERLOWAN_OTHER_RUNTIME_LIBRARY;
const com::Guid kClsid{
    0xF6D9C8BE, 0x06BD, 0x47AA, {0xB2, 0x41, 0x71, 0xC7, 0xBD, 0xB8, 0x99, 0x39}};

bool Loaded(const std::string& library) {
    return com::Modules().IsLoaded(library);
}

// A fresh registry and settings folder for each test.
class HostTest : public ::testing::Test {
  protected:
    void SetUp() override {
        registryRole.emplace(platform::MakeFileRegistry((work / "registry").string()));
        settings.settingsFolder = (work / "settings").string();
        settings.traceToStderr = false;
        // Dates in the window follow the regional settings: the tests fix them.
        rt::OverrideRegion(&german);
    }
    void TearDown() override {
        rt::OverrideRegion(nullptr);
        registryRole.reset();
    }
    void Register() {
        ComponentLibraryHolder library(kLibrary);
        ASSERT_EQ(library->RegisterServer(), com::S_OK);
    }
    // Writes a class registration by hand, pointing at `path`.
    void RegisterByHand(const std::string& progId, const std::string& path) {
        auto& registry = platform::SystemRegistry();
        const std::string clsid = "{11111111-2222-3333-4444-555555555555}";
        const std::pair<std::string, std::string> values[] = {
            {progId + "\\Clsid", clsid}, {"CLSID\\" + clsid + "\\InprocServer32", path}};
        for (const auto& [key, value] : values) {
            platform::HKey handle = 0;
            ASSERT_EQ(registry.CreateKey(reg::ClassesRoot, key, reg::KeyAllAccess, handle, nullptr),
                      reg::Success);
            ASSERT_EQ(registry.SetValue(handle, "", reg::Sz, value), reg::Success);
            registry.CloseKey(handle);
        }
    }
    struct ComponentLibraryHolder {
        explicit ComponentLibraryHolder(const std::string& path)
            : library(std::make_unique<telmora::ComponentLibrary>(path)) {}
        telmora::ComponentLibrary* operator->() { return library.get(); }
        std::unique_ptr<telmora::ComponentLibrary> library;
    };
    static int ErrorNumberOf(const std::function<void()>& call,
                             std::string* description = nullptr) {
        try {
            call();
        } catch (const rt::RuntimeError& e) {
            if (description) *description = e.Description();
            return e.Number();
        }
        return 0;
    }

    testsupport::TempFolder temp{"telmora-test"};
    fs::path work = temp.Path();
    rt::RegionalDateSettings german{"dd.MM.yyyy", '.',
                                    rt::RegionalDateSettings::Order::DayMonthYear};
    std::optional<rt::ScopedRole<platform::Registry>> registryRole;
    telmora::HostSettings settings;
};

TEST_F(HostTest, LoadsTheAddInByItsProgIdAfterRegistrationInAFreshRegistry) {
    Register();
    const telmora::Registration found = telmora::LookUpProgId("Perlowan.cITelmora");
    EXPECT_EQ(com::GuidText(found.clsid), "{F6D9C8BE-06BD-47AA-B241-71C7BDB89939}");
    EXPECT_EQ(fs::canonical(found.libraryPath), fs::canonical(kLibrary));

    telmora::TelmoraHost host(settings);
    host.Load("Perlowan.cITelmora");
    ASSERT_TRUE(host.Loaded());
    // Late-bound by name and by dispatch id.
    EXPECT_EQ(rt::GetProperty(host.AddIn(), "InfoDeveloper"), Variant("Brenmark GmbH & Co. KG"));
    EXPECT_EQ(host.AddIn()->GetIdOfName("infodescription"), 0x68030006);
    EXPECT_EQ(host.AddIn()->Invoke(0x68030006, rt::CallType::PropertyGet, {}),
              Variant("Kommunikation mit dem Perlowan-Server."));
    // An unknown member and a member's own error cross the library boundary as run-time errors.
    EXPECT_EQ(ErrorNumberOf([&] { host.AddIn()->GetIdOfName("NoSuchMember"); }),
              rt::err::MemberNotSupported);
    EXPECT_EQ(ErrorNumberOf([&] { host.AddIn()->Invoke(0x12345, rt::CallType::Method, {}); }),
              rt::err::MemberNotSupported);
    EXPECT_EQ(ErrorNumberOf([&] { rt::CallMethod(host.AddIn(), "AppEvent"); }),
              rt::err::ArgumentNotOptional);

    // The library carries its interface id record.
    const std::string record = host.Library()->Resource("_IID_CITELMORA", 1);
    ASSERT_EQ(record.size(), 20u);
    EXPECT_EQ(record.substr(0, 4), std::string("\x10\0\0\0", 4));
    EXPECT_EQ(host.Library()->Resource("TYPELIB", 1).substr(0, 4), "MSFT");
}

TEST_F(HostTest, UnregistrationThroughTheExportRemovesEveryKey) {
    Register();
    platform::RegKeyInfo info;
    ASSERT_EQ(platform::SystemRegistry().QueryInfoKey(reg::ClassesRoot, info), reg::Success);
    EXPECT_EQ(info.subKeys, 4u);  // the identifier, CLSID, Interface, TypeLib
    ComponentLibraryHolder library(kLibrary);
    ASSERT_EQ(library->UnregisterServer(), com::S_OK);
    ASSERT_EQ(platform::SystemRegistry().QueryInfoKey(reg::ClassesRoot, info), reg::Success);
    EXPECT_EQ(info.subKeys, 0u);
    EXPECT_EQ(info.values, 0u);
    EXPECT_EQ(ErrorNumberOf([] { telmora::LookUpProgId("Perlowan.cITelmora"); }),
              rt::err::CannotCreateObject);
}

TEST_F(HostTest, CanUnloadNowFollowsTheLiveObjects) {
    ComponentLibraryHolder library(kLibrary);
    const com::Guid clsid = kClsid;
    ASSERT_EQ(library->CanUnloadNow(), com::S_OK);

    rt::ObjectRef first = library->CreateObject(clsid);
    rt::ObjectRef second = library->CreateObject(clsid);
    EXPECT_EQ(library->CanUnloadNow(), com::S_FALSE);
    first.reset();
    EXPECT_EQ(library->CanUnloadNow(), com::S_FALSE);

    // A running add-in keeps itself alive through gobjAddIn until AppDeInit.
    auto host = std::make_shared<telmora::HostApplication>(settings);
    std::vector<Variant> init{Variant(rt::ObjectRef(host)), Variant(false), Variant("")};
    rt::CallByName(second, "AppInit", rt::CallType::Method, init);
    rt::ObjectRef keep = second;
    second.reset();
    EXPECT_EQ(library->CanUnloadNow(), com::S_FALSE);
    rt::CallMethod(keep, "AppDeInit");
    EXPECT_EQ(library->CanUnloadNow(), com::S_FALSE);
    keep.reset();
    EXPECT_EQ(library->CanUnloadNow(), com::S_OK);

    // An add-in window still loaded keeps the library too: the toolkit knows its controls.
    rt::ObjectRef third = library->CreateObject(clsid);
    rt::CallByName(third, "AppInit", rt::CallType::Method, init);
    rt::CallMethod(third, "AddInMenuClicked", std::string("mnuPerlowan"));
    rt::CallMethod(third, "AppDeInit");
    third.reset();
    ASSERT_EQ(forms::App().Forms().size(), 1u);
    EXPECT_EQ(library->CanUnloadNow(), com::S_FALSE);
    forms::Unload(*forms::App().Forms().front());
    EXPECT_EQ(library->CanUnloadNow(), com::S_OK);
}

TEST_F(HostTest, TheLibraryIsUnloadedWhenUnusedAndLoadsAgainAsNew) {
    Register();
    telmora::FreeUnusedLibraries();
    ASSERT_FALSE(Loaded(kLibrary));
    // Two whole sessions in one process: the second one starts from a fresh library, so both
    // give the same calls (the window gets a new handle).
    std::vector<std::string> logs[2];
    for (auto& log : logs) {
        SCOPED_TRACE(&log == logs ? "first load" : "second load");
        telmora::TelmoraHost host(settings);
        host.Load("Perlowan.cITelmora");
        EXPECT_TRUE(Loaded(kLibrary));
        EXPECT_TRUE(host.Start());
        EXPECT_TRUE(host.ClickMenu());
        ASSERT_NE(host.AddInForm(), nullptr);
        EXPECT_TRUE(host.SetLanguage(telmora::Language::English));
        EXPECT_TRUE(host.Hide());
        EXPECT_EQ(host.AddInForm(), nullptr);
        EXPECT_TRUE(host.Stop());
        host.Unload();
        EXPECT_FALSE(Loaded(kLibrary));
        for (const std::string& line : host.App().CallLog())
            log.push_back(
                std::regex_replace(line, std::regex(R"(ShowAddIn\(\d+,)"), "ShowAddIn(hWnd,"));
    }
    EXPECT_EQ(logs[0], logs[1]);
    ASSERT_FALSE(logs[0].empty());
    EXPECT_EQ(logs[0].back(), "DllCanUnloadNow = S_OK");
}

TEST_F(HostTest, ALibraryInUseStaysLoadedUntilItsObjectsAreGone) {
    telmora::FreeUnusedLibraries();
    auto library = std::make_unique<telmora::ComponentLibrary>(kLibrary);
    rt::ObjectRef object = library->CreateObject(kClsid);
    library.reset();
    ASSERT_TRUE(Loaded(kLibrary));
    EXPECT_EQ(rt::GetProperty(object, "InfoDeveloper"), Variant("Brenmark GmbH & Co. KG"));
    EXPECT_EQ(telmora::FreeUnusedLibraries(), 1u);
    EXPECT_TRUE(Loaded(kLibrary));
    object.reset();
    EXPECT_EQ(telmora::FreeUnusedLibraries(), 0u);
    EXPECT_FALSE(Loaded(kLibrary));
}

TEST_F(HostTest, ALibraryForAnotherRuntimeVersionIsRefusedAndUnloaded) {
    RegisterByHand("Other.Runtime", kOtherRuntimeLibrary);
    telmora::TelmoraHost host(settings);
    std::string description;
    EXPECT_EQ(ErrorNumberOf([&] { host.Load("Other.Runtime"); }, &description),
              rt::err::ErrorLoadingLibrary);
    const std::string other =
        rt::RuntimeVersionText(rt::MakeRuntimeVersion(rt::kRuntimeVersionMajor + 1, 0));
    EXPECT_EQ(description, "Error in loading DLL " + kOtherRuntimeLibrary +
                               ": it was compiled for runtime version " + other +
                               ", the runtime in this process is version " +
                               rt::RuntimeVersionText(rt::RuntimeVersion()));
    EXPECT_FALSE(host.Loaded());
    EXPECT_FALSE(Loaded(kOtherRuntimeLibrary));
}

TEST_F(HostTest, BadRegistrationsAndLibrariesGiveClearErrors) {
    // A file that is no library, and a library without the standard exports.
    const fs::path junk = work / "junk.so";
    fs::create_directories(work);
    std::ofstream(junk) << "not a library";
    // The C library: a real library without the standard exports.
    const std::string noExports =
        com::Modules().PathOfAddress(reinterpret_cast<const void*>(&::printf));

    struct Row {
        std::string progId;
        std::string registeredPath;  // "" registers nothing
        int number;
        std::string mention;
    };
    const Row rows[] = {
        {"Unknown.Class", "", rt::err::CannotCreateObject, "Unknown.Class is not registered"},
        {"Missing.Library", (work / "nowhere" / "libX.so").string(), rt::err::FileNotFound,
         "libX.so"},
        {"Broken.Library", junk.string(), rt::err::ErrorLoadingLibrary, "junk.so"},
        {"No.Exports", noExports, rt::err::EntryPointMissing, "DllRegisterServer"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.progId);
        if (!row.registeredPath.empty()) RegisterByHand(row.progId, row.registeredPath);
        telmora::TelmoraHost host(settings);
        std::string description;
        EXPECT_EQ(ErrorNumberOf([&] { host.Load(row.progId); }, &description), row.number);
        EXPECT_NE(description.find(row.mention), std::string::npos) << description;
        EXPECT_FALSE(host.Loaded());
    }
}

TEST_F(HostTest, AnUnreadableRegistryIsReportedNotFatal) {
    Register();
    for (const auto& entry : fs::directory_iterator(work / "registry"))
        if (entry.is_regular_file())
            std::ofstream(entry.path(), std::ios::trunc) << "\x01garbage[[[\n";
    std::string description;
    const int number =
        ErrorNumberOf([] { telmora::LookUpProgId("Perlowan.cITelmora"); }, &description);
    EXPECT_EQ(number, platform::reg::BadDb) << description;
    EXPECT_NE(description.find("registry"), std::string::npos);
}

TEST_F(HostTest, AHostWithoutAddMenuHearsTheFailureAndGoesOn) {
    Register();
    settings.withoutAddMenu = true;
    telmora::TelmoraHost host(settings);
    host.Load("Perlowan.cITelmora");
    EXPECT_FALSE(host.Start());
    EXPECT_TRUE(host.ClickMenu());
    EXPECT_TRUE(host.Hide());
    EXPECT_TRUE(host.Stop());
    const auto& log = host.App().CallLog();
    const auto failed = std::find_if(log.begin(), log.end(), [](const std::string& line) {
        return line.starts_with("Add-in AppInit failed: error 438");
    });
    EXPECT_NE(failed, log.end());
}

TEST_F(HostTest, AStoppedAddInIsNotEndedAgainWhenTheHostCloses) {
    Register();
    telmora::TelmoraHost host(settings);
    host.Load("Perlowan.cITelmora");
    ASSERT_TRUE(host.Start());
    ASSERT_TRUE(host.ClickMenu());
    ASSERT_TRUE(host.Hide());
    ASSERT_TRUE(host.Stop());
    host.Unload();
    std::vector<std::string> calls;
    for (const std::string& line : host.App().CallLog())
        if (line.starts_with("> ") || line.starts_with("Add-in ") || line == "Host closes")
            calls.push_back(line);
    EXPECT_EQ(calls, (std::vector<std::string>{"> AppInit(Object, False, \"\")",
                                               "> AddInMenuClicked(\"mnuPerlowan\")",
                                               "> AddInHide()", "> AppDeInit()"}));
}

TEST(HostApplication, LanguageStringsInBothLanguages) {
    telmora::HostSettings settings;
    telmora::HostApplication german(settings);
    settings.language = telmora::Language::English;
    telmora::HostApplication english(settings);
    for (std::int16_t key : {60, 61, 62, 63, 64, 177, 178, 194, 224, 229}) {
        SCOPED_TRACE(key);
        const std::string de = german.LanguageString(key), en = english.LanguageString(key);
        EXPECT_FALSE(de.empty());
        EXPECT_FALSE(en.empty());
        EXPECT_NE(de, en);
    }
    EXPECT_EQ(german.LanguageString(229), "Zeitraum");
    EXPECT_EQ(english.LanguageString(229), "Period");
    EXPECT_THROW(german.LanguageString(1), rt::RuntimeError);
}

TEST(HostApplication, SettingsFolderIsCreatedOnDemandAndEndsWithTheSeparator) {
    testsupport::TempFolder temp("telmora-settings");
    const fs::path folder = temp / "nested";
    telmora::HostSettings settings;
    settings.settingsFolder = folder.string();
    auto app = std::make_shared<telmora::HostApplication>(settings);
    const Variant result = rt::CallMethod(app, "SettingFolderGet", std::int16_t{3});
    EXPECT_EQ(result, Variant(folder.string() + "/"));
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_THROW(rt::CallMethod(app, "SettingFolderGet", std::int16_t{2}), rt::RuntimeError);
    EXPECT_EQ(app->CallLog().front(), "SettingFolderGet(3) = \"" + folder.string() + "/\"");
}

TEST(HostApplication, TraceLinesGoToTheLogFile) {
    testsupport::TempFolder temp("telmora-trace");
    const fs::path file = temp / "Trace.log";
    telmora::HostSettings settings;
    settings.traceFile = file.string();
    settings.traceToStderr = false;
    auto app = std::make_shared<telmora::HostApplication>(settings);
    std::vector<Variant> args{Variant("Received Tipps: []")};
    rt::CallByName(app, "Trace", rt::CallType::Method, args);
    rt::CallMethod(app, "Trace", std::string("second line"));
    EXPECT_EQ(testsupport::ReadFile(file), "Received Tipps: []\nsecond line\n");
    EXPECT_EQ(app->CallLog(), (std::vector<std::string>{"Trace(\"Received Tipps: []\")",
                                                        "Trace(\"second line\")"}));
}

TEST(HostApplication, UploadAnswersFromItsSource) {
    testsupport::TempFolder temp("telmora-tips");
    const fs::path file = temp / "tips.json";
    testsupport::WriteFile(file, R"([{"id":"1","text":"Hallo"}])");
    struct Row {
        std::string source;
        bool ok;
        bool tips;
        std::string error;
    };
    const Row rows[] = {
        {"sample", true, true, ""},
        {"file:" + file.string(), true, true, ""},
        {"file:/nonexistent/tips.json", false, false, "kann nicht gelesen werden"},
        {"fail:Server nicht erreichbar", false, false, "Server nicht erreichbar"},
        {"timeout", false, true, "Connection Timeout"},
        {"timeout:Read TIMEOUT", false, true, "Read TIMEOUT"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.source);
        telmora::HostSettings settings;
        ASSERT_TRUE(telmora::ParseTipsSource(row.source, settings.tips));
        auto app = std::make_shared<telmora::HostApplication>(settings);
        std::vector<Variant> args{Variant("01022016"), Variant("29022016"), Variant(""),
                                  Variant(""), Variant("")};
        const Variant ok = rt::CallByName(app, "PerlowanUpload", rt::CallType::Method, args);
        EXPECT_EQ(ok, Variant(row.ok));
        EXPECT_EQ(!args[3].ToString().empty(), row.tips);
        EXPECT_NE(args[4].ToString().find(row.error), std::string::npos);
    }
    telmora::TipsSource source;
    EXPECT_FALSE(telmora::ParseTipsSource("ftp://x", source));
    EXPECT_FALSE(telmora::ParseTipsSource("file:", source));
}

// The tips of a period as the add-in's reader sees them: identifier and date of each.
std::vector<std::pair<std::string, std::string>> TipsOf(const std::string& json) {
    std::vector<std::pair<std::string, std::string>> tips;
    for (std::size_t at = json.find("\"id\":\""); at != std::string::npos;
         at = json.find("\"id\":\"", at + 1)) {
        const std::size_t idStart = at + 6, idEnd = json.find('"', idStart);
        const std::size_t timeStart = json.find("\"time\":\"", at) + 8;
        tips.emplace_back(json.substr(idStart, idEnd - idStart), json.substr(timeStart, 10));
    }
    return tips;
}

TEST(SampleTips, OneTipADayOfThePeriodWithIdentifiersThatStay) {
    struct Row {
        rt::Date from, until;
        std::size_t count;
        const char* firstDay;
        const char* lastDay;
    };
    const Row rows[] = {
        /* 0 */ {rt::DateSerial(2016, 3, 5), rt::DateSerial(2016, 4, 4), 31, "05.03.2016",
                 "04.04.2016"},
        /* 1 */
        {rt::DateSerial(2016, 2, 28), rt::DateSerial(2016, 3, 1), 3, "28.02.2016", "01.03.2016"},
        /* 2 */
        {rt::DateSerial(2016, 3, 5), rt::DateSerial(2016, 3, 5), 1, "05.03.2016", "05.03.2016"},
        // A long period: the latest 60 days.
        /* 3 */
        {rt::DateSerial(2015, 1, 1), rt::DateSerial(2016, 3, 1), 60, "02.01.2016", "01.03.2016"},
        /* 4 */ {rt::DateSerial(2016, 3, 6), rt::DateSerial(2016, 3, 5), 0, "", ""},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        const std::string json = telmora::SampleTipsJson(rows[i].from, rows[i].until);
        const auto tips = TipsOf(json);
        ASSERT_EQ(tips.size(), rows[i].count) << json;
        if (tips.empty()) {
            EXPECT_EQ(json, "[]");
            continue;
        }
        EXPECT_EQ(tips.front().second, rows[i].firstDay);
        EXPECT_EQ(tips.back().second, rows[i].lastDay);
        std::set<std::string> ids;
        for (const auto& tip : tips) EXPECT_TRUE(ids.insert(tip.first).second) << tip.first;
    }
    // An overlapping period gives the same identifiers for the same days.
    const auto march =
        TipsOf(telmora::SampleTipsJson(rt::DateSerial(2016, 3, 1), rt::DateSerial(2016, 3, 31)));
    const auto later =
        TipsOf(telmora::SampleTipsJson(rt::DateSerial(2016, 3, 20), rt::DateSerial(2016, 4, 10)));
    ASSERT_EQ(march.size(), 31u);
    ASSERT_EQ(later.size(), 22u);
    for (std::size_t d = 0; d < 12; ++d) EXPECT_EQ(later[d], march[19 + d]);
    EXPECT_EQ(march[0].first.substr(march[0].first.find('-')), "-20160301");
}

TEST(SampleTips, FlatTipsWithEveryKeyAndMultiLineTexts) {
    const std::string json =
        telmora::SampleTipsJson(rt::DateSerial(2016, 3, 1), rt::DateSerial(2016, 3, 12));
    ASSERT_TRUE(json.starts_with("[{") && json.ends_with("}]"));
    std::size_t objects = 1;
    for (std::size_t at = json.find("},{"); at != std::string::npos; at = json.find("},{", at + 1))
        ++objects;
    EXPECT_EQ(objects, 12u);
    for (const char* key : {"\"id\":", "\"type\":", "\"subType\":", "\"code\":", "\"title\":",
                            "\"text\":", "\"time\":", "\"status\":", "\"reference\":"}) {
        SCOPED_TRACE(key);
        std::size_t count = 0;
        for (std::size_t at = json.find(key); at != std::string::npos; at = json.find(key, at + 1))
            ++count;
        EXPECT_EQ(count, 12u);
    }
    EXPECT_NE(json.find("\\n"), std::string::npos);
    // The reader splits only at "},{" and does not nest: no brackets or braces inside values.
    EXPECT_EQ(json.find_first_of("[]{}", 1), 1u);
    EXPECT_EQ(json.substr(1, json.size() - 2).find_first_of("[]"), std::string::npos);
}

TEST(HostApplication, UploadAnswersForThePeriodItIsGiven) {
    struct Row {
        const char* source;
        const char* from;
        const char* until;
        bool ok;
        std::size_t tips;
        const char* error;
    };
    const Row rows[] = {
        /* 0 */ {"sample", "05032016", "04042016", true, 31, ""},
        /* 1 */ {"timeout", "05032016", "06032016", false, 2, "Connection Timeout"},
        /* 2 */ {"sample", "04042016", "05032016", false, 0, "liegt nach dem Ende"},
        /* 3 */ {"sample", "31022016", "04042016", false, 0, "Ungültiger Zeitraum"},
        /* 4 */ {"sample", "5.3.2016", "04042016", false, 0, "Ungültiger Zeitraum"},
        /* 5 */ {"sample", "", "04042016", false, 0, "Ungültiger Zeitraum"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        telmora::HostSettings settings;
        ASSERT_TRUE(telmora::ParseTipsSource(rows[i].source, settings.tips));
        auto app = std::make_shared<telmora::HostApplication>(settings);
        std::vector<Variant> args{Variant(rows[i].from), Variant(rows[i].until), Variant(""),
                                  Variant(""), Variant("")};
        EXPECT_EQ(rt::CallByName(app, "PerlowanUpload", rt::CallType::Method, args),
                  Variant(rows[i].ok));
        EXPECT_EQ(TipsOf(args[3].ToString()).size(), rows[i].tips);
        EXPECT_NE(args[4].ToString().find(rows[i].error), std::string::npos) << args[4].ToString();
    }
}

// ---- the program, end to end

struct RunResult {
    int status;
    std::string out, err;
};

RunResult Telmora(std::vector<std::string> args, const std::string& script = "") {
    std::istringstream in(script);
    std::ostringstream out, err;
    const int status = telmora::RunTelmora(args, in, out, err);
    return {status, out.str(), err.str()};
}

TEST_F(HostTest, ScriptDrivesTheAddInHeadlessly) {
    const std::string registry = (work / "registry").string();
    const RunResult run = Telmora(
        {"--registry", registry, "--register", kLibrary, "--settings", settings.settingsFolder,
         "--quiet-trace", "--refuse-menu", "Kein Platz im Menü", "--script", "-"},
        "# a comment\n"
        "today 2016-03-31\n"
        "start\n"
        "menu\n"
        "dump txtFrom\n"
        "choose cboZeitraum 6\n"
        "dump txtFrom\n"
        "text txtTo 05.03.2016\n"
        "dump txtTo\n"
        "language en\n"
        "dump fraZeitraum\n"
        "dump txtFrom\n"
        "event 1\n"
        "hide\n"
        "stop\n"
        "log\n");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string& out = run.out;
    auto has = [&](const std::string& text) {
        EXPECT_NE(out.find(text), std::string::npos) << "missing: " << text << "\n" << out;
    };
    has("Text = \"30.03.2016\"");  // first preset: one day back
    has("Text = \"31.12.2015\"");  // index 6: three months back, clamped to the month's end
    has("Text = \"05.03.2016\"");  // typed
    has("Caption = \"Period\"");
    // The refused menu entry: its message once, and start-up went on.
    has("AddMenu(\"mnuPerlowan\", \"Perlowan\", 5, \"\") = False; arg 4 -> \"Kein Platz im Menü\"");
    std::size_t boxes = 0;
    for (std::size_t at = out.find("MsgBox("); at != std::string::npos;
         at = out.find("MsgBox(", at + 1))
        ++boxes;
    EXPECT_EQ(boxes, 1u);
    has("MsgBox(\"Kein Platz im Menü\", buttons 0, icon 64, \"Perlowan\")");
    has("Event 1 not delivered: not registered");
    has("> AppDeInit()\nEventDeRegister(2)");
    // Call order of the start, as data.
    const std::string start = "> AppInit(Object, False, \"\")\nEventRegister(2)\nAddMenu(";
    has(start);
}

TEST_F(HostTest, CommandLineAndScriptErrorsAreReported) {
    struct Row {
        std::vector<std::string> args;
        std::string script;
        int status;
        std::string message;  // in the error stream ("" = the output)
    };
    const std::string registry = (work / "registry").string();
    const std::vector<std::string> base{"--registry",   registry,     "--register",
                                        kLibrary,       "--settings", settings.settingsFolder,
                                        "--quiet-trace"};
    auto with = [&](std::vector<std::string> more) {
        std::vector<std::string> all = base;
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };
    const Row rows[] = {
        {{"--help"}, "", 0, ""},
        {{"--frobnicate"}, "", 2, "unknown option --frobnicate"},
        {{"--language"}, "", 2, "option --language needs a value"},
        {{"--language", "fr"}, "", 2, "unknown language fr"},
        {{"--tips", "ftp:x"}, "", 2, "unknown tips source ftp:x"},
        {{"--gui", "--script", "-"}, "", 2, "--gui and --script exclude each other"},
        {with({"--gui"}), "", 2, "this program has no graphical mode"},  // no session given
        {{"--registry", registry, "--progid", "No.Such"}, "", 1, "No.Such is not registered"},
        {with({"--script", "-"}), "start\nwobble\n", 1, "line 2: unknown command \"wobble\""},
        {with({"--script", "-"}), "dump cboZeitraum\n", 1,
         "line 1: the add-in's window is not shown"},
        {with({"--script", "-"}), "start\nmenu\nchoose cboZeitraum 9\n", 1,
         "line 3: cboZeitraum has no entry 9 (9 entries)"},
        {with({"--script", "-"}), "start\nmenu\ndump nothing\n", 1, "line 3: no control nothing"},
        {with({"--script", "-"}), "clock soon\n", 1, "line 1: not a number for milliseconds: soon"},
        {with({"--script", "-"}), "start\nmenu\nselect grdTipps 1 0\n", 1,
         "line 3: grdTipps has no cell 1 0 (2 columns, 0 rows)"},
        {with({"--script", "-"}), "start\nmenu\nselect txtFrom 0 0\n", 1,
         "line 3: txtFrom is not a grid: "},
        {with({"--script", "-"}), "start\nmenu\ncells cboZeitraum\n", 1,
         "line 3: cboZeitraum is not a grid: "},
        {with({"--script", "-"}), "start\nmenu\nshow txtFrom Text Wobble\n", 1,
         "line 3: txtFrom.Wobble: "},
        {with({"--script", (work / "missing.txt").string()}), "", 1, "cannot read the script"},
        {with({"--script", work.string()}), "", 1,
         "the script " + work.string() + " is a folder, not a file"},
        {{"--registry", (work / "script.txt").string(), "--register", kLibrary},
         "",
         1,
         "DllRegisterServer of " + kLibrary + " failed (0x80040201): The registry folder"},
    };
    // A file where the registry folder should be.
    fs::create_directories(work);
    std::ofstream(work / "script.txt") << "start\n";
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        const RunResult run = Telmora(rows[i].args, rows[i].script);
        EXPECT_EQ(run.status, rows[i].status) << run.err;
        if (rows[i].message.empty())
            EXPECT_NE(run.out.find("usage: telmora"), std::string::npos);
        else
            EXPECT_NE(run.err.find(rows[i].message), std::string::npos) << run.err;
    }
}

TEST_F(HostTest, HelpListsEveryScriptCommandWithTheUsageItsErrorsShow) {
    const RunResult help = Telmora({"--help"});
    ASSERT_EQ(help.status, 0);
    const std::string registry = (work / "registry").string();
    const std::vector<std::string> args{"--registry",    registry,     "--register",
                                        kLibrary,        "--settings", settings.settingsFolder,
                                        "--quiet-trace", "--script",   "-"};
    const auto& commands = telmora::ScriptRunner::Commands();
    ASSERT_FALSE(commands.empty());
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const auto& command = commands[i];
        SCOPED_TRACE(command.name);
        const std::string usage =
            std::string(command.name) + (*command.arguments ? " " : "") + command.arguments;
        EXPECT_NE(help.out.find("\n  " + usage + " "), std::string::npos) << help.out;
        EXPECT_NE(help.out.find(command.description), std::string::npos);
        for (std::size_t j = 0; j < i; ++j) EXPECT_STRNE(commands[j].name, command.name);
        if (command.required == 0) continue;
        // Too few words: the usage from the same row.
        const RunResult run = Telmora(args, std::string(command.name) + "\n");
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("line 1: usage: " + usage + "\n"), std::string::npos) << run.err;
    }
}

TEST_F(HostTest, TodayTakesOnlyDaysThatExist) {
    const std::string registry = (work / "registry").string();
    const std::vector<std::string> args{"--registry",    registry,     "--register",
                                        kLibrary,        "--settings", settings.settingsFolder,
                                        "--quiet-trace", "--script",   "-"};
    struct Row {
        int line;
        std::string date;
        std::string firstPreset;  // the window's start date after "today" ("" = refused)
    };
    const Row rows[] = {
        {1, "2024-02-29", "28.02.2024"}, {2, "2024-03-01", "29.02.2024"},
        {3, "2023-03-01", "28.02.2023"}, {4, "2024-02-30", ""},
        {5, "2023-02-29", ""},           {6, "2024-04-31", ""},
        {7, "2024-13-01", ""},           {8, "2024-00-10", ""},
        {9, "2024-01-00", ""},           {10, "2024-1-5", ""},
        {11, "2024-01-05x", ""},         {12, "0099-01-05", ""},
        {13, "+024-01-05", ""},
    };
    // The same day given to the script's "today" and to the command line's --today.
    std::vector<std::string> withOption = args;
    withOption.insert(withOption.begin(), {"--today", ""});
    for (const Row& row : rows) {
        SCOPED_TRACE("row " + std::to_string(row.line));
        const RunResult run = Telmora(
            args, "today " + row.date + "\nstart\nmenu\nchoose cboZeitraum 0\ndump txtFrom\n");
        withOption[1] = row.date;
        const RunResult option = Telmora(withOption, "start\nmenu\ndump txtFrom\n");
        if (row.firstPreset.empty()) {
            EXPECT_EQ(run.status, 1);
            EXPECT_NE(run.err.find("line 1: not a date (YYYY-MM-DD): " + row.date),
                      std::string::npos)
                << run.err;
            EXPECT_EQ(option.status, 2);
            EXPECT_NE(option.err.find("telmora: not a date (YYYY-MM-DD): " + row.date),
                      std::string::npos)
                << option.err;
        } else {
            EXPECT_EQ(run.status, 0) << run.err;
            EXPECT_NE(run.out.find("Text = \"" + row.firstPreset + "\""), std::string::npos)
                << run.out;
            EXPECT_EQ(option.status, 0) << option.err;
            EXPECT_NE(option.out.find("Text = \"" + row.firstPreset + "\""), std::string::npos)
                << option.out;
        }
    }
}

}  // namespace
