// Layout and painting of the grid: how many rows fit, where the editors sit and which of a
// cell's editors shows, the refill of the visible window, the grid lines on picCellBg, painting
// suspension around refills, and the resize handling.
#include <cmath>
#include <cstdlib>
#include <functional>

#include "Debug.h"
#include "QorSimpleGrid.h"
#include "Text.h"
#include "WindowManager.h"

namespace grid {

namespace {

// Runs one layout statement; a failing one is skipped and the layout goes on.
void Skippable(const char* what, const std::function<void()>& statement) {
    try {
        statement();
    } catch (const rt::RuntimeError& e) {
        PERLOWAN_DEBUG("grid", std::string("layout: ") + what + " skipped: " + e.Description());
    }
}

}  // namespace

float QorSimpleGrid::RowHeight() const {
    return cmdSelectorAll.Height();
}

void QorSimpleGrid::PlaceTextEditor(std::int32_t index, std::int32_t col, float top) {
    const auto& header = cmdHeader(col);
    const float left = header.Left() + borderAbstand_;
    const float width = std::max(0.0f, header.Width() - 1 - 2.0f * borderAbstand_);
    const float height = txtInput(0).Height();
    txtInput(index).Move(left, top, width, height);
    txtInputC(index).Move(left, top, width, height);
}

void QorSimpleGrid::PlaceCheckBox(std::int32_t index, std::int32_t col, float selectorTop,
                                  float selectorHeight) {
    const auto& header = cmdHeader(col);
    auto& box = chkCell(index);
    box.Move(header.Left() + (header.Width() - box.Width()) / 2,
             selectorTop + (selectorHeight - box.Height()) / 2);
}

// Shows the editor the column's style and alignment choose and hides the others of the index.
void QorSimpleGrid::ShowCellEditors(std::int32_t index, std::int32_t col, bool show) {
    const bool check = ColStyleCode(col) == 1;
    const bool centred = !check && ColAlignmentCode(col) == 1;
    txtInput(index).SetVisible(show && !check && !centred);
    txtInputC(index).SetVisible(show && centred);
    if (chkCell.Exists(index)) chkCell(index).SetVisible(show && check);
}

void QorSimpleGrid::ApplyReadOnlyState(std::int32_t index, std::int32_t col, std::int32_t row) {
    const bool locked = IsCellReadOnly(col, row);
    // Only real changes: a refill runs this for every visible cell.
    for (auto* editor : {&txtInput(index), &txtInputC(index)})
        if (editor->Locked() != locked) editor->SetLocked(locked);
    if (chkCell.Exists(index)) chkCell(index).SetEnabled(!locked);
}

void QorSimpleGrid::RestartTooltipTimer() {
    tmrUpdateTooltips.SetEnabled(false);
    tmrUpdateTooltips.SetEnabled(true);
}

void QorSimpleGrid::LayoutGrid() {
    if (!redraw_) return;
    const auto headerHeight = static_cast<std::int32_t>(std::lround(cmdHeader(0).Height()));
    const auto selectorHeight = static_cast<std::int32_t>(std::lround(cmdSelectors(0).Height()));
    const auto inner = static_cast<std::int32_t>(std::lround(ScaleHeight()));
    std::int32_t fit = selectorHeight > 0 ? (inner - headerHeight) / selectorHeight : 0;
    visibleRows_ = static_cast<std::int16_t>(std::clamp(fit, 0, 32766));
    rowReadOnlyFlags_.resize(std::max<std::int32_t>(rows_, 1), false);

    // first row
    const auto& firstSelector = cmdSelectors(0);
    for (std::int32_t c = 0; c < cols_; ++c) {
        EnsureCellControlsLoaded(c);
        const std::int32_t row = topRow_;
        if (ColStyleCode(c) == 1) {
            if (!chkCell.Exists(c)) chkCell.Load(c);
            PlaceCheckBox(c, c, firstSelector.Top(), firstSelector.Height());
            ShowCellEditors(c, c, true);
            ApplyReadOnlyState(c, c, row);
            chkCell(c).ZOrder(0);
        } else {
            PlaceTextEditor(c, c, firstSelector.Top() + 1);
            ShowCellEditors(c, c, true);
            ApplyReadOnlyState(c, c, row);
            GetTextControl(c, c).ZOrder(0);
        }
        txtInput(c).SetTag(std::to_string(c));
    }

    // selectors
    cmdSelectors(0).SetVisible(recordSelectors_);
    cmdSelectors(0).ZOrder(0);
    for (std::int32_t r = 1; r <= visibleRows_; ++r) {
        if (!cmdSelectors.Exists(r)) cmdSelectors.Load(r);
        const auto& above = cmdSelectors(r - 1);
        auto& selector = cmdSelectors(r);
        selector.Move(above.Left(), above.Top() + above.Height(), above.Width(), above.Height());
        selector.SetVisible(recordSelectors_);
        selector.ZOrder(0);
    }

    // editors of the further rows
    const std::int32_t lastIndex = (visibleRows_ + 1) * cols_ - 1;
    for (std::int32_t i = cols_; i <= lastIndex; ++i) {
        const std::int32_t c = i % cols_;
        const std::int32_t r = i / cols_;
        EnsureCellControlsLoaded(i);
        txtInput(i).SetTag(std::to_string(c));
        const auto& selector = cmdSelectors(r);
        PlaceTextEditor(i, c, selector.Top() + 1);
        if (ColStyleCode(c) == 1) {
            if (!chkCell.Exists(i)) chkCell.Load(i);
            PlaceCheckBox(i, c, selector.Top(), selector.Height());
        }
        ShowCellEditors(i, c, true);
        ApplyReadOnlyState(i, c, topRow_ + r);
        if (ColStyleCode(c) == 1)
            chkCell(i).ZOrder(0);
        else
            GetTextControl(i, c).ZOrder(0);
    }

    // From here on a failing statement is skipped and the layout goes on.
    for (int k : cmdSelectors.Indexes())
        Skippable("selector visibility", [&] {
            cmdSelectors(k).SetVisible(k <= visibleRows_ && topRow_ + k < rows_ &&
                                       recordSelectors_);
        });
    for (int i : txtInput.Indexes())
        Skippable("editor visibility", [&] {
            const std::int32_t r = cols_ > 0 ? i / cols_ : 0;
            ShowCellEditors(i, cols_ > 0 ? i % cols_ : 0, i <= lastIndex && topRow_ + r < rows_);
        });

    if (visibleRows_ > 0 && visibleRows_ < rows_) {
        Skippable("scroll bar maximum", [&] { vscrGrid.SetMax(rows_ - visibleRows_); });
        Skippable("scroll bar large change", [&] { vscrGrid.SetLargeChange(visibleRows_); });
        vscrGrid.SetVisible(true);
        vscrGrid.ZOrder(0);
    } else {
        visibleRows_ = static_cast<std::int16_t>(std::min<std::int32_t>(rows_, visibleRows_));
        vscrGrid.SetVisible(false);
    }

    ClearMarker();
    if (currentCellIndex_ >= 0 && cols_ > 0)
        Skippable("row marker", [&] {
            auto& selector = cmdSelectors(currentCellIndex_ / cols_);
            selector.SetCaption(selectorGlyph_);
            selector.SetTag("-1");
        });

    if (!recordSelectors_)
        Skippable("corner button", [&] {
            cmdSelectorAll.Move(0, 0, cmdHeader(1).Left());
            cmdSelectorAll.ZOrder(0);
        });

    Skippable("grid lines", [&] { PaintGridLines(); });
    Skippable("refill", [&] { RefreshVisibleCells(); });
}

void QorSimpleGrid::RefreshVisibleCells() {
    if (rows_ < 1) return;
    RestartTooltipTimer();
    auto& first = txtInput(0);
    first.SetTag(std::string(kIgnoreChange));
    SuspendPainting();
    try {
        for (std::int32_t r = 0; r <= visibleRows_; ++r) {
            const std::int32_t d = topRow_ + r;
            const bool inData = d < rows_;
            // A row past the data (the partly visible row at the end) shows nothing.
            if (cmdSelectors.Exists(r)) cmdSelectors(r).SetVisible(inData && recordSelectors_);
            for (std::int32_t c = 0; c < cols_; ++c) {
                const std::int32_t i = r * cols_ + c;
                if (!txtInput.Exists(i)) continue;
                ShowCellEditors(i, c, inData);
                if (!inData) continue;
                const std::string& value = cellValues_[Slot(c, d)];
                if (ColStyleCode(c) == 1) {
                    const double checked = std::fabs(rt::Val(value));
                    if (checked <= 2)
                        chkCell(i).SetValue(static_cast<int>(checked));
                    else
                        PERLOWAN_DEBUG("grid", "check box value " + value + " not shown");
                } else {
                    auto& editor = ColAlignmentCode(c) == 1 ? txtInputC(i) : txtInput(i);
                    editor.SetText(value);
                    editor.SetBackColor(cellColors_[Slot(c, d)]);
                }
                ApplyReadOnlyState(i, c, d);
            }
        }
    } catch (const rt::RuntimeError& e) {
        PERLOWAN_DEBUG("grid", "refill ended: " + e.Description());
    }
    first.SetTag("");
    ResumePainting();
}

void QorSimpleGrid::SuspendPainting() {
    platform::Windows().SendMessage(hWnd(), platform::WM_SETREDRAW, 0, 0);
}

void QorSimpleGrid::ResumePainting() {
    auto& windows = platform::Windows();
    windows.SendMessage(hWnd(), platform::WM_SETREDRAW, static_cast<platform::WParam>(-1), 0);
    windows.RedrawWindow(hWnd(), nullptr, nullptr, kRedrawAllNow);
}

void QorSimpleGrid::DrawGridLines() {
    PaintGridLines();
}

void QorSimpleGrid::PaintGridLines() {
    const float rowHeight = cmdSelectors(0).Height();
    float right = 0;
    if (cols_ > 0) {
        const auto& last = cmdHeader(cols_ - 1);
        right = last.Left() + last.Width();
    }
    const float height =
        Ambient().UserMode ? visibleRows_ * rowHeight + 1 : txtInput(0).Height() + 2;
    picCellBg.Move(0, cmdHeader(0).Height(), right, height);
    picCellBg.Cls();
    picCellBg.FilledBox(0, 0, picCellBg.ScaleWidth(), picCellBg.ScaleHeight(),
                        picCellBg.BackColor());
    if (rows_ < 1) return;
    const float bottom = picCellBg.ScaleHeight();
    for (std::int32_t c = 1; c < cols_; ++c) {
        const float x = cmdHeader(c).Left() - 1;
        picCellBg.Line(x, 0, x, bottom);
    }
    if (cols_ > 0) picCellBg.Line(right - 1, 0, right - 1, bottom);
    const float firstTop = cmdSelectors(0).Top();
    float y = 0;
    for (std::int32_t r = 0; r < visibleRows_ && cmdSelectors.Exists(r); ++r) {
        const auto& selector = cmdSelectors(r);
        y = selector.Top() + selector.Height() - firstTop;
        picCellBg.Line(0, y, picCellBg.ScaleWidth(), y);
    }
}

void QorSimpleGrid::ResizeHandling() {
    try {
        LayoutGrid();
    } catch (const rt::RuntimeError& e) {
        PERLOWAN_DEBUG("grid", "resize: layout failed: " + e.Description());
    }
    Skippable("vertical bar", [&] {
        const float height = ScaleHeight() - (hscrGrid.Visible() ? hscrGrid.Height() : 0);
        vscrGrid.Move(ScaleWidth() - vscrGrid.Width(), 0, vscrGrid.Width(), std::max(0.0f, height));
    });
    Skippable("horizontal bar", [&] {
        const float width = ScaleWidth() - (vscrGrid.Visible() ? vscrGrid.Width() : 0);
        hscrGrid.Move(1, ScaleHeight() - hscrGrid.Height(), std::max(0.0f, width),
                      hscrGrid.Height());
    });
}

}  // namespace grid
