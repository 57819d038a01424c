#include "IniSectionCache.h"

#include "CodePage.h"
#include "Text.h"

namespace ini {

namespace {

bool NeedsWholeTextSearch(std::string_view key) {
    return key.find_first_of("\r\n=") != std::string_view::npos;
}

}  // namespace

void SectionCache::AddText(std::string_view name, std::shared_ptr<const std::string> owner,
                           std::string_view text, bool ansi) {
    // The collection files an item added with an empty key under no key at all.
    if (name.empty()) return;
    std::string folded = rt::LCase(name);
    if (entries_.count(folded)) return;
    Entry& entry = entries_[std::move(folded)];
    entry.owner = std::move(owner);
    entry.text = text;
    entry.ansi = ansi;
}

void SectionCache::AddRegion(std::string_view name, std::string header,
                             std::shared_ptr<IniDocument> doc, std::size_t region,
                             bool trailingCr) {
    if (name.empty()) return;
    std::string folded = rt::LCase(name);
    if (entries_.count(folded)) return;
    Entry& entry = entries_[std::move(folded)];
    SetRegion(entry, std::move(header), std::move(doc), region, trailingCr);
}

void SectionCache::ReplaceWithRegion(std::string_view name, std::string header,
                                     std::shared_ptr<IniDocument> doc, std::size_t region) {
    if (name.empty()) return;
    Entry& entry = entries_[rt::LCase(name)];
    if (!entry.doc) entry = Entry();
    SetRegion(entry, std::move(header), std::move(doc), region, false);
}

void SectionCache::SetRegion(Entry& entry, std::string header, std::shared_ptr<IniDocument> doc,
                             std::size_t region, bool trailingCr) {
    entry.header = std::move(header);
    entry.doc = std::move(doc);
    entry.region = region;
    entry.lineCount = entry.doc->Lines(region).size();
    entry.trailingCr = trailingCr;
}

void SectionCache::Remove(std::string_view name) {
    entries_.erase(rt::LCase(name));
}

bool SectionCache::Contains(std::string_view name) const {
    return entries_.count(rt::LCase(name)) > 0;
}

std::string SectionCache::EntryText(const Entry& entry) {
    if (!entry.doc) return entry.ansi ? rt::Win1252ToUtf8(entry.text) : std::string(entry.text);
    std::string text = entry.header;
    const auto& lines = entry.doc->Lines(entry.region);
    for (std::size_t i = 1; i < entry.lineCount; ++i) {
        text.append(kCrLf);
        entry.doc->AppendLineText(text, lines[i]);
    }
    if (entry.trailingCr) text += '\r';
    return text;
}

std::string SectionCache::Text(std::string_view section) const {
    const auto it = entries_.find(rt::LCase(section));
    return it == entries_.end() ? std::string() : EntryText(it->second);
}

std::string SectionCache::Value(std::string_view section, std::string_view key) {
    const auto it = entries_.find(rt::LCase(section));
    if (it == entries_.end()) return {};
    Entry& entry = it->second;
    if (entry.doc) return ValueInRegion(entry, key);
    return ValueInText(entry, key);
}

std::string SectionCache::ValueInText(Entry& entry, std::string_view key) {
    const std::string_view text = entry.text;
    // Keys beyond the index: search the section's text as text.
    if (NeedsWholeTextSearch(key) || (entry.ansi && !rt::IsAscii(key)))
        return std::string(FindValueInSection(EntryText(entry), key));
    const auto keyOf = [&](std::size_t at) { return text.substr(at, text.find('=', at) - at); };
    // An engine that reads one value (the window opens one for each event) is served by a
    // search; the index pays from the second lookup of the section on.
    if (!entry.indexed && !entry.searched) {
        entry.searched = true;
        const std::string_view value = FindValueInSection(text, key);
        return entry.ansi ? rt::Win1252ToUtf8(value) : std::string(value);
    }
    if (!entry.indexed) {
        // Lines after the first CR LF, the ones the key search "CR LF key =" can reach.
        for (std::size_t pos = text.find(kCrLf); pos != npos;) {
            const std::size_t start = pos + 2;
            const std::size_t end = text.find(kCrLf, start);
            const std::size_t eq = text.find('=', start);
            // In 8-bit bytes only ASCII keys are indexed: no other key can match one.
            if (eq != npos && eq < end &&
                (!entry.ansi || rt::IsAscii(text.substr(start, eq - start))))
                entry.index.Add(text.substr(start, eq - start), start, keyOf);
            pos = end;
        }
        entry.indexed = true;
    }
    const auto at = entry.index.Find(key, keyOf);
    if (!at) return {};
    const std::string_view value = CutValue(text.substr(*at + key.size() + 1));
    return entry.ansi ? rt::Win1252ToUtf8(value) : std::string(value);
}

std::string SectionCache::ValueInRegion(Entry& entry, std::string_view key) {
    if (key.find_first_of("\r\n") != std::string_view::npos)
        return std::string(FindValueInSection(EntryText(entry), key));
    const auto at = entry.doc->FindKeyLine(entry.region, key);
    if (!at || *at >= entry.lineCount) return {};
    const auto& lines = entry.doc->Lines(entry.region);
    std::string_view rest = entry.doc->AfterKey(lines[*at], key);
    if (*at + 1 < entry.lineCount) return entry.doc->LineText(rest);
    // The last line of the section text: no CR LF follows, so the value ends at a CR, else an LF.
    std::size_t end = rest.find('\r');
    if (end == npos && !entry.trailingCr) end = rest.find('\n');
    return entry.doc->LineText(end == npos ? rest : rest.substr(0, end));
}

}  // namespace ini
