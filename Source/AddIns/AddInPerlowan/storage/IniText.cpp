#include "IniText.h"

#include <initializer_list>
#include <utility>

#include "CodePage.h"
#include "Text.h"

namespace ini {

std::string Header(std::string_view name) {
    std::string header;
    header.reserve(name.size() + 2);
    header += '[';
    header.append(name);
    header += ']';
    return header;
}

std::uint64_t FoldHash(std::string_view text) {
    std::string folded;
    if (!rt::IsAscii(text)) {
        folded = rt::LCase(text);
        text = folded;
    }
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        h ^= (b >= 'A' && b <= 'Z') ? b + 32 : b;
        h *= 0x100000001b3ull;
    }
    return h ^ (h >> 29);
}

std::size_t FindAfterCrLf(std::string_view text, std::string_view find, std::size_t from) {
    for (std::size_t at = text.find(kCrLf, from); at != npos; at = text.find(kCrLf, at + 1)) {
        if (rt::StartsWithText(text.substr(at + 2), find)) return at;
    }
    return npos;
}

std::string_view NextLine(std::string_view text, std::size_t& pos) {
    const std::size_t start = pos;
    const std::size_t at = text.find(kCrLf, pos);
    if (at == npos) {
        pos = text.size();
        return text.substr(start);
    }
    pos = at + 2;
    return text.substr(start, at - start);
}

std::string_view StripTrailingLineBreaks(std::string_view text) {
    while (EndsWith(text, kCrLf)) text.remove_suffix(2);
    return text;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::string_view CutValue(std::string_view rest) {
    std::size_t end = rest.find(kCrLf);
    if (end == npos) end = rest.find('\r');
    if (end == npos) end = rest.find('\n');
    return end == npos ? rest : rest.substr(0, end);
}

std::string_view FindValueInSection(std::string_view sectionText, std::string_view key) {
    const std::string find = std::string(key) + "=";
    const std::size_t at = FindAfterCrLf(sectionText, find);
    if (at == npos) return {};
    return CutValue(sectionText.substr(at + 2 + find.size()));
}

namespace {

std::string Joined(std::initializer_list<std::string_view> parts) {
    std::size_t size = 0;
    for (const std::string_view part : parts) size += part.size();
    std::string joined;
    joined.reserve(size);
    for (const std::string_view part : parts) joined.append(part);
    return joined;
}

}  // namespace

// Built in one allocation: a store of many megabytes is copied once per write, not twice.
std::optional<std::string> TextWithKeySet(std::string_view text, std::string_view section,
                                          std::string_view key, std::string_view value) {
    const std::string sect = Header(section);
    const std::string line = std::string(key) + "=" + std::string(value);
    const std::size_t start = rt::StartsWithText(text, sect) ? 0 : FindAfterCrLf(text, sect);
    if (start != npos) {
        const std::size_t keyAt = FindAfterCrLf(text, std::string(key) + "=", start);
        const std::size_t next = text.find("\r\n[", start + 3);
        if (keyAt != npos && (next == npos || keyAt < next)) {
            const std::size_t end = text.find(kCrLf, keyAt + 3);
            return Joined({text.substr(0, keyAt), kCrLf, line,
                           end == npos ? std::string_view() : text.substr(end)});
        }
        if (value.empty()) return std::nullopt;
        if (next == npos) return Joined({text, EndsWith(text, kCrLf) ? "" : kCrLf, line, kCrLf});
        if (text.compare(next - 2, 4, "\r\n\r\n") == 0)
            return Joined({text.substr(0, next), line, kCrLf, text.substr(next)});
        // The line break ahead of the header is written twice: a blank line before it.
        return Joined({text.substr(0, next + 2), line, "\r\n\r\n", text.substr(next + 2)});
    }
    if (value.empty()) return std::nullopt;
    std::string_view blankLine;
    if (!text.empty()) {
        if (!EndsWith(text, kCrLf))
            blankLine = "\r\n\r\n";
        else if (!EndsWith(text, "\r\n\r\n"))
            blankLine = kCrLf;
    }
    return Joined({text, blankLine, sect, kCrLf, line, kCrLf});
}

void SetKeyInText(std::string& text, std::string_view section, std::string_view key,
                  std::string_view value) {
    if (auto changed = TextWithKeySet(text, section, key, value)) text = std::move(*changed);
}

std::string SectionTextAfterWrite(std::string_view text, std::string_view section) {
    const std::string sect = Header(section);
    std::string item = sect + "\r\n";
    const std::size_t at = rt::FindText(text, sect + "\r\n");
    if (at == npos) return item;
    const std::size_t from = at + sect.size() + 2;
    const std::size_t end = text.find("\r\n[", from);
    item.append(text.substr(from, end == npos ? npos : end - from));
    return item;
}

std::vector<SectionSpan> SplitSections(std::string_view text, std::string* list) {
    std::vector<SectionSpan> spans;
    bool open = false;
    SectionSpan current{};
    // Only a line that begins with "[" can be a header: visit those instead of every line. A line
    // begins at the start of the text and after each CR LF; the walk reads no line that begins at
    // the text's last character.
    for (std::size_t lineStart = text.find('[');
         lineStart != npos && WalkContinues(text, lineStart);
         lineStart = text.find('[', lineStart + 1)) {
        if (lineStart != 0 && (lineStart < 2 || text.substr(lineStart - 2, 2) != kCrLf)) continue;
        std::size_t pos = lineStart;
        const std::string_view line = NextLine(text, pos);
        if (line.back() != ']') continue;
        if (open) {
            if (list) list->append(current.name).append(";");
            current.end = lineStart - 1;
            spans.push_back(current);
        }
        open = true;
        current.name = line.size() >= 2 ? line.substr(1, line.size() - 2) : std::string_view();
        current.headerStart = lineStart;
    }
    if (open && current.headerStart < text.size()) {
        current.end = text.size();
        spans.push_back(current);
    }
    return spans;
}

namespace {

constexpr std::string_view kMarkerBytes = "@@@";
constexpr std::string_view kMarkerUnits{"@\0@\0@\0", 6};

// Offset where the text starts behind the marker, and whether the marker was spelled as single
// bytes (then the rest is UTF-16LE from that byte) or as UTF-16LE units.
std::optional<std::size_t> MarkerEnd(std::string_view bytes) {
    if (bytes.substr(0, 3) == kMarkerBytes) return 3;
    if (bytes.size() >= 4 && bytes.substr(1, 3) == kMarkerBytes) return 4;
    if (bytes.substr(0, 6) == kMarkerUnits) return 6;
    if (bytes.size() >= 8 && bytes.substr(2, 6) == kMarkerUnits) return 8;
    return std::nullopt;
}

}  // namespace

bool HasUnicodeMarker(std::string_view firstBytes) {
    return MarkerEnd(firstBytes).has_value();
}

std::optional<std::string> DecodeUnicodeFile(std::string_view bytes) {
    const auto end = MarkerEnd(bytes);
    if (!end) return std::nullopt;
    return rt::Utf16LeToUtf8(bytes.substr(*end));
}

std::string EncodeUnicodeFile(std::string_view text) {
    return rt::Utf8ToUtf16Le(std::string("@@@").append(text));
}

std::string_view CutTrailingNuls(std::string_view text) {
    while (!text.empty() && text.back() == '\0') text.remove_suffix(1);
    return text;
}

}  // namespace ini
