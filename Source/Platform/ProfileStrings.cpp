#include "ProfileStrings.h"

#include <memory>
#include <optional>
#include <vector>

#include "CodePage.h"
#include "Debug.h"
#include "Files.h"
#include "RuntimeError.h"
#include "Text.h"

namespace platform {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsBreak(char c) {
    return c == '\r' || c == '\n';
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}
std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}
std::string_view Trim(std::string_view s) {
    return TrimRight(TrimLeft(s));
}

// A name of the file (8-bit) against a name asked for (UTF-8, trimmed), ignoring case.
bool SameName(std::string_view fileBytes, std::string_view asked) {
    return rt::TextEquals(rt::Win1252ToUtf8(fileBytes), asked, rt::Compare::Text);
}

struct Line {
    std::size_t start;  // first byte of the line
    std::size_t end;    // one past its last byte, where its line break starts
    std::size_t next;   // one past its line break run
    enum Kind { Header, Key, Other } kind = Other;
    std::string_view name;   // header name or key (8-bit, trimmed)
    std::string_view value;  // key lines: the value as written, trimmed
};

std::vector<Line> SplitLines(std::string_view bytes) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        while (pos < bytes.size() && IsBreak(bytes[pos])) ++pos;
        if (pos == bytes.size()) break;
        Line line{};
        line.start = pos;
        while (pos < bytes.size() && !IsBreak(bytes[pos])) ++pos;
        line.end = pos;
        while (pos < bytes.size() && IsBreak(bytes[pos])) ++pos;
        line.next = pos;
        const std::string_view text = TrimLeft(bytes.substr(line.start, line.end - line.start));
        const std::size_t close = text.rfind(']');
        const std::size_t eq = text.find('=');
        if (!text.empty() && text.front() == '[' && close != std::string_view::npos) {
            line.kind = Line::Header;
            line.name = Trim(text.substr(1, close - 1));
        } else if (eq != std::string_view::npos) {
            line.kind = Line::Key;
            line.name = TrimRight(text.substr(0, eq));
            line.value = Trim(text.substr(eq + 1));
        }
        if (!TrimRight(text).empty()) lines.push_back(line);
    }
    return lines;
}

struct Found {
    std::optional<std::size_t> header;    // line index of the section's first header
    std::optional<std::size_t> key;       // line index of the key in that section
    std::optional<std::size_t> lastLine;  // the header or the section's last key line
};

Found Find(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    Found found;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (line.kind == Line::Header) {
            if (found.header) break;
            if (SameName(line.name, section)) found.header = found.lastLine = i;
            continue;
        }
        if (!found.header || line.kind != Line::Key) continue;
        found.lastLine = i;
        if (!found.key && SameName(line.name, key)) found.key = i;
    }
    return found;
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// The length of the first line break of the run that starts at `at`.
std::size_t FirstBreak(std::string_view bytes, std::size_t at) {
    if (at >= bytes.size()) return 0;
    if (bytes.compare(at, 2, "\r\n") == 0) return 2;
    return 1;
}

class LinuxProfileStrings final : public ProfileStrings {
  public:
    std::int32_t GetPrivateProfileStringA(std::string_view section, std::string_view key,
                                          std::string_view defaultValue, std::string& returned,
                                          std::int32_t size, const std::string& fileName) override {
        returned.clear();
        if (size <= 0) return 0;
        std::string value(TrimRight(defaultValue));
        try {
            const std::string bytes = Files().ReadAll(fileName);
            const auto lines = SplitLines(bytes);
            const Found found = Find(lines, Trim(section), Trim(key));
            if (found.key) value = rt::Win1252ToUtf8(Unquote(lines[*found.key].value));
        } catch (const rt::RuntimeError& e) {
            // A file that cannot be read gives the default.
            PERLOWAN_DEBUG("profile", fileName + " cannot be read (" + e.Description() +
                                          "): the default is returned");
        }
        if (rt::Len(value) > size - 1) value = rt::Left(value, size - 1);
        returned = value;
        return rt::Len(value);
    }

    bool WritePrivateProfileStringA(std::string_view section, std::string_view key,
                                    std::string_view value, const std::string& fileName) override {
        auto& files = Files();
        std::string bytes;
        if (files.ModifiedTime(fileName)) {
            try {
                bytes = files.ReadAll(fileName);
            } catch (const rt::RuntimeError& e) {
                PERLOWAN_DEBUG("profile", fileName + " cannot be read (" + e.Description() +
                                              "): nothing is written");
                return false;
            }
        }
        const std::string sectionName = rt::Utf8ToWin1252(Trim(section));
        const std::string keyName = rt::Utf8ToWin1252(Trim(key));
        const std::string valueText = rt::Utf8ToWin1252(value);
        const auto lines = SplitLines(bytes);
        const Found found = Find(lines, Trim(section), Trim(key));
        if (found.key) {
            const Line& line = lines[*found.key];
            std::string replacement = std::string(line.name) + "=" + valueText;
            if (line.end == bytes.size()) replacement += "\r\n";
            bytes.replace(line.start, line.end - line.start, replacement);
        } else if (found.header) {
            const Line& after = lines[*found.lastLine];
            const std::size_t at = after.end + FirstBreak(bytes, after.end);
            std::string added = keyName + "=" + valueText + "\r\n";
            if (after.end == bytes.size()) added.insert(0, "\r\n");
            bytes.insert(at, added);
        } else {
            if (!bytes.empty() && !IsBreak(bytes.back())) bytes += "\r\n";
            bytes += "[" + sectionName + "]\r\n" + keyName + "=" + valueText + "\r\n";
        }
        try {
            files.WriteAtomic(fileName, bytes, true);
        } catch (const rt::RuntimeError& e) {
            PERLOWAN_DEBUG("profile", fileName + " cannot be written: " + e.Description());
            return false;
        }
        return true;
    }
};

}  // namespace

}  // namespace platform

template <>
std::shared_ptr<platform::ProfileStrings> rt::MakeDefaultRole<platform::ProfileStrings>() {
    return std::make_shared<platform::LinuxProfileStrings>();
}

PERLOWAN_DEFINE_ROLE(platform::ProfileStrings);
