#include "mGlobSub.h"

#include <algorithm>
#include <limits>

#include "CodePage.h"
#include "Cursors.h"
#include "Dispatch.h"
#include "Files.h"
#include "MessageBox.h"
#include "Shell.h"
#include "Text.h"
#include "mGlobVar.h"

namespace {

constexpr std::size_t kMaxSplitChars = 32767;

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
    const rt::Compare compare = piCompare == 1 ? rt::Compare::Text : rt::Compare::Binary;
    std::size_t from = rt::ByteOffsetOfChar(ptText, plStart);
    std::string out(ptText.substr(0, std::min(from, ptText.size())));
    out.reserve(ptText.size());
    while (from <= ptText.size()) {
        const std::size_t at = rt::FindText(ptText, ptFind, from, compare);
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
    const rt::Compare compare = piCompare == 1 ? rt::Compare::Text : rt::Compare::Binary;
    // A match may start at the character plStart, however far it then reaches.
    const std::size_t startByte = rt::ByteOffsetOfChar(ptText, plStart);
    const std::size_t at = rt::FindLastText(ptText, ptFind, startByte, compare);
    return at == std::string_view::npos ? 0 : rt::CharPosOfByte(ptText, at);
}

std::string TextBetween(std::string_view ptText, std::string_view ptStart, std::string_view ptEnd) {
    const std::size_t startAt = rt::FindText(ptText, ptStart);
    if (startAt == std::string::npos) return {};
    const std::size_t from = startAt + ptStart.size();
    const std::size_t endAt = ptEnd.empty() ? std::string::npos : rt::FindText(ptText, ptEnd, from);
    if (endAt == std::string::npos) return std::string(ptText.substr(from));
    return std::string(ptText.substr(from, endAt - from));
}

namespace {

// Message boxes carry the add-in's title.
constexpr const char* kMessageTitle = "Perlowan";

}  // namespace

std::string LanguageText(std::int16_t piNumber) {
    if (!gobjAddIn) rt::Raise(rt::err::ObjectNotSet, "mGlobSub.LanguageText");
    return rt::CallMethod(gobjAddIn->MainApplication(), "LanguageString", piNumber).ToString();
}

std::int32_t FileLength(const std::string& ptPath) {
    std::int64_t length = -1;
    try {
        length = platform::Files().Length(ptPath);
    } catch (const rt::RuntimeError&) {
        return -1;
    }
    if (length < 0) return -1;
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(length, std::numeric_limits<std::int32_t>::max()));
}

std::int16_t DeleteFileQuietly(const std::string& ptPath) {
    try {
        return static_cast<std::int16_t>(platform::Files().Delete(ptPath));
    } catch (const rt::RuntimeError& e) {
        return static_cast<std::int16_t>(e.Number());
    }
}

void OpenDocument(std::int32_t plHwnd, const std::string& ptDocument,
                  const std::string& ptParameters) {
    // A shell that fails outright counts as a failed open: the user still gets the message.
    std::int32_t result = 0;
    try {
        result = platform::Shell().ShellExecute(plHwnd, "Open", ptDocument, ptParameters, "",
                                                platform::SW_SHOWNORMAL);
    } catch (const rt::RuntimeError&) {
        result = 0;
    }
    if (result >= 32) return;
    try {
        platform::MessageBoxes().ShowMessageBox(
            "An error occurred while opening the document '" + ptDocument +
                "'. Please open this document manually.",
            platform::vbOKOnly, platform::vbNoIcon, kMessageTitle);
    } catch (const rt::RuntimeError&) {
        // Nothing more to tell the user.
    }
}

void SetHandCursor() {
    static platform::CursorHandle hand = 0;  // loaded once, kept for the library's life
    auto& cursors = platform::Cursors();
    if (hand == 0) hand = cursors.LoadCursor(platform::IDC_HAND);
    if (hand == 0) return;  // no hand pointer on this system: leave the pointer alone
    if (cursors.GetCursor() != hand) cursors.SetCursor(hand);
}
