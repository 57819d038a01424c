// Rows and scrolling: AddItem pads and cuts, new cells are white, TopRow clamps without Scroll,
// and a scroll carries the current cell, its selection and the marker or drops the focus.
#include <gtest/gtest.h>

#include "GridTestSupport.h"
#include "InputSimulator.h"

namespace grid {
namespace {

using testing::ErrorOf;
using testing::GridTest;

TEST_F(GridTest, AddItemPadsOrCutsTheRowToTheColumnsAndPaintsItWhite) {
    SizeForRows(10);
    LoadLikeTheWindow("A|B|C", "0|0|0", "0|0|0", "50|50|50");
    grd.SetRedraw(true);
    grd.AddItem("x\ty\tz");
    grd.SetCellBGColor(0, 0, 0x0000FF);
    struct Row {
        int line;
        const char* text;
        std::vector<std::string> cells;
    };
    const Row rows[] = {
        {1, "a", {"a", "", ""}}, {2, "a\tb\tc\td\te", {"a", "b", "c"}}, {3, "", {"", "", ""}},
        {4, "\t", {"", "", ""}}, {5, "a\t\tc\t", {"a", "", "c"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        grd.AddItem(row.text);
        const std::int16_t r = static_cast<std::int16_t>(grd.Rows() - 1);
        EXPECT_EQ((std::vector<std::string>{grd.CellValue(0, r), grd.CellValue(1, r),
                                            grd.CellValue(2, r)}),
                  row.cells);
        for (std::int16_t c = 0; c < 3; ++c) EXPECT_EQ(grd.CellBGColor(c, r), kWhite);
        EXPECT_EQ(EditorRow(r), row.cells);  // the grid fits: laid out at once
    }
    EXPECT_EQ(grd.Rows(), 6);
    EXPECT_EQ(grd.CellBGColor(0, 0), 0x0000FF);
}

TEST_F(GridTest, HugeRowsAreKeptWhole) {
    SizeForRows(5);
    LoadLikeTheWindow();
    grd.SetRedraw(false);
    grd.AddItem(std::string(100000, '\t'));
    const std::string big(1 << 20, 'x');
    grd.AddItem("kurz\t" + big);
    grd.SetRedraw(true);
    EXPECT_EQ(grd.Rows(), 2);
    EXPECT_EQ(grd.CellValue(0, 0), "");
    EXPECT_EQ(grd.CellValue(1, 0), "");
    EXPECT_EQ(grd.CellValue(0, 1), "kurz");
    EXPECT_EQ(grd.CellValue(1, 1).size(), big.size());
    EXPECT_EQ(grd.txtInput(3).Text().size(), big.size());
}

TEST_F(GridTest, AGridWithoutColumnsCountsRowsAndNeverFails) {
    grd.SetRedraw(true);
    SizeForRows(5);
    grd.AddItem("a\tb");
    EXPECT_EQ(grd.Cols(), 0);
    EXPECT_EQ(grd.Rows(), 1);
    EXPECT_EQ(grd.CellValue(0, 0), "");
    EXPECT_EQ(grd.CurrentCol(), -1);
    grd.Clear();
    EXPECT_EQ(grd.Rows(), 0);
}

TEST_F(GridTest, TopRowIsClampedToTheBarAndRaisesNoScroll) {
    LoadedGrid(30, 10);
    RecordEvents();
    struct Row {
        int line;
        std::int16_t value, expected;
    };
    const Row rows[] = {{1, -5, 0}, {2, 7, 7}, {3, 25, 20}, {4, 20, 20}, {5, 0, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        grd.SetTopRow(row.value);
        EXPECT_EQ(grd.TopRow(), row.expected);
        EXPECT_EQ(grd.vscrGrid.Value(), row.expected);
        EXPECT_EQ(grd.vscrGrid.Tag(), "");
        EXPECT_EQ(EditorRow(0),
                  (std::vector<std::string>{"r" + std::to_string(row.expected) + "c0",
                                            "r" + std::to_string(row.expected) + "c1"}));
    }
    EXPECT_TRUE(log.Take().empty());
    EXPECT_EQ(grd.CurrentCellIndex(), 0);  // the current cell is not touched
}

TEST_F(GridTest, AScrollStepCarriesTheFocusTheSelectionAndTheMarkerAlong) {
    WindowGrid(30, 10);
    grd.SetTopRow(10);
    grd.SetCellValue(1, 12, "Zwölf Äpfel");
    auto& editor = grd.txtInput(2 * 2 + 1);  // data row 12, column 1: editor row 2
    editor.SetFocus();
    editor.SetSelStart(2);
    editor.SetSelLength(5);
    ASSERT_EQ(grd.CurrentCellIndex(), 5);
    ASSERT_EQ(MarkedSelectors(), (std::vector<int>{2}));
    RecordEvents();

    grd.vscrGrid.SetValue(11);
    auto& moved = grd.txtInput(1 * 2 + 1);
    EXPECT_EQ(forms::App().FocusedControl(), &moved);
    EXPECT_EQ(moved.Text(), "Zwölf Äpfel");
    EXPECT_EQ((std::pair{moved.SelStart(), moved.SelLength()}), (std::pair{2, 5}));
    EXPECT_EQ(grd.CurrentCellIndex(), 3);
    EXPECT_EQ(grd.CurrentRow(), 12);
    EXPECT_EQ(MarkedSelectors(), (std::vector<int>{1}));
    EXPECT_EQ(grd.cmdSelectors(1).Tag(), "-1");
    EXPECT_EQ(grd.TopRow(), 11);
    // Leaving the editor names the cell it showed before the shift, not the row now in it.
    EXPECT_EQ(log.Take(),
              (std::vector<std::string>{"CellLostFocus 1,12", "CellGotFocus 1,12", "Scroll"}));

    // The thumb dragged: the same handling.
    grd.vscrGrid.UserDrag(12);
    EXPECT_EQ(forms::App().FocusedControl(), &grd.txtInput(0 * 2 + 1));
    EXPECT_EQ(grd.CurrentRow(), 12);
}

TEST_F(GridTest, AUserClickingACellAndSteppingTheBarKeepsTheCellCurrent) {
    WindowGrid(30, 10);
    RecordAllEvents();
    forms::input::Click(grd.txtInput(5));
    EXPECT_EQ(MarkedSelectors(), (std::vector<int>{2}));
    forms::input::Click(grd.vscrGrid);
    forms::input::PressKey(forms::key::Down);
    EXPECT_EQ(grd.TopRow(), 1);
    EXPECT_EQ(forms::App().FocusedControl(), &grd.txtInput(3));
    EXPECT_EQ(MarkedSelectors(), (std::vector<int>{1}));
    // The key went to the scroll bar: the grid's surface raises no KeyDown for it.
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"CellGotFocus 1,2", "CellLostFocus 1,2",
                                                    "CellGotFocus 1,2", "Scroll"}));
}

TEST_F(GridTest, WhenTheCurrentRowLeavesTheWindowTheFocusGoesToTheBackground) {
    WindowGrid(30, 10);
    grd.txtInput(3).SetFocus();  // data row 1
    RecordEvents();
    grd.vscrGrid.SetValue(5);
    EXPECT_EQ(grd.CurrentCellIndex(), -1);
    EXPECT_EQ(forms::App().FocusedControl(), &grd.picCellBg);
    EXPECT_TRUE(MarkedSelectors().empty());
    EXPECT_EQ(grd.CurrentRow(), 5);
    EXPECT_EQ(grd.CurrentCol(), -1);
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"CellLostFocus 1,1", "Scroll"}));
    grd.vscrGrid.SetValue(0);  // no current cell: nothing comes back
    EXPECT_EQ(grd.CurrentCellIndex(), -1);
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"Scroll"}));
}

TEST_F(GridTest, AScrollFocusesTheCellsOwnEditorInCentredAndCheckBoxColumns) {
    SizeForRows(10);
    LoadLikeTheWindow("Datum|Ok", "0|1", "1|0", "100|40");
    form.Show();
    Fill(30);
    grd.txtInputC(4).SetFocus();  // data row 2, the centred column
    grd.vscrGrid.SetValue(1);
    EXPECT_EQ(forms::App().FocusedControl(), &grd.txtInputC(2));
    EXPECT_EQ(grd.CurrentCellIndex(), 2);
    grd.SetCurrentCol(1);
    grd.vscrGrid.SetValue(2);
    EXPECT_EQ(grd.CurrentCellIndex(), 1);
    EXPECT_EQ(forms::App().FocusedControl(), &grd.chkCell(1));
}

TEST_F(GridTest, AScrollBeyondTheSixteenBitTopRowRaisesOverflow) {
    SizeForRows(10);
    LoadLikeTheWindow();
    grd.SetRedraw(false);
    for (int r = 0; r < 40000; ++r) grd.AddItem("a\tb");
    grd.SetRedraw(true);
    EXPECT_EQ(grd.vscrGrid.Max(), 39990);
    EXPECT_EQ(ErrorOf([&] { grd.vscrGrid.SetValue(33000); }), 6);
    EXPECT_EQ(grd.TopRow(), 0);
    EXPECT_EQ(ErrorOf([&] { grd.SetCurrentRow(39999); }), 6);
}

}  // namespace
}  // namespace grid
