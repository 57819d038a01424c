#include "cJSON.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

constexpr std::uint64_t kHighBits = 0x8080808080808080u;
constexpr std::uint64_t kMix = 0x9E3779B97F4A7C15u;

std::uint64_t Mixed(std::uint64_t hash, std::uint64_t word) {
    hash = (hash ^ word) * kMix;
    return hash ^ (hash >> 29);
}

// Lower case of eight ASCII bytes at once: each byte from "A" to "Z" gains 0x20.
std::uint64_t LowerAscii(std::uint64_t word) {
    const std::uint64_t fromA = word + 0x3F3F3F3F3F3F3F3Fu;  // high bit set from "A" on
    const std::uint64_t pastZ = word + 0x2525252525252525u;  // high bit set after "Z"
    return word | ((fromA & ~pastZ & kHighBits) >> 2);
}

// Spreads every bit over the low ones, which pick the slot.
std::size_t Finished(std::uint64_t hash) {
    hash = (hash ^ (hash >> 33)) * 0xFF51AFD7ED558CCDu;
    hash = (hash ^ (hash >> 33)) * 0xC4CEB9FE1A85EC53u;
    return static_cast<std::size_t>(hash ^ (hash >> 33));
}

// Folds the key in place and returns the hash of the folded text, taken over its bytes in words of
// eight, the last one padded with zeros. Key lookup ignores letter case over the whole code-page
// repertoire, a folding that keeps byte lengths; keys are nearly always short and ASCII, which is
// folded here a word at a time without the general routine.
std::size_t FoldAndHash(std::string& key) {
    const std::size_t n = key.size();
    std::uint64_t hash = n * kMix;
    std::uint64_t words[8] = {};
    if (n <= sizeof words) {
        std::memcpy(words, key.data(), n);
        const std::size_t count = (n + 7) / 8;
        std::uint64_t any = 0;
        for (std::size_t i = 0; i < count; ++i) any |= words[i];
        if ((any & kHighBits) == 0) {
            for (std::size_t i = 0; i < count; ++i) {
                words[i] = LowerAscii(words[i]);
                hash = Mixed(hash, words[i]);
            }
            std::memcpy(key.data(), words, n);
            return Finished(hash);
        }
    }
    key = rt::LCase(key);
    for (std::size_t i = 0; i < n; i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, key.data() + i, std::min<std::size_t>(8, n - i));
        hash = Mixed(hash, word);
    }
    return Finished(hash);
}

// Removes every CR, LF and TAB, which is what removing CR LF pairs, then CR, LF and TAB amounts to.
void RemoveLineBreaksAndTabs(std::string& text) {
    const auto absent = [&](char c) { return text.find(c) == std::string::npos; };
    if (absent('\r') && absent('\n') && absent('\t')) return;
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n' || c == '\t'; });
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
        quoteLead_ = static_cast<unsigned char>(quoteChar_[0]);
        // Earlier rules win where the quote character is itself one of the separators.
        kind_[':'] = kColon;
        kind_[','] = kComma;
        kind_[quoteLead_] = kQuote;
        kind_[']'] = kClose;
        kind_['['] = kOpen;
    }

    template <class AddEntry>
    void Read(std::string_view body, AddEntry&& add) const {
        body = TrimSpaces(body);
        State state;
        std::size_t j = 0;
#if defined(__SSE2__)
        if (quoteChar_.size() == 1 && kind_[quoteLead_] == kQuote) j = ReadBlocks(body, state, add);
#endif
        for (; j < body.size(); ++j) {
            switch (kind_[static_cast<unsigned char>(body[j])]) {
                case kOpen:
                    state.inBrackets = true;
                    break;
                case kClose:
                    state.inBrackets = false;
                    break;
                case kQuote:
                    // The continuation bytes of a quote character outside ASCII are never marked.
                    if (body.compare(j, quoteChar_.size(), quoteChar_) == 0)
                        state.inQuote = !state.inQuote;
                    break;
                case kComma:
                    if (!state.inQuote && !state.inBrackets) EndValue(body, j, state, add);
                    break;
                case kColon:
                    if (!state.inQuote) EndKey(body, j, state);
                    break;
                default:
                    break;
            }
        }
        if (!state.key.empty())
            add(TrimSpaces(state.key), TrimSpaces(DropQuotes(body.substr(state.tokenStart))));
    }

  private:
    enum : unsigned char { kNone, kOpen, kClose, kQuote, kComma, kColon };

    struct State {
        std::size_t tokenStart = 0;
        bool inQuote = false;
        bool inBrackets = false;
        std::string_view key;
    };

    template <class AddEntry>
    void EndValue(std::string_view body, std::size_t j, State& state, AddEntry& add) const {
        std::string_view value = DropQuotes(body.substr(state.tokenStart, j - state.tokenStart));
        if (value == quote_) value = {};
        add(TrimSpaces(state.key), TrimSpaces(value));
        state.key = {};
        state.tokenStart = j + 1;
    }

    void EndKey(std::string_view body, std::size_t j, State& state) const {
        state.key = DropQuotes(body.substr(state.tokenStart, j - state.tokenStart));
        state.tokenStart = j + 1;
    }

#if defined(__SSE2__)
    // Reads whole blocks of sixteen bytes and returns where the rest starts. Tips texts are mostly
    // quoted prose, so the quote flag of every byte comes from the parity of the quote characters
    // before it, and only separators outside quotes and brackets are visited one by one.
    template <class AddEntry>
    std::size_t ReadBlocks(std::string_view body, State& state, AddEntry& add) const {
        const __m128i open = _mm_set1_epi8('['), close = _mm_set1_epi8(']');
        const __m128i comma = _mm_set1_epi8(','), colon = _mm_set1_epi8(':');
        const __m128i quote = _mm_set1_epi8(static_cast<char>(quoteLead_));
        const auto maskOf = [](__m128i bytes) {
            return static_cast<unsigned>(_mm_movemask_epi8(bytes));
        };
        unsigned quotedBefore = 0;  // all ones while the block starts inside quotes
        std::size_t j = 0;
        for (; j + 16 <= body.size(); j += 16) {
            const __m128i chunk =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(body.data() + j));
            const unsigned quotes = maskOf(_mm_cmpeq_epi8(chunk, quote));
            unsigned quoted = quotes;
            quoted ^= quoted << 1;
            quoted ^= quoted << 2;
            quoted ^= quoted << 4;
            quoted ^= quoted << 8;
            quoted = (quoted ^ quotedBefore) & 0xFFFF;
            quotedBefore = (quoted & 0x8000) ? 0xFFFF : 0;
            const unsigned separators =
                maskOf(_mm_or_si128(_mm_cmpeq_epi8(chunk, comma), _mm_cmpeq_epi8(chunk, colon)));
            const unsigned brackets =
                maskOf(_mm_or_si128(_mm_cmpeq_epi8(chunk, open), _mm_cmpeq_epi8(chunk, close)));
            // A quote character that is itself "," or ":" only toggles the quotes.
            for (unsigned mask = (separators & ~quoted & ~quotes) | brackets; mask != 0;
                 mask &= mask - 1) {
                const std::size_t at = j + static_cast<std::size_t>(std::countr_zero(mask));
                switch (body[at]) {
                    case '[':
                        state.inBrackets = true;
                        break;
                    case ']':
                        state.inBrackets = false;
                        break;
                    case ',':
                        if (!state.inBrackets) EndValue(body, at, state, add);
                        break;
                    default:
                        EndKey(body, at, state);
                        break;
                }
            }
        }
        state.inQuote = quotedBefore != 0;
        return j;
    }
#endif

    std::string_view DropQuotes(std::string_view token) const {
        if (token.starts_with(quoteChar_)) token.remove_prefix(quoteChar_.size());
        if (token.ends_with(quoteChar_)) token.remove_suffix(quoteChar_.size());
        return token;
    }

    std::string_view quote_;
    std::string_view quoteChar_;
    unsigned char quoteLead_ = 0;
    std::array<unsigned char, 256> kind_{};
};

void cJSON::ParseJSONString(std::string ptJSONString, std::string_view ptTrennzeichen) {
    if (!ptTrennzeichen.empty()) quote_ = std::string(ptTrennzeichen);
    entries_.clear();
    pending_.clear();
    slots_.clear();
    pieces_.clear();
    text_ = std::move(ptJSONString);
    RemoveLineBreaksAndTabs(text_);

    const Scanner scanner(quote_);
    const std::string_view text = text_;
    Reserve(text.size() / 32 + 8);
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
        InsertPending();
        return;
    }

    const std::size_t close = text.find('}');
    const std::size_t open = text.find('{');
    const std::size_t bodyStart = open == std::string_view::npos ? 0 : open + 1;
    if (close == std::string_view::npos || close < bodyStart)
        rt::Raise(rt::err::InvalidProcedureCall, std::string(kSource));
    scanner.Read(text.substr(bodyStart, close - bodyStart),
                 [&](std::string_view key, std::string_view value) { AddEntry({}, key, value); });
    InsertPending();
}

std::int16_t cJSON::NumElements() const {
    if (entries_.size() > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max()))
        rt::Raise(rt::err::Overflow, std::string(kSource));
    return static_cast<std::int16_t>(entries_.size());
}

std::string cJSON::value(std::string_view ptKey) const {
    if (entries_.empty()) return {};
    std::string folded(ptKey);
    const std::size_t hash = FoldAndHash(folded);
    const std::uint64_t slot = slots_[FindSlot(folded, hash)];
    return slot == 0 ? std::string() : std::string(entries_[EntryOf(slot)].value);
}

// In a big table keys wait in a short queue whose slots are fetched ahead, so that reading does
// not wait for memory once per key; they go into the table in the order read.
void cJSON::AddEntry(std::string_view prefix, std::string_view key, std::string_view value) {
    std::string folded;
    folded.reserve(prefix.size() + key.size());
    folded.append(prefix).append(key);
    const std::size_t hash = FoldAndHash(folded);
    if (slots_.size() <= kSlotsInCache) {
        Insert({std::move(folded), hash, value});
        return;
    }
#if defined(__GNUC__)
    __builtin_prefetch(slots_.data() + (hash & (slots_.size() - 1)));
#endif
    pending_.push_back({std::move(folded), hash, value});
    if (pending_.size() == kPendingKeys) InsertPending();
}

void cJSON::InsertPending() {
    for (Entry& entry : pending_) Insert(std::move(entry));
    pending_.clear();
}

void cJSON::Insert(Entry&& entry) {
    if ((entries_.size() + 1) * 2 > slots_.size()) Grow();
    const std::size_t at = FindSlot(entry.foldedKey, entry.hash);
    if (slots_[at] != 0) rt::Raise(rt::err::KeyAlreadyExists, std::string(kSource));
    slots_[at] = SlotOf(entries_.size(), entry.hash);
    entries_.push_back(std::move(entry));
}

// The slot holding `foldedKey`, or the free slot where it belongs.
std::size_t cJSON::FindSlot(std::string_view foldedKey, std::size_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        const std::uint64_t slot = slots_[at];
        if (slot == 0) return at;
        if (slot >> 32 == TagOf(hash) && entries_[EntryOf(slot)].foldedKey == foldedKey) return at;
    }
}

// Room for about as many entries as a text of this length holds, so that big texts are not
// copied and rehashed while they are read.
void cJSON::Reserve(std::size_t entries) {
    entries_.reserve(entries);
    std::size_t slots = 64;
    while (slots < entries * 2) slots *= 2;
    slots_.assign(slots, 0);
}

void cJSON::Grow() {
    slots_.assign(std::max<std::size_t>(64, slots_.size() * 2), 0);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        std::size_t at = entries_[i].hash & mask;
        while (slots_[at] != 0) at = (at + 1) & mask;
        slots_[at] = SlotOf(i, entries_[i].hash);
    }
}
