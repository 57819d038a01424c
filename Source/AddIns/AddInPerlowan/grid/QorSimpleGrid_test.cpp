// The grid's cell model: creation values, the mapping between cells and editors, cell access,
// Clear, the current cell, SelectCell, CellBoundary, SetZoomColumn, ScaleFaktor and the margin.
#include <gtest/gtest.h>

#include "GridTestSupport.h"
#include "InputSimulator.h"

namespace grid {
namespace {

using testing::ErrorOf;
using testing::GridTest;

TEST_F(GridTest, ANewGridStartsWithTheCreationValuesAndOneColumn) {
    EXPECT_EQ(grd.SelectorGlyph(), ">");
    EXPECT_EQ(grd.CurrentCellIndex(), -1);
    EXPECT_EQ(grd.BorderAbstand(), 2);
    EXPECT_EQ(grd.ScaleFaktor(), 1.0f);
    grd.InitNew();
    EXPECT_EQ(grd.ColHeader(), "Spalte 1");
    EXPECT_EQ(grd.Cols(), 1);
    EXPECT_EQ(grd.HeaderText(0), "Spalte 1");
    EXPECT_EQ(grd.Rows(), 0);
    EXPECT_EQ(grd.CurrentCol(), -1);
    EXPECT_EQ(grd.CurrentRow(), 0);
}

TEST_F(GridTest, CellsAndEditorIndexesMapBothWaysWithTruncatingDivision) {
    SizeForRows(10);
    LoadLikeTheWindow("A|B|C", "0|0|0", "0|0|0", "50|50|50");
    Fill(40);
    grd.SetTopRow(10);
    struct Row {
        int line;
        std::int32_t col, row, index;
    };
    const Row rows[] = {
        {1, 0, 10, 0}, {2, 2, 10, 2}, {3, 0, 11, 3}, {4, 1, 14, 13}, {5, 2, 9, -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(grd.CellToIndex(row.col, row.row), row.index);
        std::int32_t col = 99, r = 99;
        grd.IndexToCell(row.index, col, r);
        // -1 maps to column -1 of TopRow: the remainder keeps the sign of the index.
        if (row.index >= 0)
            EXPECT_EQ((std::pair{col, r}), (std::pair{row.col, row.row}));
        else
            EXPECT_EQ((std::pair{col, r}), (std::pair{-1, 10}));
    }
    std::int32_t col = 0, r = 0;
    grd.IndexToCell(-4, col, r);
    EXPECT_EQ((std::pair{col, r}), (std::pair{-1, 9}));
}

TEST_F(GridTest, TheCellControlFollowsStyleAndAlignment) {
    SizeForRows(5);
    LoadLikeTheWindow("A|B|C", "0|0|1", "1|0|0", "50|50|50");
    Fill(3);
    EXPECT_EQ(&grd.GetCellControl(0, 1), &grd.txtInputC(3));
    EXPECT_EQ(&grd.GetCellControl(1, 1), &grd.txtInput(4));
    EXPECT_EQ(&grd.GetCellControl(2, 1), &grd.chkCell(5));
    EXPECT_EQ(&grd.GetTextControl(3), &grd.txtInputC(3));
    EXPECT_EQ(&grd.GetTextControl(5, 2), &grd.txtInput(5));
    EXPECT_FALSE(grd.EnsureCellControlsLoaded(5));
    EXPECT_TRUE(grd.EnsureCellControlsLoaded(40));
    EXPECT_EQ(grd.txtInput(40).Tag(), "1");
    EXPECT_TRUE(grd.txtInputC.Exists(40));
}

TEST_F(GridTest, CellReadsOutsideTheDataGiveEmptyTextWritesRaiseSubscriptOutOfRange) {
    LoadedGrid(2, 5);
    EXPECT_EQ(grd.CellValue(5, 0), "");
    EXPECT_EQ(grd.CellValue(0, 2), "");
    EXPECT_EQ(grd.CellValue(-1, 0), "");
    EXPECT_EQ(grd.CellValue(1, 1), "r1c1");
    for (auto [col, row] : {std::pair{5, 0}, std::pair{0, 2}, std::pair{-1, 0}, std::pair{0, -1}}) {
        SCOPED_TRACE(std::to_string(col) + "," + std::to_string(row));
        EXPECT_EQ(ErrorOf([&] {
                      grd.SetCellValue(static_cast<std::int16_t>(col),
                                       static_cast<std::int16_t>(row), "x");
                  }),
                  9);
    }
    EXPECT_EQ(grd.CellValue(0, 0), "r0c0");
    EXPECT_EQ(grd.CellValue(1, 1), "r1c1");
    grd.Clear();
    EXPECT_EQ(grd.CellValue(0, 0), "");
}

TEST_F(GridTest, WritingTheFocusedCellShowsTheTextAtOnceEvenWithRedrawOff) {
    LoadedGrid(3, 5);
    grd.SetCurrentRow(1);
    grd.SetCurrentCol(1);
    grd.SetRedraw(false);
    grd.SetCellValue(1, 1, "neu");
    EXPECT_EQ(grd.txtInput(3).Text(), "neu");
    grd.SetCellValue(1, 2, "other");  // not the focused cell: waits for the next refill
    EXPECT_EQ(grd.txtInput(5).Text(), "r2c1");
    grd.SetRedraw(true);
    EXPECT_EQ(grd.txtInput(5).Text(), "other");
}

TEST_F(GridTest, ClearEmptiesEveryEditorAndRestoresTheStoredHeaders) {
    SizeForRows(5);
    LoadLikeTheWindow("A|B|C", "0|0|1", "1|0|0", "50|50|50");
    grd.SetRedraw(false);
    grd.AddItem("x\ty\t1");
    grd.AddItem("x\ty\t-1");
    grd.SetRedraw(true);
    grd.SetColHeaderText(0, "Datum");
    ASSERT_EQ(grd.chkCell(2).Value(), 1);
    grd.Clear();
    EXPECT_EQ(grd.Rows(), 0);
    EXPECT_EQ(grd.TopRow(), 0);
    for (int k : grd.txtInput.Indexes()) {
        SCOPED_TRACE(k);
        EXPECT_EQ(grd.txtInput(k).Text(), "");
        EXPECT_EQ(grd.txtInputC(k).Text(), "");
    }
    for (int k : grd.chkCell.Indexes()) EXPECT_EQ(grd.chkCell(k).Value(), 0);
    EXPECT_EQ(grd.HeaderText(0), "A");
    EXPECT_NE(grd.txtInput(0).Tag(), kIgnoreChange);
    EXPECT_EQ(grd.vscrGrid.Value(), 0);
}

TEST_F(GridTest, SelectCellSelectsTheWholeTextOnlyWhenTheFocusArrivesByKeyboard) {
    LoadedGrid(3, 5);
    grd.txtInput(3).SetSelStart(1);
    grd.SelectCell(1, 1);
    EXPECT_EQ((std::pair{grd.txtInput(3).SelStart(), grd.txtInput(3).SelLength()}),
              (std::pair{1, 0}));
    platform::KeyState().KeyDown(platform::VK_TAB);
    grd.SelectCell(1, 1);
    platform::KeyState().KeyUp(platform::VK_TAB);
    EXPECT_EQ((std::pair{grd.txtInput(3).SelStart(), grd.txtInput(3).SelLength()}),
              (std::pair{0, 4}));
}

TEST_F(GridTest, CellBoundaryGivesTheTextEditorsRectangleAndLeavesRowsAboveTopRowAlone) {
    LoadedGrid(30, 10);
    grd.SetTopRow(5);
    std::int32_t l = -7, t = -7, w = -7, h = -7;
    grd.CellBoundary(1, 6, l, t, w, h);
    EXPECT_EQ((std::vector<std::int32_t>{l, t, w, h}),
              (std::vector<std::int32_t>{115 + 2, 30 + 1, 400 - 1 - 4, 14}));
    l = t = w = h = -7;
    grd.CellBoundary(0, 4, l, t, w, h);
    EXPECT_EQ((std::vector<std::int32_t>{l, t, w, h}), (std::vector<std::int32_t>{-7, -7, -7, -7}));
}

TEST_F(GridTest, SetZoomColumnGivesTheColumnTheRemainingWidthButAtLeastTheMinimum) {
    struct Row {
        int line;
        int widthPixels;
        float factor;
        int expected;
    };
    const Row rows[] = {
        // 553 - (17 + 15 + 1) - 100 = 420
        {1, 553, 1.0f, 420},
        {2, 300, 1.0f, 400},  // narrow: the minimum
        {3, 300, 1.5f, 400},  // 400 / 1.5 = 267 scaled back by 1.5: 400.5
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        forms::Form f;
        f.Move(0, 0, 12045, 6915);
        auto& g = f.Add<QorSimpleGrid>("grd");
        g.Extender().Move(0, 0, row.widthPixels * 15.0f, 165 * 15.0f);
        forms::PropertyBag bag;
        bag.WriteProperty("Header", "Datum|Tipp");
        bag.WriteProperty("ColWidthAll", "100|100");
        g.LoadProperties(bag);
        g.SetScaleFaktor(row.factor);
        g.SetZoomColumn(1, 400);
        EXPECT_NEAR(g.cmdHeader(1).Width(), row.expected, 0.6);
        EXPECT_TRUE(g.Redraw());  // switched on again, whatever it was
    }
}

TEST_F(GridTest, ScaleFaktorSetsRowHeightsAsTheCeilingOfFourteenTimesTheFactor) {
    struct Row {
        int line;
        float factor;
        float editorHeight, rowPitch;
    };
    const Row rows[] = {{1, 1.5f, 21, 22}, {2, 1.1f, 16, 17}, {3, 2.0f, 28, 29}, {4, 1.0f, 14, 15}};
    LoadedGrid(30, 10);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        grd.SetScaleFaktor(row.factor);
        EXPECT_EQ(grd.txtInput(0).Height(), row.editorHeight);
        EXPECT_EQ(grd.txtInput(grd.Cols()).Height(), row.editorHeight);
        EXPECT_EQ(grd.cmdSelectorAll.Height(), row.rowPitch);
        EXPECT_EQ(grd.cmdHeader(1).Height(), row.rowPitch);
        EXPECT_EQ(grd.cmdSelectors(1).Top() - grd.cmdSelectors(0).Top(), row.rowPitch);
        EXPECT_EQ(grd.txtInput(2).Top(), grd.cmdSelectors(1).Top() + 1);
        EXPECT_EQ(grd.ScaleFaktor(), row.factor);
    }
    // The same factor again changes nothing.
    grd.cmdSelectorAll.SetHeight(3);
    grd.SetScaleFaktor(1.0f);
    EXPECT_EQ(grd.cmdSelectorAll.Height(), 3);
    EXPECT_THROW(grd.SetScaleFaktor(0), rt::RuntimeError);
}

TEST_F(GridTest, CurrentRowBelowTheWindowPagesSoTheRowLandsInThePartlyVisibleRow) {
    LoadedGrid(30, 10);
    RecordEvents();
    grd.SetCurrentCol(1);
    grd.SetCurrentRow(15);
    EXPECT_EQ(grd.TopRow(), 5);
    EXPECT_EQ(grd.CurrentCellIndex(), 10 * 2 + 1);
    EXPECT_EQ(grd.CurrentRow(), 15);
    EXPECT_EQ(grd.CurrentCol(), 1);
    EXPECT_EQ(EditorRow(0), (std::vector<std::string>{"r5c0", "r5c1"}));
    EXPECT_EQ(MarkedSelectors(), (std::vector<int>{10}));
    EXPECT_EQ(grd.vscrGrid.Value(), 0);  // the bar is not moved by paging
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"CellGotFocus 1,0", "CellGotFocus 1,15"}));

    // Above the window: scrolls up so that the row is the first shown.
    grd.SetCurrentRow(2);
    EXPECT_EQ(grd.TopRow(), 2);
    EXPECT_EQ(grd.CurrentCellIndex(), 1);
    EXPECT_EQ(MarkedSelectors(), (std::vector<int>{0}));
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"CellGotFocus 1,2"}));

    for (std::int32_t bad : {-1, 30}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(ErrorOf([&] { grd.SetCurrentRow(bad); }), 9);
    }
    EXPECT_EQ(grd.CurrentRow(), 2);
}

TEST_F(GridTest, CurrentColWithoutACurrentCellTakesTheFirstShownRowAlsoWithOneColumn) {
    SizeForRows(10);
    forms::PropertyBag bag;
    bag.WriteProperty("Header", "Nur");
    grd.LoadProperties(bag);
    Fill(20);
    grd.vscrGrid.SetValue(4);  // the loaded grid's current cell scrolls out
    ASSERT_EQ(grd.CurrentCellIndex(), -1);
    RecordEvents();
    grd.SetCurrentCol(0);
    EXPECT_EQ(grd.CurrentCellIndex(), 0);
    EXPECT_EQ(grd.CurrentRow(), 4);
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"CellGotFocus 0,4"}));
    EXPECT_EQ(ErrorOf([&] { grd.SetCurrentCol(1); }), 9);
}

TEST_F(GridTest, BlindModeSwitchesTheGlyphAndTheMarginMovesEveryEditor) {
    LoadedGrid(6, 4);
    grd.SetBlindMode(true);
    EXPECT_EQ(grd.SelectorGlyph(), "-");
    grd.SetCurrentRow(1);
    EXPECT_EQ(MarkedSelectors(), (std::vector<int>{1}));
    EXPECT_EQ(grd.cmdSelectors(1).Caption(), "-");
    grd.SetBlindMode(false);
    EXPECT_EQ(grd.SelectorGlyph(), ">");

    grd.SetBorderAbstand(5);
    for (int k : grd.txtInput.Indexes()) {
        SCOPED_TRACE(k);
        const int c = k % 2;
        EXPECT_EQ(grd.txtInput(k).Left(), grd.cmdHeader(c).Left() + 5);
        EXPECT_EQ(grd.txtInput(k).Width(), grd.cmdHeader(c).Width() - 1 - 10);
        EXPECT_EQ(grd.txtInputC(k).Left(), grd.txtInput(k).Left());
    }
}

TEST_F(GridTest, TextIsThatOfTheFocusedEditor) {
    WindowGrid(3, 4);
    EXPECT_EQ(grd.Text(), "");
    grd.txtInput(3).SetFocus();
    EXPECT_EQ(grd.Text(), "r1c1");
    EXPECT_EQ(grd.CurrentCellIndex(), 3);
    grd.picCellBg.SetFocus();
    EXPECT_EQ(grd.Text(), "");
}

TEST_F(GridTest, FontsizeSetsTheTemplatesButReadsTheSurfaceFont) {
    grd.InitNew();
    RecordEvents();
    const float surface = grd.FontSize();
    grd.SetFontsize(12);
    EXPECT_EQ(grd.txtInput(0).FontSize(), 12);
    EXPECT_EQ(grd.txtInputC(0).FontSize(), 12);
    EXPECT_EQ(grd.cmdHeader(0).FontSize(), 12);
    EXPECT_EQ(grd.Fontsize(), surface);
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"PropertyChanged Fontsize"}));
}

TEST_F(GridTest, EveryCellKeepsTheTextItsRowWasAddedWith) {
    LoadedGrid(3, 5);
    grd.SetCellValue(1, 1, "eins");
    grd.SetCellValue(1, 1, "zwei");
    grd.StoreCellValue(0, 2, "drei");
    struct Row {
        int line;
        std::int32_t col, row;
        const char* value;
        const char* initial;
    };
    const Row rows[] = {{1, 1, 1, "zwei", "r1c1"},
                        {2, 0, 2, "drei", "r2c0"},
                        {3, 0, 0, "r0c0", "r0c0"},
                        {4, 5, 5, "", ""}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(
            grd.CellValue(static_cast<std::int16_t>(row.col), static_cast<std::int16_t>(row.row)),
            row.value);
        EXPECT_EQ(grd.InitialValue(row.col, row.row), row.initial);
    }
    grd.SetColHeader("Datum|Tipp|Neu");  // the columns that stay keep their initial texts
    EXPECT_EQ(grd.InitialValue(1, 1), "r1c1");
    EXPECT_EQ(grd.CellValue(1, 1), "zwei");
    grd.Clear();
    grd.AddItem("a\tb");
    EXPECT_EQ(grd.InitialValue(1, 0), "b");
}

}  // namespace
}  // namespace grid
