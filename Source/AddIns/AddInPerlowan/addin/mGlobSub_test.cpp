#include "mGlobSub.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include "RuntimeError_test.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>

#include "Cursors.h"
#include "DebugRecorder.h"
#include "Dispatch.h"
#include "Files.h"
#include "MessageBox.h"
#include "Shell.h"
#include "TestSupport.h"
#include "mGlobVar.h"

namespace {

using Pieces = std::vector<std::string>;

TEST(Split, Table) {
    struct Row {
        std::string text;
        const char* separator;
        Pieces expected;
    };
    const Row rows[] = {
        /* 0 */ {"a|b|", "|", {"a", "b"}},
        /* 1 */ {"a||b", "|", {"a", "", "b"}},
        /* 2 */ {"|", "|", {""}},
        /* 3 */ {"x},{y", "},{", {"x", "y"}},
        /* 4 */ {"},{", "},{", {""}},
        /* 5 */ {"abc", "|", {"abc"}},
        /* 6 */ {"a||", "|", {"a", ""}},
        /* 7 */ {"Grüße|Äpfel", "|", {"Grüße", "Äpfel"}},
        /* 8 */ {"", "|", {}},  // the array is erased
        // Over 32,767 characters the array stays as passed in; characters count, not bytes.
        /* 9 */ {std::string(32768, 'a') + "|b", "|", {"sentinel"}},
        /* 10 */ {std::string(32765, 'a') + "|ä", "|", {std::string(32765, 'a'), "ä"}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        Pieces result{"sentinel"};
        Split(rows[i].text, rows[i].separator, result);
        EXPECT_EQ(result, rows[i].expected);
    }
}

TEST(Replace, ContinuesAfterTheInsertedReplacement) {
    EXPECT_EQ(Replace("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(Replace("a|b|c", "|", "&#124;"), "a&#124;b&#124;c");
    EXPECT_EQ(Replace("xAxa", "a", "-", 1, -1, 1), "x-x-");
    EXPECT_EQ(Replace("xAxa", "a", "-", 1, -1, 0), "xAx-");
    EXPECT_EQ(Replace("ÄäÄ", "ä", "e", 1, -1, 1), "eee");
    // Text before the start position stays as it is.
    EXPECT_EQ(Replace("aXaXa", "a", "b", 3), "aXbXb");
    EXPECT_EQ(Replace("abc", "", "z"), "abc");
}

TEST(InStrRev, Table) {
    struct Row {
        const char* text;
        const char* find;
        std::int32_t start;
        std::int16_t compare;
        std::int32_t expected;
    };
    const Row rows[] = {
        /* 0 */ {"abcabc", "bc", 1, 0, 5},
        /* 1 */ {"abcabc", "bc", 4, 0, 2},
        /* 2 */ {"abcabc", "bc", 5, 0, 5},
        /* 3 */ {"abcabc", "BC", 0, 0, 0},
        /* 4 */ {"abcabc", "BC", 0, 1, 5},
        /* 5 */ {"abcabc", "bc", 99, 0, 5},
        /* 6 */ {"", "a", 1, 0, 0},
        /* 7 */ {"äbä", "ä", 2, 0, 1},
        /* 8 */ {"äbä", "b", 3, 0, 2},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        std::int16_t compare = rows[i].compare;
        EXPECT_EQ(InStrRev(rows[i].text, rows[i].find, rows[i].start, compare), rows[i].expected);
    }
}

TEST(TextBetween, Table) {
    EXPECT_EQ(TextBetween("[A]x[B]", "[a]", "[b]"), "x");
    EXPECT_EQ(TextBetween("[A]xyz", "[a]", "[b]"), "xyz");
    EXPECT_EQ(TextBetween("no marker", "[a]", "[b]"), "");
    EXPECT_EQ(TextBetween("<r>1</r><r>2</r>", "<R>", "</R>"), "1");
}

TEST(StringRoutines, NastyInputKeepsTheirPromises) {
    const std::string texts[] = {
        "",
        std::string("a\0|\0b", 5),
        "\xff|\xfe|",
        "\xC3|\xE2\x82",
        "Ä|ä|Š|š|😀",
        std::string(20000, '|'),
        std::string(40000, 'x') + "|y",
    };
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        SCOPED_TRACE(i);
        const std::string& t = texts[i];
        // Joining the pieces again gives the text without one trailing separator.
        Pieces pieces{"sentinel"};
        Split(t, "|", pieces);
        if (t.size() <= 32767) {
            std::string joined;
            for (std::size_t p = 0; p < pieces.size(); ++p) joined += (p ? "|" : "") + pieces[p];
            const std::string expected =
                !t.empty() && t.back() == '|' ? t.substr(0, t.size() - 1) : t;
            EXPECT_EQ(joined, expected);
        } else {
            EXPECT_EQ(pieces, Pieces{"sentinel"});
        }
        // Replacing the separator by itself changes nothing, in both compare modes.
        EXPECT_EQ(Replace(t, "|", "|", 1, -1, 0), t);
        EXPECT_EQ(Replace(t, "|", "|", 1, -1, 1), t);
        EXPECT_EQ(Replace(t, "|", "", 99999999), t);
        std::int16_t compare = 1;
        const std::int32_t last = InStrRev(t, "|", 0, compare);
        EXPECT_GE(last, 0);
        EXPECT_EQ(last == 0, t.find('|') == std::string::npos);
        EXPECT_EQ(TextBetween(t, "|", "|").size() <= t.size(), true);
    }
}

// A small add-in object of the test's own that hands out a host object.
class TestAddIn : public AddInInstance {
  public:
    explicit TestAddIn(rt::ObjectRef host) : host_(std::move(host)) {}
    rt::ObjectRef MainApplication() const override { return host_; }
    void Trace(std::string&, const rt::ObjectRef&) override {}

  private:
    rt::ObjectRef host_;
};

// Publishes an add-in in gobjAddIn for the scope.
class ScopedAddIn {
  public:
    explicit ScopedAddIn(std::shared_ptr<AddInInstance> addIn)
        : previous_(std::exchange(gobjAddIn, std::move(addIn))) {}
    ~ScopedAddIn() { gobjAddIn = std::move(previous_); }

  private:
    std::shared_ptr<AddInInstance> previous_;
};

using rt::testing::ErrorOf;

TEST(LanguageText, AsksTheHostWithASixteenBitNumber) {
    auto host = std::make_shared<rt::DynamicObject>();
    std::vector<std::string> calls;
    host->Define("LanguageString", [&](std::span<rt::Variant> args) -> rt::Variant {
        EXPECT_EQ(args.size(), 1u);
        EXPECT_EQ(args[0].Type(), rt::VarType::Integer);
        const std::int16_t number = args[0].ToInteger();
        calls.push_back(std::to_string(number));
        switch (number) {
            case 1:
                return "Zeitraum";
            case 2:
                return std::int32_t{42};  // any result convertible to a string
            case 3:
                return true;
            case 4:
                return "";
            case 5:
                return rt::Variant::Null();
            case 6:
                return rt::Variant::Nothing();
            default:
                rt::Raise(rt::err::ObjectErrorBase + 7, "Host", "no such text");
        }
    });
    ScopedAddIn running(std::make_shared<TestAddIn>(host));
    struct Row {
        std::int16_t number;
        const char* expected;
        int error;
    };
    const Row rows[] = {
        /* 0 */ {1, "Zeitraum", 0},
        /* 1 */ {2, "42", 0},
        /* 2 */ {3, "True", 0},
        /* 3 */ {4, "", 0},
        /* 4 */ {5, "", 94},
        /* 5 */ {6, "", 13},
        /* 6 */ {-1, "", rt::err::ObjectErrorBase + 7},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        std::string text = "sentinel";
        EXPECT_EQ(ErrorOf([&] { text = LanguageText(rows[i].number); }), rows[i].error);
        EXPECT_EQ(text, rows[i].error == 0 ? rows[i].expected : "sentinel");
    }
    EXPECT_EQ(calls, (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "-1"}));
}

TEST(LanguageText, Raises91WithoutAnAddInOrAHost) {
    {
        ScopedAddIn none(nullptr);
        EXPECT_EQ(ErrorOf([] { LanguageText(1); }), 91);
    }
    {
        ScopedAddIn hostless(std::make_shared<TestAddIn>(nullptr));
        EXPECT_EQ(ErrorOf([] { LanguageText(1); }), 91);
    }
    {
        ScopedAddIn wrongHost(std::make_shared<TestAddIn>(std::make_shared<rt::DynamicObject>()));
        EXPECT_EQ(ErrorOf([] { LanguageText(1); }), 438);
    }
}

// A file system whose answers the test sets.
class FakeFiles : public platform::FileSystem {
  public:
    std::int64_t length = 0;
    int deleteResult = 0;
    bool raise = false;
    std::vector<std::string> calls;

    std::int64_t Length(const std::string& path) override {
        calls.push_back("Length " + path);
        if (raise) rt::Raise(75);
        return length;
    }
    int Delete(const std::string& path) override {
        calls.push_back("Delete " + path);
        if (raise) rt::Raise(70);
        return deleteResult;
    }
    std::optional<std::int64_t> ModifiedTime(const std::string&) override { return {}; }
    std::string ReadAll(const std::string&) override { return {}; }
    void WriteAtomic(const std::string&, std::string_view, bool) override {}
};

TEST(FileRoutines, LengthsAreClampedAndFailuresGiveMinusOne) {
    auto files = std::make_shared<FakeFiles>();
    rt::ScopedRole<platform::FileSystem> installed(files);
    struct Row {
        std::int64_t length;
        bool raise;
        std::int32_t expected;
    };
    const Row rows[] = {
        /* 0 */ {1234, false, 1234},
        /* 1 */ {0, false, 0},
        /* 2 */ {-1, false, -1},
        /* 3 */ {5'000'000'000LL, false, std::numeric_limits<std::int32_t>::max()},
        /* 4 */ {10, true, -1},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        files->length = rows[i].length;
        files->raise = rows[i].raise;
        EXPECT_EQ(FileLength("/x/Perlowan.dat"), rows[i].expected);
    }
    EXPECT_EQ(files->calls.size(), std::size(rows));
    EXPECT_EQ(files->calls[0], "Length /x/Perlowan.dat");
}

TEST(FileRoutines, DeleteFileQuietlyReturnsTheErrorNumberAndTellsTheDebugChannel) {
    auto files = std::make_shared<FakeFiles>();
    rt::ScopedRole<platform::FileSystem> installed(files);
    testsupport::DebugRecorder debug("files");
    files->deleteResult = 53;
    EXPECT_EQ(DeleteFileQuietly("a"), 53);
    files->deleteResult = 0;
    EXPECT_EQ(DeleteFileQuietly("b"), 0);
    files->raise = true;
    EXPECT_EQ(DeleteFileQuietly("c"), 70);
    EXPECT_EQ(files->calls, (std::vector<std::string>{"Delete a", "Delete b", "Delete c"}));
    EXPECT_EQ(debug.Lines(), (std::vector<std::string>{"files: delete of a failed: error 53",
                                                       "files: delete of c failed: error 70"}));
}

TEST(FileRoutines, RealFiles) {
    namespace fs = std::filesystem;
    testsupport::TempFolder temp("perlowan-glob");
    const fs::path& dir = temp.Path();
    testsupport::WriteFile(dir / "Perlowan.dat", "[Tipps]\n");
    const std::string path = (dir / "Perlowan.dat").string();
    EXPECT_EQ(FileLength(path), 8);
    EXPECT_EQ(FileLength((dir / "missing").string()), -1);
    EXPECT_EQ(FileLength(dir.string()), -1);
    EXPECT_EQ(DeleteFileQuietly(path), 0);
    EXPECT_EQ(DeleteFileQuietly(path), 53);
    EXPECT_EQ(FileLength(path), -1);
}

// A shell that records each request and answers with a set result.
class FakeShell : public platform::ShellService {
  public:
    std::int32_t result = 42;
    bool raise = false;
    std::vector<std::string> calls;

    std::int32_t ShellExecute(std::intptr_t hwnd, std::string_view verb, std::string_view file,
                              std::string_view parameters, std::string_view directory,
                              int showCmd) override {
        calls.push_back(std::to_string(hwnd) + "|" + std::string(verb) + "|" + std::string(file) +
                        "|" + std::string(parameters) + "|" + std::string(directory) + "|" +
                        std::to_string(showCmd));
        if (raise) rt::Raise(5);
        return result;
    }
};

TEST(OpenDocument, ShowsTheMessageOnlyWhenTheShellFails) {
    auto shell = std::make_shared<FakeShell>();
    auto boxes = std::make_shared<platform::RecordingMessageBoxes>();
    rt::ScopedRole<platform::ShellService> installedShell(shell);
    rt::ScopedRole<platform::MessageBoxService> installedBoxes(boxes);
    const std::string address = "https://perlowan.example/#login";
    const platform::MessageBoxCall failureBox{"An error occurred while opening the document '" +
                                                  address +
                                                  "'. Please open this document manually.",
                                              platform::vbOKOnly, platform::vbNoIcon, "Perlowan"};
    struct Row {
        std::int32_t result;
        bool raise;
        bool message;
    };
    const Row rows[] = {
        /* 0 */ {42, false, false},
        /* 1 */ {33, false, false},
        /* 2 */ {32, false, false},
        /* 3 */ {31, false, true},
        /* 4 */ {2, false, true},
        /* 5 */ {0, false, true},
        /* 6 */ {-1, false, true},
        /* 7 */ {42, true, true},  // a shell that fails outright
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        shell->calls.clear();
        boxes->Clear();
        shell->result = rows[i].result;
        shell->raise = rows[i].raise;
        OpenDocument(4711, address, "");
        EXPECT_EQ(shell->calls, std::vector<std::string>{"4711|Open|" + address + "||" + "|1"});
        const auto expected =
            rows[i].message ? std::vector{failureBox} : std::vector<platform::MessageBoxCall>{};
        EXPECT_EQ(boxes->Calls(), expected);
    }
    shell->result = 42;
    shell->raise = false;
    shell->calls.clear();
    OpenDocument(0, "C:\\Dokumente\\Ärger.pdf", "/p 1");
    EXPECT_EQ(shell->calls, std::vector<std::string>{"0|Open|C:\\Dokumente\\Ärger.pdf|/p 1||1"});
}

// Cursors that record what is asked of them.
class FakeCursors : public platform::CursorService {
  public:
    static constexpr platform::CursorHandle kHand = 0x4711;
    static constexpr platform::CursorHandle kArrow = 0x0815;
    platform::CursorHandle current = kArrow;
    std::vector<std::string> calls;

    platform::CursorHandle LoadCursor(int id) override {
        calls.push_back("Load " + std::to_string(id));
        return id == platform::IDC_HAND ? kHand : kArrow;
    }
    platform::CursorHandle GetCursor() override {
        calls.push_back("Get");
        return current;
    }
    platform::CursorHandle SetCursor(platform::CursorHandle cursor) override {
        calls.push_back("Set " + std::to_string(cursor));
        return std::exchange(current, cursor);
    }
    int StandardCursorId(platform::CursorHandle) override { return 0; }
};

TEST(SetHandCursor, LoadsTheHandOnceAndSetsItOnlyWhenNotCurrent) {
    auto cursors = std::make_shared<FakeCursors>();
    rt::ScopedRole<platform::CursorService> installed(cursors);
    SetHandCursor();
    SetHandCursor();
    cursors->current = FakeCursors::kArrow;  // the pointer left the logo
    SetHandCursor();
    // The hand is loaded at most once for the library's life (earlier uses may have loaded it).
    std::vector<std::string> withoutLoads;
    int loads = 0;
    for (const auto& call : cursors->calls) {
        if (call.rfind("Load", 0) == 0) {
            ++loads;
            EXPECT_EQ(call, "Load 32649");
        } else {
            withoutLoads.push_back(call);
        }
    }
    EXPECT_LE(loads, 1);
    const std::string setHand = "Set " + std::to_string(FakeCursors::kHand);
    EXPECT_EQ(withoutLoads, (std::vector<std::string>{"Get", setHand, "Get", "Get", setHand}));
    EXPECT_EQ(cursors->current, FakeCursors::kHand);
}

}  // namespace
