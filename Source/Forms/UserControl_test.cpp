// User controls: placement through the extender in the host's units with constituents in
// pixels, Resize, the property bag with its defaults, PropertyChanged, late binding through the
// control's own table and the extender's, key preview, text widths; and the picture box's
// display list.
#include <gtest/gtest.h>

#include "CommandButton.h"
#include "Form.h"
#include "InputSimulator.h"
#include "MemberRows.h"
#include "PictureBox.h"
#include "PropertyBag.h"
#include "TextBox.h"
#include "TextMetrics.h"
#include "ToolkitTestSupport.h"
#include "UserControl.h"

namespace forms {
namespace {

using testing::ToolkitTest;

// A small grid-like control: a header button across the top and one cell editor, settings kept
// in the property bag, a late-bound interface of its own.
class ctlSample : public UserControl {
  public:
    explicit ctlSample(std::string name) : UserControl(std::move(name)) {
        InitProperties = [this] { header_ = "Spalte 1"; };
        ReadProperties = [this](PropertyBag& bag) {
            header_ = bag.ReadProperty("Header", "Spalte 1").ToString();
            redraw_ = bag.ReadProperty("Redraw", false).ToBool();
            readOnly_ = bag.ReadProperty("ReadOnly", false).ToBool();
        };
        WriteProperties = [this](PropertyBag& bag) {
            bag.WriteProperty("Header", header_, "");
            bag.WriteProperty("Redraw", redraw_, false);
            bag.WriteProperty("ReadOnly", readOnly_, false);
        };
        Resize = [this] { cmdHeader.Move(0, 0, ScaleWidth(), 20); };
    }

    const std::string& ColHeader() const { return header_; }
    void SetColHeader(std::string value) {
        header_ = std::move(value);
        PropertyChanged("Header");
    }
    bool Redraw() const { return redraw_; }
    void SetRedraw(bool value) {
        redraw_ = value;
        PropertyChanged("Redraw");
    }

    rt::DispId GetIdOfName(std::string_view name) override {
        return ChainedIdOfName<ctlSample, UserControl>(name);
    }
    rt::Variant Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) override {
        return ChainedInvoke<ctlSample, UserControl>(id, type, args);
    }
    static const rt::DispatchTable<ctlSample>& Members() {
        static const rt::DispatchTable<ctlSample> table{
            rows::Property<ctlSample>("ColHeader", 0x68030011, &ctlSample::ColHeader,
                                      &ctlSample::SetColHeader),
            rows::Property<ctlSample>("Redraw", 0x6803000C, &ctlSample::Redraw,
                                      &ctlSample::SetRedraw),
        };
        return table;
    }

    CommandButton& cmdHeader = Add<CommandButton>("cmdHeader");
    TextBox& txtInput = Add<TextBox>("txtInput");

  private:
    std::string header_;
    bool redraw_ = false;
    bool readOnly_ = false;
};

class UserControlTest : public ToolkitTest {
  protected:
    UserControlTest() {
        form.Move(0, 0, 12045, 6915);
        grid.PropertyChangedNotify = [this](const std::string& name) {
            log.Add("PropertyChanged " + name);
        };
    }
    Form form;
    ctlSample& grid = form.Add<ctlSample>("grdTipps");
};

TEST_F(UserControlTest, TheBagKeepsOnlyValuesThatDifferFromTheirDefaults) {
    PropertyBag bag;
    struct Row {
        int line;
        const char* name;
        rt::Variant value, defaultValue;
        bool stored;
    };
    const Row rows[] = {
        {1, "Header", "Datum|Tipp", "", true},
        {2, "Header", "", "", false},  // back to its default: the entry goes
        {3, "Redraw", true, false, true},
        {4, "ColWidthReposition", true, true, false},
        {5, "Fontsize", 8.25f, std::int16_t{0}, true},
        {6, "Cols", std::int16_t{0}, std::int16_t{0}, false},
        {7, "LeftCol", std::int32_t{0}, std::int16_t{0}, false},  // numbers compare by value
        {8, "Flag", true, std::int16_t{-1}, false},               // True is -1
        {9, "Always", "", rt::Variant::Missing(), true},          // no default: always stored
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        bag.WriteProperty(row.name, row.value, row.defaultValue);
        EXPECT_EQ(bag.Contains(row.name), row.stored);
    }
    std::vector<std::string> names;
    for (const auto& [name, value] : bag.Entries()) names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"Redraw", "Fontsize", "Always"}));

    EXPECT_EQ(bag.ReadProperty("redraw", false), rt::Variant(true));  // names ignore case
    EXPECT_EQ(bag.ReadProperty("Header", "Spalte 1"), rt::Variant("Spalte 1"));
    EXPECT_EQ(bag.ReadProperty("Missing"), rt::Variant());
}

TEST_F(UserControlTest, SettingsTravelThroughTheBagAndChangesAreReportedToTheContainer) {
    grid.InitNew();
    EXPECT_EQ(grid.ColHeader(), "Spalte 1");
    grid.SetColHeader("Datum|Tipp");
    rt::LetProperty(grid.Object(), "Redraw", true);
    PropertyBag bag;
    grid.SaveProperties(bag);
    EXPECT_EQ(bag.Entries().size(), 2u);

    Form other;
    auto& copy = other.Add<ctlSample>("grdCopy");
    copy.LoadProperties(bag);
    EXPECT_EQ(copy.ColHeader(), "Datum|Tipp");
    EXPECT_TRUE(copy.Redraw());
    PropertyBag empty;
    copy.LoadProperties(empty);
    EXPECT_EQ(copy.ColHeader(), "Spalte 1");
    EXPECT_FALSE(copy.Redraw());
    EXPECT_EQ(log.Take(),
              (std::vector<std::string>{"PropertyChanged Header", "PropertyChanged Redraw"}));
    EXPECT_TRUE(grid.Ambient().UserMode);
}

TEST_F(UserControlTest, TheExtenderPlacesTheControlInTwipsItsConstituentsUsePixels) {
    std::vector<float> resized;
    grid.Resize = [&] {
        resized.push_back(grid.ScaleWidth());
        grid.cmdHeader.Move(0, 0, grid.ScaleWidth(), 20);
    };
    grid.Extender().Move(120, 2280, 8295, 1575);
    grid.txtInput.Move(10, 21, 100, 14);
    EXPECT_EQ(grid.ScaleWidth(), 553);
    EXPECT_EQ(grid.ScaleHeight(), 105);
    EXPECT_EQ(grid.cmdHeader.Width(), 553);
    const PixelRect cell = grid.txtInput.PixelBounds();
    EXPECT_EQ((std::vector<float>{cell.left, cell.top, cell.width, cell.height}),
              (std::vector<float>{8 + 10, 152 + 21, 100, 14}));

    rt::CallMethod(grid.Object(), "Move", 120, 2280, 8295, 3000);  // the extender, late-bound
    grid.SetTop(2400);                                             // no change of size
    EXPECT_EQ(resized, (std::vector<float>{553, 553}));
    EXPECT_EQ(grid.ScaleHeight(), 200);
    EXPECT_EQ(rt::GetProperty(grid.Object(), "Top"), rt::Variant(2400.0f));
}

TEST_F(UserControlTest, LateBoundCallsUseTheControlsOwnDispatchIds) {
    const rt::ObjectRef object = grid.Object();
    EXPECT_EQ(object->GetIdOfName("colheader"), 0x68030011);
    rt::Variant args[] = {rt::Variant("Datum|Tipp")};
    object->Invoke(0x68030011, rt::CallType::PropertyLet, args);
    EXPECT_EQ(grid.ColHeader(), "Datum|Tipp");
    EXPECT_EQ(rt::GetProperty(object, "hWnd"), rt::Variant(grid.hWnd()));
    EXPECT_NE(grid.hWnd(), 0);
    EXPECT_THROW(object->GetIdOfName("CellValue"), rt::RuntimeError);
}

TEST_F(UserControlTest, KeyPreviewLetsTheControlSeeAndStopKeysOfItsConstituents) {
    form.Show();
    grid.Move(0, 0, 3000, 1500);
    grid.txtInput.Move(0, 0, 100, 20);
    grid.txtInput.SetText("ab");
    grid.txtInput.SetFocus();
    grid.KeyDown = [&](std::int16_t& keyCode, std::int16_t& shiftState) {
        log.Add("UserControl_KeyDown " + std::to_string(keyCode) + " " +
                std::to_string(shiftState));
        if (keyCode == key::Escape) keyCode = 0;
    };
    grid.txtInput.KeyDown = [&](std::int16_t& keyCode, std::int16_t&) {
        log.Add("txtInput_KeyDown " + std::to_string(keyCode));
    };
    EXPECT_EQ(grid.ActiveControl(), &grid.txtInput);
    input::PressKey(key::Right);  // without preview only the editor sees it
    grid.SetKeyPreview(true);
    input::PressKey(key::F2, shift::Ctrl);
    input::PressKey(key::Escape);
    EXPECT_EQ(log.Take(),
              (std::vector<std::string>{"txtInput_KeyDown 39", "UserControl_KeyDown 113 2",
                                        "txtInput_KeyDown 113", "UserControl_KeyDown 27 0"}));
    EXPECT_EQ(grid.txtInput.SelStart(), 1);
}

class FixedMetrics : public TextMetrics {
  public:
    float TextWidth(std::string_view text, float fontSize) override {
        return static_cast<float>(text.size()) * fontSize;
    }
    float TextHeight(float fontSize) override { return fontSize * 2; }
};

TEST_F(UserControlTest, TextWidthsAreMeasuredWithTheControlsFont) {
    grid.SetFontSize(8.25f);
    EXPECT_EQ(grid.TextWidth("Datum"), 7 + 6 + 4 + 6 + 10);  // the headless width table
    grid.SetFontSize(16.5f);
    EXPECT_EQ(grid.TextWidth("Datum"), 2 * (7 + 6 + 4 + 6 + 10));
    EXPECT_EQ(grid.TextWidth("Grüße"), 2 * (7 + 4 + 6 + 6 + 6));

    rt::ScopedRole<TextMetrics> metrics(std::make_shared<FixedMetrics>());
    EXPECT_EQ(grid.TextWidth("abc"), 3 * 16.5f);
    EXPECT_EQ(rt::CallMethod(grid.Object(), "TextWidth", "ab"), rt::Variant(33.0f));
}

TEST_F(UserControlTest, APictureBoxKeepsWhatIsDrawnOnItAsADisplayList) {
    auto& picCellBg = grid.Add<PictureBox>("picCellBg");
    picCellBg.SetScaleMode(3);
    picCellBg.Move(0, 20, 200, 45);
    picCellBg.SetBackColor(color::White);
    picCellBg.SetForeColor(color::Grey);
    picCellBg.Line(0, 0, 10, 10);  // drawn before: cleared below
    picCellBg.Cls();
    picCellBg.FilledBox(0, 0, picCellBg.ScaleWidth(), picCellBg.ScaleHeight(),
                        picCellBg.BackColor());
    picCellBg.Line(99, 0, 99, 45);
    picCellBg.Line(0, 14, 200, 14, color::Black);
    EXPECT_EQ(picCellBg.DisplayList(),
              (std::vector<Shape>{{Shape::Kind::FilledBox, 0, 0, 200, 45, color::White},
                                  {Shape::Kind::Line, 99, 0, 99, 45, color::Grey},
                                  {Shape::Kind::Line, 0, 14, 200, 14, color::Black}}));
}

}  // namespace
}  // namespace forms
