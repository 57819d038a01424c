#include "cIniFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

#include "CodePage.h"
#include "DebugRecorder.h"
#include "Files.h"
#include "ProfileStrings.h"
#include "Regional.h"
#include "Role.h"
#include "RuntimeError.h"
#include "TestSupport.h"

namespace {

namespace fs = std::filesystem;

// Nothing when the file is not there.
const auto ReadFile = testsupport::ReadFileIfAny;
using testsupport::WriteFile;

// "\r\n" after every line, as the cases of the engine's description are written.
std::string Lines(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines) text.append(line).append("\r\n");
    return text;
}

class IniFileTest : public ::testing::Test {
  protected:
    // A changed file must show a changed time stamp even on coarse clocks.
    void Touch(const std::string& bytes) {
        WriteFile(path_, bytes);
        const auto later = fs::last_write_time(path_) + std::chrono::seconds(2);
        fs::last_write_time(path_, later);
    }
    testsupport::TempFolder temp_{"cinifile"};
    fs::path dir_ = temp_.Path();
    std::string path_ = (dir_ / "Perlowan.dat").string();
};

// ---- input / expected file pairs ----

// "\r", "\n", "\t", "\\" and "\xHH" in the operation files.
std::string Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        if (c == 'r')
            out += '\r';
        else if (c == 'n')
            out += '\n';
        else if (c == 't')
            out += '\t';
        else if (c == 'x' && i + 2 < text.size() + 0) {
            out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else
            out += c;
    }
    return out;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t at = 0;
    for (std::size_t tab; (tab = line.find('\t', at)) != std::string::npos; at = tab + 1)
        fields.push_back(Unescape(line.substr(at, tab - at)));
    fields.push_back(Unescape(line.substr(at)));
    return fields;
}

// testdata/<case>.ini is the file before, <case>.ops the calls (with the values reads must
// give, "?" being the default), <case>.expected.ini the file after.
TEST_F(IniFileTest, InputAndExpectedFilePairs) {
    const fs::path data =
        fs::path(PERLOWAN_SOURCE_DIR) / "Source/AddIns/AddInPerlowan/storage/testdata";
    int cases = 0;
    for (const auto& entry : fs::directory_iterator(data)) {
        if (entry.path().extension() != ".ops") continue;
        const std::string name = entry.path().stem().string();
        SCOPED_TRACE("case " + name);
        ++cases;
        WriteFile(path_, *ReadFile(data / (name + ".ini")));
        cIniFile ini;
        ini.IniFile(path_);
        std::ifstream ops(entry.path());
        std::string line;
        for (int number = 1; std::getline(ops, line); ++number) {
            if (line.empty() || line[0] == '#') continue;
            SCOPED_TRACE(testing::Message() << "line " << number << ": " << line);
            const auto f = Fields(line);
            if (f[0] == "mode") {
                ini.Offline(f[1] == "offline");
                ini.CacheIniFile(f[1] != "uncached");
            } else if (f[0] == "load") {
                EXPECT_EQ(ini.Load(f[1], f[2], "?"), f[3]);
            } else if (f[0] == "save") {
                ini.Save(f[1], f[2], f[3]);
            } else if (f[0] == "removekey") {
                ini.RemoveKey(f[1], f[2]);
            } else if (f[0] == "removesection") {
                EXPECT_EQ(ini.RemoveSection(f[1]), f[2] == "true");
            } else if (f[0] == "rebuild") {
                EXPECT_EQ(ini.RebuildIniStructure(), f[1] == "true");
            } else if (f[0] == "saveoffline") {
                ini.SaveOfflineToFile();
            } else {
                ADD_FAILURE() << "unknown operation";
            }
        }
        EXPECT_EQ(ReadFile(path_), ReadFile(data / (name + ".expected.ini")));
    }
    EXPECT_GE(cases, 7);
}

// ---- reading ----

struct LoadRow {
    const char* rule;
    std::string file;
    const char* section;
    const char* key;
    std::string expected;
};

TEST_F(IniFileTest, CachedLoadFollowsTheParserRules) {
    const LoadRow rows[] = {
        {"section and key ignore case, first key wins", Lines({"[A]", "k=1", "K=2"}), "a", "K",
         "1"},
        {"blanks around the key are not trimmed", Lines({"[a]", "k = 1"}), "a", "k", "<def>"},
        {"key and = alone reads as the default", Lines({"[a]", "k="}), "a", "k", "<def>"},
        {"last line of a section loses its CR", Lines({"[a]", "k=1", "[b]"}), "a", "k", "1"},
        {"value verbatim", Lines({"[a]", "k= \"x\" "}), "a", "k", " \"x\" "},
        {"lines before the first header belong nowhere", Lines({"k=0", "[a]"}), "a", "k", "<def>"},
        {"comment line is no key", Lines({"[a]", ";k=1", "k=2"}), "a", ";k", "1"},
        {"first section of a name wins", Lines({"[a]", "x=1", "[A]", "k=2"}), "a", "k", "<def>"},
        {"key of a later section is not found", Lines({"[a]", "x=1", "[b]", "k=2"}), "a", "k",
         "<def>"},
        {"header must end with ]", Lines({"[a] ", "k=1"}), "a", "k", "<def>"},
        {"value up to a lone CR on the last line", "[a]\r\nk=1\r2", "a", "k", "1"},
        {"value up to a lone LF on the last line", "[a]\r\nk=1\n2", "a", "k", "1"},
        {"value keeps a lone LF inside a section", "[a]\r\nk=1\n2\r\nx=0", "a", "k", "1\n2"},
        {"key with =", Lines({"[a]", "a=b=c"}), "a", "a=b", "c"},
        {"bytes are Windows-1252", Lines({"[\xc4]", "k=\xfc\x80"}), "\xc3\xa4", "K",
         "\xc3\xbc\xe2\x82\xac"},
        {"NUL bytes are text", std::string("[a]\r\nk=x\0y\r\n", 12), "a", "k",
         std::string("x\0y", 3)},
        {"headers that are prefixes of others", Lines({"[ab]", "k=1", "[a]", "k=2"}), "a", "k",
         "2"},
        {"missing file", "", "a", "k", "<def>"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const LoadRow& row = rows[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << row.rule);
        fs::remove(path_);
        if (!row.file.empty()) WriteFile(path_, row.file);
        cIniFile ini;
        ini.IniFile(path_);
        EXPECT_EQ(ini.Load(row.section, row.key, "<def>"), row.expected);
        EXPECT_EQ(ReadFile(path_).has_value(), !row.file.empty()) << "a read creates no file";
    }
}

TEST_F(IniFileTest, UnicodeFilesAreRecognisedInTheirFourForms) {
    const std::string body = rt::Utf8ToUtf16Le("[a]\r\nk=\xc4\x81\r\n");  // U+0101
    const std::string units = rt::Utf8ToUtf16Le("@@@");
    struct Row {
        const char* form;
        std::string bytes;
    } rows[] = {
        {"(a) marker as bytes", "@@@" + body},
        {"(b) marker as bytes after one byte", "x@@@" + body},
        {"(c) marker as UTF-16LE", units + body},
        {"(d) marker after a byte-order mark", "\xff\xfe" + units + body},
        {"(d) trailing NULs are cut", "\xff\xfe" + units + body + std::string(4, '\0')},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << rows[i].form);
        WriteFile(path_, rows[i].bytes);
        cIniFile ini;
        ini.IniFile(path_);
        EXPECT_TRUE(ini.CheckUnicodeFile());
        EXPECT_EQ(ini.Load("a", "k"), "\xc4\x81");
        EXPECT_EQ(ini.IniContent(), "[a]\r\nk=\xc4\x81\r\n");
    }
}

TEST_F(IniFileTest, A8BitFileIsNotUnicodeAndAShortFileKeepsTheFlag) {
    WriteFile(path_, Lines({"[a]", "k=@@@"}));
    cIniFile ini;
    ini.IniFile(path_);
    EXPECT_FALSE(ini.CheckUnicodeFile());
    WriteFile(path_, "@@@");
    EXPECT_FALSE(ini.CheckUnicodeFile()) << "shorter than 10 bytes: unchanged";
}

TEST_F(IniFileTest, UnicodeWritesKeepTheMarkerFormat) {
    WriteFile(path_, Lines({"[a]", "k=1"}));
    cIniFile ini;
    ini.IniFile(path_);
    ini.WriteAsUnicode(true);
    EXPECT_EQ(ReadFile(path_), rt::Utf8ToUtf16Le("@@@" + Lines({"[a]", "k=1"})));
    ini.Save("a", "n", std::string("\xc4\x81"));
    EXPECT_EQ(ReadFile(path_), rt::Utf8ToUtf16Le("@@@" + Lines({"[a]", "k=1", "n=\xc4\x81"})));
    cIniFile again;
    again.IniFile(path_);
    EXPECT_EQ(again.Load("A", "N"), "\xc4\x81");
    again.WriteAsAnsi();
    EXPECT_EQ(ReadFile(path_), Lines({"[a]", "k=1", "n=?"}));
    cIniFile ansi;  // an 8-bit file is written back as it is
    ansi.IniFile(path_);
    ansi.WriteAsAnsi();
    EXPECT_EQ(ReadFile(path_), Lines({"[a]", "k=1", "n=?"}));
}

// ---- writing ----

struct EditRow {
    const char* rule;
    std::string before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
    const char* loaded = nullptr;  // what Load gives afterwards, when not the value
};

const EditRow kEdits[] = {
    {"new key before a blank line ahead of the next header", Lines({"[a]", "x=1", "", "[b]"}), "a",
     "n", "v", Lines({"[a]", "x=1", "n=v", "", "[b]"})},
    {"new key puts a blank line before the next header", Lines({"[a]", "x=1", "[b]", "y=2"}), "a",
     "n", "v", Lines({"[a]", "x=1", "n=v", "", "[b]", "y=2"})},
    {"new key in the last section", Lines({"[a]", "x=1"}), "a", "n", "v",
     Lines({"[a]", "x=1", "n=v"})},
    {"new key in a last section without final break", "[a]\r\nx=1", "A", "n", "v",
     Lines({"[a]", "x=1", "n=v"})},
    {"existing key replaced, spelled as the caller writes it", Lines({"[a]", "K=1", "x=2"}), "A",
     "k", "9", Lines({"[a]", "k=9", "x=2"})},
    {"existing key on the last line without break", "[a]\r\nk=1", "a", "k", "9", "[a]\r\nk=9"},
    {"existing key stored with an empty value", Lines({"[a]", "k=1"}), "a", "k", "",
     Lines({"[a]", "k="})},
    {"key of a later section is a new key here", Lines({"[a]", "x=1", "", "[b]", "k=2"}), "a", "k",
     "3", Lines({"[a]", "x=1", "k=3", "", "[b]", "k=2"})},
    {"new section after exactly one blank line", Lines({"[a]", "x=1", ""}), "s", "k", "v",
     Lines({"[a]", "x=1", "", "[s]", "k=v"})},
    {"new section after a text without final break", "[a]\r\nx=1", "s", "k", "v",
     Lines({"[a]", "x=1", "", "[s]", "k=v"})},
    {"new section into an empty text", "", "s", "k", "v", Lines({"[s]", "k=v"})},
    {"empty value for a missing key changes nothing", Lines({"[a]", "x=1"}), "a", "k", "",
     Lines({"[a]", "x=1"})},
    {"empty value for a missing section changes nothing", Lines({"[a]", "x=1"}), "s", "k", "",
     Lines({"[a]", "x=1"})},
    {"empty value into an empty text: the file goes", "", "s", "k", "", ""},
    {"section at the very start, headers that are prefixes", Lines({"[ab]", "k=1", "[a]", "k=2"}),
     "a", "k", "3", Lines({"[ab]", "k=1", "[a]", "k=3"})},
    {"LF-only text starts with the section but has no header line", "[a]\nk=1\n", "a", "k", "2",
     "[a]\nk=1\n\r\nk=2\r\n", "<def>"},
};

TEST_F(IniFileTest, OfflineSaveEditsTheText) {
    for (std::size_t i = 0; i < std::size(kEdits); ++i) {
        const EditRow& row = kEdits[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << row.rule);
        cIniFile ini;
        ini.Offline(true);
        ini.IniContent(row.before);
        ini.Save(row.section, row.key, std::string(row.value));
        EXPECT_EQ(ini.IniContent(), row.after);
        const std::string expected = row.loaded ? row.loaded : *row.value ? row.value : "<def>";
        EXPECT_EQ(ini.Load(row.section, row.key, "<def>"), expected);
    }
}

TEST_F(IniFileTest, CachedSaveWritesThroughWithoutTrailingBreaks) {
    for (std::size_t i = 0; i < std::size(kEdits); ++i) {
        const EditRow& row = kEdits[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << row.rule);
        WriteFile(path_, row.before);
        cIniFile ini;
        ini.IniFile(path_);
        ini.Save(row.section, row.key, std::string(row.value));
        std::string expected = row.after;
        while (expected.size() >= 2 && expected.compare(expected.size() - 2, 2, "\r\n") == 0)
            expected.resize(expected.size() - 2);
        EXPECT_EQ(ReadFile(path_),
                  expected.empty() ? std::nullopt : std::optional<std::string>(expected));
    }
}

TEST_F(IniFileTest, SaveWithoutFileRaises53UnlessOffline) {
    cIniFile ini;
    try {
        ini.Save("a", "k", std::string("v"));
        FAIL() << "no error";
    } catch (const rt::RuntimeError& e) {
        EXPECT_EQ(e.Number(), 53);
        EXPECT_EQ(e.Description(), "File not found");
    }
    EXPECT_EQ(ini.Load("a", "k", "d"), "d");
    ini.Offline(true);
    ini.Save("a", "k", 42);
    EXPECT_EQ(ini.IniContent(), Lines({"[a]", "k=42"}));
    EXPECT_EQ(ini.Load("a", "k", "d"), "42");
}

TEST_F(IniFileTest, SaveConvertsTheValueToTextUnderTheRegionalSettings) {
    struct Row {
        const char* region;
        const char* number;
    };
    const Row rows[] = {
        /* 0 */ {"en_US.UTF-8", "n=2.5"},
        /* 1 */ {"de_DE.UTF-8", "n=2,5"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        rt::ScopedRegion region(rows[i].region);
        cIniFile ini;
        ini.Offline(true);
        ini.Save("a", "b", true);
        ini.Save("a", "n", 2.5);
        ini.Save("a", "x", rt::Variant::Null());  // cannot be text: ignored
        EXPECT_EQ(ini.IniContent(), Lines({"[a]", "b=True", rows[i].number}));
    }
}

TEST_F(IniFileTest, OfflineChangesReachTheFileOnlyWhenSaved) {
    const std::string file = Lines({"[Tipps]", "All=1;", "", "[Tipp]", "1=0a|"});
    WriteFile(path_, file);
    cIniFile ini;
    ini.IniFile(path_);
    ini.Offline(true);
    EXPECT_EQ(ini.Load("Tipps", "All", ""), "1;");
    ini.Save("Tipp", "2", std::string("0b|"));
    ini.Save("Tipps", "All", std::string("1;2;"));
    EXPECT_EQ(ini.Load("tipp", "2"), "0b|");
    EXPECT_EQ(ReadFile(path_), file);
    ini.SaveOfflineToFile();
    EXPECT_EQ(ReadFile(path_), "[Tipps]\r\nAll=1;2;\r\n\r\n[Tipp]\r\n1=0a|\r\n2=0b|");

    cIniFile unread;  // a Save before any Load keeps what the file holds
    unread.IniFile(path_);
    unread.Offline(true);
    unread.Save("Tipp", "3", std::string("0c|"));
    unread.SaveOfflineToFile();
    EXPECT_EQ(ReadFile(path_), "[Tipps]\r\nAll=1;2;\r\n\r\n[Tipp]\r\n1=0a|\r\n2=0b|\r\n3=0c|");
}

TEST_F(IniFileTest, SaveOfflineToFileWritesBytesOwnerOnlyAndDeletesForEmptyText) {
    cIniFile ini;
    ini.IniFile(path_);
    ini.Offline(true);
    ini.Save("s\xc3\xa4", "k", std::string("\xe2\x82\xac"));
    ini.SaveOfflineToFile();
    EXPECT_EQ(ReadFile(path_), "[s\xe4]\r\nk=\x80");
    struct stat st;
    ASSERT_EQ(::stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_TRUE(ini.RemoveSection("S\xc3\x84"));
    EXPECT_EQ(ini.IniContent(), "");
    ini.SaveOfflineToFile();
    EXPECT_FALSE(fs::exists(path_));
}

// ---- removing and rebuilding ----

TEST_F(IniFileTest, RemoveKeyMatchesTheKeyExactly) {
    struct Row {
        const char* rule;
        std::string before;
        const char* section;
        const char* key;
        std::string after;
    } rows[] = {
        {"key in another case stays", Lines({"[a]", "K=1"}), "a", "k", Lines({"[a]", "K=1"})},
        {"line removed", Lines({"[a]", "k=1", "x=2"}), "A", "k", Lines({"[a]", "x=2"})},
        {"trailing blanks of the text cut", "[a]\r\nk=1\r\nx=2  ", "a", "k", "[a]\r\nx=2"},
        {"key of the next section stays", Lines({"[a]", "x=1", "[b]", "k=2"}), "a", "k",
         Lines({"[a]", "x=1", "[b]", "k=2"})},
        {"missing section", Lines({"[a]", "k=1"}), "b", "k", Lines({"[a]", "k=1"})},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << rows[i].rule);
        cIniFile offline;
        offline.Offline(true);
        offline.IniContent(rows[i].before);
        offline.RemoveKey(rows[i].section, rows[i].key);
        EXPECT_EQ(offline.IniContent(), rows[i].after);

        WriteFile(path_, rows[i].before);
        cIniFile cached;
        cached.IniFile(path_);
        cached.RemoveKey(rows[i].section, rows[i].key);
        EXPECT_EQ(ReadFile(path_), rows[i].after);
        EXPECT_EQ(cached.Load("a", "k", "-"), offline.Load("a", "k", "-"))
            << "reads see the removal";
    }
}

TEST_F(IniFileTest, RemoveSectionCutsItOut) {
    struct Row {
        const char* rule;
        std::string before;
        const char* section;
        bool found;
        std::string after;
    } rows[] = {
        {"only section", Lines({"[a]", "k=1"}), "a", true, ""},
        {"first of two", Lines({"[a]", "k=1", "[b]", "x=2"}), "A", true, "\r\n\r\n[b]\r\nx=2"},
        {"middle one leaves one blank line", Lines({"[a]", "k=1", "", "", "[b]", "[c]"}), "b", true,
         "[a]\r\nk=1\r\n\r\n[c]"},
        {"last one", Lines({"[a]", "k=1", "[b]", "x=2"}), "b", true, "[a]\r\nk=1"},
        {"missing", Lines({"[a]", "k=1"}), "c", false, Lines({"[a]", "k=1"})},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << rows[i].rule);
        cIniFile ini;
        ini.Offline(true);
        ini.IniContent(rows[i].before);
        EXPECT_EQ(ini.RemoveSection(rows[i].section), rows[i].found);
        EXPECT_EQ(ini.IniContent(), rows[i].after);
    }
}

TEST_F(IniFileTest, RebuildDropsDuplicatesBlankLinesAndStrayLines) {
    const struct {
        std::string before;
        bool written;  // a Unicode file is written only when something changes
        std::string after;
    } rows[] = {
        /* 0 */ {"pre=0\r\n[a]  \r\nx=1 \r\nX=2\r\n;c\r\n\r\nnokey\r\n[b]\r\ny=1\r", true,
                 "[a]\r\nx=1\r\n\r\n[b]\r\ny=1"},
        /* 1 */ {rt::Utf8ToUtf16Le("@@@[a]\r\nx=1"), false, rt::Utf8ToUtf16Le("@@@[a]\r\nx=1")},
        /* 2 */
        {rt::Utf8ToUtf16Le("@@@[a]\r\nx=1\r\nx=2"), true, rt::Utf8ToUtf16Le("@@@[a]\r\nx=1\r\n")},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        WriteFile(path_, rows[i].before);
        cIniFile ini;
        ini.IniFile(path_);
        EXPECT_EQ(ini.RebuildIniStructure(), rows[i].written);
        EXPECT_EQ(ReadFile(path_), rows[i].after);
        ini.Offline(true);
        EXPECT_FALSE(ini.RebuildIniStructure());
    }
}

TEST_F(IniFileTest, GetAllSectionsListsTheSectionsOfAFreshBuild) {
    WriteFile(path_, Lines({"[a]", "[b]", "[c]"}));
    cIniFile ini;
    ini.IniFile(path_);
    EXPECT_EQ(ini.GetAllSections(), "a;b;");
    EXPECT_EQ(ini.GetAllSections(), "") << "cache current";
    ini.ResetCache();
    EXPECT_EQ(ini.GetAllSections(), "a;b;");
    ini.CacheIniFile(false);
    ini.ResetCache();
    EXPECT_EQ(ini.GetAllSections(), "");
}

// ---- cache ----

TEST_F(IniFileTest, CachedReadsFollowTheFilesTimeStamp) {
    WriteFile(path_, Lines({"[a]", "k=1"}));
    cIniFile ini;
    ini.IniFile(path_);
    EXPECT_EQ(ini.Load("a", "k"), "1");
    Touch(Lines({"[a]", "k=2"}));
    EXPECT_EQ(ini.Load("a", "k"), "2");

    ini.UseCacheDirectly(true);
    Touch(Lines({"[a]", "k=3"}));
    EXPECT_EQ(ini.Load("a", "k"), "2") << "a valid cache is trusted";
    ini.ResetCache();
    EXPECT_EQ(ini.Load("a", "k"), "3");
    ini.Save("a", "k", std::string("4"));
    EXPECT_EQ(ini.Load("a", "k"), "4") << "own writes are seen";
    ini.SaveToRAM(true);
    ini.Save("a", "k", std::string("5"));
    EXPECT_EQ(ini.Load("a", "k"), "5");
    EXPECT_EQ(ReadFile(path_), "[a]\r\nk=4") << "SaveToRAM keeps the file as it was";
}

TEST_F(IniFileTest, IniFileSetOnlyActsOnAnotherPath) {
    WriteFile(path_, Lines({"[a]", "k=1"}));
    cIniFile ini;
    ini.IniFile(path_);
    ini.UseCacheDirectly(true);
    EXPECT_EQ(ini.Load("a", "k"), "1");
    Touch(Lines({"[a]", "k=2"}));
    ini.IniFile(path_);
    EXPECT_EQ(ini.Load("a", "k"), "1") << "same path: cache stays valid";
    const std::string other = (dir_ / "other.dat").string();
    ini.IniFile(other);
    EXPECT_EQ(ini.IniFile(), other);
    ini.Save("b", "x", std::string("9"));
    EXPECT_EQ(ReadFile(other), "[b]\r\nx=9") << "a new file starts empty";
}

// ---- uncached mode ----

class RecordingProfile : public platform::ProfileStrings {
  public:
    std::int32_t GetPrivateProfileStringA(std::string_view section, std::string_view key,
                                          std::string_view defaultValue, std::string& returned,
                                          std::int32_t size, const std::string& file) override {
        events.push_back("get " + std::string(section) + "|" + std::string(key) + "|" +
                         std::string(defaultValue) + "|" + std::to_string(size) + "|" + file);
        returned = answer;
        return count;
    }
    bool WritePrivateProfileStringA(std::string_view section, std::string_view key,
                                    std::string_view value, const std::string& file) override {
        events.push_back("write " + std::string(section) + "|" + std::string(key) + "|" +
                         std::string(value) + "|" + file);
        return true;
    }
    std::vector<std::string> events;
    std::string answer = "value";
    std::int32_t count = 3;
};

TEST_F(IniFileTest, UncachedModeGoesThroughTheProfileStrings) {
    auto profile = std::make_shared<RecordingProfile>();
    rt::ScopedRole<platform::ProfileStrings> scoped(profile);
    cIniFile ini;
    ini.IniFile(path_);
    ini.CacheIniFile(false);
    EXPECT_EQ(ini.Load("a", "k", "d"), "d") << "missing file: no call";
    WriteFile(path_, "x");
    EXPECT_EQ(ini.Load("a", "k", "d"), "val") << "cut to the count";
    profile->count = 0;
    EXPECT_EQ(ini.Load("a", "k", "d"), "d");
    ini.Save("a", "k", 7);
    const std::vector<std::string> expected = {
        "get a|k||32768|" + path_,
        "get a|k||32768|" + path_,
        "write a|k|7|" + path_,
    };
    EXPECT_EQ(profile->events, expected);
}

// ---- bad input and data safety ----

TEST_F(IniFileTest, BadInputNeverCrashesOrLosesContent) {
    std::string garbage;
    std::uint32_t seed = 7;
    for (int i = 0; i < 200000; ++i) {
        seed = seed * 1103515245u + 12345u;
        garbage += static_cast<char>(seed >> 24);
    }
    // A long line (the engine is linear in it; kept short enough for a fast suite).
    const std::string longLine = "[a]\r\nk=" + std::string(8u << 20, 'x') + "\r\nz=1";
    const struct {
        std::string bytes;
        const char* z;  // what [a] z reads as
    } inputs[] = {
        {garbage, ""},
        {std::string(100, '\0'), ""},
        {"[a\r\nk=1\r\nz=2", ""},
        {"\r\r\r[a]\rz=1", ""},
        {longLine, "1"},
        {Lines({"[a]", "k=1", "[a]", "z=2"}), ""},
    };
    for (std::size_t i = 0; i < std::size(inputs); ++i) {
        SCOPED_TRACE(testing::Message() << "input " << i);
        const std::string& input = inputs[i].bytes;
        WriteFile(path_, input);
        cIniFile ini;
        ini.IniFile(path_);
        EXPECT_EQ(ini.Load("a", "z"), inputs[i].z);
        ini.GetAllSections();
        EXPECT_TRUE(ini.IniContent() == rt::Win1252ToUtf8(input));
        cIniFile offline;
        offline.IniFile(path_);
        offline.Offline(true);
        EXPECT_EQ(offline.Load("a", "z"), inputs[i].z);
        offline.Save("a", "n", std::string("v"));
        offline.SaveOfflineToFile();
        const std::string written = *ReadFile(path_);
        EXPECT_NE(written.find("n=v"), std::string::npos);
        EXPECT_GE(written.size() + 2, input.size()) << "nothing lost";
    }
    EXPECT_EQ(cIniFile().Load("a", "z"), "");
}

TEST_F(IniFileTest, AnUnreadableFileOrAFolderIsNeverReplaced) {
    fs::create_directories(path_);
    {
        cIniFile ini;
        ini.IniFile(path_);
        EXPECT_EQ(ini.Load("a", "k", "d"), "d");
        ini.Save("a", "k", std::string("v"));
        ini.Offline(true);
        ini.Save("a", "k", std::string("v"));
        ini.SaveOfflineToFile();
        EXPECT_TRUE(fs::is_directory(path_));
    }
    fs::remove(path_);
    const std::string file = Lines({"[a]", "k=1"});
    WriteFile(path_, file);
    testsupport::AsUnprivilegedUser(dir_, [&] {
        fs::permissions(path_, fs::perms::owner_write);
        cIniFile ini;
        ini.IniFile(path_);
        ini.Save("a", "k", std::string("2"));
        ini.RemoveKey("a", "k");
        EXPECT_FALSE(ini.RebuildIniStructure());
        ini.Offline(true);
        ini.Save("a", "n", std::string("2"));
        ini.SaveOfflineToFile();
        fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write);
    });
    EXPECT_EQ(ReadFile(path_), file);
}

// A file system whose one file is there but cannot be read, as without read permission.
class UnreadableFiles : public platform::FileSystem {
  public:
    std::int64_t Length(const std::string&) override { return -1; }
    int Delete(const std::string& path) override {
        events.push_back("delete " + path);
        return 70;
    }
    std::optional<std::int64_t> ModifiedTime(const std::string&) override { return 1234; }
    std::string ReadAll(const std::string&) override { rt::Raise(70, "fake"); }
    std::string ReadPrefix(const std::string&, std::size_t) override { rt::Raise(70, "fake"); }
    void WriteAtomic(const std::string& path, std::string_view, bool) override {
        events.push_back("write " + path);
    }
    std::vector<std::string> events;
};

TEST(IniFileSafety, AnUnreadableFileIsNeitherWrittenNorDeleted) {
    auto files = std::make_shared<UnreadableFiles>();
    rt::ScopedRole<platform::FileSystem> scoped(files);
    cIniFile ini;
    ini.IniFile("/x/Perlowan.dat");
    EXPECT_EQ(ini.Load("a", "k", "d"), "d");
    ini.Save("a", "k", std::string("v"));
    ini.Save("a", "k", std::string());
    ini.RemoveKey("a", "k");
    EXPECT_FALSE(ini.RemoveSection("a"));
    EXPECT_FALSE(ini.RebuildIniStructure());
    ini.WriteAsAnsi();
    ini.WriteAsUnicode(true);
    ini.CacheIniFile(false);
    ini.Save("a", "k", std::string("v"));
    ini.Offline(true);
    ini.Save("a", "n", std::string("v"));
    ini.SaveOfflineToFile();
    ini.IniContent(std::string());
    ini.SaveOfflineToFile();
    EXPECT_EQ(files->events, std::vector<std::string>{});
}

// ---- points the rules settle ----

// The section cache is a collection keyed by section name, and the collection files an item
// added with an empty key under no key at all: a "[]" section is never found by a cached or
// offline read, while the text routines, which search the text, do write into it. The cache
// build goes on past it.
TEST_F(IniFileTest, ASectionNamedEmptyIsNeverFoundInTheCache) {
    WriteFile(path_, Lines({"[]", "k=1", "[b]", "k=2"}));
    {
        cIniFile ini;
        ini.IniFile(path_);
        EXPECT_EQ(ini.GetAllSections(), ";");
        EXPECT_EQ(ini.Load("", "k", "d"), "d");
        EXPECT_EQ(ini.Load("b", "k", "d"), "2");
    }
    cIniFile ini;
    ini.IniFile(path_);
    ini.Offline(true);
    EXPECT_EQ(ini.Load("", "k", "d"), "d");
    ini.Save("", "k", std::string("3"));
    EXPECT_EQ(ini.IniContent(), Lines({"[]", "k=3", "[b]", "k=2"}));
    EXPECT_EQ(ini.Load("", "k", "d"), "d");
    EXPECT_EQ(ini.Load("b", "k", "d"), "2");
}

// The engine walks lines while the position, counted from 1, is below the text's length, so a
// final line of a single character without a line break is never read.
TEST_F(IniFileTest, AFinalLineOfOneCharacterIsNotWalked) {
    struct Row {
        const char* file;
        const char* operation;  // "rebuild" or "remove key"
        const char* key;
        const char* expected;
    };
    const Row rows[] = {
        /* 0 */ {"[a]\r\nx=1\r\n=", "rebuild", "", "[a]\r\nx=1"},
        /* 1 */ {"[a]\r\nx=1\r\ny=", "rebuild", "", "[a]\r\nx=1\r\ny="},
        /* 2 */ {"[a]\r\n=", "rebuild", "", "[a]"},
        /* 3 */ {"[a]\r\nx=1\r\n=", "remove key", "", "[a]\r\nx=1\r\n="},
        /* 4 */ {"[a]\r\nx=1\r\n=1", "remove key", "", "[a]\r\nx=1\r\n"},
        /* 5 */ {"[a]\r\nx=1\r\nx", "remove key", "x", "[a]\r\nx"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        WriteFile(path_, rows[i].file);
        cIniFile ini;
        ini.IniFile(path_);
        if (std::string_view(rows[i].operation) == "rebuild")
            ini.RebuildIniStructure();
        else
            ini.RemoveKey("a", rows[i].key);
        EXPECT_EQ(ReadFile(path_), rows[i].expected);
    }
}

// Reading a file the way the classic binary open does creates it, empty; only the routines that
// read without looking first do that.
TEST_F(IniFileTest, ReadsThatCreateAMissingFileAreTheOnesThatDoNotLookFirst) {
    struct Row {
        const char* operation;
        bool creates;
    };
    const Row rows[] = {
        /* 0 */ {"RemoveKey", true},
        /* 1 */ {"RemoveSection", true},
        /* 2 */ {"RebuildIniStructure", true},
        /* 3 */ {"Load", false},
        /* 4 */ {"GetAllSections", false},
        /* 5 */ {"Save empty value", false},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].operation);
        fs::remove(path_);
        cIniFile ini;
        ini.IniFile(path_);
        const std::string_view operation = rows[i].operation;
        if (operation == "RemoveKey") ini.RemoveKey("a", "k");
        if (operation == "RemoveSection") ini.RemoveSection("a");
        if (operation == "RebuildIniStructure") ini.RebuildIniStructure();
        if (operation == "Load") ini.Load("a", "k");
        if (operation == "GetAllSections") ini.GetAllSections();
        if (operation == "Save empty value") ini.Save("a", "k", std::string());
        const std::optional<std::string> file = ReadFile(path_);
        EXPECT_EQ(file.has_value(), rows[i].creates);
        if (file) {
            EXPECT_EQ(*file, "");
        }
    }
}

TEST_F(IniFileTest, AFailedSaveIsVisibleOnTheDebugChannel) {
    const std::string path = (dir_ / "no such folder" / "Perlowan.dat").string();
    {
        testsupport::DebugRecorder off("");
        cIniFile ini;
        ini.IniFile(path);
        ini.Save("a", "k", std::string("1"));
        EXPECT_TRUE(off.Lines().empty()) << "off by default";
    }
    testsupport::DebugRecorder debug("ini");
    cIniFile ini;
    ini.IniFile(path);
    ini.Save("a", "k", std::string("1"));
    ini.Offline(true);
    ini.Save("a", "k", std::string("2"));
    ini.SaveOfflineToFile();
    ini.Save("a", "n", rt::Variant::Null());
    const auto& lines = debug.Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].rfind("ini: save of " + path + " failed: ", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind("ini: save of " + path + " failed: ", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2].rfind("ini: not saved: the value for a/n is no text", 0), 0u) << lines[2];
    EXPECT_FALSE(fs::exists(path));
}

}  // namespace
