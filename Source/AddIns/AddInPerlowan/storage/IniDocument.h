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
    // Nothing when the text has a line outside the model. With `ansi` the text is the file's
    // Windows-1252 bytes: lines keep them and are converted when read, except that a line whose
    // key part (all of it, for a line without "=") is not ASCII is converted at once, so that
    // names always compare as text.
    static std::shared_ptr<IniDocument> Parse(std::shared_ptr<const std::string> text,
                                              bool ansi = false);
    // Whether a write of these arguments stays within the model.
    static bool Covers(std::string_view section, std::string_view key, std::string_view value);

    // Same result as SetKeyInText on Text(); only for arguments the model covers.
    void SetKeyInText(std::string_view section, std::string_view key, std::string_view value);

    std::string Text() const;
    // The part of a line after `key` and its "=" (the line starts with them).
    std::string_view AfterKey(std::string_view line, std::string_view key) const;
    // A line, or a part of one, as text.
    std::string LineText(std::string_view line) const;
    void AppendLineText(std::string& out, std::string_view line) const;
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

    bool IsAnsi(std::string_view line) const {
        return ansi_ && !line.empty() && line.data() >= base_->data() &&
               line.data() < base_->data() + base_->size();
    }

    std::shared_ptr<const std::string> base_;
    bool ansi_ = false;
    std::deque<std::string> written_;  // texts of lines written after parsing
    std::vector<Region> regions_;
    std::unordered_map<std::string, std::size_t> headers_;  // folded name -> first region
};

}  // namespace ini
