#include "mSubclass.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "RuntimeError.h"

namespace {

using platform::LParam;
using platform::LResult;
using platform::MessageId;
using platform::WindowHandle;
using platform::WParam;
using Props = std::vector<std::pair<std::string, std::intptr_t>>;

constexpr std::int32_t WM_MOUSEWHEEL = 522;
constexpr std::int32_t WM_MOUSEMOVE = 512;
constexpr LResult kOwnResult = 100;

// Everything the window's own procedure and the clients saw, in order.
std::vector<std::string> gLog;

LResult OwnProc(WindowHandle hWnd, MessageId iMsg, WParam wParam, LParam lParam) {
    gLog.push_back("own " + std::to_string(iMsg));
    return platform::DefaultWindowProc(hWnd, iMsg, wParam, lParam) + kOwnResult;
}

class Client : public cISubclass {
  public:
    Client(std::string name, std::int32_t response, std::int32_t result = 0)
        : name_(std::move(name)), response_(response), result_(result) {}

    std::int32_t MsgResponse() override { return response_; }
    void MsgResponse(std::int32_t value) override { response_ = value; }
    std::int32_t WindowProc(std::int32_t hWnd, std::int32_t iMsg, std::int32_t wParam,
                            std::int32_t lParam) override {
        lastWindow = hWnd;
        lastLParam = lParam;
        gLog.push_back(name_ + " " + std::to_string(iMsg) + " " +
                       std::to_string(platform::SignedHiWord(static_cast<std::uint32_t>(wParam))));
        const std::int32_t result = result_;
        if (onCall) {
            const auto call = onCall;
            call();  // may destroy this client
        }
        return result;
    }

    std::function<void()> onCall;
    std::int32_t lastWindow = 0;
    std::int32_t lastLParam = 0;

  private:
    std::string name_;
    std::int32_t response_;
    std::int32_t result_;
};

std::intptr_t Address(const cISubclass& client) {
    return reinterpret_cast<std::intptr_t>(&client);
}

class SubclassTest : public ::testing::Test {
  protected:
    SubclassTest() {
        gLog.clear();
        platform::WindowCreation creation;
        creation.procedure = &OwnProc;
        hWnd = wm.CreateWindow(creation);
        wm.SetProp(hWnd, "Sentinel", 42);
    }

    LResult Send(std::int32_t iMsg, std::int16_t wheel = 0) {
        return wm.SendMessage(hWnd, static_cast<MessageId>(iMsg),
                              platform::MakeWParam(0, static_cast<std::uint16_t>(wheel)), 7);
    }

    std::string Key(const std::string& rest) const { return std::to_string(hWnd) + rest; }

    // The error number and description SubscribeMessage raised; 0 when it raised none.
    std::pair<std::int32_t, std::string> SubscribeError(cISubclass& client, std::int32_t window,
                                                        std::int32_t iMsg) {
        try {
            SubscribeMessage(client, window, iMsg);
        } catch (const rt::RuntimeError& e) {
            EXPECT_EQ(e.Source(), "Perlowan.WindowProc");
            return {e.Number(), e.Description()};
        }
        return {0, ""};
    }

    std::shared_ptr<platform::WindowManager> inner = platform::MakeInProcessWindowManager();
    rt::ScopedRole<platform::WindowManager> desktop{inner};
    platform::WindowManager& wm = platform::Windows();
    WindowHandle hWnd = 0;
    const Props untouched = {{"Sentinel", 42}};
};

TEST_F(SubclassTest, BookkeepingLivesInTheWindowsProperties) {
    Client a("a", MsgResponseClientsOnly);
    Client b("b", MsgResponseClientsOnly);

    SubscribeMessage(a, hWnd, WM_MOUSEWHEEL);
    SubscribeMessage(b, hWnd, WM_MOUSEWHEEL);
    SubscribeMessage(a, hWnd, WM_MOUSEMOVE);

    EXPECT_EQ(wm.GetWindowProc(hWnd), &DispatchWindowMessage);
    const Props expected = {
        {Key(""), reinterpret_cast<std::intptr_t>(&OwnProc)},
        {Key("#512#1"), Address(a)},
        {Key("#512C"), 1},
        {Key("#522#1"), Address(a)},
        {Key("#522#2"), Address(b)},
        {Key("#522C"), 2},
        {"C" + std::to_string(hWnd), 3},
        {"Sentinel", 42},
    };
    EXPECT_EQ(wm.EnumProps(hWnd), expected);
}

TEST_F(SubclassTest, SecondSubscriptionOfTheSameClientIsRefusedAndChangesNothing) {
    Client a("a", MsgResponseClientsOnly, 1);
    SubscribeMessage(a, hWnd, WM_MOUSEWHEEL);
    const Props before = wm.EnumProps(hWnd);

    const auto error = SubscribeError(a, hWnd, WM_MOUSEWHEEL);

    EXPECT_EQ(error.first, static_cast<std::int32_t>(0x8004331Au));
    EXPECT_EQ(error.second, "Message already handled by another class");
    EXPECT_EQ(wm.EnumProps(hWnd), before);
    Send(WM_MOUSEWHEEL, -120);
    EXPECT_EQ(gLog, std::vector<std::string>{"a 522 -120"}) << "called once, not twice";
}

TEST_F(SubclassTest, ClientsAreCalledInSubscriptionOrderAndTheProcedureComesBackAfterTheLast) {
    Client a("a", MsgResponseOwnAfter, 1);
    Client b("b", MsgResponseOwnAfter, 2);
    SubscribeMessage(a, hWnd, WM_MOUSEWHEEL);
    SubscribeMessage(b, hWnd, WM_MOUSEWHEEL);

    EXPECT_EQ(Send(WM_MOUSEWHEEL, 120), kOwnResult);
    UnsubscribeMessage(a, hWnd, WM_MOUSEWHEEL);
    EXPECT_EQ(wm.GetWindowProc(hWnd), &DispatchWindowMessage) << "b is still subscribed";
    EXPECT_EQ(wm.GetProp(hWnd, Key("#522#1")), Address(b)) << "b moved down to entry 1";
    EXPECT_EQ(Send(WM_MOUSEWHEEL, 240), kOwnResult);
    UnsubscribeMessage(b, hWnd, WM_MOUSEWHEEL);
    EXPECT_EQ(wm.GetWindowProc(hWnd), &OwnProc);
    EXPECT_EQ(Send(WM_MOUSEWHEEL, 360), kOwnResult);

    const std::vector<std::string> expected = {"a 522 120", "b 522 120", "own 522",
                                               "b 522 240", "own 522",   "own 522"};
    EXPECT_EQ(gLog, expected);
    EXPECT_EQ(wm.EnumProps(hWnd), untouched);
    EXPECT_EQ(a.lastWindow, hWnd);
    EXPECT_EQ(a.lastLParam, 7);
}

TEST_F(SubclassTest, ResponseModesOfTheFirstAndLastClientPlaceTheOwnProcedure) {
    struct Row {
        std::vector<std::int32_t> modes;  // one client per mode, results 11, 22
        std::vector<std::string> calls;
        LResult result;
    };
    const Row rows[] = {
        {{0}, {"c1"}, 11},
        {{1}, {"c1", "own"}, kOwnResult},
        {{2}, {"own", "c1"}, 11},
        {{0, 0}, {"c1", "c2"}, 22},
        {{0, 1}, {"c1", "c2", "own"}, kOwnResult},
        {{2, 0}, {"own", "c1", "c2"}, 22},
        {{2, 1}, {"own", "c1", "c2"}, 22},
        {{1, 0}, {"c1", "c2"}, 22},
        {{0, 2}, {"c1", "c2"}, 22},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        std::vector<std::unique_ptr<Client>> clients;
        for (std::size_t c = 0; c < rows[i].modes.size(); ++c) {
            clients.push_back(std::make_unique<Client>("c" + std::to_string(c + 1),
                                                       rows[i].modes[c], 11 * (c + 1)));
            SubscribeMessage(*clients.back(), hWnd, WM_MOUSEWHEEL);
        }
        gLog.clear();

        EXPECT_EQ(Send(WM_MOUSEWHEEL), rows[i].result);
        std::vector<std::string> calls;
        for (const std::string& entry : gLog) calls.push_back(entry.substr(0, entry.find(' ')));
        EXPECT_EQ(calls, rows[i].calls);
    }
}

TEST_F(SubclassTest, ModeZeroKeepsTheMessageFromTheOwnProcedureButNotOtherMessages) {
    Client grid("grid", MsgResponseClientsOnly, 1);
    SubscribeMessage(grid, hWnd, WM_MOUSEWHEEL);

    EXPECT_EQ(Send(WM_MOUSEWHEEL, -120), 1);
    EXPECT_EQ(Send(WM_MOUSEMOVE), kOwnResult);
    wm.SendMessage(hWnd, platform::WM_SETREDRAW, 0, 0);

    const std::vector<std::string> expected = {"grid 522 -120", "own 512", "own 11"};
    EXPECT_EQ(gLog, expected);
    EXPECT_FALSE(wm.IsPaintingEnabled(hWnd)) << "unsubscribed messages reach the own procedure";
}

TEST_F(SubclassTest, GapInTheEntriesSendsTheMessageToTheOwnProcedure) {
    Client a("a", MsgResponseClientsOnly, 11);
    Client b("b", MsgResponseClientsOnly, 22);
    SubscribeMessage(a, hWnd, WM_MOUSEWHEEL);
    SubscribeMessage(b, hWnd, WM_MOUSEWHEEL);
    wm.SetProp(hWnd, Key("#522#1"), 0);

    EXPECT_EQ(Send(WM_MOUSEWHEEL), 22);
    const std::vector<std::string> expected = {"own 522", "b 522 0"};
    EXPECT_EQ(gLog, expected);
    wm.SetProp(hWnd, Key("#522#1"), Address(a));  // so that `a` finds itself when destroyed
}

TEST_F(SubclassTest, UnsubscribingAStrangerChangesNothing) {
    Client member("member", MsgResponseClientsOnly);
    Client stranger("stranger", MsgResponseClientsOnly);
    const WindowHandle plain = wm.CreateWindow({});
    SubscribeMessage(member, hWnd, WM_MOUSEWHEEL);
    const Props before = wm.EnumProps(hWnd);

    UnsubscribeMessage(stranger, hWnd, WM_MOUSEWHEEL);
    UnsubscribeMessage(member, hWnd, WM_MOUSEMOVE);
    UnsubscribeMessage(stranger, plain, WM_MOUSEWHEEL);
    UnsubscribeMessage(stranger, 12345, WM_MOUSEWHEEL);

    EXPECT_EQ(wm.EnumProps(hWnd), before);
    EXPECT_EQ(wm.GetWindowProc(hWnd), &DispatchWindowMessage);
    EXPECT_TRUE(wm.EnumProps(plain).empty());
    EXPECT_EQ(wm.GetWindowProc(plain), &platform::DefaultWindowProc);
}

// Refuses to replace window procedures, as the desktop does for protected windows.
class RefusingWindowManager final : public platform::WindowManager {
  public:
    using Handle = platform::WindowHandle;
    explicit RefusingWindowManager(std::shared_ptr<platform::WindowManager> inner)
        : inner_(std::move(inner)) {}
    platform::WindowProc SetWindowProc(Handle, platform::WindowProc) override { return nullptr; }

    Handle CreateWindow(const platform::WindowCreation& c) override {
        return inner_->CreateWindow(c);
    }
    bool DestroyWindow(Handle h) override { return inner_->DestroyWindow(h); }
    bool IsWindow(Handle h) override { return inner_->IsWindow(h); }
    Handle GetParent(Handle h) override { return inner_->GetParent(h); }
    std::uint32_t GetWindowThreadProcessId(Handle h, std::uint32_t* p) override {
        return inner_->GetWindowThreadProcessId(h, p);
    }
    std::uint32_t GetCurrentProcessId() override { return inner_->GetCurrentProcessId(); }
    std::uint32_t GetCurrentThreadId() override { return inner_->GetCurrentThreadId(); }
    platform::WindowProc GetWindowProc(Handle h) override { return inner_->GetWindowProc(h); }
    LResult SendMessage(Handle h, MessageId m, WParam w, LParam l) override {
        return inner_->SendMessage(h, m, w, l);
    }
    LResult CallWindowProc(platform::WindowProc p, Handle h, MessageId m, WParam w,
                           LParam l) override {
        return inner_->CallWindowProc(p, h, m, w, l);
    }
    LResult DefWindowProc(Handle h, MessageId m, WParam w, LParam l) override {
        return inner_->DefWindowProc(h, m, w, l);
    }
    bool SetProp(Handle h, const std::string& n, std::intptr_t v) override {
        return inner_->SetProp(h, n, v);
    }
    std::intptr_t GetProp(Handle h, const std::string& n) override { return inner_->GetProp(h, n); }
    std::intptr_t RemoveProp(Handle h, const std::string& n) override {
        return inner_->RemoveProp(h, n);
    }
    Props EnumProps(Handle h) override { return inner_->EnumProps(h); }
    bool IsPaintingEnabled(Handle h) override { return inner_->IsPaintingEnabled(h); }
    void InvalidateWindow(Handle h) override { inner_->InvalidateWindow(h); }
    bool RedrawWindow(Handle h, const platform::Rect* r, const void* g, std::uint32_t f) override {
        return inner_->RedrawWindow(h, r, g, f);
    }
    std::int64_t PaintCount(Handle h) override { return inner_->PaintCount(h); }
    bool MoveWindow(Handle h, const platform::Rect& r) override { return inner_->MoveWindow(h, r); }
    platform::Rect GetWindowRect(Handle h) override { return inner_->GetWindowRect(h); }
    platform::Rect GetClientRect(Handle h) override { return inner_->GetClientRect(h); }
    bool ShowWindow(Handle h, bool v) override { return inner_->ShowWindow(h, v); }
    bool IsWindowVisible(Handle h) override { return inner_->IsWindowVisible(h); }
    bool BringWindowToTop(Handle h) override { return inner_->BringWindowToTop(h); }
    bool ScreenToClient(Handle h, platform::Point& p) override {
        return inner_->ScreenToClient(h, p);
    }
    bool ClientToScreen(Handle h, platform::Point& p) override {
        return inner_->ClientToScreen(h, p);
    }
    platform::Point GetCursorPos() override { return inner_->GetCursorPos(); }
    void SetCursorPos(platform::Point p) override { inner_->SetCursorPos(p); }
    Handle WindowFromPoint(platform::Point p) override { return inner_->WindowFromPoint(p); }

  private:
    std::shared_ptr<platform::WindowManager> inner_;
};

TEST_F(SubclassTest, SubscribeRaisesTheSubclassingErrors) {
    Client a("a", MsgResponseClientsOnly);
    platform::WindowCreation foreignCreation;
    foreignCreation.processId = wm.GetCurrentProcessId() + 1;
    const WindowHandle foreign = wm.CreateWindow(foreignCreation);
    const WindowHandle destroyed = wm.CreateWindow({});
    wm.DestroyWindow(destroyed);

    struct Row {
        WindowHandle window;
        bool refusing;
        std::uint32_t number;
        std::string description;
    };
    const Row rows[] = {
        {0, false, 0x8004331B, "Invalid window"},
        {destroyed, false, 0x8004331B, "Invalid window"},
        {foreign, false, 0x8004331C, "Can't modify external window"},
        {hWnd, true, 0x80043319, "Can't subclass window"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        const Props before = wm.EnumProps(rows[i].window);
        std::optional<rt::ScopedRole<platform::WindowManager>> refusing;
        if (rows[i].refusing) {
            refusing.emplace(std::make_shared<RefusingWindowManager>(inner));
        }

        const auto error = SubscribeError(a, rows[i].window, WM_MOUSEWHEEL);

        EXPECT_EQ(error.first, static_cast<std::int32_t>(rows[i].number));
        EXPECT_EQ(error.second, rows[i].description);
        EXPECT_EQ(wm.EnumProps(rows[i].window), before);
    }
    EXPECT_EQ(wm.GetWindowProc(hWnd), &OwnProc);
    EXPECT_EQ(Send(WM_MOUSEWHEEL), kOwnResult);
    EXPECT_TRUE(IsOwnProcessWindow(hWnd));
    EXPECT_FALSE(IsOwnProcessWindow(foreign));
    EXPECT_FALSE(IsOwnProcessWindow(destroyed));
}

TEST(RaiseSubclassError, NumbersBelow1001AreStandardOthersGetTheObjectErrorBase) {
    struct Row {
        std::int32_t number;
        std::uint32_t raised;
        std::string description;
        std::string source;
    };
    const Row rows[] = {
        {5, 5, "Invalid procedure call or argument", "Perlowan"},
        {13, 13, "Type mismatch", "Perlowan"},
        {0, 5, "Invalid procedure call or argument", "Perlowan"},
        {13081, 0x80043319, "Can't subclass window", "Perlowan.WindowProc"},
        {13082, 0x8004331A, "Message already handled by another class", "Perlowan.WindowProc"},
        {13083, 0x8004331B, "Invalid window", "Perlowan.WindowProc"},
        {13084, 0x8004331C, "Can't modify external window", "Perlowan.WindowProc"},
        {1001, 0x800403E9, "", "Perlowan.WindowProc"},
        {13085, 0x8004331D, "", "Perlowan.WindowProc"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        try {
            RaiseSubclassError(rows[i].number);
            ADD_FAILURE() << "nothing raised";
        } catch (const rt::RuntimeError& e) {
            EXPECT_EQ(e.Number(), static_cast<std::int32_t>(rows[i].raised));
            EXPECT_EQ(e.Description(), rows[i].description);
            EXPECT_EQ(e.Source(), rows[i].source);
        }
    }
}

TEST_F(SubclassTest, DestroyedClientUnsubscribesEverythingItSubscribed) {
    const WindowHandle other = wm.CreateWindow({});
    Client survivor("survivor", MsgResponseClientsOnly, 5);
    auto doomed = std::make_unique<Client>("doomed", MsgResponseClientsOnly);
    SubscribeMessage(*doomed, hWnd, WM_MOUSEWHEEL);
    SubscribeMessage(survivor, hWnd, WM_MOUSEWHEEL);
    SubscribeMessage(*doomed, hWnd, WM_MOUSEMOVE);
    SubscribeMessage(*doomed, other, WM_MOUSEWHEEL);

    doomed.reset();
    Send(WM_MOUSEWHEEL);
    Send(WM_MOUSEMOVE);
    wm.SendMessage(other, WM_MOUSEWHEEL, 0, 0);

    const std::vector<std::string> expected = {"survivor 522 0", "own 512"};
    EXPECT_EQ(gLog, expected);
    EXPECT_EQ(wm.GetProp(hWnd, Key("#522#1")), Address(survivor));
    EXPECT_EQ(wm.GetProp(hWnd, "C" + std::to_string(hWnd)), 1);
    EXPECT_TRUE(wm.EnumProps(other).empty());
    EXPECT_EQ(wm.GetWindowProc(other), &platform::DefaultWindowProc);
}

TEST_F(SubclassTest, DestroyedWindowPassesItsLastMessagesOnAndIsThenInvalid) {
    Client a("a", MsgResponseOwnAfter);
    SubscribeMessage(a, hWnd, platform::WM_DESTROY);
    SubscribeMessage(a, hWnd, WM_MOUSEWHEEL);

    EXPECT_TRUE(wm.DestroyWindow(hWnd));
    UnsubscribeMessage(a, hWnd, WM_MOUSEWHEEL);
    const auto error = SubscribeError(a, hWnd, WM_MOUSEWHEEL);

    const std::vector<std::string> expected = {"a 2 0", "own 2", "own 130"};
    EXPECT_EQ(gLog, expected);
    EXPECT_EQ(error.first, static_cast<std::int32_t>(0x8004331Bu));
    // `a` still lists the destroyed window's WM_DESTROY; its destructor must cope quietly.
}

TEST_F(SubclassTest, ClientThatEndsItsRegistrationDuringItsCallIsNotTouchedAgain) {
    auto selfish = std::make_unique<Client>("selfish", MsgResponseOwnAfter, 9);
    selfish->onCall = [&] { selfish.reset(); };
    SubscribeMessage(*selfish, hWnd, WM_MOUSEWHEEL);

    EXPECT_EQ(Send(WM_MOUSEWHEEL), 9);
    EXPECT_EQ(Send(WM_MOUSEWHEEL), kOwnResult);

    const std::vector<std::string> expected = {"selfish 522 0", "own 522"};
    EXPECT_EQ(gLog, expected);
    EXPECT_EQ(wm.EnumProps(hWnd), untouched);
}

}  // namespace
