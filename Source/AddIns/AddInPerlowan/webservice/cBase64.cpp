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

using ShiftedValues = std::array<std::array<std::uint32_t, 256>, 4>;

// The tables are the same for every object: built once, by the compiler.
// Entry v: the character of the six-bit value v.
constexpr std::array<std::uint8_t, 64> kEncodeTable = [] {
    std::array<std::uint8_t, 64> table{};
    for (std::size_t v = 0; v < 64; ++v) table[v] = static_cast<std::uint8_t>(kAlphabet[v]);
    return table;
}();

// Entry c: the six-bit value of the alphabet character c; 0 for every other byte.
constexpr std::array<std::uint8_t, 256> kDecodeTable = [] {
    std::array<std::uint8_t, 256> table{};
    for (std::size_t v = 0; v < 64; ++v) table[kEncodeTable[v]] = static_cast<std::uint8_t>(v);
    return table;
}();

// Two characters per 12 bits, in memory order.
constexpr std::array<std::uint16_t, 4096> kEncodePairs = [] {
    std::array<std::uint16_t, 4096> table{};
    for (std::size_t v = 0; v < 4096; ++v)
        table[v] = static_cast<std::uint16_t>(kEncodeTable[v >> 6] | kEncodeTable[v & 63] << 8);
    return table;
}();

// Each character's bits already in their place within the three output bytes, per position in
// its group.
constexpr ShiftedValues kDecodeShifted = [] {
    ShiftedValues table{};
    for (std::size_t c = 0; c < 256; ++c) {
        const std::uint32_t v = kDecodeTable[c];
        table[0][c] = v << 2;
        table[1][c] = ((v >> 4) & 3) | ((v & 15) << 12);
        table[2][c] = (((v >> 2) & 15) << 8) | ((v & 3) << 22);
        table[3][c] = v << 16;
    }
    return table;
}();

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

#endif

using DecodeGroupsFunction = void (*)(const std::uint8_t*, std::size_t, unsigned char*,
                                      const ShiftedValues&) noexcept;

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

// Nearest integer to full / 4 * 3, a half going to the even neighbour.
std::size_t ThreeQuartersRounded(std::size_t full) noexcept {
    std::size_t q = full * 3 / 4;
    const std::size_t r = full * 3 % 4;
    if (r > 2 || (r == 2 && (q & 1) != 0)) ++q;
    return q;
}

// Decodes text in the code page; with `onlyAscii`, gives nothing as soon as it meets a character
// outside ASCII. Raises 9 as Decode.
std::optional<std::string> DecodeCodePageText(std::string_view text, bool onlyAscii) {
    const auto& decodeTable = kDecodeTable;
    const auto notAscii = [&](std::size_t from, std::size_t count) {
        return onlyAscii && !rt::IsAscii(text.substr(from, count));
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
    // through the runtime's code page conversion. The conversion is not fused with the decoding:
    // it reads each piece once more, from the cache. The pieces live on the heap, the UTF-8 one
    // only once a piece needs it; both leave room for the widest store past their end.
    constexpr std::size_t kGroupsPerPiece = 1024;
    const std::size_t pieceBytes = std::min(groups, kGroupsPerPiece) * 3 + 8;
    const auto raw = std::make_unique_for_overwrite<unsigned char[]>(pieceBytes);
    std::unique_ptr<char[]> utf8;
    std::string out;
    out.reserve(resultBytes);
    bool widened = false;
    const auto append = [&](std::size_t count) {
        const std::string_view bytes(reinterpret_cast<const char*>(raw.get()), count);
        if (rt::IsAscii(bytes)) {
            out.append(bytes);
            return;
        }
        if (!widened) {
            // Grown once: the bytes so far were ASCII, one byte each.
            widened = true;
            out.reserve(out.size() + 3 * (resultBytes - out.size()));
            utf8 = std::make_unique_for_overwrite<char[]>(rt::Win1252ToUtf8Room(pieceBytes));
        }
        const char* end = rt::Win1252ToUtf8(raw.get(), count, utf8.get());
        out.append(utf8.get(), static_cast<std::size_t>(end - utf8.get()));
    };
    static const DecodeGroupsFunction decodeGroups = ChooseDecodeGroups();
    for (std::size_t g = 0; g < groups;) {
        const std::size_t count = std::min(groups - g, kGroupsPerPiece);
        if (notAscii(4 * g, 4 * count)) return std::nullopt;
        decodeGroups(in + 4 * g, count, raw.get(), kDecodeShifted);
        g += count;
        append(count * 3);
    }
    // The closing group's bytes, then zero bytes up to the result's length.
    const std::size_t rest = resultBytes - groups * 3;
    std::memset(raw.get(), 0, rest);
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

cBase64::cBase64() = default;

std::string cBase64::Encode(std::string& ptStringToDecode) const {
    if (rt::IsAscii(ptStringToDecode))
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
        return kEncodePairs[twelveBits & 0xFFF];
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
        o[0] = static_cast<char>(kEncodeTable[b0 >> 2]);
        o[1] = static_cast<char>(kEncodeTable[(b0 & 3) << 4]);
        o[2] = o[3] = '=';
    } else if (rest == 2) {
        const std::uint8_t b0 = in[i], b1 = in[i + 1];
        o[0] = static_cast<char>(kEncodeTable[b0 >> 2]);
        o[1] = static_cast<char>(kEncodeTable[((b0 & 3) << 4) | (b1 >> 4)]);
        o[2] = static_cast<char>(kEncodeTable[(b1 & 15) << 2]);
        o[3] = '=';
    }
    return out;
}

std::string cBase64::Decode(std::string& ptText) const {
    // Base64 text is ASCII, which reads the same in the code page. Whether it is ASCII is checked
    // piece by piece along with the decoding, so that a long text is read from memory once; other
    // text is converted to the code page and decoded again.
    std::optional<std::string> out = DecodeCodePageText(ptText, true);
    if (!out) out = DecodeCodePageText(rt::Utf8ToWin1252(ptText), false);
    return std::move(*out);
}
