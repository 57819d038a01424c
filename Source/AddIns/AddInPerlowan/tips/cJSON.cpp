#include "cJSON.h"

#include <algorithm>
#include <array>
#include <functional>
#include <limits>

#include "CodePage.h"
#include "RuntimeError.h"
#include "Text.h"
#include "mGlobSub.h"

namespace {

constexpr std::string_view kSource = "cJSON";

std::string_view TrimSpaces(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Key lookup ignores letter case over the whole code-page repertoire; the folding keeps byte
// lengths. Keys are nearly always ASCII, which is folded here without the general routine.
void FoldInPlace(std::string& key) {
    for (const char c : key) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            key = rt::LCase(key);
            return;
        }
    }
    for (char& c : key)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
}

std::size_t HashOf(std::string_view foldedKey) {
    return std::hash<std::string_view>{}(foldedKey);
}

// Removes every CR, LF and TAB, which is what removing CR LF pairs, then CR, LF and TAB amounts to.
void RemoveLineBreaksAndTabs(std::string& text) {
    const auto isBreak = [](char c) { return c == '\r' || c == '\n' || c == '\t'; };
    const auto first = std::find_if(text.begin(), text.end(), isBreak);
    if (first == text.end()) return;
    text.erase(std::remove_if(first, text.end(), isBreak), text.end());
}

std::string FiveDigits(std::size_t index) {
    std::string digits(5, '0');
    for (int i = 4; i >= 0 && index > 0; --i, index /= 10)
        digits[i] = static_cast<char>('0' + index % 10);
    return digits;
}

}  // namespace

// Cuts one object's body into key/value pairs at the quote character, "," and ":"; "[" and "]"
// keep an array value together, even inside quoted text.
class cJSON::Scanner {
  public:
    explicit Scanner(std::string_view quote) : quote_(quote) {
        std::size_t end = 0;
        rt::DecodeUtf8(quote, end);
        quoteChar_ = quote.substr(0, end);
        // Earlier rules win where the quote character is itself one of the separators.
        kind_[':'] = kColon;
        kind_[','] = kComma;
        kind_[static_cast<unsigned char>(quoteChar_[0])] = kQuote;
        kind_[']'] = kClose;
        kind_['['] = kOpen;
    }

    template <class AddEntry>
    void Read(std::string_view body, AddEntry&& add) const {
        body = TrimSpaces(body);
        std::size_t tokenStart = 0;
        bool inQuote = false;
        bool inBrackets = false;
        std::string_view key;
        const std::size_t n = body.size();
        for (std::size_t j = 0; j < n; ++j) {
            const unsigned char kind = kind_[static_cast<unsigned char>(body[j])];
            if (kind == kNone) continue;
            switch (kind) {
                case kOpen:
                    inBrackets = true;
                    break;
                case kClose:
                    inBrackets = false;
                    break;
                case kQuote:
                    if (body.compare(j, quoteChar_.size(), quoteChar_) == 0) {
                        inQuote = !inQuote;
                        j += quoteChar_.size() - 1;
                    }
                    break;
                case kComma:
                    if (inQuote || inBrackets) break;
                    {
                        std::string_view value =
                            DropQuotes(body.substr(tokenStart, j - tokenStart));
                        if (value == quote_) value = {};
                        add(TrimSpaces(key), TrimSpaces(value));
                    }
                    key = {};
                    tokenStart = j + 1;
                    break;
                case kColon:
                    if (inQuote) break;
                    key = DropQuotes(body.substr(tokenStart, j - tokenStart));
                    tokenStart = j + 1;
                    break;
            }
        }
        if (!key.empty()) add(TrimSpaces(key), TrimSpaces(DropQuotes(body.substr(tokenStart))));
    }

  private:
    enum : unsigned char { kNone, kOpen, kClose, kQuote, kComma, kColon };

    std::string_view DropQuotes(std::string_view token) const {
        if (token.starts_with(quoteChar_)) token.remove_prefix(quoteChar_.size());
        if (token.ends_with(quoteChar_)) token.remove_suffix(quoteChar_.size());
        return token;
    }

    std::string_view quote_;
    std::string_view quoteChar_;
    std::array<unsigned char, 256> kind_{};
};

void cJSON::ParseJSONString(std::string ptJSONString, std::string_view ptTrennzeichen) {
    if (!ptTrennzeichen.empty()) quote_ = std::string(ptTrennzeichen);
    entries_.clear();
    slots_.clear();
    pieces_.clear();
    text_ = std::move(ptJSONString);
    RemoveLineBreaksAndTabs(text_);

    const Scanner scanner(quote_);
    const std::string_view text = text_;
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
        Split(text.substr(1, text.size() - 2), "},{", pieces_);
        if (pieces_.empty()) rt::Raise(rt::err::SubscriptOutOfRange, std::string(kSource));
        numArrayElements_ = static_cast<std::int16_t>(pieces_.size());
        for (std::size_t i = 0; i < pieces_.size(); ++i) {
            // The piece reads as if wrapped in "{" and "}" where it lacks them.
            std::string_view piece = pieces_[i];
            if (piece.starts_with('{')) piece.remove_prefix(1);
            piece = piece.substr(0, piece.find('}'));
            const std::string prefix = FiveDigits(i);
            scanner.Read(piece, [&](std::string_view key, std::string_view value) {
                AddEntry(prefix, key, value);
            });
        }
        return;
    }

    const std::size_t close = text.find('}');
    const std::size_t open = text.find('{');
    const std::size_t bodyStart = open == std::string_view::npos ? 0 : open + 1;
    if (close == std::string_view::npos || close < bodyStart)
        rt::Raise(rt::err::InvalidProcedureCall, std::string(kSource));
    scanner.Read(text.substr(bodyStart, close - bodyStart),
                 [&](std::string_view key, std::string_view value) { AddEntry({}, key, value); });
}

std::int16_t cJSON::NumElements() const {
    if (entries_.size() > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max()))
        rt::Raise(rt::err::Overflow, std::string(kSource));
    return static_cast<std::int16_t>(entries_.size());
}

std::string cJSON::value(std::string_view ptKey) const {
    if (entries_.empty()) return {};
    std::string folded(ptKey);
    FoldInPlace(folded);
    const std::uint32_t slot = slots_[FindSlot(folded, HashOf(folded))];
    return slot == 0 ? std::string() : std::string(entries_[slot - 1].value);
}

void cJSON::AddEntry(std::string_view prefix, std::string_view key, std::string_view value) {
    std::string folded;
    folded.reserve(prefix.size() + key.size());
    folded.append(prefix).append(key);
    FoldInPlace(folded);
    if ((entries_.size() + 1) * 2 > slots_.size()) Grow();
    const std::size_t hash = HashOf(folded);
    const std::size_t at = FindSlot(folded, hash);
    if (slots_[at] != 0) rt::Raise(rt::err::KeyAlreadyExists, std::string(kSource));
    entries_.push_back({std::move(folded), hash, value});
    slots_[at] = static_cast<std::uint32_t>(entries_.size());
}

// The slot holding `foldedKey`, or the free slot where it belongs.
std::size_t cJSON::FindSlot(std::string_view foldedKey, std::size_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        const std::uint32_t slot = slots_[at];
        if (slot == 0) return at;
        const Entry& entry = entries_[slot - 1];
        if (entry.hash == hash && entry.foldedKey == foldedKey) return at;
    }
}

void cJSON::Grow() {
    slots_.assign(std::max<std::size_t>(64, slots_.size() * 2), 0);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        std::size_t at = entries_[i].hash & mask;
        while (slots_[at] != 0) at = (at + 1) & mask;
        slots_[at] = static_cast<std::uint32_t>(i + 1);
    }
}
