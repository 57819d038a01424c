#include "frmAddIn.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Clock.h"
#include "DateTime.h"
#include "TippsFixture_test.h"
#include "mGlobVar.h"

namespace {

using namespace tipps_test;

// The window as the host loads it on 31 May 2016.
class FrmAddInTest : public TippsFixture {
  protected:
    rt::ScopedRole<rt::Clock> may31{
        std::make_shared<rt::ManualClock>(rt::LocalDateTime{2016, 5, 31, 9, 0, 0})};
};

std::vector<std::string> Items(const forms::ComboBox& list) {
    std::vector<std::string> items;
    for (int i = 0; i < list.ListCount(); ++i) items.push_back(list.List(i));
    return items;
}

TEST_F(FrmAddInTest, LoadingFetchesTheHostTextsAndStartsWithTheFirstPreset) {
    FrmAddIn& w = *frmAddIn;
    EXPECT_EQ(w.Caption(), "Form1");
    EXPECT_EQ(w.Width(), 0);
    EXPECT_EQ(w.Height(), 0);
    EXPECT_EQ(addIn->languageKeys,
              (std::vector<std::int16_t>{177, 178, 60, 61, 62, 63, 64, 64, 194, 229}));
    EXPECT_EQ(Items(w.cboZeitraum),
              (std::vector<std::string>{"text 177", "text 178", "text 60", "text 61", "text 62",
                                        "text 63", "text 64", "text 64", "text 194"}));
    EXPECT_EQ(w.cboZeitraum.ListIndex(), 0);
    EXPECT_EQ(w.fraZeitraum.Caption(), "text 229");
    EXPECT_EQ(Items(w.cboTippFilter),
              (std::vector<std::string>{"Nur ungelesene Tipps anzeigen", "Alle Tipps anzeigen"}));
    EXPECT_EQ(w.cboTippFilter.ListIndex(), 0);
    EXPECT_EQ(w.txtFrom.Text(), "30.05.2016");
    EXPECT_EQ(w.txtTo.Text(), "31.05.2016");
}

TEST_F(FrmAddInTest, PresetsSetTheDatesAndALanguageChangeResetsThem) {
    FrmAddIn& w = *frmAddIn;
    struct Row {
        int index;
        const char* from;
    };
    const Row rows[] = {
        {1, "24.05.2016"}, {2, "17.05.2016"}, {3, "03.05.2016"}, {4, "19.04.2016"},
        {5, "31.03.2016"}, {6, "29.02.2016"}, {8, "29.02.2016"}};  // the last keeps the user's
                                                                   // start date
    for (const Row& row : rows) {
        SCOPED_TRACE(row.index);
        w.cboZeitraum.SetListIndex(row.index);
        EXPECT_EQ(w.txtFrom.Text(), row.from);
        EXPECT_EQ(w.txtTo.Text(), "31.05.2016");
    }
    w.cboTippFilter.SetListIndex(1);
    addIn->language = "en";
    w.InitLanguage();
    EXPECT_EQ(w.fraZeitraum.Caption(), "en 229");
    EXPECT_EQ(w.cboZeitraum.List(0), "en 177");
    EXPECT_EQ(w.cboZeitraum.ListIndex(), 0);
    EXPECT_EQ(w.txtFrom.Text(), "30.05.2016");
    EXPECT_EQ(w.cboTippFilter.ListIndex(), 0);
}

TEST_F(FrmAddInTest, TheHostsSizeLaysOutTheWorkingArea) {
    FrmAddIn& w = *frmAddIn;
    w.Move(0, 0, 12045, 6915);
    EXPECT_EQ(w.picWorkingArea.Width(), 12045);
    EXPECT_EQ(w.imgPerlowan.Left(), 12045 - 1935);
    EXPECT_EQ(w.fraZeitraum.Width(), 12045 - 1935 - 120 - 120);
    EXPECT_EQ(w.cmdStartExport.Left(), 12045 - 2655);
    EXPECT_EQ(w.cmdStartExport.Top(), 6915 - 480);
    EXPECT_EQ(w.optStatus[1].Top(), w.optStatus[0].Top());
    // Too narrow for the frame: it keeps its width, the other steps still run.
    w.Move(0, 0, 1000, 6915);
    EXPECT_EQ(w.fraZeitraum.Width(), 12045 - 1935 - 120 - 120);
    EXPECT_EQ(w.imgPerlowan.Left(), 1000 - 1935);
    EXPECT_EQ(w.cmdStartExport.Left(), 1000 - 2655);
}

TEST_F(FrmAddInTest, UnloadingEmptiesTheReferenceAndTheNextUseStartsAfresh) {
    frmAddIn->cboZeitraum.SetListIndex(3);
    const auto first = frmAddIn.Instance();
    UnloadAddInWindow();
    EXPECT_TRUE(frmAddIn.IsNothing());
    EXPECT_NE(&*frmAddIn, first.get());
    EXPECT_EQ(frmAddIn->cboZeitraum.ListIndex(), 0);
}

}  // namespace
