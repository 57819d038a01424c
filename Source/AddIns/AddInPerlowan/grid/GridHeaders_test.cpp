// The headers under a simulated mouse: the size cursor near a right edge, dragging the edge with
// the slider across timer ticks, the width applied on release, and clicks on headers.
#include <gtest/gtest.h>

#include "GridTestSupport.h"
#include "InputSimulator.h"

namespace grid {
namespace {

using forms::App;

class GridHeadersTest : public testing::GridTest {
  protected:
    void SetUp() override { WindowGrid(3, 5); }
    // Form pixels of the grid's left edge and of the header row's middle.
    float GridLeft() const { return 120 / forms::TwipsPerPixel; }
    float HeaderY() { return 120 / forms::TwipsPerPixel + grd.cmdHeader(0).Height() / 2; }
    // Form pixel just left of header `c`'s right edge, `inside` pixels in.
    float EdgeX(int c, float inside) {
        const auto& header = grd.cmdHeader(c);
        return GridLeft() + header.Left() + header.Width() - inside;
    }
    int ShownCursor() {
        auto& cursors = platform::Cursors();
        return cursors.StandardCursorId(cursors.GetCursor());
    }
    // The slider's state after each tick: visible and left, or "hidden".
    std::string Slider() {
        return grd.picSlider.Visible() ? "at " + std::to_string(int(grd.picSlider.Left()))
                                       : "hidden";
    }
};

TEST_F(GridHeadersTest, TheSizeCursorShowsWithinSixtyTwipsOfTheRightEdge) {
    struct Row {
        int n;
        int col;
        float inside;  // pixels left of the edge
        std::int16_t buttons;
        int pointer;
    };
    const Row table[] = {
        {1, 0, 1, 0, forms::pointer::SizeWE},  {2, 0, 3, 0, forms::pointer::SizeWE},
        {3, 0, 4, 0, forms::pointer::Default}, {4, 0, 50, 0, forms::pointer::Default},
        {5, 1, 2, 0, forms::pointer::SizeWE},  {6, 0, 2, 0, forms::pointer::SizeWE},
        {7, 0, 50, 1, forms::pointer::SizeWE},  // a button held: the pointer stays
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.n);
        forms::input::MouseMove(form, EdgeX(row.col, row.inside), HeaderY(), row.buttons);
        EXPECT_EQ(grd.cmdHeader(row.col).MousePointer(), row.pointer);
        EXPECT_EQ(ShownCursor(), row.pointer == forms::pointer::SizeWE ? platform::IDC_SIZEWE
                                                                       : platform::IDC_ARROW);
    }
}

TEST_F(GridHeadersTest, ADraggedEdgeFollowsTheCursorEveryTickAndTheWidthIsAppliedOnRelease) {
    const float oldWidth = grd.cmdHeader(0).Width();
    const float headerLeft = grd.cmdHeader(0).Left();
    const float edge = EdgeX(0, 0);
    std::vector<std::string> slider;
    forms::input::MouseMove(form, edge - 2, HeaderY());
    forms::input::MouseDown(form, edge - 2, HeaderY());
    EXPECT_EQ(grd.picSlider.Tag(), "1");
    slider.push_back(Slider());
    for (float dx : {10.0f, 45.0f, 30.0f}) {
        forms::input::MouseMove(form, edge + dx, HeaderY(), forms::button::Left);
        slider.push_back(Slider());  // not before the tick
        Wait(50);
        slider.push_back(Slider());
    }
    const int x0 = int(edge - GridLeft());
    EXPECT_EQ(slider, (std::vector<std::string>{
                          "hidden", "hidden", "at " + std::to_string(x0 + 10),
                          "at " + std::to_string(x0 + 10), "at " + std::to_string(x0 + 45),
                          "at " + std::to_string(x0 + 45), "at " + std::to_string(x0 + 30)}));
    EXPECT_EQ(grd.picSlider.Height(), grd.ScaleHeight());
    forms::input::MouseUp(form, edge + 30, HeaderY());
    EXPECT_EQ(Slider(), "hidden");
    EXPECT_FALSE(grd.tmrColWidth.Enabled());
    EXPECT_EQ(grd.ColWidth(0), oldWidth + 30);
    EXPECT_EQ(grd.cmdHeader(1).Left(), headerLeft + oldWidth + 30);
    Wait(200);  // nothing follows any more
    EXPECT_EQ(Slider(), "hidden");
    EXPECT_EQ(grd.ColWidth(0), oldWidth + 30);
}

TEST_F(GridHeadersTest, ReleasesBeforeTheFirstTickOrWithAnotherButtonChangeNothing) {
    const std::string widths = grd.ColWidthAll();
    struct Row {
        int n;
        std::int16_t button;
        float inside;
        bool armed;
    };
    for (const Row& row :
         {Row{1, forms::button::Left, 2, true}, Row{2, forms::button::Right, 2, false},
          Row{3, forms::button::Left, 20, false}}) {
        SCOPED_TRACE(row.n);
        grd.picSlider.SetTag("");
        forms::input::MouseDown(form, EdgeX(0, row.inside), HeaderY(), row.button);
        EXPECT_EQ(grd.tmrColWidth.Enabled(), row.armed);
        forms::input::MouseUp(form, EdgeX(0, row.inside) + 20, HeaderY(), row.button);
        Wait(200);
        EXPECT_EQ(Slider(), "hidden");
        EXPECT_FALSE(grd.tmrColWidth.Enabled());
        EXPECT_EQ(grd.ColWidthAll(), widths);
    }
}

TEST_F(GridHeadersTest, ADragReleasedOutsideTheGridKeepsAColumnThatCanStillBeGrabbed) {
    struct Row {
        int n;
        float releaseX;  // form pixels
        int width;
    };
    const float left = GridLeft() + grd.cmdHeader(0).Left();
    for (const Row& row : {Row{1, 1, 8}, Row{2, left + 3, 8}, Row{3, 900, int(900 - left)}}) {
        SCOPED_TRACE(row.n);
        forms::input::MouseDown(form, EdgeX(0, 1), HeaderY());
        forms::input::MouseMove(form, row.releaseX, 200, forms::button::Left);
        Wait(50);
        forms::input::MouseUp(form, row.releaseX, 200);
        EXPECT_EQ(grd.ColWidth(0), row.width);
        EXPECT_EQ(Slider(), "hidden");
    }
}

TEST_F(GridHeadersTest, AGridUnloadedMidDragEndsTheDragWithoutApplyingIt) {
    const std::string widths = grd.ColWidthAll();
    forms::input::MouseMove(form, EdgeX(0, 1), HeaderY());
    ASSERT_EQ(ShownCursor(), platform::IDC_SIZEWE);
    forms::input::MouseDown(form, EdgeX(0, 1), HeaderY());
    forms::input::MouseMove(form, EdgeX(0, 1) + 40, HeaderY(), forms::button::Left);
    Wait(50);
    ASSERT_NE(Slider(), "hidden");
    forms::Unload(form);
    EXPECT_FALSE(grd.tmrColWidth.IsRunning());
    platform::KeyState().KeyUp(platform::VK_LBUTTON);  // released somewhere else
    forms::Form other;
    other.Move(0, 0, 3000, 3000);
    other.Show();
    forms::input::MouseMove(other, 10, 10);
    EXPECT_EQ(ShownCursor(), platform::IDC_ARROW);
    // Shown again, the armed timer runs once and ends the drag.
    form.Show();
    Wait(100);
    EXPECT_EQ(Slider(), "hidden");
    EXPECT_FALSE(grd.tmrColWidth.Enabled());
    EXPECT_EQ(grd.ColWidthAll(), widths);
}

TEST_F(GridHeadersTest, AHeaderClickLeavesNoCurrentCellAndNoFocusOnTheHeader) {
    forms::input::Click(grd.txtInput(3));  // cell (1, 1)
    RecordEvents();
    forms::input::Click(grd.cmdHeader(1));
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"CellLostFocus 1,1"}));
    EXPECT_EQ(App().FocusedControl(), &grd.picCellBg);
    EXPECT_EQ(grd.CurrentCellIndex(), -1);
    EXPECT_EQ(grd.CurrentCol(), -1);
    EXPECT_EQ(grd.CurrentRow(), grd.TopRow());
}

}  // namespace
}  // namespace grid
