#include "mPerlowan.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "Clock.h"
#include "CodePage.h"
#include "DateTime.h"
#include "TestSupport.h"
#include "TippsFixture_test.h"
#include "cIniFile.h"
#include "cJSON.h"
#include "frmAddIn.h"
#include "mGlobVar.h"

namespace {

namespace fs = std::filesystem;
using namespace tipps_test;

constexpr const char* kUploadFailed =
    "Bei der Kommunikation bzw. der Verarbeitung der Ergebnisse vom Perlowan-Server ist ein "
    "Fehler aufgetreten: ";
constexpr const char* kProcessingFailed =
    "Beim Verarbeiten der Perlowan-Tipps trat der folgende Fehler auf: ";

// The grid preparation and the closing redraw of every exchange that reaches the list.
const Journal kPrepare = {"grid Clear()", "grid SetColHeader(0, \"Datum\")",
                          "grid SetColHeader(1, \"Tipp\")", "grid ColWidth(0) = 100",
                          "grid SetZoomColumn(1, 400)"};

std::string Tip(const std::string& id, const std::string& text, const std::string& time) {
    return "{\"id\":\"" + id + "\",\"title\":\"T" + id + "\",\"text\":\"" + text +
           "\",\"time\":\"" + time + "\",\"status\":\"new\"}";
}

class ExchangeTest : public TippsFixture {
  protected:
    void SetUp() override {
        TippsFixture::SetUp();
        window().txtFrom.SetText("05.03.2016");
        window().txtTo.SetText("04.04.2016");
        journal.clear();
    }
    void WriteStore(const std::string& bytes) { testsupport::WriteFile(Store(), bytes); }
    // The store's list of known tips.
    std::string Known() {
        cIniFile ini;
        ini.IniFile(Store().string());
        return ini.Load("Tipps", "All", "");
    }
    // An exchange with the start button's routine.
    void Exchange(const std::string& tips) {
        addIn->tips = tips;
        UploadPeriod(window());
    }
    static Journal Concat(std::initializer_list<Journal> parts) {
        Journal all;
        for (const Journal& part : parts) all.insert(all.end(), part.begin(), part.end());
        return all;
    }
};

TEST_F(ExchangeTest, AWholeExchangeInItsOrder) {
    Exchange("[" + Tip("17", "Erste Zeile\\nzweite Zeile", "05.03.2016 07:12") + "," +
             Tip("23", "Hallo", "06.03.2016 08:00") + "]");
    const Journal expected = Concat({
        {"host PerlowanUpload(\"05032016\", \"04042016\", \"\", \"\", \"\")"},
        kPrepare,
        {"host SettingFolderGet(3)",
         "grid AddItem(\"05.03.2016 07:12\tErste Zeile  zweite Zeile\")", "grid Rows -> 1",
         "grid AddItem(\"06.03.2016 08:00\tHallo\")", "grid Rows -> 2",
         "host ShowStatus(\"\", True)", "grid Redraw = True"},
    });
    EXPECT_EQ(journal, expected);
    EXPECT_EQ(gtTippIds, (std::vector<std::string>{"17", "23"}));
    EXPECT_EQ(Known(), "17;23;");
    EXPECT_EQ(Stored("17"), "017||||T17|Erste Zeile<br>zweite Zeile|05.03.2016 07:12||new||");
    EXPECT_EQ(Stored("23"), "023||||T23|Hallo|06.03.2016 08:00||new||");
}

TEST_F(ExchangeTest, TipsAreProcessedOnSuccessOrWhenTheErrorMentionsATimeout) {
    struct Row {
        rt::Variant result;
        const char* error;
        bool processed;
    };
    const Row rows[] = {
        /* 0 */ {rt::Variant(true), "", true},
        /* 1 */ {rt::Variant(false), "Connection Timeout", true},
        /* 2 */ {rt::Variant(false), "read TIMEOUT after 30 s", true},
        /* 3 */ {rt::Variant(true), "Timeout", true},
        /* 4 */ {rt::Variant(false), "Server nicht erreichbar", false},
        /* 5 */ {rt::Variant(false), "Time out", false},
        /* 6 */ {rt::Variant(false), "", false},
        /* 7 */ {rt::Variant(std::int16_t{-1}), "", true},  // the automation true
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        fs::remove(Store());
        journal.clear();
        addIn->uploadResult = rows[i].result;
        addIn->uploadError = rows[i].error;
        Exchange("[" + Tip("17", "Hallo", "05.03.2016") + "]");
        const Journal processed = {"host SettingFolderGet(3)",
                                   "grid AddItem(\"05.03.2016\tHallo\")", "grid Rows -> 1",
                                   "host ShowStatus(\"\", True)"};
        const Journal expected =
            Concat({{"host PerlowanUpload(\"05032016\", \"04042016\", \"\", \"\", \"\")"},
                    kPrepare,
                    rows[i].processed ? processed : Journal{},
                    {"grid Redraw = True"}});
        EXPECT_EQ(journal, expected);
        EXPECT_EQ(fs::exists(Store()), rows[i].processed);
    }
}

TEST_F(ExchangeTest, DatesAreConvertedUnderTheRegionalSettingsOrReported) {
    struct Row {
        const char* from;
        const char* to;
        const char* sentFrom;  // nullptr: the host is not called
        const char* sentTo;
    };
    const Row rows[] = {
        /* 0 */ {"05.03.2016", "04.04.2016", "05032016", "04042016"},
        /* 1 */ {"5. März 2016", "04.04", "05032016", "04042016"},
        // A start after the end is the host's matter.
        /* 2 */ {"04.04.2016", "05.03.2016", "04042016", "05032016"},
        /* 3 */ {"31.02.2016", "04.04.2016", nullptr, nullptr},
        /* 4 */ {"05.03.2016", "abc", nullptr, nullptr},
    };
    addIn->uploadResult = rt::Variant(false);
    addIn->uploadError = "Server nicht erreichbar";
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        journal.clear();
        window().txtFrom.SetText(rows[i].from);
        window().txtTo.SetText(rows[i].to);
        UploadPeriod(window());
        if (rows[i].sentFrom) {
            ASSERT_FALSE(journal.empty());
            EXPECT_EQ(journal.front(), std::string("host PerlowanUpload(\"") + rows[i].sentFrom +
                                           "\", \"" + rows[i].sentTo + "\", \"\", \"\", \"\")");
        } else {
            EXPECT_EQ(journal, (Journal{std::string("box \"") + kUploadFailed +
                                        "13 - Type mismatch\" buttons 0 icon 48 \"Perlowan\""}));
        }
        EXPECT_EQ(window().txtFrom.Text(), rows[i].from);  // the texts stay as typed
    }
}

TEST_F(ExchangeTest, KnownTipsKeepTheirStatusAndTakeTheNewData) {
    WriteStore(
        "[Tipps]\r\nAll=17;23;42;\r\n[Tipp]\r\n17=1||||alt|alter Text|01.01.2016||||\r\n"
        "23=2||||alt|alter Text|01.01.2016||||\r\n42=0||||alt|x|01.01.2016||||\r\n");
    struct Row {
        int filter;
        Journal rows;
        std::vector<std::string> ids;
    };
    const Row rows[] = {
        /* 0 */ {0,
                 {"grid AddItem(\"03.03.2016\tneu 42\")", "grid AddItem(\"04.03.2016\tneu 99\")"},
                 {"42", "99", "", ""}},
        /* 1 */
        {1,
         {"grid AddItem(\"01.03.2016\tneu 17\")", "grid AddItem(\"02.03.2016\tneu 23\")",
          "grid AddItem(\"03.03.2016\tneu 42\")", "grid AddItem(\"04.03.2016\tneu 99\")"},
         {"17", "23", "42", "99"}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        journal.clear();
        gtTippIds.clear();
        window().cboTippFilter.SetListIndex(rows[i].filter);
        Exchange("[" + Tip("17", "neu 17", "01.03.2016") + "," + Tip("23", "neu 23", "02.03.2016") +
                 "," + Tip("42", "neu 42", "03.03.2016") + "," + Tip("99", "neu 99", "04.03.2016") +
                 "]");
        Journal added;
        for (const std::string& line : journal)
            if (line.starts_with("grid AddItem")) added.push_back(line);
        EXPECT_EQ(added, rows[i].rows);
        EXPECT_EQ(gtTippIds, rows[i].ids);
        EXPECT_EQ(Stored("17"), "117||||T17|neu 17|01.03.2016||new||");
        EXPECT_EQ(Stored("23"), "223||||T23|neu 23|02.03.2016||new||");
        EXPECT_EQ(Stored("42"), "042||||T42|neu 42|03.03.2016||new||");
        EXPECT_EQ(Known(), "17;23;42;99;");
    }
}

TEST_F(ExchangeTest, IdentifiersDifferingInLetterCaseAreKnownAndDuplicatesListedTwice) {
    WriteStore("[Tipps]\r\nAll=abc;\r\n");
    Exchange("[" + Tip("ABC", "eins", "1") + "," + Tip("x", "zwei", "2") + "," +
             Tip("x", "drei", "3") + "]");
    EXPECT_EQ(Known(), "abc;x;");
    EXPECT_EQ(gtTippIds, (std::vector<std::string>{"ABC", "x", "x"}));
    EXPECT_EQ(Stored("x"), "0x||||Tx|drei|3||new||");
}

// What a failed processing leaves: its box, the two trace lines, no ShowStatus, the redraw.
Journal FailedProcessing(const std::string& tips, int number, const std::string& description) {
    const std::string reason = description + " (" + std::to_string(number) + ")";
    return {
        "box \"" + std::string(kProcessingFailed) + reason + "\" buttons 0 icon 48 \"Perlowan\"",
        "host Trace Received Tipps: " + tips, "host Trace Error on parsing tipps: " + reason};
}

// The error of the reader for a text, as the processing must report it.
rt::RuntimeError ReaderError(const std::string& text) {
    try {
        cJSON json;
        json.ParseJSONString(text);
        if (json.NumArrayElements() <= 0) rt::Raise(rt::err::SubscriptOutOfRange);
    } catch (const rt::RuntimeError& e) {
        return e;
    }
    return rt::RuntimeError(0, "no error");
}

TEST_F(ExchangeTest, ATipsTextTheReaderRejectsLeavesTheStoreAsItWas) {
    const std::string before = "[Tipps]\r\nAll=17;\r\n[Tipp]\r\n17=1||||alt|alt|01.01.2016||||\r\n";
    const std::string huge = "[" + Tip("1", std::string(33000, 'x'), "1") + "]";
    struct Row {
        std::string tips;
        int number;
    };
    const Row rows[] = {
        /* 0 */ {"", 5},
        /* 1 */ {"[]", 9},
        /* 2 */ {"kein JSON", 5},
        /* 3 */ {"{\"id\":\"17\"}", 9},  // one object: no elements
        /* 4 */ {"[{\"id\":\"17\",\"ID\":\"18\"}]", 457},
        /* 5 */ {huge, 9},                                // more than 32,767 characters
        /* 6 */ {"[{\"id\":\"17\"},{\"id\":\"18\"}", 9},  // no "]": one object
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        WriteStore(before);
        journal.clear();
        Exchange(rows[i].tips);
        const rt::RuntimeError e = ReaderError(rows[i].tips);
        ASSERT_EQ(e.Number(), rows[i].number);
        const Journal expected =
            Concat({{"host PerlowanUpload(\"05032016\", \"04042016\", \"\", \"\", \"\")"},
                    kPrepare,
                    {"host SettingFolderGet(3)"},
                    FailedProcessing(rows[i].tips, e.Number(), e.Description()),
                    {"grid Redraw = True"}});
        EXPECT_EQ(journal, expected);
        EXPECT_EQ(ReadFile(Store()), before);
    }
}

TEST_F(ExchangeTest, AFailureAfterSomeRowsKeepsThemListedAndTheStoreUntouched) {
    // The list was not cleared: the second row has no place in gtTippIds.
    grid->rows = {{"alt", "alt"}};
    std::string tips = "[" + Tip("1", "a", "1") + "," + Tip("2", "b", "2") + "]";
    ProcessTipps(tips);
    EXPECT_EQ(journal, Concat({{"host SettingFolderGet(3)", "grid AddItem(\"1\ta\")",
                                "grid Rows -> 2", "grid AddItem(\"2\tb\")", "grid Rows -> 3"},
                               FailedProcessing(tips, 9, "Subscript out of range")}));
    EXPECT_EQ(grid->rows.size(), 3u);
    EXPECT_EQ(gtTippIds, (std::vector<std::string>{"", "1"}));
    EXPECT_FALSE(fs::exists(Store()));
}

TEST_F(ExchangeTest, TextsKeepTheirCharactersAndLineBreaks) {
    // Real line breaks inside the tips text are dropped by the reader; "\n" is a line break.
    Exchange(
        "[{\"id\":\"ä1\",\"title\":\"Größe | Maß\",\"text\":\"Zeile\r\neins\\nZeile\nzwei "
        "\\\\n\"}]");
    EXPECT_EQ(grid->rows,
              (std::vector<std::vector<std::string>>{{"", "Zeileeins  Zeilezwei \\  "}}));
    EXPECT_EQ(Stored("ä1"), "0ä1||||Größe &#124; Maß|Zeileeins<br>Zeilezwei \\<br>|||||");
    EXPECT_NE(ReadFile(Store()).find("\xE4"
                                     "1=0"),
              std::string::npos);  // Windows-1252 on disk
}

TEST_F(ExchangeTest, IdentifiersWithTheStoresOwnCharactersKeepTheirEntries) {
    // "[" at the start would read as a section header, "=" would end the key early (and "a" would
    // find the line of "a=b"); each keeps an entry and a status of its own.
    const std::vector<std::string> ids{"a;b", "", "a=b", "a", "x[1]", "[x]", "a&#61;b", "z"};
    std::string tips = "[";
    for (std::size_t i = 0; i < ids.size(); ++i)
        tips += (i ? "," : "") + Tip(ids[i], "text " + std::to_string(i), std::to_string(i));
    tips += "]";
    Exchange(tips);
    EXPECT_EQ(gtTippIds, ids);
    // The user marks every tip read in the window; the next exchange keeps each status.
    for (std::size_t i = 0; i < ids.size(); ++i) {
        std::int16_t col = 1, row = static_cast<std::int16_t>(i);
        window().grdTipps_CellGotFocus(col, row);
        window().optStatus[1].SetValue(true);
    }
    window().cboTippFilter.SetListIndex(1);
    Exchange(tips);
    EXPECT_EQ(gtTippIds, ids);
    for (std::size_t i = 0; i < ids.size(); ++i) {
        SCOPED_TRACE(ids[i]);
        // A tip without an identifier is no current tip to the window: its clicks save nothing.
        const std::string status = ids[i].empty() ? "0" : "1";
        EXPECT_EQ(Stored(ids[i]), status + ids[i] + "||||T" + ids[i] + "|text " +
                                      std::to_string(i) + "|" + std::to_string(i) + "||new||");
    }
    // The store's lines: one per tip, each under a key that reads back as the identifier.
    const std::string file = rt::Win1252ToUtf8(ReadFile(Store()));
    EXPECT_NE(file.find("\r\n&#91;x]=1[x]||||"), std::string::npos) << file;
    EXPECT_NE(file.find("\r\na&#61;b=1a=b||||"), std::string::npos) << file;
    EXPECT_NE(file.find("\r\na&#38;#61;b=1a&#61;b||||"), std::string::npos) << file;
    // The known list holds the identifiers as they are. An empty one, and "a" after "a;b", are
    // found in it already (the list is searched between ";" and ";") and never enter it.
    EXPECT_EQ(Known(), "a;b;a=b;x[1];[x];a&#61;b;z;");
}

TEST_F(ExchangeTest, StoresInEveryShapeKeepTheirContent) {
    struct Row {
        std::string before;
        std::string kept;  // a part of the old content the file still holds
    };
    const Row rows[] = {
        /* 0 */ {"", ""},
        /* 1 */ {"\x01\x02 garbage without sections\r\n=== \r\n", "garbage without sections"},
        /* 2 */ {"[Andere]\r\nSchluessel=Wert\r\n", "Schluessel=Wert"},
        /* 3 */ {"[Tipp]\r\n5=1||||alt|alt|||||\r\n", "5=1||||alt"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        WriteStore(rows[i].before);
        journal.clear();
        Exchange("[" + Tip("17", "neu", "1") + "]");
        const std::string after = ReadFile(Store());
        EXPECT_NE(after.find(rows[i].kept), std::string::npos) << after;
        EXPECT_EQ(Stored("17"), "017||||T17|neu|1||new||");
        EXPECT_EQ(journal.back(), "grid Redraw = True");
    }
}

TEST_F(ExchangeTest, AUnicodeStoreKeepsItsEntriesAndIsWrittenBackIn8Bit) {
    // The exchange writes the store in the 8-bit code page whatever the file was: what the code
    // page holds survives, a character it has no byte for becomes "?".
    WriteStore(rt::Utf8ToUtf16Le("@@@[Tipp]\r\n5=1||||Öl €|alt|||||\r\n6=2||||Ω|||||||\r\n"));
    Exchange("[" + Tip("17", "neu ä", "1") + "]");
    EXPECT_EQ(journal.end()[-2], "host ShowStatus(\"\", True)");
    cIniFile ini;
    ini.IniFile(Store().string());
    EXPECT_FALSE(ini.CheckUnicodeFile());
    EXPECT_EQ(ini.Load("Tipp", "5", ""), "1||||Öl €|alt|||||");
    EXPECT_EQ(ini.Load("Tipp", "6", ""), "2||||?|||||||");
    EXPECT_EQ(ini.Load("Tipp", "17", ""), "017||||T17|neu ä|1||new||");
}

TEST_F(ExchangeTest, AStoreThatIsAFolderIsLeftAloneAndReported) {
    fs::create_directories(Store() / "inside");
    const std::string tips = "[" + Tip("17", "neu", "1") + "]";
    Exchange(tips);
    EXPECT_TRUE(fs::is_directory(Store() / "inside"));
    EXPECT_EQ(gtTippIds, (std::vector<std::string>{"17"}));
    // The list shows the tip; the host is not told of a store that was not written.
    const Journal tail(journal.end() - 4, journal.end());
    EXPECT_EQ(tail, Concat({FailedProcessing(tips, 75,
                                             "Path/File access error: " + Store().string() +
                                                 " could not be written"),
                            {"grid Redraw = True"}}));
    EXPECT_EQ(std::count(journal.begin(), journal.end(), "host ShowStatus(\"\", True)"), 0);
}

TEST_F(ExchangeTest, TheSettingsFolderComesFromTheHostAsItIs) {
    // A failing host: the processing's own box and trace lines.
    addIn->failSettingFolder = true;
    std::string tips = "[" + Tip("17", "neu", "1") + "]";
    ProcessTipps(tips);
    EXPECT_EQ(journal, Concat({{"host SettingFolderGet(3)"},
                               FailedProcessing(tips, 75, "Path/File access error")}));
    // A folder without its separator: the file name is appended as it is.
    addIn->failSettingFolder = false;
    addIn->settingsFolder = (folder / "sub").string();
    fs::create_directories(folder / "sub");
    ProcessTipps(tips);
    EXPECT_TRUE(fs::exists(folder / "subPerlowan.dat"));
    EXPECT_TRUE(fs::is_empty(folder / "sub"));
}

TEST_F(ExchangeTest, WithoutARunningAddInTheUploadReportsError91) {
    gobjAddIn = nullptr;
    UploadPeriod(window());
    EXPECT_EQ(journal, (Journal{std::string("box \"") + kUploadFailed +
                                "91 - Object variable or With block variable not set\" buttons 0 "
                                "icon 48 \"Perlowan\""}));
}

TEST_F(ExchangeTest, AReadOnlyStoreKeepsItsContentAndIsReported) {
    const std::string before = "[Tipps]\r\nAll=17;\r\n[Tipp]\r\n17=1||||alt|alt|||||\r\n";
    WriteStore(before);
    ::chmod(Store().c_str(), 0444);
    ::chmod(folder.c_str(), 0555);
    // As an unprivileged user: root could write the file anyway.
    testsupport::AsUnprivilegedUser(folder, [&] {
        const std::string tips = "[" + Tip("17", "neu", "1") + "," + Tip("18", "neu", "2") + "]";
        Exchange(tips);
        EXPECT_EQ(gtTippIds, (std::vector<std::string>{"18", ""}));
        EXPECT_EQ(
            journal,
            Concat({{"host PerlowanUpload(\"05032016\", \"04042016\", \"\", \"\", \"\")"},
                    kPrepare,
                    {"host SettingFolderGet(3)", "grid AddItem(\"2\tneu\")", "grid Rows -> 1"},
                    FailedProcessing(
                        tips, 75,
                        "Path/File access error: " + Store().string() + " could not be written"),
                    {"grid Redraw = True"}}));
    });
    ::chmod(folder.c_str(), 0755);
    EXPECT_EQ(ReadFile(Store()), before);
}

TEST_F(ExchangeTest, AReadOnlyStoreThatHoldsTheExchangeAlreadyIsNoFailure) {
    const std::string tips = "[" + Tip("17", "neu", "1") + "," + Tip("18", "neu", "2") + "]";
    Exchange(tips);
    const std::string before = ReadFile(Store());
    ::chmod(Store().c_str(), 0444);
    ::chmod(folder.c_str(), 0555);
    testsupport::AsUnprivilegedUser(folder, [&] {
        journal.clear();
        Exchange(tips);
        EXPECT_EQ(journal.end()[-2], "host ShowStatus(\"\", True)");
        EXPECT_EQ(std::count_if(journal.begin(), journal.end(),
                                [](const std::string& line) { return line.starts_with("box"); }),
                  0);
    });
    ::chmod(folder.c_str(), 0755);
    EXPECT_EQ(ReadFile(Store()), before);
}

}  // namespace
