// The offline engine against the literal reference: random texts and random sequences of writes,
// removals and reads must give the very same texts and values.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "CodePage.h"
#include "IniLiteral_test.h"
#include "TestSupport.h"
#include "cIniFile.h"

namespace {

class Generator {
  public:
    explicit Generator(unsigned seed) : rng_(seed) {}

    template <std::size_t N>
    const char* Pick(const char* const (&items)[N]) {
        return items[std::uniform_int_distribution<std::size_t>(0, N - 1)(rng_)];
    }
    bool Chance(int percent) { return std::uniform_int_distribution<int>(0, 99)(rng_) < percent; }
    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    std::string Text() {
        static const char* const kLines[] = {
            "[a]",        "[A]",        "[ab]",   "[b]",    "[Tipp]", "[tipps]",
            "[\xc3\xa4]", "[\xc3\x84]", "k=1",    "K=2",    "k2=3",   "a=b=c",
            "=v",         "k=",         "",       "",       "; c",    "x",
            "[a",         "a]",         "[a] ",   "[]",     "k=a]",   "\xc3\xbc=4",
            "\xc3\x9c=5", "k= 1 ",      "k=x\ry", "k=x\ny", "1=0a|b|"};
        const char* separators[] = {"\r\n", "\r\n", "\r\n", "\r\n", "\r\n", "\n", "\r"};
        const bool lfOnly = Chance(5);
        std::string text;
        const int lines = Below(12);
        for (int i = 0; i < lines; ++i) {
            text += Pick(kLines);
            if (i + 1 < lines || Chance(60)) text += lfOnly ? "\n" : Pick(separators);
        }
        return text;
    }

    std::string Section() {
        static const char* const kSections[] = {
            "a",        "A",        "ab",  "b",   "B", "Tipp", "Tipps", "tipp",
            "\xc3\xa4", "\xc3\x84", "new", "x y", "",  "a]b",  "[a",    "a\r\nb"};
        return Pick(kSections);
    }
    std::string Key() {
        static const char* const kKeys[] = {"k",  "K",  "k2", "a",      "a=b",      "",
                                            "n",  "N",  "1",  "x",      "\xc3\xbc", "\xc3\x9c",
                                            "[k", "k]", ";c", "k\r\nx", " k"};
        return Pick(kKeys);
    }
    std::string Value() {
        static const char* const kValues[] = {"",     "",
                                              "v",    "1",
                                              "x=y",  "a]",
                                              " s ",  "\xc3\xa4",
                                              "0a|",  "line\r\nbreak",
                                              "cr\r", "\nlf",
                                              "[v]",  "long value with words"};
        return Pick(kValues);
    }

  private:
    std::mt19937 rng_;
};

TEST(IniFileDifferential, OfflineEditsMatchTheLiteralReference) {
    testsupport::TempFolder temp("ini-differential");
    const std::string path = (temp / "Perlowan.dat").string();
    int compared = 0;
    for (unsigned seed = 1; seed <= 3000; ++seed) {
        Generator gen(seed);
        const std::string start = gen.Text();
        literal::OfflineIni reference;
        reference.SetContent(start);
        cIniFile ini;
        ini.Offline(true);
        if (seed % 2) {
            ini.IniContent(start);
        } else {
            // The same text read from its 8-bit file.
            testsupport::WriteFile(path, rt::Utf8ToWin1252(start));
            reference.fileText = start;
            ini.IniFile(path);
            ASSERT_EQ(ini.Load("", "?"), reference.Load("", "?"));
        }
        const int steps = 1 + gen.Below(14);
        for (int step = 0; step < steps; ++step) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " step " << step << " start "
                                            << testing::PrintToString(start));
            const int op = gen.Below(100);
            std::string done = "no write";
            if (op < 65) {
                const std::string section = gen.Section(), key = gen.Key(), value = gen.Value();
                done = "Save " + testing::PrintToString(section) + " " +
                       testing::PrintToString(key) + " " + testing::PrintToString(value);
                reference.Save(section, key, value);
                ini.Save(section, key, value);
            } else if (op < 72) {
                const std::string section = gen.Section(), key = gen.Key();
                done = "RemoveKey " + testing::PrintToString(section) + " " +
                       testing::PrintToString(key);
                reference.RemoveKey(section, key);
                ini.RemoveKey(section, key);
            } else if (op < 77) {
                const std::string section = gen.Section();
                done = "RemoveSection " + testing::PrintToString(section);
                ASSERT_EQ(ini.RemoveSection(section), reference.RemoveSection(section));
            }
            for (int read = 0; read < 3; ++read) {
                const std::string section = gen.Section(), key = gen.Key();
                ASSERT_EQ(ini.Load(section, key), reference.Load(section, key))
                    << "Load " << testing::PrintToString(section) << " "
                    << testing::PrintToString(key) << " text "
                    << testing::PrintToString(reference.content);
                ++compared;
            }
            // Reading the text between writes, or not, must not matter.
            if (gen.Chance(40) || step + 1 == steps) {
                ASSERT_EQ(ini.IniContent(), reference.content) << done;
            }
        }
    }
    EXPECT_GT(compared, 10000);
}

// Cached reads of 8-bit files, from their bytes, against the literal reference.
TEST(IniFileDifferential, CachedReadsMatchTheLiteralReference) {
    testsupport::TempFolder temp("ini-cached");
    const std::string path = (temp / "Perlowan.dat").string();
    for (unsigned seed = 1; seed <= 400; ++seed) {
        Generator gen(seed);
        const std::string start = gen.Text();
        SCOPED_TRACE(testing::Message()
                     << "seed " << seed << " text " << testing::PrintToString(start));
        literal::OfflineIni reference;
        reference.SetContent(start);
        testsupport::WriteFile(path, rt::Utf8ToWin1252(start));
        cIniFile ini;
        ini.IniFile(path);
        for (int read = 0; read < 8; ++read) {
            const std::string section = gen.Section(), key = gen.Key();
            ASSERT_EQ(ini.Load(section, key), reference.Load(section, key))
                << "Load " << testing::PrintToString(section) << " " << testing::PrintToString(key);
        }
        ASSERT_EQ(ini.IniContent(), start);
    }
}

// Cached writes, one engine per write as the window makes them, against the literal reference:
// the file after each write holds the reference's text of the write, as 8-bit bytes without
// trailing line breaks, and reads between the writes (first by a search, then by the index)
// give the reference's values. Texts carry the code page's undefined bytes and values that it
// cannot hold.
TEST(IniFileDifferential, CachedWritesMatchTheLiteralReference) {
    testsupport::TempFolder temp("ini-cached-writes");
    const std::string path = (temp / "Perlowan.dat").string();
    static const char* const kOddValues[] = {"\xc2\x81|\xc2\x9d",
                                             "\xe2\x82\xac"
                                             "5",
                                             "\xce\xa9", "\xc5\xa0\xc5\xa1"};
    int writes = 0;
    for (unsigned seed = 1; seed <= 100; ++seed) {
        Generator gen(seed);
        std::string start = gen.Text();
        if (seed % 3 == 0) start += "\r\n[\xc2\x90]\r\n\xc2\x8d=\xc2\x81\r\n";
        testsupport::WriteFile(path, rt::Utf8ToWin1252(start));
        const int steps = 1 + gen.Below(6);
        std::string lastSection = gen.Section(), lastKey = gen.Key();
        for (int step = 0; step < steps; ++step) {
            const auto bytes = testsupport::ReadFileIfAny(path);
            literal::OfflineIni reference;
            reference.SetContent(bytes ? rt::Win1252ToUtf8(*bytes) : std::string());
            const std::string section = gen.Section(), key = gen.Key();
            const std::string value = gen.Chance(20) ? kOddValues[gen.Below(4)] : gen.Value();
            SCOPED_TRACE(testing::Message()
                         << "seed " << seed << " step " << step << " text "
                         << testing::PrintToString(reference.content) << " Save "
                         << testing::PrintToString(section) << " " << testing::PrintToString(key)
                         << " " << testing::PrintToString(value));
            cIniFile ini;
            ini.IniFile(path);
            for (int read = 0; read < 3; ++read) {
                // First the value the last write left, then others.
                const std::string readSection = read ? gen.Section() : lastSection;
                const std::string readKey = read ? gen.Key() : lastKey;
                ASSERT_EQ(ini.Load(readSection, readKey), reference.Load(readSection, readKey))
                    << "Load " << testing::PrintToString(readSection) << " "
                    << testing::PrintToString(readKey);
            }
            ini.Save(section, key, value);
            reference.Save(section, key, value);
            std::string expected = rt::Utf8ToWin1252(reference.content);
            while (expected.size() >= 2 && expected.compare(expected.size() - 2, 2, "\r\n") == 0)
                expected.resize(expected.size() - 2);
            const auto written = testsupport::ReadFileIfAny(path);
            if (expected.empty()) {
                ASSERT_FALSE(written.has_value()) << "an empty text deletes the file";
            } else {
                ASSERT_TRUE(written.has_value());
                ASSERT_EQ(*written, expected);
            }
            ++writes;
            lastSection = section;
            lastKey = key;
        }
    }
    EXPECT_GT(writes, 250);
}

// The tips store's own pattern: many keys in one big section, values changing length, keys
// spelled in other cases, new keys, and a second section after it.
TEST(IniFileDifferential, ManyKeysInOneSectionMatchTheLiteralReference) {
    std::mt19937 rng(42);
    std::string start = "[Tipp]\r\n";
    for (int i = 0; i < 300; ++i)
        start += std::to_string(i) + "=0data" + std::to_string(i) + "|\r\n";
    start += "\r\n[Tipps]\r\nAll=1;2;";
    literal::OfflineIni reference;
    reference.SetContent(start);
    cIniFile ini;
    ini.Offline(true);
    ini.IniContent(start);
    for (int step = 0; step < 200; ++step) {
        SCOPED_TRACE(testing::Message() << "step " << step);
        const int id = std::uniform_int_distribution<int>(0, 400)(rng);
        std::string key = std::to_string(id);
        if (id % 7 == 0) key = "0" + key;
        const std::string value = std::string(id % 3, 'x') + "1|" + std::to_string(step);
        const std::string section = step % 5 == 0 ? "TIPP" : "Tipp";
        ASSERT_EQ(ini.Load(section, key), reference.Load(section, key));
        ini.Save(section, key, value);
        reference.Save(section, key, value);
        if (step % 50 == 49) {
            ini.Save("Tipps", "All", "1;2;" + std::to_string(step) + ";");
            reference.Save("Tipps", "All", "1;2;" + std::to_string(step) + ";");
            ASSERT_EQ(ini.IniContent(), reference.content);
        }
    }
    EXPECT_EQ(ini.IniContent(), reference.content);
}

}  // namespace
