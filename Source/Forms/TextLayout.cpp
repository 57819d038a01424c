#include "TextLayout.h"

#include <algorithm>
#include <cmath>

#include "CodePage.h"
#include "TextMetrics.h"

namespace forms {

namespace {

// The byte offset of each character, and of the end, of a UTF-8 text.
std::vector<std::size_t> CharOffsets(std::string_view text) {
    std::vector<std::size_t> offsets;
    for (std::size_t pos = 0; pos < text.size();) {
        offsets.push_back(pos);
        rt::DecodeUtf8(text, pos);
    }
    offsets.push_back(text.size());
    return offsets;
}

float Width(std::string_view text, const std::vector<std::size_t>& at, int from, int to,
            float fontSize) {
    return Metrics().TextWidth(text.substr(at[from], at[to] - at[from]), fontSize);
}

bool IsBreak(char c) {
    return c == '\r' || c == '\n';
}

bool IsSpace(char32_t c) {
    return c == ' ' || c == '\t';
}

bool IsWordChar(char32_t c) {
    return c == '_' || c >= 0x80 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
           (c >= 'a' && c <= 'z');
}

// Breaks the characters [from, to) of one paragraph into lines of at most `width` pixels.
void WrapParagraph(std::string_view text, const std::vector<std::size_t>& at, int from, int to,
                   float fontSize, float width, std::vector<TextLine>& lines) {
    const auto space = [&](int i) { return IsSpace(static_cast<unsigned char>(text[at[i]])); };
    int start = from;
    while (Width(text, at, start, to, fontSize) > width) {
        int end = start + 1;  // at least one character on each line
        while (end < to && Width(text, at, start, end + 1, fontSize) <= width) ++end;
        int next = end;
        if (end < to && !space(end))
            for (int i = end; i > start; --i)
                if (space(i - 1)) {
                    next = i;
                    break;
                }
        // Spaces at the break stay on the line, past its edge.
        while (next < to && space(next)) ++next;
        if (next >= to) break;
        lines.push_back({start, next - start});
        start = next;
    }
    lines.push_back({start, to - start});
}

}  // namespace

std::vector<TextLine> LayoutLines(std::string_view text, float fontSize, float wrapWidth) {
    const std::vector<std::size_t> at = CharOffsets(text);
    const int count = static_cast<int>(at.size()) - 1;
    std::vector<TextLine> lines;
    int start = 0;
    for (int i = 0; i <= count; ++i) {
        if (i < count && !IsBreak(text[at[i]])) continue;
        if (wrapWidth > 0)
            WrapParagraph(text, at, start, i, fontSize, wrapWidth, lines);
        else
            lines.push_back({start, i - start});
        if (i == count) break;
        if (text[at[i]] == '\r' && i + 1 < count && text[at[i + 1]] == '\n') ++i;
        start = i + 1;
    }
    return lines;
}

int LineOfPosition(const std::vector<TextLine>& lines, int position) {
    for (int i = static_cast<int>(lines.size()) - 1; i > 0; --i)
        if (position >= lines[static_cast<std::size_t>(i)].start) return i;
    return 0;
}

int PositionInLine(std::string_view text, const TextLine& line, float fontSize, float x) {
    const std::vector<std::size_t> at = CharOffsets(text);
    float before = 0;
    for (int i = line.start; i < line.start + line.length; ++i) {
        const float after = Width(text, at, line.start, i + 1, fontSize);
        if (x < (before + after) / 2) return i;
        before = after;
    }
    return line.start + line.length;
}

float OffsetInLine(std::string_view text, const TextLine& line, float fontSize, int position) {
    const std::vector<std::size_t> at = CharOffsets(text);
    const int end = std::clamp(position, line.start, line.start + line.length);
    return Width(text, at, line.start, end, fontSize);
}

std::pair<int, int> WordAt(std::string_view text, int position) {
    std::vector<char32_t> chars;
    for (std::size_t pos = 0; pos < text.size();) chars.push_back(rt::DecodeUtf8(text, pos));
    const int count = static_cast<int>(chars.size());
    if (count == 0) return {0, 0};
    const int at = std::clamp(position, 0, count - 1);
    const auto c = [&](int i) { return chars[static_cast<std::size_t>(i)]; };
    int start = at, end = at + 1;
    if (IsWordChar(c(at))) {
        while (start > 0 && IsWordChar(c(start - 1))) --start;
        while (end < count && IsWordChar(c(end))) ++end;
    } else if (IsSpace(c(at))) {
        while (start > 0 && IsSpace(c(start - 1))) --start;
        while (end < count && IsSpace(c(end))) ++end;
        if (start > 0 && IsWordChar(c(start - 1))) {
            while (start > 0 && IsWordChar(c(start - 1))) --start;
        }
        return {start, end - start};
    }
    while (end < count && IsSpace(c(end))) ++end;
    return {start, end - start};
}

}  // namespace forms
