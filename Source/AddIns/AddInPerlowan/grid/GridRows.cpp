// Rows of the grid: appending, the first shown row, and the scroll handling that shifts the data
// under the fixed editors while the current cell, its selection and the row marker move along.
#include "Debug.h"
#include "QorSimpleGrid.h"

namespace grid {

void QorSimpleGrid::AddItem(std::string_view ptZeile) {
    if (rows_ == INT32_MAX) rt::Raise(rt::err::Overflow);
    // The row's TAB-separated texts as SplitTokens cuts them (one trailing TAB ignored), padded
    // with empty texts or cut to the columns; each text is copied straight into its cell.
    if (!ptZeile.empty() && ptZeile.back() == '\t') ptZeile.remove_suffix(1);
    bool more = !ptZeile.empty();
    for (std::int32_t c = 0; c < cols_; ++c) {
        std::string_view token;
        if (more) {
            const std::size_t tab = ptZeile.find('\t');
            token = ptZeile.substr(0, tab);
            if (tab == std::string_view::npos)
                more = false;
            else
                ptZeile.remove_prefix(tab + 1);
        }
        cellValues_.emplace_back(token);
        cellColors_.push_back(kWhite);
    }
    ++rows_;
    if (!redraw_) return;
    const double fit =
        (double(ScaleHeight()) - cmdHeader(0).Height()) / (double(txtInput(0).Height()) + 1);
    if (fit >= rows_ - topRow_) {
        LayoutGrid();
    } else if (visibleRows_ > 0 && visibleRows_ < rows_) {
        vscrGrid.SetMax(rows_ - visibleRows_);
        vscrGrid.SetLargeChange(visibleRows_);
        vscrGrid.SetVisible(true);
    }
}

void QorSimpleGrid::SetTopRow(std::int16_t value) {
    std::int32_t row = value;
    if (row < 0) row = 0;
    if (row > vscrGrid.Max()) row = vscrGrid.Max();
    topRow_ = static_cast<std::int16_t>(row);
    vscrGrid.SetTag(std::string(kNoChange));
    try {
        vscrGrid.SetValue(row);
    } catch (const rt::RuntimeError&) {
        vscrGrid.SetTag("");
        throw;
    }
    vscrGrid.SetTag("");
    if (redraw_) RefreshVisibleCells();
}

void QorSimpleGrid::ScrollHandling() {
    if (vscrGrid.Tag() == kNoChange) return;
    const std::int32_t value = vscrGrid.Value();
    if (value > 32767) rt::Raise(rt::err::Overflow);  // TopRow is a 16-bit field
    ClearMarker();
    std::int32_t newIndex = -1;
    if (currentCellIndex_ >= 0 && cols_ > 0)
        newIndex = currentCellIndex_ + cols_ * (topRow_ - value);
    const std::int32_t lastEditor = std::min<std::int32_t>(
        txtInput.Count() ? txtInput.UBound() : -1, (visibleRows_ + 1) * cols_ - 1);
    const bool carried = newIndex >= 0 && newIndex <= lastEditor;
    int selStart = 0, selLength = 0;
    if (carried) {
        try {
            const auto& old = GetTextControl(currentCellIndex_);
            selStart = old.SelStart();
            selLength = old.SelLength();
        } catch (const rt::RuntimeError& e) {
            PERLOWAN_DEBUG("grid", "scroll: selection not kept: " + e.Description());
        }
    }
    topRow_ = static_cast<std::int16_t>(value);
    RefreshVisibleCells();

    if (carried) {
        const std::int32_t col = newIndex % cols_;
        // The current cell follows even when its editor cannot take the focus.
        currentCellIndex_ = newIndex;
        try {
            if (ColStyleCode(col) == 1) {
                chkCell(newIndex).SetFocus();
            } else {
                auto& editor = GetTextControl(newIndex, col);
                editor.SetFocus();
                editor.SetSelStart(selStart);
                editor.SetSelLength(selLength);
            }
        } catch (const rt::RuntimeError& e) {
            PERLOWAN_DEBUG("grid", "scroll: editor " + std::to_string(newIndex) +
                                       " not focused: " + e.Description());
        }
        try {
            MoveMarkerTo(newIndex / cols_);
        } catch (const rt::RuntimeError& e) {
            PERLOWAN_DEBUG("grid", "scroll: marker not moved: " + e.Description());
        }
        Scroll();
        return;
    }
    currentCellIndex_ = -1;
    try {
        picCellBg.SetFocus();
    } catch (const rt::RuntimeError& e) {
        PERLOWAN_DEBUG("grid", "scroll: focus not dropped: " + e.Description());
    }
    Scroll();
}

}  // namespace grid
