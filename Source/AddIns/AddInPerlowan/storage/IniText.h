#pragma once
// Text routines of the INI engine on whole texts: the key edit, section cutting, value cutting,
// and the "@@@" UTF-16LE file form. Texts are UTF-8; searches that ignore letter case are the
// runtime's (rt::FindText and its kin), whose folding keeps byte lengths, so byte offsets found
// ignoring case are offsets in the text itself. The 8-bit file form is the runtime's code page.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ini {

inline constexpr std::string_view kCrLf = "\r\n";
inline constexpr std::size_t npos = std::string_view::npos;

// "[" + name + "]".
std::string Header(std::string_view name);
// A hash of the text with letter case folded as rt::LCase folds it.
std::uint64_t FoldHash(std::string_view text);
// Offset of the CR of the first CR LF + `find` at or after `from`, letter case ignored.
std::size_t FindAfterCrLf(std::string_view text, std::string_view find, std::size_t from = 0);

// The line from `pos` up to the next CR LF; `pos` moves past it, or to the end of the text.
std::string_view NextLine(std::string_view text, std::size_t& pos);
// Whether a walk of the lines goes on from `pos`. The engine counts positions from 1 and walks
// while the position is below the text's length, so it stops once the position reaches the
// last character: a final line of a single character (such as "=" at the very end, without a
// line break) is never read. In offsets from 0 that is: go on while pos + 1 < length.
inline bool WalkContinues(std::string_view text, std::size_t pos) {
    return pos + 1 < text.size();
}
std::string_view StripTrailingLineBreaks(std::string_view text);
bool EndsWith(std::string_view text, std::string_view suffix);

// The value after a key's "=": up to the first CR LF; without one up to the first CR, then the
// first LF, then the end.
std::string_view CutValue(std::string_view rest);
// The value of `key` in a section text: the first CR LF + key + "=" (case ignored); "" if none.
std::string_view FindValueInSection(std::string_view sectionText, std::string_view key);

// Writes `key`=`value` into section `section` of the whole text `text`: replaces the key's line
// when the section holds it, else adds a line at the section's end, else appends the section.
void SetKeyInText(std::string& text, std::string_view section, std::string_view key,
                  std::string_view value);
// The text SetKeyInText makes of `text`, or nothing when the write leaves it unchanged. With an
// ASCII section and key it works on Windows-1252 bytes as well: the searches then find the same
// places, since no other character folds to an ASCII letter.
std::optional<std::string> TextWithKeySet(std::string_view text, std::string_view section,
                                          std::string_view key, std::string_view value);
// The text a section reads as after a write: its header as the caller spells it, CR LF, and the
// text after the first "[section]" CR LF up to the next CR LF "[" (both found ignoring case).
std::string SectionTextAfterWrite(std::string_view text, std::string_view section);

// Section names of a text in order and the first section text of each name (see BuildSections).
struct SectionSpan {
    std::string_view name;
    std::size_t headerStart;  // offset of the header line
    std::size_t end;          // one past the section text
};
// Walks the text's lines: a header is a line starting with "[" and ending with "]". A section
// runs to just before the LF ahead of the next header, the last one to the end of the text.
// `list` gets each name followed by another header, with ";".
std::vector<SectionSpan> SplitSections(std::string_view text, std::string* list);

// True when the first bytes of a file mark the Unicode format ("@@@" in one of its four forms).
bool HasUnicodeMarker(std::string_view firstBytes);
// The text of a Unicode-format file, or nothing when no form matches.
std::optional<std::string> DecodeUnicodeFile(std::string_view bytes);
std::string EncodeUnicodeFile(std::string_view text);
std::string_view CutTrailingNuls(std::string_view text);

}  // namespace ini
