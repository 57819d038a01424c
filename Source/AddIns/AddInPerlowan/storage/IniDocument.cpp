#include "IniDocument.h"

#include <algorithm>

#include "CodePage.h"
#include "Text.h"

namespace ini {

namespace {

bool IsPlainHeader(std::string_view line) {
    if (line.size() < 3 || line.front() != '[' || line.back() != ']') return false;
    const std::string_view name = line.substr(1, line.size() - 2);
    return name.find_first_of("[]") == std::string_view::npos;
}

bool HasLineBreakChar(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

std::shared_ptr<IniDocument> IniDocument::Parse(std::shared_ptr<const std::string> text,
                                                bool ansi) {
    auto doc = std::make_shared<IniDocument>();
    doc->base_ = std::move(text);
    doc->ansi_ = ansi;
    const std::string_view all = *doc->base_;
    std::size_t pos = 0;
    do {
        std::string_view line = NextLine(all, pos);
        if (ansi && !rt::IsAscii(line.substr(0, line.find('='))))
            line = doc->Keep(rt::Win1252ToUtf8(line));
        const bool bracketed = !line.empty() && (line.front() == '[' || line.back() == ']');
        if (bracketed && !IsPlainHeader(line)) return nullptr;
        if (bracketed || doc->regions_.empty()) {
            doc->regions_.emplace_back();
            doc->regions_.back().header = bracketed;
            if (bracketed)
                doc->headers_.emplace(rt::LCase(line.substr(1, line.size() - 2)),
                                      doc->regions_.size() - 1);
        }
        doc->regions_.back().lines.push_back(line);
    } while (pos < all.size());
    // A text ending in CR LF ends with an empty line.
    if (EndsWith(all, kCrLf)) doc->regions_.back().lines.emplace_back();
    // Every read and write of an offline text goes through these indexes: build them now.
    for (Region& region : doc->regions_)
        if (region.header) doc->IndexRegion(region);
    return doc;
}

bool IniDocument::Covers(std::string_view section, std::string_view key, std::string_view value) {
    if (section.empty() || section.find_first_of("\r\n[]") != std::string_view::npos) return false;
    if (HasLineBreakChar(key) || (!key.empty() && key.front() == '[')) return false;
    if (HasLineBreakChar(value) || (!value.empty() && value.back() == ']')) return false;
    return true;
}

std::string_view IniDocument::Keep(std::string text) {
    written_.push_back(std::move(text));
    return written_.back();
}

std::string_view IniDocument::HeaderName(std::size_t region) const {
    const std::string_view line = regions_[region].lines.front();
    return line.substr(1, line.size() - 2);
}

std::optional<std::size_t> IniDocument::RegionOf(std::string_view section) const {
    const auto it = headers_.find(rt::LCase(section));
    if (it == headers_.end()) return std::nullopt;
    return it->second;
}

void IniDocument::AddToIndex(Region& region, std::size_t line) {
    const auto key = LineKey(region.lines[line]);
    if (!key) return;
    region.index.Add(*key, line, [&](std::size_t id) { return *LineKey(region.lines[id]); });
}

void IniDocument::IndexRegion(Region& region) {
    region.index.Reserve(region.lines.size());
    for (std::size_t i = 1; i < region.lines.size(); ++i) AddToIndex(region, i);
    region.indexed = true;
}

std::optional<std::size_t> IniDocument::FindKeyLine(std::size_t r, std::string_view key) {
    Region& region = regions_[r];
    if (key.find('=') != std::string_view::npos) {
        // Such a key starts lines of several index keys; look through the lines in order.
        const std::string find = std::string(key) + "=";
        for (std::size_t i = 1; i < region.lines.size(); ++i)
            if (rt::StartsWithText(IsAnsi(region.lines[i])
                                       ? rt::Win1252ToUtf8(region.lines[i].substr(0, find.size()))
                                       : std::string(region.lines[i].substr(0, find.size())),
                                   find))
                return i;
        return std::nullopt;
    }
    if (!region.indexed) IndexRegion(region);
    return region.index.Find(key, [&](std::size_t id) { return *LineKey(region.lines[id]); });
}

void IniDocument::SetKeyInText(std::string_view section, std::string_view key,
                               std::string_view value) {
    std::string line = std::string(key) + "=" + std::string(value);
    if (const auto r = RegionOf(section)) {
        Region& region = regions_[*r];
        if (const auto at = FindKeyLine(*r, key)) {
            region.lines[*at] = Keep(std::move(line));
            return;
        }
        if (value.empty()) return;
        auto& lines = region.lines;
        std::size_t added;
        if (lines.back().empty() && *r + 1 < regions_.size()) {
            // A blank line ahead of the next header stays there.
            added = lines.size() - 1;
            lines.insert(lines.end() - 1, Keep(std::move(line)));
        } else if (lines.back().empty()) {
            added = lines.size() - 1;
            lines.back() = Keep(std::move(line));
            lines.emplace_back();
        } else {
            added = lines.size();
            lines.push_back(Keep(std::move(line)));
            lines.emplace_back();
        }
        if (region.indexed) AddToIndex(region, added);
        return;
    }
    if (value.empty()) return;
    auto& tail = regions_.back().lines;
    const bool empty = regions_.size() == 1 && tail.size() == 1 && tail.front().empty();
    if (!empty) {
        if (!tail.back().empty()) {
            tail.emplace_back();
            tail.emplace_back();
        } else if (!(tail.size() >= 3 && tail[tail.size() - 2].empty())) {
            tail.emplace_back();
        }
    }
    // The text now ends in CR LF (or is empty): its last, empty line becomes the new header.
    tail.pop_back();
    if (tail.empty()) regions_.pop_back();
    Region added;
    added.header = true;
    added.lines.push_back(Keep(Header(section)));
    added.lines.push_back(Keep(std::move(line)));
    added.lines.emplace_back();
    regions_.push_back(std::move(added));
    headers_.emplace(rt::LCase(section), regions_.size() - 1);
}

std::string_view IniDocument::AfterKey(std::string_view line, std::string_view key) const {
    // In Windows-1252 bytes each character of the key is one byte.
    const std::size_t length = IsAnsi(line) ? rt::CharCount(key) : key.size();
    return line.substr(std::min(line.size(), length + 1));
}

std::string IniDocument::LineText(std::string_view line) const {
    return IsAnsi(line) ? rt::Win1252ToUtf8(line) : std::string(line);
}

void IniDocument::AppendLineText(std::string& out, std::string_view line) const {
    if (IsAnsi(line))
        out.append(rt::Win1252ToUtf8(line));
    else
        out.append(line);
}

std::string IniDocument::Text() const {
    std::size_t size = 0;
    std::size_t count = 0;
    for (const Region& region : regions_)
        for (const std::string_view line : region.lines) size += line.size(), ++count;
    std::string text;
    text.reserve(size + 2 * count);
    bool first = true;
    for (const Region& region : regions_) {
        for (const std::string_view line : region.lines) {
            if (!first) text.append(kCrLf);
            AppendLineText(text, line);
            first = false;
        }
    }
    return text;
}

std::string IniDocument::AnsiBytesWithoutTrailingBreaks() const {
    // Trailing CR LF pairs are the empty lines at the end, and a last line that is one CR LF
    // pair short of them.
    std::vector<std::string_view> all;
    std::size_t size = 0;
    for (const Region& region : regions_)
        for (const std::string_view line : region.lines)
            all.push_back(line), size += line.size() + 2;
    std::size_t count = all.size();
    while (count > 1 && all[count - 1].empty()) --count;
    std::string bytes;
    bytes.reserve(size);
    for (std::size_t i = 0; i < count; ++i) {
        if (i) bytes.append(kCrLf);
        if (IsAnsi(all[i]))
            bytes.append(all[i]);
        else
            rt::AppendWin1252(bytes, all[i]);
    }
    return bytes;
}

}  // namespace ini
