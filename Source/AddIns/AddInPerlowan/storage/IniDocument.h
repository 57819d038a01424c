#pragma once
// The text of an offline INI engine held as regions of lines, so that a key write costs the
// length of one line instead of the whole text. A region starts at a line beginning with "["
// (the first region may be the lines ahead of any header) and holds the lines up to the next one.
//
// The model covers texts whose every line that begins with "[" or ends with "]" is a plain header
// "[name]" (no other brackets, name not empty), and writes whose section, key and value keep it so.
// Within that, every edit gives the very text that the whole-text routine SetKeyInText gives.
#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "IniKeyIndex.h"

namespace ini {

class IniDocument {
  public:
    // Nothing when the text has a line outside the model.
    static std::shared_ptr<IniDocument> Parse(std::shared_ptr<const std::string> text);
    // Whether a write of these arguments stays within the model.
    static bool Covers(std::string_view section, std::string_view key, std::string_view value);

    // Same result as SetKeyInText on Text(); only for arguments the model covers.
    void SetKeyInText(std::string_view section, std::string_view key, std::string_view value);

    std::string Text() const;
    // The text as Windows-1252 bytes, without its trailing CR LF pairs, in one pass.
    std::string AnsiBytesWithoutTrailingBreaks() const;
    bool Empty() const {
        return regions_.size() == 1 && regions_[0].lines.size() == 1 &&
               regions_[0].lines[0].empty();
    }
    std::size_t RegionCount() const { return regions_.size(); }
    bool HasHeader(std::size_t region) const { return regions_[region].header; }
    std::string_view HeaderName(std::size_t region) const;
    const std::vector<std::string_view>& Lines(std::size_t region) const {
        return regions_[region].lines;
    }
    // The first region whose header is "[section]" (case ignored).
    std::optional<std::size_t> RegionOf(std::string_view section) const;
    // The line (index within the region, from 1) that the key search of the region's text finds.
    // The key must not hold CR or LF.
    std::optional<std::size_t> FindKeyLine(std::size_t region, std::string_view key);

  private:
    struct Region {
        std::vector<std::string_view> lines;
        bool header = false;
        bool indexed = false;
        KeyIndex index;
    };

    std::string_view Keep(std::string text);
    void IndexRegion(Region& region);
    void AddToIndex(Region& region, std::size_t line);

    std::shared_ptr<const std::string> base_;
    std::deque<std::string> written_;  // texts of lines written after parsing
    std::vector<Region> regions_;
    std::unordered_map<std::string, std::size_t> headers_;  // folded name -> first region
};

}  // namespace ini
