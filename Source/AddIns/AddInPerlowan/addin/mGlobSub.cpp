#include "mGlobSub.h"

#include "CodePage.h"
#include "Text.h"

namespace {

constexpr std::size_t kMaxSplitChars = 32767;

// Byte offset of the `from` byte on, with the chosen comparison; npos when absent.
std::size_t FindFrom(std::string_view text, std::string_view find, std::size_t from,
                     bool ignoreCase, const std::string& foldedText, const std::string& foldedFind) {
    if (!ignoreCase) return text.find(find, from);
    return std::string_view(foldedText).find(foldedFind, from);
}

}  // namespace

void Split(std::string_view ptText, std::string_view ptSeparator,
           std::vector<std::string>& ptResult) {
    if (ptText.empty()) {
        ptResult.clear();
        return;
    }
    if (ptSeparator.empty()) return;
    if (ptText.size() > kMaxSplitChars && rt::CharCount(ptText) > kMaxSplitChars) return;
    if (ptText.size() >= ptSeparator.size() &&
        ptText.substr(ptText.size() - ptSeparator.size()) == ptSeparator)
        ptText.remove_suffix(ptSeparator.size());

    std::vector<std::string> pieces;
    std::size_t pieceStart = 0;
    for (std::size_t at = ptText.find(ptSeparator); at != std::string_view::npos;
         at = ptText.find(ptSeparator, pieceStart)) {
        pieces.emplace_back(ptText.substr(pieceStart, at - pieceStart));
        pieceStart = at + ptSeparator.size();
    }
    pieces.emplace_back(ptText.substr(pieceStart));
    ptResult = std::move(pieces);
}

std::string Replace(std::string_view ptText, std::string_view ptFind, std::string_view ptReplace,
                    std::int32_t plStart, std::int32_t /*plCount*/, std::int16_t piCompare) {
    if (ptFind.empty() || plStart < 1) return std::string(ptText);
    const bool ignoreCase = piCompare == 1;
    // Folding keeps byte lengths, so offsets in the folded text are offsets in the original.
    const std::string foldedText = ignoreCase ? rt::LCase(ptText) : std::string();
    const std::string foldedFind = ignoreCase ? rt::LCase(ptFind) : std::string();

    std::size_t from = rt::ByteOffsetOfChar(ptText, plStart);
    std::string out(ptText.substr(0, std::min(from, ptText.size())));
    out.reserve(ptText.size());
    while (from <= ptText.size()) {
        const std::size_t at = FindFrom(ptText, ptFind, from, ignoreCase, foldedText, foldedFind);
        if (at == std::string_view::npos) break;
        out.append(ptText.substr(from, at - from));
        out.append(ptReplace);
        from = at + ptFind.size();
    }
    if (from < ptText.size()) out.append(ptText.substr(from));
    return out;
}

std::int32_t InStrRev(std::string_view ptText, std::string_view ptFind, std::int32_t plStart,
                      std::int16_t& piCompare) {
    const std::int32_t length = rt::Len(ptText);
    if (plStart > length || plStart < 2) plStart = length;
    if (length == 0 || ptFind.empty()) return 0;
    const bool ignoreCase = piCompare == 1;
    const std::string text = ignoreCase ? rt::LCase(ptText) : std::string(ptText);
    const std::string find = ignoreCase ? rt::LCase(ptFind) : std::string(ptFind);
    // A match may start at the character plStart, however far it then reaches.
    const std::size_t startByte = rt::ByteOffsetOfChar(text, plStart);
    const std::size_t at = std::string_view(text).rfind(find, startByte);
    return at == std::string_view::npos ? 0 : rt::CharPosOfByte(text, at);
}

std::string TextBetween(std::string_view ptText, std::string_view ptStart, std::string_view ptEnd) {
    const std::string text = rt::LCase(ptText);
    const std::size_t startAt = text.find(rt::LCase(ptStart));
    if (startAt == std::string::npos) return {};
    const std::size_t from = startAt + ptStart.size();
    const std::size_t endAt = ptEnd.empty() ? std::string::npos : text.find(rt::LCase(ptEnd), from);
    if (endAt == std::string::npos) return std::string(ptText.substr(from));
    return std::string(ptText.substr(from, endAt - from));
}
