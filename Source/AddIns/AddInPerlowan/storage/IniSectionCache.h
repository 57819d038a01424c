#pragma once
// The section cache of the INI engine: one text per section name (letter case ignored), the
// first section of a name wins. A text is either a view into a text that the cache keeps alive
// or a region of an offline document; either way a key lookup goes through an index that is
// built on the second lookup of the section (the first searches the text), so a read costs the
// length of one line.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "IniDocument.h"
#include "IniKeyIndex.h"

namespace ini {

class SectionCache {
  public:
    // Both keep an entry already there (the first section of a name wins).
    // `ansi`: the text is Windows-1252 bytes, converted when read.
    void AddText(std::string_view name, std::shared_ptr<const std::string> owner,
                 std::string_view text, bool ansi = false);
    // A region as the text of a section: `header` stands for its first line; `trailingCr` adds
    // the CR that a section followed by another header keeps at its end.
    void AddRegion(std::string_view name, std::string header, std::shared_ptr<IniDocument> doc,
                   std::size_t region, bool trailingCr);
    // The entry of `name`, new or replacing the one there, becomes the region's whole text.
    void ReplaceWithRegion(std::string_view name, std::string header,
                           std::shared_ptr<IniDocument> doc, std::size_t region);
    void Remove(std::string_view name);
    bool Contains(std::string_view name) const;

    // The value of `key` in the section's text as the key search finds it; "" when the section
    // or the key is missing.
    std::string Value(std::string_view section, std::string_view key);
    // The section's text ("" when missing).
    std::string Text(std::string_view section) const;

  private:
    struct Entry {
        std::shared_ptr<const std::string> owner;
        std::string_view text;
        std::shared_ptr<IniDocument> doc;  // set for a region
        std::size_t region = 0;
        // Lines of the region when the entry was made. A later section appended to the text can
        // only add blank lines to this region, which the entry's text never had.
        std::size_t lineCount = 0;
        std::string header;
        bool trailingCr = false;
        bool ansi = false;
        bool searched = false;  // looked up once, by a search of the text
        bool indexed = false;
        KeyIndex index;  // text entries: line start offsets
    };
    static void SetRegion(Entry& entry, std::string header, std::shared_ptr<IniDocument> doc,
                          std::size_t region, bool trailingCr);
    static std::string EntryText(const Entry& entry);
    static std::string ValueInText(Entry& entry, std::string_view key);
    static std::string ValueInRegion(Entry& entry, std::string_view key);

    std::unordered_map<std::string, Entry> entries_;
};

}  // namespace ini
