// The control kinds: text box, combo box, option buttons, check box, scroll bar, control arrays,
// and the late-bound access through each kind's member table.
#include <gtest/gtest.h>

#include "CheckBox.h"
#include "ComboBox.h"
#include "CommandButton.h"
#include "Form.h"
#include "Frame.h"
#include "InputSimulator.h"
#include "OptionButton.h"
#include "RuntimeError_test.h"
#include "ScrollBar.h"
#include "TextBox.h"
#include "ToolkitTestSupport.h"

namespace forms {
namespace {

using rt::testing::ErrorOf;
using rt::testing::ErrorTextOf;
using testing::ToolkitTest;

class ControlsTest : public ToolkitTest {
  protected:
    ControlsTest() {
        form.Move(0, 0, 9000, 6000);
        form.Show();
    }
    Form form;
};

TEST_F(ControlsTest, ATextBoxRaisesChangeOnEveryChangeByCodeOrByTheUser) {
    auto& txt = form.Add<TextBox>("txt");
    txt.Move(0, 0, 1500, 300);
    txt.Change = [&] { log.Add("Change " + txt.Text()); };
    txt.SetText("01.02.2026");
    txt.SetText("01.02.2026");  // the same text: no change
    txt.SetText("");
    txt.SetFocus();
    input::TypeText("ab");
    input::PressKey(key::Left);
    input::TypeText("X");
    input::PressKey(key::Back);
    input::PressKey(key::Delete);
    input::PressKey(key::Delete);  // at the end: nothing to delete
    EXPECT_EQ(log.Take(),
              (std::vector<std::string>{"Change 01.02.2026", "Change ", "Change a", "Change ab",
                                        "Change aXb", "Change ab", "Change a"}));
}

TEST_F(ControlsTest, ADoubleClickRaisesItsEventsInTheUsualOrder) {
    auto& txt = form.Add<TextBox>("txtInput");
    txt.Move(0, 0, 1500, 300);
    txt.MouseDown = [&](std::int16_t, std::int16_t, float, float) { log.Add("MouseDown"); };
    txt.MouseUp = [&](std::int16_t, std::int16_t, float, float) { log.Add("MouseUp"); };
    txt.GotFocus = log.Record("GotFocus");
    txt.Click = log.Record("Click");
    txt.DblClick = log.Record("DblClick");
    input::DoubleClick(txt);
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"GotFocus", "MouseDown", "MouseUp", "Click",
                                                    "DblClick", "MouseUp"}));
    // The desktop view's path: a press and release, then the double click's own press and a
    // release without a click, at the box's centre (pixels).
    input::MouseDown(form, 50, 10);
    input::MouseUp(form, 50, 10);
    input::DoubleClickPress(form, 50, 10);
    input::MouseUp(form, 50, 10, button::Left, shift::None, false);
    EXPECT_EQ(log.Take(),
              (std::vector<std::string>{"MouseDown", "MouseUp", "Click", "DblClick", "MouseUp"}));
    EXPECT_EQ(App().Capture(), nullptr);
    txt.SetEnabled(false);  // a disabled control hears nothing
    input::DoubleClick(txt);
    EXPECT_TRUE(log.Take().empty());
}

TEST_F(ControlsTest, TheMousePlacesTheCaretDragsASelectionAndDoubleClickSelectsAWord) {
    auto& txt = form.Add<TextBox>("txtFrom");
    txt.Move(0, 0, 1500, 300);    // 100 x 20 pixels; the text starts 4 pixels in
    txt.SetText("Tipp gelesen");  // character boundaries at 0, 7, 9, 15, 21, 25, 31, 37, 39 ...
    const auto record = [&](const char* name) {
        return [&, name](std::int16_t, std::int16_t, float, float) {
            log.Add(std::string(name) + " " + std::to_string(txt.SelStart()) + "," +
                    std::to_string(txt.SelLength()));
        };
    };
    txt.MouseDown = record("MouseDown");
    txt.MouseMove = record("MouseMove");
    txt.MouseUp = record("MouseUp");
    txt.Click = [&] { log.Add("Click " + txt.SelText()); };
    txt.DblClick = [&] { log.Add("DblClick " + txt.SelText()); };
    input::MouseDown(form, 4 + 26, 10);                // nearest boundary: before "g"
    input::MouseMove(form, 4 + 60, 10, button::Left);  // to the end
    input::MouseMove(form, 4 + 8, 10, button::Left);   // back before the first "p"
    input::MouseUp(form, 4 + 8, 10);
    EXPECT_EQ(txt.SelText(), "pp ");
    input::MouseDown(form, 4 + 40, 10);
    input::MouseUp(form, 4 + 40, 10);
    input::DoubleClickPress(form, 4 + 40, 10);
    input::MouseUp(form, 4 + 40, 10, button::Left, shift::None, false);
    EXPECT_EQ(txt.SelText(), "gelesen");
    input::MouseDown(form, 4, 10, button::Right);  // only the left button places the caret
    input::MouseUp(form, 4, 10, button::Right);
    // Each event sees the selection before the box's own reaction to it.
    EXPECT_EQ(log.Take(), (std::vector<std::string>{
                              "MouseDown 0,0", "MouseMove 5,0", "MouseMove 5,7", "MouseUp 2,3",
                              "Click pp ", "MouseDown 2,3", "MouseUp 8,0", "Click ", "DblClick ",
                              "MouseUp 5,7", "MouseDown 5,7", "MouseUp 5,7"}));
}

TEST_F(ControlsTest, AMultiLineBoxWrapsAtItsWidthAndScrollsByWheel) {
    auto& txt = form.Add<TextBox>("txtDetails");
    txt.Move(0, 0, 1500, 750);  // 100 x 50 pixels: three lines of 13 show
    txt.SetMultiLine(true);
    txt.SetScrollBars(2);  // 77 pixels of text beside the bar
    txt.SetText("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\naaaa bbbb cccc dddd");
    ASSERT_EQ(txt.Lines().size(), 8u);  // the last line wraps after "bbbb "
    EXPECT_EQ(txt.VisibleLineCount(), 3);
    struct Row {
        int line;
        std::int16_t delta;
        int firstVisible;
    };
    const Row rows[] = {{1, -120, 3}, {2, -120, 5}, {3, -240, 5}, {4, 120, 2}, {5, 360, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        input::Wheel(form, 50, 25, row.delta);
        EXPECT_EQ(txt.FirstVisibleLine(), row.firstVisible);
    }
    // A click on the second line shown, scrolled to the end: "aaaa bbbb " starts at 18.
    txt.SetFirstVisibleLine(99);
    EXPECT_EQ(txt.FirstVisibleLine(), 5);
    input::MouseDown(form, 4 + 30, 2 + 1 + 13 + 5);
    input::MouseUp(form, 4 + 30, 2 + 1 + 13 + 5);
    EXPECT_EQ(txt.SelStart(), 23);
    input::MouseDown(form, 93, 10);  // on the scroll bar: the caret stays
    input::MouseUp(form, 93, 10);
    EXPECT_EQ(txt.SelStart(), 23);
    txt.SetText("Neu\r\n" + txt.Text());  // a new text shows from its top
    EXPECT_EQ(txt.FirstVisibleLine(), 0);
    txt.SetScrollBars(3);  // with a horizontal bar nothing wraps
    EXPECT_EQ(txt.Lines().size(), 8u);
    // A single-line box leaves the wheel to its container.
    auto& single = form.Add<TextBox>("txtFrom");
    single.Move(3000, 0, 1500, 300);
    single.SetText("x");
    input::Wheel(form, 250, 10, -120);
    EXPECT_EQ(single.FirstVisibleLine(), 0);
}

TEST_F(ControlsTest, CaretKeysInAMultiLineBoxMoveBetweenLinesAndScrollToTheCaret) {
    auto& txt = form.Add<TextBox>("txtDetails");
    txt.Move(0, 0, 1500, 750);  // three lines show
    txt.SetMultiLine(true);
    txt.SetScrollBars(2);
    txt.SetLocked(true);  // a read-only box still moves its caret
    // Lines start at 0, 6, 12, 18, 24 and 30; the text ends at 35.
    txt.SetText("eins\r\nzwei\r\ndrei\r\nvier\r\nf\u00fcnf\r\nsechs");
    txt.SetFocus();
    txt.SetSelStart(2);  // "ei|ns", 8 pixels in
    struct Row {
        int line;
        std::int16_t key, shift;
        int selStart, firstVisible;
    };
    const Row rows[] = {
        {1, key::Down, 0, 7, 0},             // "z|wei": the nearest place 8 pixels in
        {2, key::Down, 0, 13, 0},            // "d|rei"
        {3, key::Down, 0, 19, 1},            // "v|ier": the box scrolls to show it
        {4, key::End, 0, 22, 1},             // the end of the line, not of the text
        {5, key::Right, 0, 24, 2},           // over CR LF in one step
        {6, key::Left, 0, 22, 2},            // and back
        {7, key::End, shift::Ctrl, 35, 3},   // the end of the text
        {8, key::Home, 0, 30, 3},            // the start of the line
        {9, key::Down, 0, 30, 3},            // no line below: the caret stays
        {10, key::PageUp, 0, 12, 0},         // a page up, the caret with it
        {11, key::Home, shift::Ctrl, 0, 0},  // the start of the text
        {12, key::Up, 0, 0, 0},
        {13, key::PageDown, 0, 18, 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        input::PressKey(row.key, row.shift);
        EXPECT_EQ(txt.SelStart(), row.selStart);
        EXPECT_EQ(txt.SelLength(), 0);
        EXPECT_EQ(txt.FirstVisibleLine(), row.firstVisible);
    }
}

TEST_F(ControlsTest, ALockedTextBoxIgnoresTheUserButNotTheCode) {
    auto& txt = form.Add<TextBox>("txtDetails");
    txt.Move(0, 0, 1500, 300);
    txt.SetMultiLine(true);
    txt.SetLocked(true);
    txt.SetText("Tipp");
    txt.SetFocus();
    input::TypeText("x");
    input::PressKey(key::Back);
    input::PressKey(key::Return);
    EXPECT_EQ(txt.Text(), "Tipp");
    txt.SetLocked(false);
    txt.SetSelStart(4);
    input::PressKey(key::Return);
    EXPECT_EQ(txt.Text(), "Tipp\r\n");
}

TEST_F(ControlsTest, TheSelectionStaysInsideTheText) {
    auto& txt = form.Add<TextBox>("txt");
    txt.SetText("Grüße");  // five characters, seven bytes
    struct Row {
        int line, start, length, wantStart, wantLength;
        const char* wantSelected;
    };
    const Row rows[] = {
        {1, 0, 5, 0, 5, "Grüße"}, {2, 2, 2, 2, 2, "üß"}, {3, 4, 9, 4, 1, "e"},
        {4, 9, 3, 5, 0, ""},      {5, 5, 0, 5, 0, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        txt.SetSelStart(row.start);
        txt.SetSelLength(row.length);
        EXPECT_EQ(txt.SelStart(), row.wantStart);
        EXPECT_EQ(txt.SelLength(), row.wantLength);
        EXPECT_EQ(txt.SelText(), row.wantSelected);
    }
    for (int bad : {-1, -100}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(txt.SetSelStart(bad), rt::RuntimeError);
        EXPECT_THROW(txt.SetSelLength(bad), rt::RuntimeError);
    }
    txt.SetSelStart(1);
    txt.SetSelLength(3);
    txt.SetSelText("-");
    EXPECT_EQ(txt.Text(), "G-e");
    EXPECT_EQ(txt.SelStart(), 2);
}

TEST_F(ControlsTest, KeysMoveTheSelectionOfAClosedDropDownList) {
    auto& cbo = form.Add<ComboBox>("cboTippFilter");
    for (const char* item : {"Gestern", "Woche", "Monat"}) cbo.AddItem(item);
    cbo.Click = [&] { log.Add("Click " + cbo.Text()); };
    cbo.SetFocus();
    struct Row {
        int line;
        std::int16_t key, shift;
        int listIndex;
    };
    const Row rows[] = {
        {1, key::Down, 0, 0},           {2, key::Down, 0, 1}, {3, key::Right, 0, 2},
        {4, key::Down, 0, 2},           {5, key::Home, 0, 0}, {6, key::End, 0, 2},
        {7, key::Left, 0, 1},           {8, key::Up, 0, 0},   {9, key::Up, 0, 0},
        {10, key::Down, shift::Alt, 0}, {11, key::F4, 0, 0},  {12, key::Up, shift::Alt, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        input::PressKey(row.key, row.shift);
        EXPECT_EQ(cbo.ListIndex(), row.listIndex);
    }
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"Click Gestern", "Click Woche", "Click Monat",
                                                    "Click Gestern", "Click Monat", "Click Woche",
                                                    "Click Gestern"}));
}

TEST_F(ControlsTest, SettingListIndexRaisesClickByCodeAndByTheUser) {
    auto& cbo = form.Add<ComboBox>("cboZeitraum");
    cbo.Click = [&] { log.Add("Click " + std::to_string(cbo.ListIndex()) + " " + cbo.Text()); };
    for (const char* item : {"Gestern", "Woche", "Monat"}) cbo.AddItem(item);
    cbo.SetListIndex(0);
    cbo.SetListIndex(0);  // no change
    cbo.SetListIndex(2);
    cbo.SetFocus();
    input::PressKey(key::Up);
    input::PressKey(key::Up);
    input::PressKey(key::Up);  // the first item: nothing
    cbo.Clear();               // no Click
    EXPECT_EQ(cbo.ListIndex(), -1);
    EXPECT_EQ(cbo.Text(), "");
    cbo.AddItem("Gestern");
    cbo.SetListIndex(0);
    EXPECT_EQ(log.Take(),
              (std::vector<std::string>{"Click 0 Gestern", "Click 2 Monat", "Click 1 Woche",
                                        "Click 0 Gestern", "Click 0 Gestern"}));
    for (const int bad : {1, -2}) {  // past the list, below -1
        SCOPED_TRACE(bad);
        EXPECT_EQ(ErrorOf([&] { cbo.SetListIndex(bad); }), 380);
        EXPECT_EQ(cbo.ListIndex(), 0);
    }
    EXPECT_THROW(cbo.List(1), rt::RuntimeError);
}

TEST_F(ControlsTest, SelectingAnOptionClearsTheOthersOfItsContainerOnly) {
    auto& fra = form.Add<Frame>("fra");
    auto& optA = form.Add<OptionButton>("optA");
    auto& optB = form.Add<OptionButton>("optB");
    auto& optC = form.Add<OptionButton>("optC");
    auto& optInFrame = fra.Add<OptionButton>("optInFrame");
    optA.Move(0, 0, 1000, 255);
    optB.Move(0, 300, 1000, 255);
    for (OptionButton* o : {&optA, &optB, &optC, &optInFrame}) {
        o->Click = log.Record(o->Name() + ".Click");
    }
    const auto values = [&] {
        return std::vector<bool>{optA.Value(), optB.Value(), optC.Value(), optInFrame.Value()};
    };
    optInFrame.SetValue(true);
    optA.SetValue(true);
    optA.SetValue(true);  // already selected: no Click
    input::Click(optB);
    EXPECT_EQ(values(), (std::vector<bool>{false, true, false, true}));
    optB.SetValue(false);  // clearing raises nothing
    EXPECT_EQ(values(), (std::vector<bool>{false, false, false, true}));
    EXPECT_EQ(log.Take(),
              (std::vector<std::string>{"optInFrame.Click", "optA.Click", "optB.Click"}));
}

TEST_F(ControlsTest, ACheckBoxRaisesClickOnEveryChange) {
    auto& chk = form.Add<CheckBox>("chkCell");
    chk.Move(0, 0, 300, 300);
    chk.Click = [&] { log.Add("Click " + std::to_string(chk.Value())); };
    chk.SetValue(1);
    chk.SetValue(1);
    chk.SetValue(2);
    input::Click(chk);  // grey -> unchecked
    input::Click(chk);
    chk.SetFocus();
    input::PressKey(key::Space);
    EXPECT_EQ(log.Take(),
              (std::vector<std::string>{"Click 1", "Click 2", "Click 0", "Click 1", "Click 0"}));
    EXPECT_THROW(chk.SetValue(3), rt::RuntimeError);
    EXPECT_EQ(chk.Value(), 0);
}

TEST_F(ControlsTest, AScrollBarKeepsItsValueInRange) {
    auto& vscr = form.Add<ScrollBar>("vscrGrid");
    vscr.Change = [&] { log.Add("Change " + std::to_string(vscr.Value())); };
    vscr.Scroll = [&] { log.Add("Scroll " + std::to_string(vscr.Value())); };
    vscr.SetMax(20);
    vscr.SetLargeChange(10);
    vscr.SetValue(18);
    vscr.SetFocus();
    input::PressKey(key::PageDown);  // stops at Max
    input::PressKey(key::Up);
    vscr.UserDrag(3);
    // The thumb held by the mouse: Scroll on each move, Change once on its release.
    vscr.UserTrack(5);
    vscr.UserTrack(5);
    vscr.UserTrack(8);
    vscr.UserEndTrack();
    // Dragged away and back to where it began: nothing changed.
    vscr.UserTrack(4);
    vscr.UserTrack(8);
    vscr.UserEndTrack();
    vscr.SetMax(2);  // the value moves into the new range
    EXPECT_EQ(log.Take(),
              (std::vector<std::string>{"Change 18", "Change 20", "Change 19", "Scroll 3",
                                        "Change 3", "Scroll 5", "Scroll 8", "Change 8", "Scroll 4",
                                        "Scroll 8", "Change 2"}));
    for (int bad : {-1, 3}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(vscr.SetValue(bad), rt::RuntimeError);
    }
    EXPECT_THROW(vscr.SetLargeChange(0), rt::RuntimeError);
}

TEST_F(ControlsTest, ControlArrayElementsLoadAsCopiesOfTheFirstAndUnload) {
    auto& txtInput = form.AddArray<TextBox>("txtInput");
    txtInput(0).Move(20, 30, 100, 16);
    txtInput(0).SetFontSize(10);
    txtInput(0).SetTag("0");
    txtInput.Wire([&](TextBox& box, int index) {
        box.Change = log.Record("txtInput_Change " + std::to_string(index));
    });
    TextBox& loaded = txtInput.Load(3);
    EXPECT_EQ(loaded.Index(), 3);
    EXPECT_FALSE(loaded.Visible());
    EXPECT_EQ((std::vector<float>{loaded.Left(), loaded.Top(), loaded.Width(), loaded.FontSize()}),
              (std::vector<float>{20, 30, 100, 10}));
    EXPECT_EQ(loaded.Tag(), "0");
    EXPECT_EQ(txtInput.LBound(), 0);
    EXPECT_EQ(txtInput.UBound(), 3);
    EXPECT_EQ(txtInput.Count(), 2);
    EXPECT_EQ(form.FindControl("txtInput", 3), &loaded);

    txtInput(3).SetText("a");
    txtInput(0).SetText("b");
    txtInput.Unload(3);
    EXPECT_FALSE(txtInput.Exists(3));
    EXPECT_FALSE(loaded.IsLoaded());  // a reference kept to it stays safe to use
    EXPECT_THROW(loaded.SetFocus(), rt::RuntimeError);
    EXPECT_EQ(form.FindControl("txtInput", 3), nullptr);
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"txtInput_Change 3", "txtInput_Change 0"}));

    struct Row {
        int line;
        std::function<void()> call;
        int error;
        std::string description;
    };
    const Row rows[] = {
        {1, [&] { txtInput(3); }, 340, "Control array element '3' doesn't exist"},
        {2, [&] { txtInput.Unload(3); }, 340, "Control array element '3' doesn't exist"},
        {3, [&] { txtInput.Load(0); }, 360, "Object already loaded"},
        {4, [&] { txtInput.Unload(0); }, 362, "Can't unload controls created at design time"},
        {5, [&] { txtInput.Load(-1); }, 340, "Control array element '-1' doesn't exist"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(ErrorTextOf(row.call), std::to_string(row.error) + ": " + row.description);
    }
    EXPECT_EQ(txtInput.Indexes(), (std::vector<int>{0}));
}

struct Stream : ChangeObserver {
    void ControlAdded(Control& c) override { Note("added", c, ""); }
    void ControlChanged(Control& c, std::string_view property) override {
        Note("changed", c, property);
    }
    void ControlRemoved(Control& c) override { Note("removed", c, ""); }
    void Note(const char* what, Control& c, std::string_view property) {
        std::string line =
            std::string(what) + " " + c.Name() + "(" + std::to_string(c.Index()) + ")";
        if (!property.empty()) line += " " + std::string(property);
        lines.push_back(line);
    }
    std::vector<std::string> lines;
};

TEST_F(ControlsTest, AViewFollowsEveryChangeThroughTheChangeStream) {
    auto& txtInputC = form.AddArray<TextBox>("txtInputC");
    Stream stream;
    App().AddObserver(&stream);
    TextBox& element = txtInputC.Load(1);
    element.Move(10, 20, 100, 16);
    element.SetAlignment(2);
    element.SetScrollBars(2);
    element.SetText("x");
    element.SetText("x");  // no change, nothing reported
    element.SetVisible(true);
    element.SetFocus();
    EXPECT_THROW(element.SetAlignment(3), rt::RuntimeError);
    txtInputC.Unload(1);
    App().RemoveObserver(&stream);
    EXPECT_EQ(stream.lines, (std::vector<std::string>{
                                "added txtInputC(1)", "changed txtInputC(1) Left",
                                "changed txtInputC(1) Top", "changed txtInputC(1) Width",
                                "changed txtInputC(1) Height", "changed txtInputC(1) Alignment",
                                "changed txtInputC(1) ScrollBars", "changed txtInputC(1) Text",
                                "changed txtInputC(1) Visible", "changed txtInputC(1) Focus",
                                "changed txtInputC(1) Focus", "removed txtInputC(1)"}));
}

TEST_F(ControlsTest, UnloadingTheFocusedElementTakesTheFocusAway) {
    auto& cmdHeader = form.AddArray<CommandButton>("cmdHeader");
    cmdHeader(0).Move(0, 0, 100, 100);
    CommandButton& second = cmdHeader.Load(1);
    second.SetVisible(true);
    second.SetFocus();
    cmdHeader.Unload(1);
    EXPECT_EQ(App().FocusedControl(), nullptr);
    EXPECT_FALSE(cmdHeader.Exists(1));
}

TEST_F(ControlsTest, LateBoundCallsReachTheKindsMembersAndTheCommonOnes) {
    auto& txt = form.Add<TextBox>("txtFrom");
    auto& cbo = form.Add<ComboBox>("cboZeitraum");
    const rt::ObjectRef text = txt.Object();
    const rt::ObjectRef combo = cbo.Object();

    rt::LetProperty(text, "Text", "31.05.2026");
    rt::LetProperty(text, "left", 360);
    rt::CallMethod(text, "Move", 120, 240, 1095, 285);
    rt::CallMethod(combo, "AddItem", "Gestern");
    rt::LetProperty(combo, "ListIndex", 0);
    EXPECT_EQ(txt.Text(), "31.05.2026");
    EXPECT_EQ(rt::GetProperty(text, "Text"), rt::Variant("31.05.2026"));
    EXPECT_EQ(rt::GetProperty(text, "Width"), rt::Variant(1095.0f));
    EXPECT_EQ(txt.Left(), 120);
    EXPECT_EQ(rt::GetProperty(combo, "ListCount"), rt::Variant(std::int16_t{1}));
    EXPECT_EQ(rt::GetProperty(combo, "Text"), rt::Variant("Gestern"));

    struct Row {
        int line;
        std::function<void()> call;
        int error;
    };
    const Row rows[] = {
        {1, [&] { rt::GetProperty(text, "ListIndex"); }, 438},
        {2, [&] { rt::LetProperty(combo, "ListCount", 3); }, 383},
        {3, [&] { rt::LetProperty(text, "Width", -5); }, 380},
        {4, [&] { rt::LetProperty(text, "Left", "links"); }, 13},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(ErrorOf(row.call), row.error);
    }
}

}  // namespace
}  // namespace forms
