#include "IniText.h"

#include <array>
#include <cstring>

#include "CodePage.h"
#include "Text.h"

namespace ini {

namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

inline unsigned char AsciiLower(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

bool IsAscii(std::string_view s) {
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, s.data() + i, 8);
        if (w & kHighBits) return false;
    }
    for (; i < s.size(); ++i)
        if (static_cast<unsigned char>(s[i]) >= 0x80) return false;
    return true;
}

}  // namespace

bool IsAsciiText(std::string_view text) {
    return IsAscii(text);
}

std::string Header(std::string_view name) {
    std::string header;
    header.reserve(name.size() + 2);
    header += '[';
    header.append(name);
    header += ']';
    return header;
}

std::string Fold(std::string_view text) {
    if (!IsAscii(text)) return rt::LCase(text);
    std::string out(text);
    for (char& c : out) c = static_cast<char>(AsciiLower(static_cast<unsigned char>(c)));
    return out;
}

bool FoldEquals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if ((x | y) >= 0x80) return rt::LCase(a.substr(i)) == rt::LCase(b.substr(i));
        if (AsciiLower(x) != AsciiLower(y)) return false;
    }
    return true;
}

bool FoldStartsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && FoldEquals(text.substr(0, prefix.size()), prefix);
}

bool FoldEndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           FoldEquals(text.substr(text.size() - suffix.size()), suffix);
}

std::uint64_t FoldHash(std::string_view text) {
    std::string folded;
    if (!IsAscii(text)) {
        folded = rt::LCase(text);
        text = folded;
    }
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (const char c : text) {
        h ^= AsciiLower(static_cast<unsigned char>(c));
        h *= 0x100000001b3ull;
    }
    return h ^ (h >> 29);
}

std::size_t FindFolded(std::string_view text, std::string_view find, std::size_t from) {
    if (from > text.size()) return npos;
    if (find.empty()) return from;
    if (!IsAscii(find)) {
        // A non-ASCII character may fold to a different first byte; fold the text once.
        const std::string low = rt::LCase(text.substr(from));
        const std::size_t at = low.find(rt::LCase(find));
        return at == std::string::npos ? npos : from + at;
    }
    // ASCII folds only to ASCII, so an ASCII match is a byte-for-byte folded match.
    const unsigned char lo = AsciiLower(static_cast<unsigned char>(find[0]));
    const unsigned char up = (lo >= 'a' && lo <= 'z') ? static_cast<unsigned char>(lo - 32) : lo;
    const std::string_view rest = find.substr(1);
    for (std::size_t i = from; i + find.size() <= text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c != lo && c != up) {
            const void* hit = nullptr;
            const std::size_t span = text.size() - find.size() + 1 - i;
            if (lo == up) {
                hit = std::memchr(text.data() + i, lo, span);
                if (!hit) return npos;
                i = static_cast<const char*>(hit) - text.data();
            } else {
                continue;
            }
        }
        if (FoldEquals(text.substr(i + 1, rest.size()), rest)) return i;
    }
    return npos;
}

std::size_t FindAfterCrLf(std::string_view text, std::string_view find, std::size_t from) {
    for (std::size_t at = text.find(kCrLf, from); at != npos; at = text.find(kCrLf, at + 1)) {
        if (FoldStartsWith(text.substr(at + 2), find)) return at;
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

void SetKeyInText(std::string& text, std::string_view section, std::string_view key,
                  std::string_view value) {
    const std::string sect = Header(section);
    const std::string line = std::string(key) + "=" + std::string(value);
    std::size_t start = FoldStartsWith(text, sect) ? 0 : FindAfterCrLf(text, sect);
    if (start != npos) {
        const std::size_t keyAt = FindAfterCrLf(text, std::string(key) + "=", start);
        const std::size_t next = text.find("\r\n[", start + 3);
        if (keyAt != npos && (next == npos || keyAt < next)) {
            const std::size_t end = text.find(kCrLf, keyAt + 3);
            const std::string tail = end == npos ? std::string() : text.substr(end);
            text.resize(keyAt);
            text.append(kCrLf).append(line).append(tail);
        } else if (value.empty()) {
            return;
        } else if (next == npos) {
            if (!EndsWith(text, kCrLf)) text.append(kCrLf);
            text.append(line).append(kCrLf);
        } else if (text.compare(next - 2, 4, "\r\n\r\n") == 0) {
            text.insert(next, line + "\r\n");
        } else {
            // The line break ahead of the header is written twice: a blank line before it.
            text.insert(next + 2, line + "\r\n\r\n");
        }
        return;
    }
    if (value.empty()) return;
    if (!text.empty()) {
        if (!EndsWith(text, kCrLf))
            text.append("\r\n\r\n");
        else if (!EndsWith(text, "\r\n\r\n"))
            text.append(kCrLf);
    }
    text.append(sect).append(kCrLf).append(line).append(kCrLf);
}

std::string SectionTextAfterWrite(std::string_view text, std::string_view section) {
    const std::string sect = Header(section);
    std::string item = sect + "\r\n";
    const std::size_t at = FindFolded(text, sect + "\r\n");
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
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t lineStart = pos;
        const std::string_view line = NextLine(text, pos);
        if (line.empty() || line.front() != '[' || line.back() != ']') continue;
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

struct AnsiTable {
    std::array<std::array<char, 3>, 128> bytes{};
    std::array<unsigned char, 128> length{};
    AnsiTable() {
        for (int b = 0; b < 128; ++b) {
            std::string enc;
            rt::AppendUtf8(enc, rt::Win1252ToUnicode(static_cast<unsigned char>(b + 128)));
            length[b] = static_cast<unsigned char>(enc.size());
            for (std::size_t i = 0; i < enc.size(); ++i) bytes[b][i] = enc[i];
        }
    }
};

const AnsiTable& Table() {
    static const AnsiTable table;
    return table;
}

}  // namespace

std::string AnsiToText(std::string_view bytes) {
    const AnsiTable& table = Table();
    std::size_t extra = 0;
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, bytes.data() + i, 8);
        if (!(w & kHighBits)) continue;
        for (std::size_t k = i; k < i + 8; ++k) {
            const auto b = static_cast<unsigned char>(bytes[k]);
            if (b >= 0x80) extra += table.length[b - 128] - 1;
        }
    }
    for (; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b >= 0x80) extra += table.length[b - 128] - 1;
    }
    std::string out(bytes.size() + extra, '\0');
    char* o = out.data();
    i = 0;
    while (i < bytes.size()) {
        if (i + 8 <= bytes.size()) {
            std::uint64_t w;
            std::memcpy(&w, bytes.data() + i, 8);
            if (!(w & kHighBits)) {
                std::memcpy(o, &w, 8);
                o += 8;
                i += 8;
                continue;
            }
        }
        const auto b = static_cast<unsigned char>(bytes[i++]);
        if (b < 0x80) {
            *o++ = static_cast<char>(b);
        } else {
            const auto& enc = table.bytes[b - 128];
            const unsigned n = table.length[b - 128];
            for (unsigned k = 0; k < n; ++k) *o++ = enc[k];
        }
    }
    return out;
}

void AppendAnsi(std::string& out, std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t run = i;
        while (run + 8 <= text.size()) {
            std::uint64_t w;
            std::memcpy(&w, text.data() + run, 8);
            if (w & kHighBits) break;
            run += 8;
        }
        while (run < text.size() && static_cast<unsigned char>(text[run]) < 0x80) ++run;
        out.append(text.data() + i, run - i);
        i = run;
        if (i == text.size()) break;
        const int mapped = rt::UnicodeToWin1252(rt::DecodeUtf8(text, i));
        out += mapped < 0 ? '?' : static_cast<char>(mapped);
    }
}

std::string TextToAnsi(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    AppendAnsi(out, text);
    return out;
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
