#include "cBase64.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

#include "CodePage.h"
#include "RuntimeError.h"

#if defined(__x86_64__) || defined(__i386__)
#if defined(__GNUC__)
#define PERLOWAN_BASE64_AVX2 1
#include <immintrin.h>
#endif
#endif

namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Checked 64 bytes at a time, so that binary data is recognised at its first block.
bool IsAscii(std::string_view text) noexcept {
    constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
    std::size_t i = 0;
    for (; i + 64 <= text.size(); i += 64) {
        std::uint64_t high = 0;
        for (std::size_t k = 0; k < 64; k += 8) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + i + k, 8);
            high |= word;
        }
        if ((high & kHighBits) != 0) return false;
    }
    std::uint64_t high = 0;
    for (; i < text.size(); ++i) high |= static_cast<unsigned char>(text[i]);
    return (high & 0x80) == 0;
}

std::uint64_t LoadBigEndian64(const std::uint8_t* p) noexcept {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
    return word;
}

void StoreLittleEndian(char* out, std::uint64_t value, std::size_t bytes) noexcept {
    if constexpr (std::endian::native == std::endian::big)
        value = __builtin_bswap64(value) >> (64 - 8 * bytes);
    std::memcpy(out, &value, bytes);
}

// Each byte of the code page as UTF-8: the form's up to three bytes in memory order, its length in
// the fourth byte. One four-byte store writes a form; the output pointer then moves on by the
// length, so the next form overwrites the length byte and whatever was stored past the form.
class Utf8Forms {
  public:
    Utf8Forms() {
        for (std::size_t b = 0; b < 256; ++b) {
            std::string form;
            rt::AppendUtf8(form, rt::Win1252ToUnicode(static_cast<unsigned char>(b)));
            std::array<unsigned char, 4> bytes{};
            std::memcpy(bytes.data(), form.data(), form.size());
            bytes[3] = static_cast<unsigned char>(form.size());
            std::memcpy(&entries_[b], bytes.data(), 4);
        }
    }

    // Writes the form of `byte` at `out`, using four bytes there; returns the end of the form.
    char* Put(char* out, std::uint32_t byte) const noexcept {
        const std::uint32_t entry = entries_[byte & 0xFF];
        std::memcpy(out, &entry, 4);
        return out + (std::endian::native == std::endian::little ? entry >> 24 : entry & 0xFF);
    }

  private:
    std::array<std::uint32_t, 256> entries_{};
};

// Writes the UTF-8 text of `count` bytes of the code page at `out`, which has room for three bytes
// per byte and eight more; returns the end of the text. Runs of ASCII are copied eight bytes at a
// time.
char* Win1252ToUtf8(const unsigned char* bytes, std::size_t count, char* out) noexcept {
    static const Utf8Forms forms;
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        if ((word & 0x8080808080808080ull) == 0) {
            std::memcpy(out, &word, 8);
            out += 8;
            continue;
        }
        for (std::size_t k = i; k < i + 8; ++k) out = forms.Put(out, bytes[k]);
    }
    for (; i < count; ++i) out = forms.Put(out, bytes[i]);
    return out;
}

using ShiftedValues = std::array<std::array<std::uint32_t, 256>, 4>;

// Decodes `groups` groups of four characters at `in` to three bytes each at `out`, which has room
// for one more byte. `shifted` holds each character's bits in their place within the three bytes.
inline void DecodeGroupsScalar(const std::uint8_t* in, std::size_t groups, unsigned char* out,
                               const ShiftedValues& shifted) noexcept {
    for (std::size_t g = 0; g < groups; ++g, in += 4, out += 3)
        StoreLittleEndian(
            reinterpret_cast<char*>(out),
            shifted[0][in[0]] | shifted[1][in[1]] | shifted[2][in[2]] | shifted[3][in[3]], 4);
}

#if defined(PERLOWAN_BASE64_AVX2)
// Large results are mostly decoding: with AVX2 the characters of eight groups are translated and
// packed at once, several times as fast as the table lookups. Blocks with a character outside
// the alphabet (which the scalar code counts as 0) and the last few groups go the scalar way.

// The six-bit values of 32 characters, from lookups by each character's high and low nibble;
// false when one of them is outside the alphabet.
__attribute__((target("avx2"))) inline bool SixBitValuesAvx2(__m256i chars,
                                                             __m256i& values) noexcept {
    // A bit per class of low nibble and per class of high nibble; a character is in the
    // alphabet when its two nibbles share no bit.
    const __m256i lowClasses =
        _mm256_setr_epi8(0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x13, 0x1A,
                         0x1B, 0x1B, 0x1B, 0x1A, 0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11,
                         0x11, 0x11, 0x13, 0x1A, 0x1B, 0x1B, 0x1B, 0x1A);
    const __m256i highClasses =
        _mm256_setr_epi8(0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10, 0x10, 0x10, 0x10,
                         0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08,
                         0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10);
    // What to add to a character to get its value, by high nibble; "/" takes the slot below "+".
    const __m256i offsets =
        _mm256_setr_epi8(0, 16, 19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0, 0, 16, 19, 4,
                         -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0);
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const __m256i slash = _mm256_set1_epi8('/');
    const __m256i high = _mm256_and_si256(_mm256_srli_epi32(chars, 4), nibble);
    const __m256i low = _mm256_and_si256(chars, nibble);
    if (!_mm256_testz_si256(_mm256_shuffle_epi8(lowClasses, low),
                            _mm256_shuffle_epi8(highClasses, high)))
        return false;
    const __m256i isSlash = _mm256_cmpeq_epi8(chars, slash);
    values = _mm256_add_epi8(chars, _mm256_shuffle_epi8(offsets, _mm256_add_epi8(high, isSlash)));
    return true;
}

// Packs the 32 six-bit values into their 24 bytes, in the first 24 bytes of the result.
__attribute__((target("avx2"))) inline __m256i PackAvx2(__m256i values) noexcept {
    // Pairs of values to 12 bits, pairs of those to 24 bits in each 32-bit lane.
    const __m256i pairs = _mm256_maddubs_epi16(values, _mm256_set1_epi32(0x01400140));
    const __m256i lanes = _mm256_madd_epi16(pairs, _mm256_set1_epi32(0x00011000));
    // The three bytes of each lane, high byte first, together in each half; then the halves.
    const __m256i bytes = _mm256_shuffle_epi8(
        lanes, _mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1, 2, 1, 0, 6,
                                5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1));
    return _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7));
}

// As DecodeGroupsScalar, with room for eight more bytes at `out`.
__attribute__((target("avx2"))) void DecodeGroupsAvx2(const std::uint8_t* in, std::size_t groups,
                                                      unsigned char* out,
                                                      const ShiftedValues& shifted) noexcept {
    std::size_t g = 0;
    for (; g + 8 <= groups; g += 8, in += 32, out += 24) {
        __m256i values;
        if (SixBitValuesAvx2(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(in)), values))
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), PackAvx2(values));
        else
            DecodeGroupsScalar(in, 8, out, shifted);
    }
    DecodeGroupsScalar(in, groups - g, out, shifted);
}

// Binary data is about half bytes of 0x80 and above, whose UTF-8 forms are two or three bytes
// long; one at a time they would cost more than all the decoding. Here 32 bytes at a time get
// their forms computed side by side, each form in a four-byte slot, and every four slots are
// closed up by one shuffle chosen by the lengths of their forms.
class Utf8Avx2Tables {
  public:
    Utf8Avx2Tables() {
        // The forms of 0x80 to 0x9F, which follow no rule: their first, second and third bytes.
        for (std::size_t k = 0; k < 32; ++k) {
            std::string form;
            rt::AppendUtf8(form, rt::Win1252ToUnicode(static_cast<unsigned char>(0x80 + k)));
            form.resize(3, '\0');
            for (std::size_t b = 0; b < 3; ++b) special[b][k] = static_cast<std::uint8_t>(form[b]);
        }
        // Pattern p holds four lengths less one as digits of base 3, the first slot's lowest.
        for (std::size_t p = 0; p < 81; ++p) {
            std::size_t at = 0;
            std::array<std::int8_t, 16> mask;
            mask.fill(-1);
            for (std::size_t slot = 0, digits = p; slot < 4; ++slot, digits /= 3)
                for (std::size_t b = 0; b <= digits % 3; ++b)
                    mask[at++] = static_cast<std::int8_t>(4 * slot + b);
            std::memcpy(shuffles[p], mask.data(), 16);
            lengths[p] = static_cast<std::uint8_t>(at);
        }
    }

    alignas(16) std::uint8_t special[3][32];
    alignas(16) std::uint8_t shuffles[81][16];
    std::uint8_t lengths[81];
};

// Byte k of `table` (32 bytes) for each byte's low five bits.
__attribute__((target("avx2"))) inline __m256i Lookup32Avx2(const std::uint8_t* table, __m256i low,
                                                            __m256i upperHalf) noexcept {
    const __m256i first =
        _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(table)));
    const __m256i second =
        _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(table + 16)));
    return _mm256_blendv_epi8(_mm256_shuffle_epi8(first, low), _mm256_shuffle_epi8(second, low),
                              upperHalf);
}

// Writes the forms in four slots at `out`, closed up by the shuffle of pattern `p`, using 16
// bytes there; returns the end of the forms.
__attribute__((target("avx2"))) inline char* PutFourFormsAvx2(
    char* out, __m128i four, std::uint32_t p, const Utf8Avx2Tables& tables) noexcept {
    const __m128i shuffle = _mm_load_si128(reinterpret_cast<const __m128i*>(tables.shuffles[p]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(four, shuffle));
    return out + tables.lengths[p];
}

// As Win1252ToUtf8, with room for 32 bytes more than the forms need at `out`.
__attribute__((target("avx2"))) char* Win1252ToUtf8Avx2(const unsigned char* bytes,
                                                        std::size_t count, char* out) noexcept {
    static const Utf8Avx2Tables tables;
    const __m256i zero = _mm256_setzero_si256();
    std::size_t i = 0;
    for (; i + 32 <= count; i += 32) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + i));
        if (_mm256_movemask_epi8(x) == 0) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), x);
            out += 32;
            continue;
        }
        // Compared as signed bytes: 0x80 to 0x9F are below -96, 0xC0 and above at least -64.
        const __m256i high = _mm256_cmpgt_epi8(zero, x);
        const __m256i special = _mm256_cmpgt_epi8(_mm256_set1_epi8(-96), x);
        const __m256i low = _mm256_and_si256(x, _mm256_set1_epi8(0x0F));
        const __m256i upperHalf = _mm256_slli_epi16(x, 3);  // bit 4 as the sign for blendv
        // 0xA0 to 0xFF: C2 or C3, then 0x80 and the low six bits.
        const __m256i latinFirst = _mm256_sub_epi8(_mm256_set1_epi8(static_cast<char>(0xC2)),
                                                   _mm256_cmpgt_epi8(x, _mm256_set1_epi8(-65)));
        const __m256i latinSecond = _mm256_and_si256(x, _mm256_set1_epi8(static_cast<char>(0xBF)));
        const __m256i b0 = _mm256_blendv_epi8(
            x,
            _mm256_blendv_epi8(latinFirst, Lookup32Avx2(tables.special[0], low, upperHalf),
                               special),
            high);
        const __m256i b1 =
            _mm256_blendv_epi8(_mm256_and_si256(latinSecond, high),
                               Lookup32Avx2(tables.special[1], low, upperHalf), special);
        const __m256i b2 =
            _mm256_and_si256(Lookup32Avx2(tables.special[2], low, upperHalf), special);
        // Each form's length less one, and per four bytes their pattern number.
        const __m256i one = _mm256_set1_epi8(1);
        const __m256i extra = _mm256_add_epi8(
            _mm256_and_si256(high, one), _mm256_andnot_si256(_mm256_cmpeq_epi8(b2, zero), one));
        const __m256i patterns = _mm256_madd_epi16(
            _mm256_maddubs_epi16(extra, _mm256_set1_epi32(0x1B090301)), _mm256_set1_epi16(1));
        alignas(32) std::uint32_t pattern[8];
        _mm256_store_si256(reinterpret_cast<__m256i*>(pattern), patterns);
        // Four-byte slots: bytes 0-3, 4-7, 8-11, 12-15 of each half of the 32.
        const __m256i pairsLow = _mm256_unpacklo_epi8(b0, b1);
        const __m256i pairsHigh = _mm256_unpackhi_epi8(b0, b1);
        const __m256i thirdsLow = _mm256_unpacklo_epi8(b2, zero);
        const __m256i thirdsHigh = _mm256_unpackhi_epi8(b2, zero);
        const __m256i slots[4] = {_mm256_unpacklo_epi16(pairsLow, thirdsLow),
                                  _mm256_unpackhi_epi16(pairsLow, thirdsLow),
                                  _mm256_unpacklo_epi16(pairsHigh, thirdsHigh),
                                  _mm256_unpackhi_epi16(pairsHigh, thirdsHigh)};
        for (std::size_t k = 0; k < 4; ++k)
            out = PutFourFormsAvx2(out, _mm256_castsi256_si128(slots[k]), pattern[k], tables);
        for (std::size_t k = 0; k < 4; ++k)
            out = PutFourFormsAvx2(out, _mm256_extracti128_si256(slots[k], 1), pattern[4 + k],
                                   tables);
    }
    return Win1252ToUtf8(bytes + i, count - i, out);
}
#endif

using DecodeGroupsFunction = void (*)(const std::uint8_t*, std::size_t, unsigned char*,
                                      const ShiftedValues&) noexcept;

using ToUtf8Function = char* (*)(const unsigned char*, std::size_t, char*) noexcept;

bool HasAvx2() noexcept {
#if defined(PERLOWAN_BASE64_AVX2)
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

DecodeGroupsFunction ChooseDecodeGroups() noexcept {
#if defined(PERLOWAN_BASE64_AVX2)
    if (HasAvx2()) return DecodeGroupsAvx2;
#endif
    return DecodeGroupsScalar;
}

ToUtf8Function ChooseToUtf8() noexcept {
#if defined(PERLOWAN_BASE64_AVX2)
    if (HasAvx2()) return Win1252ToUtf8Avx2;
#endif
    return Win1252ToUtf8;
}

// Nearest integer to full / 4 * 3, a half going to the even neighbour.
std::size_t ThreeQuartersRounded(std::size_t full) noexcept {
    std::size_t q = full * 3 / 4;
    const std::size_t r = full * 3 % 4;
    if (r > 2 || (r == 2 && (q & 1) != 0)) ++q;
    return q;
}

// Decodes text in the code page; with `onlyAscii`, gives nothing as soon as it meets a character
// outside ASCII. Raises 9 as Decode.
std::optional<std::string> DecodeCodePageText(std::string_view text, bool onlyAscii,
                                              const std::array<std::uint8_t, 256>& decodeTable,
                                              const ShiftedValues& decodeShifted) {
    const auto notAscii = [&](std::size_t from, std::size_t count) {
        return onlyAscii && !IsAscii(text.substr(from, count));
    };
    const std::size_t n = text.size();
    if (n == 0) return std::string();
    if (notAscii(n - std::min<std::size_t>(n, 4), 4)) return std::nullopt;
    const auto* in = reinterpret_cast<const std::uint8_t*>(text.data());

    std::size_t pad = 0;
    std::size_t full = n;
    if (in[n - 1] == '=') {
        if (n < 2) rt::Raise(rt::err::SubscriptOutOfRange, "cBase64");
        pad = in[n - 2] == '=' ? 1 : 2;
        full = n >= 4 ? n - 4 : 0;
    }
    const std::size_t resultBytes = pad + ThreeQuartersRounded(full);
    const std::size_t groups = full >= 4 ? (full + 3) / 4 : 0;
    // The groups may neither read past the input nor write past the result.
    if (groups * 4 > n || groups * 3 + pad > resultBytes || (pad > 0 && n < 4)) {
        if (notAscii(0, n)) return std::nullopt;
        rt::Raise(rt::err::SubscriptOutOfRange, "cBase64");
    }
    if (notAscii(groups * 4, n - groups * 4)) return std::nullopt;

    // The result is assembled from pieces of decoded bytes small enough to stay in the cache, so
    // that its memory is written once. A piece of ASCII bytes is already UTF-8; other pieces go
    // through the code page's forms, at most three bytes of UTF-8 per byte, with runs of ASCII
    // copied eight bytes at a time. Both buffers leave room for the widest store past their end.
    constexpr std::size_t kGroupsPerPiece = 1024;
    unsigned char raw[kGroupsPerPiece * 3 + 8];
    char utf8[kGroupsPerPiece * 9 + 32];
    std::string out;
    out.reserve(resultBytes);
    bool widened = false;
    const auto append = [&](std::size_t count) {
        const std::string_view bytes(reinterpret_cast<const char*>(raw), count);
        if (IsAscii(bytes)) {
            out.append(bytes);
            return;
        }
        if (!widened) {
            // Grown once: the bytes so far were ASCII, one byte each.
            widened = true;
            out.reserve(out.size() + 3 * (resultBytes - out.size()));
        }
        static const ToUtf8Function toUtf8 = ChooseToUtf8();
        const char* end = toUtf8(raw, count, utf8);
        out.append(utf8, static_cast<std::size_t>(end - utf8));
    };
    static const DecodeGroupsFunction decodeGroups = ChooseDecodeGroups();
    for (std::size_t g = 0; g < groups;) {
        const std::size_t count = std::min(groups - g, kGroupsPerPiece);
        if (notAscii(4 * g, 4 * count)) return std::nullopt;
        decodeGroups(in + 4 * g, count, raw, decodeShifted);
        g += count;
        append(count * 3);
    }
    // The closing group's bytes, then zero bytes up to the result's length.
    const std::size_t rest = resultBytes - groups * 3;
    std::memset(raw, 0, rest);
    if (pad > 0) {
        const std::uint8_t* p = in + n - 4;
        const std::uint32_t c0 = decodeTable[p[0]], c1 = decodeTable[p[1]];
        raw[0] = static_cast<unsigned char>((c0 << 2) | ((c1 >> 4) & 3));
        if (pad == 2) {
            const std::uint32_t c2 = decodeTable[p[2]];
            raw[1] = static_cast<unsigned char>(((c1 & 15) << 4) | ((c2 >> 2) & 15));
        }
    }
    append(rest);
    return out;
}

}  // namespace

cBase64::cBase64() {
    for (std::size_t v = 0; v < 64; ++v) {
        encodeTable_[v] = static_cast<std::uint8_t>(kAlphabet[v]);
        decodeTable_[encodeTable_[v]] = static_cast<std::uint8_t>(v);
    }
    for (std::size_t v = 0; v < 4096; ++v)
        encodePairs_[v] =
            static_cast<std::uint16_t>(encodeTable_[v >> 6] | encodeTable_[v & 63] << 8);
    for (std::size_t c = 0; c < 256; ++c) {
        const std::uint32_t v = decodeTable_[c];
        decodeShifted_[0][c] = v << 2;
        decodeShifted_[1][c] = ((v >> 4) & 3) | ((v & 15) << 12);
        decodeShifted_[2][c] = (((v >> 2) & 15) << 8) | ((v & 3) << 22);
        decodeShifted_[3][c] = v << 16;
    }
}

std::string cBase64::Encode(std::string& ptStringToDecode) const {
    if (IsAscii(ptStringToDecode))
        return EncodeBytes({reinterpret_cast<const std::uint8_t*>(ptStringToDecode.data()),
                            ptStringToDecode.size()});
    const std::string bytes = rt::Utf8ToWin1252(ptStringToDecode);
    return EncodeBytes({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
}

std::string cBase64::EncodeBytes(std::span<const std::uint8_t> pbyIn) const {
    const std::size_t n = pbyIn.size();
    const std::size_t rest = n % 3;
    std::string out((n - rest) / 3 * 4 + (rest > 0 ? 4 : 0), '\0');
    const std::uint8_t* in = pbyIn.data();
    char* o = out.data();
    const auto pair = [&](std::uint64_t twelveBits) -> std::uint64_t {
        return encodePairs_[twelveBits & 0xFFF];
    };
    std::size_t i = 0;
    // Six bytes (four 12-bit pieces) per round, read as one big-endian word.
    for (; i + 14 <= n; i += 12, o += 16) {
        const std::uint64_t a = LoadBigEndian64(in + i);
        const std::uint64_t b = LoadBigEndian64(in + i + 6);
        StoreLittleEndian(
            o, pair(a >> 52) | pair(a >> 40) << 16 | pair(a >> 28) << 32 | pair(a >> 16) << 48, 8);
        StoreLittleEndian(
            o + 8, pair(b >> 52) | pair(b >> 40) << 16 | pair(b >> 28) << 32 | pair(b >> 16) << 48,
            8);
    }
    for (; i + 3 <= n; i += 3, o += 4) {
        const std::uint32_t v = in[i] << 16 | in[i + 1] << 8 | in[i + 2];
        StoreLittleEndian(o, pair(v >> 12) | pair(v) << 16, 4);
    }
    if (rest == 1) {
        const std::uint8_t b0 = in[i];
        o[0] = static_cast<char>(encodeTable_[b0 >> 2]);
        o[1] = static_cast<char>(encodeTable_[(b0 & 3) << 4]);
        o[2] = o[3] = '=';
    } else if (rest == 2) {
        const std::uint8_t b0 = in[i], b1 = in[i + 1];
        o[0] = static_cast<char>(encodeTable_[b0 >> 2]);
        o[1] = static_cast<char>(encodeTable_[((b0 & 3) << 4) | (b1 >> 4)]);
        o[2] = static_cast<char>(encodeTable_[(b1 & 15) << 2]);
        o[3] = '=';
    }
    return out;
}

std::string cBase64::Decode(std::string& ptText) const {
    // Base64 text is ASCII, which reads the same in the code page. Whether it is ASCII is checked
    // piece by piece along with the decoding, so that a long text is read from memory once; other
    // text is converted to the code page and decoded again.
    std::optional<std::string> out = DecodeCodePageText(ptText, true, decodeTable_, decodeShifted_);
    if (!out)
        out = DecodeCodePageText(rt::Utf8ToWin1252(ptText), false, decodeTable_, decodeShifted_);
    return std::move(*out);
}
