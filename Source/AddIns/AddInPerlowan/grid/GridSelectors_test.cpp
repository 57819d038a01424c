// Record selectors, the corner button, focus requests carried by tmrSetFocus, tooltips of cells
// too narrow for their text, and the mouse wheel arriving through the subclassed window.
#include <gtest/gtest.h>

#include "DebugRecorder.h"
#include "GridTestSupport.h"
#include "InputSimulator.h"
#include "Text.h"
#include "mSubclass.h"

namespace grid {
namespace {

using forms::App;
using Events = std::vector<std::string>;

class GridSelectorsTest : public testing::GridTest {
  protected:
    // What the grid writes to the debug channel from now on.
    const std::vector<std::string>& CaptureDebug() { return debug.emplace("grid").Lines(); }
    std::optional<testsupport::DebugRecorder> debug;
};

TEST_F(GridSelectorsTest, ASelectorClickMakesTheRowsFirstCellCurrentAndRaisesCellGotFocus) {
    WindowGrid(30);
    grd.SetTopRow(10);
    Editor(1, 11).SetFocus();
    RecordEvents();
    forms::input::Click(grd.cmdSelectors(2));
    EXPECT_EQ(log.Take(), (Events{"CellLostFocus 1,11", "CellGotFocus 0,12"}));
    EXPECT_EQ(MarkedSelectors(), (std::vector<int>{2}));
    EXPECT_EQ(grd.cmdSelectors(2).Tag(), "-1");
    EXPECT_EQ(grd.cmdSelectors(1).Tag(), "");
    EXPECT_EQ(grd.CurrentCellIndex(), 4);
    EXPECT_EQ(grd.CurrentRow(), 12);
    EXPECT_EQ(grd.CurrentCol(), 0);
    EXPECT_EQ(App().FocusedControl(), &grd.picCellBg);

    // The corner button leaves no current cell and no focused editor.
    Editor(1, 13).SetFocus();
    log.Take();
    forms::input::Click(grd.cmdSelectorAll);
    EXPECT_EQ(log.Take(), (Events{"CellLostFocus 1,13"}));
    EXPECT_EQ(grd.CurrentCellIndex(), -1);
    EXPECT_EQ(grd.CurrentCol(), -1);
    EXPECT_EQ(App().FocusedControl(), &grd.picCellBg);
}

TEST_F(GridSelectorsTest, AFocusRequestFocusesTheCellAndSelectsItsTextOnTheNextTick) {
    WindowGrid(20, 15);
    const auto& lines = CaptureDebug();
    struct Row {
        int n;
        std::string request;
        int col, row;  // -1: nothing focused
    };
    const Row table[] = {
        {1, "0112", 1, 12},   {2, "0003", 0, 3},    {3, "0114", 1, 14},
        {4, "0120", -1, -1},  {5, "ab12", -1, -1},  {6, "01", -1, -1},
        {7, "011x", -1, -1},  {8, "", -1, -1},      {9, "0512", -1, -1},
        {10, "-112", -1, -1}, {11, "01 2", -1, -1}, {12, "0199999999999", -1, -1},
        {13, "0119", -1, -1},  // in the data but not shown: no editor
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.n);
        grd.picCellBg.SetFocus();
        const std::size_t before = lines.size();
        grd.tmrSetFocus.SetTag(row.request);
        grd.tmrSetFocus.SetEnabled(true);
        Wait(49);
        EXPECT_EQ(App().FocusedControl(), &grd.picCellBg);
        Wait(1);
        EXPECT_FALSE(grd.tmrSetFocus.Enabled());
        if (row.col < 0) {
            EXPECT_EQ(App().FocusedControl(), &grd.picCellBg);
            EXPECT_EQ(lines.size(), before + 1);
            continue;
        }
        auto& editor = Editor(row.col, row.row);
        EXPECT_EQ(App().FocusedControl(), &editor);
        EXPECT_EQ((std::pair{editor.SelStart(), editor.SelLength()}),
                  (std::pair{0, rt::Len(editor.Text())}));
    }
}

TEST_F(GridSelectorsTest, SelectCellRequestsOnlyCellsTheRequestTextCanNameAndTheLastWins) {
    WindowGrid(20, 15);
    const auto& lines = CaptureDebug();
    grd.SelectCell(1, 3);  // no focus request
    EXPECT_FALSE(grd.tmrSetFocus.Enabled());
    grd.picCellBg.SetFocus();
    grd.SelectCell(1, 4, true);
    grd.SelectCell(0, 12, true);  // a newer request replaces the first
    EXPECT_EQ(grd.tmrSetFocus.Tag(), "0012");
    EXPECT_TRUE(grd.tmrSetFocus.Enabled());
    EXPECT_EQ(App().FocusedControl(), &grd.picCellBg);  // not before the tick
    grd.SelectCell(100, 2, true);                       // "1002" would name column 10
    grd.SelectCell(1, -3, true);
    EXPECT_EQ(grd.tmrSetFocus.Tag(), "0012");
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) {
                                return line.find("refused") != std::string::npos;
                            }),
              2);
    Wait(50);
    EXPECT_EQ(App().FocusedControl(), &Editor(0, 12));
}

TEST_F(GridSelectorsTest, ACellTooNarrowForItsTextShowsItAsTooltipAfterTheRefill) {
    WindowGrid(3);
    const std::string wide(100, 'W');
    grd.SetCellValue(1, 0, wide);
    grd.SetCellValue(0, 1, wide);
    grd.SetCellValue(1, 2, "kurz");
    grd.txtInput(3).SetToolTipText("stale");
    EXPECT_TRUE(grd.tmrUpdateTooltips.Enabled());
    Wait(99);
    EXPECT_EQ(grd.txtInput(1).ToolTipText(), "");
    Wait(1);
    EXPECT_FALSE(grd.tmrUpdateTooltips.Enabled());
    struct Row {
        int n;
        forms::TextBox& editor;
        std::string tooltip;
    };
    const Row table[] = {{1, grd.txtInput(1), wide},
                         {2, grd.txtInputC(2), wide},
                         {3, grd.txtInput(3), ""},
                         {4, grd.txtInput(5), ""},
                         {5, grd.txtInputC(0), ""}};
    for (const Row& row : table) {
        SCOPED_TRACE(row.n);
        EXPECT_EQ(row.editor.ToolTipText(), row.tooltip);
    }
    // A narrower column makes a text too wide that fitted before.
    const std::string medium(12, 'W');
    ASSERT_LT(grd.TextWidth(medium), grd.txtInput(5).Width());
    grd.SetCellValue(1, 2, medium);
    grd.SetColWidth(1, static_cast<std::int16_t>(grd.TextWidth(medium) / 2));
    Wait(100);
    EXPECT_EQ(grd.txtInput(5).ToolTipText(), medium);
}

TEST_F(GridSelectorsTest, TheWheelScrollsThreeRowsPerNotchClampedAtBothEnds) {
    WindowGrid(30, 10);
    ASSERT_EQ(grd.vscrGrid.Max(), 20);
    struct Row {
        int n;
        std::int16_t start, delta;
        int top;
        platform::LResult handled;
    };
    const Row table[] = {
        {1, 0, -120, 3, 1},  {2, 0, 120, 0, 1},  {3, 20, -120, 20, 1}, {4, 18, -120, 20, 1},
        {5, 5, 1, 5, 0},     {6, 5, -1, 5, 0},   {7, 5, 32767, 0, 1},  {8, 5, -32768, 20, 1},
        {9, 5, -240, 11, 1}, {10, 5, 119, 5, 0}, {11, 5, -359, 11, 1}, {12, 9, 360, 0, 1},
    };
    RecordEvents();
    for (const Row& row : table) {
        SCOPED_TRACE(row.n);
        grd.SetTopRow(row.start);
        log.Take();
        // Over a cell: the editor's window passes the wheel on to the grid's window.
        EXPECT_EQ(forms::input::Wheel(form, 200, 60, row.delta), row.handled);
        EXPECT_EQ(grd.TopRow(), row.top);
        EXPECT_EQ(grd.vscrGrid.Value(), row.top);
        const bool moved = row.top != row.start;
        EXPECT_EQ(log.Take(), moved ? Events{"Scroll"} : Events{});
    }
    EXPECT_EQ(grd.WindowProc(grd.hWnd(), 15, platform::MakeWParam(0, 0xFF88), 0), 0);
    // Sent straight to the grid's window through the window role.
    grd.SetTopRow(0);
    EXPECT_EQ(platform::Windows().SendMessage(
                  grd.hWnd(), platform::WM_MOUSEWHEEL,
                  platform::MakeWParam(0, static_cast<std::uint16_t>(-2 * 120)), 0),
              1);
    EXPECT_EQ(grd.TopRow(), 6);
}

TEST_F(GridSelectorsTest, AWheelPastTheSixteenBitFirstRowIsNotHandledAndRaisesNothing) {
    WindowGrid(0, 10);
    grd.SetRedraw(false);
    for (int r = 0; r < 32800; ++r) grd.AddItem("a\tb");
    grd.SetRedraw(true);
    ASSERT_GT(grd.vscrGrid.Max(), 32767);
    const auto& lines = CaptureDebug();
    grd.SetTopRow(32766);
    EXPECT_EQ(forms::input::Wheel(form, 200, 60, -120), 0);
    EXPECT_EQ(grd.TopRow(), 32766);
    EXPECT_EQ(lines.size(), 1u);
}

TEST_F(GridSelectorsTest, WithoutTheVerticalBarTheWheelIsLeftToTheWindow) {
    WindowGrid(5, 10);
    ASSERT_FALSE(grd.vScrollbarVisible());
    RecordEvents();
    EXPECT_EQ(grd.WindowProc(grd.hWnd(), kMouseWheel, platform::MakeWParam(0, 0xFF88), 0), 0);
    EXPECT_EQ(forms::input::Wheel(form, 200, 60, -120), 0);
    EXPECT_EQ(grd.TopRow(), 0);
    EXPECT_TRUE(log.Take().empty());
}

TEST_F(GridSelectorsTest, AGridDestroyedOrUnloadedWhileSubscribedLeavesNoDanglingClient) {
    struct Row {
        int n;
        bool unloadFirst;
    };
    for (const Row& row : {Row{1, false}, Row{2, true}}) {
        SCOPED_TRACE(row.n);
        auto owner = std::make_shared<forms::Form>("frmWheel");
        owner->Move(0, 0, 6000, 6000);
        auto* grid = &owner->Add<QorSimpleGrid>("grdWheel");
        grid->Extender().Move(0, 0, 4000, 15 * 15 * 6);
        forms::PropertyBag bag;
        bag.WriteProperty("Header", std::string("A|B"));
        grid->LoadProperties(bag);
        owner->Show();
        grid->SetRedraw(false);
        for (int r = 0; r < 30; ++r) grid->AddItem("a\tb");
        grid->SetRedraw(true);
        ASSERT_TRUE(grid->IsWheelSubscribed());
        const platform::WindowHandle window = grid->hWnd();
        EXPECT_EQ(forms::input::Wheel(*owner, 50, 40, -120), 1);
        if (row.unloadFirst) forms::Unload(*owner);
        grid = nullptr;
        owner.reset();
        auto& windows = platform::Windows();
        // Gone with the form, or left to its own procedure again.
        EXPECT_EQ(windows.IsWindow(window), !row.unloadFirst);
        EXPECT_NE(windows.GetWindowProc(window), &DispatchWindowMessage);
        EXPECT_EQ(windows.SendMessage(window, platform::WM_MOUSEWHEEL,
                                      platform::MakeWParam(0, 0xFF88), 0),
                  0);
    }
    // A grid saved (unsubscribed) and destroyed leaves its window's own procedure in place.
    SizeForRows(5);
    LoadLikeTheWindow();
    form.Show();
    const platform::WindowHandle window = grd.hWnd();
    EXPECT_EQ(platform::Windows().GetWindowProc(window), &DispatchWindowMessage);
    forms::PropertyBag bag;
    grd.SaveProperties(bag);
    EXPECT_NE(platform::Windows().GetWindowProc(window), &DispatchWindowMessage);
    EXPECT_TRUE(platform::Windows().EnumProps(window).empty());
}

}  // namespace
}  // namespace grid
