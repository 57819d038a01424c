#pragma once
// QorSimpleGrid: the add-in's grid user control. A table of text cells kept in memory, shown
// through one small editor control per visible cell (a text box, a centred twin or a check box)
// that is loaded on demand and reused while the user scrolls. Column headers are buttons whose
// Left and Width define the columns; record selector buttons at the left define the rows.
//
// The units of the control:
//   QorSimpleGrid.cpp  state, cell mapping, cell access and the control's own members
//   GridDispatch.cpp   the name-to-member table (late binding by name and dispatch id)
//   GridLayout.cpp     layout, refill, grid lines, painting suspension, resize
//   GridColumns.cpp    column properties and the property bag
//   GridRows.cpp       rows, TopRow and the scroll handling
//   GridEditing.cpp    cell editing, Escape and F2, keyboard navigation, focus moves
//   GridHeaders.cpp    the headers' size cursor and width dragging
//   GridSelectors.cpp  record selectors, the corner button, focus requests, tooltips, the wheel
//
// Errors: members raise the classic run-time errors: 9 for a cell or column outside the data,
// 6 when a value does not fit a 16-bit field, 13 for a text where a number is needed.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "CheckBox.h"
#include "CommandButton.h"
#include "ControlArray.h"
#include "Image.h"
#include "PictureBox.h"
#include "ScrollBar.h"
#include "TextBox.h"
#include "Timer.h"
#include "UserControl.h"
#include "cISubclass.h"

namespace grid {

// The text the grid leaves in txtInput(0).Tag while it writes into editors itself.
inline constexpr std::string_view kIgnoreChange = "Ignore Change";
// The text in vscrGrid.Tag while the grid sets the bar's value itself.
inline constexpr std::string_view kNoChange = "NoChange";
inline constexpr std::int32_t kWhite = 0xFFFFFF;
inline constexpr std::uint32_t kRedrawAllNow = 389;  // invalidate, erase, all children, update now
inline constexpr std::int32_t kMouseWheel = 522;

// The events in declaration order: their position (from 1) is the event number.
inline constexpr std::array<std::string_view, 8> kEventNames{
    "CellChange", "CellGotFocus", "CellLostFocus", "CellValidate",
    "KeyDown",    "DblClick",     "Scroll",        "Navigation"};

class QorSimpleGrid : public forms::UserControl, public cISubclass {
  public:
    explicit QorSimpleGrid(std::string name);
    ~QorSimpleGrid() override;

    // ---------------------------------------------------------------- events (host side)
    forms::Event<std::int16_t&, std::int16_t&> CellChange;         // Col, Row
    forms::Event<std::int16_t, std::int16_t> CellGotFocus;         // Col, Row
    forms::Event<std::int16_t, std::int16_t> CellLostFocus;        // Col, Row
    forms::Event<std::int16_t, std::int16_t, bool&> CellValidate;  // Col, Row, Cancel
    // Hides the surface's own KeyDown (UserControl_KeyDown), which raises this one.
    forms::Event<std::int16_t&, std::int16_t&> KeyDown;  // KeyCode, Shift
    forms::Event<> DblClick;
    forms::Event<> Scroll;
    // OldCol, OldRow, NewCol, NewRow
    forms::Event<std::int16_t, std::int16_t, std::int16_t&, std::int16_t&> Navigation;

    // ---------------------------------------------------------------- public members
    void DrawGridLines();
    float Fontsize() const { return FontSize(); }
    void SetFontsize(float psFontsize);  // raises 380 for a size that is not positive
    void SetBlindMode(bool pbBlindMode);
    void SetBorderAbstand(std::int16_t piAbstand);
    // Rectangle of the text editor of a visible cell; rows above TopRow leave the outputs alone.
    void CellBoundary(std::int16_t piCol, std::int16_t piRow, std::int32_t& plLeft,
                      std::int32_t& plTop, std::int32_t& plWidth, std::int32_t& plHeight);
    // "" outside the data; never fails.
    std::string CellValue(std::int16_t piColumn, std::int16_t piRow) const;
    // The text the cell had when its row was added; "" outside the data.
    std::string InitialValue(std::int32_t col, std::int32_t row) const;
    // Stores a cell's text (no refresh, no events), remembering its initial text. Raises 9
    // outside the data.
    void StoreCellValue(std::int32_t col, std::int32_t row, std::string value);
    // Raises 9 outside the data and then changes nothing.
    void SetCellValue(std::int16_t piColumn, std::int16_t piRow, std::string ptValue);
    void Clear();
    std::int32_t CurrentRow() const;
    std::int32_t CurrentCol() const;
    // Raise 9 for a row outside 0..Rows-1 or a column outside 0..Cols-1; 6 when paging would
    // take TopRow past 32767.
    void SetCurrentRow(std::int32_t plNewRow);
    void SetCurrentCol(std::int32_t plNewCol);
    float ScaleFaktor() const noexcept { return scaleFaktor_; }
    // Raises 380 for a factor that is not positive.
    void SetScaleFaktor(float psNewFaktor);
    void SelectCell(std::int16_t piCol, std::int16_t piRow, bool pbSetFocus = false);
    void SetZoomColumn(std::int16_t piColIndex, std::int16_t piMindestBreite);
    std::string Text() const;
    std::int16_t TopRow() const noexcept { return topRow_; }
    void SetTopRow(std::int16_t value);
    bool vScrollbarVisible() const { return vscrGrid.Visible(); }
    const std::string& ColHeader() const noexcept { return colHeader_; }
    void SetColHeader(const std::string& ptHeader);
    // Raises 9 for a column without a header.
    void SetColHeaderText(std::int16_t piColIndex, std::string ptText);
    std::int16_t Cols() const noexcept { return cols_; }
    std::int32_t Rows() const noexcept { return rows_; }
    std::string ColWidthAll() const;
    void SetColWidthAll(const std::string& ptColWidthAll);
    void AddItem(std::string_view ptZeile);
    std::int16_t LeftCol() const noexcept { return leftCol_; }
    void SetLeftCol(std::int16_t piLeftCol);
    bool Redraw() const noexcept { return redraw_; }
    void SetRedraw(bool pbRedraw);
    const std::string& ColAlignment() const noexcept { return colAlignment_; }
    void SetColAlignment(std::string ptColAlignment);
    const std::string& ColStyle() const noexcept { return colStyle_; }
    void SetColStyle(std::string ptColStyle);
    std::string ColStyleCol(std::int16_t piColumn) const;
    // Raises 9 for a column without a header; 6 when the width does not fit 16 bits.
    std::int16_t ColWidth(std::int16_t piSpalte) const;
    void SetColWidth(std::int16_t piSpalte, std::int16_t piColWidth);
    bool ReadOnly() const noexcept { return readOnly_; }
    void SetReadOnly(bool pbReadonly);
    // Raise 9 outside the flags.
    bool ColReadOnly(std::int16_t piSpalte) const;
    void SetColReadOnly(std::int16_t piSpalte, bool pbReadonly);
    // Raises 9 for a negative row.
    void SetRowReadOnly(std::int16_t piRow, bool pbReadonly);
    // Raise 9 outside the data.
    std::int32_t CellBGColor(std::int16_t piCol, std::int16_t piRow) const;
    void SetCellBGColor(std::int16_t piCol, std::int16_t piRow, std::int32_t plColBGColor);
    bool RecordSelectors() const noexcept { return recordSelectors_; }
    void SetRecordSelectors(bool pbRecordSelectors);
    // Raise 9 for a column without a header.
    std::string HeaderText(std::int16_t piColumn) const;
    void SetHeaderText(std::int16_t piColumn, std::string ptValue);
    std::int32_t GridhWnd() { return hWnd(); }
    bool ColWidthReposition() const noexcept { return colWidthReposition_; }
    void SetColWidthReposition(bool pbColWidthReposition);

    // ---------------------------------------------------------------- late binding
    rt::DispId GetIdOfName(std::string_view name) override;
    rt::Variant Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) override;
    static const rt::DispatchTable<QorSimpleGrid>& Members();

    // ---------------------------------------------------------------- window-message client
    std::int32_t MsgResponse() override { return MsgResponseClientsOnly; }
    void MsgResponse(std::int32_t) override {}
    std::int32_t WindowProc(std::int32_t hWnd, std::int32_t iMsg, std::int32_t wParam,
                            std::int32_t lParam) override;

    // ---------------------------------------------------------------- read access for tests,
    // the view and the editing handlers
    std::int16_t VisibleRows() const noexcept { return visibleRows_; }
    std::int32_t CurrentCellIndex() const noexcept { return currentCellIndex_; }
    std::int16_t BorderAbstand() const noexcept { return borderAbstand_; }
    const std::string& SelectorGlyph() const noexcept { return selectorGlyph_; }
    std::int16_t ColStyleCode(int col) const;
    std::int16_t ColAlignmentCode(int col) const;
    bool IsWheelSubscribed() const noexcept { return wheelSubscribed_; }

    // ---------------------------------------------------------------- cell mapping
    std::int32_t CellToIndex(std::int32_t col, std::int32_t row) const;
    // Truncating division: the remainder takes the sign of the index.
    void IndexToCell(std::int32_t index, std::int32_t& col, std::int32_t& row) const;
    // The visible editor kind of the cell: chkCell, txtInputC or txtInput (raises 340 when the
    // element is not loaded).
    forms::Control& GetCellControl(std::int32_t col, std::int32_t row);
    // txtInputC(i) for a centred column, else txtInput(i); a column of -1 is derived from i.
    forms::TextBox& GetTextControl(std::int32_t index, std::int32_t col = -1);
    bool IsCellReadOnly(std::int32_t col, std::int32_t row) const;
    // Loads txtInput(i) and txtInputC(i) when element i is missing; true when it loaded them.
    bool EnsureCellControlsLoaded(std::int32_t index);
    // The got-focus handling of a text editor: row marker, CellGotFocus, current cell, keyboard
    // selection, remembered text. `previousIndex` is the current cell before the focus moved.
    void EditorGotFocus(std::int32_t index, std::int32_t previousIndex);

    // ---------------------------------------------------------------- focus
    // Whether the focus is arriving by keyboard: Tab or Alt is held down.
    static bool ArrivingByKeyboard();
    // Focuses the control and, with `select`, selects its whole text; a control that cannot take
    // the focus is skipped (debug channel "grid").
    static void FocusCellControl(forms::Control& control, bool select);
    // Selects the whole text when the focus arrives by keyboard; a mouse keeps the caret.
    static void SelectAllText(forms::TextBox& editor);
    // The focus request text of a cell: the column with two digits, then the decimal row ("0312").
    static std::string FocusRequestText(std::int32_t col, std::int32_t row);
    // Leaves a focus request for tmrSetFocus and starts it. A cell that the text cannot name
    // (column outside 0..99, negative row) is refused (debug channel) and the timer left alone.
    void RequestFocus(std::int32_t col, std::int32_t row);
    bool SkipNextGotFocus() const noexcept { return skipNextGotFocus_; }
    const std::string& FocusText() const noexcept { return focusText_; }

    // ---------------------------------------------------------------- layout
    void LayoutGrid();
    void RefreshVisibleCells();
    void PaintGridLines();
    void SuspendPainting();
    void ResumePainting();
    void ResizeHandling();

    // ---------------------------------------------------------------- constituent controls
    forms::PictureBox& picCellBg = Add<forms::PictureBox>("picCellBg");
    forms::ControlArray<forms::TextBox>& txtInput = AddArray<forms::TextBox>("txtInput");
    forms::ControlArray<forms::TextBox>& txtInputC = AddArray<forms::TextBox>("txtInputC");
    forms::ControlArray<forms::CheckBox>& chkCell = AddArray<forms::CheckBox>("chkCell");
    forms::ControlArray<forms::CommandButton>& cmdHeader =
        AddArray<forms::CommandButton>("cmdHeader");
    forms::ControlArray<forms::CommandButton>& cmdSelectors =
        AddArray<forms::CommandButton>("cmdSelectors");
    forms::CommandButton& cmdSelectorAll = Add<forms::CommandButton>("cmdSelectorAll");
    forms::ScrollBar& vscrGrid = Add<forms::ScrollBar>("vscrGrid");
    forms::ScrollBar& hscrGrid =
        Add<forms::ScrollBar>("hscrGrid", forms::ScrollBar::Orientation::Horizontal);
    forms::PictureBox& picSlider = Add<forms::PictureBox>("picSlider");
    forms::Image& imgSelector = Add<forms::Image>("imgSelector");
    forms::Timer& tmrSetFocus = Add<forms::Timer>("tmrSetFocus");
    forms::Timer& tmrColWidth = Add<forms::Timer>("tmrColWidth");
    forms::Timer& tmrUpdateTooltips = Add<forms::Timer>("tmrUpdateTooltips");

  private:
    void DesignLayout();
    void WireConstituents();
    void OnInitProperties();
    void OnReadProperties(forms::PropertyBag& bag);
    void OnWriteProperties(forms::PropertyBag& bag);

    // cell storage: row-major, (col, row) at row * Cols + col
    std::size_t Slot(std::int32_t col, std::int32_t row) const;
    bool InData(std::int32_t col, std::int32_t row) const;
    void ReshapeColumns(std::int16_t newCols);
    void SetCurrentCellIndexWithGotFocus(std::int32_t index, std::int32_t previousIndex);
    void MoveMarkerTo(std::int32_t visibleRow);
    void ClearMarker();

    // layout helpers
    float RowHeight() const;  // cmdSelectorAll.Height
    void PlaceTextEditor(std::int32_t index, std::int32_t col, float top);
    void PlaceCheckBox(std::int32_t index, std::int32_t col, float selectorTop,
                       float selectorHeight);
    void ShowCellEditors(std::int32_t index, std::int32_t col, bool show);
    void ApplyReadOnlyState(std::int32_t index, std::int32_t col, std::int32_t row);
    void RestartTooltipTimer();

    // columns
    void BuildHeaders(const std::string& ptHeader);
    void ApplyColAlignment();
    void ApplyColStyle();
    void FitHeaderCaption(std::int16_t col, bool useTooltip);
    void RepositionColumnEditors(std::int16_t fromCol, std::int16_t toCol, bool widths);
    void ResizeColumnArrays();

    // editing (text editors are handled alike for txtInput and txtInputC)
    void EditorChange(forms::TextBox& editor, std::int32_t index);
    void EditorLostFocus(forms::TextBox& editor, std::int32_t index);
    void EditorKeyDown(forms::TextBox& editor, std::int32_t index, std::int16_t& keyCode,
                       std::int16_t& shift);
    void CheckBoxClick(std::int32_t index);
    void CheckBoxGotFocus(std::int32_t index);
    void UserControlEnterFocus();
    void NavigateCell(std::int32_t index, std::int16_t keyCode, std::int16_t shift);

    // headers
    float EdgeDistance(std::int32_t index, float x) const;
    void HeaderMouseMove(std::int32_t index, std::int16_t button, float x);
    void HeaderMouseDown(std::int32_t index, std::int16_t button, float x);
    void HeaderMouseUp(std::int32_t index, std::int16_t button);
    void HeaderClick();
    void ColWidthTimer();

    // selectors, focus requests, tooltips
    void SelectorClick(std::int32_t index);
    void NoCurrentCell() { currentCellIndex_ = -1; }
    void FocusBackground(const char* who);
    void SetFocusTimer();
    void UpdateTooltipsTimer();

    // rows
    void ScrollHandling();
    void SubscribeWheel();
    void UnsubscribeWheel();

    // state, in declaration order
    std::string selectorGlyph_ = ">";
    std::int16_t borderAbstand_ = 2;
    std::string colHeader_;
    std::int16_t cols_ = 0;
    std::int32_t rows_ = 0;
    std::vector<std::string> cellValues_;
    // The texts as AddItem added them, kept only for cells whose text changed since: a cell
    // without an entry still has its initial text.
    std::unordered_map<std::size_t, std::string> initialValues_;
    std::vector<std::int32_t> cellColors_;
    std::int16_t visibleRows_ = 0;
    std::int16_t topRow_ = 0;
    std::int16_t leftCol_ = 0;
    std::int32_t currentCellIndex_ = -1;
    bool redraw_ = false;
    std::string colAlignment_;
    std::string colStyle_;
    std::vector<std::int16_t> colStyles_;
    std::vector<std::int16_t> colAlignments_;
    std::vector<bool> colReadOnlyFlags_;
    std::vector<bool> rowReadOnlyFlags_;
    bool readOnly_ = false;
    float scaleFaktor_ = 1.0f;
    bool recordSelectors_ = true;
    bool skipNextGotFocus_ = false;
    std::string focusText_;
    bool colWidthReposition_ = true;
    bool navigationBusy_ = false;

    // The editor, cell and text of the last got-focus of a text editor: leaving it validates
    // that cell even when scrolling has since put other data into the editor.
    std::int32_t focusIndex_ = -1;
    std::int32_t focusCol_ = -1;
    std::int32_t focusRow_ = -1;

    bool wheelSubscribed_ = false;
    platform::WindowHandle wheelWindow_ = 0;
};

// The grid's split: tokens from 0, one trailing separator ignored, an empty text gives none.
// Unlike the shared Split it has no length limit, so long cells are kept.
std::vector<std::string> SplitTokens(std::string_view text, std::string_view separator);

// ceiling(14 x factor) as the control computes it.
std::int16_t ScaledRowHeight(float factor);

}  // namespace grid
