#include "CodePage.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#define PERLOWAN_CODEPAGE_AVX2 1
#include <immintrin.h>
#endif

namespace rt {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
// The converters store whole words: room they may write past the end of their text.
constexpr std::size_t kStoreSlack = 32;

// 0x80..0x9F of Windows-1252; the undefined bytes stand for the C1 control of their own value.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

char32_t DecodeUtf8(std::string_view s, std::size_t& pos) noexcept {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char b0 = byte(pos);
    if (b0 < 0x80) {
        ++pos;
        return b0;
    }
    int len;
    char32_t cp;
    char32_t min;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        ++pos;
        return kReplacement;
    }
    if (pos + len > s.size()) {
        ++pos;
        return kReplacement;
    }
    for (int i = 1; i < len; ++i) {
        const unsigned char b = byte(pos + i);
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return kReplacement;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return kReplacement;
    }
    pos += len;
    return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::size_t CharCount(std::string_view text) noexcept {
    std::size_t count = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        // Runs of ASCII count a character per byte, eight bytes at a time.
        if (pos + 8 <= text.size()) {
            std::uint64_t eight;
            std::memcpy(&eight, text.data() + pos, 8);
            if ((eight & 0x8080808080808080u) == 0) {
                pos += 8;
                count += 8;
                continue;
            }
        }
        DecodeUtf8(text, pos);
        ++count;
    }
    return count;
}

char32_t Win1252ToUnicode(unsigned char byte) noexcept {
    if (byte >= 0x80 && byte < 0xA0) return kHigh[byte - 0x80];
    return byte;
}

int UnicodeToWin1252(char32_t cp) noexcept {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (std::size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == cp) return static_cast<int>(0x80 + i);
    return -1;
}

namespace {

// Each byte of the code page as UTF-8: the form's up to three bytes in memory order, its length in
// the fourth byte. One four-byte store writes a form; the output pointer then moves on by the
// length, so the next form overwrites the length byte and whatever was stored past the form.
class Utf8Forms {
  public:
    Utf8Forms() {
        for (std::size_t b = 0; b < 256; ++b) {
            std::string form;
            AppendUtf8(form, Win1252ToUnicode(static_cast<unsigned char>(b)));
            std::array<unsigned char, 4> bytes{};
            std::memcpy(bytes.data(), form.data(), form.size());
            bytes[3] = static_cast<unsigned char>(form.size());
            std::memcpy(&entries_[b], bytes.data(), 4);
        }
    }

    std::size_t Length(char byte) const noexcept {
        const std::uint32_t entry = entries_[static_cast<unsigned char>(byte)];
        return std::endian::native == std::endian::little ? entry >> 24 : entry & 0xFF;
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

const Utf8Forms& Forms() noexcept {
    static const Utf8Forms forms;
    return forms;
}

// Writes the UTF-8 text of `count` bytes of the code page at `out`, which has room for the text
// and kStoreSlack bytes more; returns the end of the text. Runs of ASCII are copied eight bytes
// at a time.

char* Win1252ToUtf8Scalar(const unsigned char* bytes, std::size_t count, char* out) noexcept {
    const Utf8Forms& forms = Forms();
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

#if defined(PERLOWAN_CODEPAGE_AVX2)
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
            AppendUtf8(form, Win1252ToUnicode(static_cast<unsigned char>(0x80 + k)));
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
    return Win1252ToUtf8Scalar(bytes + i, count - i, out);
}
#endif

using ToUtf8Function = char* (*)(const unsigned char*, std::size_t, char*) noexcept;

ToUtf8Function ChooseToUtf8() noexcept {
#if defined(PERLOWAN_CODEPAGE_AVX2)
    if (__builtin_cpu_supports("avx2")) return Win1252ToUtf8Avx2;
#endif
    return Win1252ToUtf8Scalar;
}

}  // namespace

char* Win1252ToUtf8(const unsigned char* bytes, std::size_t count, char* out) noexcept {
    static const ToUtf8Function toUtf8 = ChooseToUtf8();
    return toUtf8(bytes, count, out);
}

std::string Win1252ToUtf8(std::string_view bytes) {
    // The exact length first, so that the text is written once into memory of its own size.
    const Utf8Forms& forms = Forms();
    std::size_t extra = 0;
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        if ((word & kHighBits) == 0) continue;
        for (std::size_t k = i; k < i + 8; ++k) extra += forms.Length(bytes[k]) - 1;
    }
    for (; i < bytes.size(); ++i) extra += forms.Length(bytes[i]) - 1;
    if (extra == 0) return std::string(bytes);
    const std::size_t length = bytes.size() + extra;
    std::string out(length + kStoreSlack, '\0');
    Win1252ToUtf8(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), out.data());
    out.resize(length);
    return out;
}

void AppendWin1252(std::string& out, std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t run = i;
        while (run + 8 <= text.size()) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + run, 8);
            if (word & kHighBits) break;
            run += 8;
        }
        while (run < text.size() && static_cast<unsigned char>(text[run]) < 0x80) ++run;
        out.append(text.data() + i, run - i);
        i = run;
        if (i == text.size()) break;
        const int mapped = UnicodeToWin1252(DecodeUtf8(text, i));
        out += mapped < 0 ? '?' : static_cast<char>(mapped);
    }
}

std::string Utf8ToWin1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    AppendWin1252(out, text);
    return out;
}

std::string Utf16LeToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() / 2);
    const std::size_t units = bytes.size() / 2;
    const auto unit = [&](std::size_t i) {
        return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    };
    for (std::size_t i = 0; i < units; ++i) {
        const char16_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
            const char16_t low = unit(i + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? kReplacement : char32_t(u));
    }
    return out;
}

std::string Utf8ToUtf16Le(std::string_view text) {
    std::string out(Utf16LeByteCount(text), '\0');
    WriteUtf16Le(text, reinterpret_cast<std::uint8_t*>(out.data()));
    return out;
}

}  // namespace rt
