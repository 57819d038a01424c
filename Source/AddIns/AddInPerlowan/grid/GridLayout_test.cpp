// Layout and painting: visible rows and loaded editors, the scroll bar, which editor shows,
// check-box values, the refill at the end of the data, the row marker, the grid lines on
// picCellBg, painting suspension around refills, read-only editors and the resize handling.
#include <gtest/gtest.h>

#include "GridTestSupport.h"
#include "WindowManager.h"

namespace grid {
namespace {

using forms::Shape;
using testing::GridTest;

TEST_F(GridTest, AControlTenRowsHighShowsTenFullRowsAndLoadsEditorsForEleven) {
    LoadedGrid(30, 10);
    EXPECT_EQ(grd.VisibleRows(), 10);
    EXPECT_EQ(grd.txtInput.UBound(), 11 * 2 - 1);
    EXPECT_EQ(grd.txtInputC.UBound(), 11 * 2 - 1);
    EXPECT_EQ(grd.cmdSelectors.UBound(), 10);
    EXPECT_EQ(grd.cmdSelectors(10).Top(), 15 + 10 * 15);
    EXPECT_EQ(EditorRow(10), (std::vector<std::string>{"r10c0", "r10c1"}));
    for (int i = 0; i < 22; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(grd.txtInput(i).Tag(), i == 0 ? "" : std::to_string(i % 2));
        // column 0 is centred: its twin shows
        EXPECT_EQ(grd.txtInputC(i).Visible(), i % 2 == 0);
        EXPECT_EQ(grd.txtInput(i).Visible(), i % 2 == 1);
    }
}

TEST_F(GridTest, TheScrollBarShowsOnlyWhenThereAreMoreRowsThanFit) {
    struct Row {
        int line;
        int rows;
        bool bar;
        int visibleRows, max, largeChange;
    };
    const Row rows[] = {{1, 3, false, 3, 0, 1},
                        {2, 10, false, 10, 0, 1},
                        {3, 11, true, 10, 1, 10},
                        {4, 500, true, 10, 490, 10}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        forms::Form f;
        auto& g = f.Add<QorSimpleGrid>("grd");
        g.Extender().Move(0, 0, 553 * 15.0f, 165 * 15.0f);
        forms::PropertyBag bag;
        bag.WriteProperty("Header", "A|B");
        g.LoadProperties(bag);
        g.SetRedraw(true);
        for (int r = 0; r < row.rows; ++r) g.AddItem("a\tb");
        EXPECT_EQ(g.vScrollbarVisible(), row.bar);
        EXPECT_EQ(g.VisibleRows(), row.visibleRows);
        if (row.bar) {
            EXPECT_EQ(g.vscrGrid.Max(), row.max);
            EXPECT_EQ(g.vscrGrid.LargeChange(), row.largeChange);
        }
    }
}

TEST_F(GridTest, ACheckBoxColumnShowsOneAndMinusOneCheckedAndZeroOrEmptyUnchecked) {
    SizeForRows(10);
    LoadLikeTheWindow("Wert|Aktiv", "0|1", "0|0", "100|50");
    grd.SetRedraw(false);
    const char* values[] = {"1", "-1", "0", "", "2", "7", "abc", "1"};
    for (const char* v : values) grd.AddItem(std::string("x\t") + v);
    grd.SetRedraw(true);
    const int expected[] = {1, 1, 0, 0, 2, 0, 0, 1};  // 7 cannot show: the box keeps its state
    for (int r = 0; r < 8; ++r) {
        SCOPED_TRACE(r);
        const int i = r * 2 + 1;
        EXPECT_EQ(grd.chkCell(i).Value(), expected[r]);
        EXPECT_TRUE(grd.chkCell(i).Visible());
        EXPECT_FALSE(grd.txtInput(i).Visible());
        EXPECT_FALSE(grd.txtInputC(i).Visible());
        // centred over the column and the row
        EXPECT_EQ(grd.chkCell(i).Left(), 115 + (50 - 13) / 2.0f);
        EXPECT_EQ(grd.chkCell(i).Top(), grd.cmdSelectors(r).Top() + 1);
    }
}

TEST_F(GridTest, AnEmptyGridPaintsOnlyTheBackground) {
    SizeForRows(5);
    LoadLikeTheWindow();
    grd.SetRedraw(true);
    grd.DrawGridLines();
    EXPECT_EQ(grd.picCellBg.DisplayList(),
              (std::vector<Shape>{{Shape::Kind::FilledBox, 0, 0, 515, 1, kWhite}}));
}

TEST_F(GridTest, GridLinesSeparateTheColumnsAndCloseEveryFullRow) {
    LoadedGrid(5, 3);
    const forms::Color line = grd.picCellBg.ForeColor();
    EXPECT_EQ((std::vector<float>{grd.picCellBg.Left(), grd.picCellBg.Top(), grd.picCellBg.Width(),
                                  grd.picCellBg.Height()}),
              (std::vector<float>{0, 15, 515, 3 * 15 + 1}));
    EXPECT_EQ(grd.picCellBg.DisplayList(),
              (std::vector<Shape>{{Shape::Kind::FilledBox, 0, 0, 515, 46, kWhite},
                                  {Shape::Kind::Line, 114, 0, 114, 46, line},
                                  {Shape::Kind::Line, 514, 0, 514, 46, line},
                                  {Shape::Kind::Line, 0, 15, 515, 15, line},
                                  {Shape::Kind::Line, 0, 30, 515, 30, line},
                                  {Shape::Kind::Line, 0, 45, 515, 45, line}}));
    // Repainting starts the list again.
    grd.DrawGridLines();
    EXPECT_EQ(grd.picCellBg.DisplayList().size(), 6u);
}

TEST_F(GridTest, ScrolledToTheEndTheFillStopsAtTheLastRowAndThePartRowBelowIsEmpty) {
    LoadedGrid(25, 10);
    grd.SetTopRow(15);
    EXPECT_EQ(grd.TopRow(), 15);
    EXPECT_EQ(EditorRow(0), (std::vector<std::string>{"r15c0", "r15c1"}));
    EXPECT_EQ(EditorRow(9), (std::vector<std::string>{"r24c0", "r24c1"}));
    EXPECT_EQ(grd.txtInput(0).Tag(), "");
    // The partly visible row has no data: it shows nothing until the data comes back.
    EXPECT_FALSE(grd.txtInputC(20).Visible());
    EXPECT_FALSE(grd.txtInput(21).Visible());
    EXPECT_FALSE(grd.cmdSelectors(10).Visible());
    grd.SetTopRow(0);
    EXPECT_TRUE(grd.txtInput(21).Visible());
    EXPECT_TRUE(grd.cmdSelectors(10).Visible());
    EXPECT_EQ(EditorRow(10), (std::vector<std::string>{"r10c0", "r10c1"}));
}

TEST_F(GridTest, AfterALayoutWithTopRowAboveZeroTheMarkerStandsOnTheCurrentCellsRow) {
    LoadedGrid(30, 10);
    grd.SetTopRow(8);
    grd.SetCurrentRow(11);  // editor row 3
    grd.SetRedraw(true);    // a full layout
    EXPECT_EQ(MarkedSelectors(), (std::vector<int>{3}));
    EXPECT_EQ(grd.cmdSelectors(3).Tag(), "-1");
    EXPECT_EQ(grd.cmdSelectors(3).Caption(), ">");
}

// Messages that reach the grid's window, recorded before its own procedure runs.
std::vector<std::string> gMessages;
platform::WindowProc gOwnProcedure = nullptr;
platform::LResult RecordingProcedure(platform::WindowHandle hWnd, platform::MessageId iMsg,
                                     platform::WParam wParam, platform::LParam lParam) {
    if (iMsg == platform::WM_SETREDRAW)
        gMessages.push_back("WM_SETREDRAW " + std::to_string(static_cast<std::intptr_t>(wParam)));
    return platform::Windows().CallWindowProc(gOwnProcedure, hWnd, iMsg, wParam, lParam);
}

TEST_F(GridTest, ARefillRunsWithPaintingSuspendedAndEndsWithOneRepaintOfEverything) {
    WindowGrid(20, 5);
    auto& windows = platform::Windows();
    gMessages.clear();
    gOwnProcedure = windows.SetWindowProc(grd.hWnd(), RecordingProcedure);
    std::vector<std::int64_t> before;
    for (int i = 0; i < 12; ++i) before.push_back(windows.PaintCount(grd.GetTextControl(i).hWnd()));
    grd.SetTopRow(3);  // every visible editor gets a new text: one repaint each, at the end
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(windows.PaintCount(grd.GetTextControl(i).hWnd()) - before[i], 1) << i;
    EXPECT_EQ(gMessages, (std::vector<std::string>{"WM_SETREDRAW 0", "WM_SETREDRAW -1"}));
    EXPECT_TRUE(windows.IsPaintingEnabled(grd.hWnd()));
    windows.SetWindowProc(grd.hWnd(), gOwnProcedure);
}

TEST_F(GridTest, ReadOnlyCellsLockTheirEditorsByDataRowAlsoAfterScrolling) {
    SizeForRows(5);
    LoadLikeTheWindow("A|B|C", "0|0|1", "0|0|0", "50|50|50");
    Fill(20);
    grd.SetRowReadOnly(7, true);
    grd.SetColReadOnly(1, true);
    grd.SetTopRow(5);  // data row 7 is editor row 2
    for (int r = 0; r <= 5; ++r) {
        SCOPED_TRACE(r);
        const bool rowLocked = r + 5 == 7;
        EXPECT_EQ(grd.txtInput(r * 3).Locked(), rowLocked);
        EXPECT_TRUE(grd.txtInput(r * 3 + 1).Locked());
        EXPECT_EQ(grd.chkCell(r * 3 + 2).Enabled(), !rowLocked);
    }
    grd.SetReadOnly(true);
    for (int i = 0; i < 18; ++i) EXPECT_TRUE(grd.txtInput(i).Locked()) << i;
    EXPECT_FALSE(grd.chkCell(2).Enabled());
}

TEST_F(GridTest, ResizingPlacesTheScrollBarsAndGrowsTheEditorRows) {
    LoadedGrid(40, 5);
    EXPECT_EQ((std::vector<float>{grd.vscrGrid.Left(), grd.vscrGrid.Top(), grd.vscrGrid.Width(),
                                  grd.vscrGrid.Height()}),
              (std::vector<float>{553 - 17, 0, 17, 90}));
    EXPECT_EQ((std::vector<float>{grd.hscrGrid.Left(), grd.hscrGrid.Top(), grd.hscrGrid.Width()}),
              (std::vector<float>{1, 90 - 17, 553 - 17}));
    SizeForRows(12);
    EXPECT_EQ(grd.VisibleRows(), 12);
    EXPECT_EQ(grd.txtInput.UBound(), 13 * 2 - 1);
    EXPECT_EQ(grd.vscrGrid.Height(), 195);
    SizeForRows(3);  // shrinking only hides
    EXPECT_EQ(grd.txtInput.UBound(), 13 * 2 - 1);
    EXPECT_FALSE(grd.txtInput(13).Visible());
    EXPECT_FALSE(grd.cmdSelectors(8).Visible());
    EXPECT_EQ(grd.vscrGrid.Max(), 37);
}

}  // namespace
}  // namespace grid
