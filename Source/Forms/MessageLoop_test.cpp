// The message loop on the virtual clock (posted work, timers firing in due order), painting
// suspended through WM_SETREDRAW, the cursor that shows, the mouse and the wheel.
#include <gtest/gtest.h>

#include "CommandButton.h"
#include "Form.h"
#include "Image.h"
#include "InputSimulator.h"
#include "PictureBox.h"
#include "TextBox.h"
#include "Timer.h"
#include "ToolkitTestSupport.h"
#include "UserControl.h"

namespace forms {
namespace {

using testing::ToolkitTest;

class LoopTest : public ToolkitTest {
  protected:
    std::function<void()> Stamp(std::string name) {
        return [this, name] { log.Add(name + "@" + std::to_string(clock->TickCount())); };
    }
    MessageLoop& loop = App().Loop();
};

TEST_F(LoopTest, TimersFireInDueOrderOnTheVirtualClock) {
    Form form;
    auto& tmrSetFocus = form.Add<Timer>("tmrSetFocus");
    auto& tmrUpdateTooltips = form.Add<Timer>("tmrUpdateTooltips");
    auto& tmrOff = form.Add<Timer>("tmrOff");
    tmrSetFocus.SetInterval(50);
    tmrUpdateTooltips.SetInterval(100);
    tmrOff.SetInterval(0);  // enabled, but an interval of 0 never fires
    tmrSetFocus.Tick = Stamp("tmrSetFocus");
    tmrUpdateTooltips.Tick = Stamp("tmrUpdateTooltips");
    tmrOff.Tick = Stamp("tmrOff");

    loop.Advance(*clock, 100);  // not loaded yet: nothing runs
    Load(form);
    loop.Advance(*clock, 250);
    EXPECT_EQ(log.Take(),
              (std::vector<std::string>{
                  "tmrSetFocus@150", "tmrSetFocus@200", "tmrUpdateTooltips@200", "tmrSetFocus@250",
                  "tmrSetFocus@300", "tmrUpdateTooltips@300", "tmrSetFocus@350"}));
    EXPECT_FALSE(tmrOff.IsRunning());
    Unload(form);
    loop.Advance(*clock, 500);
    EXPECT_TRUE(log.Take().empty());
}

TEST_F(LoopTest, ATimerThatDisablesItselfFiresOnceAndRestartsFromItsNewStart) {
    Form form;
    auto& tmrColWidth = form.Add<Timer>("tmrColWidth");
    tmrColWidth.SetInterval(50);
    tmrColWidth.SetEnabled(false);
    tmrColWidth.Tick = [&] {
        Stamp("tmrColWidth")();
        tmrColWidth.SetEnabled(false);
    };
    Load(form);
    loop.Advance(*clock, 30);
    tmrColWidth.SetEnabled(true);  // counts from 30
    loop.Advance(*clock, 200);
    tmrColWidth.SetEnabled(true);
    loop.Advance(*clock, 20);
    tmrColWidth.SetInterval(40);  // a new interval starts the count again
    loop.Advance(*clock, 100);
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"tmrColWidth@80", "tmrColWidth@290"}));
    EXPECT_THROW(tmrColWidth.SetInterval(-1), rt::RuntimeError);
    EXPECT_THROW(tmrColWidth.SetInterval(65536), rt::RuntimeError);
}

TEST_F(LoopTest, PostedWorkRunsInOrderBeforeTheTimersOfTheSameTurn) {
    auto timer = loop.StartTimer(10, Stamp("timer"));
    loop.Post(Stamp("first"));
    loop.Post([&] {
        Stamp("second")();
        loop.Post(Stamp("posted by second"));
    });
    clock->Advance(10);
    EXPECT_TRUE(loop.RunDue());
    EXPECT_EQ(loop.NextTimerDueIn(), 10u);
    loop.StopTimer(timer);
    EXPECT_FALSE(loop.RunDue());
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"first@10", "second@10", "posted by second@10",
                                                    "timer@10"}));
}

struct PaintLog : ChangeObserver {
    void ControlChanged(Control&, std::string_view) override {}
    void ControlPainted(Control& control) override { painted.push_back(control.Name()); }
    std::vector<std::string> painted;
};

TEST_F(LoopTest, SetRedrawSuspendsRepaintsOfAWindowAndItsChildrenUntilRedrawWindow) {
    Form form;
    auto& grid = form.Add<UserControl>("grid");
    auto& txtInput = grid.Add<TextBox>("txtInput");
    form.Move(0, 0, 6000, 4000);
    grid.Move(0, 0, 3000, 3000);
    txtInput.Move(0, 0, 100, 20);
    form.Show();
    PaintLog paints;
    App().AddObserver(&paints);
    auto& windows = platform::Windows();
    const auto count = [&] { return windows.PaintCount(txtInput.hWnd()); };
    const auto before = count();

    txtInput.SetText("a");
    EXPECT_EQ(count(), before + 1);
    windows.SendMessage(grid.hWnd(), platform::WM_SETREDRAW, 0, 0);
    txtInput.SetText("b");
    txtInput.SetBackColor(color::White);
    EXPECT_EQ(count(), before + 1);
    windows.SendMessage(grid.hWnd(), platform::WM_SETREDRAW, static_cast<platform::WParam>(-1), 0);
    windows.RedrawWindow(grid.hWnd(), nullptr, nullptr, 389);
    EXPECT_EQ(count(), before + 2);
    App().RemoveObserver(&paints);
    EXPECT_EQ(paints.painted, (std::vector<std::string>{"txtInput", "grid", "txtInput"}));
}

TEST_F(LoopTest, TheCursorFollowsTheMousePointerOfTheControlUnderTheMouse) {
    Form form;
    auto& pic = form.Add<PictureBox>("picWorkingArea");
    auto& cmdHeader = pic.Add<CommandButton>("cmdHeader");
    form.Move(0, 0, 6000, 4000);
    pic.Move(0, 0, 6000, 4000);
    cmdHeader.Move(150, 150, 1500, 300);  // pixels 10..110 x 10..30
    form.Show();
    auto& cursors = platform::Cursors();
    const auto shown = [&] { return cursors.StandardCursorId(cursors.GetCursor()); };

    cmdHeader.MouseMove = [&](std::int16_t, std::int16_t, float x, float) {
        // Within 60 twips of the right edge: the size cursor.
        cmdHeader.SetMousePointer(cmdHeader.Width() - x < 60 ? pointer::SizeWE : pointer::Default);
    };
    struct Row {
        int line;
        float x, y;
        int cursor;
    };
    const Row rows[] = {
        {1, 50, 20, platform::IDC_ARROW},
        {2, 108, 20, platform::IDC_SIZEWE},
        {3, 200, 200, platform::IDC_ARROW},  // over the working area
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        input::MouseMove(form, row.x, row.y);
        EXPECT_EQ(shown(), row.cursor);
    }
    cmdHeader.SetMousePointer(pointer::Hourglass);  // not under the mouse: nothing shows
    EXPECT_EQ(shown(), platform::IDC_ARROW);
    pic.SetMousePointer(pointer::Hourglass);  // under the mouse: shows at once
    EXPECT_EQ(shown(), platform::IDC_WAIT);
    pic.SetMousePointer(pointer::Default);
    App().SetScreenMousePointer(pointer::Hourglass);
    input::MouseMove(form, 50, 20);
    EXPECT_EQ(shown(), platform::IDC_WAIT);
    EXPECT_THROW(pic.SetMousePointer(16), rt::RuntimeError);
}

TEST_F(LoopTest, AButtonPressHoldsTheMouseUntilItsRelease) {
    Form form;
    auto& txt = form.Add<TextBox>("txt");
    auto& cmd = form.Add<CommandButton>("cmdHeader");
    form.Move(0, 0, 6000, 4000);
    txt.Move(0, 1500, 1500, 300);
    cmd.Move(150, 150, 1500, 300);
    form.Show();
    txt.SetFocus();
    const auto mouse = [&](std::string name) {
        return [this, name](std::int16_t b, std::int16_t s, float x, float y) {
            log.Add(name + " " + std::to_string(b) + " " + std::to_string(s) + " " +
                    std::to_string(static_cast<int>(x)) + " " +
                    std::to_string(static_cast<int>(y)));
        };
    };
    cmd.MouseDown = mouse("MouseDown");
    cmd.MouseMove = mouse("MouseMove");
    cmd.MouseUp = mouse("MouseUp");
    cmd.Click = log.Record("Click");
    cmd.GotFocus = log.Record("GotFocus");
    txt.LostFocus = log.Record("txt.LostFocus");

    input::MouseDown(form, 20, 12, button::Left, shift::Shift);
    input::MouseMove(form, 300, 12, button::Left);  // outside, still the button's
    input::MouseUp(form, 300, 12);                  // released outside: no Click
    input::Click(cmd);
    EXPECT_EQ(log.Take(),
              (std::vector<std::string>{"txt.LostFocus", "GotFocus", "MouseDown 1 1 150 30",
                                        "MouseMove 1 0 4350 30", "MouseUp 1 0 4350 30",
                                        "MouseMove 0 0 750 150", "MouseDown 1 0 750 150",
                                        "MouseUp 1 0 750 150", "Click"}));
    EXPECT_EQ(platform::Windows().GetCursorPos(), (platform::Point{60, 20}));
}

platform::LResult RecordWheel(platform::WindowHandle, platform::MessageId msg,
                              platform::WParam wParam, platform::LParam) {
    return msg == platform::WM_MOUSEWHEEL ? 1000 + platform::SignedHiWord(wParam) : 0;
}

TEST_F(LoopTest, TheWheelReachesTheWindowUnderTheMouseThroughItsProcedure) {
    Form form;
    auto& grid = form.Add<UserControl>("grdTipps");
    auto& img = form.Add<Image>("imgLogo");
    form.Move(0, 0, 6000, 4000);
    grid.Move(150, 150, 3000, 1500);  // pixels 10..210 x 10..110
    img.Move(4500, 150, 1000, 1000);
    form.Show();
    platform::Windows().SetWindowProc(grid.hWnd(), &RecordWheel);

    EXPECT_EQ(input::Wheel(form, 50, 50, -120), 1000 - 120);
    EXPECT_EQ(input::Wheel(form, 50, 50, 240), 1000 + 240);
    EXPECT_EQ(input::Wheel(form, 320, 20, -120), 0);  // over the image: the form's window
}

}  // namespace
}  // namespace forms
