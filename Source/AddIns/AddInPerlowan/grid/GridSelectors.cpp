// Record selectors and the corner button, the deferred focus that tmrSetFocus carries out, the
// tooltips of cells too narrow for their text, and the mouse wheel that reaches the grid through
// the subclassing of its window.
#include <charconv>

#include "Debug.h"
#include "QorSimpleGrid.h"
#include "Text.h"

namespace grid {

namespace {

bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

void QorSimpleGrid::FocusBackground(const char* who) {
    try {
        picCellBg.SetFocus();
    } catch (const rt::RuntimeError& e) {
        PERLOWAN_DEBUG(
            "grid", std::string(who) + ": focus not moved to the background: " + e.Description());
    }
}

void QorSimpleGrid::SelectorClick(std::int32_t index) {
    MoveMarkerTo(index);
    currentCellIndex_ = CellToIndex(0, topRow_ + index);
    FocusBackground("selector");
    std::int32_t col = 0, row = 0;
    IndexToCell(currentCellIndex_, col, row);
    if (col < -32768 || col > 32767 || row < -32768 || row > 32767) rt::Raise(rt::err::Overflow);
    CellGotFocus(static_cast<std::int16_t>(col), static_cast<std::int16_t>(row));
}

// The request text is the two-digit column and the decimal row. A text the grid did not write
// (not digits, too short, a cell outside the data) focuses nothing.
void QorSimpleGrid::SetFocusTimer() {
    tmrSetFocus.SetEnabled(false);
    const std::string request = tmrSetFocus.Tag();
    const std::string_view colText = std::string_view(request).substr(0, 2);
    const std::string_view rowText =
        request.size() > 2 ? std::string_view(request).substr(2) : std::string_view{};
    std::int32_t col = -1, row = -1;
    if (colText.size() == 2 && AllDigits(colText) && AllDigits(rowText)) {
        std::from_chars(colText.data(), colText.data() + colText.size(), col);
        const auto parsed = std::from_chars(rowText.data(), rowText.data() + rowText.size(), row);
        if (parsed.ec != std::errc{}) row = -1;
    }
    if (!InData(col, row)) {
        PERLOWAN_DEBUG("grid", "focus request \"" + request + "\" names no cell of the data");
        return;
    }
    try {
        FocusCellControl(GetCellControl(col, row), true);
    } catch (const rt::RuntimeError& e) {
        PERLOWAN_DEBUG("grid", "focus request \"" + request + "\": no editor: " + e.Description());
    }
}

void QorSimpleGrid::UpdateTooltipsTimer() {
    tmrUpdateTooltips.SetEnabled(false);
    for (int i : txtInput.Indexes()) {
        try {
            const double column = rt::Val(txtInput(i).Tag());
            const int c = column >= 0 && column < 32768 ? static_cast<int>(column) : -1;
            auto& editor = ColAlignmentCode(c) != 0 ? txtInputC(i) : txtInput(i);
            editor.SetToolTipText("");
            if (TextWidth(editor.Text()) > editor.Width()) editor.SetToolTipText(editor.Text());
        } catch (const rt::RuntimeError& e) {
            PERLOWAN_DEBUG("grid", "tooltip of editor " + std::to_string(i) +
                                       " not refreshed: " + e.Description());
        }
    }
}

}  // namespace grid
