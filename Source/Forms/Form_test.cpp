// Forms: loading on first use, unloading with its cancel flag, the global reference, Resize, the
// twips scale, and a small sample form wired the way the add-in's window is.
#include <gtest/gtest.h>

#include "ComboBox.h"
#include "CommandButton.h"
#include "Form.h"
#include "FormRef.h"
#include "Frame.h"
#include "Image.h"
#include "InputSimulator.h"
#include "Label.h"
#include "OptionButton.h"
#include "PictureBox.h"
#include "RuntimeError_test.h"
#include "TextBox.h"
#include "ToolkitTestSupport.h"

namespace forms {
namespace {

using rt::testing::ErrorOf;
using testing::EventLog;
using testing::ToolkitTest;

std::vector<EventLog*> sampleLogs;  // where each sample form instance reports

// A window like the add-in's: a working area holding a period frame, a start button and a
// group of status options.
class frmSample : public Form {
  public:
    frmSample() : Form("frmSample") {
        Move(0, 0, 6000, 4500);
        picWorkingArea.Move(0, 0, 6000, 4500);
        fraZeitraum.Move(120, 120, 3000, 1500);
        fraZeitraum.SetCaption("Zeitraum");
        cboZeitraum.Move(120, 300, 2500, 315);
        txtFrom.Move(120, 800, 1100, 285);
        cmdStartExport.Move(3300, 3900, 2600, 480);
        cmdStartExport.SetCaption("Tipps abfragen");
        optStatus(0).SetCaption("Tipp noch nicht gelesen");
        optStatus.AddDesignElement(1).SetCaption("Tipp gelesen");

        Load = [this] {
            Report("Load");
            SetWidth(0);
            SetHeight(0);
            cboZeitraum.AddItem("Gestern");
            cboZeitraum.AddItem("Letzte Woche");
            cboZeitraum.SetListIndex(0);
        };
        Resize = [this] {
            Report("Resize");
            try {
                picWorkingArea.Move(0, 0, Width(), Height());
            } catch (const rt::RuntimeError&) {
            }
        };
        Unload = [this](std::int16_t& cancel) {
            Report("Unload");
            cancel = keepLoaded ? 1 : 0;
        };
        cboZeitraum.Click = [this] { txtFrom.SetText(cboZeitraum.Text()); };
        cmdStartExport.Click = [this] {
            cmdStartExport.SetEnabled(false);
            picWorkingArea.SetMousePointer(pointer::Hourglass);
            Report("Upload " + txtFrom.Text());
            picWorkingArea.SetMousePointer(pointer::Default);
            cmdStartExport.SetEnabled(true);
        };
        optStatus.Wire([this](OptionButton& option, int index) {
            option.Click = [this, index] { Report("optStatus_Click " + std::to_string(index)); };
        });
    }

    void Report(std::string what) {
        if (!sampleLogs.empty()) sampleLogs.back()->Add(std::move(what));
    }

    bool keepLoaded = false;
    PictureBox& picWorkingArea = Add<PictureBox>("picWorkingArea");
    Frame& fraZeitraum = picWorkingArea.Add<Frame>("fraZeitraum");
    ComboBox& cboZeitraum = fraZeitraum.Add<ComboBox>("cboZeitraum");
    TextBox& txtFrom = fraZeitraum.Add<TextBox>("txtFrom");
    CommandButton& cmdStartExport = picWorkingArea.Add<CommandButton>("cmdStartExport");
    ControlArray<OptionButton>& optStatus = picWorkingArea.AddArray<OptionButton>("optStatus");
};

class FormTest : public ToolkitTest {
  protected:
    FormTest() { sampleLogs.push_back(&log); }
    ~FormTest() override { sampleLogs.pop_back(); }
};

TEST_F(FormTest, SampleFormLoadsOnFirstUseAndRunsItsHandlers) {
    FormRef<frmSample> frm;
    EXPECT_TRUE(frm.IsNothing());

    EXPECT_EQ(frm->txtFrom.Text(), "Gestern");  // the first use loads: Load fills the list
    // Load sets the width and then the height to 0: two changes of size.
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"Load", "Resize", "Resize"}));

    frm->Show();
    frm->Move(0, 0, 9000, 6000);
    EXPECT_EQ(frm->picWorkingArea.Width(), 9000);
    input::Click(frm->cmdStartExport);
    frm->optStatus(1).SetValue(true);
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"Resize", "Resize", "Upload Gestern",
                                                    "optStatus_Click 1"}));
    EXPECT_TRUE(frm->cmdStartExport.Enabled());
    EXPECT_EQ(frm->picWorkingArea.MousePointer(), pointer::Default);
}

TEST_F(FormTest, UnloadingEmptiesTheReferenceAndTheNextUseStartsAFreshForm) {
    FormRef<frmSample> frm;
    frm->cboZeitraum.SetListIndex(1);
    std::weak_ptr<frmSample> first = frm.Instance();

    frm->keepLoaded = true;
    EXPECT_FALSE(Unload(*frm));  // the handler cancels
    EXPECT_FALSE(frm.IsNothing());
    EXPECT_TRUE(frm->Loaded());

    frm->keepLoaded = false;
    EXPECT_TRUE(Unload(*frm));
    EXPECT_TRUE(frm.IsNothing());
    EXPECT_EQ(frm->cboZeitraum.ListIndex(), 0);  // a new instance from Load
    EXPECT_EQ(frm->txtFrom.Text(), "Gestern");
    EXPECT_NE(frm.Instance(), first.lock());
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"Load", "Resize", "Resize", "Unload", "Unload",
                                                    "Load", "Resize", "Resize"}));
}

TEST_F(FormTest, ResetInsideUnloadKeepsTheFormAliveUntilTheUnloadEnds) {
    FormRef<frmSample> frm;
    frmSample& form = *frm;
    form.Unload = [&](std::int16_t&) { frm.Reset(); };
    EXPECT_TRUE(Unload(form));
    EXPECT_TRUE(frm.IsNothing());
}

TEST_F(FormTest, AHandlerMayUnloadAndDropItsFormWhileTheInputIsDelivered) {
    FormRef<frmSample> frm;
    frm->Show();
    frm->cmdStartExport.Click = [&] {
        Unload(*frm);
        frm.Reset();
    };
    frm->cmdStartExport.DblClick = log.Record("DblClick");
    input::DoubleClick(frm->cmdStartExport);
    EXPECT_TRUE(frm.IsNothing());
    // The window is gone after the first click: no double click reaches it.
    EXPECT_EQ(log.Take(),
              (std::vector<std::string>{"Load", "Resize", "Resize", "Resize", "Unload"}));
}

TEST_F(FormTest, FormsMeasureInTwipsAndTheClientAreaIsTheWholeWindow) {
    Form form;
    auto& pic = form.Add<PictureBox>("pic");
    auto& inner = pic.Add<Label>("lbl");
    form.Move(1500, 3000, 12045, 6915);
    pic.Move(360, 120, 8775, 6615);
    inner.Move(150, 300, 1500, 255);
    Load(form);

    EXPECT_EQ(form.ScaleWidth(), 12045);
    EXPECT_EQ(form.ScaleHeight(), 6915);
    EXPECT_EQ(pic.ScaleWidth(), 8775);
    const PixelRect box = inner.PixelBounds();
    EXPECT_EQ(box.left, 24 + 10);  // 360 twips + 150 twips
    EXPECT_EQ(box.top, 8 + 20);
    EXPECT_EQ(box.width, 100);
    EXPECT_EQ(platform::Windows().GetWindowRect(form.hWnd()), (platform::Rect{100, 200, 903, 661}));

    pic.SetBorderStyle(1);  // two pixels each side
    EXPECT_EQ(pic.ScaleWidth(), 8775 - 60);
    pic.SetScaleMode(3);
    EXPECT_EQ(pic.ScaleWidth(), 585 - 4);
    EXPECT_EQ(pic.ScaleHeight(), 441 - 4);
}

TEST_F(FormTest, ResizeFollowsEveryChangeOfSizeWhileLoaded) {
    Form form;
    auto& pic = form.Add<PictureBox>("pic");
    form.Resize = log.Record("Form_Resize");
    pic.Resize = log.Record("pic_Resize");
    form.SetWidth(3000);  // not loaded: no event
    Load(form);
    form.SetWidth(4000);
    form.Move(100, 100);  // place only
    form.Move(100, 100, 4000, 2000);
    pic.Move(0, 0, 10, 10);
    pic.Move(5, 5);
    pic.SetHeight(20);
    EXPECT_EQ(log.Take(),
              (std::vector<std::string>{"Form_Resize", "Form_Resize", "pic_Resize", "pic_Resize"}));
}

TEST_F(FormTest, ANegativeSizeFailsWithItsErrorAndChangesNothing) {
    Form form;
    auto& txt = form.Add<TextBox>("txt");
    txt.Move(10, 20, 30, 40);
    struct Row {
        int line;
        std::function<void()> call;
    };
    const Row rows[] = {
        {1, [&] { txt.SetWidth(-1); }},
        {2, [&] { txt.SetHeight(-0.5f); }},
        {3, [&] { txt.Move(1, 2, -3, 4); }},
        {4, [&] { txt.Move(1, 2, 3, -4); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(ErrorOf(row.call), 380);
        EXPECT_EQ((std::vector<float>{txt.Left(), txt.Top(), txt.Width(), txt.Height()}),
                  (std::vector<float>{10, 20, 30, 40}));
    }
}

TEST_F(FormTest, AGifPictureGivesTheImageItsNaturalSize) {
    Form form;
    auto& img = form.Add<Image>("imgLogo");
    std::string gif = "GIF89a";
    gif += {static_cast<char>(129), 0, 108, 0};
    gif += std::string(20, '\0');
    img.Move(6720, 240, 100, 100);
    img.SetPicture(LoadPictureBytes(gif));
    EXPECT_EQ((std::vector<float>{img.Left(), img.Top(), img.Width(), img.Height()}),
              (std::vector<float>{6720, 240, 1935, 1620}));

    const std::string notGif[] = {"", "GIF89a\x01", "PNG89a0000000000", "GIF90a0000000000"};
    for (std::size_t i = 0; i < std::size(notGif); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ErrorOf([&] { LoadPictureBytes(notGif[i]); }), 481);
    }
}

TEST_F(FormTest, UnloadingDropsTheFocusWithoutEventsAndStopsRepaintingOldWindows) {
    Form form;
    auto& txt = form.Add<TextBox>("txt");
    txt.LostFocus = log.Record("LostFocus");
    form.Show();
    txt.SetFocus();
    const auto window = txt.hWnd();
    EXPECT_EQ(form.ActiveControl(), &txt);
    EXPECT_EQ(App().FormOfWindow(form.hWnd()), &form);
    EXPECT_EQ(App().Forms(), (std::vector<Form*>{&form}));
    EXPECT_TRUE(Unload(form));
    EXPECT_TRUE(App().Forms().empty());
    EXPECT_EQ(App().FocusedControl(), nullptr);
    EXPECT_EQ(form.ActiveControl(), nullptr);
    EXPECT_FALSE(platform::Windows().IsWindow(window));
    EXPECT_TRUE(log.Take().empty());
}

}  // namespace
}  // namespace forms
