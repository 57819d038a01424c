// Focus: one focused control, LostFocus before GotFocus, EnterFocus/ExitFocus of user controls,
// Tab order, focus arrival by keyboard or mouse as the key state shows it, and the refusals.
#include <gtest/gtest.h>

#include "CommandButton.h"
#include "Form.h"
#include "Frame.h"
#include "InputSimulator.h"
#include "Label.h"
#include "RuntimeError_test.h"
#include "TextBox.h"
#include "ToolkitTestSupport.h"
#include "UserControl.h"

namespace forms {
namespace {

using rt::testing::ErrorOf;
using testing::ToolkitTest;

class FocusTest : public ToolkitTest {
  protected:
    FocusTest() {
        form.Move(0, 0, 9000, 6000);
        txtA.Move(150, 150, 1500, 300);
        txtB.Move(150, 600, 1500, 300);
        grid.Move(150, 1500, 6000, 3000);
        cell0.Move(10, 10, 80, 20);
        cell1.Move(100, 10, 80, 20);
        cmdOk.Move(6500, 5000, 1500, 450);
        for (Control* c : std::initializer_list<Control*>{&txtA, &txtB, &cell0, &cell1, &cmdOk}) {
            const std::string name = c->Name();
            c->GotFocus = log.Record(name + ".GotFocus");
            c->LostFocus = log.Record(name + ".LostFocus");
        }
        grid.EnterFocus = log.Record("grid.EnterFocus");
        grid.ExitFocus = log.Record("grid.ExitFocus");
        form.Show();
    }

    Form form;
    TextBox& txtA = form.Add<TextBox>("txtA");
    TextBox& txtB = form.Add<TextBox>("txtB");
    UserControl& grid = form.Add<UserControl>("grid");
    TextBox& cell0 = grid.Add<TextBox>("cell0");
    TextBox& cell1 = grid.Add<TextBox>("cell1");
    CommandButton& cmdOk = form.Add<CommandButton>("cmdOk");
};

TEST_F(FocusTest, TheOldControlLosesTheFocusBeforeTheNewOneGetsIt) {
    txtA.SetFocus();
    txtB.SetFocus();
    cell0.SetFocus();
    cell1.SetFocus();
    cmdOk.SetFocus();
    cmdOk.SetFocus();  // already there: nothing
    EXPECT_EQ(log.Take(),
              (std::vector<std::string>{"txtA.GotFocus", "txtA.LostFocus", "txtB.GotFocus",
                                        "txtB.LostFocus", "grid.EnterFocus", "cell0.GotFocus",
                                        "cell0.LostFocus", "cell1.GotFocus", "cell1.LostFocus",
                                        "grid.ExitFocus", "cmdOk.GotFocus"}));
    EXPECT_EQ(App().FocusedControl(), &cmdOk);
    EXPECT_EQ(form.ActiveControl(), &cmdOk);
}

TEST_F(FocusTest, AFocusRequestFromAFocusHandlerWaitsForTheMoveInProgress) {
    // A validation that sends the focus back into the box being left.
    txtA.SetFocus();
    log.Take();
    txtA.LostFocus = [&] {
        log.Add("txtA.LostFocus");
        txtA.SetFocus();
    };
    txtB.SetFocus();
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"txtA.LostFocus", "txtB.GotFocus",
                                                    "txtB.LostFocus", "txtA.GotFocus"}));
    EXPECT_EQ(App().FocusedControl(), &txtA);
}

TEST_F(FocusTest, TabFollowsTabIndexAndEntersTheUserControlsConstituents) {
    txtA.SetTabIndex(4);
    txtB.SetTabIndex(0);
    grid.SetTabIndex(1);
    cmdOk.SetTabIndex(2);
    txtB.SetFocus();
    log.Take();
    for (int i = 0; i < 5; ++i) input::Tab();
    input::Tab(true);
    EXPECT_EQ(log.Take(),
              (std::vector<std::string>{"txtB.LostFocus", "grid.EnterFocus", "cell0.GotFocus",
                                        "cell0.LostFocus", "cell1.GotFocus", "cell1.LostFocus",
                                        "grid.ExitFocus", "cmdOk.GotFocus", "cmdOk.LostFocus",
                                        "txtA.GotFocus", "txtA.LostFocus", "txtB.GotFocus",
                                        "txtB.LostFocus", "txtA.GotFocus"}));
}

TEST_F(FocusTest, TheKeyStateTellsAFocusArrivingByTabFromOneArrivingByMouse) {
    std::vector<std::string> arrivals;
    txtB.GotFocus = [&] {
        const bool byKeyboard =
            platform::KeyState().GetAsyncKeyState(platform::VK_TAB) == platform::kKeyDownAndPressed;
        arrivals.push_back(byKeyboard ? "keyboard" : "mouse");
    };
    txtA.SetFocus();
    input::Tab();
    input::Click(txtA);
    input::Click(txtB);
    EXPECT_EQ(arrivals, (std::vector<std::string>{"keyboard", "mouse"}));
}

TEST_F(FocusTest, ControlsThatCannotTakeTheFocusRaiseError5AndTheFocusStays) {
    auto& lbl = form.Add<Label>("lbl");
    auto& fra = form.Add<Frame>("fra");
    auto& txtInFrame = fra.Add<TextBox>("txtInFrame");
    auto& hidden = form.Add<TextBox>("hidden");
    hidden.SetVisible(false);
    auto& disabled = form.Add<TextBox>("disabled");
    disabled.SetEnabled(false);
    fra.SetEnabled(false);
    Form other;
    auto& onHiddenForm = other.Add<TextBox>("onHiddenForm");
    Load(other);
    Form notLoaded;
    auto& onUnloadedForm = notLoaded.Add<TextBox>("onUnloadedForm");

    txtA.SetFocus();  // the sentinel
    log.Take();
    for (Control* control : std::initializer_list<Control*>{
             &lbl, &fra, &hidden, &disabled, &txtInFrame, &onHiddenForm, &onUnloadedForm}) {
        SCOPED_TRACE(control->Name());
        EXPECT_EQ(ErrorOf([&] { control->SetFocus(); }), 5);
        EXPECT_EQ(App().FocusedControl(), &txtA);
    }
    EXPECT_TRUE(log.Take().empty());
}

TEST_F(FocusTest, HidingOrDisablingTheFocusedControlTakesTheFocusAway) {
    txtA.SetFocus();
    txtA.SetVisible(false);
    EXPECT_EQ(App().FocusedControl(), nullptr);
    cell0.SetFocus();
    grid.SetEnabled(false);
    EXPECT_EQ(App().FocusedControl(), nullptr);
    EXPECT_EQ(log.Take(),
              (std::vector<std::string>{"txtA.GotFocus", "txtA.LostFocus", "grid.EnterFocus",
                                        "cell0.GotFocus", "cell0.LostFocus", "grid.ExitFocus"}));
}

TEST_F(FocusTest, AUserControlPassesTheFocusToItsFirstConstituent) {
    cell0.SetTabIndex(5);
    grid.SetFocus();
    EXPECT_EQ(App().FocusedControl(), &cell1);
    cell0.SetVisible(false);
    cell1.SetVisible(false);
    grid.SetFocus();  // nothing inside can take it: the surface itself
    EXPECT_EQ(App().FocusedControl(), &grid);
}

TEST_F(FocusTest, TheFirstShowingGivesTheFocusToTheFirstControlThatCanTakeIt) {
    // The fixture's form got it at its showing: txtA is first in its tab order.
    EXPECT_EQ(App().FocusedControl(), &txtA);
    Form other("frmOther");
    other.Move(0, 0, 6000, 3000);
    auto& lblInfo = other.Add<Label>("lblInfo");  // never takes the focus
    auto& txtOff = other.Add<TextBox>("txtOff");
    auto& txtLast = other.Add<TextBox>("txtLast");
    auto& cmdFirst = other.Add<CommandButton>("cmdFirst");
    lblInfo.SetTabIndex(0);
    txtOff.SetTabIndex(1);
    txtOff.SetEnabled(false);
    cmdFirst.SetTabIndex(2);
    txtLast.SetTabIndex(3);
    for (Control* c : std::initializer_list<Control*>{&txtOff, &txtLast, &cmdFirst}) {
        c->GotFocus = log.Record(c->Name() + ".GotFocus");
        c->LostFocus = log.Record(c->Name() + ".LostFocus");
    }
    other.Load = log.Record("Load");
    other.Resize = log.Record("Resize");
    log.Take();
    other.Show();
    txtLast.SetFocus();
    other.Show();  // shown already: the focus stays
    EXPECT_EQ(log.Take(),
              (std::vector<std::string>{"Load", "Resize", "txtA.LostFocus", "cmdFirst.GotFocus",
                                        "cmdFirst.LostFocus", "txtLast.GotFocus"}));
    // A form with nothing that can take the focus leaves it where it is.
    Form empty("frmEmpty");
    empty.Add<Label>("lblOnly");
    empty.Show();
    EXPECT_EQ(App().FocusedControl(), &txtLast);
    Unload(other);
    Unload(empty);
}

}  // namespace
}  // namespace forms
