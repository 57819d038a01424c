// The window's part of the tips exchange: date checks, the start button, the tips list with its
// details and status options, the logo. The tips list is a recording stand-in reached through
// the window's list accessor.
#include <gtest/gtest.h>

#include <filesystem>

#include "Application.h"
#include "Clock.h"
#include "Cursors.h"
#include "DateTime.h"
#include "DebugRecorder.h"
#include "InputSimulator.h"
#include "Shell.h"
#include "TippsFixture_test.h"
#include "cIniFile.h"
#include "frmAddIn.h"
#include "mGlobVar.h"

namespace {

namespace fs = std::filesystem;
using namespace tipps_test;

class FakeShell final : public platform::ShellService {
  public:
    explicit FakeShell(Journal& journal) : journal_(journal) {}
    std::int32_t ShellExecute(std::intptr_t, std::string_view verb, std::string_view file,
                              std::string_view parameters, std::string_view directory,
                              int showCmd) override {
        journal_.push_back("shell " + std::string(verb) + " " + std::string(file) + " [" +
                           std::string(parameters) + "] [" + std::string(directory) + "] " +
                           std::to_string(showCmd));
        return 42;
    }

  private:
    Journal& journal_;
};

class WindowTipsTest : public TippsFixture {
  protected:
    void SetUp() override {
        TippsFixture::SetUp();
        window().Show();
        window().Move(0, 0, 12045, 6915);
        journal.clear();
    }
    using TippsFixture::Store;
    void Store(const std::string& id, const std::string& value) {
        cIniFile ini;
        ini.IniFile(Store().string());
        ini.Save("Tipp", StoreKey(id), rt::Variant(value));
    }
    // The list after an exchange: one row per tip, gtTippIds beside it.
    void List(const std::vector<std::pair<std::string, std::string>>& tips) {
        grid->rows.clear();
        gtTippIds.clear();
        for (const auto& [id, text] : tips) {
            grid->rows.push_back({"05.03.2016", text});
            gtTippIds.push_back(id);
        }
    }
    void Select(int col, int row) {
        std::int16_t c = static_cast<std::int16_t>(col), r = static_cast<std::int16_t>(row);
        window().grdTipps_CellGotFocus(c, r);
    }
    std::vector<bool> Options() {
        return {window().optStatus[0].Value(), window().optStatus[1].Value(),
                window().optStatus[2].Value()};
    }

    rt::ScopedRole<platform::ShellService> shell{std::make_shared<FakeShell>(journal)};
};

const std::string kDateWarning = "box \"text 224\" buttons 0 icon 48 \"Perlowan\"";

TEST_F(WindowTipsTest, LeavingADateBoxChecksItsText) {
    struct Row {
        const char* text;
        bool warned;
    };
    const Row rows[] = {
        // The forms a date takes are the runtime's date tests' matter; these show the box uses
        // them.
        /* 0 */ {"05.03.2016", false},
        /* 1 */ {"5. März 2016", false},
        /* 2 */ {"31.02.2016", true},
        /* 3 */ {"", true},
        /* 4 */ {"05.03.2016x", true},
    };
    for (forms::TextBox* box : {&window().txtFrom, &window().txtTo}) {
        for (std::size_t i = 0; i < std::size(rows); ++i) {
            SCOPED_TRACE(box->Name() + " row " + std::to_string(i));
            window().txtFrom.SetText("01.01.2016");
            window().txtTo.SetText("01.01.2016");
            box->SetFocus();
            box->SetText(rows[i].text);
            journal.clear();
            window().cboTippFilter.SetFocus();
            EXPECT_EQ(journal, rows[i].warned ? Journal{kDateWarning} : Journal{});
            EXPECT_EQ(forms::App().FocusedControl(),
                      rows[i].warned ? static_cast<forms::Control*>(box)
                                     : static_cast<forms::Control*>(&window().cboTippFilter));
            EXPECT_EQ(box->Text(), rows[i].text);
        }
    }
}

TEST_F(WindowTipsTest, TwoWrongDatesWarnOnceAndKeepTheFocusInTheFirst) {
    window().txtTo.SetText("");
    window().txtFrom.SetFocus();
    window().txtFrom.SetText("abc");
    journal.clear();
    window().txtTo.SetFocus();
    EXPECT_EQ(journal, Journal{kDateWarning});
    EXPECT_EQ(forms::App().FocusedControl(), &window().txtFrom);
    // Corrected, the first box lets the focus go; then the second one warns.
    window().txtFrom.SetText("05.03.2016");
    window().txtTo.SetFocus();
    window().cboTippFilter.SetFocus();
    EXPECT_EQ(journal, (Journal{kDateWarning, kDateWarning}));
    EXPECT_EQ(forms::App().FocusedControl(), &window().txtTo);
}

TEST_F(WindowTipsTest, WithoutTheHostsTextTheFocusStillReturns) {
    testsupport::DebugRecorder debug("window");
    window().txtFrom.SetFocus();
    window().txtFrom.SetText("abc");
    gobjAddIn = nullptr;
    window().txtTo.SetFocus();
    EXPECT_EQ(journal, Journal{});
    EXPECT_EQ(forms::App().FocusedControl(), &window().txtFrom);
    ASSERT_EQ(debug.Lines().size(), 1u);
    EXPECT_NE(debug.Lines()[0].find("CheckDateInput skipped a statement: error 91"),
              std::string::npos);
}

TEST_F(WindowTipsTest, TheStartButtonIsOffAndTheHourglassShowsWhileTheExchangeRuns) {
    addIn->onUpload = [&] {
        journal.push_back("during: enabled " + std::to_string(window().cmdStartExport.Enabled()) +
                          " pointer " + std::to_string(window().picWorkingArea.MousePointer()));
    };
    addIn->tips = "[{\"id\":\"17\",\"text\":\"Hallo\",\"time\":\"05.03.2016\"}]";
    window().txtFrom.SetText("05.03.2016");
    window().txtTo.SetText("04.04.2016");
    forms::input::Click(window().cmdStartExport);
    // The exchange's own sequence is the exchange tests' matter; here: what the user saw during it.
    ASSERT_GE(journal.size(), 2u);
    EXPECT_EQ(journal[0], "host PerlowanUpload(\"05032016\", \"04042016\", \"\", \"\", \"\")");
    EXPECT_EQ(journal[1], "during: enabled 0 pointer 11");
    EXPECT_EQ(journal.back(), "grid Redraw = True");
    EXPECT_TRUE(window().cmdStartExport.Enabled());
    EXPECT_EQ(window().picWorkingArea.MousePointer(), 0);
    EXPECT_EQ(gtTippIds, (std::vector<std::string>{"17"}));
}

TEST_F(WindowTipsTest, AfterAFailedRetrievalTheButtonComesBackToo) {
    window().txtFrom.SetText("31.02.2016");
    forms::input::Click(window().cmdStartExport);
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_TRUE(journal[0].starts_with("box \"Bei der Kommunikation")) << journal[0];
    EXPECT_TRUE(window().cmdStartExport.Enabled());
    EXPECT_EQ(window().picWorkingArea.MousePointer(), 0);
}

TEST_F(WindowTipsTest, SelectingARowShowsItsTextAndItsStatus) {
    struct Row {
        const char* stored;  // nullptr: the store has no entry
        std::vector<bool> options;
    };
    const Row rows[] = {
        /* 0 */ {nullptr, {true, false, false}},
        /* 1 */ {"0a||||", {true, false, false}},
        /* 2 */ {"1a||||", {false, true, false}},
        /* 3 */ {"2a||||", {false, false, true}},  // the invisible option
        /* 4 */ {"7a||||", {false, false, false}},
        /* 5 */ {"xa||||", {true, false, false}},  // no digit reads as 0
        /* 6 */ {"-1a||||", {true, false, false}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        for (int col : {0, 1}) {
            SCOPED_TRACE("row " + std::to_string(i) + " column " + std::to_string(col));
            // A fresh window: no current tip, so the option chosen before is not saved.
            UnloadAddInWindow();
            window().OverrideTippsGrid(grid);
            fs::remove(Store());
            if (rows[i].stored) Store("b", rows[i].stored);
            const auto before = testsupport::ReadFileIfAny(Store());
            List({{"a", "eins"}, {"b", "Zeile eins  Zeile zwei   drei"}});
            window().optStatus[1].SetValue(true);
            journal.clear();
            Select(col, 1);
            EXPECT_EQ(journal, (Journal{"host SettingFolderGet(3)", "grid CellValue(1, 1)"}));
            EXPECT_EQ(Options(), rows[i].options);
            EXPECT_EQ(window().txtDetails.Text(), "Zeile eins\r\nZeile zwei\r\n drei");
            EXPECT_EQ(window().optStatus[0].Tag(), "b");
            EXPECT_EQ(testsupport::ReadFileIfAny(Store()), before);
        }
    }
}

TEST_F(WindowTipsTest, ARowWithoutATipIsAnError) {
    List({{"a", "eins"}});
    for (int row : {1, -1}) {
        SCOPED_TRACE(row);
        try {
            Select(0, row);
            ADD_FAILURE() << "no error";
        } catch (const rt::RuntimeError& e) {
            EXPECT_EQ(e.Number(), rt::err::SubscriptOutOfRange);
        }
    }
}

TEST_F(WindowTipsTest, AStatusClickSavesTheDigitAndKeepsTheRest) {
    struct Row {
        const char* stored;  // nullptr: the store has no entry
        int option;
        const char* saved;
    };
    const Row rows[] = {
        /* 0 */ {"0||||T|Text|05.03.2016||new||", 1, "1||||T|Text|05.03.2016||new||"},
        /* 1 */ {"1||||T|Text|||||", 0, "0||||T|Text|||||"},
        /* 2 */ {nullptr, 1, "1"},  // a tip the store does not hold
        /* 3 */ {"2ä|", 1, "1ä|"},
        /* 4 */ {"1", 0, "0"},
        /* 5 */ {"äb", 1, "1b"},  // the first character, not the first byte
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        fs::remove(Store());
        if (rows[i].stored) Store("17", rows[i].stored);
        List({{"17", "Text"}});
        Select(1, 0);
        forms::input::Click(window().optStatus[rows[i].option]);
        EXPECT_EQ(Stored("17"), rows[i].saved);
    }
}

TEST_F(WindowTipsTest, AStatusClickBeforeAnySelectionSavesNothing) {
    Store("17", "0||||");
    const std::string before = ReadFile(Store());
    List({{"17", "Text"}});
    journal.clear();
    forms::input::Click(window().optStatus[1]);
    EXPECT_TRUE(window().optStatus[1].Value());
    EXPECT_EQ(journal, Journal{});
    EXPECT_EQ(ReadFile(Store()), before);
}

TEST_F(WindowTipsTest, AfterANewRetrievalTheLastSelectedTipIsStillCurrent) {
    List({{"17", "Text"}, {"23", "Zwei"}});
    Select(0, 1);
    addIn->tips = "[{\"id\":\"42\",\"text\":\"Neu\",\"time\":\"1\"}]";
    forms::input::Click(window().cmdStartExport);
    ASSERT_EQ(gtTippIds, (std::vector<std::string>{"42"}));
    forms::input::Click(window().optStatus[1]);
    EXPECT_EQ(Stored("23"), "1");
    EXPECT_EQ(Stored("42"), "042|||||Neu|1||||");
}

TEST_F(WindowTipsTest, ALanguageChangeKeepsTheListedTips) {
    List({{"17", "Text"}});
    Select(1, 0);
    journal.clear();
    window().InitLanguage();
    EXPECT_EQ(journal, Journal{});
    EXPECT_EQ(grid->rows.size(), 1u);
    EXPECT_EQ(gtTippIds, (std::vector<std::string>{"17"}));
    EXPECT_EQ(window().txtDetails.Text(), "Text");
}

TEST_F(WindowTipsTest, TheListFillsTheSpaceAboveTheDetails) {
    struct Row {
        float width, height;
        bool moved;
    };
    const Row rows[] = {
        /* 0 */ {12045, 6915, true},
        /* 1 */ {9000, 8000, true},
        // Very narrow: the details box and the list would get a negative width; both keep their
        // places.
        /* 2 */ {100, 6915, false},
        /* 3 */ {12045, 3000, false},  // very low: a negative height
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        window().Move(0, 0, 11000, 7000);
        const float width = grid->width, height = grid->height;
        const float topBefore = window().txtDetails.Top();
        journal.clear();
        window().Move(0, 0, rows[i].width, rows[i].height);
        const float w = rows[i].width, detailsTop = window().txtDetails.Top();
        // The other steps ran before the list's.
        EXPECT_EQ(window().cmdStartExport.Top(), rows[i].height - 480);
        EXPECT_EQ(detailsTop, w < 120 ? topBefore : rows[i].height - 480 - 255 - 240 - 975 - 120);
        const std::string move = "grid Move(120, 2280, " + rt::Variant(w - 120).ToString() + ", " +
                                 rt::Variant(detailsTop - 2280 - 120).ToString() + ")";
        EXPECT_EQ(journal, (Journal{"grid Left", "grid Top", move}));
        if (rows[i].moved) {
            EXPECT_EQ(grid->width, w - 120);
            EXPECT_EQ(grid->height, detailsTop - 2400);
        } else {
            EXPECT_EQ(grid->width, width);
            EXPECT_EQ(grid->height, height);
        }
    }
}

TEST_F(WindowTipsTest, TheLogoOpensTheLoginPageAndShowsTheHand) {
    EXPECT_EQ(window().imgPerlowan.GetPicture().widthPixels, 129);
    EXPECT_EQ(window().imgPerlowan.GetPicture().heightPixels, 108);
    EXPECT_EQ(window().imgPerlowan.Width(), 129 * 15);
    EXPECT_EQ(window().imgPerlowan.Height(), 108 * 15);
    forms::input::Click(window().imgPerlowan);
    EXPECT_EQ(journal, (Journal{"shell Open https://perlowan.example.com/#login [] [] 1"}));
    EXPECT_EQ(LoginPageAddress(), "https://perlowan.example.com/#login");

    auto& cursors = platform::Cursors();
    cursors.SetCursor(cursors.LoadCursor(platform::IDC_ARROW));
    std::int16_t none = 0;
    window().imgPerlowan.MouseMove(none, none, 10.0f, 10.0f);
    EXPECT_EQ(cursors.StandardCursorId(cursors.GetCursor()), platform::IDC_HAND);
}

}  // namespace

namespace {

// The window with its own tips list in place.
class WindowGridTest : public WindowTipsTest {
  protected:
    void SetUp() override {
        WindowTipsTest::SetUp();
        window().OverrideTippsGrid(nullptr);
        // The host sizes the window again: the layout now places the window's own list.
        window().Move(0, 0, 11000, 7000);
        window().Move(0, 0, 12045, 6915);
    }
};

TEST_F(WindowGridTest, TheListIsPlacedWithItsDesignSettings) {
    grid::QorSimpleGrid& list = window().grdTipps;
    EXPECT_EQ(window().TippsGrid().get(), static_cast<rt::IDispatch*>(&list));
    EXPECT_EQ(list.TabIndex(), 3);
    EXPECT_EQ(list.ColHeader(), "Datum|Tipp");
    EXPECT_EQ(list.ColStyle(), "0|0");
    EXPECT_EQ(list.ColAlignment(), "1|0");
    EXPECT_EQ(list.ColWidth(0), 100);
    EXPECT_EQ(list.Fontsize(), 8.25f);
    // Placed by the working area's layout: above the details box, the working area's width.
    EXPECT_EQ(list.Left(), 120);
    EXPECT_EQ(list.Top(), 2280);
    EXPECT_EQ(list.Width(), 12045 - 120);
    EXPECT_EQ(list.Height(), window().txtDetails.Top() - 2280 - 120);
}

TEST_F(WindowGridTest, AnExchangeFillsTheListAndASelectedRowShowsItsTip) {
    addIn->tips =
        "[{\"id\":\"17\",\"text\":\"Eins\\nzwei\",\"time\":\"05.03.2016\"},"
        "{\"id\":\"23\",\"text\":\"Drei\",\"time\":\"06.03.2016\"}]";
    forms::input::Click(window().cmdStartExport);
    grid::QorSimpleGrid& list = window().grdTipps;
    ASSERT_EQ(list.Rows(), 2);
    EXPECT_EQ(list.CellValue(0, 0), "05.03.2016");
    EXPECT_EQ(list.CellValue(1, 0), "Eins  zwei");
    EXPECT_EQ(list.HeaderText(0), "Datum");
    EXPECT_EQ(list.HeaderText(1), "Tipp");
    EXPECT_TRUE(list.Redraw());
    list.CellGotFocus(1, 0);
    EXPECT_EQ(window().txtDetails.Text(), "Eins\r\nzwei");
    EXPECT_EQ(Options(), (std::vector<bool>{true, false, false}));
    forms::input::Click(window().optStatus[1]);
    EXPECT_EQ(Stored("17").substr(0, 3), "117");
}

}  // namespace
