// The column headers under the mouse: the size cursor near a header's right edge, dragging that
// edge with the grey slider that tmrColWidth moves to the mouse, the width applied on release,
// and a click that leaves no header with the focus.
#include <algorithm>
#include <cmath>

#include "Debug.h"
#include "KeyState.h"
#include "QorSimpleGrid.h"
#include "Text.h"
#include "WindowManager.h"

namespace grid {

namespace {

// The last twips of a header that grab its right edge.
constexpr float kEdgeZoneTwips = 60;
// A dragged column keeps at least this width (pixels), so its edge can still be grabbed.
constexpr std::int32_t kMinDraggedWidth = 8;

}  // namespace

// Twips from the mouse to the header's right edge; the header's width is in pixels.
float QorSimpleGrid::EdgeDistance(std::int32_t index, float x) const {
    return cmdHeader(index).Width() * forms::TwipsPerPixel - x;
}

void QorSimpleGrid::HeaderMouseMove(std::int32_t index, std::int16_t button, float x) {
    if (button != 0) return;
    cmdHeader(index).SetMousePointer(
        EdgeDistance(index, x) < kEdgeZoneTwips ? forms::pointer::SizeWE : forms::pointer::Default);
}

void QorSimpleGrid::HeaderMouseDown(std::int32_t index, std::int16_t button, float x) {
    if (button != forms::button::Left) return;
    if (EdgeDistance(index, x) >= kEdgeZoneTwips) return;
    picSlider.SetTag(std::to_string(index + 1));
    tmrColWidth.SetEnabled(true);
}

void QorSimpleGrid::ColWidthTimer() {
    tmrColWidth.SetEnabled(false);
    if (rt::Val(picSlider.Tag()) <= 0) return;
    // A release the header never saw (its window went away meanwhile) ends the drag unapplied.
    if (platform::KeyState().GetAsyncKeyState(platform::VK_LBUTTON) >= 0) {
        picSlider.SetVisible(false);
        PERLOWAN_DEBUG("grid", "width drag ended without a release on its header");
        return;
    }
    auto& windows = platform::Windows();
    platform::Point cursor = windows.GetCursorPos();
    // The grid's own window, whatever window is under the cursor.
    if (!windows.ScreenToClient(hWnd(), cursor)) {
        PERLOWAN_DEBUG("grid", "width drag: the grid has no window; slider not moved");
        return;
    }
    picSlider.Move(static_cast<float>(cursor.x), 0, picSlider.Width(), ScaleHeight());
    picSlider.SetVisible(true);
    picSlider.ZOrder(0);
    tmrColWidth.SetEnabled(true);
}

void QorSimpleGrid::HeaderMouseUp(std::int32_t, std::int16_t button) {
    if (button != forms::button::Left) return;
    // A release before the first tick disarms the drag too: the slider must not appear later.
    tmrColWidth.SetEnabled(false);
    const double armed = rt::Val(picSlider.Tag());
    if (armed == 0 || !picSlider.Visible()) return;
    picSlider.SetVisible(false);
    const double column = armed - 1;
    if (!(column >= 0 && column < cols_) || !cmdHeader.Exists(static_cast<int>(column))) {
        PERLOWAN_DEBUG("grid", "width drag of column " + picSlider.Tag() + " - 1: no such column");
        return;
    }
    const auto c = static_cast<std::int16_t>(column);
    const double dragged = std::round(picSlider.Left() - cmdHeader(c).Left());
    // Released left of the column or far outside the grid: the nearest width a column can have.
    const auto width = static_cast<std::int16_t>(
        std::clamp<double>(dragged, kMinDraggedWidth, std::floor(32767 / scaleFaktor_)));
    try {
        SetColWidth(c, width);
    } catch (const rt::RuntimeError& e) {
        PERLOWAN_DEBUG("grid", "width drag of column " + std::to_string(c) +
                                   " not applied: " + e.Description());
    }
}

void QorSimpleGrid::HeaderClick() {
    FocusBackground("header");
}

}  // namespace grid
