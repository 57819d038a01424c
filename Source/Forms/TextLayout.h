#pragma once
// The lines of a text box as the user sees them: CR LF (or a lone CR or LF) ends a line, and in
// a box without a horizontal scroll bar a line longer than the box breaks after its last space
// that fits (a word longer than the whole width breaks between characters). Positions are
// characters from the start of the text; widths are pixels from the text-metrics role.
#include <string_view>
#include <utility>
#include <vector>

namespace forms {

struct TextLine {
    int start = 0;   // first character of the line
    int length = 0;  // characters shown, without the line break
    friend bool operator==(const TextLine&, const TextLine&) = default;
};

// `wrapWidth` 0 or less: lines break only at line breaks. Never empty: "" is one empty line.
std::vector<TextLine> LayoutLines(std::string_view text, float fontSize, float wrapWidth);
// The index of the line that shows the caret at `position` (a caret at a wrap stands at the
// start of the next line).
int LineOfPosition(const std::vector<TextLine>& lines, int position);
// The caret position in `line` nearest to `x` pixels from the line's start.
int PositionInLine(std::string_view text, const TextLine& line, float fontSize, float x);
// Pixels from the line's start to the caret at `position` (inside the line).
float OffsetInLine(std::string_view text, const TextLine& line, float fontSize, int position);
// The word around the character at `position`, as (start, length): letters, digits and the
// characters of a word belong together; spaces after the word belong to it, as the desktop's
// double click selects them; any other character is a word of its own.
std::pair<int, int> WordAt(std::string_view text, int position);

}  // namespace forms
