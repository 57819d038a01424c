// The INI engine on arbitrary file bytes and a sequence of calls, in each of its modes. What a
// call saved must load back as the engine's rules say, read by the same object and by a fresh one:
//  - offline: every text and every value equals the literal step-by-step reference; what
//    SaveOfflineToFile wrote reads back as that text;
//  - cached, 8-bit and Unicode: after each call the file holds the text that the reference's
//    edit of the file's previous text gives (8-bit writes drop trailing line breaks), and reads
//    agree with the reference on that text; RebuildIniStructure leaves each section and key
//    once;
//  - uncached: a value saved under a plain section and key loads back as saved.
#include <fcntl.h>
#include <fuzzer/FuzzedDataProvider.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "CodePage.h"
#include "IniLiteral_test.h"
#include "Text.h"
#include "cIniFile.h"

namespace {

namespace fs = std::filesystem;

void Check(bool condition) {
    if (!condition) std::abort();
}

// In memory where the system has a memory file system: every write of the engine is synced.
const std::string& Path() {
    static const std::string path = [] {
        const fs::path folder =
            fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        return (folder / ("fuzz_inifile_" + std::to_string(::getpid()) + ".dat")).string();
    }();
    return path;
}

std::optional<std::string> FileBytes() {
    std::ifstream in(Path(), std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteBytes(const std::string& bytes) {
    std::ofstream(Path(), std::ios::binary | std::ios::trunc) << bytes;
}

// File times move on after every call, so the engine's time-stamp check sees every change even
// when the clock's resolution would hide it.
void StampFile() {
    static std::int64_t second = 1'000'000'000;
    const struct timespec times[2] = {{++second, 0}, {second, 0}};
    ::utimensat(AT_FDCWD, Path().c_str(), times, 0);
}

std::string StripTrailingLineBreaks(std::string text) {
    while (text.ends_with("\r\n")) text.resize(text.size() - 2);
    return text;
}

// The text of a Unicode file as the engine decodes it: after "@@@", trailing NULs cut.
std::string UnicodeText(const std::string& bytes) {
    std::string text = rt::Utf16LeToUtf8(bytes);
    Check(text.starts_with("@@@"));
    text.erase(0, 3);
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

class Input {
  public:
    explicit Input(FuzzedDataProvider& data) : data_(data) {}

    // Text of 8-bit characters, so that every character has its byte in the file.
    std::string Text(std::size_t max) {
        return rt::Win1252ToUtf8(data_.ConsumeRandomLengthString(max));
    }
    std::string Section() {
        static const char* const kSections[] = {"a",        "A",   "b",   "Tipp", "Tipps", "",
                                                "\xc3\xa4", "x y", "a]b", "[a",   "a\r\nb"};
        return Pick(kSections);
    }
    std::string Key() {
        static const char* const kKeys[] = {"k",  "K",        "n",  "1",  "a=b",   "",
                                            " k", "\xc3\xbc", "[k", ";c", "k\r\nx"};
        return Pick(kKeys);
    }
    std::string Value() {
        static const char* const kValues[] = {"",         "v",   "1",   "x=y", " s ",
                                              "\xc3\xa4", "0a|", "[v]", "a\r", "b\r\nc=d"};
        return Pick(kValues);
    }
    std::string Plain(bool allowEmpty) {
        static const char* const kPlain[] = {"a", "B", "Tipp", "k2", "x_y", "0", "long.name"};
        if (allowEmpty && data_.ConsumeBool()) return {};
        return kPlain[data_.ConsumeIntegralInRange<std::size_t>(0, std::size(kPlain) - 1)];
    }
    int Operation(int count) { return data_.ConsumeIntegralInRange<int>(0, count - 1); }
    // At most 24 calls an input: the calls write files, and short inputs keep the search fast.
    bool More() { return data_.remaining_bytes() > 0 && ++calls_ <= 24; }

  private:
    template <std::size_t N>
    std::string Pick(const char* const (&items)[N]) {
        // One in four picks is a text of the input's own.
        if (data_.ConsumeIntegralInRange<int>(0, 3) == 0) return Text(6);
        return items[data_.ConsumeIntegralInRange<std::size_t>(0, N - 1)];
    }
    FuzzedDataProvider& data_;
    int calls_ = 0;
};

// The reference reading `text`: what Load gives for a section and key.
std::string ReferenceLoad(const std::string& text, const std::string& section,
                          const std::string& key) {
    literal::OfflineIni reference;
    reference.SetContent(text);
    return reference.Load(section, key);
}

std::string OrDefault(std::string value) {
    return value.empty() ? "?" : value;
}

void Offline(Input& input, std::string start, bool fromFile) {
    literal::OfflineIni reference;
    cIniFile ini;
    ini.Offline(true);
    if (fromFile) {
        WriteBytes(rt::Utf8ToWin1252(start));
        reference.fileText = start;
        ini.IniFile(Path());
        // The first read brings the file's text in, as the tips store's exchange does; before
        // it, the engine protects the file's content where the reference would start empty.
        Check(ini.Load("", "?", "?") == OrDefault(reference.Load("", "?")));
    } else {
        reference.SetContent(start);
        ini.IniContent(start);
    }
    while (input.More()) {
        const int op = input.Operation(5);
        const std::string section = input.Section(), key = input.Key();
        if (op == 0) {
            const std::string value = input.Value();
            ini.Save(section, key, value);
            reference.Save(section, key, value);
        } else if (op == 1) {
            ini.RemoveKey(section, key);
            reference.RemoveKey(section, key);
        } else if (op == 2) {
            Check(ini.RemoveSection(section) == reference.RemoveSection(section));
        } else if (op == 3) {
            Check(ini.IniContent() == reference.content);
        }
        Check(ini.Load(section, key, "?") == OrDefault(reference.Load(section, key)));
    }
    Check(ini.IniContent() == reference.content);
    if (!fromFile) return;
    ini.SaveOfflineToFile();
    const std::string saved = StripTrailingLineBreaks(reference.content);
    const std::optional<std::string> bytes = FileBytes();
    // An empty text only deletes the file; any other text is written, even when nothing of it is
    // left once its trailing line breaks are cut.
    Check(reference.content.empty() ? !bytes.has_value() : bytes == rt::Utf8ToWin1252(saved));
    if (saved.empty()) return;
    cIniFile again;
    again.Offline(true);
    again.IniFile(Path());
    Check(again.Load("a", "k", "?") == OrDefault(ReferenceLoad(saved, "a", "k")));
    Check(again.IniContent() == saved);
}

// A rebuilt file: each header once, ignoring case, with a blank line before all but the first;
// then only lines with "=" whose keys, ignoring case, are unique in their section.
void CheckRebuilt(const std::string& text) {
    std::vector<std::string> headers, keys;
    bool blankBefore = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(pos, end - pos);
        pos = end + 2;
        auto seen = [](const std::vector<std::string>& names, const std::string& name) {
            for (const std::string& other : names)
                if (rt::TextEquals(other, name, rt::Compare::Text)) return true;
            return false;
        };
        if (line.empty()) {
            Check(!blankBefore && !headers.empty());
            blankBefore = true;
        } else if (line.front() == '[' && line.back() == ']') {
            Check(!seen(headers, line) && blankBefore == !headers.empty());
            headers.push_back(line);
            keys.clear();
            blankBefore = false;
        } else {
            Check(!blankBefore && !headers.empty());
            const std::size_t equals = line.find('=');
            Check(equals != std::string::npos);
            Check(!seen(keys, line.substr(0, equals)));
            keys.push_back(line.substr(0, equals));
        }
    }
    Check(!blankBefore);
}

// Cached mode on an 8-bit or a Unicode file: each call edits the file's current text.
void Cached(Input& input, const std::string& start, bool unicode) {
    auto encode = [&](const std::string& text) {
        return unicode ? rt::Utf8ToUtf16Le("@@@" + text) : rt::Utf8ToWin1252(text);
    };
    auto current = [&]() -> std::string {
        const std::optional<std::string> bytes = FileBytes();
        if (!bytes || bytes->empty()) return {};
        return unicode ? UnicodeText(*bytes) : rt::Win1252ToUtf8(*bytes);
    };
    WriteBytes(encode(start));
    StampFile();
    cIniFile ini;
    ini.IniFile(Path());
    Check(ini.CheckUnicodeFile() == unicode || (unicode && rt::CharCount(start) < 2));
    if (ini.CheckUnicodeFile() != unicode) return;
    while (input.More()) {
        const int op = input.Operation(unicode ? 3 : 5);
        const std::string section = input.Section(), key = input.Key();
        const std::string before = current();
        literal::OfflineIni reference;
        reference.content = before;  // the edits work on the text itself, without a cache
        std::optional<std::string> expected;
        if (op == 0) {
            const std::string value = input.Value();
            ini.Save(section, key, value);
            reference.Save(section, key, value);
            expected = unicode ? reference.content : StripTrailingLineBreaks(reference.content);
        } else if (op == 1) {
            ini.RemoveKey(section, key);
            reference.RemoveKey(section, key);
            expected = reference.content;
        } else if (op == 3) {
            Check(ini.RemoveSection(section) == reference.RemoveSection(section));
            expected = reference.content;
        } else if (op == 4) {
            Check(ini.RebuildIniStructure());
            CheckRebuilt(current());
        }
        StampFile();
        if (expected) Check(current() == *expected);
        const std::string after = current();
        const std::string wanted = OrDefault(ReferenceLoad(after, section, key));
        Check(ini.Load(section, key, "?") == wanted);
        cIniFile fresh;
        fresh.IniFile(Path());
        Check(fresh.Load(section, key, "?") == wanted);
    }
}

// Uncached mode, through the profile-string functions.
void Uncached(Input& input, const std::string& start) {
    WriteBytes(rt::Utf8ToWin1252(start));
    cIniFile ini;
    ini.CacheIniFile(false);
    ini.IniFile(Path());
    if (ini.CheckUnicodeFile()) return;
    while (input.More()) {
        const std::string section = input.Plain(false), key = input.Plain(false);
        const std::string value = input.Plain(true);
        ini.Save(section, key, value);
        Check(ini.Load(section, key, "?") == OrDefault(value));
        cIniFile fresh;
        fresh.CacheIniFile(false);
        fresh.IniFile(Path());
        Check(fresh.Load(section, key, "?") == OrDefault(value));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    Input input(provider);
    const int mode = provider.ConsumeIntegralInRange<int>(0, 4);
    std::string start = input.Text(512);
    // An 8-bit file never starts like the Unicode marker.
    if (mode == 3)
        while (!start.empty() && start.back() == '\0') start.pop_back();
    else
        for (std::size_t i = 0; i < start.size() && i < 10; ++i)
            if (start[i] == '@') start[i] = '#';
    fs::remove(Path());
    switch (mode) {
        case 0:
            Offline(input, start, false);
            break;
        case 1:
            Offline(input, start, true);
            break;
        case 2:
            Cached(input, start, false);
            break;
        case 3:
            Cached(input, start, true);
            break;
        default:
            Uncached(input, start);
            break;
    }
    fs::remove(Path());
    return 0;
}
