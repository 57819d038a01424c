#include "WindowManager.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace platform {
namespace {

// What the recording procedures saw, in order: "<tag> <handle> <message> <wParam>".
std::vector<std::string> gSeen;

std::string Event(const std::string& tag, WindowHandle hWnd, MessageId iMsg, WParam wParam) {
    return tag + " " + std::to_string(hWnd) + " " + std::to_string(iMsg) + " " +
           std::to_string(wParam);
}

LResult FirstProc(WindowHandle hWnd, MessageId iMsg, WParam wParam, LParam lParam) {
    gSeen.push_back(Event("first", hWnd, iMsg, wParam));
    return DefaultWindowProc(hWnd, iMsg, wParam, lParam) + 1;
}

LResult SecondProc(WindowHandle hWnd, MessageId iMsg, WParam wParam, LParam) {
    gSeen.push_back(Event("second", hWnd, iMsg, wParam));
    return 2;
}

class WindowsTest : public ::testing::Test {
  protected:
    WindowsTest() { gSeen.clear(); }

    WindowHandle Make(WindowHandle parent, Rect rect, WindowProc procedure = nullptr) {
        WindowCreation creation;
        creation.parent = parent;
        creation.rect = rect;
        creation.procedure = procedure;
        creation.paint = [](WindowHandle hWnd) {
            gSeen.push_back("paint " + std::to_string(hWnd));
        };
        return wm.CreateWindow(creation);
    }

    rt::ScopedRole<WindowManager> desktop{MakeInProcessWindowManager()};
    WindowManager& wm = Windows();
};

TEST_F(WindowsTest, HandlesAreUniqueNonZeroAndNotReused) {
    std::set<WindowHandle> seen;
    for (int i = 0; i < 20; ++i) {
        const WindowHandle hWnd = Make(0, {0, 0, 10, 10});
        ASSERT_NE(hWnd, 0);
        EXPECT_TRUE(seen.insert(hWnd).second) << hWnd;
        if (i % 2 == 0) {
            EXPECT_TRUE(wm.DestroyWindow(hWnd));
        }
    }
    EXPECT_FALSE(wm.IsWindow(0));
    EXPECT_EQ(Make(12345, {}), 0) << "a parent that is not a window";
}

TEST_F(WindowsTest, DestroySendsMessagesAndTakesChildrenAndPropertiesAlong) {
    const WindowHandle parent = Make(0, {0, 0, 100, 100}, &FirstProc);
    const WindowHandle child = Make(parent, {0, 0, 10, 10}, &FirstProc);
    const WindowHandle bystander = Make(0, {0, 0, 10, 10}, &FirstProc);
    ASSERT_TRUE(wm.SetProp(parent, "Key", 7));
    ASSERT_TRUE(wm.SetProp(bystander, "Key", 8));

    EXPECT_TRUE(wm.DestroyWindow(parent));

    const std::vector<std::string> expected = {
        Event("first", parent, WM_DESTROY, 0), Event("first", child, WM_DESTROY, 0),
        Event("first", child, WM_NCDESTROY, 0), Event("first", parent, WM_NCDESTROY, 0)};
    EXPECT_EQ(gSeen, expected);
    EXPECT_FALSE(wm.IsWindow(parent));
    EXPECT_FALSE(wm.IsWindow(child));
    EXPECT_TRUE(wm.IsWindow(bystander));
    EXPECT_EQ(wm.GetProp(parent, "Key"), 0);
    EXPECT_EQ(wm.GetProp(bystander, "Key"), 8);
    EXPECT_FALSE(wm.DestroyWindow(parent)) << "a second destroy";
    EXPECT_EQ(wm.SendMessage(parent, WM_PAINT, 0, 0), 0);
}

TEST_F(WindowsTest, ReplacedProcedureReturnsThePreviousOneAndChainsBack) {
    const WindowHandle hWnd = Make(0, {0, 0, 10, 10}, &FirstProc);

    EXPECT_EQ(wm.SendMessage(hWnd, 0x400, 1, 0), 1);
    EXPECT_EQ(wm.SetWindowProc(hWnd, &SecondProc), &FirstProc);
    EXPECT_EQ(wm.GetWindowProc(hWnd), &SecondProc);
    EXPECT_EQ(wm.SendMessage(hWnd, 0x400, 2, 0), 2);
    EXPECT_EQ(wm.CallWindowProc(&FirstProc, hWnd, 0x400, 3, 0), 1);
    EXPECT_EQ(wm.CallWindowProc(nullptr, hWnd, 0x400, 4, 0), 0);
    EXPECT_EQ(wm.SetWindowProc(hWnd, nullptr), nullptr) << "no procedure is refused";
    EXPECT_EQ(wm.SetWindowProc(hWnd, &FirstProc), &SecondProc);
    EXPECT_EQ(wm.SendMessage(hWnd, 0x400, 5, 0), 1);

    const std::vector<std::string> expected = {
        Event("first", hWnd, 0x400, 1), Event("second", hWnd, 0x400, 2),
        Event("first", hWnd, 0x400, 3), Event("first", hWnd, 0x400, 5)};
    EXPECT_EQ(gSeen, expected);
    EXPECT_EQ(wm.GetWindowProc(Make(0, {})), &DefaultWindowProc);
}

TEST_F(WindowsTest, UnhandledWheelGoesOnToTheParent) {
    const WindowHandle control = Make(0, {0, 0, 100, 100}, &FirstProc);
    const WindowHandle editor = Make(control, {0, 0, 10, 10});
    const WindowHandle button = Make(editor, {0, 0, 5, 5});
    const WParam down = MakeWParam(0, static_cast<std::uint16_t>(-WHEEL_DELTA));

    EXPECT_EQ(wm.SendMessage(button, WM_MOUSEWHEEL, down, 0), 1);
    EXPECT_EQ(wm.SendMessage(editor, WM_MOUSEMOVE, 3, 0), 0);

    EXPECT_EQ(gSeen, std::vector<std::string>{Event("first", control, WM_MOUSEWHEEL, down)});
}

TEST_F(WindowsTest, WindowsOfAnotherProcessKeepTheirProcedure) {
    const std::uint32_t foreignId = wm.GetCurrentProcessId() + 1;
    const WindowHandle own = Make(0, {});
    WindowCreation creation;
    creation.procedure = &FirstProc;
    creation.processId = foreignId;
    creation.threadId = 77;
    const WindowHandle foreign = wm.CreateWindow(creation);

    std::uint32_t processId = 0;
    EXPECT_EQ(wm.GetWindowThreadProcessId(own, &processId), wm.GetCurrentThreadId());
    EXPECT_EQ(processId, wm.GetCurrentProcessId());
    EXPECT_EQ(wm.GetWindowThreadProcessId(foreign, &processId), 77u);
    EXPECT_EQ(processId, foreignId);
    EXPECT_EQ(wm.SetWindowProc(foreign, &SecondProc), nullptr);
    EXPECT_EQ(wm.GetWindowProc(foreign), &FirstProc);

    processId = 99;
    EXPECT_EQ(wm.GetWindowThreadProcessId(12345, &processId), 0u);
    EXPECT_EQ(processId, 0u);
}

TEST_F(WindowsTest, PropertiesAreNamedValuesPerWindow) {
    const WindowHandle hWnd = Make(0, {});
    const WindowHandle other = Make(0, {});
    const std::intptr_t pointerSized = static_cast<std::intptr_t>(0x7FFF'1234'5678);
    ASSERT_TRUE(wm.SetProp(other, "C" + std::to_string(hWnd), 99));

    EXPECT_TRUE(wm.SetProp(hWnd, "C" + std::to_string(hWnd), 1));
    EXPECT_TRUE(wm.SetProp(hWnd, "addr", pointerSized));
    EXPECT_EQ(wm.GetProp(hWnd, "ADDR"), pointerSized) << "names ignore letter case";
    EXPECT_TRUE(wm.SetProp(hWnd, "c" + std::to_string(hWnd), 2));
    EXPECT_EQ(wm.GetProp(hWnd, "C" + std::to_string(hWnd)), 2);
    EXPECT_EQ(wm.GetProp(hWnd, "missing"), 0);
    EXPECT_EQ(wm.RemoveProp(hWnd, "Addr"), pointerSized);
    EXPECT_EQ(wm.RemoveProp(hWnd, "addr"), 0);

    const std::vector<std::pair<std::string, std::intptr_t>> expected = {
        {"C" + std::to_string(hWnd), 2}};
    EXPECT_EQ(wm.EnumProps(hWnd), expected);
    EXPECT_EQ(wm.GetProp(other, "C" + std::to_string(hWnd)), 99) << "sentinel on another window";
    EXPECT_FALSE(wm.SetProp(12345, "x", 1));
    EXPECT_FALSE(wm.SetProp(hWnd, "", 1));
}

TEST_F(WindowsTest, SetRedrawSuppressesRepaintsOfTheWindowAndItsChildren) {
    const WindowHandle top = Make(0, {0, 0, 100, 100});
    const WindowHandle grid = Make(top, {0, 0, 50, 50});
    const WindowHandle cell = Make(grid, {0, 0, 10, 10});
    const WindowHandle other = Make(top, {50, 0, 100, 50});
    const std::uint32_t resumeFlags = RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW;

    wm.InvalidateWindow(cell);
    wm.SendMessage(grid, WM_SETREDRAW, 0, 0);
    EXPECT_FALSE(wm.IsPaintingEnabled(cell));
    wm.InvalidateWindow(cell);
    wm.InvalidateWindow(grid);
    wm.InvalidateWindow(other);
    wm.SendMessage(grid, WM_SETREDRAW, static_cast<WParam>(-1), 0);
    wm.InvalidateWindow(cell);
    EXPECT_TRUE(wm.RedrawWindow(grid, nullptr, nullptr, resumeFlags));

    const std::vector<std::string> expected = {
        "paint " + std::to_string(cell), "paint " + std::to_string(other),
        "paint " + std::to_string(cell), "paint " + std::to_string(grid),
        "paint " + std::to_string(cell)};
    EXPECT_EQ(gSeen, expected);
    EXPECT_EQ(wm.PaintCount(grid), 1);
    EXPECT_EQ(wm.PaintCount(cell), 3);
    EXPECT_EQ(wm.PaintCount(top), 0);
    EXPECT_FALSE(wm.RedrawWindow(12345, nullptr, nullptr, resumeFlags));
}

TEST_F(WindowsTest, RedrawWindowPaintsWhatTheFlagsAndVisibilityAllow) {
    struct Row {
        std::uint32_t flags;
        bool childVisible;
        std::int64_t parentPaints, childPaints;
    };
    const Row rows[] = {
        {RDW_INVALIDATE | RDW_ALLCHILDREN, true, 1, 1},
        {RDW_INVALIDATE, true, 1, 0},
        {RDW_UPDATENOW, true, 0, 0},
        {RDW_INVALIDATE | RDW_ALLCHILDREN, false, 1, 0},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        const Row& row = rows[i];
        const WindowHandle parent = Make(0, {0, 0, 10, 10});
        const WindowHandle child = Make(parent, {0, 0, 5, 5});
        wm.ShowWindow(child, row.childVisible);
        EXPECT_TRUE(wm.RedrawWindow(parent, nullptr, nullptr, row.flags));
        EXPECT_EQ(wm.PaintCount(parent), row.parentPaints);
        EXPECT_EQ(wm.PaintCount(child), row.childPaints);
    }
}

TEST_F(WindowsTest, CoordinatesConvertThroughTheAncestors) {
    const WindowHandle top = Make(0, {100, 50, 400, 350});
    const WindowHandle inner = Make(top, {20, 30, 220, 130});
    const WindowHandle innermost = Make(inner, {5, 6, 15, 16});
    struct Row {
        WindowHandle hWnd;
        Point screen, client;
    };
    const Row rows[] = {
        {top, {100, 50}, {0, 0}},
        {inner, {130, 90}, {10, 10}},
        {innermost, {125, 86}, {0, 0}},
        {innermost, {0, 0}, {-125, -86}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        Point point = rows[i].screen;
        EXPECT_TRUE(wm.ScreenToClient(rows[i].hWnd, point));
        EXPECT_EQ(point, rows[i].client);
        EXPECT_TRUE(wm.ClientToScreen(rows[i].hWnd, point));
        EXPECT_EQ(point, rows[i].screen);
    }
    Point untouched{7, 8};
    EXPECT_FALSE(wm.ScreenToClient(12345, untouched));
    EXPECT_EQ(untouched, (Point{7, 8}));
    EXPECT_EQ(wm.GetWindowRect(inner), (Rect{120, 80, 320, 180}));
    EXPECT_EQ(wm.GetClientRect(inner), (Rect{0, 0, 200, 100}));
    EXPECT_TRUE(wm.MoveWindow(top, {0, 0, 300, 300}));
    EXPECT_EQ(wm.GetWindowRect(innermost), (Rect{25, 36, 35, 46}));
}

TEST_F(WindowsTest, WindowFromPointFindsTheFrontMostVisibleInnermostWindow) {
    const WindowHandle top = Make(0, {0, 0, 200, 200});
    const WindowHandle back = Make(top, {10, 10, 110, 110});
    const WindowHandle front = Make(top, {60, 60, 160, 160});  // created later: in front
    const WindowHandle button = Make(back, {0, 0, 20, 20});
    const WindowHandle hidden = Make(top, {150, 150, 200, 200});
    wm.ShowWindow(hidden, false);

    struct Row {
        Point screen;
        WindowHandle expected;
    };
    const Row rows[] = {
        {{5, 5}, top},     {{15, 15}, button}, {{30, 30}, back}, {{80, 80}, front},
        {{170, 170}, top}, {{200, 200}, 0},    {{-1, 0}, 0},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        EXPECT_EQ(wm.WindowFromPoint(rows[i].screen), rows[i].expected);
    }
    EXPECT_TRUE(wm.BringWindowToTop(back));
    EXPECT_EQ(wm.WindowFromPoint({80, 80}), back);

    wm.SetCursorPos({15, 16});
    EXPECT_EQ(wm.GetCursorPos(), (Point{15, 16}));
    EXPECT_EQ(wm.WindowFromPoint(wm.GetCursorPos()), button);
}

TEST(WindowParameters, WheelDistancePacksIntoTheHighWord) {
    struct Row {
        std::int16_t distance;
        std::uint16_t keys;
    };
    const Row rows[] = {{WHEEL_DELTA, 0}, {-WHEEL_DELTA, 8}, {-3 * WHEEL_DELTA, 0xFFFF}, {0, 1}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        const WParam wParam =
            MakeWParam(rows[i].keys, static_cast<std::uint16_t>(rows[i].distance));
        EXPECT_EQ(SignedHiWord(wParam), rows[i].distance);
        EXPECT_EQ(static_cast<std::uint16_t>(SignedLoWord(wParam)), rows[i].keys);
        const LParam lParam = MakeLParam(-5, rows[i].distance);
        EXPECT_EQ(SignedLoWord(static_cast<std::uintptr_t>(lParam)), -5);
        EXPECT_EQ(SignedHiWord(static_cast<std::uintptr_t>(lParam)), rows[i].distance);
    }
}

}  // namespace
}  // namespace platform
