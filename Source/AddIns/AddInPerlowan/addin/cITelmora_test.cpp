#include "cITelmora.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "DebugRecorder.h"
#include "MessageBox.h"
#include "frmAddIn.h"

namespace {

using rt::Variant;

// A host application object that records every call as "Member(arg, ...)".
struct FakeHost {
    std::shared_ptr<rt::DynamicObject> object = std::make_shared<rt::DynamicObject>();
    std::vector<std::string> calls;
    Variant addMenuResult = Variant(true);
    std::string addMenuError;
    bool addInSetDuringAddMenu = false;
    std::int32_t shownWindow = 0;

    static std::string Text(const Variant& v) {
        if (v.IsString()) return "\"" + v.ToString() + "\"";
        if (v.IsObject()) return "Object";
        return v.ToString();
    }
    void Record(const std::string& name, std::span<Variant> args) {
        std::string line = name + "(";
        for (std::size_t i = 0; i < args.size(); ++i) line += (i ? ", " : "") + Text(args[i]);
        calls.push_back(line + ")");
    }

    explicit FakeHost(bool withAddMenu = true) {
        for (const char* name : {"EventRegister", "EventDeRegister", "Trace"})
            object->Define(name, [this, name](std::span<Variant> a) {
                Record(name, a);
                return Variant();
            });
        if (withAddMenu)
            object->Define("AddMenu", [this](std::span<Variant> a) {
                Record("AddMenu", a);
                addInSetDuringAddMenu = gobjAddIn != nullptr;
                if (!addMenuError.empty()) a[3] = addMenuError;
                return addMenuResult;
            });
        object->Define("ShowAddIn", [this](std::span<Variant> a) {
            Record("ShowAddIn", a);
            shownWindow = a[0].ToLong();
            return Variant();
        });
        object->Define("LanguageString", [this](std::span<Variant> a) {
            Record("LanguageString", a);
            return Variant("T" + a[0].ToString());
        });
    }
    std::size_t Count(const std::string& prefix) const {
        std::size_t n = 0;
        for (const auto& c : calls) n += c.rfind(prefix, 0) == 0;
        return n;
    }
};

class cITelmoraTest : public ::testing::Test {
  protected:
    void SetUp() override {
        boxes = std::make_shared<platform::RecordingMessageBoxes>();
        boxesRole.emplace(boxes);
    }
    void TearDown() override {
        UnloadAddInWindow();
        gobjAddIn = nullptr;
    }

    // Calls a member late-bound by name, as the host does.
    static Variant Call(const std::shared_ptr<cITelmora>& addIn, std::string_view name,
                        std::vector<Variant>& args, rt::CallType type = rt::CallType::Method) {
        return rt::CallByName(addIn, name, type, args);
    }
    static void Start(const std::shared_ptr<cITelmora>& addIn, const FakeHost& host) {
        std::vector<Variant> args{Variant(rt::ObjectRef(host.object)), Variant(false),
                                  Variant(std::string())};
        Call(addIn, "AppInit", args);
    }

    std::shared_ptr<platform::RecordingMessageBoxes> boxes;
    std::optional<rt::ScopedRole<platform::MessageBoxService>> boxesRole;
};

TEST_F(cITelmoraTest, AppInitSubscribesPublishesItselfAndAddsTheMenuEntry) {
    FakeHost host;
    auto addIn = std::make_shared<cITelmora>();
    Start(addIn, host);

    const std::vector<std::string> expected{"EventRegister(2)",
                                            "AddMenu(\"mnuPerlowan\", \"Perlowan\", 5, \"\")"};
    EXPECT_EQ(host.calls, expected);
    EXPECT_TRUE(host.addInSetDuringAddMenu);
    EXPECT_EQ(gobjAddIn, addIn);
    EXPECT_EQ(gobjAddIn->MainApplication(), host.object);
    EXPECT_TRUE(boxes->Calls().empty());
}

TEST_F(cITelmoraTest, OnlyTheAutomationTrueOrNullCountsAsAnAddedMenuEntry) {
    struct Row {
        Variant result;
        bool refused;
    };
    const Row rows[] = {
        {Variant(true), false},
        {Variant::Null(), false},
        {Variant(std::int16_t{-1}), false},
        {Variant(std::int32_t{-1}), false},
        {Variant(false), true},
        {Variant(), true},
        {Variant(std::int16_t{1}), true},
        {Variant(std::int32_t{0}), true},
        {Variant("-1"), false},
        {Variant("1"), true},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        boxes->Clear();
        FakeHost host;
        host.addMenuResult = rows[i].result;
        host.addMenuError = "Menü belegt";
        auto addIn = std::make_shared<cITelmora>();
        std::vector<Variant> args{Variant(rt::ObjectRef(host.object)), Variant(true),
                                  Variant("host's reason")};
        EXPECT_NO_THROW(Call(addIn, "AppInit", args));
        // Start-up goes on either way; pbCancel and ptCancelReason stay as the host set them.
        EXPECT_EQ(gobjAddIn, addIn);
        EXPECT_EQ((std::vector<Variant>(args.begin() + 1, args.end())),
                  (std::vector<Variant>{Variant(true), Variant("host's reason")}));
        const std::vector<platform::MessageBoxCall> expected =
            rows[i].refused
                ? std::vector<platform::MessageBoxCall>{{"Menü belegt", platform::vbOKOnly,
                                                         platform::vbInformation, "Perlowan"}}
                : std::vector<platform::MessageBoxCall>{};
        EXPECT_EQ(boxes->Calls(), expected);
        gobjAddIn = nullptr;
    }
}

TEST_F(cITelmoraTest, AHostWithoutAddMenuGetsTheFailureBack) {
    FakeHost host(/*withAddMenu=*/false);
    auto addIn = std::make_shared<cITelmora>();
    std::vector<Variant> args{Variant(rt::ObjectRef(host.object)), Variant(false), Variant("")};
    try {
        Call(addIn, "AppInit", args);
        FAIL() << "AppInit succeeded";
    } catch (const rt::RuntimeError& e) {
        EXPECT_EQ(e.Number(), rt::err::MemberNotSupported);
    }
    EXPECT_TRUE(boxes->Calls().empty());
}

TEST_F(cITelmoraTest, OnlyLanguageChangeWhileRunningReachesTheWindow) {
    struct Row {
        std::int16_t event;
        bool started;
        bool deinitialised;
        bool reachesWindow;
    };
    const Row rows[] = {
        {1, true, false, false}, {13, true, false, false}, {-1, true, false, false},
        {2, true, false, true},  {2, false, false, false}, {2, true, true, false},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        FakeHost host;
        auto addIn = std::make_shared<cITelmora>();
        if (rows[i].started) Start(addIn, host);
        if (rows[i].deinitialised) {
            std::vector<Variant> none;
            Call(addIn, "AppDeInit", none);
        }
        host.calls.clear();
        std::vector<Variant> args{Variant(rows[i].event), Variant(Variant::Array{Variant("x")})};
        Call(addIn, "AppEvent", args);
        EXPECT_EQ(host.Count("LanguageString") > 0, rows[i].reachesWindow);
        if (!rows[i].reachesWindow) {
            EXPECT_TRUE(host.calls.empty());
        }
        EXPECT_EQ(frmAddIn.IsNothing(), !rows[i].reachesWindow);
        UnloadAddInWindow();
        gobjAddIn = nullptr;
    }
}

TEST_F(cITelmoraTest, TraceGoesToTheGivenObjectElseToTheHostAndNeverFails) {
    FakeHost host, other;
    auto addIn = std::make_shared<cITelmora>();
    Start(addIn, host);
    host.calls.clear();

    std::vector<Variant> explicitArgs{Variant("to other"), Variant(rt::ObjectRef(other.object))};
    Call(addIn, "Trace", explicitArgs);
    std::vector<Variant> heldArgs{Variant("to host")};
    Call(addIn, "Trace", heldArgs);
    std::vector<Variant> nothingArgs{Variant("nothing given"), Variant::Nothing()};
    Call(addIn, "Trace", nothingArgs);

    EXPECT_EQ(other.calls, std::vector<std::string>{"Trace(\"to other\")"});
    EXPECT_EQ(host.calls,
              (std::vector<std::string>{"Trace(\"to host\")", "Trace(\"nothing given\")"}));

    // A target without Trace, and no host at all: no error reaches the caller, the debug
    // channel says what was lost.
    testsupport::DebugRecorder debug("trace");
    auto mute = std::make_shared<rt::DynamicObject>();
    std::vector<Variant> muteArgs{Variant("lost"), Variant(rt::ObjectRef(mute))};
    EXPECT_NO_THROW(Call(addIn, "Trace", muteArgs));
    auto idle = std::make_shared<cITelmora>();
    std::string text = "no host";
    EXPECT_NO_THROW(idle->Trace(text));
    EXPECT_EQ(debug.Lines(),
              (std::vector<std::string>{"trace: trace line not forwarded: error 438 " +
                                            rt::StandardDescription(438) + ": lost",
                                        "trace: trace line not forwarded: error 91 " +
                                            rt::StandardDescription(91) + ": no host"}));
}

TEST_F(cITelmoraTest, DeclinedRolesLeaveEveryOtherOutParameterUntouched) {
    auto addIn = std::make_shared<cITelmora>();
    std::vector<Variant> rating{Variant(std::int16_t{0}),
                                Variant("01012016"),
                                Variant("31012016"),
                                Variant("01022016"),
                                Variant("29022016"),
                                Variant(std::int16_t{1}),
                                Variant("30"),
                                Variant("90"),
                                Variant("category sentinel"),
                                Variant(std::int16_t{7}),
                                Variant(std::int16_t{8}),
                                Variant("details sentinel"),
                                Variant("error sentinel")};
    const std::vector<Variant> ratingBefore = rating;
    EXPECT_EQ(Call(addIn, "TrendGetRating", rating), Variant(false));
    for (std::size_t i = 0; i + 1 < rating.size(); ++i) {
        SCOPED_TRACE("argument " + std::to_string(i));
        EXPECT_EQ(rating[i], ratingBefore[i]);
    }
    EXPECT_EQ(rating.back(), Variant("Not implemented."));

    std::vector<Variant> graph{
        Variant(std::int16_t{0}),  Variant("a"),    Variant("b"),      Variant(std::int16_t{100}),
        Variant(std::int16_t{50}), Variant("mask"), Variant("events"), Variant(std::int32_t{4711}),
        Variant("file"),           Variant()};
    const std::vector<Variant> graphBefore = graph;
    EXPECT_EQ(Call(addIn, "StatisticGetGraph", graph), Variant(false));
    for (std::size_t i = 0; i + 1 < graph.size(); ++i) EXPECT_EQ(graph[i], graphBefore[i]);
    EXPECT_EQ(graph.back(), Variant("Not implemented."));
}

TEST_F(cITelmoraTest, InformationAndDeclinedRoles) {
    // The dispatch ids behind these names are checked against the interface declaration.
    const std::pair<const char*, Variant> rows[] = {
        {"InfoDeveloper", Variant("Brenmark GmbH & Co. KG")},
        {"InfoDescription", Variant("Kommunikation mit dem Perlowan-Server.")},
        {"IsTrendProvider", Variant(false)},
        {"TrendNumberOfCategories", Variant(std::int16_t{0})},
        {"IsStatisticProvider", Variant(false)},
        {"StatisticNumberOfGraphs", Variant(std::int16_t{0})},
    };
    auto addIn = std::make_shared<cITelmora>();
    for (const auto& [name, expected] : rows) {
        SCOPED_TRACE(name);
        EXPECT_EQ(rt::GetProperty(addIn, name), expected);
    }
    std::vector<Variant> index{Variant(std::int16_t{3})};
    EXPECT_EQ(Call(addIn, "StatisticGraphName", index, rt::CallType::PropertyGet), Variant(""));
    std::vector<Variant> none;
    EXPECT_NO_THROW(Call(addIn, "TrendShowSettings", none));
    EXPECT_NO_THROW(Call(addIn, "StatisticShowSettings", none));
    // MainApplication is the library's own: the interface has no such member.
    EXPECT_THROW(addIn->GetIdOfName("MainApplication"), rt::RuntimeError);
}

TEST_F(cITelmoraTest, MenuClickShowsTheWindowThroughTheHostAndHideUnloadsIt) {
    FakeHost host;
    auto addIn = std::make_shared<cITelmora>();
    Start(addIn, host);
    host.calls.clear();

    for (const char* menuName : {"mnuPerlowan", "", "anything"}) {
        SCOPED_TRACE(menuName);
        std::vector<Variant> args{Variant(menuName)};
        Call(addIn, "AddInMenuClicked", args);
        ASSERT_FALSE(frmAddIn.IsNothing());
        EXPECT_NE(host.shownWindow, 0);
        EXPECT_EQ(host.shownWindow, frmAddIn->hWnd());
        EXPECT_EQ(host.calls.back(),
                  "ShowAddIn(" + std::to_string(host.shownWindow) + ", \"Perlowan\")");
    }
    EXPECT_EQ(host.Count("ShowAddIn"), 3u);

    std::vector<Variant> none;
    Call(addIn, "AddInHide", none);
    EXPECT_TRUE(frmAddIn.IsNothing());
}

TEST_F(cITelmoraTest, AppDeInitUnsubscribesAndReleasesTheHost) {
    FakeHost host;
    auto addIn = std::make_shared<cITelmora>();
    Start(addIn, host);
    host.calls.clear();
    std::vector<Variant> none;
    Call(addIn, "AppDeInit", none);

    EXPECT_EQ(host.calls, std::vector<std::string>{"EventDeRegister(2)"});
    EXPECT_EQ(addIn->MainApplication(), nullptr);
    EXPECT_EQ(gobjAddIn, nullptr);
    EXPECT_EQ(host.object.use_count(), 1);
}

}  // namespace
