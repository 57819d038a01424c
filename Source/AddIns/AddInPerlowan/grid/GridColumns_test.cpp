// Column settings and persistence: the property bag's defaults and round trip, garbage in the
// bag, headers, widths, the scale factor on widths, fitting header captions, styles,
// alignments, read-only flags, colours, selectors and the redraw switch.
#include <gtest/gtest.h>

#include "DebugRecorder.h"
#include "GridTestSupport.h"
#include "InputSimulator.h"
#include "Text.h"

namespace grid {
namespace {

using testing::ErrorOf;
using testing::GridTest;

TEST_F(GridTest, AnEmptyPropertyBagGivesTheReadingDefaults) {
    forms::PropertyBag bag;
    grd.LoadProperties(bag);
    EXPECT_EQ(grd.ColHeader(), "Spalte 1");
    EXPECT_EQ(grd.Cols(), 1);
    EXPECT_EQ(grd.HeaderText(0), "Spalte 1");
    EXPECT_TRUE(grd.RecordSelectors());
    EXPECT_TRUE(grd.ColWidthReposition());
    EXPECT_FALSE(grd.ReadOnly());
    EXPECT_FALSE(grd.Redraw());
    EXPECT_EQ(grd.LeftCol(), 0);
    EXPECT_EQ(grd.ColStyle(), "");
    EXPECT_EQ(grd.ColAlignment(), "");
    EXPECT_EQ(grd.FontSize(), grd.txtInput(0).FontSize());
    EXPECT_EQ(grd.CurrentCellIndex(), 0);
    EXPECT_TRUE(grd.IsWheelSubscribed());
}

TEST_F(GridTest, SettingsSurviveAWriteAndReadAndDefaultsAreNotStored) {
    SizeForRows(5);
    LoadLikeTheWindow();
    grd.SetReadOnly(true);
    grd.SetLeftCol(1);
    grd.SetColWidthReposition(false);
    grd.SetFontsize(10);
    forms::PropertyBag bag;
    grd.SaveProperties(bag);
    EXPECT_FALSE(grd.IsWheelSubscribed());
    std::vector<std::string> keys;
    for (const auto& [key, value] : bag.Entries()) keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"Fontsize", "ColWidthReposition", "ReadOnly",
                                              "ColStyle", "ColAlignment", "LeftCol", "ColWidthAll",
                                              "Cols", "Header"}));
    struct Row {
        int line;
        const char* key;
        rt::Variant value;
    };
    const Row rows[] = {{1, "Fontsize", 10.0f},        {2, "ColWidthReposition", false},
                        {3, "ReadOnly", true},         {4, "ColStyle", "0|0"},
                        {5, "ColAlignment", "1|0"},    {6, "LeftCol", std::int16_t{1}},
                        {7, "ColWidthAll", "100|400"}, {8, "Cols", std::int16_t{2}},
                        {9, "Header", "Datum|Tipp"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_TRUE(forms::PropertyBag::SameValue(bag.ReadProperty(row.key), row.value));
    }

    forms::Form other;
    auto& copy = other.Add<QorSimpleGrid>("grdCopy");
    copy.Extender().Move(0, 0, 553 * 15.0f, 90 * 15.0f);
    copy.LoadProperties(bag);
    EXPECT_EQ(copy.ColHeader(), "Datum|Tipp");
    EXPECT_EQ(copy.ColWidthAll(), "100|400");
    EXPECT_EQ(copy.ColAlignment(), "1|0");
    EXPECT_EQ(copy.ColAlignmentCode(0), 1);
    EXPECT_TRUE(copy.ReadOnly());
    EXPECT_FALSE(copy.ColWidthReposition());
    EXPECT_EQ(copy.LeftCol(), 1);
    EXPECT_EQ(copy.FontSize(), 10.0f);
    EXPECT_EQ(copy.txtInput(0).FontSize(), 8.25f);  // the editors keep theirs
}

TEST_F(GridTest, GarbageInTheBagIsIgnoredAndTheDefaultsTakeItsPlace) {
    testsupport::DebugRecorder debug("grid");
    forms::PropertyBag bag;
    bag.WriteProperty("Fontsize", "groß");
    bag.WriteProperty("RecordSelectors", "vielleicht");
    bag.WriteProperty("LeftCol", 99999);
    bag.WriteProperty("Cols", "x");
    bag.WriteProperty("Header", "A|B|C");
    bag.WriteProperty("ColWidthAll", "abc|-50|1e40|70");
    bag.WriteProperty("ColStyle", "1|99999999");
    bag.WriteProperty("ColAlignment", "&H|1");
    bag.WriteProperty("Redraw", rt::Variant::Nothing());
    grd.LoadProperties(bag);
    EXPECT_EQ(grd.Cols(), 3);
    EXPECT_TRUE(grd.RecordSelectors());
    EXPECT_EQ(grd.LeftCol(), 0);
    EXPECT_FALSE(grd.Redraw());
    EXPECT_EQ(grd.ColStyle(), "");
    EXPECT_EQ(grd.ColStyleCode(0), 0);
    EXPECT_EQ(grd.ColAlignmentCode(1), 1);
    // "abc" reads as 0, -50 and 1e40 are refused and keep the design width
    EXPECT_EQ(grd.ColWidthAll(), "0|100|100");
    EXPECT_FALSE(debug.Lines().empty());
}

TEST_F(GridTest, ColWidthAllTakesOnlyTheLeadingTokensAndReadsBackWithoutTrailingSeparator) {
    SizeForRows(5);
    LoadLikeTheWindow("A|B|C", "0|0|0", "0|0|0", "50|60|70");
    struct Row {
        int line;
        const char* write;
        const char* read;
    };
    const Row rows[] = {
        {1, "1200|3000|10", "1200|3000|10"},
        {2, "80", "80|3000|10"},            // fewer tokens: only the leading columns
        {3, "81|82|83|84|85", "81|82|83"},  // extra tokens are ignored
        {4, "90||", "90|0|83"},             // an empty token is 0, one trailing "|" ignored
        {5, "12.5px|x|7", "12.5|0|7"},      // the leading number of a token counts
        {6, "", "12.5|0|7"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        grd.SetColWidthAll(row.write);
        EXPECT_EQ(grd.ColWidthAll(), row.read);
        // headers side by side, first-row editors inset like the layout does
        float left = grd.cmdHeader(0).Left();
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(grd.cmdHeader(c).Left(), left);
            EXPECT_EQ(grd.txtInput(c).Left(), left + 2);
            EXPECT_EQ(grd.txtInput(c).Width(), std::max(0.0f, grd.cmdHeader(c).Width() - 5));
            left += grd.cmdHeader(c).Width();
        }
    }
}

TEST_F(GridTest, ColWidthIsScaledByTheFactorAndMovesTheFollowingColumnsWhenAsked) {
    SizeForRows(5);
    LoadLikeTheWindow("A|B|C", "0|0|0", "0|0|0", "50|60|70");
    Fill(8);
    grd.SetScaleFaktor(1.5f);
    grd.SetColWidth(0, 100);
    EXPECT_EQ(grd.cmdHeader(0).Width(), 150);
    EXPECT_EQ(grd.ColWidth(0), 150);
    EXPECT_EQ(grd.cmdHeader(1).Left(), 15 + 150);
    const int lastRow = grd.VisibleRows();
    for (int r : {0, 1, lastRow}) {
        SCOPED_TRACE(r);
        EXPECT_EQ(grd.txtInput(r * 3).Width(), 150 - 5);
        EXPECT_EQ(grd.txtInput(r * 3 + 1).Left(), 15 + 150 + 2);
        EXPECT_EQ(grd.txtInput(r * 3 + 2).Left(), 15 + 150 + 60 + 2);
    }
    grd.SetColWidthReposition(false);
    grd.SetColWidth(0, 20);
    EXPECT_EQ(grd.cmdHeader(1).Left(), 15 + 30);
    EXPECT_EQ(grd.txtInput(1).Left(), 15 + 30 + 2);   // first row: placed with the headers
    EXPECT_EQ(grd.txtInput(4).Left(), 15 + 150 + 2);  // further rows wait for a layout
    EXPECT_EQ(grd.txtInput(3).Width(), 30 - 5);       // the column itself follows at once
    EXPECT_EQ(ErrorOf([&] { grd.SetColWidth(3, 10); }), 340);
    grd.SetColWidthAll("40000|10|10");
    EXPECT_EQ(ErrorOf([&] { grd.ColWidth(0); }), 6);
}

TEST_F(GridTest, AHeaderTextTooWideShowsTheLongestFittingPrefixWithDotsAndAToolTip) {
    SizeForRows(5);
    LoadLikeTheWindow("A|B", "0|0", "0|0", "60|40");
    // headless widths at 8.25 pt: "Datum" is 33 pixels wide; the room is width - 15
    struct Row {
        int line;
        const char* text;
        float width;
        const char* caption;
        const char* tooltip;
    };
    const Row rows[] = {
        {1, "Datum", 60, "Datum", ""},
        {2, "Datum", 40, "Datu.", "Datum"},              // one character dropped: one dot
        {3, "Tippnummer", 40, "Tipp...", "Tippnummer"},  // at most three dots
        {4, "Datum", 48, "Datum", ""},                   // exactly fits
        {5, "Datum", 10, "...", "Datum"},                // nothing fits: only the dots
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        grd.SetColWidthAll(rt::NumberText(row.width) + "|40");
        grd.SetColHeaderText(0, row.text);
        EXPECT_EQ(grd.HeaderText(0), row.caption);
        EXPECT_EQ(grd.cmdHeader(0).ToolTipText(), row.tooltip);
    }
    grd.SetHeaderText(1, "ein sehr langer Kopftext");  // no fitting here
    EXPECT_EQ(grd.HeaderText(1), "ein sehr langer Kopftext");
    EXPECT_EQ(ErrorOf([&] { grd.SetColHeaderText(5, "x"); }), 340);
}

TEST_F(GridTest, ColHeaderSetsTheColumnsFromItsTokens) {
    LoadedGrid(3, 5);
    RecordEvents();
    grd.SetColHeader("Eins|Zwei|");
    EXPECT_EQ(grd.Cols(), 2);
    grd.SetColHeader("Eins|Zwei|Drei");
    EXPECT_EQ(grd.Cols(), 3);
    EXPECT_EQ(grd.HeaderText(2), "Drei");
    EXPECT_EQ(grd.cmdHeader(2).Left(), grd.cmdHeader(1).Left() + grd.cmdHeader(1).Width());
    EXPECT_EQ(grd.CellValue(1, 2), "r2c1");  // data of the remaining columns stays
    EXPECT_EQ(grd.CellValue(2, 2), "");
    EXPECT_EQ(grd.CellBGColor(2, 2), kWhite);
    grd.SetColHeader("");  // an empty text keeps the headers
    EXPECT_EQ(grd.ColHeader(), "Eins|Zwei|Drei");
    EXPECT_EQ(grd.Cols(), 3);
    grd.SetColHeader("X");
    EXPECT_EQ(grd.Cols(), 1);
    EXPECT_EQ(grd.cmdHeader.UBound(), 0);
    EXPECT_EQ(grd.CellValue(0, 1), "r1c0");
    EXPECT_EQ(log.Take(),
              (std::vector<std::string>{"PropertyChanged Header", "PropertyChanged Header",
                                        "PropertyChanged Header", "PropertyChanged Header"}));
}

TEST_F(GridTest, StylesAndAlignmentsAreParsedPerColumnPaddedAndCut) {
    SizeForRows(5);
    LoadLikeTheWindow("A|B|C", "", "", "50|50|50");
    Fill(3);
    struct Row {
        int line;
        const char* text;
        std::vector<std::int16_t> codes;
    };
    const Row rows[] = {{1, "1|0|1", {1, 0, 1}},
                        {2, "1", {1, 0, 0}},
                        {3, "0|1|0|1|1", {0, 1, 0}},
                        {4, "|x|1.6", {0, 0, 2}},
                        {5, "", {0, 0, 0}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        grd.SetColAlignment(row.text);
        grd.SetColStyle(row.text);
        EXPECT_EQ((std::vector<std::int16_t>{grd.ColAlignmentCode(0), grd.ColAlignmentCode(1),
                                             grd.ColAlignmentCode(2)}),
                  row.codes);
        EXPECT_EQ((std::vector<std::int16_t>{grd.ColStyleCode(0), grd.ColStyleCode(1),
                                             grd.ColStyleCode(2)}),
                  row.codes);
    }
    grd.SetColStyle("0|1");  // the check boxes follow at once
    EXPECT_TRUE(grd.chkCell(4).Visible());
    EXPECT_FALSE(grd.txtInput(4).Visible());
    EXPECT_EQ(grd.ColStyleCol(1), "1");
    EXPECT_EQ(grd.ColStyleCol(2), "");
    EXPECT_EQ(grd.ColStyleCol(-1), "");
    // a code that does not fit 16 bits: overflow, nothing changed
    EXPECT_EQ(ErrorOf([&] { grd.SetColAlignment("1|40000"); }), 6);
    EXPECT_EQ(ErrorOf([&] { grd.SetColStyle("70000"); }), 6);
    EXPECT_EQ(grd.ColStyle(), "0|1");
    EXPECT_EQ(grd.ColAlignment(), "");
}

TEST_F(GridTest, FlagsAndColoursOutsideTheirArraysRaiseSubscriptOutOfRange) {
    LoadedGrid(3, 5);
    grd.SetCellBGColor(1, 2, 0x00FF00);
    EXPECT_EQ(grd.CellBGColor(1, 2), 0x00FF00);
    EXPECT_EQ(grd.CellBGColor(0, 2), kWhite);
    EXPECT_EQ(grd.txtInput(5).BackColor(), kWhite);  // shown with the next refill
    grd.SetTopRow(0);
    EXPECT_EQ(grd.txtInput(5).BackColor(), 0x00FF00);
    const std::function<void()> calls[] = {
        [&] { grd.CellBGColor(2, 0); },        [&] { grd.CellBGColor(0, 3); },
        [&] { grd.SetCellBGColor(-1, 0, 1); }, [&] { grd.ColReadOnly(3); },
        [&] { grd.SetColReadOnly(-1, true); }, [&] { grd.SetRowReadOnly(-2, true); },
    };
    for (std::size_t k = 0; k < std::size(calls); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(ErrorOf(calls[k]), 9);
    }
    EXPECT_FALSE(grd.ColReadOnly(2));  // one flag more than columns
    grd.SetRowReadOnly(500, true);     // grows the flags
    EXPECT_TRUE(grd.IsCellReadOnly(0, 500));
}

TEST_F(GridTest, RecordSelectorsHidesTheSelectorsOfTheRowsAndTheCorner) {
    LoadedGrid(4, 10);
    RecordEvents();
    grd.SetRecordSelectors(false);
    for (int i : grd.cmdSelectors.Indexes()) EXPECT_FALSE(grd.cmdSelectors(i).Visible()) << i;
    EXPECT_FALSE(grd.cmdSelectorAll.Visible());
    grd.SetRedraw(true);  // the corner button reaches the second header
    EXPECT_EQ((std::vector<float>{grd.cmdSelectorAll.Left(), grd.cmdSelectorAll.Top(),
                                  grd.cmdSelectorAll.Width()}),
              (std::vector<float>{0, 0, 115}));
    grd.SetRecordSelectors(true);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(grd.cmdSelectors(i).Visible()) << i;
    EXPECT_EQ(log.Take(),
              (std::vector<std::string>{"PropertyChanged RecordSelectors", "PropertyChanged Redraw",
                                        "PropertyChanged RecordSelectors"}));
}

TEST_F(GridTest, RedrawOnAfterAFillWithRedrawOffSetsUpTheScrollBar) {
    SizeForRows(10);
    LoadLikeTheWindow();
    RecordEvents();
    grd.SetRedraw(false);
    for (int r = 0; r < 50; ++r) grd.AddItem("a\tb");
    EXPECT_FALSE(grd.vScrollbarVisible());
    EXPECT_EQ(grd.txtInputC(0).Text(), "");  // nothing drawn yet
    grd.SetRedraw(true);
    EXPECT_TRUE(grd.vScrollbarVisible());
    EXPECT_EQ(grd.vscrGrid.Max(), 40);
    EXPECT_EQ(grd.vscrGrid.LargeChange(), 10);
    EXPECT_EQ(grd.txtInputC(0).Text(), "a");
    EXPECT_EQ(log.Take(),
              (std::vector<std::string>{"PropertyChanged Redraw", "PropertyChanged Redraw"}));
}

}  // namespace
}  // namespace grid
