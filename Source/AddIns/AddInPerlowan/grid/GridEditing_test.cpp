// Editing in place and keyboard navigation, driven through simulated clicks, typing, keys and
// timer ticks: the events each sequence raises are recorded and compared whole.
#include <gtest/gtest.h>

#include "DebugRecorder.h"
#include "GridTestSupport.h"
#include "InputSimulator.h"
#include "Text.h"

namespace grid {
namespace {

using forms::App;
using Events = std::vector<std::string>;
namespace key = forms::key;

class GridEditingTest : public testing::GridTest {
  protected:
    // Three plain text columns, `rows` rows of which `visible` fit.
    void ThreePlainColumns(int rows, int visible = 10) {
        SizeForRows(visible);
        LoadLikeTheWindow("A|B|C", "0|0|0", "0|0|0", "100|100|100");
        form.Show();
        Fill(rows);
    }
    std::string Original(int col, int row) {
        return "r" + std::to_string(row) + "c" + std::to_string(col);
    }
    void Focus(int col, int row, int selStart, int selLength) {
        auto& editor = Editor(col, row);
        editor.SetFocus();
        editor.SetSelStart(selStart);
        editor.SetSelLength(selLength);
    }
    forms::Control* Focused() { return App().FocusedControl(); }
    std::pair<int, int> Selection(forms::TextBox& editor) {
        return {editor.SelStart(), editor.SelLength()};
    }
};

TEST_F(GridEditingTest, TypingStoresEachKeystrokeAndOnlyAChangedCellIsValidatedOnLeaving) {
    WindowGrid(5);
    RecordAllEvents();
    // Cell (1, 0), clicked in its middle: the caret goes where the click lands, after the text.
    forms::input::Click(grd.txtInput(1));
    forms::input::TypeText("ab");
    EXPECT_EQ(grd.CellValue(1, 0), Original(1, 0) + "ab");  // before the cell is left
    forms::input::Click(grd.txtInput(3));                   // cell (1, 1)
    forms::input::Click(grd.txtInputC(2));                  // cell (0, 1), unchanged (1, 1) left
    EXPECT_EQ(log.Take(), (Events{"CellGotFocus 1,0", "CellChange 1,0", "CellChange 1,0",
                                  "CellValidate 1,0", "CellLostFocus 1,0", "CellGotFocus 1,1",
                                  "CellLostFocus 1,1", "CellGotFocus 0,1"}));
    EXPECT_EQ(grd.CurrentCellIndex(), 2);
    EXPECT_EQ(MarkedSelectors(), (std::vector<int>{1}));
    EXPECT_EQ(grd.FocusText(), Original(0, 1));
}

TEST_F(GridEditingTest, TabbingIntoTheGridSelectsTheWholeTextAClickKeepsTheCaret) {
    auto& txtBefore = form.Add<forms::TextBox>("txtBefore");
    txtBefore.Move(120, 6000, 1000, 300);
    WindowGrid(5);
    RecordAllEvents();
    forms::input::Click(grd.txtInput(3));  // cell (1, 1)
    // The caret where the click landed (right of the short text), nothing selected.
    EXPECT_EQ(Selection(grd.txtInput(3)), (std::pair{rt::Len(Original(1, 1)), 0}));
    txtBefore.SetFocus();
    forms::input::Tab();  // round to the grid's first stop; the surface sends it on
    EXPECT_EQ(Focused(), &grd.txtInput(3));
    EXPECT_EQ(Selection(grd.txtInput(3)), (std::pair{0, rt::Len(Original(1, 1))}));
    EXPECT_EQ(log.Take(), (Events{"CellGotFocus 1,1", "CellLostFocus 1,1", "CellGotFocus 1,1"}));

    // Alt held counts as the keyboard too; the mouse never selects.
    struct Row {
        int n;
        int heldKey;  // 0: none
        std::pair<int, int> selection;
    };
    const int length = rt::Len(Original(1, 2));
    for (const Row& row : {Row{1, platform::VK_MENU, {0, length}}, Row{2, 0, {0, 0}},
                           Row{3, platform::VK_TAB, {0, length}}}) {
        SCOPED_TRACE(row.n);
        grd.txtInput(1).SetFocus();  // inside the grid: the surface does not redirect
        auto& editor = grd.txtInput(5);
        editor.SetSelStart(0);
        if (row.heldKey) platform::KeyState().KeyDown(row.heldKey);
        editor.SetFocus();
        if (row.heldKey) platform::KeyState().KeyUp(row.heldKey);
        EXPECT_EQ(Selection(editor), row.selection);
    }
}

TEST_F(GridEditingTest, FirstEscapeUndoesTheCellTheSecondTheWholeRow) {
    WindowGrid(5);
    forms::input::Click(grd.txtInputC(2));  // cell (0, 1)
    forms::input::TypeText("x");
    forms::input::Click(grd.txtInput(3));  // cell (1, 1)
    forms::input::TypeText("y");
    grd.SetCellValue(1, 2, "other row");  // a sentinel: the row undo stays in its row
    RecordAllEvents();
    forms::input::PressKey(key::Escape);
    EXPECT_EQ(grd.txtInput(3).Text(), Original(1, 1));
    EXPECT_EQ(grd.CellValue(1, 1), Original(1, 1));
    // The first column is centred: the click in the cell's middle lands in the text's middle.
    const std::string centred = Original(0, 1);
    EXPECT_EQ(grd.CellValue(0, 1), centred.substr(0, 2) + "x" + centred.substr(2));
    EXPECT_EQ(log.Take(), (Events{"CellChange 1,1"}));

    forms::input::PressKey(key::Escape);
    EXPECT_EQ(grd.CellValue(0, 1), Original(0, 1));
    EXPECT_EQ(grd.txtInputC(2).Text(), Original(0, 1));
    EXPECT_EQ(grd.CellValue(1, 2), "other row");
    EXPECT_TRUE(log.Take().empty());  // the refill raises no CellChange
    EXPECT_EQ(Focused(), &grd.txtInput(3));
}

TEST_F(GridEditingTest, F2MovesTheCaretToTheEndOnlyWhenThereIsASelection) {
    WindowGrid(3);
    const int length = rt::Len(Original(1, 0));
    struct Row {
        int n;
        std::pair<int, int> before, after;
    };
    for (const Row& row :
         {Row{1, {0, length}, {length, 0}}, Row{2, {1, 2}, {length, 0}}, Row{3, {2, 0}, {2, 0}}}) {
        SCOPED_TRACE(row.n);
        Focus(1, 0, row.before.first, row.before.second);
        RecordAllEvents();
        log.Take();
        forms::input::PressKey(key::F2);
        EXPECT_EQ(Selection(grd.txtInput(1)), row.after);
        EXPECT_TRUE(log.Take().empty());
    }
}

TEST_F(GridEditingTest, ArrowKeysMoveByTheCaretRulesAndWrapAtTheRowEnds) {
    const int rows = 4;
    ThreePlainColumns(rows);
    const int length = rt::Len(Original(0, 0));  // every cell text is as long
    struct Row {
        int n;
        int col, row, selStart, selLength;
        std::int16_t key;
        int toCol, toRow;  // -1: no move
        std::pair<int, int> caretWithoutMove;
    };
    const Row table[] = {
        {1, 1, 0, 2, 0, key::Right, -1, -1, {3, 0}},  // inside the text: the caret moves
        {2, 1, 0, length, 0, key::Right, 2, 0, {}},   // at the end
        {3, 1, 0, 0, length, key::Right, 2, 0, {}},   // whole text selected
        {4, 1, 0, 0, 0, key::Left, 0, 0, {}},         // at the start
        {5, 1, 0, 1, 0, key::Left, -1, -1, {0, 0}},   // inside
        {6, 2, 0, length, 0, key::Right, 0, 1, {}},   // last column wraps
        {7, 0, 1, 0, 0, key::Left, 2, 0, {}},         // first column wraps back
        {8, 0, 0, 0, 0, key::Left, -1, -1, {0, 0}},   // first cell: nothing
        {9, 2, rows - 1, length, 0, key::Right, -1, -1, {length, 0}},  // not past the last row
        {10, 1, 0, 1, 0, key::Up, -1, -1, {1, 0}},                     // first row
        {11, 1, rows - 1, 1, 0, key::Down, -1, -1, {1, 0}},            // last row
        {12, 1, 1, 1, 0, key::Down, 1, 2, {}},
        {13, 1, 2, 1, 0, key::Up, 1, 1, {}},
        {14, 1, 1, 1, 0, key::Return, -1, -1, {1, 0}},  // any other key: no move
    };
    RecordAllEvents();
    for (const Row& row : table) {
        SCOPED_TRACE(row.n);
        Focus(row.col, row.row, row.selStart, row.selLength);
        log.Take();
        forms::input::PressKey(row.key);
        Wait(50);
        const std::string from = std::to_string(row.col) + "," + std::to_string(row.row);
        if (row.toCol < 0) {
            EXPECT_TRUE(log.Take().empty());
            EXPECT_EQ(Focused(), &Editor(row.col, row.row));
            EXPECT_EQ(Selection(Editor(row.col, row.row)), row.caretWithoutMove);
            continue;
        }
        const std::string to = std::to_string(row.toCol) + "," + std::to_string(row.toRow);
        EXPECT_EQ(log.Take(), (Events{"Navigation " + from + " to " + to, "CellLostFocus " + from,
                                      "CellGotFocus " + to}));
        auto& target = Editor(row.toCol, row.toRow);
        EXPECT_EQ(Focused(), &target);
        EXPECT_EQ(Selection(target), (std::pair{0, length}));
        EXPECT_FALSE(grd.tmrSetFocus.Enabled());
    }
}

TEST_F(GridEditingTest, UpAndDownAtTheEdgeOfTheVisibleRowsScrollTheData) {
    WindowGrid(30, 10);
    Focus(1, 9, 0, 0);  // the last full row
    RecordAllEvents();
    forms::input::PressKey(key::Down);
    EXPECT_EQ(grd.TopRow(), 1);
    EXPECT_EQ(grd.vscrGrid.Value(), 1);
    // The scroll carries the old cell along; the new one takes the focus on the next tick.
    EXPECT_EQ(log.Take(), (Events{"Navigation 1,9 to 1,10", "CellLostFocus 1,9", "CellGotFocus 1,9",
                                  "Scroll"}));
    Wait(50);
    EXPECT_EQ(log.Take(), (Events{"CellLostFocus 1,9", "CellGotFocus 1,10"}));
    EXPECT_EQ(Focused(), &grd.txtInput(9 * 2 + 1));
    EXPECT_EQ(MarkedSelectors(), (std::vector<int>{9}));

    Focus(1, 1, 0, 0);  // the first visible row
    log.Take();
    forms::input::PressKey(key::Up);
    EXPECT_EQ(grd.TopRow(), 0);
    Wait(50);
    EXPECT_EQ(log.Take(), (Events{"Navigation 1,1 to 1,0", "CellLostFocus 1,1", "CellGotFocus 1,1",
                                  "Scroll", "CellLostFocus 1,1", "CellGotFocus 1,0"}));
    EXPECT_EQ(Focused(), &grd.txtInput(1));

    // Into the centred column the focus moves at once, no timer.
    Focus(1, 9, 0, 0);
    log.Take();
    forms::input::PressKey(key::Left);
    EXPECT_EQ(log.Take(),
              (Events{"Navigation 1,9 to 0,9", "CellLostFocus 1,9", "CellGotFocus 0,9"}));
    EXPECT_EQ(Focused(), &grd.txtInputC(9 * 2));
    EXPECT_FALSE(grd.tmrSetFocus.Enabled());
}

TEST_F(GridEditingTest, ANavigationHandlerMayRedirectTheMoveOrSendItNowhere) {
    WindowGrid(20, 10);
    struct Row {
        int n;
        std::int16_t newCol, newRow;
        bool moves;
        int topRow;
    };
    for (const Row& row : {Row{1, 0, 3, true, 0}, Row{2, 1, 15, true, 6}, Row{3, 5, 0, false, 6},
                           Row{4, 0, -1, false, 6}, Row{5, 0, 20, false, 6}}) {
        SCOPED_TRACE(row.n);
        Focus(1, grd.TopRow(), 0, 0);
        RecordEvents();
        log.Take();
        grd.Navigation = [&](std::int16_t, std::int16_t, std::int16_t& newCol,
                             std::int16_t& newRow) {
            log.Add("Navigation");
            newCol = row.newCol;
            newRow = row.newRow;
            // A handler that moves the focus itself starts no second navigation.
            forms::input::PressKey(key::Down);
        };
        forms::input::PressKey(key::Left);
        Wait(50);
        EXPECT_EQ(grd.TopRow(), row.topRow);
        auto entries = log.Take();
        ASSERT_FALSE(entries.empty());
        EXPECT_EQ(entries.front(), "Navigation");
        if (!row.moves) {
            EXPECT_EQ(entries, (Events{"Navigation"}));
            EXPECT_EQ(Focused(), &Editor(1, grd.TopRow()));
            continue;
        }
        const std::string to = std::to_string(row.newCol) + "," + std::to_string(row.newRow);
        EXPECT_EQ(entries.back(), "CellGotFocus " + to);
        EXPECT_EQ(Focused(), &grd.GetCellControl(row.newCol, row.newRow));
        EXPECT_EQ(std::count(entries.begin(), entries.end(), "Navigation"), 1);
    }
}

TEST_F(GridEditingTest, ACancelledValidationKeepsTheTextAndBringsTheFocusBack) {
    WindowGrid(5);
    RecordEvents();
    grd.CellValidate = [this](std::int16_t col, std::int16_t row, bool& cancel) {
        log.Add("CellValidate " + std::to_string(col) + "," + std::to_string(row));
        cancel = grd.CellValue(col, row).find('!') != std::string::npos;
    };
    forms::input::Click(grd.txtInput(1));  // cell (1, 0)
    forms::input::TypeText("!");
    forms::input::Click(grd.txtInput(3));  // cell (1, 1): its got-focus only clears the flag
    EXPECT_EQ(Focused(), &grd.txtInput(3));
    EXPECT_FALSE(grd.SkipNextGotFocus());
    EXPECT_EQ(grd.tmrSetFocus.Tag(), "010");
    EXPECT_EQ(log.Take(), (Events{"CellGotFocus 1,0", "CellChange 1,0", "CellValidate 1,0"}));
    Wait(50);
    EXPECT_EQ(Focused(), &grd.txtInput(1));
    EXPECT_EQ(grd.CellValue(1, 0), Original(1, 0) + "!");
    EXPECT_EQ(Selection(grd.txtInput(1)), (std::pair{0, rt::Len(grd.CellValue(1, 0))}));
    // The cell the user was kept from is left without a validation of its own.
    EXPECT_EQ(log.Take(), (Events{"CellLostFocus 1,1", "CellGotFocus 1,0"}));
    EXPECT_EQ(grd.CurrentCellIndex(), 1);

    forms::input::TypeText("ok");  // replaces the selection
    forms::input::Click(grd.txtInput(3));
    EXPECT_EQ(log.Take(), (Events{"CellChange 1,0", "CellChange 1,0", "CellValidate 1,0",
                                  "CellLostFocus 1,0", "CellGotFocus 1,1"}));
    EXPECT_EQ(grd.CellValue(1, 0), "ok");
}

TEST_F(GridEditingTest, ACheckBoxColumnTogglesBySpaceAndByClickAndNavigates) {
    SizeForRows(10);
    LoadLikeTheWindow("Ok|Tipp", "1|0", "0|0", "40|300");
    form.Show();
    grd.SetRedraw(false);
    for (const char* line : {"0\ta", "1\tb", "\tc"}) grd.AddItem(line);
    grd.SetRedraw(true);
    RecordAllEvents();
    forms::input::Click(grd.chkCell(2));  // cell (0, 1): no CellGotFocus for a check box
    EXPECT_EQ(grd.chkCell(2).Value(), 0);
    EXPECT_EQ(grd.CellValue(0, 1), "0");
    EXPECT_EQ(grd.CurrentCellIndex(), 2);
    EXPECT_EQ(MarkedSelectors(), (std::vector<int>{1}));
    forms::input::PressKey(key::Space);
    EXPECT_EQ(grd.CellValue(0, 1), "1");
    forms::input::PressKey(key::Right);  // into the plain text column, on the next tick
    EXPECT_EQ(Focused(), &grd.chkCell(2));
    Wait(50);
    EXPECT_EQ(Focused(), &grd.txtInput(3));
    EXPECT_EQ(log.Take(), (Events{"CellChange 0,1", "CellChange 0,1", "Navigation 0,1 to 1,1",
                                  "CellGotFocus 1,1"}));
    forms::input::PressKey(key::Left);  // whole text selected, caret at 0: to the check box
    EXPECT_EQ(Focused(), &grd.chkCell(2));
    forms::input::PressKey(key::Left);  // wraps to the last column of the row above
    Wait(50);
    EXPECT_EQ(Focused(), &grd.txtInput(1));
    EXPECT_EQ(log.Take(), (Events{"Navigation 1,1 to 0,1", "CellLostFocus 1,1",
                                  "Navigation 0,1 to 1,0", "CellGotFocus 1,0"}));
    // The grid's own refill shows the stored value and raises nothing.
    grd.SetCellValue(0, 0, "-1");
    EXPECT_EQ(grd.chkCell(0).Value(), 1);
    EXPECT_TRUE(log.Take().empty());
}

TEST_F(GridEditingTest, DoubleClicksAndSurfaceKeysReachTheHost) {
    WindowGrid(3);
    RecordAllEvents();
    forms::input::DoubleClick(grd.txtInput(1));
    std::int16_t code = key::F2, shift = forms::shift::Ctrl;
    grd.forms::Control::KeyDown(code, shift);  // the surface itself has the key
    EXPECT_EQ(log.Take(), (Events{"CellGotFocus 1,0", "DblClick", "KeyDown 113,2"}));
}

TEST_F(GridEditingTest, EditorsWithoutADataRowOrWithoutTheFocusCannotLoseText) {
    WindowGrid(2, 5);
    testsupport::DebugRecorder debug("grid");
    RecordAllEvents();
    // Editor row 3 shows no data row: it is hidden; code writing into it stores nothing.
    auto& hidden = grd.txtInput(3 * 2 + 1);
    ASSERT_FALSE(hidden.Visible());
    hidden.SetText("lost?");
    forms::input::Click(hidden);  // hidden: cannot take the focus
    EXPECT_EQ(grd.Rows(), 2);
    EXPECT_EQ(grd.CellValue(1, 3), "");
    EXPECT_TRUE(log.Take().empty());
    EXPECT_FALSE(debug.Lines().empty());

    // The focused editor is unloaded (the columns are rebuilt): later keys find no editor.
    forms::input::Click(grd.txtInput(3));
    forms::input::TypeText("z");
    grd.SetColHeader("A|B");
    forms::input::PressKey(key::Escape);
    forms::input::PressKey(key::Right);
    Wait(50);
    EXPECT_EQ(grd.CellValue(1, 1), Original(1, 1) + "z");
    // Unloading the focused editor leaves its cell the ordinary way.
    EXPECT_EQ(log.Take(), (Events{"CellGotFocus 1,1", "CellChange 1,1", "CellValidate 1,1",
                                  "CellLostFocus 1,1", "PropertyChanged Header"}));
}

}  // namespace
}  // namespace grid
