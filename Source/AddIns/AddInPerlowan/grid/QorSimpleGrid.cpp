#include "QorSimpleGrid.h"

#include <cmath>

#include "Debug.h"
#include "KeyState.h"
#include "Text.h"
#include "mSubclass.h"

namespace grid {

namespace {

std::int16_t CheckedInt16(std::int64_t value) {
    if (value < -32768 || value > 32767) rt::Raise(rt::err::Overflow);
    return static_cast<std::int16_t>(value);
}

}  // namespace

std::vector<std::string> SplitTokens(std::string_view text, std::string_view separator) {
    std::vector<std::string> tokens;
    if (text.empty() || separator.empty()) return tokens;
    if (text.size() >= separator.size() && text.substr(text.size() - separator.size()) == separator)
        text.remove_suffix(separator.size());
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = text.find(separator, from);
        if (at == std::string_view::npos) {
            tokens.emplace_back(text.substr(from));
            return tokens;
        }
        tokens.emplace_back(text.substr(from, at - from));
        from = at + separator.size();
    }
}

std::int16_t ScaledRowHeight(float factor) {
    const float product = 14.0f * factor;
    const std::string text = rt::Variant(product).ToString();
    const auto separator = text.find_first_of(",.");
    if (separator == std::string::npos) return CheckedInt16(std::llround(product));
    return CheckedInt16(static_cast<std::int64_t>(rt::Val(text.substr(0, separator))) + 1);
}

QorSimpleGrid::QorSimpleGrid(std::string name) : UserControl(std::move(name)) {
    DesignLayout();
    WireConstituents();
    InitProperties = [this] { OnInitProperties(); };
    ReadProperties = [this](forms::PropertyBag& bag) { OnReadProperties(bag); };
    WriteProperties = [this](forms::PropertyBag& bag) { OnWriteProperties(bag); };
    Resize = [this] { ResizeHandling(); };
    // The surface's own key event (UserControl_KeyDown) goes to the host as the grid's KeyDown.
    forms::Control::KeyDown = [this](std::int16_t& keyCode, std::int16_t& shiftState) {
        KeyDown(keyCode, shiftState);
    };
}

QorSimpleGrid::~QorSimpleGrid() {
    UnsubscribeAll();
}

// The design of the control: a corner button, one header, one selector and the editors of the
// first cell, all 15 pixels a row; scroll bars, slider and the picture hidden.
void QorSimpleGrid::DesignLayout() {
    cmdSelectorAll.Move(0, 0, 15, 15);
    cmdHeader(0).Move(15, 0, 100, 15);
    cmdSelectors(0).Move(0, 15, 15, 15);
    txtInput(0).Move(15 + 2, 16, 100 - 1 - 4, 14);
    txtInputC(0).Move(15 + 2, 16, 100 - 1 - 4, 14);
    txtInputC(0).SetAlignment(2);
    txtInputC(0).SetVisible(false);
    chkCell(0).Move(15 + (100 - 13) / 2.0f, 15 + 1, 13, 13);
    chkCell(0).SetVisible(false);
    for (auto* editor : {&txtInput(0), &txtInputC(0)}) editor->SetBackColor(kWhite);
    picCellBg.SetScaleMode(3);
    picCellBg.SetBackColor(kWhite);
    picCellBg.SetForeColor(0xC0C0C0);
    picCellBg.Move(0, 15, 115, 16);
    picSlider.SetScaleMode(3);
    picSlider.SetBackColor(forms::color::Grey);
    picSlider.Move(0, 0, 2, 15);
    picSlider.SetVisible(false);
    imgSelector.SetVisible(false);
    vscrGrid.Move(0, 0, 17, 100);
    vscrGrid.SetMax(0);
    vscrGrid.SetVisible(false);
    hscrGrid.Move(1, 0, 100, 17);
    hscrGrid.SetMax(0);
    hscrGrid.SetVisible(false);
    tmrSetFocus.SetInterval(50);
    tmrSetFocus.SetEnabled(false);
    tmrColWidth.SetInterval(50);
    tmrColWidth.SetEnabled(false);
    tmrUpdateTooltips.SetInterval(100);
    tmrUpdateTooltips.SetEnabled(false);
}

// Handlers of the constituents; both text editor arrays share theirs.
void QorSimpleGrid::WireConstituents() {
    const auto textEditor = [this](forms::TextBox& box, int index) {
        box.Change = [this, &box, index] { EditorChange(box, index); };
        box.GotFocus = [this, index] { EditorGotFocus(index, currentCellIndex_); };
        box.LostFocus = [this, &box, index] { EditorLostFocus(box, index); };
        box.KeyDown = [this, &box, index](std::int16_t& keyCode, std::int16_t& shift) {
            EditorKeyDown(box, index, keyCode, shift);
        };
        box.DblClick = [this] { DblClick(); };
    };
    txtInput.Wire(textEditor);
    txtInputC.Wire(textEditor);
    chkCell.Wire([this](forms::CheckBox& box, int index) {
        box.Click = [this, index] { CheckBoxClick(index); };
        box.GotFocus = [this, index] { CheckBoxGotFocus(index); };
        box.KeyDown = [this, index](std::int16_t& keyCode, std::int16_t& shift) {
            NavigateCell(index, keyCode, shift);
        };
    });
    EnterFocus = [this] { UserControlEnterFocus(); };

    cmdHeader.Wire([this](forms::CommandButton& header, int index) {
        header.MouseMove = [this, index](std::int16_t button, std::int16_t, float x, float) {
            HeaderMouseMove(index, button, x);
        };
        header.MouseDown = [this, index](std::int16_t button, std::int16_t, float x, float) {
            HeaderMouseDown(index, button, x);
        };
        header.MouseUp = [this, index](std::int16_t button, std::int16_t, float, float) {
            HeaderMouseUp(index, button);
        };
        header.Click = [this] { HeaderClick(); };
        header.GotFocus = [this] { NoCurrentCell(); };
    });
    tmrColWidth.Tick = [this] { ColWidthTimer(); };

    cmdSelectors.Wire([this](forms::CommandButton& selector, int index) {
        selector.Click = [this, index] { SelectorClick(index); };
        selector.GotFocus = [this] { NoCurrentCell(); };
    });
    cmdSelectorAll.Click = [this] { FocusBackground("corner button"); };
    cmdSelectorAll.GotFocus = [this] { NoCurrentCell(); };
    tmrSetFocus.Tick = [this] { SetFocusTimer(); };
    tmrUpdateTooltips.Tick = [this] { UpdateTooltipsTimer(); };

    vscrGrid.Change = [this] { ScrollHandling(); };
    vscrGrid.Scroll = [this] { ScrollHandling(); };
}

// ------------------------------------------------------------------------------ cell mapping

std::int32_t QorSimpleGrid::CellToIndex(std::int32_t col, std::int32_t row) const {
    return (row - topRow_) * cols_ + col;
}

void QorSimpleGrid::IndexToCell(std::int32_t index, std::int32_t& col, std::int32_t& row) const {
    if (cols_ <= 0) {  // no columns: nothing to address
        col = -1;
        row = topRow_;
        return;
    }
    col = index % cols_;
    row = index / cols_ + topRow_;
}

std::int16_t QorSimpleGrid::ColStyleCode(int col) const {
    return col >= 0 && col < static_cast<int>(colStyles_.size()) ? colStyles_[col] : 0;
}

std::int16_t QorSimpleGrid::ColAlignmentCode(int col) const {
    return col >= 0 && col < static_cast<int>(colAlignments_.size()) ? colAlignments_[col] : 0;
}

forms::Control& QorSimpleGrid::GetCellControl(std::int32_t col, std::int32_t row) {
    const std::int32_t i = CellToIndex(col, row);
    if (ColStyleCode(col) == 1) return chkCell(i);
    if (ColAlignmentCode(col) == 1) return txtInputC(i);
    return txtInput(i);
}

forms::TextBox& QorSimpleGrid::GetTextControl(std::int32_t index, std::int32_t col) {
    if (col == -1 && cols_ > 0) col = index % cols_;
    return ColAlignmentCode(col) == 1 ? txtInputC(index) : txtInput(index);
}

bool QorSimpleGrid::IsCellReadOnly(std::int32_t col, std::int32_t row) const {
    const auto flag = [](const std::vector<bool>& flags, std::int32_t i) {
        return i >= 0 && i < static_cast<std::int32_t>(flags.size()) && flags[i];
    };
    return readOnly_ || flag(colReadOnlyFlags_, col) || flag(rowReadOnlyFlags_, row);
}

bool QorSimpleGrid::EnsureCellControlsLoaded(std::int32_t index) {
    if (txtInput.Exists(index)) return false;
    txtInput.Load(index);
    if (!txtInputC.Exists(index)) txtInputC.Load(index);
    txtInput(index).SetTag(std::to_string(cols_ > 0 ? index % cols_ : 0));
    return true;
}

// ------------------------------------------------------------------------------ cell storage

std::size_t QorSimpleGrid::Slot(std::int32_t col, std::int32_t row) const {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(cols_) +
           static_cast<std::size_t>(col);
}

bool QorSimpleGrid::InData(std::int32_t col, std::int32_t row) const {
    return col >= 0 && col < cols_ && row >= 0 && row < rows_;
}

// Keeps the texts of the columns that remain when the number of columns changes.
void QorSimpleGrid::ReshapeColumns(std::int16_t newCols) {
    if (newCols == cols_ || rows_ == 0) return;
    const std::size_t total = static_cast<std::size_t>(rows_) * static_cast<std::size_t>(newCols);
    std::vector<std::string> values(total);
    std::unordered_map<std::size_t, std::string> initial;
    std::vector<std::int32_t> colors(total, kWhite);
    const std::int32_t kept = std::min(cols_, newCols);
    for (std::int32_t r = 0; r < rows_; ++r)
        for (std::int32_t c = 0; c < kept; ++c) {
            const std::size_t to = static_cast<std::size_t>(r) * newCols + c;
            values[to] = std::move(cellValues_[Slot(c, r)]);
            if (auto it = initialValues_.find(Slot(c, r)); it != initialValues_.end())
                initial[to] = std::move(it->second);
            colors[to] = cellColors_[Slot(c, r)];
        }
    cellValues_ = std::move(values);
    initialValues_ = std::move(initial);
    cellColors_ = std::move(colors);
}

std::string QorSimpleGrid::CellValue(std::int16_t piColumn, std::int16_t piRow) const {
    if (!InData(piColumn, piRow)) return {};
    return cellValues_[Slot(piColumn, piRow)];
}

std::string QorSimpleGrid::InitialValue(std::int32_t col, std::int32_t row) const {
    if (!InData(col, row)) return {};
    const auto it = initialValues_.find(Slot(col, row));
    return it != initialValues_.end() ? it->second : cellValues_[Slot(col, row)];
}

void QorSimpleGrid::StoreCellValue(std::int32_t col, std::int32_t row, std::string value) {
    if (!InData(col, row)) rt::Raise(rt::err::SubscriptOutOfRange);
    std::string& cell = cellValues_[Slot(col, row)];
    if (cell == value) return;
    initialValues_.try_emplace(Slot(col, row), std::move(cell));
    cell = std::move(value);
}

void QorSimpleGrid::SetCellValue(std::int16_t piColumn, std::int16_t piRow, std::string ptValue) {
    StoreCellValue(piColumn, piRow, ptValue);
    const std::int32_t i = CellToIndex(piColumn, piRow);
    if (i == currentCellIndex_) {
        try {
            GetTextControl(i, piColumn).SetText(std::move(ptValue));
        } catch (const rt::RuntimeError& e) {
            PERLOWAN_DEBUG(
                "grid", std::string("CellValue: focused editor not updated: ") + e.Description());
        }
    }
    if (redraw_) RefreshVisibleCells();
}

std::int32_t QorSimpleGrid::CellBGColor(std::int16_t piCol, std::int16_t piRow) const {
    if (!InData(piCol, piRow)) rt::Raise(rt::err::SubscriptOutOfRange);
    return cellColors_[Slot(piCol, piRow)];
}

void QorSimpleGrid::SetCellBGColor(std::int16_t piCol, std::int16_t piRow,
                                   std::int32_t plColBGColor) {
    if (!InData(piCol, piRow)) rt::Raise(rt::err::SubscriptOutOfRange);
    cellColors_[Slot(piCol, piRow)] = plColBGColor;
}

// ------------------------------------------------------------------------------ current cell

void QorSimpleGrid::ClearMarker() {
    for (int i : cmdSelectors.Indexes()) {
        auto& selector = cmdSelectors(i);
        if (rt::Val(selector.Tag()) != 0) {
            selector.SetCaption("");
            selector.SetTag("");
        }
    }
}

void QorSimpleGrid::MoveMarkerTo(std::int32_t visibleRow) {
    ClearMarker();
    auto& selector = cmdSelectors(visibleRow);
    selector.SetCaption(selectorGlyph_);
    selector.SetTag("-1");
}

void QorSimpleGrid::SetCurrentCellIndexWithGotFocus(std::int32_t index,
                                                    std::int32_t previousIndex) {
    currentCellIndex_ = index;
    EditorGotFocus(index, previousIndex);
}

std::int32_t QorSimpleGrid::CurrentRow() const {
    if (currentCellIndex_ < 0) return topRow_;
    std::int32_t col = 0, row = 0;
    IndexToCell(currentCellIndex_, col, row);
    return row;
}

std::int32_t QorSimpleGrid::CurrentCol() const {
    if (currentCellIndex_ < 0) return -1;
    std::int32_t col = 0, row = 0;
    IndexToCell(currentCellIndex_, col, row);
    return col;
}

void QorSimpleGrid::SetCurrentCol(std::int32_t plNewCol) {
    if (plNewCol < 0 || plNewCol >= cols_) rt::Raise(rt::err::SubscriptOutOfRange);
    const std::int32_t previous = currentCellIndex_;
    const std::int32_t row = CurrentRow();  // TopRow without a current cell
    SetCurrentCellIndexWithGotFocus(CellToIndex(plNewCol, row), previous);
}

void QorSimpleGrid::SetCurrentRow(std::int32_t plNewRow) {
    if (plNewRow < 0 || plNewRow >= rows_) rt::Raise(rt::err::SubscriptOutOfRange);
    const std::int32_t previous = currentCellIndex_;
    const std::int32_t col = std::max(CurrentCol(), std::int32_t{0});
    if (plNewRow >= topRow_ + visibleRows_) {
        topRow_ = CheckedInt16(std::int64_t{plNewRow} - visibleRows_);
        RefreshVisibleCells();
    } else if (plNewRow < topRow_) {
        topRow_ = CheckedInt16(plNewRow);
        RefreshVisibleCells();
    }
    // The index is taken after TopRow moved, so it names the requested row.
    SetCurrentCellIndexWithGotFocus(CellToIndex(col, plNewRow), previous);
}

void QorSimpleGrid::SelectCell(std::int16_t piCol, std::int16_t piRow, bool pbSetFocus) {
    const std::int32_t i = CellToIndex(piCol, piRow);
    for (auto* editors : {&txtInput, &txtInputC}) {
        try {
            SelectAllText((*editors)(i));
        } catch (const rt::RuntimeError& e) {
            PERLOWAN_DEBUG("grid", "SelectCell: " + e.Description());
        }
    }
    if (pbSetFocus) RequestFocus(piCol, piRow);
}

void QorSimpleGrid::CellBoundary(std::int16_t piCol, std::int16_t piRow, std::int32_t& plLeft,
                                 std::int32_t& plTop, std::int32_t& plWidth,
                                 std::int32_t& plHeight) {
    const std::int32_t i = CellToIndex(piCol, piRow);
    if (i < 0) return;
    const auto& editor = txtInput(i);
    plLeft = rt::Variant(editor.Left()).ToLong();
    plTop = rt::Variant(editor.Top()).ToLong();
    plWidth = rt::Variant(editor.Width()).ToLong();
    plHeight = rt::Variant(editor.Height()).ToLong();
}

std::string QorSimpleGrid::Text() const {
    forms::Control* active = ActiveControl();
    if (auto* box = dynamic_cast<forms::TextBox*>(active)) return box->Text();
    return {};
}

void QorSimpleGrid::Clear() {
    auto& first = txtInput(0);
    first.SetTag(std::string(kIgnoreChange));
    for (int k : txtInput.Indexes()) {
        txtInput(k).SetText("");
        if (txtInputC.Exists(k)) txtInputC(k).SetText("");
    }
    for (int k : chkCell.Indexes()) chkCell(k).SetValue(0);
    first.SetTag("");
    cellValues_.clear();
    initialValues_.clear();
    cellColors_.clear();
    rowReadOnlyFlags_.clear();
    rows_ = 0;
    topRow_ = 0;
    vscrGrid.SetTag(std::string(kNoChange));
    vscrGrid.SetValue(0);
    vscrGrid.SetTag("");
    BuildHeaders(colHeader_);
    if (redraw_) LayoutGrid();
}

// ------------------------------------------------------------------------------ appearance

void QorSimpleGrid::SetFontsize(float psFontsize) {
    txtInput(0).SetFontSize(psFontsize);
    txtInputC(0).SetFontSize(psFontsize);
    cmdHeader(0).SetFontSize(psFontsize);
    PropertyChanged("Fontsize");
}

void QorSimpleGrid::SetBlindMode(bool pbBlindMode) {
    selectorGlyph_.assign(1, pbBlindMode ? '-' : '>');
}

void QorSimpleGrid::SetBorderAbstand(std::int16_t piAbstand) {
    borderAbstand_ = piAbstand;
    RepositionColumnEditors(0, static_cast<std::int16_t>(cols_ - 1), true);
}

void QorSimpleGrid::SetScaleFaktor(float psNewFaktor) {
    if (psNewFaktor == scaleFaktor_) return;
    if (!(psNewFaktor > 0)) rt::Raise(forms::err::InvalidPropertyValue, Name());
    const std::int16_t h = ScaledRowHeight(psNewFaktor);
    scaleFaktor_ = psNewFaktor;
    const float editorFont = txtInput(0).FontSize();
    for (auto* editors : {&txtInput, &txtInputC})
        for (int k : editors->Indexes()) {
            (*editors)(k).SetHeight(h);
            (*editors)(k).SetFontSize(editorFont);
        }
    cmdSelectorAll.SetHeight(h + 1);
    const float rowHeight = cmdSelectorAll.Height();
    const float headerFont = cmdHeader(0).FontSize();
    for (int k : cmdHeader.Indexes()) {
        cmdHeader(k).SetHeight(rowHeight);
        cmdHeader(k).SetFontSize(headerFont);
    }
    float top = rowHeight;
    for (int k : cmdSelectors.Indexes()) {
        auto& selector = cmdSelectors(k);
        selector.Move(selector.Left(), top, selector.Width(), rowHeight);
        selector.SetFontSize(headerFont);
        for (int c = 0; c < cols_; ++c) {
            const std::int32_t i = k * cols_ + c;
            if (txtInput.Exists(i)) txtInput(i).SetTop(top + 1);
            if (txtInputC.Exists(i)) txtInputC(i).SetTop(top + 1);
            if (chkCell.Exists(i)) chkCell(i).SetTop(top + (rowHeight - chkCell(i).Height()) / 2);
        }
        top += rowHeight;
    }
    SetColWidthAll(ColWidthAll());
    LayoutGrid();
    PaintGridLines();
}

void QorSimpleGrid::SetZoomColumn(std::int16_t piColIndex, std::int16_t piMindestBreite) {
    float used = vscrGrid.Width() + cmdSelectorAll.Width() + 1;
    for (int k : cmdHeader.Indexes())
        if (k != piColIndex) used += cmdHeader(k).Width();
    float width = ScaleWidth() - used;
    if (width < piMindestBreite) width = piMindestBreite;
    redraw_ = false;
    try {
        SetColWidth(piColIndex, rt::Variant(double(width) / scaleFaktor_).ToInteger());
    } catch (const rt::RuntimeError&) {
        redraw_ = true;
        throw;
    }
    redraw_ = true;
}

// ------------------------------------------------------------------------------ mouse wheel

// Three rows per notch while the vertical bar shows; the bar's change handling scrolls.
std::int32_t QorSimpleGrid::WindowProc(std::int32_t, std::int32_t iMsg, std::int32_t wParam,
                                       std::int32_t) {
    if (iMsg != kMouseWheel || !vscrGrid.Visible()) return 0;
    const std::int16_t delta = platform::SignedHiWord(static_cast<std::uint32_t>(wParam));
    const int step = -(delta / platform::WHEEL_DELTA) * 3;
    if (step == 0) return 0;
    const int target = vscrGrid.Value() + step;
    try {
        vscrGrid.SetValue(target > vscrGrid.Max() ? vscrGrid.Max() : target < 0 ? 0 : target);
    } catch (const rt::RuntimeError& e) {
        // A window procedure hands no error to whoever sent the message.
        PERLOWAN_DEBUG("grid", "wheel: scroll failed: " + e.Description());
        return 0;
    }
    return 1;
}

void QorSimpleGrid::SubscribeWheel() {
    if (!Ambient().UserMode) return;
    UnsubscribeWheel();
    const platform::WindowHandle window = hWnd();
    SubscribeMessage(*this, window, kMouseWheel);
    wheelSubscribed_ = true;
    wheelWindow_ = window;
}

// The window subscribed, not hWnd(): after an unload that would make a new window.
void QorSimpleGrid::UnsubscribeWheel() {
    if (!wheelSubscribed_) return;
    UnsubscribeMessage(*this, wheelWindow_, kMouseWheel);
    wheelSubscribed_ = false;
    wheelWindow_ = 0;
}

}  // namespace grid
