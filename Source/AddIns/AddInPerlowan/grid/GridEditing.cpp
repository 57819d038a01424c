// Editing in place: typed text goes straight into the cell, leaving a changed cell asks
// CellValidate (which may keep the user there), Escape undoes the cell and then the row, F2 puts
// the caret at the end, the arrow keys move between cells, and the focus returns to the last cell
// when the user tabs into the grid.
#include "Debug.h"
#include "KeyState.h"
#include "QorSimpleGrid.h"
#include "Text.h"

namespace grid {

namespace {

// A cell coordinate for the events, which carry 16-bit columns and rows.
std::int16_t Event16(std::int32_t value) {
    if (value < -32768 || value > 32767) rt::Raise(rt::err::Overflow);
    return static_cast<std::int16_t>(value);
}

// Holds NavigationBusy for one navigation step, also when a handler raises.
class BusyFlag {
  public:
    explicit BusyFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyFlag() { flag_ = false; }
    BusyFlag(const BusyFlag&) = delete;
    BusyFlag& operator=(const BusyFlag&) = delete;

  private:
    bool& flag_;
};

}  // namespace

// ------------------------------------------------------------------------------ focus helpers

// The key counts while it is held (the sign bit), not only on the first query after the press:
// one Tab into the grid is asked about by the surface and then by the editor.
bool QorSimpleGrid::ArrivingByKeyboard() {
    auto& keys = platform::KeyState();
    const bool tab = keys.GetAsyncKeyState(platform::VK_TAB) < 0;
    const bool alt = keys.GetAsyncKeyState(platform::VK_MENU) < 0;
    return tab || alt;
}

void QorSimpleGrid::SelectAllText(forms::TextBox& editor) {
    if (!ArrivingByKeyboard()) return;
    editor.SetSelStart(0);
    editor.SetSelLength(rt::Len(editor.Text()));
}

void QorSimpleGrid::FocusCellControl(forms::Control& control, bool select) {
    try {
        control.SetFocus();
        if (!select) return;
        // A check box has no selection.
        if (auto* editor = dynamic_cast<forms::TextBox*>(&control)) {
            editor->SetSelStart(0);
            editor->SetSelLength(rt::Len(editor->Text()));
        }
    } catch (const rt::RuntimeError& e) {
        PERLOWAN_DEBUG("grid", control.Name() + "(" + std::to_string(control.Index()) +
                                   ") not focused: " + e.Description());
    }
}

std::string QorSimpleGrid::FocusRequestText(std::int32_t col, std::int32_t row) {
    return rt::FormatNumber(col, "00") + std::to_string(row);
}

void QorSimpleGrid::RequestFocus(std::int32_t col, std::int32_t row) {
    if (col < 0 || col > 99 || row < 0) {
        PERLOWAN_DEBUG("grid", "focus request for column " + std::to_string(col) + ", row " +
                                   std::to_string(row) + " refused: the request names only " +
                                   "columns 0..99 and rows from 0");
        return;
    }
    tmrSetFocus.SetTag(FocusRequestText(col, row));
    tmrSetFocus.SetEnabled(true);
}

// ------------------------------------------------------------------------------ text editors

void QorSimpleGrid::EditorChange(forms::TextBox& editor, std::int32_t index) {
    if (txtInput(0).Tag() == kIgnoreChange) return;
    std::int32_t col = 0, row = 0;
    IndexToCell(index, col, row);
    if (!InData(col, row)) {
        // Only code can change an editor that shows no data row: it is hidden.
        PERLOWAN_DEBUG(
            "grid", "change of editor " + std::to_string(index) + " outside the data not stored");
        return;
    }
    StoreCellValue(col, row, editor.Text());
    std::int16_t eventCol = Event16(col), eventRow = Event16(row);
    CellChange(eventCol, eventRow);
}

void QorSimpleGrid::EditorGotFocus(std::int32_t index, std::int32_t previousIndex) {
    try {
        std::int32_t col = 0, row = 0;
        IndexToCell(index, col, row);
        auto& editor = GetTextControl(index, col);
        // Even a skipped got-focus remembers what the editor shows, so leaving it unchanged asks
        // no validation.
        focusIndex_ = index;
        focusCol_ = col;
        focusRow_ = row;
        if (skipNextGotFocus_) {
            skipNextGotFocus_ = false;
            focusText_ = editor.Text();
            return;
        }
        // No previous cell counts as another row, so the first cell focused gets the marker.
        if (cols_ > 0 && (previousIndex < 0 || index / cols_ != previousIndex / cols_))
            MoveMarkerTo(index / cols_);
        CellGotFocus(Event16(col), Event16(row));
        currentCellIndex_ = index;
        SelectAllText(editor);
        focusText_ = editor.Text();
    } catch (const rt::RuntimeError& e) {
        PERLOWAN_DEBUG("grid",
                       "got focus of editor " + std::to_string(index) + ": " + e.Description());
    }
}

void QorSimpleGrid::EditorLostFocus(forms::TextBox& editor, std::int32_t index) {
    std::int32_t col = 0, row = 0;
    IndexToCell(index, col, row);
    std::string text = editor.Text();
    if (index == focusIndex_ && (col != focusCol_ || row != focusRow_)) {
        // Scrolling put another row's data into the focused editor: the cell being left is the
        // one it showed, with the text that cell has now.
        col = focusCol_;
        row = focusRow_;
        text = CellValue(Event16(col), Event16(row));
    }
    if (!InData(col, row)) {
        PERLOWAN_DEBUG("grid", "lost focus of editor " + std::to_string(index) +
                                   ": its cell is no longer in the data");
        return;
    }
    const std::int16_t eventCol = Event16(col), eventRow = Event16(row);
    bool cancel = false;
    if (text != focusText_) CellValidate(eventCol, eventRow, cancel);
    if (cancel) {
        // The text stays as typed (it is in CellValues); the focus comes back shortly after.
        skipNextGotFocus_ = true;
        RequestFocus(col, row);
        return;
    }
    CellLostFocus(eventCol, eventRow);
}

void QorSimpleGrid::EditorKeyDown(forms::TextBox& editor, std::int32_t index, std::int16_t& keyCode,
                                  std::int16_t& shift) {
    switch (keyCode) {
        case forms::key::Escape: {
            std::int32_t col = 0, row = 0;
            IndexToCell(index, col, row);
            if (!InData(col, row)) return;
            const std::string initial = InitialValue(col, row);
            if (editor.Text() != initial) {
                editor.SetText(initial);  // stored and reported by the change handling
                return;
            }
            for (std::int32_t c = 0; c < cols_; ++c) StoreCellValue(c, row, InitialValue(c, row));
            RefreshVisibleCells();
            return;
        }
        case forms::key::F2:
            if (editor.SelLength() >= 1) {
                editor.SetSelStart(rt::Len(editor.Text()));
                editor.SetSelLength(0);
            }
            return;
        default:
            NavigateCell(index, keyCode, shift);
    }
}

// ------------------------------------------------------------------------------ check boxes

void QorSimpleGrid::CheckBoxClick(std::int32_t index) {
    if (txtInput(0).Tag() == kIgnoreChange) return;
    std::int32_t col = 0, row = 0;
    IndexToCell(index, col, row);
    if (!InData(col, row)) {
        PERLOWAN_DEBUG(
            "grid", "click of check box " + std::to_string(index) + " outside the data not stored");
        return;
    }
    StoreCellValue(col, row, std::to_string(chkCell(index).Value()));
    std::int16_t eventCol = Event16(col), eventRow = Event16(row);
    CellChange(eventCol, eventRow);
}

void QorSimpleGrid::CheckBoxGotFocus(std::int32_t index) {
    try {
        if (txtInput.Exists(index)) SelectAllText(txtInput(index));
        const bool otherRow =
            cols_ > 0 && (currentCellIndex_ < 0 || index / cols_ != currentCellIndex_ / cols_);
        if (otherRow) MoveMarkerTo(index / cols_);
        currentCellIndex_ = index;
    } catch (const rt::RuntimeError& e) {
        PERLOWAN_DEBUG("grid",
                       "got focus of check box " + std::to_string(index) + ": " + e.Description());
    }
}

// ------------------------------------------------------------------------------ the surface

void QorSimpleGrid::UserControlEnterFocus() {
    if (!ArrivingByKeyboard() || currentCellIndex_ < 1) return;
    try {
        std::int32_t col = 0, row = 0;
        IndexToCell(currentCellIndex_, col, row);
        forms::Control* target = nullptr;
        if (ColStyleCode(col) == 1)
            target = &chkCell(currentCellIndex_);
        else if (ColAlignmentCode(col) != 0)
            target = &txtInputC(currentCellIndex_);
        else
            target = &txtInput(currentCellIndex_);
        target->SetFocus();
    } catch (const rt::RuntimeError& e) {
        PERLOWAN_DEBUG("grid", "focus not returned to editor " + std::to_string(currentCellIndex_) +
                                   ": " + e.Description());
    }
}

// ------------------------------------------------------------------------------ navigation

void QorSimpleGrid::NavigateCell(std::int32_t index, std::int16_t keyCode, std::int16_t) {
    if (navigationBusy_) return;
    BusyFlag busy(navigationBusy_);
    std::int32_t col = 0, row = 0;
    IndexToCell(index, col, row);
    const std::int32_t oldCol = col, oldRow = row;
    const bool isCheck = ColStyleCode(col) == 1;
    std::int32_t newCol = col, newRow = row;
    bool move = false;
    switch (keyCode) {
        case forms::key::Left:
            if (col < 1) {
                if (row >= 1) {
                    newCol = cols_ - 1;
                    newRow = row - 1;
                    move = true;
                }
            } else if (isCheck || GetTextControl(index, col).SelStart() == 0) {
                newCol = col - 1;
                move = true;
            }
            break;
        case forms::key::Right:
            if (col >= cols_ - 1) {
                if (row < rows_ - 1) {
                    newCol = 0;
                    newRow = row + 1;
                    move = true;
                }
            } else if (isCheck) {
                newCol = col + 1;
                move = true;
            } else {
                const auto& editor = GetTextControl(index, col);
                const int length = rt::Len(editor.Text());
                if (editor.SelStart() == length || editor.SelLength() == length) {
                    newCol = col + 1;
                    move = true;
                }
            }
            break;
        case forms::key::Up:
            if (row >= 1) {
                newRow = row - 1;
                move = true;
            }
            break;
        case forms::key::Down:
            if (row < rows_ - 1) {
                newRow = row + 1;
                move = true;
            }
            break;
        default:
            break;
    }
    if (!move) return;

    std::int16_t targetCol = Event16(newCol), targetRow = Event16(newRow);
    Navigation(Event16(oldCol), Event16(oldRow), targetCol, targetRow);
    newCol = targetCol;
    newRow = targetRow;
    if (!InData(newCol, newRow)) {
        PERLOWAN_DEBUG("grid", "navigation to column " + std::to_string(newCol) + ", row " +
                                   std::to_string(newRow) + " is outside the data: no move");
        return;
    }

    if (newRow >= topRow_ + visibleRows_)
        vscrGrid.SetValue(newRow - visibleRows_ + 1);
    else if (newRow < topRow_)
        vscrGrid.SetValue(newRow);

    if (ColStyleCode(newCol) == 0 && ColAlignmentCode(newCol) == 0) {
        // A plain text cell takes the focus after the key has been handled.
        RequestFocus(newCol, newRow);
        return;
    }
    try {
        FocusCellControl(GetCellControl(newCol, newRow), true);
    } catch (const rt::RuntimeError& e) {
        PERLOWAN_DEBUG("grid", "navigation: no editor for column " + std::to_string(newCol) +
                                   ", row " + std::to_string(newRow) + ": " + e.Description());
    }
}

}  // namespace grid
