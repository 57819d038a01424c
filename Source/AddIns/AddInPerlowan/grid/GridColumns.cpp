// Column settings of the grid (headers, widths, styles, alignments, read-only flags, colours,
// selectors, redraw) and how the control keeps them in its container's property bag.
#include <algorithm>
#include <cmath>
#include <limits>

#include "Debug.h"
#include "MemberRows.h"
#include "QorSimpleGrid.h"
#include "Text.h"
#include "mGlobSub.h"

namespace grid {

namespace {

std::int16_t ToInt16(double value) {
    return rt::Variant(value).ToInteger();  // rounds half to even, 6 when it does not fit
}

// Per-column codes of a "|" text, padded with 0 or cut to `count`. Raises 6 for a code that
// does not fit 16 bits, before anything is changed.
std::vector<std::int16_t> ParseCodes(const std::string& text, std::int16_t count) {
    std::vector<std::string> tokens;
    Split(text, "|", tokens);
    std::vector<std::int16_t> codes(std::max<std::int16_t>(count, 0), 0);
    for (std::size_t i = 0; i < codes.size() && i < tokens.size(); ++i)
        codes[i] = ToInt16(rt::Val(tokens[i]));
    return codes;
}

// A stored value converted to the field's type; a value that does not convert is reported and
// the reading default used, so garbage in the bag never stops the control from loading.
template <class V>
V ReadSetting(const forms::PropertyBag& bag, std::string_view key, const V& defaultValue) {
    try {
        return forms::rows::FromVariant<V>(bag.ReadProperty(key, rt::Variant(defaultValue)));
    } catch (const rt::RuntimeError& e) {
        PERLOWAN_DEBUG("grid",
                       "stored property " + std::string(key) + " ignored: " + e.Description());
        return defaultValue;
    }
}

}  // namespace

// ------------------------------------------------------------------------------ headers

void QorSimpleGrid::ResizeColumnArrays() {
    colStyles_.resize(std::max<std::int16_t>(cols_, 0), 0);
    colAlignments_.resize(std::max<std::int16_t>(cols_, 0), 0);
    colReadOnlyFlags_.resize(static_cast<std::size_t>(std::max<std::int16_t>(cols_, 0)) + 1, false);
}

void QorSimpleGrid::BuildHeaders(const std::string& ptHeader) {
    if (!ptHeader.empty()) colHeader_ = ptHeader;
    const auto tokens = SplitTokens(colHeader_, "|");
    if (tokens.size() > 32767) rt::Raise(rt::err::Overflow);
    const auto newCols = static_cast<std::int16_t>(tokens.size());
    const std::int16_t oldCols = cols_;
    ReshapeColumns(newCols);
    cols_ = newCols;
    ResizeColumnArrays();

    const float rowTop = txtInput(0).Top();
    for (std::int32_t i = cmdHeader.UBound() + 1; i < cols_; ++i) {
        auto& previous = cmdHeader(i - 1);
        auto& header = cmdHeader.Load(i);
        header.Move(previous.Left() + previous.Width(), previous.Top());
        EnsureCellControlsLoaded(i);
        PlaceTextEditor(i, i, rowTop);
        if (ColStyleCode(i) == 1) {
            if (!chkCell.Exists(i)) chkCell.Load(i);
            PlaceCheckBox(i, i, cmdSelectors(0).Top(), cmdSelectors(0).Height());
            chkCell(i).SetEnabled(true);
            chkCell(i).ZOrder(0);
        }
    }
    for (std::int32_t i = cmdHeader.UBound(); i >= std::max<std::int32_t>(cols_, 1); --i) {
        cmdHeader.Unload(i);
        if (i < oldCols) {
            if (txtInput.Exists(i)) txtInput.Unload(i);
            if (txtInputC.Exists(i)) txtInputC.Unload(i);
            if (chkCell.Exists(i)) chkCell.Unload(i);
        }
    }
    cmdHeader(0).SetVisible(cols_ > 0);
    for (std::int32_t i = 0; i < cols_; ++i) {
        auto& header = cmdHeader(i);
        header.SetCaption(tokens[i]);
        header.SetVisible(true);
        header.ZOrder(0);
        EnsureCellControlsLoaded(i);
        ShowCellEditors(i, i, true);
        GetTextControl(i, i).ZOrder(0);
    }
}

void QorSimpleGrid::SetColHeader(const std::string& ptHeader) {
    const std::string effective = ptHeader.empty() ? colHeader_ : ptHeader;
    if (Ambient().UserMode) {
        auto unloadAbove0 = [this](forms::ControlArrayBase& array) {
            const auto indexes = array.Indexes();
            for (auto it = indexes.rbegin(); it != indexes.rend(); ++it) {
                if (*it < 1) continue;
                try {
                    array.Unload(*it);
                } catch (const rt::RuntimeError& e) {
                    PERLOWAN_DEBUG("grid", "ColHeader: unload of " + array.Name() +
                                               " skipped: " + e.Description());
                }
            }
        };
        unloadAbove0(txtInput);
        unloadAbove0(txtInputC);
        unloadAbove0(chkCell);
        unloadAbove0(cmdHeader);
        unloadAbove0(cmdSelectors);
        const auto count = SplitTokens(effective, "|").size();
        colStyles_.resize(count, 0);
        colAlignments_.resize(count, 0);
        colReadOnlyFlags_.resize(count + 1, false);
    }
    BuildHeaders(ptHeader);
    PropertyChanged("Header");
}

void QorSimpleGrid::SetColHeaderText(std::int16_t piColIndex, std::string ptText) {
    cmdHeader(piColIndex).SetCaption(std::move(ptText));
    FitHeaderCaption(piColIndex, false);
}

std::string QorSimpleGrid::HeaderText(std::int16_t piColumn) const {
    return cmdHeader(piColumn).Caption();
}

void QorSimpleGrid::SetHeaderText(std::int16_t piColumn, std::string ptValue) {
    cmdHeader(piColumn).SetCaption(std::move(ptValue));
}

void QorSimpleGrid::FitHeaderCaption(std::int16_t col, bool useTooltip) {
    auto& header = cmdHeader(col);
    const std::string text =
        useTooltip && !header.ToolTipText().empty() ? header.ToolTipText() : header.Caption();
    const float available = header.Width() - 15;
    if (TextWidth(text) <= available) {
        header.SetToolTipText("");
        return;
    }
    header.SetToolTipText(text);
    const std::int32_t length = rt::Len(text);
    std::int32_t n = length;
    for (; n >= 1; --n) {
        if (TextWidth(rt::Left(text, n)) <= available) break;
    }
    // Nothing fits: only the dots show.
    std::string caption = n >= 1 ? rt::Left(text, n) : std::string();
    caption.append(static_cast<std::size_t>(std::min(3, length - n)), '.');
    header.SetCaption(std::move(caption));
}

// ------------------------------------------------------------------------------ widths

std::string QorSimpleGrid::ColWidthAll() const {
    std::string all;
    for (std::int32_t i = 0; i < cols_; ++i) {
        if (!cmdHeader.Exists(i)) {
            PERLOWAN_DEBUG("grid", "ColWidthAll: no header " + std::to_string(i));
            break;
        }
        if (i > 0) all += '|';
        all += rt::NumberText(cmdHeader(i).Width());
    }
    return all;
}

void QorSimpleGrid::SetColWidthAll(const std::string& ptColWidthAll) {
    const auto tokens = SplitTokens(ptColWidthAll, "|");
    for (std::size_t i = 0; i < tokens.size() && i < static_cast<std::size_t>(cols_); ++i) {
        try {
            const double width = rt::Val(tokens[i]);
            if (!(std::fabs(width) <= std::numeric_limits<float>::max()))
                rt::Raise(rt::err::Overflow);
            cmdHeader(static_cast<int>(i)).SetWidth(static_cast<float>(width));
        } catch (const rt::RuntimeError& e) {
            PERLOWAN_DEBUG("grid", "ColWidthAll: width " + tokens[i] + " of column " +
                                       std::to_string(i) + " ignored: " + e.Description());
        }
    }
    if (cols_ > 0) {
        float left = cmdHeader(0).Left();
        for (std::int32_t i = 0; i < cols_ && cmdHeader.Exists(i); ++i) {
            cmdHeader(i).SetLeft(left);
            left += cmdHeader(i).Width();
        }
    }
    for (std::int32_t i = 0; i < cols_; ++i) {
        if (!txtInput.Exists(i) || !txtInputC.Exists(i)) continue;
        PlaceTextEditor(i, i, txtInput(i).Top());
        if (ColStyleCode(i) == 1 && chkCell.Exists(i))
            PlaceCheckBox(i, i, cmdSelectors(0).Top(), cmdSelectors(0).Height());
    }
    PaintGridLines();
    PropertyChanged("ColWidthAll");
}

std::int16_t QorSimpleGrid::ColWidth(std::int16_t piSpalte) const {
    return ToInt16(cmdHeader(piSpalte).Width());
}

// Moves the editors of the columns fromCol..toCol (all rows) against their headers, keeping
// their tops; with `widths` their widths follow the headers too.
void QorSimpleGrid::RepositionColumnEditors(std::int16_t fromCol, std::int16_t toCol, bool widths) {
    for (int k : txtInput.Indexes()) {
        const auto c = static_cast<std::int32_t>(rt::Val(txtInput(k).Tag()));
        if (c < fromCol || c > toCol || !cmdHeader.Exists(c)) continue;
        const auto& header = cmdHeader(c);
        auto& editor = txtInput(k);
        const float width =
            widths ? std::max(0.0f, header.Width() - 1 - 2.0f * borderAbstand_) : editor.Width();
        editor.Move(header.Left() + borderAbstand_, editor.Top(), width);
        if (txtInputC.Exists(k)) txtInputC(k).Move(editor.Left(), editor.Top(), width);
        if (chkCell.Exists(k))
            chkCell(k).SetLeft(header.Left() + (header.Width() - chkCell(k).Width()) / 2);
    }
}

void QorSimpleGrid::SetColWidth(std::int16_t piSpalte, std::int16_t piColWidth) {
    if (piSpalte < 0 || piSpalte >= cols_)
        rt::RaiseControlArrayElementMissing(piSpalte, "cmdHeader");
    std::string list;
    for (std::int32_t i = 0; i < cols_; ++i) {
        if (i > 0) list += '|';
        list += rt::NumberText(i == piSpalte ? double(piColWidth) * scaleFaktor_
                                             : double(cmdHeader(i).Width()));
    }
    SetColWidthAll(list);
    RepositionColumnEditors(piSpalte, piSpalte, true);
    if (colWidthReposition_)
        RepositionColumnEditors(static_cast<std::int16_t>(piSpalte + 1),
                                static_cast<std::int16_t>(cols_ - 1), false);
    RestartTooltipTimer();
    ResumePainting();
}

void QorSimpleGrid::SetColWidthReposition(bool pbColWidthReposition) {
    colWidthReposition_ = pbColWidthReposition;
    PropertyChanged("ColWidthReposition");
}

void QorSimpleGrid::SetLeftCol(std::int16_t piLeftCol) {
    leftCol_ = piLeftCol;
    PropertyChanged("LeftCol");
}

// ------------------------------------------------------------------------------ styles

void QorSimpleGrid::ApplyColAlignment() {
    colAlignments_ = ParseCodes(colAlignment_, cols_);
}

void QorSimpleGrid::ApplyColStyle() {
    colStyles_ = ParseCodes(colStyle_, cols_);
    if (cols_ <= 0) return;
    const float rowHeight = cmdSelectors(0).Height();
    for (int i : txtInput.Indexes()) {
        if (ColStyleCode(i % cols_) != 1) continue;
        try {
            if (!chkCell.Exists(i)) chkCell.Load(i);
            auto& box = chkCell(i);
            const auto& editor = txtInput(i);
            box.Move(editor.Left() + (editor.Width() - box.Width()) / 2,
                     editor.Top() - 1 + (rowHeight - box.Height()) / 2);
            box.SetVisible(true);
            box.ZOrder(0);
            txtInput(i).SetVisible(false);
            if (txtInputC.Exists(i)) txtInputC(i).SetVisible(false);
        } catch (const rt::RuntimeError& e) {
            PERLOWAN_DEBUG("grid",
                           "ColStyle: check box " + std::to_string(i) + ": " + e.Description());
        }
    }
}

void QorSimpleGrid::SetColAlignment(std::string ptColAlignment) {
    auto codes = ParseCodes(ptColAlignment, cols_);
    colAlignment_ = std::move(ptColAlignment);
    colAlignments_ = std::move(codes);
    PropertyChanged("ColAlignment");
}

void QorSimpleGrid::SetColStyle(std::string ptColStyle) {
    ParseCodes(ptColStyle, cols_);  // 6 before anything changes
    colStyle_ = std::move(ptColStyle);
    ApplyColStyle();
    LayoutGrid();
    PropertyChanged("ColStyle");
}

std::string QorSimpleGrid::ColStyleCol(std::int16_t piColumn) const {
    const auto tokens = SplitTokens(colStyle_, "|");
    if (piColumn < 0 || piColumn >= static_cast<std::int32_t>(tokens.size())) return {};
    return tokens[piColumn];
}

// ------------------------------------------------------------------------------ read-only

void QorSimpleGrid::SetReadOnly(bool pbReadonly) {
    readOnly_ = pbReadonly;
    ResizeHandling();
    PropertyChanged("ReadOnly");
}

bool QorSimpleGrid::ColReadOnly(std::int16_t piSpalte) const {
    if (piSpalte < 0 || piSpalte >= static_cast<std::int32_t>(colReadOnlyFlags_.size()))
        rt::Raise(rt::err::SubscriptOutOfRange);
    return colReadOnlyFlags_[piSpalte];
}

void QorSimpleGrid::SetColReadOnly(std::int16_t piSpalte, bool pbReadonly) {
    if (piSpalte < 0 || piSpalte >= static_cast<std::int32_t>(colReadOnlyFlags_.size()))
        rt::Raise(rt::err::SubscriptOutOfRange);
    colReadOnlyFlags_[piSpalte] = pbReadonly;
    const bool locked = pbReadonly || readOnly_;
    for (int i : txtInput.Indexes()) {
        if (static_cast<std::int32_t>(rt::Val(txtInput(i).Tag())) != piSpalte) continue;
        txtInput(i).SetLocked(locked);
        if (txtInputC.Exists(i)) txtInputC(i).SetLocked(locked);
        if (ColStyleCode(piSpalte) == 1 && chkCell.Exists(i)) chkCell(i).SetEnabled(!locked);
    }
}

void QorSimpleGrid::SetRowReadOnly(std::int16_t piRow, bool pbReadonly) {
    if (piRow < 0) rt::Raise(rt::err::SubscriptOutOfRange);
    if (static_cast<std::size_t>(piRow) >= rowReadOnlyFlags_.size())
        rowReadOnlyFlags_.resize(static_cast<std::size_t>(piRow) + 1, false);
    rowReadOnlyFlags_[piRow] = pbReadonly;
    const std::int32_t r = piRow - topRow_;
    if (r < 0 || r > visibleRows_) return;
    const bool locked = pbReadonly || readOnly_;
    for (std::int32_t c = 0; c < cols_; ++c) {
        const std::int32_t i = r * cols_ + c;
        if (!txtInput.Exists(i)) continue;
        txtInput(i).SetLocked(locked);
        if (txtInputC.Exists(i)) txtInputC(i).SetLocked(locked);
        if (ColStyleCode(c) == 1 && chkCell.Exists(i)) chkCell(i).SetEnabled(!locked);
    }
}

// ------------------------------------------------------------------------------ switches

void QorSimpleGrid::SetRecordSelectors(bool pbRecordSelectors) {
    recordSelectors_ = pbRecordSelectors;
    for (int i : cmdSelectors.Indexes())
        if (i < rows_) cmdSelectors(i).SetVisible(pbRecordSelectors);
    cmdSelectorAll.SetVisible(pbRecordSelectors);
    PropertyChanged("RecordSelectors");
}

void QorSimpleGrid::SetRedraw(bool pbRedraw) {
    redraw_ = pbRedraw;
    PropertyChanged("Redraw");
    if (!pbRedraw) return;
    ResizeHandling();
    if (visibleRows_ >= 1 && visibleRows_ < rows_) {
        vscrGrid.SetMax(rows_ - visibleRows_);
        vscrGrid.SetLargeChange(visibleRows_);
        vscrGrid.SetVisible(true);
    }
}

// ------------------------------------------------------------------------------ property bag

void QorSimpleGrid::OnInitProperties() {
    colHeader_ = "Spalte 1";
    BuildHeaders(colHeader_);
}

void QorSimpleGrid::OnReadProperties(forms::PropertyBag& bag) {
    const float fontSize = ReadSetting<float>(bag, "Fontsize", txtInput(0).FontSize());
    try {
        SetFontSize(fontSize);
    } catch (const rt::RuntimeError& e) {
        PERLOWAN_DEBUG("grid", "stored Fontsize ignored: " + e.Description());
    }
    colWidthReposition_ = ReadSetting<bool>(bag, "ColWidthReposition", true);
    recordSelectors_ = ReadSetting<bool>(bag, "RecordSelectors", true);
    readOnly_ = ReadSetting<bool>(bag, "ReadOnly", false);
    redraw_ = true;
    leftCol_ = ReadSetting<std::int16_t>(bag, "LeftCol", 0);
    // The header decides the number of columns; the stored count only sizes the arrays early.
    const std::int16_t storedCols = ReadSetting<std::int16_t>(bag, "Cols", 0);
    if (storedCols > 0) {
        colStyles_.assign(storedCols, 0);
        colAlignments_.assign(storedCols, 0);
        colReadOnlyFlags_.assign(storedCols, false);
    }
    BuildHeaders(ReadSetting<std::string>(bag, "Header", "Spalte 1"));
    SetColWidthAll(ReadSetting<std::string>(bag, "ColWidthAll", ""));
    // A stored per-column text the columns cannot take is dropped for the empty default.
    const auto readPerColumn = [&](const char* name, std::string& setting,
                                   void (QorSimpleGrid::*apply)()) {
        setting = ReadSetting<std::string>(bag, name, "");
        try {
            (this->*apply)();
        } catch (const rt::RuntimeError& e) {
            PERLOWAN_DEBUG("grid", std::string("stored ") + name + " ignored: " + e.Description());
            setting.clear();
            (this->*apply)();
        }
    };
    readPerColumn("ColStyle", colStyle_, &QorSimpleGrid::ApplyColStyle);
    readPerColumn("ColAlignment", colAlignment_, &QorSimpleGrid::ApplyColAlignment);
    currentCellIndex_ = 0;
    ResizeHandling();
    redraw_ = ReadSetting<bool>(bag, "Redraw", false);
    SubscribeWheel();
}

void QorSimpleGrid::OnWriteProperties(forms::PropertyBag& bag) {
    bag.WriteProperty("Fontsize", txtInput(0).FontSize(), 0.0f);
    bag.WriteProperty("ColWidthReposition", colWidthReposition_, true);
    bag.WriteProperty("RecordSelectors", recordSelectors_, true);
    bag.WriteProperty("ReadOnly", readOnly_, false);
    bag.WriteProperty("ColStyle", colStyle_, "");
    bag.WriteProperty("ColAlignment", colAlignment_, "");
    bag.WriteProperty("Redraw", redraw_, false);
    bag.WriteProperty("LeftCol", leftCol_, std::int16_t{0});
    bag.WriteProperty("ColWidthAll", ColWidthAll(), "");
    bag.WriteProperty("Cols", cols_, std::int16_t{0});
    bag.WriteProperty("Header", colHeader_, "");
    UnsubscribeWheel();
}

}  // namespace grid
